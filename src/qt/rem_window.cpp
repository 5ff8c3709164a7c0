// SPDX-License-Identifier: MIT
// Layout of the removal window: paths across the top, the package options and the account on
// the left, the two deletion lists side by side, so all of it fits 14700 x 8100 twips.
#include "qt/rem_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/placement.h"
#include "qt/hand_over_qt.h"

namespace korva::eraser {

namespace {

QWidget* paths_block() {
    auto* block = new QWidget;
    auto* grid = new QGridLayout(block);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(named<QLabel>("Lbl_In_Path"), 0, 0);
    grid->addWidget(named<QLineEdit>("In_Path"), 0, 1);
    grid->addWidget(named<QLabel>("Lbl_Out_Path"), 1, 0);
    grid->addWidget(named<QLineEdit>("Out_Path"), 1, 1);
    grid->addWidget(named<QPushButton>("Com_Brow"), 1, 2);
    grid->setColumnStretch(1, 1);
    return block;
}

QGroupBox* dialog_block() {
    auto* frame = named<QGroupBox>("Fra_Dialog");
    auto* layout = new QHBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (const char* name : {"Opt_Dialog0", "Opt_Dialog1"}) {
        auto* option = named<QRadioButton>(name);
        group->addButton(option);
        layout->addWidget(option);
    }
    tab_to_checked_option(group);
    layout->addStretch();
    return frame;
}

QGroupBox* qx_block() {
    auto* frame = named<QGroupBox>("Fra_QX");
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QCheckBox>("Chk_QX0"));
    layout->addWidget(named<QCheckBox>("Chk_QX1"));
    return frame;
}

QGroupBox* user_block() {
    auto* frame = named<QGroupBox>("Fra_UserI");
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QCheckBox>("Chk_UserI"));
    return frame;
}

QGroupBox* admin_block() {
    auto* frame = named<QGroupBox>("Fra_Admin");
    auto* grid = new QGridLayout(frame);
    auto* password = named<QLineEdit>("Password");
    hide_password(password);
    add_labelled_rows(grid, {
                                {"Lbl_Acount_Name", named<QLineEdit>("Acount_Name")},
                                {"Lbl_Password", password},
                                {"Lbl_Domain_Name", named<QLineEdit>("Domain_Name")},
                            });
    return frame;
}

QGroupBox* deletion_block(const char* frame_name, const char* text, const char* list,
                          const char* add, const char* del) {
    auto* frame = named<QGroupBox>(frame_name);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QLineEdit>(text));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(named<QPushButton>(add));
    buttons->addWidget(named<QPushButton>(del));
    buttons->addStretch();
    layout->addLayout(buttons);
    auto* entries = named<ListBox>(list);
    entries->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(entries, 1);
    return frame;
}

}  // namespace

RemWindow::RemWindow(RemForm& form, SettingsStore& settings, WaitView& wait)
    : form_(form), settings_(settings), wait_(wait) {
    setObjectName("Rem_Frm");
    build();
    binder_ = std::make_unique<FormBinder>(this, form_.controls());
    connect_events();
    binder_->push();
}

void RemWindow::build() {
    auto* root = new QVBoxLayout(this);
    add_tool_selector(root, "Lbl_Soft", "Line1");
    root->addWidget(paths_block());

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(dialog_block());
    left->addWidget(qx_block());
    left->addWidget(user_block());
    left->addWidget(admin_block());
    left->addStretch();
    columns->addLayout(left, 4);
    columns->addWidget(deletion_block("Fra_DelPrinter", "Txt_DelPrinter", "Lst_DelPrinter",
                                      "Cmd_DelPrinterAdd", "Cmd_DelPrinterDel"),
                       3);
    columns->addWidget(deletion_block("Fra_DelDriver", "Txt_DelDriver", "Lst_DelDriver",
                                      "Cmd_DelDriverAdd", "Cmd_DelDriverDel"),
                       3);
    root->addLayout(columns, 1);

    add_command_row(root);
    compact_layouts(this);
}

void RemWindow::run(const std::function<void()>& handler) {
    binder_->pull();
    handler();
    binder_->push();
    take_focus_request(form_.printers);
    take_focus_request(form_.drivers);
}

void RemWindow::take_focus_request(DeletionList& list) {
    if (list.focus_request.empty())
        return;
    if (auto* box = findChild<QLineEdit*>(QString::fromStdString(list.focus_request))) {
        box->setFocus(Qt::OtherFocusReason);
    }
    list.focus_request.clear();
}

