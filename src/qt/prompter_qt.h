// SPDX-License-Identifier: MIT
// The prompter of the real program: Qt message boxes, input box, folder picker and the one
// selection dialog of the run.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "catalogue/catalogue.h"
#include "dialogs/prompter.h"

namespace korva {

class Select_Dialog;

// A catalogue text as Qt shows it: the catalogue joins lines with CR LF, Qt breaks at a bare
// line feed.
QString display_text(const std::string& text);

class QtPrompter : public Prompter {
  public:
    // The catalogue of the main window's language section; the selection dialog reads it
    // through the dialogs' 500-character buffer.
    explicit QtPrompter(const Catalogue& catalogue, QWidget* owner = nullptr);
    ~QtPrompter() override;
    QtPrompter(const QtPrompter&) = delete;
    QtPrompter& operator=(const QtPrompter&) = delete;

    // The window the dialogs are modal to.
    void set_owner(QWidget* owner);

    void message(const std::string& text, const std::string& title) override;
    bool ask_yes_no(const std::string& text, const std::string& title) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& default_answer) override;
    // No description and no new-folder button; opens at the picker's default place.
    std::optional<std::string> browse_folder() override;
    // Loads the selection dialog on first use and shows that same dialog every time.
    DriverKind select_driver_kind() override;
    std::optional<std::string> job_file(bool for_saving, const std::string& title,
                                        const std::string& filter_name) override;

    // The selection dialog once it has been loaded, else null.
    Select_Dialog* select_dialog() const;

  private:
    Catalogue catalogue_;
    QPointer<QWidget> owner_;
    QPointer<Select_Dialog> select_;
};

}  // namespace korva
