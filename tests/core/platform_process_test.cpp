// SPDX-License-Identifier: MIT
// Outside programs: exit codes, arguments that reach the program untouched, the time limit, the
// event pump, cabinet expansion with real archives, and the folders the program relies on.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/process.h"
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

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
  public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvVar() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

double cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(RunAndWait, ReturnsTheExitCode) {
    const std::pair<const char*, int> cases[] = {
        {"exit 0", 0}, {"exit 3", 3}, {"exit 255", 255}, {"kill -9 $$", 128 + 9}};
    for (const auto& [script, code] : cases)
        EXPECT_EQ(sh(script), code) << script;
}

TEST(RunAndWait, PassesArgumentsWithoutAShell) {
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
    EXPECT_THROW(sh("exit 127"), PlatformError);
}

TEST(RunAndWait, KillsWhatOutlivesTheTimeLimit) {
    test::TempDir dir;
    const std::string marker = dir.folder() + "marker";
    const auto start = Clock::now();
    // The child of the shell must die too, or it would write the marker later.
    EXPECT_THROW(sh("(sleep 0.4; touch \"$1\") & sleep 5", {marker}, {}, milliseconds(150)),
                 PlatformError);
    EXPECT_LT(Clock::now() - start, milliseconds(1500));
    sleep_ms(700);
    EXPECT_FALSE(fs::exists(marker));
}

TEST(RunAndWait, PumpsEventsWithoutSpinning) {
    int pumps = 0;
    const double cpu_before = cpu_seconds();
    const auto start = Clock::now();
    EXPECT_EQ(sh("sleep 0.4", {}, [&] { ++pumps; }), 0);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, milliseconds(400));
    EXPECT_GE(pumps, 10);
    EXPECT_LT(cpu_seconds() - cpu_before, 0.15);
}

TEST(RunAndWait, StopsTheProgramWhenThePumpFails) {
    test::TempDir dir;
    const std::string marker = dir.folder() + "marker";
    EXPECT_THROW(sh("sleep 0.3; touch \"$1\"", {marker}, [] { throw std::runtime_error("pump"); }),
                 std::runtime_error);
    sleep_ms(500);
    EXPECT_FALSE(fs::exists(marker));
}

class CabinetTest : public ::testing::Test {
  protected:
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

TEST(SystemDirectory, ComesFromTheEnvironmentAndIsCreated) {
    test::TempDir dir;
    {
        EnvVar system("KORVA_SYSTEM_DIR", (dir.folder() + "sys/32").c_str());
        EXPECT_EQ(system_directory(), dir.folder() + "sys/32/");
        EXPECT_TRUE(fs::is_directory(dir.folder() + "sys/32"));
    }
    EnvVar system("KORVA_SYSTEM_DIR", "");
    {
        EnvVar data("XDG_DATA_HOME", (dir.folder() + "data").c_str());
        EXPECT_EQ(system_directory(), dir.folder() + "data/KorvaTool/system/");
        EXPECT_TRUE(fs::is_directory(dir.folder() + "data/KorvaTool/system"));
    }
    EnvVar data("XDG_DATA_HOME", "relative/is/ignored");
    EnvVar home("HOME", (dir.folder() + "home").c_str());
    EXPECT_EQ(system_directory(), dir.folder() + "home/.local/share/KorvaTool/system/");
}

TEST(ProgramFolders, ExecutableFolderHoldsThisTest) {
    const std::string folder = executable_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::exists(folder + "platform_process_test"));
}

TEST(Sleep, BlocksForTheTime) {
    const auto start = Clock::now();
    sleep_ms(60);
    EXPECT_GE(Clock::now() - start, milliseconds(60));
    sleep_ms(-5);  // nothing to wait for, and no failure
}

}  // namespace
}  // namespace korva
