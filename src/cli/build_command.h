// SPDX-License-Identifier: MIT
// korva-build JOB...: builds each job in turn and tells, one line per job, how it ended.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korva::cli {

struct Console {
    std::function<void(const std::string&)> out;
    std::function<void(const std::string&)> err;
    // Standard error is a terminal: a progress line that rewrites itself is shown while copying.
    bool err_is_terminal = false;
    std::function<std::optional<std::string>(const std::string& prompt)> ask_password;
};

// Exit status: 0 when every job succeeded, 1 when any failed, 2 for a wrong command line.
// arguments: without the program name. program_folder: the folder of Tool.sii and Tool.bin.
int run_build_command(const std::vector<std::string>& arguments, const std::string& program_folder,
                      const Console& console, const std::string& system_folder = "");

// The progress line's text for bytes copied of total (0 when unknown).
std::string progress_text(std::uint64_t done, std::uint64_t total);

}  // namespace korva::cli
