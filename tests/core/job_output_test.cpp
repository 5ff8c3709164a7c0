// SPDX-License-Identifier: MIT
// What a job build does to its output folder and around it: one build at a time, only a
// marked package replaced, nothing moved through a link or out of a protected folder, and an
// interrupted build's old package put back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "job/job_build.h"
#include "package/output_lock.h"
#include "platform/lock_file.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/failing_file_system.h"
#include "support/form_fixture.h"
#include "support/host.h"
#include "support/recording_views.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

std::string output_catalogue() {
    std::string text = test::key_named_catalogue(
        "MsgErrBuildLocked=MsgErrBuildLocked %1 %2 %4\r\nMsgJobRestored=MsgJobRestored %2\r\n"
        "MsgErrJobNoMarker=MsgErrJobNoMarker %1\r\nMsgErrJobReuseLink=MsgErrJobReuseLink\r\n"
        "MsgErrJobReuseGuard=MsgErrJobReuseGuard\r\nMsgErrJobNotFound=MsgErrJobNotFound %1\r\n"
        "[StringEn2]\r\nMsgErr=MsgErr\r\nMsgErrJobNotFound=MsgErrJobNotFound %1\r\n");
    const std::string setup = "[Setup]\r\n";
    return text.insert(text.find(setup) + setup.size(), "WaitTime=30\r\nProgExe=Tool.exe\r\n");
}

// The example package and installer job in a work folder, with a canary beside the output.
struct Work {
    Work() : fixture(output_catalogue()) {
        const fs::path examples = std::getenv("KORVA_EXAMPLES_DIR");
        fs::copy(examples / "driver-package", work.path() / "driver-package",
                 fs::copy_options::recursive);
        fs::copy(examples / "silent-and-user.job", work.path() / "site.job");
        test::make_cabinet(fixture.program.folder() + "Tool.bin", test::tool_entries());
        work.write("canary.txt", "canary");
    }
    job::Outcome build(FileSystem& files, test::ScriptedPrompter& prompter,
                       const std::string& job_name = "site.job", bool check = false) {
        job::BuildSettings s;
        s.program_folder = fixture.program.folder();
        s.system_folder = fixture.system.folder();
        s.check_only = check;
        test::RecordingViews views;
        return job::build_job(work.folder() + job_name, s, prompter, views, files);
    }
    job::Outcome build() { return build(real_file_system(), fixture.prompter); }
    void set_job_value(const std::string& key, const std::string& value) {
        std::string text = test::read_file(work.folder() + "site.job");
        const std::size_t at = text.find(key + "=") + key.size() + 1;
        text.replace(at, text.find_first_of("\r\n", at) - at, value);
        work.write("site.job", text);
    }
    std::string out() const { return work.folder() + "built-silent-and-user" + kPathSep; }

    test::TempDir work;
    test::FormFixture fixture;
    test::ScopedEnv password{"KORVA_PASSWORD", "pw"};
};

// Calls a hook at the next copy of a file, as the point where another process steps in.
class HookedFileSystem final : public test::FailingFileSystem {
  public:
    using FailingFileSystem::FailingFileSystem;
    std::function<void()> at_next_copy;
    void copy_file(const std::string& source, const std::string& destination) override {
        if (auto hook = std::exchange(at_next_copy, nullptr))
            hook();
        FailingFileSystem::copy_file(source, destination);
    }
};

TEST(JobOutput, ASecondBuildIntoOneFolderFailsAtOnceAndTheFirstStaysWhole) {
    Work w;
    ASSERT_TRUE(w.build().ok);
    const std::vector<std::string> whole = test::folder_tree(w.out());
    EXPECT_EQ(test::read_file(w.out() + kPackageMarker),
              "Korva Install Assistant: a package built from a job file; a rebuild may replace "
              "it.\r\n");

    // The second build starts while the first is copying and ends before the first goes on.
    HookedFileSystem first_fs(real_file_system());
    test::ScriptedPrompter second_prompter;
    job::Outcome second;
    first_fs.at_next_copy = [&] {
        std::thread([&] { second = w.build(real_file_system(), second_prompter); }).join();
    };
    EXPECT_TRUE(w.build(first_fs, w.fixture.prompter).ok);
    EXPECT_FALSE(second.ok);
    ASSERT_EQ(second_prompter.messages().size(), 1u);
    EXPECT_TRUE(second_prompter.messages()[0].starts_with("MsgErrBuildLocked " + w.work.folder() +
                                                          "built-silent-and-user"));
    EXPECT_NE(second_prompter.messages()[0].find("site.job"), std::string::npos);
    EXPECT_EQ(test::folder_tree(w.out()), whole);
    EXPECT_FALSE(fs::exists(w.work.path() / "built-silent-and-user.korva-lock"));
}

