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
#include "qt/window_events_qt.h"

namespace korva::eraser {

namespace {

QWidget* paths_block() {
    auto* block = new QWidget;
    auto* grid = new QGridLayout(block);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(named<QLabel>(rem_ui::Lbl_In_Path), 0, 0);
    grid->addWidget(named<QLineEdit>(rem_ui::In_Path), 0, 1);
    grid->addWidget(named<QLabel>(rem_ui::Lbl_Out_Path), 1, 0);
    grid->addWidget(named<QLineEdit>(rem_ui::Out_Path), 1, 1);
    grid->addWidget(named<QPushButton>(rem_ui::Com_Brow), 1, 2);
    grid->setColumnStretch(1, 1);
    return block;
}

QGroupBox* dialog_block() {
    auto* frame = named<QGroupBox>(rem_ui::Fra_Dialog);
    auto* layout = new QHBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (const char* name : {rem_ui::Opt_Dialog0, rem_ui::Opt_Dialog1}) {
        auto* option = named<QRadioButton>(name);
        group->addButton(option);
        layout->addWidget(option);
    }
    tab_to_checked_option(group);
    layout->addStretch();
    return frame;
}

QGroupBox* qx_block() {
    auto* frame = named<QGroupBox>(rem_ui::Fra_QX);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QCheckBox>(rem_ui::Chk_QX0));
    layout->addWidget(named<QCheckBox>(rem_ui::Chk_QX1));
    return frame;
}

QGroupBox* user_block() {
    auto* frame = named<QGroupBox>(rem_ui::Fra_UserI);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QCheckBox>(rem_ui::Chk_UserI));
    return frame;
}

QGroupBox* admin_block() {
    auto* frame = named<QGroupBox>(rem_ui::Fra_Admin);
    auto* grid = new QGridLayout(frame);
    auto* password = named<QLineEdit>(rem_ui::Password);
    hide_password(password);
    add_labelled_rows(grid, {
                                {rem_ui::Lbl_Acount_Name, named<QLineEdit>(rem_ui::Acount_Name)},
                                {rem_ui::Lbl_Password, password},
                                {rem_ui::Lbl_Domain_Name, named<QLineEdit>(rem_ui::Domain_Name)},
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
    setObjectName(rem_ui::Rem_Frm);
    build();
    binder_ = std::make_unique<FormBinder>(this, form_.controls());
    wire_events(this, form_);
    binder_->push();
}

void RemWindow::build() {
    auto* root = new QVBoxLayout(this);
    add_tool_selector(root, rem_ui::Lbl_Soft, rem_ui::cb_SelectSoft, rem_ui::Line1);
    root->addWidget(paths_block());

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(dialog_block());
    left->addWidget(qx_block());
    left->addWidget(user_block());
    left->addWidget(admin_block());
    left->addStretch();
    columns->addLayout(left, 4);
    columns->addWidget(
        deletion_block(rem_ui::Fra_DelPrinter, rem_ui::Txt_DelPrinter, rem_ui::Lst_DelPrinter,
                       rem_ui::Cmd_DelPrinterAdd, rem_ui::Cmd_DelPrinterDel),
        3);
    columns->addWidget(
        deletion_block(rem_ui::Fra_DelDriver, rem_ui::Txt_DelDriver, rem_ui::Lst_DelDriver,
                       rem_ui::Cmd_DelDriverAdd, rem_ui::Cmd_DelDriverDel),
        3);
    root->addLayout(columns, 1);

    add_command_row(root,
                    {rem_ui::Com_OpenJob, rem_ui::Com_SaveJob, rem_ui::Com_OK, rem_ui::Com_End});
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
    tool_selected();
}

void RemWindow::tool_selected() {
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
