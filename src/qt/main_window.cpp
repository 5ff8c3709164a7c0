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
#include "qt/window_events_qt.h"

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
    grid->addWidget(named<QLabel>(main_ui::Label1), 0, 0);
    grid->addWidget(named<QLineEdit>(main_ui::In_Path), 1, 0, 1, 2);
    grid->addWidget(named<QLabel>(main_ui::Label2), 2, 0);
    grid->addWidget(named<QLineEdit>(main_ui::Out_Path), 3, 0);
    grid->addWidget(named<QPushButton>(main_ui::Com_Brow), 3, 1);
    return block;
}

QGroupBox* functions_block() {
    auto* frame = named<QGroupBox>(main_ui::Frame3);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(named<QCheckBox>(main_ui::Chk_SI));
    layout->addWidget(named<QCheckBox>(main_ui::Chk_UserI));
    return frame;
}

QGroupBox* account_block() {
    auto* frame = named<QGroupBox>(main_ui::Frame6);
    auto* password = named<QLineEdit>(main_ui::Password);
    hide_password(password);
    // One grid, so the three boxes share their left edge whatever the labels' lengths.
    add_labelled_rows(new QGridLayout(frame),
                      {
                          {main_ui::Label6, named<QLineEdit>(main_ui::Acount_Name)},
                          {main_ui::Label8, named<QLineEdit>(main_ui::Domain_Name)},
                          {main_ui::Label9, password},
                      });
    return frame;
}

QGroupBox* port_block() {
    auto* frame = named<QGroupBox>(main_ui::Frame4);
    auto* layout = new QVBoxLayout(frame);
    auto* types = new QVBoxLayout;
    auto* group = new QButtonGroup(frame);
    for (const char* name : {main_ui::P_Standard, main_ui::P_Qx}) {
        auto* option = named<QRadioButton>(name);
        group->addButton(option);
        types->addWidget(option);
    }
    tab_to_checked_option(group);
    layout->addLayout(types);
    auto* protocol = named<QGroupBox>(main_ui::Frame8);
    auto* grid = new QGridLayout(protocol);
    auto* protocols = new QButtonGroup(protocol);
    auto* raw = named<QRadioButton>(main_ui::Pr_Raw);
    auto* lpr = named<QRadioButton>(main_ui::Pr_Lpr);
    protocols->addButton(raw);
    protocols->addButton(lpr);
    tab_to_checked_option(protocols);
    grid->addWidget(raw, 0, 0);
    grid->addWidget(named<QLabel>(main_ui::Label12), 0, 1);
    auto* port_number = named<QLineEdit>(main_ui::Protocol_Raw);
    port_number->setFixedWidth(64);
    grid->addWidget(port_number, 0, 2);
    grid->addWidget(lpr, 1, 0);
    grid->addWidget(named<QLabel>(main_ui::Label13), 1, 1);
    auto* queue = named<QLineEdit>(main_ui::Protocol_Lpr);
    queue->setFixedWidth(64);
    grid->addWidget(queue, 1, 2);
    layout->addWidget(protocol);
    return frame;
}

// The model list runs over the port column too, since its placeholder is the longest text of
// the entry fields; the other fields keep beside the port options. Returns the last row used.
int add_entry_fields(QGridLayout* grid) {
    grid->addWidget(named<QLabel>(main_ui::Label3), 1, 0);
    grid->addWidget(named<QComboBox>(main_ui::Model_Name), 1, 1, 1, 2);
    int row = 2;
    for (auto [label, field] :
         {std::pair<const char*, QWidget*>{main_ui::Label11, named<QComboBox>(main_ui::Emu_Name)},
          {main_ui::Label5, named<QLineEdit>(main_ui::IP_Address)},
          {main_ui::Label4, named<QLineEdit>(main_ui::Printer_Name)}}) {
        grid->addWidget(named<QLabel>(label), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(option_pair(main_ui::Frame1, main_ui::D_Yes, main_ui::D_No), row++, 0, 1, 2);
    grid->addWidget(named<QCheckBox>(main_ui::Chk_AutoConfig), row, 0, 1, 2);
    grid->addWidget(port_block(), 2, 2, row - 1, 1, Qt::AlignTop);
    // The port options need no more than their size; the entry fields take the rest.
    grid->setColumnStretch(1, 1);
    return row;
}

QGroupBox* printers_block() {
    auto* frame = named<QGroupBox>(main_ui::Frame5);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(named<QLabel>(main_ui::Label10), 0, 0, 1, 3);
    int row = add_entry_fields(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(named<QPushButton>(main_ui::Add));
    buttons->addWidget(named<QPushButton>(main_ui::Delete));
    buttons->addStretch();
    grid->addLayout(buttons, ++row, 0, 1, 3);
    auto* list = named<ListBox>(main_ui::Printer_List);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->addWidget(list, ++row, 0, 1, 3);
    grid->setRowStretch(row, 1);
    return frame;
}

QGroupBox* silent_block() {
    auto* frame = named<QGroupBox>(main_ui::Frame7);
    auto* layout = new QVBoxLayout(frame);
    auto* options = new QHBoxLayout;
    options->addWidget(option_pair(main_ui::Frame2, main_ui::S_Yes, main_ui::S_No));
    options->addWidget(named<QCheckBox>(main_ui::Chk_DlgReboot));
    layout->addLayout(options);
    layout->addWidget(printers_block(), 1);
    return frame;
}

}  // namespace

MainWindow::MainWindow(MainForm& form, SettingsStore& settings, WaitView& wait)
    : form_(form), settings_(settings), wait_(wait) {
    setObjectName(main_ui::Main);
    build();
    binder_ = std::make_unique<FormBinder>(this, form_.controls());
    wire_events(this, form_);
    binder_->push();
}

void MainWindow::build() {
    auto* root = new QVBoxLayout(this);
    add_tool_selector(root, main_ui::Label14, main_ui::cb_SelectSoft, main_ui::Line1);

    // Both columns grow with the window, so the folder boxes show more of long paths.
    auto* columns = new QHBoxLayout;
    auto* left_column = new QWidget;
    auto* left = new QVBoxLayout(left_column);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(paths_block());
    left->addWidget(functions_block());
    left->addWidget(labelled(main_ui::Label15, named<QComboBox>(main_ui::Language_Name)));
    left->addWidget(account_block());
    left->addStretch();
    columns->addWidget(left_column, 1);
    columns->addWidget(silent_block(), 2);
    root->addLayout(columns, 1);

    add_command_row(
        root, {main_ui::Com_OpenJob, main_ui::Com_SaveJob, main_ui::Com_OK, main_ui::Com_End});
    compact_layouts(this);
}

void MainWindow::run(const std::function<void()>& handler) {
    binder_->pull();
    handler();
    binder_->push();
}

void MainWindow::select_tool(int list_index) {
    form_.cb_SelectSoft.list->index = list_index;
    binder_->push();
    tool_selected();
}

void MainWindow::tool_selected() {
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
