// SPDX-License-Identifier: MIT
// The windows talk to the user through this prompter. Between begin() and end() of a job it
// answers the questions the job decides (which driver, what to do with an output folder that is
// not empty) and passes everything else on; a question the job cannot answer is remembered, so
// the job fails instead of guessing.
#pragma once

#include <optional>
#include <string>

#include "dialogs/prompter.h"
#include "job/job_file.h"

namespace korva::job {

class JobPrompter final : public Prompter {
  public:
    explicit JobPrompter(Prompter& inner) : inner_(inner) {}

    // ask_user: questions the job leaves open go to the person at the window; without one
    // (a build with nobody watching) they count as unanswered.
    void begin(const Job& job, bool ask_user);
    void end() { job_.reset(); }
    // A question came up that the job has no answer to.
    bool unanswered() const { return unanswered_; }
    // The job said "fail" where the window asked whether to build into a new sub-folder.
    bool declined_output() const { return declined_output_; }
    // The last answer to the printer/PC-Fax question, by a job or by the person: a job saved
    // from the window records it.
    std::optional<DriverKind> last_driver_kind() const { return last_driver_kind_; }
    // Messages shown since begin().
    int messages_shown() const { return messages_shown_; }

    void message(const std::string& text, const std::string& title) override;
    bool ask_yes_no(const std::string& text, const std::string& title) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& default_answer) override;
    std::optional<std::string> browse_folder() override;
    DriverKind select_driver_kind() override;
    std::optional<std::string> job_file(bool for_saving, const std::string& title,
                                        const std::string& filter_name) override {
        return inner_.job_file(for_saving, title, filter_name);
    }

  private:
    Prompter& inner_;
    std::optional<Job> job_;
    bool ask_user_ = false;
    bool unanswered_ = false;
    bool declined_output_ = false;
    bool subfolder_given_ = false;
    int messages_shown_ = 0;
    std::optional<DriverKind> last_driver_kind_;
    DriverKind ask_driver_kind();
};

}  // namespace korva::job
