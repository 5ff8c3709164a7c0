// SPDX-License-Identifier: MIT
// Outside programs: exit codes, arguments that reach the program untouched, the time limit, the
// event pump, cabinet expansion with real archives, and the folders the program relies on. Shell
// scripts stand in for the programs on POSIX systems, cmd.exe and a recording tool on Windows.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>
#else
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/process.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/host.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

int sh(const std::string& script, std::vector<std::string> arguments = {},
       const EventPump& pump = {}, milliseconds limit = kDefaultProcessTimeLimit) {
    arguments.insert(arguments.begin(), {"-c", script, "sh"});
    return run_and_wait({"sh", arguments}, pump, limit);
}

using test::ScopedEnv;

constexpr const char* kNeedsSh = "the script runs in sh, which Windows lacks";

double cpu_seconds() {
#ifdef _WIN32
    FILETIME created, ended, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

// The test tool that writes the command line it received into a file after a pause.
class Recorder {
  public:
    explicit Recorder(std::string file, int sleep_ms = 0)
        : file_(std::move(file)),
          file_variable_("KORVA_RECORD_FILE", file_),
          sleep_variable_("KORVA_RECORD_SLEEP_MS", std::to_string(sleep_ms)) {}

    static std::string program() {
        const char* tools = std::getenv("KORVA_TEST_TOOLS_DIR");
        if (tools == nullptr)
            throw std::logic_error("KORVA_TEST_TOOLS_DIR is not set");
        return (fs::path(tools) / "record_command_line").make_preferred().string();
    }
    std::string recorded() const { return test::read_file(file_); }

    // Started by cmd.exe, so that the time limit has a grandchild to reach as well.
    Command through_cmd() const {
        Command command{"cmd.exe", {}};
        command.command_line = "cmd.exe /C \"" + program() + "\"";
        return command;
    }

  private:
    std::string file_;
    ScopedEnv file_variable_;
    ScopedEnv sleep_variable_;
};

TEST(Commands, CarryTheLinesThePackageFormatsFix) {
    const Command expander = expander_command("C:\\Out Put\\Tool\\Tool.cab", "C:\\Out Put\\Tool");
    EXPECT_EQ(expander.command_line,
              "cmd.exe /C Expand \"C:\\Out Put\\Tool\\Tool.cab\" \"C:\\Out Put\\Tool\" -F:*");
    EXPECT_EQ(expander.window_style, WindowStyle::Hidden);
    const Command encoder = encoder_command("C:\\My Pkg\\setup.vbs", "C:\\My Pkg\\Tréiber.vbe");
    EXPECT_EQ(encoder.command_line,
              "cmd.exe /C screnc \"C:\\My Pkg\\setup.vbs\" \"C:\\My Pkg\\Tréiber.vbe\"");
    EXPECT_EQ(encoder.window_style, WindowStyle::MinimizedFocus);
}

TEST(RunAndWait, ReturnsTheExitCode) {
    if (test::kOnWindows) {
        // 259 is also what Windows reports for a program still running: the wait ends anyway.
        for (const int code : {0, 3, 255, 259}) {
            Command exit_with{"cmd.exe", {}};
            exit_with.command_line = "cmd.exe /C exit " + std::to_string(code);
            EXPECT_EQ(run_and_wait(exit_with, {}, std::chrono::seconds(20)), code);
        }
        return;
    }
    const std::pair<const char*, int> cases[] = {
        {"exit 0", 0}, {"exit 3", 3}, {"exit 255", 255}, {"kill -9 $$", 128 + 9}};
    for (const auto& [script, code] : cases)
        EXPECT_EQ(sh(script), code) << script;
}

TEST(RunAndWait, PassesArgumentsWithoutAShell) {
    if (test::kOnWindows)
        GTEST_SKIP() << kNeedsSh << "; see HandsTheLineOverUnchanged";
    test::TempDir dir;
    const std::string out = dir.folder() + "args out.txt";
    const std::vector<std::string> arguments = {"a \"quoted\" b", "$HOME", "", "Tréiber ツール",
                                                "*"};
    std::vector<std::string> with_out = {out};
    with_out.insert(with_out.end(), arguments.begin(), arguments.end());
    ASSERT_EQ(sh("f=$1; shift; for a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$f\"", with_out),
              0);
    EXPECT_EQ(test::read_file(out), "[a \"quoted\" b][$HOME][][Tréiber ツール][*]");
}

TEST(RunAndWait, FailsWhenTheProgramCannotStart) {
    const PlatformError missing = [] {
        try {
            run_and_wait({"korva-no-such-program", {}}, {});
        } catch (const PlatformError& error) {
            return error;
        }
        return PlatformError("no failure", "");
    }();
    EXPECT_EQ(missing.path(), "korva-no-such-program");
    EXPECT_THROW(run_and_wait({"/", {}}, {}), PlatformError);
    // A shell's way of saying so; on Windows cmd.exe reports a missing program with its own code.
    if (!test::kOnWindows) {
        EXPECT_THROW(sh("exit 127"), PlatformError);
    }
}

TEST(RunAndWait, KillsWhatOutlivesTheTimeLimit) {
    test::TempDir dir;
    const std::string marker = dir.folder() + "marker";
    const auto start = Clock::now();
    // The child of the shell (of cmd.exe) must die too, or it would write the marker later.
    if (test::kOnWindows) {
        const Recorder recorder(marker, 2500);
        EXPECT_THROW(run_and_wait(recorder.through_cmd(), {}, milliseconds(1000)), PlatformError);
        EXPECT_LT(Clock::now() - start, milliseconds(2000));
        sleep_ms(2000);
    } else {
        EXPECT_THROW(sh("(sleep 0.4; touch \"$1\") & sleep 5", {marker}, {}, milliseconds(150)),
                     PlatformError);
        EXPECT_LT(Clock::now() - start, milliseconds(1500));
        sleep_ms(700);
    }
    EXPECT_FALSE(fs::exists(marker));
}

TEST(RunAndWait, PumpsEventsWithoutSpinning) {
    int pumps = 0;
    const double cpu_before = cpu_seconds();
    const auto start = Clock::now();
    if (test::kOnWindows) {
        test::TempDir dir;
        const Recorder recorder(dir.folder() + "line", 400);
        EXPECT_EQ(run_and_wait(recorder.through_cmd(), [&] { ++pumps; }), 0);
    } else {
        EXPECT_EQ(sh("sleep 0.4", {}, [&] { ++pumps; }), 0);
    }
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, milliseconds(400));
    EXPECT_GE(pumps, 10);
    EXPECT_LT(cpu_seconds() - cpu_before, 0.15);
}

