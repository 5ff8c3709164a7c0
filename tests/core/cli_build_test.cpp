// SPDX-License-Identifier: MIT
// korva-build as a build script meets it: an exit status and a line per job on standard output,
// the reasons on standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/build_command.h"
#include "cli/cli_version.h"
#include "cli/display_text.h"
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

// Enough of XML to know a CI system can read the report: nested elements, quoted attributes,
// known entities, no character XML 1.0 cannot hold.
bool well_formed_xml(const std::string& xml) {
    std::vector<std::string> open;
    std::size_t at = xml.find("?>");
    for (at = at == std::string::npos ? 0 : at + 2; at < xml.size();) {
        const unsigned char c = static_cast<unsigned char>(xml[at]);
        if (c < 0x20 && c != '\n' && c != '\t' && c != '\r')
            return false;
        if (c == '&') {
            const std::size_t end = xml.find(';', at);
            static const std::set<std::string> known = {"amp", "lt", "gt", "quot", "#10", "#9"};
            if (end == std::string::npos || !known.contains(xml.substr(at + 1, end - at - 1)))
                return false;
        }
        if (c != '<') {
            ++at;
            continue;
        }
        const std::size_t end = xml.find('>', at);
        if (end == std::string::npos)
            return false;
        std::string tag = xml.substr(at + 1, end - at - 1);
        at = end + 1;
        if (std::count(tag.begin(), tag.end(), '"') % 2 != 0 || tag.find('<') != std::string::npos)
            return false;
        const std::string name =
            tag.substr(tag[0] == '/', tag.find_first_of(" />", 1) - (tag[0] == '/'));
        if (tag[0] == '/') {
            if (open.empty() || open.back() != name)
                return false;
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(name);
        }
    }
    return open.empty();
}

std::map<std::string, std::string> tree_of(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).generic_string()] =
                test::read_file(entry.path());
    }
    return files;
}

TEST_F(BuildCommand, OptionsAsBuildScriptsWriteThem) {
    const std::string a = job("a.job", "site-a");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out_starts;
        std::string err_holds;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: korva-build", ""},
        {{"-h", a}, 0, "Usage: korva-build", ""},
        {{"--version"}, 0, std::string("korva-build ") + KORVA_VERSION_TEXT + "\n", ""},
        {{"--check", "--lang=ja", "--quiet", a}, 0, "", ""},
        {{"--lang=xx", a}, 2, "", "--lang takes en or ja"},
        {{"--token=s3cret", a}, 2, "", "korva-build: unknown option --token\n"},
        {{"-x", a}, 2, "", "unknown option -x"},
        {{"--jobs", "0", a}, 2, "", "--jobs takes"},
        {{"--report"}, 2, "", "--report needs a value"},
    };
    for (const Case& c : cases) {
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments[0];
        EXPECT_TRUE(r.out.starts_with(c.out_starts)) << c.arguments[0] << ": " << r.out;
        if (c.out_starts.empty()) {
            EXPECT_EQ(r.out, "") << c.arguments[0];
        }
        EXPECT_NE(r.err.find(c.err_holds), std::string::npos) << c.arguments[0] << ": " << r.err;
        EXPECT_EQ(r.err.find("s3cret"), std::string::npos);
    }
    // A job that fails speaks the language asked for, also in the "--lang=" spelling.
    EXPECT_NE(run({"--lang=ja", work.folder() + "none.job"}).err.find("エラー"), std::string::npos);
}

TEST_F(BuildCommand, JUnitReportHoldsEveryJobAndTheFailuresText) {
    const std::string good = job("good.job", "site-good");
    // A name a terminal would act on: shown escaped on both streams and in the report.
    const std::string odd = work.folder() + "odd\x1b]0;<&>\xc2\x85\xe2\x80\xae.job";
    const std::string report = work.folder() + "report.xml";
    work.write("report.xml", "an older report");

    const Outcome r = run({"--quiet", "--report", report, good, odd});
    EXPECT_EQ(r.status, 1);
    const std::string shown = work.folder() + "odd\\x1b]0;<&>\\x85\\u202e.job";
    EXPECT_EQ(r.out, "failed   " + shown + "\n");
    EXPECT_TRUE(r.err.starts_with(shown + ": ")) << r.err;

    const std::string xml = test::read_file(report);
    EXPECT_TRUE(well_formed_xml(xml)) << xml;
    EXPECT_NE(xml.find("<testsuite name=\"korva-build\" tests=\"2\" failures=\"1\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<testcase classname=\"korva-build\" name=\"" + good + "\""),
              std::string::npos)
        << xml;
    const std::string odd_xml = work.folder() + "odd\\x1b]0;&lt;&amp;&gt;\\x85\\u202e.job";
    EXPECT_NE(xml.find("name=\"" + odd_xml + "\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<failure message=\"" + odd_xml + ": Error: "), std::string::npos) << xml;
    EXPECT_NE(xml.find("cannot be read.</failure>"), std::string::npos) << xml;
    EXPECT_FALSE(fs::exists(report + ".partial"));
}

TEST_F(BuildCommand, ParallelJobsGiveTheSerialPackagesAndLines) {
    // Two jobs into one folder (the second reuses the first's package) and one elsewhere.
    std::vector<std::string> jobs = {job("a.job", "site-a"), job("b.job", "site-b"),
                                     job("c.job", "site-a")};
    const Outcome serial = run(jobs);
    const auto serial_a = tree_of(work.path() / "site-a");
    const auto serial_b = tree_of(work.path() / "site-b");
    fs::remove_all(work.path() / "site-a");
    fs::remove_all(work.path() / "site-b");

    jobs.insert(jobs.begin(), {"--jobs", "2"});
    const Outcome parallel = run(jobs);
    EXPECT_EQ(parallel.status, 0) << parallel.err;
    EXPECT_EQ(parallel.out, serial.out);
    EXPECT_EQ(tree_of(work.path() / "site-a"), serial_a);
    EXPECT_EQ(tree_of(work.path() / "site-b"), serial_b);
}

TEST(BuildCommandText, ProgressAndEscapes) {
    EXPECT_EQ(cli::progress_text(120000, 300000), "copying  40%  120 of 300 KB");
    EXPECT_EQ(cli::progress_text(300, 300), "copying 100%  1 of 1 KB");
    EXPECT_EQ(cli::progress_text(1500000, 3000000), "copying  50%  1.5 of 3.0 MB");
    EXPECT_EQ(cli::progress_text(2000, 0), "copying 2 KB");
    EXPECT_EQ(cli::display_text("a\tb\x7f\xff\xe2\x81\xa6 \xc3\xab\xe3\x83\x84"),
              "a\\x09b\\x7f\\xff\\u2066 \xc3\xab\xe3\x83\x84");
    EXPECT_EQ(cli::display_text("1\n2\t3\r", cli::LineBreaks::Keep), "1\n2\t3\\x0d");
}

}  // namespace
}  // namespace korva
