// SPDX-License-Identifier: MIT
// The administrator launcher window `Admin_Setting`: owns the widgets, mirrors AdminForm and
// forwards its two buttons to it.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "admin/admin_form.h"
#include "app/window_events.h"
#include "dialogs/wait_view.h"
#include "platform/settings.h"
#include "qt/form_binder_qt.h"

namespace korva {

class AdminWindow : public QWidget, public WindowActions {
    Q_OBJECT
  public:
    // wait: the waiting dialog shown during Create. settings: where closing stores the placement.
    AdminWindow(AdminForm& form, SettingsStore& settings, WaitView& wait);

    // Form_Load with the main window's caption, shown on the widgets. False when the program
    // must end: the fixed message has been shown and the window has closed, which stores the
    // placement at the window's current position and ends the program. Call it before the window
    // is shown, once it stands where the main window stood.
    bool load(const std::string& main_caption);

    AdminForm& form() { return form_; }
    void set_visible(bool visible) override { setVisible(visible); }
    // Runs a core handler between reading the widgets and showing the result.
    void run(const std::function<void()>& handler);
    WaitView& wait_view() override { return wait_; }
    job::JobSession* jobs() override { return nullptr; }
    void close_window() override { close(); }
    void tool_selected() override {}

  protected:
    void closeEvent(class QCloseEvent* event) override;

  private:
    void build();

    AdminForm& form_;
    SettingsStore& settings_;
    WaitView& wait_;
    std::unique_ptr<FormBinder> binder_;
};

}  // namespace korva
