// SPDX-License-Identifier: MIT
// The prompter of the Windows program: message boxes, the input box, the shell's folder browser
// and the printer/PC-Fax selection, each owned by the window that asks.
#pragma once

#include <windows.h>

#include "catalogue/catalogue.h"
#include "dialogs/prompter.h"

namespace korva::win32 {

class WinPrompter : public korva::Prompter {
  public:
    // The catalogue of the main window's language section; the selection dialog reads it
    // through the dialogs' 500-character buffer.
    explicit WinPrompter(const Catalogue& catalogue);
    ~WinPrompter() override;
    WinPrompter(const WinPrompter&) = delete;
    WinPrompter& operator=(const WinPrompter&) = delete;

    // The window that asks next; set by each tool window before it runs a handler.
    void set_owner(HWND owner) { owner_ = owner; }
    // While Create works its window is hidden behind the waiting dialog, which then owns what
    // Create asks, so the question comes up in front of it.
    void set_stand_in(HWND stand_in) { stand_in_ = stand_in; }

    void message(const std::string& text, const std::string& title) override;
    bool ask_yes_no(const std::string& text, const std::string& title) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& default_answer) override;
    // No description and no new-folder button (flags 0); opens at the browser's default place.
    std::optional<std::string> browse_folder() override;
    // The option chosen last stays chosen for the whole run; OK, Cancel and the close box all
    // keep what the options say.
    DriverKind select_driver_kind() override;
    std::optional<std::string> job_file(bool for_saving, const std::string& title,
                                        const std::string& filter_name) override;

  private:
    HWND owner() const;
    // The shell's dialogs want a single-threaded apartment, entered before the first of them.
    void enter_apartment();

    Catalogue catalogue_;
    HWND owner_ = nullptr;
    HWND stand_in_ = nullptr;
    DriverKind last_kind_ = DriverKind::Printer;
    bool in_apartment_ = false;
};

}  // namespace korva::win32
