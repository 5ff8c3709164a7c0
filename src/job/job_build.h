// SPDX-License-Identifier: MIT
// Builds the package a job describes through the same window models a person uses, with nobody
// at the window: the job answers the questions, and a question it cannot answer ends the job.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "dialogs/prompter.h"
#include "dialogs/wait_view.h"

namespace korva {
class FileSystem;
class ToolArchiveCache;
}  // namespace korva

namespace korva::job {

struct BuildSettings {
    // The folder of Tool.sii and Tool.bin, ending in the separator.
    std::string program_folder;
    // The catalogue language as [Languages] Default names it ("0x0011"); empty for that key's.
    std::string language;
    // Where the script encoder is placed; empty for the system's folder.
    std::string system_folder;
    // Read and put each job into its window, but write nothing.
    bool check_only = false;
    // Asks for a password when the job names no variable; nullopt when nobody can answer.
    std::function<std::optional<std::string>(const std::string& prompt)> ask_password;
    // The run's expanded tool archives, shared by its jobs; none: each job expands its own.
    ToolArchiveCache* tool_archives = nullptr;
};

struct Outcome {
    bool ok = false;
    std::string output;  // the folder the package went into, when one was built
};

// Builds one job. Every message goes to the prompter, in the catalogue's words.
Outcome build_job(const std::string& job_path, const BuildSettings& settings, Prompter& prompter,
                  WaitView& wait, FileSystem& fs);

}  // namespace korva::job
