// SPDX-License-Identifier: MIT
#include "qt/window_events_qt.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <utility>

#include "qt/form_binder_qt.h"

namespace korva {
namespace {

// The handler runs as the box takes the focus; then the caret goes to the start of its text,
// as in a Windows text box.
class FocusEvent : public QObject {
  public:
    FocusEvent(QLineEdit* edit, std::function<void()> handler)
        : QObject(edit), handler_(std::move(handler)) {
        edit->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::FocusIn)
            return false;
        handler_();
        return focus_with_caret_at_start(static_cast<QLineEdit*>(watched), event);
    }

  private:
    std::function<void()> handler_;
};

void wire_click(QWidget* widget, const std::function<void()>& handler) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::clicked, button, handler);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), combo, handler);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        QObject::connect(list, &QListWidget::itemClicked, list, handler);
    }
}

}  // namespace

void wire_event(QWidget* window, const char* control, WindowEvent event,
                std::function<void()> handler) {
    // The binder has already refused a declared control the window lacks.
    QWidget* widget = window->findChild<QWidget*>(QString::fromLatin1(control));
    if (!widget)
        return;
    if (event == WindowEvent::Click) {
        wire_click(widget, handler);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        new FocusEvent(edit, std::move(handler));
    }
}

}  // namespace korva
