// SPDX-License-Identifier: MIT
// The main window `Main`: a dialog that mirrors MainForm and forwards every event to it.
#pragma once

#include <functional>

#include "job/job_window.h"
#include "mainform/main_form.h"
#include "win32/tool_window.h"

namespace korva::win32 {

class MainWindow : public ToolWindow {
  public:
    // Open job and Save job; set once the run's job session exists.
    void set_jobs(job::JobSession& jobs) { jobs_ = &jobs; }

    MainWindow(MainForm& form, SettingsStore& settings, WinPrompter& prompter, WaitView& wait);

    MainForm& form() { return form_; }
    // Called once the waiting dialog exists, which needs this window as its owner.
    void set_wait(WaitView& wait) { wait_ = &wait; }

    // The other half of a hand-over back to this window: the selector takes the position the
    // removal window's selector had, and its rule runs as if the user had chosen it.
    void select_tool(int list_index);
    // Tool switch to the removal window, with the list position its selector should take.
    std::function<void(int list_index)> open_removal_tool;

    WaitView& wait_view() override { return *wait_; }
    job::JobSession* jobs() override { return jobs_; }
    // The main tool's choice opens the window to its full height, the removal tool's hands over.
    void tool_selected() override;

  protected:
    void after_push() override;

  private:
    MainForm& form_;
    WaitView* wait_;
    job::JobSession* jobs_ = nullptr;
};

}  // namespace korva::win32
