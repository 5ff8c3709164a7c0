// SPDX-License-Identifier: MIT
// Nobody sits at a build server: every message the windows would show goes to standard error,
// named by its job, and the summary lines on standard output are what a script reads.
#include "cli/build_command.h"

#include <cstdint>
#include <cstdio>

#include "job/job_build.h"
#include "platform/filesystem.h"

namespace korva::cli {

namespace {

constexpr const char* kUsage =
    "Usage: korva-build [--check] [--lang en|ja] JOB...\n"
    "Builds the package each job file describes, in turn.\n"
    "  --check      read each job and put it into its window, but write nothing\n"
    "  --lang LANG  the language of messages: en or ja (default: Tool.sii's)\n"
    "Exit status: 0 when every job succeeded, 1 when any failed, 2 for a wrong command line.\n";

std::string plain_lines(std::string text) {
    std::string lines;
    for (char c : text) {
        if (c != '\r')
            lines += c;
    }
    return lines;
}

class ConsolePrompter final : public Prompter {
  public:
    ConsolePrompter(const Console& console, const std::string& job)
        : console_(console), job_(job) {}

    void message(const std::string& text, const std::string& title) override {
        console_.err(job_ + ": " + title + ": " + plain_lines(text) + "\n");
    }
    // The job prompter answers every question a build can meet; these only keep a stray
    // question from hanging a build server.
    bool ask_yes_no(const std::string& text, const std::string& title) override {
        message(text, title);
        return false;
    }
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string&) override {
        message(prompt, title);
        return std::nullopt;
    }
    std::optional<std::string> browse_folder() override { return std::nullopt; }
    DriverKind select_driver_kind() override { return DriverKind::Printer; }

  private:
    const Console& console_;
    std::string job_;
};

class ProgressLine final : public WaitView {
  public:
    explicit ProgressLine(const Console& console) : console_(console) {}

    void show_creating() override {}
    void refresh() override {}
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (!console_.err_is_terminal)
            return;
        char line[80];
        if (total > 0) {
            std::snprintf(line, sizeof line, "\r  copying %3d%%  %.1f of %.1f MB ",
                          static_cast<int>(done * 100 / total), done / 1e6, total / 1e6);
        } else {
            std::snprintf(line, sizeof line, "\r  copying %.1f MB ", done / 1e6);
        }
        console_.err(line);
        shown_ = true;
    }
    void show_finished() override { clear(); }
    void hide() override { clear(); }

  private:
    void clear() {
        if (shown_)
            console_.err("\r" + std::string(40, ' ') + "\r");
        shown_ = false;
    }

    const Console& console_;
    bool shown_ = false;
};

struct Options {
    bool check = false;
    std::string language;
    std::vector<std::string> jobs;
};

std::optional<Options> parse(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--check") {
            options.check = true;
        } else if (a == "--lang" && i + 1 < arguments.size()) {
            const std::string& lang = arguments[++i];
            if (lang != "en" && lang != "ja")
                return std::nullopt;
            options.language = lang == "ja" ? "0x0011" : "0x0009";
        } else if (a.starts_with("--")) {
            return std::nullopt;
        } else {
            options.jobs.push_back(a);
        }
    }
    if (options.jobs.empty())
        return std::nullopt;
    return options;
}

}  // namespace

int run_build_command(const std::vector<std::string>& arguments, const std::string& program_folder,
                      const Console& console, const std::string& system_folder) {
    const std::optional<Options> options = parse(arguments);
    if (!options) {
        console.err(kUsage);
        return 2;
    }
    job::BuildSettings settings;
    settings.program_folder = program_folder;
    settings.language = options->language;
    settings.system_folder = system_folder;
    settings.check_only = options->check;
    settings.ask_password = console.ask_password;

    int failed = 0;
    for (const std::string& job_path : options->jobs) {
        ConsolePrompter prompter(console, job_path);
        ProgressLine progress(console);
        const job::Outcome outcome =
            job::build_job(job_path, settings, prompter, progress, real_file_system());
        if (!outcome.ok) {
            ++failed;
            console.out("failed   " + job_path + "\n");
        } else if (options->check) {
            console.out("checked  " + job_path + "\n");
        } else {
            console.out("built    " + job_path + " -> " + outcome.output + "\n");
        }
    }
    return failed == 0 ? 0 : 1;
}

}  // namespace korva::cli
