// SPDX-License-Identifier: MIT
// A job goes into a window model through the same events a person's clicks and typing cause, so
// the option rules, the package analysis and every check run as they would at the window; and a
// window's state comes back out as a job.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "job/job_file.h"

namespace korva {
class AdminForm;
class MainForm;
namespace eraser {
class RemForm;
}
}  // namespace korva

namespace korva::job {

// Each returns false when the job cannot be put into the window: a window check has shown its
// message already, or problems holds what the job names that the package does not offer.
// The password is the caller's: it never comes from the job itself.
bool apply_to_main(const Job& job, const std::string& job_folder, MainForm& f,
                   std::vector<Problem>& problems);
bool apply_to_removal(const Job& job, const std::string& job_folder, eraser::RemForm& f);
void apply_to_admin(const Job& job, AdminForm& f);

// The window's state as a job. A printer typed but not added is taken along, as Create would
// take it. driver: the last answer to the printer/PC-Fax question, when one was asked.
Job job_from_main(MainForm& f, std::optional<DriverKind> driver);
Job job_from_removal(const eraser::RemForm& f);

// The password for a job: from the environment variable the job names; nullopt when it names one
// that is not set.
std::optional<std::string> password_from_environment(const Job& job);

}  // namespace korva::job