void RemWindow::connect_events() {
    // The handlers travel as plain callables, not as pointers to member functions: g++ 12 copies
    // a member-function pointer captured in a lambda nested inside another lambda wrongly, and
    // the inner lambda then reads a dead stack frame (the address sanitizer reports it).
    auto on_click = [this](const char* name, std::function<void(RemForm&)> handler) {
        auto* button = findChild<QAbstractButton*>(QString::fromLatin1(name));
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { run([this, &handler] { handler(form_); }); });
    };
    on_click("Chk_UserI", [](RemForm& f) { f.Chk_UserI_Click(); });
    on_click("Com_Brow", [](RemForm& f) { f.Com_Brow_Click(); });
    on_click("Cmd_DelPrinterAdd", [](RemForm& f) { f.Cmd_DelPrinterAdd_Click(); });
    on_click("Cmd_DelPrinterDel", [](RemForm& f) { f.Cmd_DelPrinterDel_Click(); });
    on_click("Cmd_DelDriverAdd", [](RemForm& f) { f.Cmd_DelDriverAdd_Click(); });
    on_click("Cmd_DelDriverDel", [](RemForm& f) { f.Cmd_DelDriverDel_Click(); });

    // A click and a keyboard selection both pick the entry to edit; the whole text is then
    // selected, so typing replaces it. A row the list makes current by itself picks nothing.
    auto on_entry = [this](const char* list_name, const char* text_name,
                           std::function<void(RemForm&)> handler) {
        auto* list = findChild<QListWidget*>(QString::fromLatin1(list_name));
        auto* text = findChild<QLineEdit*>(QString::fromLatin1(text_name));
        connect(list, &QListWidget::itemClicked, this, [this, text, handler] {
            run([this, &handler] { handler(form_); });
            text->selectAll();
        });
    };
    on_entry("Lst_DelPrinter", "Txt_DelPrinter", [](RemForm& f) { f.Lst_DelPrinter_Click(); });
    on_entry("Lst_DelDriver", "Txt_DelDriver", [](RemForm& f) { f.Lst_DelDriver_Click(); });

    connect(findChild<QPushButton*>("Com_OK"), &QPushButton::clicked, this,
            [this] { run([this] { form_.Com_OK_Click(wait_, *this); }); });
    connect(findChild<QPushButton*>("Com_OpenJob"), &QPushButton::clicked, this,
            [this] { run([this] { jobs_->Com_OpenJob_Click(form_); }); });
    connect(findChild<QPushButton*>("Com_SaveJob"), &QPushButton::clicked, this,
            [this] { run([this] { jobs_->Com_SaveJob_Click(form_); }); });
    connect(findChild<QPushButton*>("Com_End"), &QPushButton::clicked, this, &QWidget::close);
    connect(findChild<QComboBox*>("cb_SelectSoft"), QOverload<int>::of(&QComboBox::activated), this,
            [this] { cb_SelectSoft_Click(); });
    findChild<QLineEdit*>("In_Path")->installEventFilter(this);
    findChild<QLineEdit*>("Out_Path")->installEventFilter(this);
}

bool RemWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit && edit->objectName() == "In_Path")
            run([this] { form_.In_Path_GotFocus(); });
        if (edit && edit->objectName() == "Out_Path")
            run([this] { form_.Out_Path_GotFocus(); });
        if (edit)
            return focus_with_caret_at_start(edit, event);
    }
    return QWidget::eventFilter(watched, event);
}

void RemWindow::load(const std::string& View_Mode, const std::string& main_caption) {
    korva::restore_placement(this, settings_);
    form_.Form_Load_controls(View_Mode, main_caption);
    binder_->push();
    if (form_.hand_back_at_start()) {
        QTimer::singleShot(0, this, [this] {
            if (open_main_tool)
                open_main_tool(form_.cb_SelectSoft.list->index);
        });
    }
}

void RemWindow::select_tool(int list_index) {
    ListControl& selector = form_.cb_SelectSoft;
    if (list_index < 0 || list_index >= selector.list->count())
        return;
    binder_->pull();
    selector.list->index = list_index;
    binder_->push();
    cb_SelectSoft_Click();
}

void RemWindow::cb_SelectSoft_Click() {
    binder_->pull();
    const int tool = form_.selected_tool();
    if (tool == 1) {
        if (open_main_tool)
            open_main_tool(form_.cb_SelectSoft.list->index);
    } else if (tool == 2) {
        resize(width(), kWindowHeightTwips / twips_per_pixel(this));
    }
}

void RemWindow::closeEvent(QCloseEvent* event) {
    const int tpp = twips_per_pixel(this);
    save_placement(settings_, stored_window_state(this), x() * tpp, y() * tpp);
    event->accept();
    // The hidden main window goes with this one, without closing steps of its own.
    QCoreApplication::exit(0);
}

}  // namespace korva::eraser
