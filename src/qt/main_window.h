// SPDX-License-Identifier: MIT
// The main window `Main`: owns the widgets, mirrors MainForm and forwards every event to it.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/window_events.h"
#include "dialogs/wait_view.h"
#include "job/job_window.h"
#include "mainform/main_form.h"
#include "platform/settings.h"
#include "qt/form_binder_qt.h"

namespace korva {

class MainWindow : public QWidget, public WindowActions {
    Q_OBJECT
  public:
    MainWindow(MainForm& form, SettingsStore& settings, WaitView& wait);

    MainForm& form() { return form_; }
    // Runs a core handler between reading the widgets and showing the result.
    void run(const std::function<void()>& handler);
    void set_visible(bool visible) override { setVisible(visible); }
    WaitView& wait_view() override { return wait_; }
    job::JobSession* jobs() override { return jobs_; }
    void close_window() override { close(); }
    // The main tool's choice opens the window to its full height, the removal tool's hands over.
    void tool_selected() override;

    // The other half of a hand-over back to this window: the selector takes the position the
    // removal window's selector had, and its rule runs as if the user had chosen it.
    void select_tool(int list_index);

    // Tool switch to the removal window, with the list position its selector should take.
    std::function<void(int list_index)> open_removal_tool;
    // Open job and Save job; set once the run's job session exists.
    void set_jobs(job::JobSession& jobs) { jobs_ = &jobs; }

  protected:
    void closeEvent(class QCloseEvent* event) override;

  private:
    void build();

    MainForm& form_;
    SettingsStore& settings_;
    WaitView& wait_;
    std::unique_ptr<FormBinder> binder_;
    job::JobSession* jobs_ = nullptr;
};

}  // namespace korva
