// SPDX-License-Identifier: MIT
// The folder checks of Create against real folders: overlapping source and output in every
// spelling, the sub-folder dialogue, and the file-system failures in the middle of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "source/folder_check.h"
#include "source/package_reader.h"
#include "support/failing_file_system.h"
#include "support/host.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

TEST(CheckFolderName, RefusesNamesThatAreNotOneFolderHere) {
    struct Case {
        const char* name;
        bool accepted;
    };
    const Case cases[] = {
        {"", false},      {"   ", false},    {"a:b", false},      {"a*b", false},
        {"a?b", false},   {"a<b", false},    {"a>b", false},      {"a|b", false},
        {"a\\b", false},  {"a/b", false},    {".", false},        {"..", false},
        {" .. ", false},  {"...", false},    {"Drivers 2", true}, {"a\"b", true},
        {"Font", true},   {".hidden", true}, {"v1.2", true},      {" Font", true},
        {"日本語", true}, {"CON", false},    {"prn", false},      {"Aux.txt", false},
        {"nul ", false},  {"COM1", false},   {"lpt9.log", false}, {"COM0", true},
        {"LPT10", true},  {"CONSOLE", true}, {"nul2", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckFolderName(c.name), c.accepted) << c.name;
}

class FolderCheckTest : public ::testing::Test {
  protected:
    FolderCheckTest() {
        std::string sii = "[StringEn]\r\n";
        for (const char* key :
             {"MsgErr", "MsgErrChk", "MsgErrInOut", "MsgErrAnother", "MsgErrInPath2",
              "MsgErrInPath3", "MsgErrDrvPath", "MsgErrOutPath2", "MsgErrOutPath3",
              "MsgErrOutPath4", "MsgErrCreate1", "MsgErrCreate2", "MsgErrCreateName",
              "MsgErrCreateOP", "MsgErrCreateFolder", "MsgErrCreateFName", "MsgErrCtrlChar",
              "MsgErrCreateExit", "MsgErrCreateAnother"}) {
            sii += std::string(key) + "=" + key + "\r\n";
        }
        sii += "MsgErrCreateBadName=MsgErrCreateBadName\r\n";
        sii += "MsgErrFolderRead=MsgErrFolderRead %1\r\n";
        sii += "[LanguagesSub]\r\nLang1=0x0009,English,English\r\n";
        catalogue_dir.write("Tool.sii", sii);
        src = dir.mkdir("Pkg");
        dir.write("Pkg/setup.ini", "[Startup]\r\n");
        out = dir.mkdir("Out");
    }

    bool check(const PackageReread& reread = {}) {
        return Check_FolderPath(in_path, out_path, catalogue, prompter, files, reread);
    }
    void expect_only_message(const std::string& text) {
        ASSERT_EQ(prompter.shown.size(), 1u) << in_path << " / " << out_path;
        EXPECT_EQ(prompter.shown[0].kind, "message");
        EXPECT_EQ(prompter.shown[0].text, text);
        EXPECT_EQ(prompter.shown[0].title, "MsgErr");
    }

    test::TempDir dir;
    test::TempDir catalogue_dir;
    Catalogue catalogue{catalogue_dir.folder() + "Tool.sii", "StringEn", kMainBuffer};
    test::ScriptedPrompter prompter;
    RealFileSystem files;
    std::string src;
    std::string out;
    std::string in_path;
    std::string out_path;
};

TEST_F(FolderCheckTest, RefusesOverlappingFoldersInEverySpelling) {
    // Symbolic links need a privilege on Windows; the other spellings are checked there too.
    if (test::kHasSymbolicLinks)
        fs::create_directory_symlink(dir.path() / "Pkg", dir.path() / "PkgLink");
    dir.mkdir("Pkg/Sub");
    const std::string root = dir.folder();
    struct Case {
        std::string in, out, message;
    };
    const std::vector<Case> cases = {
        {root + "Pkg", root + "Pkg/", "MsgErrInOut\r\nMsgErrAnother"},
        {root + "Pkg/", root + "Pkg", "MsgErrInOut\r\nMsgErrAnother"},
        {root + "Pkg", root + "PkgLink", "MsgErrInOut\r\nMsgErrAnother"},
        {root + "Pkg", root + "Pkg/Sub/..", "MsgErrInOut\r\nMsgErrAnother"},
        {root + "Out/../Pkg", root + "Pkg", "MsgErrInOut\r\nMsgErrAnother"},
        {root + "Pkg", root + "Pkg/Out", "MsgErrInPath3\r\nMsgErrAnother"},
        {root + "Pkg", root + "Pkg/Sub", "MsgErrInPath3\r\nMsgErrAnother"},
        {root + "Pkg", root + "PkgLink/Sub/", "MsgErrInPath3\r\nMsgErrAnother"},
        {root + "PkgLink", root + "Out/../Pkg/New", "MsgErrInPath3\r\nMsgErrAnother"},
    };
    for (const Case& c : cases) {
        if (!test::kHasSymbolicLinks && (c.in + c.out).find("PkgLink") != std::string::npos)
            continue;
        prompter.shown.clear();
        in_path = c.in;
        out_path = c.out;
        EXPECT_FALSE(check()) << c.in << " / " << c.out;
        expect_only_message(c.message);
        // Both texts end in the separator whatever the result.
        EXPECT_EQ(in_path, with_trailing_sep(c.in));
        EXPECT_EQ(out_path, with_trailing_sep(c.out));
    }
}

TEST_F(FolderCheckTest, FolderWhoseNameOnlyStartsLikeTheSourceIsNotInsideIt) {
    const std::string pkg2 = dir.mkdir("Pkg2");
    in_path = dir.folder() + "Pkg";
    out_path = dir.folder() + "Pkg2";
    EXPECT_TRUE(check());
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(out_path, pkg2);
}

TEST_F(FolderCheckTest, MissingFoldersAndRootOutputAreRefusedInOrder) {
    const std::string root = dir.folder();
    struct Case {
        std::string in, out, message;
    };
    const std::vector<Case> cases = {
        {root + "Missing", out, "MsgErrInPath2\r\nMsgErrChk"},
        // The source is checked before the output is.
        {root + "Missing", "/", "MsgErrInPath2\r\nMsgErrChk"},
        {src, "/", "MsgErrDrvPath\r\nMsgErrChk"},
        {src, "/tmp/..", "MsgErrDrvPath\r\nMsgErrChk"},
        {src, root + "Nowhere", "MsgErrOutPath2\r\nMsgErrChk"},
        // Names differ in case only: two folders on Linux, so the second one is missing.
        {src, root + "out", "MsgErrOutPath2\r\nMsgErrChk"},
    };
    for (const Case& c : cases) {
        if (test::kOnWindows && c.out == root + "out")
            continue;
        prompter.shown.clear();
        in_path = c.in;
        out_path = c.out;
        EXPECT_FALSE(check()) << c.in << " / " << c.out;
        expect_only_message(c.message);
    }
    EXPECT_FALSE(fs::exists(dir.path() / "Nowhere"));
}

TEST_F(FolderCheckTest, EmptyOutputPassesWithoutQuestionAndRereadsLast) {
    in_path = src;
    out_path = out;
    int rereads = 0;
    EXPECT_TRUE(check([&] {
        ++rereads;
        return true;
    }));
    EXPECT_EQ(rereads, 1);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(out_path, out);
}

TEST_F(FolderCheckTest, RereadDecidesTheResultAndRunsOnlyAfterEveryFolderCheck) {
    in_path = src;
    out_path = out;
    EXPECT_FALSE(check([] { return false; }));

    bool called = false;
    in_path = src;
    out_path = dir.folder() + "Nowhere";
    EXPECT_FALSE(check([&] { return called = true; }));
    EXPECT_FALSE(called);

    // The reader leaves its file system failures to this check.
    prompter.shown.clear();
    in_path = src;
    out_path = out;
    EXPECT_FALSE(check([]() -> bool { throw PlatformError("Cannot read the folder", "Pkg"); }));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrFolderRead " + src});
}

TEST_F(FolderCheckTest, OneQuestionThenNamesUntilAFreshOne) {
    dir.mkdir("Out/Exists");
    dir.write("Out/file.txt", "x");
    in_path = src;
    out_path = out;
    prompter.yes_no_answers = {true};
    prompter.input_answers = {"", "Exists", "file.txt", "..", "a/b", "   ", "Ne\nw", "New"};
    bool folder_there_at_reread = false;
    EXPECT_TRUE(check([&] { return folder_there_at_reread = fs::is_directory(out + "New"); }));
    EXPECT_TRUE(folder_there_at_reread);
    EXPECT_EQ(out_path, out + "New" + kPathSep);

    EXPECT_EQ(prompter.count("yesno"), 1);
    EXPECT_EQ(prompter.shown[0].text, "MsgErrOutPath3\r\nMsgErrCreate1");
    EXPECT_EQ(prompter.count("input"), 8);
    for (const test::Shown& s : prompter.shown) {
        if (s.kind != "input")
            continue;
        EXPECT_EQ(s.text, "MsgErrCreate2\r\nMsgErrCreateName\r\n\r\nMsgErrCreateOP" + out);
        EXPECT_EQ(s.title, "MsgErrCreateFolder");
        EXPECT_EQ(s.default_answer, "KorvaDrivers");
    }
    const std::vector<std::string> expected = {"MsgErrCreateFName",
                                               "MsgErrCreateExit\r\nMsgErrCreateAnother",
                                               "MsgErrCreateExit\r\nMsgErrCreateAnother",
                                               "MsgErrCreateBadName",
                                               "MsgErrCreateBadName",
                                               "MsgErrCreateFName",
                                               "MsgErrCtrlChar"};
    EXPECT_EQ(prompter.messages(), expected);
}

TEST_F(FolderCheckTest, AnEmptySubFolderMakesTheOutputBusy) {
    dir.mkdir("Out/Empty");
    in_path = src;
    out_path = out;
    prompter.yes_no_answers = {true};
    prompter.input_answers = {std::string("KorvaDrivers")};
    EXPECT_TRUE(check());
    EXPECT_EQ(out_path, out + "KorvaDrivers" + kPathSep);
    EXPECT_TRUE(fs::is_directory(out + "KorvaDrivers"));
}

TEST_F(FolderCheckTest, NoOrCancelEndsTheCheckSilently) {
    dir.write("Out/file.txt", "x");
    for (bool cancel : {false, true}) {
        prompter.shown.clear();
        in_path = src;
        out_path = out;
        prompter.yes_no_answers = {cancel};
        if (cancel)
            prompter.input_answers = {std::nullopt};
        bool reread = false;
        EXPECT_FALSE(check([&] { return reread = true; }));
        EXPECT_FALSE(reread);
        EXPECT_TRUE(prompter.messages().empty());
        EXPECT_EQ(out_path, out);
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator{}), 1);
    }
}

