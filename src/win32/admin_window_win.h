// SPDX-License-Identifier: MIT
// The administrator launcher window `Admin_Setting`: a dialog that mirrors AdminForm and
// forwards its two buttons to it. Closing it, in any way, ends the whole program.
#pragma once

#include <string>

#include "admin/admin_form.h"
#include "win32/tool_window.h"

namespace korva::win32 {

class AdminWindow : public ToolWindow {
  public:
    AdminWindow(AdminForm& form, SettingsStore& settings, WinPrompter& prompter, WaitView& wait);

    // Form_Load with the main window's caption. False when the program must end: the fixed
    // message has been shown and the window has closed, storing the placement and ending the
    // message loop. Call it once the window stands where the main window stood.
    bool load(const std::string& main_caption);

    AdminForm& form() { return form_; }

    WaitView& wait_view() override { return wait_; }
    job::JobSession* jobs() override { return nullptr; }
    void tool_selected() override {}

  private:
    AdminForm& form_;
    WaitView& wait_;
};

}  // namespace korva::win32
