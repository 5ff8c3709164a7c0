// SPDX-License-Identifier: MIT
// The package copy against real folders and real cabinet archives: what reaches the output in
// each mode, the setup.ini patch, the engine update, the tool files, and that every failure
// leaves an empty output, one message and no temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#ifdef __linux__
#include <sys/mount.h>
#endif
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialogs/context.h"
#include "package/file_copy.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/failing_file_system.h"
#include "support/host.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::CabinetEntry;
using test::read_file;

const std::vector<std::string> kEngineDll = {"_qbus32.dll", "_qbus64.dll", "zelt32.dll",
                                             "zelt64.dll",  "wrenB.dll",   "mofta.dll",
                                             "mofta64.dll"};
const std::vector<std::string> kEngineV5 = {"setup.exe", "setup.dll", "setup7.dll"};
const char* const kCopyFailed = "MsgErrCopy\r\nMsgErrOneMore";

void set_mtime(const fs::path& path, std::time_t seconds) {
    fs::last_write_time(
        path, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(seconds)));
}

void make_read_only(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool writable(const fs::path& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

class FileCopyTest : public ::testing::Test {
  public:
    FileCopyTest() {
        // A private temporary folder shows whether the archive step leaves anything behind. On
        // Windows it lies under a name the ANSI code page lacks, which the expander must reach.
        tmp = root.mkdir(kWindowsHost ? "tmp \xe3\x83\x84" : "tmp");
        private_tmp.emplace(test::kTempFolderVariable, tmp);
        program = root.mkdir("program");
        root.write("program/Tool.sii",
                   "[StringEn]\r\nMsgErr=MsgErr\r\nMsgErrCopy=MsgErrCopy\r\n"
                   "MsgErrOneMore=MsgErrOneMore\r\n");
        src = root.mkdir("src");
        out = root.mkdir("out");
        system = root.mkdir("system");
    }
    void TearDown() override {
        EXPECT_TRUE(fs::is_empty(test::utf8_path(tmp))) << "temporary folder left behind";
    }

    Context context(FileSystem& fs) {
        return Context{catalogue, prompter, fs, CodePage::system(), [] {}, program, system};
    }
    bool copy(const FileCopyInput& in) { return File_Copy(in, context(files)); }

    FileCopyInput input(bool silent, bool user) {
        FileCopyInput in;
        in.source = src;
        in.output = out;
        in.silent_install = silent;
        in.user_install = user;
        in.lang_folder = "English";
        in.lang_code = "0x0009";
        in.engine_dll = kEngineDll;
        in.engine_v5 = kEngineV5;
        return in;
    }

    // A package with a five-language setup.ini and the folders of every kind.
    void write_package(const std::string& version = "V4") {
        put("setup.ini",
            "[FileName]\r\nSiiName=prnsetup.sii\r\n[Languages]\r\nDefault=0x0011\r\nCount=5\r\n"
            "key0=0x0011\r\nkey1=0x0009\r\nkey2=0x0007\r\nkey3=0x000c\r\nkey4=0x0010\r\n"
            "Title=Drivers\r\n[Startup]\r\nSiiName=other.sii\r\n");
        put("prnsetup.sii", "[InitialSettings]\r\nInstallerVersion=" + version + "\r\n");
        put("setup.exe", "pkg setup.exe");
        for (const char* file : {"English/printer.sii", "Japanese/printer.sii", "Font/f.ttf",
                                 "QXPort/q.inf", "Manual/m.txt", "Drivers/d.inf"}) {
            put(file, std::string("pkg ") + file);
        }
    }
    std::string put(const std::string& relative, const std::string& bytes) {
        return root.write("src/" + relative, bytes);
    }
    void archive(const std::vector<CabinetEntry>& entries) {
        test::make_cabinet(program + "Tool.bin", entries);
    }
    void expect_failed_once() {
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].kind, "message");
        EXPECT_EQ(prompter.shown[0].text, kCopyFailed);
        EXPECT_EQ(prompter.shown[0].title, "MsgErr");
        EXPECT_TRUE(fs::is_directory(out));
        EXPECT_EQ(test::folder_tree(out), std::vector<std::string>{});
    }

    test::TempDir root;
    std::string tmp, program, src, out, system;
    std::optional<test::ScopedEnv> private_tmp;
    Catalogue catalogue{root.folder() + "program/Tool.sii", "StringEn", kMainBuffer};
    test::ScriptedPrompter prompter;
    RealFileSystem files;
};