TEST(RunAndWait, StopsTheProgramWhenThePumpFails) {
    test::TempDir dir;
    const std::string marker = dir.folder() + "marker";
    const auto failing_pump = [] { throw std::runtime_error("pump"); };
    if (test::kOnWindows) {
        const Recorder recorder(marker, 300);
        EXPECT_THROW(run_and_wait(recorder.through_cmd(), failing_pump), std::runtime_error);
    } else {
        EXPECT_THROW(sh("sleep 0.3; touch \"$1\"", {marker}, failing_pump), std::runtime_error);
    }
    sleep_ms(500);
    EXPECT_FALSE(fs::exists(marker));
}

class CabinetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (test::kOnWindows)
            GTEST_SKIP()
                << "the archives are made by gcab in sh, and on Windows a failed expansion "
                   "shows in no exit code; see ExpandsIntoAFolderWithBlanks";
    }

    // A cabinet made with gcab from files below content/ (paths kept, as gcab does without -n).
    // Only compressed data carries checksums, so only then is damage noticed.
    std::string make_cabinet(const std::vector<std::string>& names, bool compressed = false) {
        std::vector<std::string> arguments = {dir.folder() + "content", dir.folder() + "Tool.cab",
                                              compressed ? "-zc" : "-c"};
        arguments.insert(arguments.end(), names.begin(), names.end());
        EXPECT_EQ(sh("cd \"$1\" && c=$2 && o=$3 && shift 3 && gcab $o \"$c\" \"$@\"", arguments),
                  0);
        return dir.folder() + "Tool.cab";
    }

    test::TempDir dir;
    RealFileSystem files;
};

TEST_F(CabinetTest, ExpandsFilesAndSubFolders) {
    dir.write("content/Tool/screnc.exe", "encoder");
    dir.write("content/Tool/Tréiber ツール.dll", std::string(100000, 'd'));
    dir.write("content/top.txt", "top");
    const std::string cabinet =
        make_cabinet({"Tool/screnc.exe", "Tool/Tréiber ツール.dll", "top.txt"});
    const std::string out = dir.folder() + "out/";
    dir.write("out/top.txt", "older, replaced");
    dir.write("out/other.txt", "untouched");

    expand_cabinet(cabinet, out, {});

    EXPECT_EQ(test::read_file(out + "Tool/screnc.exe"), "encoder");
    EXPECT_EQ(test::read_file(out + "Tool/Tréiber ツール.dll"), std::string(100000, 'd'));
    EXPECT_EQ(test::read_file(out + "top.txt"), "top");
    EXPECT_EQ(test::read_file(out + "other.txt"), "untouched");
    // Nothing of the expansion's own work is left beside the files.
    EXPECT_EQ(files.sub_folders(out), std::vector<std::string>{"Tool"});
}

