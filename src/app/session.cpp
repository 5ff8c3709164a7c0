// SPDX-License-Identifier: MIT
#include "app/session.h"

#include "platform/filesystem.h"

namespace korva {

ToolMode tool_mode_of(const std::string& View_Mode) {
    if (View_Mode == "2")
        return ToolMode::removal;
    if (View_Mode == "99")
        return ToolMode::administrator;
    return ToolMode::installer;
}

// Every catalogue of the run is a view of this one, so the file is read once.
Session::Session(std::string program_folder)
    : program_folder_(std::move(program_folder)),
      catalogue_(ToolSii_Path_for(program_folder_), "Setup", kMainBuffer),
      lang_(choose_language(catalogue_)) {
    catalogue_ = catalogue_.with_section(lang_.LangSelect, kMainBuffer);
}

Catalogue Session::dialog_catalogue() const {
    return catalogue_.with_section(lang_.LangSelect, kDialogBuffer);
}

void Session::start(Prompter& prompter, std::function<void()> pump) {
    job_prompter_ = std::make_unique<job::JobPrompter>(prompter);
    jobs_ = std::make_unique<job::JobSession>(*job_prompter_);
    Context ctx{catalogue_,
                *job_prompter_,
                real_file_system(),
                language_codepage(catalogue_),
                std::move(pump),
                program_folder_,
                ""};
    main_form_ = std::make_unique<MainForm>(ctx);
    main_form_->Main.caption = lang_.title;
    main_form_->Form_Load_controls();
}

void Session::open_first(const ToolWindows& open) const {
    switch (mode()) {
        case ToolMode::removal:
            open.removal();
            break;
        case ToolMode::administrator:
            open.administrator();
            break;
        case ToolMode::installer:
            open.installer();
            break;
    }
}

eraser::RemForm& Session::removal_form() {
    if (!removal_form_)
        removal_form_ = std::make_unique<eraser::RemForm>(main_form_->context(), lang_.LangSelect);
    return *removal_form_;
}

AdminForm& Session::admin_form() {
    if (!admin_form_)
        admin_form_ = std::make_unique<AdminForm>(main_form_->context(), lang_.LangSelect);
    return *admin_form_;
}

}  // namespace korva