TEST_F(FileCopyTest, SilentInstallTakesOnlyWhatTheInstallerNeeds) {
    write_package();
    archive(test::tool_entries());
    ASSERT_TRUE(copy(input(true, false)));
    EXPECT_TRUE(prompter.shown.empty());
    const std::vector<std::string> expected = {
        "English/",     "English/printer.sii", "Font/",     "Font/f.ttf", "QXPort/",
        "QXPort/q.inf", "prnsetup.sii",        "setup.exe", "setup.ini"};
    EXPECT_EQ(test::folder_tree(out), expected);
}

TEST_F(FileCopyTest, FullInstallTakesEverythingAndLeavesItAsItIs) {
    write_package("V5");
    put("Tool/own.txt", "the package's own Tool folder");
    std::vector<CabinetEntry> entries = test::tool_entries();
    for (CabinetEntry& e : entries)
        e.modified = test::local_time(2030, 1, 1);
    archive(entries);
    ASSERT_TRUE(copy(input(false, false)));
    EXPECT_EQ(test::folder_tree(out), test::folder_tree(src));
    // No language patch and no engine update without silent install.
    EXPECT_EQ(read_file(out + "setup.ini"), read_file(src + "setup.ini"));
    EXPECT_EQ(read_file(out + "setup.exe"), "pkg setup.exe");
    // A folder called Tool is package content like any other.
    EXPECT_EQ(read_file(out + "Tool/own.txt"), "the package's own Tool folder");
    EXPECT_TRUE(fs::exists(src + "Tool/own.txt"));
}

TEST_F(FileCopyTest, CopyDirPiecesAreTakenOnlyWhenValidAndPresent) {
    write_package();
    archive(test::tool_entries());
    FileCopyInput in = input(true, false);
    in.copy_dirs = "Manual,a:b, ,Missing,..,";
    ASSERT_TRUE(copy(in));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(fs::exists(out + "Manual/m.txt"));
    EXPECT_FALSE(fs::exists(out + "Drivers"));
    EXPECT_FALSE(fs::exists(out + "Missing"));
}

TEST_F(FileCopyTest, FolderNamedTwiceIsCopiedOnceEvenWithReadOnlyFiles) {
    write_package();
    make_read_only(put("Font/locked.ttf", "locked"));
    make_read_only(put("Manual/locked.txt", "locked"));
    archive(test::tool_entries());
    for (bool silent : {true, false}) {
        Error_Delete(files, out);
        prompter.shown.clear();
        FileCopyInput in = input(silent, false);
        in.copy_dirs = "Font,Manual,font";
        EXPECT_TRUE(copy(in)) << "silent " << silent;
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(read_file(out + "Font/locked.ttf"), "locked");
    }
}

TEST_F(FileCopyTest, SetupIniIsNarrowedToTheChosenLanguage) {
    write_package();
    archive(test::tool_entries());
    ASSERT_TRUE(copy(input(true, false)));
    EXPECT_EQ(read_file(out + "setup.ini"),
              "[FileName]\r\nSiiName=prnsetup.sii\r\n[Languages]\r\nDefault=0x0009\r\nCount=1\r\n"
              "key0=0x0009\r\nkey1=0x0009\r\nkey2=0x0007\r\nkey3=0x000c\r\nkey4=0x0010\r\n"
              "Title=Drivers\r\n[Startup]\r\nSiiName=other.sii\r\n");
}

TEST_F(FileCopyTest, ReadOnlyCopiesBecomeWritableThreeLevelsDown) {
    write_package();
    const char* const levels[] = {"top.txt", "Manual/1.txt", "Manual/a/2.txt", "Manual/a/b/3.txt",
                                  "Manual/a/b/c/4.txt"};
    for (const char* file : levels)
        make_read_only(put(file, file));
    archive(test::tool_entries());
    ASSERT_TRUE(copy(input(false, false)));
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(writable(out + levels[level]), level <= 3) << levels[level];
    }
}

struct EngineCase {
    const char* name;
    std::string version;
    int tool_age_days;  // the tool's files relative to the package's: + newer, - older
    std::vector<std::string> replaced;
};

