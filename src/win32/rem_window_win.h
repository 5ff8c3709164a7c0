// SPDX-License-Identifier: MIT
// The removal tool window `Rem_Frm`: a dialog that mirrors RemForm and forwards every event to
// it. It shares the stored placement and the tool selector with the main window.
#pragma once

#include <functional>
#include <string>

#include "eraser/rem_form.h"
#include "job/job_window.h"
#include "win32/tool_window.h"

namespace korva::win32 {

class RemWindow : public ToolWindow {
  public:
    // Open job and Save job; set once the run's job session exists.
    void set_jobs(job::JobSession& jobs) { jobs_ = &jobs; }

    RemWindow(eraser::RemForm& form, SettingsStore& settings, WinPrompter& prompter,
              WaitView& wait);

    // Form_Load: the stored placement, then the form's start-up with the main window's tool
    // mode and caption. In tool mode "1" the window hands back to the main window through
    // open_main_tool once the message loop runs, so the hand-over that brought it up has
    // finished first.
    void load(const std::string& View_Mode, const std::string& main_caption);
    void select_tool(int list_index);
    std::function<void(int list_index)> open_main_tool;

    eraser::RemForm& form() { return form_; }

    WaitView& wait_view() override { return wait_; }
    job::JobSession* jobs() override { return jobs_; }
    // The removal tool's choice opens the window to its full height, the main tool's hands over.
    void tool_selected() override;

  protected:
    void after_push() override;
    INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    void take_focus_request(eraser::DeletionList& list);
    INT_PTR key_in_list(int key, HWND list);

    eraser::RemForm& form_;
    WaitView& wait_;
    job::JobSession* jobs_ = nullptr;
};

}  // namespace korva::win32
