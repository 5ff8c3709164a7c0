// SPDX-License-Identifier: MIT
// The state of one window control, held in the core so the window rules are tested without a
// display; the Qt windows only mirror it.
#pragma once

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/list_state.h"

namespace korva {

struct Control {
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    std::string caption;  // labels, frames, buttons, check boxes, option buttons, window title
    std::string text;     // text boxes
    int value = 0;        // check box 0/1; option button 1 when selected
    bool enabled = true;
    bool visible = true;
    // Text boxes: the next push selects the whole text, so that typing replaces it, and clears
    // the request.
    bool select_text = false;
};

// Drop-down lists and list boxes. Some lists live in the package state; `list` then points there
// instead of at `own`.
struct ListControl : Control {
    ListState own;
    ListState* list = &own;
    std::vector<int> item_data;

    std::string list_text() const { return list->text(); }
};

using ControlTable = std::vector<std::pair<const char*, Control*>>;

// A control that a window's model names but the window lacks would do nothing, silently. Debug
// builds and the tests (KORVA_CHECK_BINDINGS set) stop at start-up instead; a user's build keeps
// the window going.
inline void check_bindings(const char* window, const std::vector<std::string>& unbound) {
#ifdef NDEBUG
    if (std::getenv("KORVA_CHECK_BINDINGS") == nullptr)
        return;
#endif
    if (unbound.empty())
        return;
    std::string names;
    for (const std::string& name : unbound)
        names += " " + name;
    throw std::logic_error(std::string(window) + " has no control for:" + names);
}

}  // namespace korva