class EngineUpdateTest : public FileCopyTest, public ::testing::WithParamInterface<EngineCase> {};

TEST_P(EngineUpdateTest, ReplacesOnlyStrictlyNewerFilesOfTheRightList) {
    const EngineCase& c = GetParam();
    write_package(c.version);
    const std::time_t package_time = test::local_time(2020, 6, 15);
    // The package spells two names in other case; they are replaced in place.
    const std::vector<std::string> package_names = {
        "setup.exe",  "setup.dll", "SETUP7.DLL", "_qbus32.dll", "_qbus64.dll", "zelt32.dll",
        "zelt64.dll", "WrenB.dll", "mofta.dll",  "mofta64.dll", "Setup.inx"};
    for (const std::string& name : package_names) {
        set_mtime(put(name, "pkg " + name), package_time);
    }
    std::vector<CabinetEntry> entries = test::tool_entries();
    for (CabinetEntry& e : entries)
        e.modified = package_time + c.tool_age_days * 86400;
    archive(entries);

    ASSERT_TRUE(copy(input(true, false)));
    for (const std::string& name : package_names) {
        const bool replaced =
            std::find(c.replaced.begin(), c.replaced.end(), name) != c.replaced.end();
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        const std::string tool_name = lower == "wrenb.dll"   ? "wrenB.dll"
                                      : lower == "setup.inx" ? "Setup.inx"
                                                             : lower;
        EXPECT_EQ(read_file(out + name), replaced ? "tool " + tool_name : "pkg " + name)
            << c.name << ": " << name;
    }
    // No second spelling appears beside a replaced file.
    EXPECT_FALSE(test::has_entry_named(out, "setup7.dll"));
    EXPECT_FALSE(test::has_entry_named(out, "wrenb.dll"));
}

const std::vector<std::string> kAllDll = {"_qbus32.dll", "_qbus64.dll", "zelt32.dll",  "zelt64.dll",
                                          "WrenB.dll",   "mofta.dll",   "mofta64.dll", "Setup.inx"};

