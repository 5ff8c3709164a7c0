// SPDX-License-Identifier: MIT
// The events of the three tool windows, as their declarations list them: each front end wires
// the whole table in one loop, running a row's handler between reading its controls and showing
// the result, so a window adds no event by hand.
#pragma once

#include <span>

#include "admin/admin_form.h"
#include "dialogs/wait_view.h"
#include "eraser/rem_form.h"
#include "job/job_window.h"
#include "mainform/main_form.h"

namespace korva {

enum class WindowEvent {
    Click,     // buttons, ticks and options; a list's or drop-down's selection by mouse or keys
    GotFocus,  // a text box taking the focus
};

// What a handler may ask of the front-end window it runs in.
class WindowActions : public OwnerView {
  public:
    virtual WaitView& wait_view() = 0;
    // Open job and Save job; null until the run's job session exists.
    virtual job::JobSession* jobs() = 0;
    // Stores the placement and ends the program, as closing any tool window does.
    virtual void close_window() = 0;
    // The tool selector chose: the main tool's window grows to its full height, the other
    // tool's window takes over.
    virtual void tool_selected() = 0;
};

template <typename Form>
struct EventRow {
    const char* control;
    WindowEvent event;
    void (*handle)(Form& form, WindowActions& window);
};

template <typename Form>
std::span<const EventRow<Form>> window_events();

template <>
std::span<const EventRow<MainForm>> window_events<MainForm>();
template <>
std::span<const EventRow<eraser::RemForm>> window_events<eraser::RemForm>();
template <>
std::span<const EventRow<AdminForm>> window_events<AdminForm>();

}  // namespace korva
