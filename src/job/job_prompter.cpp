// SPDX-License-Identifier: MIT
#include "job/job_prompter.h"

namespace korva::job {

void JobPrompter::begin(const Job& job, bool ask_user) {
    job_ = job;
    ask_user_ = ask_user;
    unanswered_ = false;
    declined_output_ = false;
    subfolder_given_ = false;
    messages_shown_ = 0;
}

void JobPrompter::message(const std::string& text, const std::string& title) {
    ++messages_shown_;
    inner_.message(text, title);
}

// The only yes/no question of a build is whether to make a sub-folder of an output folder that
// is not empty. A job that does not name one stops there; the build says what the job lacks.
bool JobPrompter::ask_yes_no(const std::string& text, const std::string& title) {
    if (!job_)
        return inner_.ask_yes_no(text, title);
    if (job_->existing_output == ExistingOutput::Subfolder)
        return true;
    declined_output_ = true;
    return false;
}

// The sub-folder name is given once; when the window asks again, that name was refused or is
// taken, and it has said why.
std::optional<std::string> JobPrompter::input(const std::string& prompt, const std::string& title,
                                              const std::string& default_answer) {
    if (!job_)
        return inner_.input(prompt, title, default_answer);
    if (job_->existing_output != ExistingOutput::Subfolder || subfolder_given_) {
        unanswered_ = !subfolder_given_;
        return std::nullopt;
    }
    subfolder_given_ = true;
    return job_->subfolder;
}

std::optional<std::string> JobPrompter::browse_folder() {
    if (!job_)
        return inner_.browse_folder();
    unanswered_ = true;
    return std::nullopt;
}

DriverKind JobPrompter::select_driver_kind() {
    last_driver_kind_ = ask_driver_kind();
    return *last_driver_kind_;
}

DriverKind JobPrompter::ask_driver_kind() {
    if (!job_)
        return inner_.select_driver_kind();
    if (job_->driver)
        return *job_->driver;
    if (ask_user_)
        return inner_.select_driver_kind();
    unanswered_ = true;
    return DriverKind::Printer;
}

}  // namespace korva::job