INSTANTIATE_TEST_SUITE_P(
    Versions, EngineUpdateTest,
    ::testing::Values(EngineCase{"V5", "V5", 2, {"setup.exe", "setup.dll", "SETUP7.DLL"}},
                      EngineCase{"lower_v5", "v5", 2, kAllDll}, EngineCase{"V4", "V4", 2, kAllDll},
                      EngineCase{"no_version", "", 2, kAllDll},
                      EngineCase{"older_tool", "V4", -2, {}}, EngineCase{"same_age", "V4", 0, {}},
                      EngineCase{"V5_older_tool", "V5", -2, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileCopyTest, Windows7SettingsFollowAReplacedSetupInx) {
    struct Case {
        const char* name;
        int tool_age_days;
        std::vector<std::string> package_files;                     // besides the usual ones
        std::vector<std::pair<std::string, std::string>> expected;  // file, content
        std::vector<std::string> absent;
    };
    const std::vector<Case> cases = {
        {"both added",
         2,
         {"vista.sii", "VISTA64.SII"},
         {{"win7.sii", "pkg vista.sii"}, {"win7x64.sii", "pkg VISTA64.SII"}},
         {}},
        {"existing Win7.sii kept",
         2,
         {"vista.sii", "VISTA64.SII", "Win7.sii"},
         {{"Win7.sii", "pkg Win7.sii"}, {"win7x64.sii", "pkg VISTA64.SII"}},
         {"win7.sii"}},
        {"nothing without a newer Setup.inx",
         -2,
         {"vista.sii", "vista64.sii"},
         {},
         {"win7.sii", "win7x64.sii"}},
    };
    const std::time_t package_time = test::local_time(2020, 6, 15);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(src);
        Error_Delete(files, out);
        write_package();
        set_mtime(put("Setup.inx", "pkg Setup.inx"), package_time);
        for (const std::string& file : c.package_files)
            put(file, "pkg " + file);
        std::vector<CabinetEntry> entries = test::tool_entries();
        for (CabinetEntry& e : entries)
            e.modified = package_time + c.tool_age_days * 86400;
        archive(entries);

        ASSERT_TRUE(copy(input(true, false)));
        for (const auto& [file, content] : c.expected)
            EXPECT_EQ(read_file(out + file), content);
        for (const std::string& file : c.absent)
            EXPECT_FALSE(test::has_entry_named(out, file)) << file;
    }
}

TEST_F(FileCopyTest, UserInstallPlacesTheEncoderOnceAndTheRunAsProgram) {
    write_package();
    archive(test::tool_entries());
    ASSERT_TRUE(copy(input(false, true)));
    EXPECT_EQ(read_file(system + "screnc.exe"), "tool screnc.exe");
    EXPECT_EQ(read_file(out + "RunAsWithVB.exe"), "tool RunAsWithVB.exe");

    root.write("system/screnc.exe", "already there");
    Error_Delete(files, out);
    ASSERT_TRUE(copy(input(true, true)));
    EXPECT_EQ(read_file(system + "screnc.exe"), "already there");
    EXPECT_EQ(read_file(out + "RunAsWithVB.exe"), "tool RunAsWithVB.exe");
}

// A run of many builds, from several threads too, expands Tool.bin once while it stays as it is;
// the folders go with the cache.
TEST_F(FileCopyTest, ACacheExpandsTheArchiveOncePerVersion) {
    write_package();
    archive(test::tool_entries());
    {
        ToolArchiveCache cache(files);
        Context ctx = context(files);
        ctx.tool_archives = &cache;
        std::thread job([&] { cache.archive(program, [] {}); });
        ASSERT_TRUE(File_Copy(input(false, true), ctx));
        job.join();
        EXPECT_EQ(cache.expansions(), 1);
        auto entries = test::tool_entries();
        entries[0].bytes += " changed";
        archive(entries);
        Error_Delete(files, out);
        ASSERT_TRUE(File_Copy(input(false, true), ctx));
        EXPECT_EQ(cache.expansions(), 2);
    }
    EXPECT_TRUE(fs::is_empty(test::utf8_path(tmp)));
}

TEST_F(FileCopyTest, ArchiveSubFolderListedLastInWindowsOrderServes) {
    write_package();
    std::vector<CabinetEntry> entries = test::tool_entries("a/");
    for (CabinetEntry entry : test::tool_entries("B/")) {
        entry.bytes = "B " + entry.bytes;
        entries.push_back(entry);
    }
    archive(entries);
    ASSERT_TRUE(copy(input(false, true)));
    EXPECT_EQ(read_file(out + "RunAsWithVB.exe"), "B tool RunAsWithVB.exe");
}

TEST_F(FileCopyTest, ArchiveWithOneSubFolderServesFromIt) {
    write_package();
    std::vector<CabinetEntry> entries = test::tool_entries("Tool v2/");
    entries.push_back({"RunAsWithVB.exe", "top level copy", std::nullopt});
    archive(entries);
    ASSERT_TRUE(copy(input(false, true)));
    EXPECT_EQ(read_file(out + "RunAsWithVB.exe"), "tool RunAsWithVB.exe");
    EXPECT_EQ(read_file(system + "screnc.exe"), "tool screnc.exe");
}

TEST_F(FileCopyTest, LinksInTheSourceAreCopiedAsTheirTargetsAndLoopsEnd) {
    if (!test::kHasSymbolicLinks)
        GTEST_SKIP() << "symbolic links need a privilege on Windows";
    write_package();
    fs::create_symlink(src + "setup.exe", src + "linked.exe");
    fs::create_directory_symlink(src + "Manual", src + "English/ManualLink");
    fs::create_directory_symlink("..", src + "Manual/loop");
    archive(test::tool_entries());
    std::uint64_t last_total = 0;
    FileCopyInput in = input(false, false);
    in.progress = [&](std::uint64_t, std::uint64_t total) { last_total = total; };
    ASSERT_TRUE(copy(in));
    EXPECT_FALSE(fs::is_symlink(out + "linked.exe"));
    EXPECT_EQ(read_file(out + "linked.exe"), "pkg setup.exe");
    EXPECT_EQ(read_file(out + "English/ManualLink/m.txt"), "pkg Manual/m.txt");
    EXPECT_GT(last_total, 0u);
}

TEST_F(FileCopyTest, ProgressCountsTheBytesOfThePlannedCopy) {
    put("setup.ini", std::string(1000, 'i'));
    put("setup.exe", std::string(2000, 'e'));
    put("Font/f.ttf", std::string(500, 'f'));
    put("English/e.sii", std::string(300, 's'));
    put("English/sub/more.sii", std::string(200, 's'));
    put("Manual/m.txt", std::string(10000, 'm'));
    archive(test::tool_entries());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    FileCopyInput in = input(true, false);
    in.progress = [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    };
    ASSERT_TRUE(copy(in));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().first, 0u);
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].second, 4000u);
        EXPECT_GE(reports[i].first, reports[i - 1].first);
    }
    EXPECT_EQ(reports.back().first, 4000u);
}

