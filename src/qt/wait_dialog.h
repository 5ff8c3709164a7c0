// SPDX-License-Identifier: MIT
// The dialog shown while Create builds a package: "creating" without a button, then "finished"
// with the button that ends the program.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <string>

#include "catalogue/catalogue.h"
#include "dialogs/wait_view.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace korva {

// The design title, kept when the language section names neither Japanese nor English.
inline constexpr const char* kWaitDesignTitle = "ツール";

class Wait_Dialog : public QDialog, public WaitView {
    Q_OBJECT

  public:
    // Texts come from the main window's language section through the dialogs' 500-character
    // buffer; the title follows that section's name.
    explicit Wait_Dialog(const Catalogue& catalogue, QWidget* owner = nullptr);

    // The window the dialog stays in front of.
    void set_owner(QWidget* owner);
    // What Com_End does: release the owner's resources and end the program. Without one it
    // ends the application's event loop.
    void set_end_action(std::function<void()> action);

    // false while the package is being created, true once it is finished.
    bool fReturn = false;

    void show_creating() override;
    void refresh() override;
    void progress(std::uint64_t done, std::uint64_t total) override;
    void show_finished() override;
    void hide() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void build();
    void Form_Paint();
    void Com_End_Click();

    Catalogue catalogue_;
    std::function<void()> end_action_;
    // Time of the last progress shown; invalid until the first one of a Create.
    QElapsedTimer progress_shown_;
    QLabel* Label1 = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* Com_End = nullptr;
};

}  // namespace korva
