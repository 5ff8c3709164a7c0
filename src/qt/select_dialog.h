// SPDX-License-Identifier: MIT
// The printer/PC-Fax question for packages that hold both drivers. It is loaded once and then
// only hidden and shown, so the option chosen last is still selected the next time.
#pragma once

#include <QDialog>

#include "catalogue/catalogue.h"
#include "dialogs/prompter.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace korva {

class Select_Dialog : public QDialog {
    Q_OBJECT

  public:
    // Texts come from the main window's language section through the dialogs' 500-character
    // buffer.
    explicit Select_Dialog(const Catalogue& catalogue, QWidget* parent = nullptr);

    // The driver the options name now. OK, Cancel and the close box all just hide the dialog;
    // the caller reads this in every case.
    DriverKind choice() const;

  private:
    void build();
    void Form_Load(const Catalogue& catalogue);

    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Opt_Prt = nullptr;
    QRadioButton* Opt_Fax = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

}  // namespace korva
