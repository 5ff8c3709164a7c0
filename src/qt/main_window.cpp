// SPDX-License-Identifier: MIT
// Layout of the main window: paths, functions and account on the left, the silent-install
// settings on the right, so everything fits the window's fixed 14700 x 8100 twips.
#include "qt/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/placement.h"
#include "qt/hand_over_qt.h"

namespace korva {

namespace {

QGroupBox* option_pair(const char* frame, const char* first, const char* second) {
    auto* box = named<QGroupBox>(frame);
    auto* layout = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (const char* name : {first, second}) {
        auto* option = named<QRadioButton>(name);
        group->addButton(option);
        layout->addWidget(option);
    }
    tab_to_checked_option(group);
    layout->addStretch();
    return box;
}

QWidget* labelled(const char* label, QWidget* field) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(named<QLabel>(label));
    layout->addWidget(field, 1);
    return row;
}

QWidget* paths_block() {
    auto* block = new QWidget;
    auto* grid = new QGridLayout(block);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(0, 1);
    grid->addWidget(named<QLabel>("Label1"), 0, 0);
    grid->addWidget(named<QLineEdit>("In_Path"), 1, 0, 1, 2);
    grid->addWidget(named<QLabel>("Label2"), 2, 0);
    grid->addWidget(named<QLineEdit>("Out_Path"), 3, 0);
    grid->addWidget(named<QPushButton>("Com_Brow"), 3, 1);
    return block;
}

QGroupBox* functions_block() {
    auto* frame = named<QGroupBox>("Frame3");
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QCheckBox>("Chk_SI"));
    layout->addWidget(named<QCheckBox>("Chk_UserI"));
    return frame;
}

QGroupBox* account_block() {
    auto* frame = named<QGroupBox>("Frame6");
    auto* password = named<QLineEdit>("Password");
    hide_password(password);
    // One grid, so the three boxes share their left edge whatever the labels' lengths.
    add_labelled_rows(new QGridLayout(frame), {
                                                  {"Label6", named<QLineEdit>("Acount_Name")},
                                                  {"Label8", named<QLineEdit>("Domain_Name")},
                                                  {"Label9", password},
                                              });
    return frame;
}

QGroupBox* port_block() {
    auto* frame = named<QGroupBox>("Frame4");
    auto* layout = new QVBoxLayout(frame);
    auto* types = new QVBoxLayout;
    auto* group = new QButtonGroup(frame);
    for (const char* name : {"P_Standard", "P_Qx"}) {
        auto* option = named<QRadioButton>(name);
        group->addButton(option);
        types->addWidget(option);
    }
    tab_to_checked_option(group);
    layout->addLayout(types);
    auto* protocol = named<QGroupBox>("Frame8");
    auto* grid = new QGridLayout(protocol);
    auto* protocols = new QButtonGroup(protocol);
    auto* raw = named<QRadioButton>("Pr_Raw");
    auto* lpr = named<QRadioButton>("Pr_Lpr");
    protocols->addButton(raw);
    protocols->addButton(lpr);
    tab_to_checked_option(protocols);
    grid->addWidget(raw, 0, 0);
    grid->addWidget(named<QLabel>("Label12"), 0, 1);
    auto* port_number = named<QLineEdit>("Protocol_Raw");
    port_number->setFixedWidth(64);
    grid->addWidget(port_number, 0, 2);
    grid->addWidget(lpr, 1, 0);
    grid->addWidget(named<QLabel>("Label13"), 1, 1);
    auto* queue = named<QLineEdit>("Protocol_Lpr");
    queue->setFixedWidth(64);
    grid->addWidget(queue, 1, 2);
    layout->addWidget(protocol);
    return frame;
}

