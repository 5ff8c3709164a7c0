// SPDX-License-Identifier: MIT
// Nobody sits at a build server: every message the windows would show goes to standard error,
// named by its job, and the summary lines on standard output are what a script reads.
#include "cli/build_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

#include "cli/cli_version.h"
#include "cli/command_line.h"
#include "cli/display_text.h"
#include "cli/junit_report.h"
#include "job/job_build.h"
#include "job/job_file.h"
#include "package/tool_archive.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"

namespace korva::cli {

namespace {

// CR LF of the catalogue's texts as the terminal's line breaks; any other CR is shown escaped.
std::string message_lines(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return display_text(text, LineBreaks::Keep);
}

// A job's messages are kept until the job ends, so that jobs built side by side never mix their
// lines.
class BufferedPrompter final : public Prompter {
  public:
    explicit BufferedPrompter(const std::string& job_path) : prefix_(display_text(job_path)) {}

    void message(const std::string& text, const std::string& title) override {
        note(message_lines(title + ": " + text));
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

    void note(const std::string& line) { lines_ += prefix_ + ": " + line + "\n"; }
    const std::string& lines() const { return lines_; }

  private:
    std::string prefix_;
    std::string lines_;
};

// Below a megabyte in kilobytes, rounded up, so a small package never reads "0.0 of 0.0 MB".
std::string amount_text(std::uint64_t bytes, bool megabytes) {
    char text[32];
    if (megabytes)
        std::snprintf(text, sizeof text, "%.1f", bytes / 1e6);
    else
        std::snprintf(text, sizeof text, "%llu",
                      static_cast<unsigned long long>((bytes + 999) / 1000));
    return text;
}

}  // namespace

std::string progress_text(std::uint64_t done, std::uint64_t total) {
    const bool megabytes = std::max(done, total) >= 1000000;
    const std::string unit = megabytes ? " MB" : " KB";
    if (total == 0)
        return "copying " + amount_text(done, megabytes) + unit;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%",
                  static_cast<int>(std::min(done, total) * 100 / total));
    return std::string("copying ") + percent + "  " + amount_text(done, megabytes) + " of " +
           amount_text(total, megabytes) + unit;
}

namespace {

struct Finished {
    JobResult result;
    std::string output;
};

// Everything korva-build writes goes through here, one piece at a time: the results in job order
// whatever order they end in, and the line that rewrites itself on a terminal.
class Terminal {
  public:
    Terminal(const Console& console, const Options& options)
        : console_(console),
          options_(options),
          status_shown_(console.err_is_terminal && !options.quiet),
          finished_(options.job_paths.size()) {}

    void status(const std::string& line) {
        std::lock_guard lock(mutex_);
        show_status(line);
    }

    std::optional<std::string> ask_password(const std::string& prompt) {
        std::lock_guard lock(mutex_);
        clear_status();
        return console_.ask_password ? console_.ask_password(prompt) : std::nullopt;
    }

    void finished(std::size_t index, Finished job) {
        std::lock_guard lock(mutex_);
        finished_[index] = std::move(job);
        ++count_;
        while (printed_ < finished_.size() && finished_[printed_])
            print(*finished_[printed_++]);
        if (options_.parallel_jobs > 1 && count_ < finished_.size())
            show_status(std::to_string(count_) + " of " + std::to_string(finished_.size()) +
                        " jobs done");
    }

    std::vector<JobResult> results() const {
        std::vector<JobResult> all;
        for (const std::optional<Finished>& job : finished_)
            all.push_back(job->result);
        return all;
    }

  private:
    void print(const Finished& job) {
        clear_status();
        if (!job.result.messages.empty())
            console_.err(job.result.messages);
        const std::string name = display_text(job.result.job_path);
        if (!job.result.ok)
            console_.out("failed   " + name + "\n");
        else if (options_.quiet)
            return;
        else if (options_.check)
            console_.out("checked  " + name + "\n");
        else
            console_.out("built    " + name + " -> " + display_text(job.output) + "\n");
    }

    void show_status(const std::string& line) {
        if (!status_shown_)
            return;
        std::string text = "  " + line + " ";
        const std::size_t width = text.size();
        // Blanks over what a longer line before left standing.
        text.resize(std::max(width, status_width_), ' ');
        console_.err("\r" + text);
        status_width_ = text.size();
    }

    void clear_status() {
        if (status_width_ > 0)
            console_.err("\r" + std::string(status_width_, ' ') + "\r");
        status_width_ = 0;
    }

    const Console& console_;
    const Options& options_;
    const bool status_shown_;
    std::mutex mutex_;
    std::vector<std::optional<Finished>> finished_;
    std::size_t count_ = 0;
    std::size_t printed_ = 0;
    std::size_t status_width_ = 0;
};

class ProgressLine final : public WaitView {
  public:
    ProgressLine(Terminal& terminal, bool shown) : terminal_(terminal), shown_(shown) {}

    void show_creating() override {}
    void refresh() override {}
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (shown_)
            terminal_.status(progress_text(done, total));
    }
    void show_finished() override {}
    void hide() override {}

