// SPDX-License-Identifier: MIT
#include "job/job_window.h"

#include "catalogue/catalogue.h"
#include "dialogs/messages.h"
#include "eraser/rem_form.h"
#include "job/job_forms.h"
#include "mainform/main_form.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"

namespace korva::job {

namespace {

const char* tool_word(Tool tool) {
    return tool == Tool::Removal         ? "removal"
           : tool == Tool::Administrator ? "administrator"
                                         : "installer";
}

// With a file name but no extension, the job gets the one its dialog offers.
std::string with_job_extension(std::string path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t sep = last_sep(path);
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        path += kJobExtension;
    return path;
}

}  // namespace

std::optional<std::string> JobSession::choose(bool for_saving, const std::string& title,
                                              const Catalogue& catalogue) {
    return prompter_.job_file(for_saving, title, catalogue.text("MsgJobFiles"));
}

std::optional<Job> JobSession::read_for(Tool tool, const std::string& path,
                                        const Catalogue& catalogue) {
    ReadResult read = read_job(real_file_system(), path);
    if (read.problems.empty() && read.job.tool != tool)
        read.problems.push_back({"MsgErrJobWindow", {tool_word(read.job.tool)}});
    if (!read.problems.empty()) {
        show_problems(read.problems, catalogue, prompter_);
        return std::nullopt;
    }
    opened_ = read.job;
    return read.job;
}

bool JobSession::write(const Job& job, const std::string& path, const Catalogue& catalogue) {
    try {
        write_job(real_file_system(), path, job);
        return true;
    } catch (const PlatformError&) {
        show_filled_message(catalogue, prompter_, "MsgErrJobWrite", {path});
        return false;
    }
}

void JobSession::keep_answers(Job& job) const {
    if (!opened_)
        return;
    job.existing_output = opened_->existing_output;
    job.subfolder = opened_->subfolder;
    job.password_variable = opened_->password_variable;
    if (!job.driver)
        job.driver = opened_->driver;
}

bool JobSession::open(MainForm& f, const std::string& path) {
    const std::optional<Job> job = read_for(Tool::Installer, path, f.catalogue());
    if (!job)
        return false;
    std::vector<Problem> problems;
    prompter_.begin(*job, true);
    const bool applied = apply_to_main(*job, folder_of(path), f, problems);
    prompter_.end();
    show_problems(problems, f.catalogue(), prompter_);
    if (auto password = password_from_environment(*job))
        f.Password.text = *password;
    return applied && problems.empty();
}

bool JobSession::save(MainForm& f, const std::string& path) {
    Job job = job_from_main(f, prompter_.last_driver_kind());
    keep_answers(job);
    return write(job, path, f.catalogue());
}

bool JobSession::open(eraser::RemForm& f, const std::string& path) {
    const std::optional<Job> job = read_for(Tool::Removal, path, f.catalogue());
    if (!job)
        return false;
    prompter_.begin(*job, true);
    const bool applied = apply_to_removal(*job, folder_of(path), f);
    prompter_.end();
    if (auto password = password_from_environment(*job))
        f.Password.text = *password;
    return applied;
}

bool JobSession::save(eraser::RemForm& f, const std::string& path) {
    Job job = job_from_removal(f);
    keep_answers(job);
    return write(job, path, f.catalogue());
}

bool JobSession::Com_OpenJob_Click(MainForm& f) {
    const auto path = choose(false, f.Com_OpenJob.caption, f.catalogue());
    return path && open(f, *path);
}

bool JobSession::Com_SaveJob_Click(MainForm& f) {
    const auto path = choose(true, f.Com_SaveJob.caption, f.catalogue());
    return path && save(f, with_job_extension(*path));
}

bool JobSession::Com_OpenJob_Click(eraser::RemForm& f) {
    const auto path = choose(false, f.Com_OpenJob.caption, f.catalogue());
    return path && open(f, *path);
}

bool JobSession::Com_SaveJob_Click(eraser::RemForm& f) {
    const auto path = choose(true, f.Com_SaveJob.caption, f.catalogue());
    return path && save(f, with_job_extension(*path));
}

}  // namespace korva::job