// The model list runs over the port column too, since its placeholder is the longest text of
// the entry fields; the other fields keep beside the port options. Returns the last row used.
int add_entry_fields(QGridLayout* grid) {
    grid->addWidget(named<QLabel>("Label3"), 1, 0);
    grid->addWidget(named<QComboBox>("Model_Name"), 1, 1, 1, 2);
    int row = 2;
    for (auto [label, field] :
         {std::pair<const char*, QWidget*>{"Label11", named<QComboBox>("Emu_Name")},
          {"Label5", named<QLineEdit>("IP_Address")},
          {"Label4", named<QLineEdit>("Printer_Name")}}) {
        grid->addWidget(named<QLabel>(label), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(option_pair("Frame1", "D_Yes", "D_No"), row++, 0, 1, 2);
    grid->addWidget(named<QCheckBox>("Chk_AutoConfig"), row, 0, 1, 2);
    grid->addWidget(port_block(), 2, 2, row - 1, 1, Qt::AlignTop);
    // The port options need no more than their size; the entry fields take the rest.
    grid->setColumnStretch(1, 1);
    return row;
}

QGroupBox* printers_block() {
    auto* frame = named<QGroupBox>("Frame5");
    auto* grid = new QGridLayout(frame);
    grid->addWidget(named<QLabel>("Label10"), 0, 0, 1, 3);
    int row = add_entry_fields(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(named<QPushButton>("Add"));
    buttons->addWidget(named<QPushButton>("Delete"));
    buttons->addStretch();
    grid->addLayout(buttons, ++row, 0, 1, 3);
    auto* list = named<ListBox>("Printer_List");
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->addWidget(list, ++row, 0, 1, 3);
    grid->setRowStretch(row, 1);
    return frame;
}

QGroupBox* silent_block() {
    auto* frame = named<QGroupBox>("Frame7");
    auto* layout = new QVBoxLayout(frame);
    auto* options = new QHBoxLayout;
    options->addWidget(option_pair("Frame2", "S_Yes", "S_No"));
    options->addWidget(named<QCheckBox>("Chk_DlgReboot"));
    layout->addLayout(options);
    layout->addWidget(printers_block(), 1);
    return frame;
}

}  // namespace

MainWindow::MainWindow(MainForm& form, SettingsStore& settings, WaitView& wait)
    : form_(form), settings_(settings), wait_(wait) {
    setObjectName("Main");
    build();
    binder_ = std::make_unique<FormBinder>(this, form_.controls());
    connect_events();
    binder_->push();
}

void MainWindow::build() {
    auto* root = new QVBoxLayout(this);
    add_tool_selector(root, "Label14", "Line1");

    // Both columns grow with the window, so the folder boxes show more of long paths.
    auto* columns = new QHBoxLayout;
    auto* left_column = new QWidget;
    auto* left = new QVBoxLayout(left_column);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(paths_block());
    left->addWidget(functions_block());
    left->addWidget(labelled("Label15", named<QComboBox>("Language_Name")));
    left->addWidget(account_block());
    left->addStretch();
    columns->addWidget(left_column, 1);
    columns->addWidget(silent_block(), 2);
    root->addLayout(columns, 1);

    add_command_row(root);
    compact_layouts(this);
}

void MainWindow::run(const std::function<void()>& handler) {
    binder_->pull();
    handler();
    binder_->push();
}

void MainWindow::connect_events() {
    // Plain callables: g++ 12 miscompiles member-function pointers captured in nested lambdas
    // (AddressSanitizer reports a stack-buffer-underflow on the first click).
    auto on_click = [this](const char* name, std::function<void()> handler) {
        auto* button = findChild<QAbstractButton*>(QString::fromLatin1(name));
        connect(button, &QAbstractButton::clicked, this, [this, handler] { run(handler); });
    };
    on_click("Chk_SI", [this] { form_.Chk_SI_Click(); });
    on_click("Chk_UserI", [this] { form_.Chk_UserI_Click(); });
    on_click("Com_Brow", [this] { form_.Com_Brow_Click(); });
    on_click("Add", [this] { form_.Add_Click(); });
    on_click("Delete", [this] { form_.Delete_Click(); });
    on_click("P_Standard", [this] { form_.P_Standard_Click(); });
    on_click("P_Qx", [this] { form_.P_Qx_Click(); });
    on_click("Pr_Raw", [this] { form_.Pr_Raw_Click(); });
    on_click("Pr_Lpr", [this] { form_.Pr_Lpr_Click(); });
    on_click("Com_OpenJob", [this] { jobs_->Com_OpenJob_Click(form_); });
    on_click("Com_SaveJob", [this] { jobs_->Com_SaveJob_Click(form_); });
    connect(findChild<QPushButton*>("Com_OK"), &QPushButton::clicked, this,
            [this] { run([this] { form_.Com_OK_Click(wait_, *this); }); });
    connect(findChild<QPushButton*>("Com_End"), &QPushButton::clicked, this, &QWidget::close);
    connect(findChild<QComboBox*>("Model_Name"), QOverload<int>::of(&QComboBox::activated), this,
            [this] { run([this] { form_.Model_Name_Click(); }); });
    connect(findChild<QComboBox*>("Emu_Name"), QOverload<int>::of(&QComboBox::activated), this,
            [this] { run([this] { form_.Emu_Name_Click(); }); });
    connect(findChild<QListWidget*>("Printer_List"), &QListWidget::itemClicked, this,
            [this] { run([this] { form_.Printer_List_Click(); }); });
    connect(findChild<QComboBox*>("cb_SelectSoft"), QOverload<int>::of(&QComboBox::activated), this,
            [this] { cb_SelectSoft_Click(); });
    findChild<QLineEdit*>("In_Path")->installEventFilter(this);
    findChild<QLineEdit*>("Out_Path")->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
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

void MainWindow::select_tool(int list_index) {
    form_.cb_SelectSoft.list->index = list_index;
    binder_->push();
    cb_SelectSoft_Click();
}

void MainWindow::cb_SelectSoft_Click() {
    binder_->pull();
    const ListControl& selector = form_.cb_SelectSoft;
    const int index = selector.list->index;
    if (index < 0 || index >= static_cast<int>(selector.item_data.size()))
        return;
    const int tpp = twips_per_pixel(this);
    if (selector.item_data[index] == 1) {
        resize(width(), kWindowHeightTwips / tpp);
    } else if (selector.item_data[index] == 2 && open_removal_tool) {
        open_removal_tool(index);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    save_placement(settings_, stored_window_state(this), x() * twips_per_pixel(this),
                   y() * twips_per_pixel(this));
    event->accept();
    QApplication::exit(0);
}

}  // namespace korva
