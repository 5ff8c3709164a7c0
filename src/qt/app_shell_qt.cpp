// SPDX-License-Identifier: MIT
// The start-up order matters to the user only in what ends up in front. The placement is applied
// once the window exists, after the texts; nothing it reads depends on them.
#include "qt/app_shell_qt.h"

#include <QGuiApplication>
#include <QScreen>

#include "admin/admin_form.h"
#include "app/placement.h"
#include "eraser/rem_form.h"
#include "platform/process.h"
#include "qt/admin_window.h"
#include "qt/hand_over_qt.h"
#include "qt/prompter_qt.h"
#include "qt/rem_window.h"
#include "qt/wait_dialog.h"

namespace korva {

AppShell::AppShell(std::string program_folder, SettingsStore& settings)
    : program_folder_(std::move(program_folder)), settings_(settings) {}

// The dialogs are children of the main window once it owns them, so they go first; otherwise the
// window would delete them a second time.
AppShell::~AppShell() {
    wait_.reset();
    prompter_.reset();
    admin_window_.reset();
    removal_window_.reset();
}

void AppShell::start() {
    tool_sii_path_ = ToolSii_Path_for(program_folder_);
    lang_ = choose_language(tool_sii_path_);
    catalogue_ = std::make_unique<Catalogue>(tool_sii_path_, lang_.LangSelect, kMainBuffer);
    const Catalogue dialog_catalogue = catalogue_->with_section(lang_.LangSelect, kDialogBuffer);
    prompter_ = std::make_unique<QtPrompter>(dialog_catalogue);
    wait_ = std::make_unique<Wait_Dialog>(dialog_catalogue);

    Context ctx{*catalogue_, *prompter_, real_file_system(), language_codepage(*catalogue_), [] {},
                "",          ""};
    ctx.program_folder = program_folder_;
    ctx.pump = [] { QCoreApplication::processEvents(); };
    main_form_ = std::make_unique<MainForm>(ctx);
    main_form_->Main.caption = lang_.title;
    main_form_->Form_Load_controls();
    main_window_ = std::make_unique<MainWindow>(*main_form_, settings_, *wait_);
    wait_->set_owner(main_window_.get());
    prompter_->set_owner(main_window_.get());
    restore_placement(main_window_.get(), settings_);
    main_window_->open_removal_tool = [this](int index) { open_removal_tool(index); };

    // In the modes that hand over at once the main window never shows: its start-up has not
    // finished when the other window takes its place.
    if (main_form_->View_Mode == "2") {
        open_removal_tool(0);
    } else if (main_form_->View_Mode == "99") {
        open_admin_window();
    } else {
        main_window_->show();
    }
}

QWidget* AppShell::removal_window() {
    return removal_window_.get();
}

QWidget* AppShell::admin_window() {
    return admin_window_.get();
}

eraser::RemWindow& AppShell::ensure_removal_window() {
    if (!removal_window_) {
        removal_form_ = std::make_unique<eraser::RemForm>(main_form_->context(), lang_.LangSelect);
        removal_window_ = std::make_unique<eraser::RemWindow>(*removal_form_, settings_, *wait_);
        removal_window_->open_main_tool = [this](int index) { open_main_tool(index); };
        removal_window_->load(main_form_->View_Mode, main_form_->Main.caption);
    }
    return *removal_window_;
}

void AppShell::open_removal_tool(int list_index) {
    eraser::RemWindow& removal = ensure_removal_window();
    hand_over(main_window_.get(), &removal);
    removal.select_tool(list_index);
}

void AppShell::open_main_tool(int list_index) {
    hand_over(removal_window_.get(), main_window_.get());
    main_window_->select_tool(list_index);
}

void AppShell::open_admin_window() {
    admin_form_ = std::make_unique<AdminForm>(main_form_->context(), lang_.LangSelect);
    admin_window_ = std::make_unique<AdminWindow>(*admin_form_, settings_, *wait_);
    place_frame(admin_window_.get(), main_window_->pos());
    if (admin_window_->load(main_form_->Main.caption)) {
        hand_over(main_window_.get(), admin_window_.get());
    }
}

}  // namespace korva
