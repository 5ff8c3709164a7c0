// SPDX-License-Identifier: MIT
// In the modes that hand over at once the main window never shows: its start-up has not
// finished when the other window takes its place.
#include "win32/app_shell_win.h"

#include "app/placement.h"
#include "platform/process.h"

namespace korva::win32 {

namespace {

// The waiting dialog needs its owner, the main window, before the main window needs it.
class LateWait : public WaitView {
  public:
    WaitView* target = nullptr;
    void show_creating() override { target->show_creating(); }
    void refresh() override { target->refresh(); }
    void progress(std::uint64_t done, std::uint64_t total) override {
        target->progress(done, total);
    }
    void show_finished() override { target->show_finished(); }
    void hide() override { target->hide(); }
};

LateWait& late_wait() {
    static LateWait wait;
    return wait;
}

}  // namespace

AppShell::AppShell(std::string program_folder, SettingsStore& settings)
    : program_folder_(std::move(program_folder)), settings_(settings) {}

AppShell::~AppShell() {
    admin_window_.reset();
    removal_window_.reset();
    wait_.reset();
    main_window_.reset();
}

void AppShell::start() {
    const std::string tool_sii_path = ToolSii_Path_for(program_folder_);
    lang_ = choose_language(tool_sii_path);
    catalogue_ = std::make_unique<Catalogue>(tool_sii_path, lang_.LangSelect, kMainBuffer);
    prompter_ =
        std::make_unique<WinPrompter>(catalogue_->with_section(lang_.LangSelect, kDialogBuffer));

    job_prompter_ = std::make_unique<job::JobPrompter>(*prompter_);
    jobs_ = std::make_unique<job::JobSession>(*job_prompter_);
    Context ctx{
        *catalogue_, *job_prompter_, real_file_system(), language_codepage(*catalogue_), [] {}, "",
        ""};
    ctx.program_folder = program_folder_;
    ctx.pump = pump_paint_messages;
    main_form_ = std::make_unique<MainForm>(ctx);
    main_form_->Main.caption = lang_.title;
    main_form_->Form_Load_controls();
    main_window_ = std::make_unique<MainWindow>(*main_form_, settings_, *prompter_, late_wait());
    wait_ = std::make_unique<WaitDialog>(catalogue_->with_section(lang_.LangSelect, kDialogBuffer),
                                         main_window_->hwnd());
    late_wait().target = wait_.get();
    main_window_->set_wait(*wait_);
    main_window_->set_jobs(*jobs_);
    prompter_->set_owner(main_window_->hwnd());
    prompter_->set_stand_in(wait_->hwnd());
    main_window_->restore_placement();
    main_window_->open_removal_tool = [this](int index) { open_removal_tool(index); };

    if (main_form_->View_Mode == "2") {
        open_removal_tool(0);
    } else if (main_form_->View_Mode == "99") {
        open_admin_window();
    } else {
        main_window_->show();
    }
}

RemWindow& AppShell::ensure_removal_window() {
    if (!removal_window_) {
        removal_form_ = std::make_unique<eraser::RemForm>(main_form_->context(), lang_.LangSelect);
        removal_window_ =
            std::make_unique<RemWindow>(*removal_form_, settings_, *prompter_, *wait_);
        removal_window_->open_main_tool = [this](int index) { open_main_tool(index); };
        removal_window_->set_jobs(*jobs_);
        removal_window_->load(main_form_->View_Mode, main_form_->Main.caption);
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
    admin_form_ = std::make_unique<AdminForm>(main_form_->context(), lang_.LangSelect);
    admin_window_ = std::make_unique<AdminWindow>(*admin_form_, settings_, *prompter_, *wait_);
    // The main window's position and width, but a height of its own: it holds no more than the
    // account frame.
    RECT main;
    RECT own;
    GetWindowRect(main_window_->hwnd(), &main);
    GetWindowRect(admin_window_->hwnd(), &own);
    SetWindowPos(admin_window_->hwnd(), nullptr, main.left, main.top,
                 kWindowWidthTwips / twips_per_pixel(admin_window_->hwnd()), own.bottom - own.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (admin_window_->load(main_form_->Main.caption))
        hand_over(*main_window_, *admin_window_);
}

bool AppShell::is_dialog_message(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root)
        return false;
    for (HWND dialog :
         {main_window_ ? main_window_->hwnd() : nullptr,
          removal_window_ ? removal_window_->hwnd() : nullptr,
          admin_window_ ? admin_window_->hwnd() : nullptr, wait_ ? wait_->hwnd() : nullptr}) {
        if (dialog && dialog == root)
            return IsDialogMessageW(dialog, &msg) != 0;
    }
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