TEST_F(FolderCheckTest, FileSystemFailureWhileMakingTheSubFolderIsOneMessage) {
    dir.write("Out/file.txt", "x");
    test::FailingFileSystem failing(files);
    failing.fail_at(3);  // after the two listings of the output
    in_path = src;
    out_path = out;
    prompter.yes_no_answers = {true};
    prompter.input_answers = {std::string("New")};
    bool reread = false;
    EXPECT_FALSE(Check_FolderPath(in_path, out_path, catalogue, prompter, failing,
                                  [&] { return reread = true; }));
    EXPECT_TRUE(failing.failed());
    EXPECT_FALSE(reread);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrOutPath4\r\nMsgErrChk"});
    EXPECT_FALSE(fs::exists(out + "New"));
}

// A folder that cannot be listed, as a folder without read permission is for everyone but the
// superuser.
class UnlistableFileSystem : public test::FailingFileSystem {
  public:
    using FailingFileSystem::FailingFileSystem;
    std::vector<std::string> sub_folders(const std::string& folder) override {
        throw PlatformError("Cannot read the folder", folder);
    }
};

TEST_F(FolderCheckTest, UnreadableOutputIsOneMessage) {
    dir.write("Out/file.txt", "x");
    UnlistableFileSystem unlistable(files);
    in_path = src;
    out_path = out;
    EXPECT_FALSE(Check_FolderPath(in_path, out_path, catalogue, prompter, unlistable));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrFolderRead " + out});
}