  private:
    Terminal& terminal_;
    bool shown_;
};

Finished build_one(const std::string& job_path, const job::BuildSettings& settings,
                   Terminal& terminal, bool progress_shown, FileSystem& fs) {
    const auto start = std::chrono::steady_clock::now();
    BufferedPrompter prompter(job_path);
    ProgressLine progress(terminal, progress_shown);
    job::Outcome outcome;
    try {
        outcome = job::build_job(job_path, settings, prompter, progress, fs);
    } catch (const std::exception& error) {
        // A thread of its own must not end the program; the job fails with the reason.
        prompter.note("korva-build: " + display_text(error.what()));
        outcome = {};
    } catch (...) {
        prompter.note("korva-build: the build stopped");
        outcome = {};
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {{job_path, outcome.ok, prompter.lines(), took.count()}, outcome.output};
}

// The folder a job writes into, in the form names are compared in; a job that cannot be read
// gets a key of its own (it fails before writing anything).
std::string output_key(FileSystem& fs, const std::string& job_path, std::size_t index) {
    const job::ReadResult read = job::read_job(fs, job_path);
    if (!read.problems.empty())
        return std::string(1, '\0') + std::to_string(index);
    const std::string folder = job::folder_of(job_path);
    const std::string output =
        read.job.output.empty() ? folder : job::resolve_folder(read.job.output, folder);
    return name_comparison_key(with_trailing_sep(fs.canonical(output)));
}

// Jobs whose output folders are one, or one inside another, form one chain that is built in job
// order, as a serial run would build them: side by side, the lock of the output folder would
// fail one of them, and a "reuse" of the outer folder would replace the inner one under its
// build. Chains come in the order of their first job.
std::vector<std::vector<std::size_t>> chains_of(const std::vector<std::string>& job_paths,
                                                FileSystem& fs) {
    std::vector<std::pair<std::string, std::size_t>> keys;
    for (std::size_t i = 0; i < job_paths.size(); ++i)
        keys.emplace_back(output_key(fs, job_paths[i], i), i);
    // Sorted, the folders inside a folder follow it directly.
    std::sort(keys.begin(), keys.end());
    std::vector<std::size_t> chain_of(job_paths.size());
    std::string outer;
    std::size_t chain = 0;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (k == 0 || outer.empty() || !keys[k].first.starts_with(outer)) {
            outer = keys[k].first[0] == '\0' ? "" : keys[k].first;
            chain = k;
        }
        chain_of[keys[k].second] = chain;
    }
    std::vector<std::vector<std::size_t>> chains;
    std::vector<std::size_t> position(job_paths.size(), SIZE_MAX);
    for (std::size_t i = 0; i < job_paths.size(); ++i) {
        std::size_t& at = position[chain_of[i]];
        if (at == SIZE_MAX) {
            at = chains.size();
            chains.emplace_back();
        }
        chains[at].push_back(i);
    }
    return chains;
}

void build_all(const Options& options, const job::BuildSettings& settings, Terminal& terminal) {
    const std::vector<std::string>& paths = options.job_paths;
    if (options.parallel_jobs == 1) {
        RealFileSystem fs;
        for (std::size_t i = 0; i < paths.size(); ++i)
            terminal.finished(i, build_one(paths[i], settings, terminal, true, fs));
        return;
    }
    RealFileSystem reader;
    const std::vector<std::vector<std::size_t>> chains = chains_of(paths, reader);
    std::atomic<std::size_t> next_chain = 0;
    // Each worker has a file system of its own: the copy progress is state of the instance.
    const auto worker = [&] {
        RealFileSystem fs;
        for (std::size_t c = next_chain++; c < chains.size(); c = next_chain++) {
            for (std::size_t i : chains[c])
                terminal.finished(i, build_one(paths[i], settings, terminal, false, fs));
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count = std::min<std::size_t>(options.parallel_jobs, chains.size());
    for (std::size_t n = 0; n < count; ++n)
        workers.emplace_back(worker);
    for (std::thread& thread : workers)
        thread.join();
}

int wrong_command_line(const Console& console, const std::string& problem) {
    console.err("korva-build: " + problem + "\nRun \"korva-build --help\" for the usage.\n");
    return 2;
}

}  // namespace

int run_build_command(const std::vector<std::string>& arguments, const std::string& program_folder,
                      const Console& console, const std::string& system_folder) {
    const CommandLine command = read_command_line(arguments);
    switch (command.request) {
        case Request::Help:
            console.out(usage_text());
            return 0;
        case Request::Version:
            console.out(std::string("korva-build ") + kKorvaVersion + "\n");
            return 0;
        case Request::Wrong:
            return wrong_command_line(console, command.problem);
        case Request::Build:
            break;
    }
    const Options& options = command.options;
    Terminal terminal(console, options);
    job::BuildSettings settings;
    settings.program_folder = program_folder;
    settings.language = options.language;
    settings.system_folder = system_folder;
    settings.check_only = options.check;
    settings.ask_password = [&terminal](const std::string& prompt) {
        return terminal.ask_password(prompt);
    };
    // The tool archive is expanded once for the whole run; the cache's own file system is used
    // only under the cache's lock.
    RealFileSystem archive_files;
    ToolArchiveCache tool_archives(archive_files);
    settings.tool_archives = &tool_archives;
    build_all(options, settings, terminal);

    const std::vector<JobResult> results = terminal.results();
    bool all_ok = std::all_of(results.begin(), results.end(), [](auto& r) { return r.ok; });
    if (!options.report.empty()) {
        try {
            RealFileSystem fs;
            write_report_file(fs, options.report, junit_report(results));
        } catch (const PlatformError& error) {
            console.err("korva-build: " + display_text(error.what()) + "\n");
            all_ok = false;
        }
    }
    return all_ok ? 0 : 1;
}

}  // namespace korva::cli
