// SPDX-License-Identifier: MIT
// Wires every event a window's declaration lists to the widget of the same name: a button's,
// tick's or option's click, a drop-down's choice, a list's item click, a text box taking the
// focus. Each handler runs through the window's run(), between reading the widgets and showing
// the result.
#pragma once

#include <QWidget>
#include <functional>

#include "app/window_events.h"

namespace korva {

void wire_event(QWidget* window, const char* control, WindowEvent event,
                std::function<void()> handler);

template <typename Form, typename Window>
void wire_events(Window* window, Form& form) {
    for (const EventRow<Form>& row : window_events<Form>()) {
        wire_event(window, row.control, row.event, [window, &form, handle = row.handle] {
            window->run([window, &form, handle] { handle(form, *window); });
        });
    }
}

}  // namespace korva
