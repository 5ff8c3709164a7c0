// SPDX-License-Identifier: MIT
// Mirrors a core control table onto the widgets of the same object names, and reads the user's
// edits back before every event, so windows hold no rules of their own.
#pragma once

#include <QWidget>

#include "app/control.h"

namespace korva {

// A new widget carrying its control's name, by which the binder and the tests find it.
template <typename W>
W* named(const char* name, QWidget* parent = nullptr) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

class FormBinder {
  public:
    FormBinder(QWidget* window, ControlTable controls);

    // Core state to widgets; signals blocked so no event fires from code.
    void push();
    // Widget state (typed text, ticks, selections) to the core.
    void pull();

  private:
    QWidget* window_;
    ControlTable controls_;
};

}  // namespace korva