TEST_F(CabinetTest, DamagedOrMissingArchiveFailsWithoutLeftovers) {
    std::string noise(300000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919) >> 3);
    dir.write("content/a.bin", noise);
    dir.write("content/b.txt", std::string(100000, 'b'));
    const std::string cabinet = make_cabinet({"a.bin", "b.txt"}, true);
    std::string bytes = test::read_file(cabinet);
    bytes.replace(bytes.size() / 2, 64, std::string(64, 'X'));
    const std::string damaged = dir.write("damaged.cab", bytes);
    const std::string out = dir.folder() + "out/";
    dir.write("out/kept.txt", "kept");

    for (const std::string& archive : {damaged, dir.folder() + "missing.cab"}) {
        try {
            expand_cabinet(archive, out, {});
            ADD_FAILURE() << "no failure for " << archive;
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.path(), archive);
        }
        EXPECT_EQ(files.list(out + "*", true), std::vector<std::string>{"kept.txt"});
        EXPECT_EQ(test::read_file(out + "kept.txt"), "kept");
    }
}

TEST(ExpandCabinet, ExpandsIntoAFolderWithBlanks) {
    // On Windows both paths travel quoted in the expander's command line.
    test::TempDir dir;
    const std::string cabinet = dir.folder() + "Tool Box.cab";
    test::make_cabinet(cabinet, {{"screnc.exe", "encoder", std::nullopt}});
    const std::string folder = dir.mkdir("Out Put/Tool");
    expand_cabinet(cabinet, folder.substr(0, folder.size() - 1), {});
    EXPECT_EQ(test::read_file(folder + "screnc.exe"), "encoder");
}

TEST(SystemDirectory, ComesFromTheEnvironmentAndIsCreated) {
    test::TempDir dir;
    const std::string configured = dir.folder() + "sys" + kPathSep + "32";
    {
        ScopedEnv system("KORVA_SYSTEM_DIR", configured);
        EXPECT_EQ(system_directory(), configured + kPathSep);
        EXPECT_TRUE(fs::is_directory(configured));
        ScopedEnv blocked("KORVA_SYSTEM_DIR", dir.write("file", "") + kPathSep + "sub");
        EXPECT_THROW(system_directory(), PlatformError);
    }
    ScopedEnv system("KORVA_SYSTEM_DIR", "");
    if (test::kOnWindows) {
        const std::string windows = system_directory();
        EXPECT_EQ(windows.back(), '\\');
        EXPECT_TRUE(fs::exists(windows + "kernel32.dll")) << windows;
        return;
    }
    {
        ScopedEnv data("XDG_DATA_HOME", dir.folder() + "data");
        EXPECT_EQ(system_directory(), dir.folder() + "data/KorvaTool/system/");
        EXPECT_TRUE(fs::is_directory(dir.folder() + "data/KorvaTool/system"));
    }
    ScopedEnv data("XDG_DATA_HOME", "relative/is/ignored");
    ScopedEnv home("HOME", dir.folder() + "home");
    EXPECT_EQ(system_directory(), dir.folder() + "home/.local/share/KorvaTool/system/");
}

TEST(ProgramFolders, ExecutableFolderHoldsThisTest) {
    const std::string folder = executable_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kPathSep);
    EXPECT_TRUE(fs::exists(
        folder + (test::kOnWindows ? "platform_process_test.exe" : "platform_process_test")));
}

TEST(Sleep, BlocksForTheTime) {
    const auto start = Clock::now();
    sleep_ms(60);
    EXPECT_GE(Clock::now() - start, milliseconds(60));
    sleep_ms(-5);  // nothing to wait for, and no failure
}

#ifdef _WIN32
// The arguments a program started with the line reads back, as the C runtime splits them.
std::vector<std::string> split_as_programs_do(const std::string& line) {
    int count = 0;
    wchar_t** parts = ::CommandLineToArgvW(utf8_to_utf16(line).c_str(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf16_to_utf8(parts[i]));
    ::LocalFree(parts);
    return arguments;
}

TEST(RunAndWait, HandsTheLineOverUnchanged) {
    test::TempDir dir;
    const Recorder recorder(dir.folder() + "line");
    Command exact{Recorder::program(), {}};
    exact.command_line = "\"" + Recorder::program() + "\"  a  \"b c\" \\\"q\\\" ツール -F:*";
    ASSERT_EQ(run_and_wait(exact, {}), 0);
    EXPECT_EQ(recorder.recorded(), exact.command_line);

    // Without a line of its own a command's arguments arrive one by one, untouched.
    const std::vector<std::string> arguments = {"a \"quoted\" b", "%PATH%", "",
                                                "Tréiber ツール", "end\\",  "C:\\My Folder\\"};
    ASSERT_EQ(run_and_wait({Recorder::program(), arguments}, {}), 0);
    EXPECT_EQ(split_as_programs_do(recorder.recorded()), arguments);
}
#endif

}  // namespace
}  // namespace korva
