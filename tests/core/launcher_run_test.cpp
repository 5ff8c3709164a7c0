// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "launcher/outcome.h"
#include "launcher/run.h"
#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "platform/path.h"

namespace korva::launcher {
namespace {

using launch::Clock;

const std::string kDir = std::string("pkg") + kPathSep;
const std::string kSelf = kDir + "setupLaunch.exe";
const std::string kInstaller = "MZ installer";

// A system whose clock moves only when the launcher sleeps or waits.
struct FakeSystem : launch::LauncherSystem {
    std::map<std::string, std::string> files;
    std::deque<unsigned long> start_errors;  // one per start; 0 when empty
    std::vector<launch::StartRequest> starts;
    std::optional<int> exit_code = 0;
    int named_polls = 0;  // polls that still find setup.exe running
    int printer_refusals = 0;
    std::optional<long> legacy_mode;
    std::string printer;
    std::vector<std::string> messages, log_lines;
    Clock::time_point clock{};

    std::optional<std::string> read_file(const std::string& path) override {
        const auto file = files.find(path);
        return file == files.end() ? std::nullopt : std::optional(file->second);
    }
    std::string today() override { return "2030-06-01"; }
    std::string environment(const std::string&) override { return "CORP"; }
    std::string computer_name() override { return "PC1"; }
    unsigned long start(const launch::StartRequest& request) override {
        starts.push_back(request);
        const unsigned long error = start_errors.empty() ? 0 : start_errors.front();
        if (!start_errors.empty())
            start_errors.pop_front();
        return error;
    }
    unsigned long start_elevated(const launch::StartRequest& request) override {
        return start(request);
    }
    std::optional<int> wait_started(Clock::time_point) override { return exit_code; }
    bool process_named_running(const std::string&) override { return named_polls-- > 0; }
    std::optional<long> legacy_default_printer_mode() override { return legacy_mode; }
    bool set_default_printer(const std::string& name) override {
        if (printer_refusals-- > 0)
            return false;
        printer = name;
        return true;
    }
    Clock::time_point now() override { return clock; }
    void sleep(std::chrono::milliseconds d) override { clock += d; }
    void show_message(const std::string& text, const std::string&) override {
        messages.push_back(text);
    }
    void log(const std::string& line) override { log_lines.push_back(line); }
};

struct Harness {
    FakeSystem system;
    Settings settings;

    Harness() {
        settings.sha256 = sha256_hex(kInstaller);
        settings.account = "Administrator";
        settings.domain = "%USERDNSDOMAIN%";
        settings.password = "Secret1";
        settings.timeout_seconds = 10;
        settings.default_printer = "Front Desk";
        settings.messages = {{"Changed", "changed!"}, {"Logon", "refused!"}};
        system.files[kDir + "setup.exe"] = kInstaller;
    }
    int run(std::vector<std::string> switches = {}) {
        system.files[kDir + "setupLaunch.ini"] =
            settings_file_bytes(settings, CodePage::system(), random_nonce());
        const int code = run_launcher(kSelf, switches, system);
        for (const std::string& line : system.log_lines)
            EXPECT_EQ(line.find("Secret1"), std::string::npos) << line;
        return code;
    }
};

TEST(LauncherRun, EachFailureEndsWithItsMessageAndCode) {
    const struct {
        const char* what;
        std::function<void(Harness&)> arrange;
        Failure failure;
        const char* message;
    } cases[] = {
        {"changed", [](Harness& t) { t.system.files[kDir + "setup.exe"] += "x"; }, Failure::changed,
         "changed!"},
        {"missing", [](Harness& t) { t.system.files.erase(kDir + "setup.exe"); }, Failure::missing,
         "The installer was not found beside the launcher."},
        {"expired", [](Harness& t) { t.settings.expires = "2030-05-31"; }, Failure::expired,
         nullptr},
        {"password", [](Harness& t) { t.system.start_errors = {1326}; }, Failure::logon,
         "refused!"},
        {"service", [](Harness& t) { t.system.start_errors = {1058}; }, Failure::service, nullptr},
        {"wine stub", [](Harness& t) { t.system.start_errors = {launch::kErrorUnreported}; },
         Failure::start, nullptr},
        {"timeout", [](Harness& t) { t.system.named_polls = 1000; }, Failure::timeout, nullptr},
        {"printer", [](Harness& t) { t.system.printer_refusals = 1000; }, Failure::printer,
         nullptr},
        {"consent",
         [](Harness& t) {
             t.system.start_errors = {740, 0}, t.system.exit_code = exit_code(Failure::consent);
         },
         Failure::consent, nullptr},
    };
    for (const auto& c : cases) {
        Harness t;
        c.arrange(t);
        EXPECT_EQ(t.run(), exit_code(c.failure)) << c.what;
        ASSERT_EQ(t.system.messages.size(), 1u) << c.what;
        if (c.message) {
            EXPECT_EQ(t.system.messages[0], c.message) << c.what;
        }
        EXPECT_TRUE(t.system.printer.empty() || c.failure == Failure::printer) << c.what;
        Harness quiet;
        c.arrange(quiet);
        EXPECT_EQ(quiet.run({"/QUIET"}), exit_code(c.failure)) << c.what;
        EXPECT_TRUE(quiet.system.messages.empty()) << c.what;
    }
}

TEST(LauncherRun, WithoutAnAccountItOnlyWaitsAndSetsThePrinterUnlessWindowsManagesIt) {
    Harness h;
    h.settings.account.clear();
    h.system.named_polls = 3;
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.system.starts.empty());
    EXPECT_EQ(h.system.printer, "Front Desk");
    for (const long managed : {0L, -1L}) {
        Harness t;
        t.system.legacy_mode = managed;
        EXPECT_EQ(t.run(), 0);
        EXPECT_TRUE(t.system.printer.empty()) << managed;
    }
}

}  // namespace
}  // namespace korva::launcher
