// SPDX-License-Identifier: MIT
// In the modes that hand over at once the main window never shows: its start-up has not
// finished when the other window takes its place.
#include "win32/app_shell_win.h"

#include "app/placement.h"
#include "platform/process.h"

namespace korva::win32 {

AppShell::AppShell(std::string program_folder, SettingsStore& settings)
    : program_folder_(std::move(program_folder)), settings_(settings), wait_([this] {
          auto dialog = std::make_unique<WaitDialog>(session_->catalogue(), main_window_->hwnd());
          prompter_->set_stand_in(dialog->hwnd());
          return dialog;
      }) {}

AppShell::~AppShell() {
    admin_window_.reset();
    removal_window_.reset();
    wait_.reset();
    main_window_.reset();
}

void AppShell::start() {
    session_ = std::make_unique<Session>(program_folder_);
    prompter_ = std::make_unique<WinPrompter>(session_->dialog_catalogue());
    session_->start(*prompter_, pump_paint_messages);
    main_window_ =
        std::make_unique<MainWindow>(session_->main_form(), settings_, *prompter_, wait_);
    main_window_->set_jobs(session_->jobs());
    prompter_->set_owner(main_window_->hwnd());
    main_window_->restore_placement();
    main_window_->open_removal_tool = [this](int index) { open_removal_tool(index); };

    session_->open_first({[this] { main_window_->show(); }, [this] { open_removal_tool(0); },
                          [this] { open_admin_window(); }});
}

RemWindow& AppShell::ensure_removal_window() {
    if (!removal_window_) {
        removal_window_ =
            std::make_unique<RemWindow>(session_->removal_form(), settings_, *prompter_, wait_);
        removal_window_->open_main_tool = [this](int index) { open_main_tool(index); };
        removal_window_->set_jobs(session_->jobs());
        const MainForm& main = session_->main_form();
        removal_window_->load(main.View_Mode, main.Main.caption);
    }
    return *removal_window_;
}

void AppShell::open_removal_tool(int list_index) {
    RemWindow& removal = ensure_removal_window();
    hand_over(*main_window_, removal);
    removal.select_tool(list_index);
}

void AppShell::open_main_tool(int list_index) {
    hand_over(*removal_window_, *main_window_);
    main_window_->select_tool(list_index);
}

void AppShell::open_admin_window() {
    admin_window_ =
        std::make_unique<AdminWindow>(session_->admin_form(), settings_, *prompter_, wait_);
    // The main window's position and width, but a height of its own: it holds no more than the
    // account frame.
    RECT main;
    RECT own;
    GetWindowRect(main_window_->hwnd(), &main);
    GetWindowRect(admin_window_->hwnd(), &own);
    SetWindowPos(admin_window_->hwnd(), nullptr, main.left, main.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    admin_window_->resize(kWindowWidthTwips / twips_per_pixel(admin_window_->hwnd()),
                          own.bottom - own.top);
    if (admin_window_->load(session_->main_form().Main.caption))
        hand_over(*main_window_, *admin_window_);
}

bool AppShell::is_dialog_message(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root)
        return false;
    for (ToolWindow* window : {static_cast<ToolWindow*>(main_window_.get()),
                               static_cast<ToolWindow*>(removal_window_.get()),
                               static_cast<ToolWindow*>(admin_window_.get())}) {
        if (window && window->hwnd() == root) {
            const bool handled = IsDialogMessageW(root, &msg) != 0;
            // Tab may have moved the focus to a control scrolled out of view.
            if (msg.message == WM_KEYDOWN)
                window->reveal(GetFocus());
            return handled;
        }
    }
    if (wait_.dialog() && wait_.dialog()->hwnd() == root)
        return IsDialogMessageW(root, &msg) != 0;
    return false;
}

int AppShell::run_message_loop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!is_dialog_message(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace korva::win32