TEST_F(FileCopyTest, EveryFaultEmptiesTheOutputAndShowsOneMessage) {
    struct Case {
        const char* name;
        std::function<void(FileCopyTest&, FileCopyInput&)> setup;
    };
    const std::vector<Case> cases = {
        {"no Tool.bin", [](FileCopyTest&, FileCopyInput&) {}},
        {"corrupt Tool.bin",
         [](FileCopyTest& t, FileCopyInput&) {
             t.root.write("program/Tool.bin", "MSCF this is not a cabinet at all");
         }},
        {"no screnc.exe",
         [](FileCopyTest& t, FileCopyInput& in) {
             auto entries = test::tool_entries();
             entries.erase(entries.begin());
             t.archive(entries);
             in.user_install = true;
         }},
        {"no RunAsWithVB.exe",
         [](FileCopyTest& t, FileCopyInput& in) {
             auto entries = test::tool_entries();
             entries.erase(entries.begin() + 1);
             t.archive(entries);
             in.user_install = true;
         }},
        {"language folder missing",
         [](FileCopyTest& t, FileCopyInput& in) {
             t.archive(test::tool_entries());
             in.lang_folder = "German";
         }},
        {"language folder leaving the package",
         [](FileCopyTest& t, FileCopyInput& in) {
             t.archive(test::tool_entries());
             in.lang_folder = "..";
         }},
        {"expander does not end in time",
         [](FileCopyTest& t, FileCopyInput& in) {
             t.archive(test::tool_entries());
             in.expander = [](const std::string& cab, const std::string&, const EventPump&) {
                 throw PlatformError("The program did not end in time", cab);
             };
         }},
        {"expander reports success but writes nothing",
         [](FileCopyTest& t, FileCopyInput& in) {
             t.archive(test::tool_entries());
             in.expander = [](const std::string&, const std::string&, const EventPump&) {};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(src);
        fs::remove(program + "Tool.bin");
        write_package();
        root.write("out/stale.txt", "what the output held before");
        prompter.shown.clear();
        FileCopyInput in = input(true, false);
        c.setup(*this, in);
        EXPECT_FALSE(copy(in));
        expect_failed_once();
        EXPECT_TRUE(fs::is_empty(test::utf8_path(tmp)));
    }
}

TEST_F(FileCopyTest, SystemFolderIsAskedForOnlyByAUserInstallAndItsFailureIsACopyFailure) {
    write_package();
    archive(test::tool_entries());
    const std::string blocker = root.write("blocker", "a file where a folder should be");
    test::ScopedEnv unusable("KORVA_SYSTEM_DIR", blocker + kPathSep + "system");
    system.clear();
    EXPECT_TRUE(copy(input(true, false)));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(copy(input(true, true)));
    expect_failed_once();
}

TEST_F(FileCopyTest, RollbackLeavesReadOnlyItemsInPlace) {
    write_package();
    make_read_only(put("Manual/a/b/c/deep.txt", "deep"));
    // No Tool.bin: the copy of the package succeeds, the archive step fails.
    EXPECT_FALSE(copy(input(false, false)));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kCopyFailed});
    EXPECT_EQ(test::folder_tree(out),
              (std::vector<std::string>{"Manual/", "Manual/a/", "Manual/a/b/", "Manual/a/b/c/",
                                        "Manual/a/b/c/deep.txt"}));
}

