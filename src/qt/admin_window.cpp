// SPDX-License-Identifier: MIT
// Layout of the administrator window: the account frame above the two buttons. Closing it, in any
// way, ends the whole program, as the main window's close does.
#include "qt/admin_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/placement.h"
#include "qt/hand_over_qt.h"
#include "qt/window_events_qt.h"

namespace korva {

AdminWindow::AdminWindow(AdminForm& form, SettingsStore& settings, WaitView& wait)
    : form_(form), settings_(settings), wait_(wait) {
    setObjectName(admin_ui::Admin_Setting);
    build();
    binder_ = std::make_unique<FormBinder>(this, form_.controls());
    wire_events(this, form_);
}

void AdminWindow::build() {
    auto* frame = named<QGroupBox>(admin_ui::Fra_Admin);
    auto* grid = new QGridLayout(frame);
    auto* password = named<QLineEdit>(admin_ui::Password);
    hide_password(password);
    add_labelled_rows(grid,
                      {
                          {admin_ui::Lbl_Acount_Name, named<QLineEdit>(admin_ui::Acount_Name)},
                          {admin_ui::Lbl_Domain_Name, named<QLineEdit>(admin_ui::Domain_Name)},
                          {admin_ui::Lbl_Password, password},
                      });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(named<QPushButton>(admin_ui::Com_OK));
    buttons->addWidget(named<QPushButton>(admin_ui::Com_End));

    auto* root = new QVBoxLayout(this);
    root->addWidget(frame);
    root->addLayout(buttons);
    root->addStretch();
    setMinimumWidth(420);
}

void AdminWindow::run(const std::function<void()>& handler) {
    binder_->pull();
    handler();
    binder_->push();
}

bool AdminWindow::load(const std::string& main_caption) {
    const bool must_end = form_.Form_Load(main_caption);
    binder_->push();
    if (must_end)
        close();
    return !must_end;
}

void AdminWindow::closeEvent(QCloseEvent* event) {
    const int tpp = twips_per_pixel(this);
    save_placement(settings_, stored_window_state(this), x() * tpp, y() * tpp);
    event->accept();
    QCoreApplication::exit(0);
    // A load that fails at start-up closes the window before the event loop runs, when exit()
    // alone would be lost; queued, it ends the loop as soon as that starts.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace korva
