// SPDX-License-Identifier: MIT
// One run of the program: the catalogue, the prompter, the waiting dialog and the tool windows,
// started as the main window's start-up says (placement, language, tool mode).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/session.h"
#include "platform/settings.h"
#include "win32/admin_window_win.h"
#include "win32/main_window_win.h"
#include "win32/prompter_win.h"
#include "win32/rem_window_win.h"
#include "win32/wait_dialog_win.h"

namespace korva::win32 {

class AppShell {
  public:
    // program_folder: the executable's folder, where Tool.sii and Tool.bin lie.
    AppShell(std::string program_folder, SettingsStore& settings);
    ~AppShell();

    void start();
    // Until a window closes or the waiting dialog's End button ends the program.
    int run_message_loop();

    MainWindow& main_window() { return *main_window_; }
    RemWindow* removal_window() { return removal_window_.get(); }
    AdminWindow* admin_window() { return admin_window_.get(); }

  private:
    RemWindow& ensure_removal_window();
    void open_removal_tool(int list_index);
    void open_main_tool(int list_index);
    void open_admin_window();
    bool is_dialog_message(MSG& msg);

    std::string program_folder_;
    SettingsStore& settings_;
    std::unique_ptr<WinPrompter> prompter_;
    // The models the windows show; it ends before the prompter it asks through.
    std::unique_ptr<Session> session_;
    std::unique_ptr<MainWindow> main_window_;
    LazyWaitView<WaitDialog> wait_;
    std::unique_ptr<RemWindow> removal_window_;
    std::unique_ptr<AdminWindow> admin_window_;
};

}  // namespace korva::win32
