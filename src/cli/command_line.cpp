// SPDX-License-Identifier: MIT
#include "cli/command_line.h"

#include <charconv>
#include <optional>

#include "cli/display_text.h"

namespace korva::cli {

namespace {

constexpr unsigned kMostParallelJobs = 64;

// "--lang=ja" as "--lang" "ja"; the value stays apart so no message ever needs to repeat it.
struct Argument {
    std::string name;
    std::optional<std::string> attached_value;
};

Argument split(const std::string& argument) {
    const std::size_t equals = argument.find('=');
    if (!argument.starts_with("--") || equals == std::string::npos)
        return {argument, std::nullopt};
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

std::optional<unsigned> job_count(const std::string& text) {
    unsigned count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count == 0 ||
        count > kMostParallelJobs)
        return std::nullopt;
    return count;
}

class Reader {
  public:
    explicit Reader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    CommandLine read() {
        bool only_jobs = false;
        for (next_ = 0; next_ < arguments_.size() && result_.request == Request::Build;) {
            const std::string& argument = arguments_[next_++];
            if (only_jobs || argument == "-" || !argument.starts_with("-"))
                result_.options.job_paths.push_back(argument);
            else if (argument == "--")
                only_jobs = true;
            else
                option(split(argument));
        }
        if (result_.request == Request::Build && result_.options.job_paths.empty())
            wrong("no job file given");
        return result_;
    }

  private:
    void option(const Argument& a) {
        Options& o = result_.options;
        const bool takes_value = a.name == "--lang" || a.name == "--report" || a.name == "--jobs";
        const bool known = takes_value || a.name == "--help" || a.name == "-h" ||
                           a.name == "--version" || a.name == "--check" || a.name == "--quiet" ||
                           a.name == "-q";
        if (!known)
            return wrong("unknown option " + a.name);
        if (a.attached_value && !takes_value)
            return wrong("option " + a.name + " takes no value");
        if (a.name == "--help" || a.name == "-h")
            result_.request = Request::Help;
        else if (a.name == "--version")
            result_.request = Request::Version;
        else if (a.name == "--check")
            o.check = true;
        else if (a.name == "--quiet" || a.name == "-q")
            o.quiet = true;
        else if (const std::optional<std::string> value = value_of(a))
            valued_option(a.name, *value);
    }

    void valued_option(const std::string& name, const std::string& value) {
        Options& o = result_.options;
        if (name == "--lang" && (value == "en" || value == "ja"))
            o.language = value == "ja" ? "0x0011" : "0x0009";
        else if (name == "--lang")
            wrong("--lang takes en or ja");
        else if (name == "--report" && !value.empty())
            o.report = value;
        else if (name == "--report")
            wrong("--report needs a file name");
        else if (const std::optional<unsigned> count = job_count(value))
            o.parallel_jobs = *count;
        else
            wrong("--jobs takes a number from 1 to " + std::to_string(kMostParallelJobs));
    }

    std::optional<std::string> value_of(const Argument& a) {
        if (a.attached_value)
            return a.attached_value;
        if (next_ < arguments_.size())
            return arguments_[next_++];
        wrong("option " + a.name + " needs a value");
        return std::nullopt;
    }

    void wrong(const std::string& problem) {
        result_.request = Request::Wrong;
        result_.problem = display_text(problem);
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    CommandLine result_{Request::Build, {}, {}};
};

}  // namespace

CommandLine read_command_line(const std::vector<std::string>& arguments) {
    return Reader(arguments).read();
}

std::string usage_text() {
    return "Usage: korva-build [OPTION]... JOB...\n"
           "Builds the package each job file describes.\n"
           "  --check        read each job and put it into its window, but write nothing\n"
           "  --lang LANG    the language of messages: en or ja (default: Tool.sii's)\n"
           "  --jobs N       build up to N jobs at a time; jobs into one output folder (or one\n"
           "                 inside another) still run one after another, in their order\n"
           "  --quiet, -q    no progress line and no line for a job that succeeded\n"
           "  --report FILE  also write a JUnit XML report, one test case per job\n"
           "  --help, -h     show this text\n"
           "  --version      show the version\n"
           "  --             the arguments that follow are job files\n"
           "Exit status: 0 when every job succeeded, 1 when any failed, 2 for a wrong command "
           "line.\n";
}

}  // namespace korva::cli
