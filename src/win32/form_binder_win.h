// SPDX-License-Identifier: MIT
// Mirrors a core control table onto the controls of a dialog, found through one table from the
// model's names to control numbers, and reads the user's edits back before every event.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "dialogs/control.h"

namespace korva::win32 {

struct ControlId {
    const char* name;
    int id;
};

// A UTF-8 text of the models as the wide-character API takes it, and back.
std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
std::string window_text(HWND hwnd);

class FormBinder {
  public:
    // window_name: the model's name of the window itself, whose caption becomes the title.
    FormBinder(HWND dialog, const char* window_name, ControlTable controls,
               std::span<const ControlId> ids);

    // Core state to the controls. Notifications the controls send meanwhile come from code,
    // not from the user, and the window ignores them while pushing() is true.
    void push();
    // Control state (typed text, ticks, selections) to the core.
    void pull();
    bool pushing() const { return pushing_; }

    // The control number of a model name, 0 when the table has none.
    int id_of(const std::string& name) const;
    // Model names without a control in the dialog; empty when the binding is complete.
    std::vector<std::string> unbound() const;

  private:
    HWND control_of(const char* name) const;

    HWND dialog_;
    const char* window_name_;
    ControlTable controls_;
    std::span<const ControlId> ids_;
    bool pushing_ = false;
};

}  // namespace korva::win32
