// SPDX-License-Identifier: MIT
// Both buttons only hide the dialog: the caller always reads the options afterwards, so there is
// no "cancelled" answer to lose.
#include "qt/select_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "qt/form_binder_qt.h"
#include "qt/prompter_qt.h"

namespace korva {

namespace {

template <typename T>
T* named(QWidget* parent, const char* name) {
    T* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

Select_Dialog::Select_Dialog(const Catalogue& catalogue, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Select_Dialog"));
    setModal(true);
    build();
    Form_Load(catalogue.with_section(catalogue.section(), kDialogBuffer));
}

void Select_Dialog::build() {
    Label1 = named<QLabel>(this, "Label1");
    Frame1 = named<QGroupBox>(this, "Frame1");
    Opt_Prt = named<QRadioButton>(Frame1, "Opt_Prt");
    Opt_Fax = named<QRadioButton>(Frame1, "Opt_Fax");
    OKButton = named<QPushButton>(this, "OKButton");
    CancelButton = named<QPushButton>(this, "CancelButton");
    OKButton->setDefault(true);

    auto* options = new QVBoxLayout(Frame1);
    auto* group = new QButtonGroup(Frame1);
    for (QRadioButton* option : {Opt_Prt, Opt_Fax}) {
        group->addButton(option);
        options->addWidget(option);
    }
    tab_to_checked_option(group);
    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addWidget(Frame1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto* main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetMinimumSize);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void Select_Dialog::Form_Load(const Catalogue& catalogue) {
    Label1->setText(display_text(catalogue.text("MsgMore")));
    Label1->setText(Label1->text() + QStringLiteral("\n") +
                    display_text(catalogue.text("MsgWhich")));
    Opt_Prt->setChecked(true);
    setWindowTitle(display_text(catalogue.text("MsgSelect")));
    Frame1->setTitle(display_text(catalogue.text("MsgDriver")));
    Opt_Prt->setText(display_text(catalogue.text("MsgPrn")));
    Opt_Fax->setText(display_text(catalogue.text("MsgFax")));
    OKButton->setText(display_text(catalogue.text("MsgOk")));
    CancelButton->setText(display_text(catalogue.text("MsgCancel")));
}

DriverKind Select_Dialog::choice() const {
    return Opt_Prt->isChecked() ? DriverKind::Printer : DriverKind::Pcfax;
}

}  // namespace korva
