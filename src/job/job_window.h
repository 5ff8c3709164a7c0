// SPDX-License-Identifier: MIT
// Open job... and Save job... of the main and removal windows. Opening fills the window through
// the events a person's clicks and typing cause; the job's own answers (the driver, what to do
// with a full output folder, the password variable) stay with the window so saving keeps them.
#pragma once

#include <optional>
#include <string>

#include "job/job_file.h"
#include "job/job_prompter.h"

namespace korva {
class MainForm;
namespace eraser {
class RemForm;
}
}  // namespace korva

namespace korva::job {

class JobSession {
  public:
    explicit JobSession(JobPrompter& prompter) : prompter_(prompter) {}

    // Each asks for the file with the window's own dialog; false when nothing was opened or saved
    // (cancelled, or after the message that says why).
    bool Com_OpenJob_Click(MainForm& f);
    bool Com_SaveJob_Click(MainForm& f);
    bool Com_OpenJob_Click(eraser::RemForm& f);
    bool Com_SaveJob_Click(eraser::RemForm& f);

    // The same with the file chosen already.
    bool open(MainForm& f, const std::string& path);
    bool save(MainForm& f, const std::string& path);
    bool open(eraser::RemForm& f, const std::string& path);
    bool save(eraser::RemForm& f, const std::string& path);

  private:
    std::optional<Job> read_for(Tool tool, const std::string& path, const Catalogue& catalogue);
    bool write(const Job& job, const std::string& path, const Catalogue& catalogue);
    std::optional<std::string> choose(bool for_saving, const std::string& title,
                                      const Catalogue& catalogue);
    // What the window does not show, taken over from the job opened last.
    void keep_answers(Job& job) const;

    JobPrompter& prompter_;
    std::optional<Job> opened_;
};

}  // namespace korva::job
