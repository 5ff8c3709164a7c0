// SPDX-License-Identifier: MIT
// A declaration row with an event becomes a row here: the handler's name is the control's name
// and the event's (Com_OK_Click), and its target says on what it is called.
#include "app/window_events.h"

namespace korva {
namespace {

#define KORVA_EVENT_None(name, target)
#define KORVA_EVENT_Click(name, target) \
    {#name, WindowEvent::Click, KORVA_HANDLER_##target(name##_Click)},
#define KORVA_EVENT_GotFocus(name, target) \
    {#name, WindowEvent::GotFocus, KORVA_HANDLER_##target(name##_GotFocus)},

#define KORVA_HANDLER_Form(method) [](Form& form, WindowActions&) { form.method(); }
#define KORVA_HANDLER_Wait(method) \
    [](Form& form, WindowActions& window) { form.method(window.wait_view(), window); }
#define KORVA_HANDLER_Jobs(method)                 \
    [](Form& form, WindowActions& window) {        \
        if (job::JobSession* jobs = window.jobs()) \
            jobs->method(form);                    \
    }
#define KORVA_HANDLER_Close(method) [](Form&, WindowActions& window) { window.close_window(); }
#define KORVA_HANDLER_SelectTool(method) \
    [](Form&, WindowActions& window) { window.tool_selected(); }

namespace main_events {
using Form = MainForm;
const EventRow<Form> rows[] = {
#define KORVA_WINDOW_DECLARATION "mainform/main_window.def"
#include "app/declare_events.h"
};
}  // namespace main_events

namespace rem_events {
using Form = eraser::RemForm;
const EventRow<Form> rows[] = {
#define KORVA_WINDOW_DECLARATION "eraser/rem_window.def"
#include "app/declare_events.h"
};
}  // namespace rem_events

namespace admin_events {
using Form = AdminForm;
const EventRow<Form> rows[] = {
#define KORVA_WINDOW_DECLARATION "admin/admin_window.def"
#include "app/declare_events.h"
};
}  // namespace admin_events

}  // namespace

template <>
std::span<const EventRow<MainForm>> window_events<MainForm>() {
    return main_events::rows;
}

template <>
std::span<const EventRow<eraser::RemForm>> window_events<eraser::RemForm>() {
    return rem_events::rows;
}

template <>
std::span<const EventRow<AdminForm>> window_events<AdminForm>() {
    return admin_events::rows;
}

}  // namespace korva