TEST(JobOutput, ReuseTouchesNothingItMayNotReplace) {
    Work w;
    w.work.write("precious/canary.txt", "canary");
    w.work.write("plain/notes.txt", "mine");
    const bool links = test::kHasSymbolicLinks;
    if (links) {
        fs::create_directory_symlink(w.work.path() / "precious", w.work.path() / "link");
        fs::create_directory_symlink(w.work.path(), w.work.path() / "via");
    }
    const struct {
        std::string output;
        bool needs_links;
        std::string message;
    } cases[] = {
        {"link", true, "MsgErrJobReuseLink"},
        {"via/precious", true, "MsgErrJobReuseLink"},
        {"driver-package/Drivers", false, "MsgErrJobReuseGuard"},
        {".", false, "MsgErrJobReuseGuard"},
        {w.fixture.program.folder(), false, "MsgErrJobReuseGuard"},
        {"plain", false, "MsgErrJobNoMarker " + w.work.folder() + "plain"},
    };
    const auto source = test::folder_tree(w.work.path() / "driver-package");
    for (const auto& c : cases) {
        if (c.needs_links && !links)
            continue;
        SCOPED_TRACE(c.output);
        w.fixture.prompter.shown.clear();
        w.set_job_value("Output", c.output);
        EXPECT_FALSE(w.build().ok);
        ASSERT_EQ(w.fixture.prompter.messages().size(), 1u);
        EXPECT_TRUE(w.fixture.prompter.messages()[0].starts_with(c.message))
            << w.fixture.prompter.messages()[0];
        EXPECT_EQ(test::read_file(w.work.folder() + "canary.txt"), "canary");
        EXPECT_EQ(test::folder_tree(w.work.path() / "precious"),
                  std::vector<std::string>{"canary.txt"});
        EXPECT_EQ(test::read_file(w.work.folder() + "plain/notes.txt"), "mine");
        EXPECT_EQ(test::folder_tree(w.work.path() / "driver-package"), source);
        EXPECT_TRUE(fs::exists(w.fixture.program.path() / "Tool.sii"));
    }
}

TEST(JobOutput, AFailedBuildIntoANewSubfolderLeavesNoFolder) {
    Work w;
    w.work.write("built-silent-and-user/other.txt", "x");
    w.set_job_value("ExistingOutput", "subfolder:new");
    test::FailingFileSystem failing(real_file_system());
    ASSERT_TRUE(w.build(failing, w.fixture.prompter).ok);
    const std::vector<std::string> log = failing.log();
    fs::remove_all(w.out() + "new");
    const auto copy = std::find_if(log.begin(), log.end(),
                                   [](const std::string& op) { return op.starts_with("copy_"); });
    failing.fail_at(static_cast<int>(copy - log.begin()) + 1);
    EXPECT_FALSE(w.build(failing, w.fixture.prompter).ok);
    EXPECT_TRUE(failing.failed());
    EXPECT_EQ(test::folder_tree(w.out()), std::vector<std::string>{"other.txt"});
}

TEST(JobOutput, CheckTakesNoLockAndALiveLockIsKept) {
    Work w;
    const ProcessIdentity me = current_process();
    const std::string held = lock_text({me.pid, me.host, me.started, "other.job", ""});
    const std::string lock = w.work.write("built-silent-and-user.korva-lock", held);
    EXPECT_TRUE(w.build(real_file_system(), w.fixture.prompter, "site.job", true).ok);
    EXPECT_FALSE(w.build().ok);
    ASSERT_EQ(w.fixture.prompter.messages().size(), 1u);
    EXPECT_TRUE(w.fixture.prompter.messages()[0].starts_with("MsgErrBuildLocked " +
                                                             w.work.folder() + "built-silent"));
    EXPECT_TRUE(w.fixture.prompter.messages()[0].ends_with(std::to_string(me.pid) + " other.job"));
    EXPECT_EQ(test::read_file(lock), held);
    EXPECT_FALSE(fs::exists(w.out()));
}

#ifndef _WIN32
// The build is killed at a chosen copy, as SIGKILL ends it: no destructor runs.
TEST(JobOutput, AKilledReuseBuildIsPutBackByTheNextBuild) {
    Work w;
    ASSERT_TRUE(w.build().ok);
    const std::vector<std::string> whole = test::folder_tree(w.out());
    for (int copy : {1, 3}) {
        SCOPED_TRACE(copy);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            HookedFileSystem dying(real_file_system());
            int left = copy;
            std::function<void()> count = [&] {
                if (--left == 0)
                    ::_exit(9);
                dying.at_next_copy = count;
            };
            dying.at_next_copy = count;
            test::ScriptedPrompter quiet;
            w.build(dying, quiet);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 9);
        ASSERT_TRUE(fs::exists(w.work.path() / "built-silent-and-user.previous"));
        EXPECT_FALSE(fs::exists(w.out() + kPackageMarker));  // half-written: no package

        w.fixture.prompter.shown.clear();
        EXPECT_TRUE(w.build().ok);
        EXPECT_EQ(w.fixture.prompter.messages(),
                  std::vector<std::string>{"MsgJobRestored " + w.work.folder() +
                                           "built-silent-and-user.previous"});
        EXPECT_EQ(test::folder_tree(w.out()), whole);
        EXPECT_EQ(test::folder_names(w.work.path()),
                  (std::vector<std::string>{"built-silent-and-user", "canary.txt", "driver-package",
                                            "site.job"}));
    }
}
#endif

TEST(JobOutput, AnAdministratorJobWritesBesideItsProgramAndLeavesNothingWhenItFails) {
    Work w;
    w.work.write("admin.job", "[Job]\r\nTool=administrator\r\nPasswordVariable=KORVA_PASSWORD\r\n");
    w.work.write("Tool.exe", "program");
    const std::string archive = w.fixture.program.folder() + "Tool.bin";
    fs::rename(test::utf8_path(archive), test::utf8_path(archive + ".away"));
    EXPECT_FALSE(w.build(real_file_system(), w.fixture.prompter, "admin.job").ok);
    EXPECT_EQ(w.fixture.prompter.messages(),
              std::vector<std::string>{"MsgErrJobNotFound " + archive});
    fs::rename(test::utf8_path(archive + ".away"), test::utf8_path(archive));
    EXPECT_TRUE(w.build(real_file_system(), w.fixture.prompter, "admin.job").ok);
    EXPECT_TRUE(fs::exists(w.work.path() / "ToolUAC.vbe"));
    EXPECT_TRUE(fs::exists(w.work.path() / "RunAsWithVB.exe"));
    EXPECT_FALSE(fs::exists(w.fixture.program.path() / "ToolUAC.vbe"));
}

}  // namespace
}  // namespace korva