TEST_F(FileCopyTest, AFailureAtAnyFileOperationRollsBack) {
    write_package();
    put("Setup.inx", "pkg Setup.inx");
    put("vista.sii", "pkg vista.sii");
    set_mtime(src + "Setup.inx", test::local_time(2020, 6, 15));
    auto entries = test::tool_entries();
    for (CabinetEntry& e : entries)
        e.modified = test::local_time(2021, 6, 15);
    archive(entries);
    // Its cleanup fails every other time, as one that meets a passing failure of its own does.
    struct FlakyCleanup : test::FailingFileSystem {
        using FailingFileSystem::FailingFileSystem;
        void remove_all(const std::string& path) noexcept override {
            if (!(dropped = !dropped))
                FailingFileSystem::remove_all(path);
        }
        bool dropped = false;
    } failing(files);
    FileCopyInput in = input(true, true);
    in.copy_dirs = "Manual";

    failing.fail_at(0);
    ASSERT_TRUE(File_Copy(in, context(failing)));
    const int operations = failing.mutations();
    ASSERT_GT(operations, 10);
    const std::vector<std::string> full = test::folder_tree(out);

    for (int n = 1; n <= operations; ++n) {
        Error_Delete(files, out);
        fs::remove(system + "screnc.exe");
        prompter.shown.clear();
        failing.fail_at(n);
        EXPECT_FALSE(File_Copy(in, context(failing))) << n;
        const std::string step = failing.log().empty() ? "" : failing.log()[n - 1];
        EXPECT_TRUE(failing.failed()) << step;
        EXPECT_EQ(prompter.messages(), std::vector<std::string>{kCopyFailed}) << step;
        EXPECT_EQ(test::folder_tree(out), std::vector<std::string>{}) << step;
        EXPECT_TRUE(fs::is_empty(test::utf8_path(tmp))) << step;
    }

    failing.fail_at(0);
    Error_Delete(files, out);
    ASSERT_TRUE(File_Copy(in, context(failing)));
    EXPECT_EQ(test::folder_tree(out), full);
}

TEST_F(FileCopyTest, FullDiskIsOneMessageAndAnEmptyOutput) {
#ifndef __linux__
    GTEST_SKIP() << "a small file system to fill is mounted only on Linux";
#else
    // A small file system of its own stands for a full disk.
    if (::mount("tmpfs", out.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{out};
    write_package();
    put("Font/big.ttf", std::string(256 * 1024, 'b'));
    archive(test::tool_entries());
    EXPECT_FALSE(copy(input(true, false)));
    expect_failed_once();
#endif
}

TEST_F(FileCopyTest, OutputInsideTheSourceIsRefusedWithoutTouchingIt) {
    if (!test::kHasSymbolicLinks)
        GTEST_SKIP() << "symbolic links need a privilege on Windows";
    write_package();
    archive(test::tool_entries());
    root.write("src/Out/keep.txt", "source content");
    fs::create_directory_symlink(src + "Out", root.path() / "outlink");
    FileCopyInput in = input(false, false);
    in.output = root.folder() + "outlink/";
    EXPECT_FALSE(copy(in));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kCopyFailed});
    EXPECT_EQ(read_file(src + "Out/keep.txt"), "source content");
}

TEST_F(FileCopyTest, ErrorDeleteNeverFails) {
    Error_Delete(files, root.folder() + "missing/");
    Error_Delete(files, out);
    Error_Delete(files, "");
    EXPECT_EQ(test::folder_tree(out), std::vector<std::string>{});
    root.write("out/a.txt", "a");
    root.write("out/noext", "b");
    root.write("out/sub/c.txt", "c");
    root.mkdir("out/empty");
    Error_Delete(files, out);
    EXPECT_EQ(test::folder_tree(out), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_directory(out));
}

// Run by bench/copy_bench.sh, which builds the package in KORVA_BENCH_SOURCE and calls this once
// per round between its cp -r runs, so both meet the file system in the same state. Prints the
// time of one copy of each mode, started with nothing left to write back from before.
TEST_F(FileCopyTest, DISABLED_BenchCopy) {
    const char* bench_source = std::getenv("KORVA_BENCH_SOURCE");
    if (bench_source == nullptr)
        GTEST_SKIP() << "KORVA_BENCH_SOURCE is not set";
    archive(test::tool_entries());
    for (bool silent : {true, false}) {
        FileCopyInput in = input(silent, false);
        in.source = std::string(bench_source) + "/";
        in.progress = [](std::uint64_t, std::uint64_t) {};
        Error_Delete(files, out);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(copy(in));
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        std::cout << "BENCH " << (silent ? "silent" : "full") << " " << seconds.count() << "\n";
    }
    Error_Delete(files, out);
}

}  // namespace
}  // namespace korva
