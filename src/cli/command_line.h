// SPDX-License-Identifier: MIT
// The options of korva-build, read the way build scripts write them: "--lang ja" and "--lang=ja",
// "--" before a job whose name starts with "-".
#pragma once

#include <string>
#include <vector>

namespace korva::cli {

struct Options {
    bool check = false;
    bool quiet = false;
    std::string language;  // as [Languages] Default names it; empty for that key's
    std::string report;    // the JUnit report's path; empty for none
    unsigned parallel_jobs = 1;
    std::vector<std::string> job_paths;
};

enum class Request { Build, Help, Version, Wrong };

struct CommandLine {
    Request request = Request::Wrong;
    Options options;
    std::string problem;  // what is wrong, for Request::Wrong; names no more than the option
};

CommandLine read_command_line(const std::vector<std::string>& arguments);

// The usage text that --help prints.
std::string usage_text();

}  // namespace korva::cli
