// SPDX-License-Identifier: MIT
// Widgets are found by object name, the same name the control has in the core.
#include "qt/form_binder_qt.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <utility>

namespace korva {

static QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    const int before = selected_row(this);
    QListWidget::keyPressEvent(event);
    const int after = selected_row(this);
    if (after >= 0 && after != before)
        emit itemClicked(item(after));
}

// Qt reports a click only when the button goes down and up on one row; a drag to another row
// selects that row all the same, and that is the choice the user made.
void ListBox::mousePressEvent(QMouseEvent* event) {
    selected_at_press_ = selected_row(this);
    pressed_row_ = row(itemAt(event->position().toPoint()));
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    const int released_row = row(itemAt(event->position().toPoint()));
    if (released_row == pressed_row_)
        return;  // Qt's own click
    const int after = selected_row(this);
    if (after >= 0 && after != selected_at_press_)
        emit itemClicked(item(after));
}

int selected_row(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

namespace {

class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

}  // namespace

void hide_password(QLineEdit* edit) {
    // One style for all boxes, owned by the application, so it outlives every window.
    static QPointer<QStyle> style;
    if (!style) {
        style = new StarPasswordStyle;
        style->setParent(QCoreApplication::instance());
    }
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

namespace {

// Only one option of the group is a tab stop; the others take the focus by click or arrow key.
void make_tab_stop(QButtonGroup* group) {
    QAbstractButton* stop = group->checkedButton();
    const QList<QAbstractButton*> options = group->buttons();
    if (!stop && !options.isEmpty())
        stop = options.first();
    for (QAbstractButton* option : options)
        option->setFocusPolicy(option == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace

// The group reports a toggle also while the binder blocks the option's own signals.
void tab_to_checked_option(QButtonGroup* group) {
    make_tab_stop(group);
    QObject::connect(group, &QButtonGroup::buttonToggled, group,
                     [group](QAbstractButton*, bool) { make_tab_stop(group); });
}

void add_labelled_rows(QGridLayout* grid,
                       std::initializer_list<std::pair<const char*, QLineEdit*>> rows) {
    int row = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(named<QLabel>(label), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
}

bool focus_with_caret_at_start(QLineEdit* edit, QEvent* focus_in) {
    static_cast<QObject*>(edit)->event(focus_in);
    edit->deselect();
    edit->setCursorPosition(0);
    return true;
}

FormBinder::FormBinder(QWidget* window, ControlTable controls) : window_(window) {
    for (const auto& [name, control] : controls) {
        QWidget* widget = window->objectName() == name
                              ? window
                              : window->findChild<QWidget*>(QString::fromLatin1(name));
        if (widget)
            bindings_.push_back({control, widget});
        else
            unbound_.push_back(name);
    }
    check_bindings(qPrintable(window->objectName()), unbound_);
}

static void push_list(QWidget* widget, const ListControl& control) {
    QStringList items;
    for (const std::string& item : control.list->items)
        items << q(item);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QStringList current;
        for (int i = 0; i < combo->count(); ++i)
            current << combo->itemText(i);
        if (current != items) {
            combo->clear();
            combo->addItems(items);
        }
        combo->setCurrentIndex(control.list->index);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        QStringList current;
        for (int i = 0; i < list->count(); ++i)
            current << list->item(i)->text();
        if (current != items) {
            list->clear();
            list->addItems(items);
        }
        list->setCurrentRow(control.list->index);
    }
}

static void push_control(QWidget* widget, Control& control) {
    if (auto* list_control = dynamic_cast<const ListControl*>(&control)) {
        push_list(widget, *list_control);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(q(control.caption));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(q(control.caption));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(q(control.caption));
        if (button->isCheckable())
            button->setChecked(control.value != 0);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() != q(control.text)) {
            edit->setText(q(control.text));
            // A text put in by the program shows its beginning, as a Windows text box does: a
            // long folder path then shows its drive and first folders, not only its tail.
            if (!edit->hasFocus())
                edit->setCursorPosition(0);
        }
        if (std::exchange(control.select_text, false))
            edit->selectAll();
    }
    widget->setEnabled(control.enabled);
    if (!widget->isWindow())
        widget->setVisible(control.visible);
}

void FormBinder::push() {
    for (const auto& [control, widget] : bindings_) {
        const QSignalBlocker blocker(widget);
        if (widget == window_) {
            widget->setWindowTitle(q(control->caption));
            continue;
        }
        push_control(widget, *control);
    }
}

void FormBinder::pull() {
    for (const auto& [control, widget] : bindings_) {
        if (widget == window_)
            continue;
        if (auto* list_control = dynamic_cast<ListControl*>(control)) {
            if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                list_control->list->index = combo->currentIndex();
            } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
                list_control->list->index = selected_row(list);
            }
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            control->text = edit->text().toStdString();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->isCheckable())
                control->value = button->isChecked() ? 1 : 0;
        }
    }
}

}  // namespace korva
