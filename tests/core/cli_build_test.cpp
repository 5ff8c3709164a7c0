// SPDX-License-Identifier: MIT
// korva-build as a build script meets it: an exit status and a line per job on standard output,
// the reasons on standard error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/build_command.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

class BuildCommand : public ::testing::Test {
  protected:
    BuildCommand() {
        const char* examples = std::getenv("KORVA_EXAMPLES_DIR");
        const fs::path from(examples ? examples : "examples");
        fs::copy(from / "driver-package", work.path() / "driver-package",
                 fs::copy_options::recursive);
        const char* sources = std::getenv("KORVA_SOURCE_DIR");
        fs::copy(fs::path(sources ? sources : ".") / "resources" / "Tool.sii",
                 program.path() / "Tool.sii");
        test::make_cabinet(program.folder() + "Tool.bin", test::tool_entries());
        silent = test::read_file(from / "silent-and-user.job");
        // Without user install: no password and no script encoder needed.
        silent.replace(silent.find("UserInstall=yes"), 15, "UserInstall=no");
    }

    Outcome run(const std::vector<std::string>& arguments) {
        Outcome result;
        cli::Console console;
        console.out = [&result](const std::string& text) { result.out += text; };
        console.err = [&result](const std::string& text) { result.err += text; };
        result.status =
            cli::run_build_command(arguments, program.folder(), console, system.folder());
        return result;
    }

    std::string job(const std::string& name, const std::string& output) {
        std::string text = silent;
        text.replace(text.find("built-silent-and-user"), 21, output);
        return work.write(name, text);
    }

    test::TempDir work;
    test::TempDir program;
    test::TempDir system;
    std::string silent;
};

TEST_F(BuildCommand, OneFailingJobOfThreeFailsTheRunButNotTheOthers) {
    const std::string a = job("a.job", "site-a");
    const std::string broken = job("b.job", "site-b");
    work.write("b.job", test::read_file(broken) + "Colour=yes\r\n");
    const std::string c = job("c.job", "site-c");

    const Outcome r = run({a, broken, c});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(fs::exists(work.path() / "site-a" / "Config.ini"));
    EXPECT_FALSE(fs::exists(work.path() / "site-b"));
    EXPECT_TRUE(fs::exists(work.path() / "site-c" / "Config.ini"));
    EXPECT_EQ(r.out, "built    " + a + " -> " + work.folder() + "site-a" + kPathSep + "\n" +
                         "failed   " + broken + "\n" + "built    " + c + " -> " + work.folder() +
                         "site-c" + kPathSep + "\n");
    EXPECT_NE(r.err.find(broken + ": Error: [Printer3] Colour is not a setting of a job file."),
              std::string::npos)
        << r.err;

    // Built again without "reuse", the full output folder is where the job stops.
    std::string fail_on_full = test::read_file(a);
    fail_on_full.replace(fail_on_full.find("ExistingOutput=reuse"), 20, "ExistingOutput=fail");
    work.write("a.job", fail_on_full);
    const Outcome again = run({"--lang", "ja", a});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("エラー"), std::string::npos) << again.err;
}

TEST_F(BuildCommand, CheckWritesNothingAndAWrongCommandLineIsStatusTwo) {
    const std::string a = job("a.job", "site-a");
    const Outcome checked = run({"--check", a});
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.out, "checked  " + a + "\n");
    EXPECT_FALSE(fs::exists(work.path() / "site-a"));

    // Where the real build would stop, the check stops too.
    EXPECT_EQ(run({"--check", job("b.job", "no-such-folder/site-b")}).status, 1);

    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--lang", "xx", a}).status, 2);
    EXPECT_EQ(run({"--force", a}).status, 2);
    EXPECT_EQ(run({work.folder() + "missing.job"}).status, 1);
}

}  // namespace
}  // namespace korva
