// SPDX-License-Identifier: MIT
// One run of the program as both front ends start it: the catalogue read once, the language, the
// tool mode, the job layer between the windows and the user, and the window models. A front end
// gives it what only a toolkit has (the prompter that shows dialogs, the pump that keeps windows
// painted) and puts windows over the models.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "admin/admin_form.h"
#include "catalogue/catalogue.h"
#include "dialogs/prompter.h"
#include "eraser/rem_form.h"
#include "job/job_prompter.h"
#include "job/job_window.h"
#include "mainform/main_form.h"

namespace korva {

// Which window the run opens with, from Tool.sii [Setup] ViewSoftware.
enum class ToolMode { installer, removal, administrator };
ToolMode tool_mode_of(const std::string& View_Mode);

class Session {
  public:
    // program_folder: the executable's folder, where Tool.sii and Tool.bin lie.
    explicit Session(std::string program_folder);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const LanguageChoice& language() const { return lang_; }
    const std::string& program_folder() const { return program_folder_; }
    // The catalogue in the run's language, as the windows read it.
    const Catalogue& catalogue() const { return catalogue_; }
    // The same as the dialogs read it (their smaller buffer).
    Catalogue dialog_catalogue() const;

    // Builds the job layer over the toolkit's prompter and loads the main window's model.
    void start(Prompter& prompter, std::function<void()> pump);

    ToolMode mode() const { return tool_mode_of(main_form_->View_Mode); }
    // What a front end does to open each tool's window.
    struct ToolWindows {
        std::function<void()> installer, removal, administrator;
    };
    // Opens the window the run starts with: the main window, or the one that takes its place at
    // once, so the main window never shows in those modes.
    void open_first(const ToolWindows& open) const;
    MainForm& main_form() { return *main_form_; }
    job::JobSession& jobs() { return *jobs_; }
    // Made when first asked for, as their windows load when first touched.
    eraser::RemForm& removal_form();
    AdminForm& admin_form();

  private:
    std::string program_folder_;
    Catalogue catalogue_;
    LanguageChoice lang_;
    std::unique_ptr<job::JobPrompter> job_prompter_;
    std::unique_ptr<job::JobSession> jobs_;
    std::unique_ptr<MainForm> main_form_;
    std::unique_ptr<eraser::RemForm> removal_form_;
    std::unique_ptr<AdminForm> admin_form_;
};

}  // namespace korva