// Each listing of the checks and of the package re-read fails in turn: the message names the
// folder being listed, never a package without setup.exe or an output not made.
TEST_F(FolderCheckTest, EveryFailedListingNamesTheFolderThatCouldNotBeRead) {
    dir.write("Pkg/Drivers/Printer/setup.exe", "x");
    dir.write("Pkg/Drivers/Printer/setup.ini", "[Languages]\r\ncount=1\r\nkey0=0x0009\r\n");
    dir.mkdir("Pkg/Drivers/Printer/English");
    dir.write("Out/file.txt", "x");
    test::FailingFileSystem failing(files);
    const Context ctx{catalogue, prompter, failing, CodePage::system(), [] {}, "", ""};
    auto run = [&](int n) {
        fs::remove_all(out + "New");
        prompter.shown.clear();
        prompter.yes_no_answers = {true};
        prompter.input_answers = {std::string("New")};
        failing.fail_at(n);
        in_path = src;
        out_path = out;
        PackageState pkg;
        return Check_FolderPath(in_path, out_path, catalogue, prompter, failing,
                                [&] { return In_Path_Check(pkg, ctx, in_path); });
    };
    ASSERT_TRUE(run(0));
    const std::vector<std::string> log = failing.log();
    for (std::size_t n = 1; n <= log.size(); ++n) {
        EXPECT_FALSE(run(static_cast<int>(n)));
        const std::string shown = prompter.messages().at(0), named = shown.substr(17);
        if (log[n - 1].starts_with("create_folder "))
            EXPECT_EQ(shown, "MsgErrOutPath4\r\nMsgErrChk");
        else
            EXPECT_TRUE(shown.starts_with("MsgErrFolderRead " + dir.folder()) &&
                        log[n - 1].find(named) != std::string::npos)
                << log[n - 1] << " -> " << shown;
    }
}

}  // namespace
}  // namespace korva
