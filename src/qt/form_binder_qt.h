// SPDX-License-Identifier: MIT
// Mirrors a core control table onto the widgets of the same object names, and reads the user's
// edits back before every event, so windows hold no rules of their own.
#pragma once

#include <QButtonGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/control.h"

namespace korva {

// A new widget carrying its control's name, by which the binder and the tests find it.
template <typename W>
W* named(const char* name, QWidget* parent = nullptr) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A list box whose keyboard selection reports a click, as a Windows list box does, so arrow keys
// load an entry as the mouse does. Rows that only become current (a list taking the focus) are
// no selection and report nothing.
class ListBox : public QListWidget {
  public:
    using QListWidget::QListWidget;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int selected_at_press_ = -1;
    int pressed_row_ = -1;
};

// The row the user selected, or -1: a current row without selection is not a choice.
int selected_row(const QListWidget* list);

// Tab reaches an option group once, at its checked option (the first while none is), as a
// Windows dialog does; the arrow keys still move between the options.
void tab_to_checked_option(QButtonGroup* group);

// Password boxes show "*" for every character, whatever the platform style draws.
void hide_password(QLineEdit* edit);

// The account rows of the tool windows: each label beside its box, the boxes taking the width.
void add_labelled_rows(QGridLayout* grid,
                       std::initializer_list<std::pair<const char*, QLineEdit*>> rows);

// Lets the box take the focus, then puts the caret at the start with nothing selected, where Qt
// would select all; returns true as the event is then handled.
bool focus_with_caret_at_start(QLineEdit* edit, QEvent* focus_in);

class FormBinder {
  public:
    FormBinder(QWidget* window, ControlTable controls);

    // Core state to widgets; signals blocked so no event fires from code.
    void push();
    // Widget state (typed text, ticks, selections) to the core.
    void pull();
    // Model names without a widget in the window; empty when the binding is complete.
    const std::vector<std::string>& unbound() const { return unbound_; }

  private:
    struct Binding {
        Control* control;
        QWidget* widget;
    };
    QWidget* window_;
    // Found once: every event reads and writes all of them.
    std::vector<Binding> bindings_;
    std::vector<std::string> unbound_;
};

}  // namespace korva
