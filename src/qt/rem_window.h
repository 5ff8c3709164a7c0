// SPDX-License-Identifier: MIT
// The removal tool window `Rem_Frm`: owns the widgets, mirrors RemForm and forwards every event
// to it. It shares the stored placement and the tool selector with the main window.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/window_events.h"
#include "dialogs/wait_view.h"
#include "eraser/rem_form.h"
#include "job/job_window.h"
#include "platform/settings.h"
#include "qt/form_binder_qt.h"

namespace korva::eraser {

class RemWindow : public QWidget, public WindowActions {
    Q_OBJECT
  public:
    // wait: the waiting dialog shown during Create. settings: the placement shared with the main
    // window, read by load() and written when this window closes.
    RemWindow(RemForm& form, SettingsStore& settings, WaitView& wait);

    // Form_Load: the stored placement, then the form's start-up with the main window's tool mode
    // and caption. In tool mode "1" the window hands back to the main window through
    // open_main_tool(0) as soon as the event loop runs, so the hand-over that brought it up
    // has finished first.
    void load(const std::string& View_Mode, const std::string& main_caption);

    // The other half of a hand-over to this window: the selector takes the position the main
    // window's selector had, and its click rule runs as if the user had chosen it.
    void select_tool(int list_index);

    // Hand-over to the main window; the argument is the list position its selector should take.
    std::function<void(int list_index)> open_main_tool;
    // Open job and Save job; set once the run's job session exists.
    void set_jobs(job::JobSession& jobs) { jobs_ = &jobs; }

    RemForm& form() { return form_; }
    // Runs a core handler between reading the widgets and showing the result.
    void run(const std::function<void()>& handler);
    void set_visible(bool visible) override { setVisible(visible); }
    WaitView& wait_view() override { return wait_; }
    job::JobSession* jobs() override { return jobs_; }
    void close_window() override { close(); }
    // The removal tool's choice opens the window to its full height, the main tool's hands over.
    void tool_selected() override;

  protected:
    void closeEvent(class QCloseEvent* event) override;

  private:
    void build();
    void take_focus_request(DeletionList& list);

    job::JobSession* jobs_ = nullptr;
    RemForm& form_;
    SettingsStore& settings_;
    WaitView& wait_;
    std::unique_ptr<FormBinder> binder_;
};

}  // namespace korva::eraser
