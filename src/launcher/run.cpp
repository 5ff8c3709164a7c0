// SPDX-License-Identifier: MIT
#include "launcher/run.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "launcher/outcome.h"
#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "platform/codepage.h"
#include "platform/path.h"

namespace korva::launcher {

namespace {

using launch::Clock;
using launch::StartRequest;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string settings_path_of(const std::string& launcher_path) {
    const std::size_t dot = launcher_path.rfind('.');
    const std::size_t sep = last_sep(launcher_path);
    const bool has_extension = dot != std::string::npos && (sep == std::string::npos || dot > sep);
    return (has_extension ? launcher_path.substr(0, dot) : launcher_path) + ".ini";
}

std::string folder_of(const std::string& path) {
    const std::size_t sep = last_sep(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

class Run {
  public:
    Run(const std::string& launcher_path, launch::LauncherSystem& system)
        : launcher_path_(launcher_path), folder_(folder_of(launcher_path)), system_(system) {}

    int operator()(const std::vector<std::string>& switches) {
        system_.log("launcher " + launcher_path_ + " started");
        bool unknown_switch = false;
        for (const std::string& option : switches) {
            if (lower(option) == kQuietSwitch)
                quiet_ = true;
            else if (lower(option) == kElevatedSwitch)
                elevated_instance_ = quiet_ = true;
            else
                unknown_switch = true;
        }
        const auto bytes = system_.read_file(settings_path_of(launcher_path_));
        const auto settings =
            bytes ? read_settings(*bytes, CodePage::system()) : std::optional<Settings>();
        if (!settings)
            return fail(Failure::settings);
        settings_ = *settings;
        if (unknown_switch)
            return fail(Failure::command_line);
        // A program not waited for by name (the removal tool, an administrator's program) runs
        // as long as its user keeps it open; the launcher stays only to hand back its exit code.
        deadline_ = system_.now() + (settings_.wait_process.empty()
                                         ? kNoTimeLimit
                                         : std::chrono::seconds(settings_.timeout_seconds));
        if (is_expired(settings_.expires, system_.today()))
            return fail(Failure::expired);
        if (elevated_instance_)
            return run_elevated();
        int code = 0;
        if (!settings_.account.empty())
            if (const auto failure = start_and_wait(code))
                return fail(*failure);
        return finish(code);
    }

  private:
    std::optional<Failure> check_program() {
        const auto program = system_.read_file(folder_ + settings_.program);
        if (!program)
            return Failure::missing;
        if (sha256_hex(*program) != settings_.sha256)
            return Failure::changed;
        return std::nullopt;
    }

    StartRequest request() const {
        return {settings_.account,
                resolved_domain(settings_.domain, system_.environment("USERDOMAIN"),
                                system_.computer_name()),
                settings_.password,
                folder_ + settings_.program,
                folder_,
                settings_.arguments};
    }

    std::optional<Failure> start_error(unsigned long error) {
        system_.log("the start failed with Windows error " + std::to_string(error));
        return failure_of_start_error(error);
    }

    // Where the account's token is filtered by UAC, Windows refuses to start an installer that
    // asks for elevation (error 740). A second instance of the launcher, which needs no
    // elevation, starts under the account and asks for the administrator's consent there.
    std::optional<Failure> start_and_wait(int& code) {
        if (const auto failure = check_program())
            return failure;
        StartRequest start = request();
        system_.log("starting " + start.program + " " + start.arguments + " as " + start.domain +
                    "\\" + start.account + " in " + start.folder);
        unsigned long error = system_.start(start);
        const bool through_second_instance = error == launch::kErrorElevationRequired;
        if (through_second_instance) {
            system_.log("the program needs elevation; starting the launcher under the account");
            start.program = launcher_path_;
            start.arguments = kElevatedSwitch;
            error = system_.start(start);
        }
        if (error != 0)
            return start_error(error);
        const auto ended = system_.wait_started(deadline_);
        if (!ended)
            return Failure::timeout;
        system_.log("the program ended with exit code " + std::to_string(*ended));
        if (through_second_instance)
            if (const auto failure = failure_of_exit_code(*ended))
                return failure;
        code = *ended;
        return std::nullopt;
    }

    int run_elevated() {
        if (const auto failure = check_program())
            return fail(*failure);
        StartRequest start = request();
        start.account = start.domain = start.password = "";
        system_.log("asking for consent to start " + start.program + " " + start.arguments);
        if (const unsigned long error = system_.start_elevated(start); error != 0)
            return fail(*start_error(error));
        const auto ended = system_.wait_started(deadline_);
        if (!ended)
            return fail(Failure::timeout);
        system_.log("the program ended with exit code " + std::to_string(*ended));
        return *ended;
    }

    // The installer's children may outlive it and even its job; the scripts wait for every
    // process of that name, and so does the launcher.
    bool wait_for_named_processes() {
        if (settings_.wait_process.empty())
            return true;
        system_.log("waiting for " + settings_.wait_process + " to end");
        while (system_.process_named_running(settings_.wait_process)) {
            if (system_.now() >= deadline_)
                return false;
            system_.sleep(kPollInterval);
        }
        return true;
    }

    bool set_default_printer() {
        const std::string& printer = settings_.default_printer;
        if (printer.empty())
            return true;
        if (!default_printer_allowed(system_.legacy_default_printer_mode())) {
            system_.log("Windows manages the default printer; it is left as it is");
            return true;
        }
        const Clock::time_point give_up = system_.now() + kPrinterRetryTime;
        while (!system_.set_default_printer(printer)) {
            if (system_.now() >= give_up)
                return false;
            system_.sleep(kPollInterval);
        }
        system_.log("the default printer is " + printer);
        return true;
    }

    int finish(int code) {
        if (!wait_for_named_processes())
            return fail(Failure::timeout);
        if (!set_default_printer()) {
            // An installer that failed is the cause worth reporting; its code stays.
            const int printer_code = fail(Failure::printer);
            return code != 0 ? code : printer_code;
        }
        system_.log("finished with exit code " + std::to_string(code));
        return code;
    }

    int fail(Failure failure) {
        const std::string text = message_text(settings_, failure);
        system_.log("failed (" + std::to_string(exit_code(failure)) + "): " + text);
        if (!quiet_)
            system_.show_message(text, message_title(settings_));
        return exit_code(failure);
    }

    const std::string launcher_path_;
    const std::string folder_;
    launch::LauncherSystem& system_;
    Settings settings_;
    bool quiet_ = false;
    bool elevated_instance_ = false;
    Clock::time_point deadline_;
};

}  // namespace

int run_launcher(const std::string& launcher_path, const std::vector<std::string>& switches,
                 launch::LauncherSystem& system) {
    return Run(launcher_path, system)(switches);
}

}  // namespace korva::launcher
