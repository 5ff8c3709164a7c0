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

namespace korva {

AdminWindow::AdminWindow(AdminForm& form, SettingsStore& settings, WaitView& wait)
    : form_(form), settings_(settings), wait_(wait) {
    setObjectName("Admin_Setting");
    build();
    binder_ = std::make_unique<FormBinder>(this, form_.controls());

    connect(findChild<QPushButton*>("Com_OK"), &QPushButton::clicked, this, [this] {
        binder_->pull();
        form_.Com_OK_Click(wait_, *this);
        binder_->push();
    });
    connect(findChild<QPushButton*>("Com_End"), &QPushButton::clicked, this, &QWidget::close);
}

void AdminWindow::build() {
    auto* frame = named<QGroupBox>("Fra_Admin");
    auto* grid = new QGridLayout(frame);
    auto* password = named<QLineEdit>("Password");
    hide_password(password);
    add_labelled_rows(grid, {
                                {"Lbl_Acount_Name", named<QLineEdit>("Acount_Name")},
                                {"Lbl_Domain_Name", named<QLineEdit>("Domain_Name")},
                                {"Lbl_Password", password},
                            });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(named<QPushButton>("Com_OK"));
    buttons->addWidget(named<QPushButton>("Com_End"));

    auto* root = new QVBoxLayout(this);
    root->addWidget(frame);
    root->addLayout(buttons);
    root->addStretch();
    setMinimumWidth(420);
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
