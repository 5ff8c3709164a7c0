// SPDX-License-Identifier: MIT
// The file operations against a real temporary folder: the Windows rules the package writers rely
// on (wildcards, overwrite, read-only protection, failures that name the path) and the safety of
// folder copies.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// windows.h first: these need its types.
#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "support/failing_file_system.h"
#include "support/host.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNoLinks =
    "no symbolic link can be made here (Windows needs developer mode or the privilege for them, "
    "and Wine 8 only pretends to make them)";

// Test paths are written with '/' and turned into the platform's form.
std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSep);
    return path;
}

// A UTF-8 text as a path, the same on every system.
fs::path utf8_path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

void set_mtime(const std::string& path, std::int64_t seconds) {
    fs::last_write_time(
        utf8_path(path),
        std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds))));
}

#ifdef _WIN32
std::wstring wide(const std::string& text) {
    return utf8_path(text).wstring();
}

bool make_link(const std::string& target, const std::string& link, bool folder) {
    const DWORD flags =
        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    if (!::CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(), flags))
        return false;
    const DWORD attributes = ::GetFileAttributesW(wide(link).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Wine stands in for Windows in the cross-built runs; where it differs, the test says so.
bool running_under_wine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string sid_text(PSID sid) {
    wchar_t* text = nullptr;
    EXPECT_TRUE(::ConvertSidToStringSidW(sid, &text));
    const std::string result = fs::path(text).string();
    ::LocalFree(text);
    return result;
}

std::string current_user_sid() {
    HANDLE token = nullptr;
    EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    EXPECT_TRUE(::GetTokenInformation(token, TokenUser, user.data(), size, &size));
    ::CloseHandle(token);
    return sid_text(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
}

void expect_owner_only(const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, &dacl, nullptr, &descriptor),
              ERROR_SUCCESS)
        << path;
    ASSERT_NE(dacl, nullptr) << "no DACL lets everyone in: " << path;
    std::vector<std::string> allowed;
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, &ace));
        ASSERT_EQ(static_cast<ACE_HEADER*>(ace)->AceType, ACCESS_ALLOWED_ACE_TYPE);
        auto* sid = reinterpret_cast<PSID>(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart);
        // Wine keeps no DACL of its own but rebuilds one from the Unix mode, adding SYSTEM.
        if (!(running_under_wine() && ::IsWellKnownSid(sid, WinLocalSystemSid)))
            allowed.push_back(sid_text(sid));
    }
    ::LocalFree(descriptor);
    EXPECT_EQ(allowed, std::vector<std::string>{current_user_sid()}) << path;
}

void expect_nobody_may_write(const std::string& path) {
    EXPECT_NE(::GetFileAttributesW(wide(path).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << path;
}

std::string short_name(const std::string& path) {
    wchar_t buffer[32768];
    const DWORD length = ::GetShortPathNameW(wide(path).c_str(), buffer, 32768);
    if (length == 0 || length >= 32768)
        return {};
    return fs::path(std::wstring(buffer, length)).string();
}
#else
bool make_link(const std::string& target, const std::string& link, bool folder) {
    std::error_code error;
    if (folder)
        fs::create_directory_symlink(target, link, error);
    else
        fs::create_symlink(target, link, error);
    return !error;
}

bool running_under_wine() {
    return false;
}

mode_t mode_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

void expect_owner_only(const std::string& path) {
    EXPECT_EQ(mode_of(path), fs::is_directory(path) ? 0700u : 0600u) << path;
}

void expect_nobody_may_write(const std::string& path) {
    EXPECT_EQ(mode_of(path) & 0222, 0u) << path;
}
#endif

// Runs the operation and returns the failure it must raise, so the test can look at the path.
template <typename Operation>
PlatformError failure_of(Operation operation) {
    try {
        operation();
    } catch (const PlatformError& error) {
        return error;
    }
    ADD_FAILURE() << "no PlatformError";
    return PlatformError("none", "");
}

class FileSystemTest : public ::testing::Test {
  protected:
    // A path below the temporary folder.
    std::string at(const std::string& relative) const { return root + native(relative); }
    std::string read(const std::string& relative) const {
        return test::read_file(utf8_path(at(relative)));
    }
    // For names beyond ASCII: a std::string path is taken in the ANSI code page on Windows.
    void put(const std::string& relative, const std::string& bytes) const {
        const fs::path path = utf8_path(at(relative));
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    test::TempDir dir;
    RealFileSystem files;
    std::string root = dir.folder();
};

// "C:" without its separator is the current folder of drive C, not its root.
TEST(PathText, TrailingSeparatorsGoButARootKeepsItsOwn) {
    const std::string sep(1, kPathSep);
    EXPECT_EQ(without_trailing_sep("a" + sep + "b" + sep + sep), "a" + sep + "b");
    EXPECT_EQ(without_trailing_sep(sep), sep);
    EXPECT_EQ(without_trailing_sep("C:" + sep), test::kOnWindows ? "C:" + sep : "C:");
}

TEST(WildcardMatch, FollowsWindowsSearchRules) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*", "anything.txt", true},
        {"*.*", "README", true},  // Windows: also names without a dot
        {"*.*", "a.b.c", true},
        {"*.*", ".profile", true},
        {"*.inf", "DRIVER.INF", true},
        {"*.inf", "driver.inf.bak", false},
        {"*.inf", "driverinf", false},
        {"setup.ini", "SETUP.INI", true},
        {"setup.ini", "setup.ini2", false},
        {"*.", "noext", true},
        {"*.", "with.ext", false},
        {"name.*", "name", true},
        {"name.*", "name.txt", true},
        {"name.*", "names.txt", false},
        {"?.txt", "a.txt", true},
        {"?.txt", "ab.txt", false},
        {"a?", "a", true},  // '?' may match nothing at the end
        {"a?", "ab", true},
        {"a?", "abc", false},
        {"a?c", "ac", false},
        {"*64.dll", "_qbus64.dll", true},
        {"*64.dll", "_qbus32.dll", false},
        {"tré*", "Tréiber ツール", true},
        {"TRÉ*", "tréiber", false},               // only ASCII letters fold
        {"Tr?iber ???", "Tréiber ツール", true},  // '?' is one character, not one byte
        {"Tr?iber ??", "Tréiber ツール", false},
        {"", "", true},
        {"", "x", false},
        {"**a*", "bab", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST_F(FileSystemTest, ListsMatchesOfTheLastComponent) {
    dir.write("pkg/Setup.INI", "x");
    dir.write("pkg/a.sii", "x");
    dir.write("pkg/Font/f.ttf", "x");
    const std::string pkg = at("pkg/");

    EXPECT_EQ(files.list(pkg + "*", false), (std::vector<std::string>{"a.sii", "Setup.INI"}));
    EXPECT_EQ(files.list(pkg + "*", true),
              (std::vector<std::string>{"a.sii", "Font", "Setup.INI"}));
    // A folder text alone lists the folder, as the runtime's listing does.
    EXPECT_EQ(files.list(pkg, false), (std::vector<std::string>{"a.sii", "Setup.INI"}));
    // A plain name is found whatever its case, and reported with the case it has on disk.
    EXPECT_EQ(files.list(pkg + "setup.ini", false), std::vector<std::string>{"Setup.INI"});
    EXPECT_EQ(files.list(pkg + "font", true), std::vector<std::string>{"Font"});
    EXPECT_TRUE(files.list(pkg + "Font", false).empty());
    EXPECT_TRUE(files.list(at("missing/*"), true).empty());

    EXPECT_EQ(files.sub_folders(pkg), std::vector<std::string>{"Font"});
    EXPECT_EQ(files.files(pkg), (std::vector<std::string>{"a.sii", "Setup.INI"}));
    EXPECT_EQ(failure_of([&] { files.files(at("missing/")); }).path(), at("missing/"));
}

TEST_F(FileSystemTest, ListingsTakeWindowsOrder) {
    // Upper-cased comparison: '_' after the letters, "b.txt" before "B2" ('.' before '2').
    for (const char* name : {"b.txt", "_x", "A.txt", "c", "B2", "a.TXT2", "Zeta", "alpha"})
        dir.write(std::string("mixed/") + name, "x");
    for (const char* name : {"sub_b", "Sub", "SUB_A", "_sub"})
        dir.mkdir(std::string("mixed/") + name);
    const std::vector<std::string> in_order = {"A.txt", "a.TXT2", "alpha", "b.txt",
                                               "B2",    "c",      "Zeta",  "_x"};

    EXPECT_EQ(files.files(at("mixed/")), in_order);
    EXPECT_EQ(files.list(at("mixed/*"), false), in_order);
    EXPECT_EQ(files.sub_folders(at("mixed/")),
              (std::vector<std::string>{"Sub", "SUB_A", "sub_b", "_sub"}));
    // Files and folders mixed, as one listing gives them.
    EXPECT_EQ(files.list(at("mixed/*b*"), true),
              (std::vector<std::string>{"b.txt", "B2", "Sub", "SUB_A", "sub_b", "_sub"}));
}

TEST_F(FileSystemTest, CopyFileCopiesEveryMatchAndOverwrites) {
    dir.write("src/DRV.INF", "new driver");
    dir.write("src/other.inf", "other");
    dir.write("src/readme.txt", "readme");
    dir.write("out/DRV.INF", "old driver, longer than the new one");
    set_mtime(at("src/DRV.INF"), 1'000'000'000);

    files.copy_file(at("src/*.inf"), at("out/"));

    EXPECT_EQ(read("out/DRV.INF"), "new driver");
    EXPECT_EQ(read("out/other.inf"), "other");
    EXPECT_FALSE(files.file_exists(at("out/readme.txt")));
    EXPECT_EQ(files.modified_time(at("out/DRV.INF")), 1'000'000'000);

    // A destination without the separator is the new file's name.
    files.copy_file(at("src/readme.txt"), at("out/renamed.txt"));
    EXPECT_EQ(read("out/renamed.txt"), "readme");
}

TEST_F(FileSystemTest, CopyFailuresNameThePath) {
    dir.write("src/a.txt", "a");
    dir.mkdir("out");
    const std::string pattern = at("src/*.dll");
    const PlatformError nothing = failure_of([&] { files.copy_file(pattern, at("out/")); });
    EXPECT_EQ(nothing.path(), pattern);
    EXPECT_NE(std::string(nothing.what()).find(pattern), std::string::npos);

    EXPECT_EQ(failure_of([&] { files.copy_folder(at("src/Font"), at("out/")); }).path(),
              at("src/Font"));
    // A folder is not a file to copy, and a missing destination folder is a failure.
    EXPECT_EQ(failure_of([&] { files.copy_file(at("src"), at("out/")); }).path(), at("src"));
    failure_of([&] { files.copy_file(at("src/a.txt"), at("nowhere/")); });
}

TEST_F(FileSystemTest, CopyKeepsReadOnlyStateAndRefusesReadOnlyTargets) {
    dir.write("src/ro.dll", "engine");
    dir.mkdir("out");
    files.set_attributes(at("src/ro.dll"), kAttrReadOnly);

    files.copy_file(at("src/ro.dll"), at("out/"));
    EXPECT_EQ(files.attributes(at("out/ro.dll")), kAttrReadOnly);

    // Like Windows, a read-only file is not overwritten, whoever runs the program.
    dir.write("src/ro.dll.new", "newer");
    const PlatformError error =
        failure_of([&] { files.copy_file(at("src/ro.dll.new"), at("out/ro.dll")); });
    EXPECT_EQ(error.path(), at("out/ro.dll"));
    EXPECT_EQ(read("out/ro.dll"), "engine");

    files.set_attributes(at("out/ro.dll"), kAttrNormal);
    files.copy_file(at("src/ro.dll.new"), at("out/ro.dll"));
    EXPECT_EQ(read("out/ro.dll"), "newer");
}

TEST_F(FileSystemTest, CopyOntoItselfKeepsTheFile) {
    const std::string file = at("src/a.txt");
    dir.write("src/a.txt", "content");
    EXPECT_THROW(files.copy_file(file, at("src/")), PlatformError);
    EXPECT_EQ(read("src/a.txt"), "content");
    if (!make_link(file, at("src/link.txt"), false))
        GTEST_SKIP() << kNoLinks;
    EXPECT_THROW(files.copy_file(file, at("src/link.txt")), PlatformError);
    EXPECT_EQ(read("src/a.txt"), "content");
}

TEST_F(FileSystemTest, CopyFolderCopiesTreesWithOddNames) {
    put("src/Tréiber ツール/a b.txt", "one");
    put("src/Tréiber ツール/Sub Dir/deep/c.dat", std::string(3, '\0'));
    fs::create_directories(utf8_path(at("src/Tréiber ツール/empty")));
    dir.write("src/Font/f.ttf", "font");
    dir.write("src/top.txt", "not a folder");
    dir.write("out/Font/f.ttf", "old font");
    dir.write("out/Font/kept.ttf", "kept");

    files.copy_folder(at("src/*"), at("out/"));

    EXPECT_EQ(read("out/Tréiber ツール/a b.txt"), "one");
    EXPECT_EQ(read("out/Tréiber ツール/Sub Dir/deep/c.dat"), std::string(3, '\0'));
    EXPECT_TRUE(files.folder_exists(at("out/Tréiber ツール/empty")));
    // Overwrites what is there and keeps what only the destination has.
    EXPECT_EQ(read("out/Font/f.ttf"), "font");
    EXPECT_EQ(read("out/Font/kept.ttf"), "kept");
    EXPECT_FALSE(files.file_exists(at("out/top.txt")));

    // Without the separator the destination is the copy's own name.
    files.copy_folder(at("src/font"), at("renamed"));
    EXPECT_EQ(read("renamed/f.ttf"), "font");
}

TEST_F(FileSystemTest, CopyFolderIntoItselfFails) {
    dir.write("src/a.txt", "a");
    dir.mkdir("src/sub");
    EXPECT_THROW(files.copy_folder(at("src"), at("src/sub/")), PlatformError);
    EXPECT_THROW(files.copy_folder(at("src"), root), PlatformError);
    if (!make_link(at("src/sub"), at("via-link"), true))
        GTEST_SKIP() << kNoLinks;
    EXPECT_THROW(files.copy_folder(at("src"), at("via-link/")), PlatformError);
    EXPECT_FALSE(files.folder_exists(at("src/sub/src")));
}

TEST_F(FileSystemTest, CopyFolderEndsOnLinkLoopsAndCopiesFileLinksAsFiles) {
    dir.write("src/pkg/a.txt", "a");
    dir.write("elsewhere/target.txt", "linked content");
    dir.mkdir("out");
    if (!make_link(at("src/pkg"), at("src/pkg/loop"), true))
        GTEST_SKIP() << kNoLinks;
    ASSERT_TRUE(make_link("..", at("src/pkg/up"), true));
    ASSERT_TRUE(make_link(at("elsewhere/target.txt"), at("src/pkg/file-link.txt"), false));
    ASSERT_TRUE(make_link(at("elsewhere"), at("src/pkg/dir-link"), true));
    // A link to the destination would otherwise copy the growing copy into itself.
    ASSERT_TRUE(make_link(at("out"), at("src/pkg/to-out"), true));

    files.copy_folder(at("src/pkg"), at("out/"));

    EXPECT_EQ(read("out/pkg/a.txt"), "a");
    EXPECT_FALSE(fs::is_symlink(at("out/pkg/file-link.txt")));
    EXPECT_EQ(read("out/pkg/file-link.txt"), "linked content");
    EXPECT_EQ(read("out/pkg/dir-link/target.txt"), "linked content");
    EXPECT_FALSE(fs::exists(at("out/pkg/loop")));
    EXPECT_TRUE(files.folder_exists(at("out/pkg/to-out")));
    EXPECT_FALSE(fs::exists(at("out/pkg/to-out/pkg")));
    // ".." leads to src, whose only content is the folder being copied.
    EXPECT_TRUE(files.folder_exists(at("out/pkg/up")));
    EXPECT_FALSE(fs::exists(at("out/pkg/up/pkg")));
}

TEST_F(FileSystemTest, CopyFolderTakesEachRealFolderOnceHoweverManyLinksLeadThere) {
    // Two links from each level to the next would copy 2^12 leaves.
    constexpr int kLevels = 12;
    for (int level = 0; level <= kLevels; ++level)
        dir.write("src/pkg/L" + std::to_string(level) + "/f.txt", "x");
    dir.mkdir("out");
    for (int level = 0; level < kLevels; ++level) {
        const std::string from = "src/pkg/L" + std::to_string(level) + "/";
        const std::string next = at("src/pkg/L" + std::to_string(level + 1));
        if (!make_link(next, at(from + "a"), true) || !make_link(next, at(from + "b"), true))
            GTEST_SKIP() << kNoLinks;
    }
    files.copy_folder(at("src/pkg"), at("out/"));
    std::size_t copied_files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(at("out")))
        copied_files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(copied_files, static_cast<std::size_t>(kLevels + 1));
}

TEST_F(FileSystemTest, ProgressCountsAllBytesOfACopy) {
    const std::size_t big = (11u << 20) + 5;
    dir.write("src/pkg/big.bin", std::string(big, 'x'));
    dir.write("src/pkg/empty.txt", "");
    dir.write("src/pkg/sub/small.txt", "123");
    dir.mkdir("out");
    std::vector<std::uint64_t> reports;
    files.set_copy_progress([&](std::uint64_t done) { reports.push_back(done); });

    files.copy_folder(at("src/pkg"), at("out/"));

    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), big + 3);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    // One report at each file end and more while the big file runs (Wine's CopyFileExW never
    // reports during a copy; Windows does).
    if (!running_under_wine()) {
        EXPECT_GE(reports.size(), 5u);
        EXPECT_LT(reports.front(), big);
    }

    // The count runs on over further copies until progress is set again.
    files.copy_file(at("src/pkg/sub/small.txt"), at("out/"));
    EXPECT_EQ(reports.back(), big + 6);
    files.set_copy_progress([&](std::uint64_t done) { reports.push_back(done); });
    files.copy_file(at("src/pkg/sub/small.txt"), at("out/"));
    EXPECT_EQ(reports.back(), 3u);
}

TEST_F(FileSystemTest, CreateFolderFailsWhenItExistsOrCannotBeMade) {
    files.create_folder(at("new/"));
    EXPECT_TRUE(files.folder_exists(at("new")));
    EXPECT_EQ(failure_of([&] { files.create_folder(at("new")); }).path(), at("new"));
    dir.write("file", "x");
    EXPECT_THROW(files.create_folder(at("file")), PlatformError);
    EXPECT_THROW(files.create_folder(at("missing/child")), PlatformError);
}

TEST_F(FileSystemTest, DeleteFileHonoursReadOnlyUnlessForced) {
    dir.write("out/a.cab", "a");
    dir.write("out/b.cab", "b");
    dir.write("out/keep.txt", "k");
    const std::string protected_file = at("out/b.cab");
    files.set_attributes(protected_file, kAttrReadOnly);

    const PlatformError error = failure_of([&] { files.delete_file(at("out/*.CAB"), false); });
    EXPECT_EQ(error.path(), protected_file);
    EXPECT_FALSE(files.file_exists(at("out/a.cab")));
    EXPECT_TRUE(files.file_exists(protected_file));

    files.delete_file(at("out/*.cab"), true);
    EXPECT_FALSE(files.file_exists(protected_file));
    EXPECT_TRUE(files.file_exists(at("out/keep.txt")));
    // A folder text names no file (only a listing reads it as the whole folder).
    EXPECT_THROW(files.delete_file(at("out/"), true), PlatformError);
    EXPECT_THROW(files.delete_file("", true), PlatformError);
    EXPECT_TRUE(files.file_exists(at("out/keep.txt")));

    const std::string pattern = at("out/*.cab");
    EXPECT_EQ(failure_of([&] { files.delete_file(pattern, true); }).path(), pattern);
    // A folder is not deleted as a file.
    dir.mkdir("out/Tool");
    EXPECT_THROW(files.delete_file(at("out/Tool"), true), PlatformError);
    EXPECT_TRUE(files.folder_exists(at("out/Tool")));
}

TEST_F(FileSystemTest, DeleteFolderRemovesTreesButNotLinkTargets) {
    dir.write("out/Tool/sub/x.exe", "x");
    dir.write("out/Tool/sub/ro.exe", "r");
    files.set_attributes(at("out/Tool/sub/ro.exe"), kAttrReadOnly);
    files.set_attributes(at("out/Tool/sub"), kAttrReadOnly);

    // Without force a read-only item stops the whole deletion before anything is gone.
    EXPECT_THROW(files.delete_folder(at("out/Tool"), false), PlatformError);
    EXPECT_TRUE(files.file_exists(at("out/Tool/sub/x.exe")));

    files.delete_folder(at("out/tool"), true);
    EXPECT_FALSE(fs::exists(at("out/Tool")));

    EXPECT_EQ(failure_of([&] { files.delete_folder(at("out/*"), true); }).path(), at("out/*"));

    dir.write("kept/file.txt", "kept");
    if (!make_link(at("kept"), at("out/link"), true))
        GTEST_SKIP() << kNoLinks;
    files.delete_folder(at("out/link"), false);
    EXPECT_FALSE(fs::exists(at("out/link")));
    EXPECT_EQ(read("kept/file.txt"), "kept");
}

TEST_F(FileSystemTest, AttributesSwitchReadOnly) {
    const std::string file = at("a.txt");
    dir.write("a.txt", "a");
    files.set_attributes(file, kAttrReadOnly);
    EXPECT_EQ(files.attributes(file), kAttrReadOnly);
    expect_nobody_may_write(file);
    files.set_attributes(file, kAttrNormal);
    EXPECT_EQ(files.attributes(file), kAttrNormal);
    EXPECT_EQ(files.attributes(root), kAttrFolder);
    EXPECT_EQ(failure_of([&] { files.set_attributes(at("gone"), 0); }).path(), at("gone"));
    EXPECT_THROW(files.attributes(at("gone")), PlatformError);
}

TEST_F(FileSystemTest, RenameNeverReplaces) {
    dir.write("Setup.txt", "new");
    dir.write("Setup.sii", "old");
    const PlatformError error = failure_of([&] { files.rename(at("Setup.txt"), at("Setup.sii")); });
    EXPECT_EQ(error.path(), at("Setup.sii"));
    EXPECT_EQ(read("Setup.sii"), "old");
    EXPECT_EQ(read("Setup.txt"), "new");

    files.rename(at("Setup.txt"), at("Config.ini"));
    EXPECT_EQ(read("Config.ini"), "new");
    EXPECT_FALSE(files.file_exists(at("Setup.txt")));
    EXPECT_EQ(failure_of([&] { files.rename(at("gone"), at("x")); }).path(), at("gone"));
}

TEST_F(FileSystemTest, WriteFileReplacesAndProtectsPasswords) {
    const std::string path = at("setup.vbs");
    files.write_file(path, "first, and longer");
    files.write_file(path, std::string("a\0b\r\n", 5));
    EXPECT_EQ(files.read_file(path), std::string("a\0b\r\n", 5));
    EXPECT_EQ(files.file_size(path), 5u);

    // The old file is open to others (the folder's inherited access on Windows, 0644 here).
    fs::permissions(path, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
    files.write_file(path, "password", true);
    expect_owner_only(path);
    EXPECT_EQ(files.read_file(path), "password");

    files.set_attributes(path, kAttrReadOnly);
    EXPECT_EQ(failure_of([&] { files.write_file(path, "x"); }).path(), path);
    EXPECT_THROW(files.write_file(path, "x", true), PlatformError);
    EXPECT_EQ(files.read_file(path), "password");

    EXPECT_EQ(failure_of([&] { files.read_file(at("gone")); }).path(), at("gone"));
    EXPECT_THROW(files.write_file(at("missing/x.txt"), "x"), PlatformError);
    EXPECT_THROW(files.modified_time(at("gone")), PlatformError);
    EXPECT_THROW(files.file_size(at("gone")), PlatformError);
}

TEST_F(FileSystemTest, CanonicalJoinsSpellingsOfOneFolder) {
    dir.mkdir("a/b");
    const std::string real = files.canonical(at("a/b"));
    EXPECT_TRUE(utf8_path(real).is_absolute()) << real;
    EXPECT_EQ(files.canonical(at("a/../a/./b")), real);
    EXPECT_EQ(files.canonical(at("a/b/")), real + kPathSep);
    EXPECT_EQ(files.canonical(at("a/b/not/yet/")), real + native("/not/yet/"));
    EXPECT_THROW(files.canonical(""), PlatformError);
    if (!make_link(at("a/b"), at("link"), true))
        GTEST_SKIP() << kNoLinks;
    EXPECT_EQ(files.canonical(at("link")), real);
    EXPECT_EQ(files.canonical(at("link/")), real + kPathSep);
    EXPECT_EQ(files.canonical(at("link/not/yet/")), real + native("/not/yet/"));
}

// 8.3 names, trailing dots and letter case are other spellings of one name on Windows only.
TEST_F(FileSystemTest, WindowsSpellingsNameOneItem) {
#ifndef _WIN32
    GTEST_SKIP() << "8.3 names, trailing dots and case-blind names exist only on Windows";
#else
    dir.write("Long Folder Name/Setup.INI", "x");
    const std::string folder = at("Long Folder Name");
    const std::string real = files.canonical(folder);
    EXPECT_EQ(files.canonical(at("LONG folder NAME")), real);
    EXPECT_EQ(files.canonical(folder + ". ."), real);
    EXPECT_EQ(files.canonical(folder + "/new. "), real + native("/new"));
    EXPECT_EQ(files.list(at("long folder name."), true),
              std::vector<std::string>{"Long Folder Name"});
    EXPECT_EQ(files.list(at("LONG FOLDER NAME/setup.ini"), false),
              std::vector<std::string>{"Setup.INI"});
    EXPECT_THROW(files.copy_folder(folder, at("LONG FOLDER NAME/Sub/")), PlatformError);
    EXPECT_THROW(
        files.copy_file(at("Long Folder Name/Setup.INI"), at("LONG FOLDER NAME/SETUP.INI")),
        PlatformError)
        << "a copy onto itself";
    EXPECT_EQ(read("Long Folder Name/Setup.INI"), "x");

    const std::string short_folder = short_name(folder);
    if (short_folder.empty() || short_folder == folder)
        GTEST_SKIP() << "this volume keeps no 8.3 names";
    EXPECT_EQ(files.canonical(short_folder), real);
    EXPECT_EQ(files.canonical(short_folder + "\\new\\"), real + "\\new\\");
    EXPECT_THROW(files.copy_folder(folder, short_folder + "\\Sub\\"), PlatformError);
#endif
}

TEST_F(FileSystemTest, PathsLongerThan260CharactersWork) {
    std::string deep = root;
    for (char letter : std::string("abcde")) {
        deep += std::string(60, letter) + kPathSep;
        files.create_folder(deep);
    }
    ASSERT_GT(deep.size(), 300u);
    files.write_file(deep + "File.txt", "deep");
    files.copy_file(deep + "file.txt", deep + "copy.txt");
    files.copy_folder(deep, root + "copy");
    EXPECT_EQ(files.list(deep + "*.txt", false),
              (std::vector<std::string>{"copy.txt", "File.txt"}));
    EXPECT_EQ(files.read_file(root + "copy" + kPathSep + "File.txt"), "deep");
    EXPECT_EQ(files.canonical(deep + "new"), files.canonical(deep) + "new");
    files.delete_folder(root + std::string(60, 'a'), false);
    EXPECT_FALSE(files.folder_exists(deep));
    EXPECT_FALSE(files.folder_exists(root + std::string(60, 'a')));
}

TEST_F(FileSystemTest, TemporaryFoldersArePrivateAndRemovedWhole) {
    const std::string temp = files.make_temp_folder("korva-fs-test-");
    ASSERT_TRUE(files.folder_exists(temp));
    EXPECT_EQ(temp.back(), kPathSep);
    expect_owner_only(temp);
    const std::string second = files.make_temp_folder("korva-fs-test-");
    EXPECT_NE(temp, second);
    files.remove_all(second);
    EXPECT_FALSE(files.folder_exists(second));

    files.write_file(temp + "ro.txt", "x");
    files.create_folder(temp + "locked");
    files.write_file(temp + native("locked/inner.txt"), "x");
    files.set_attributes(temp + "ro.txt", kAttrReadOnly);
    files.set_attributes(temp + native("locked/inner.txt"), kAttrReadOnly);
    files.set_attributes(temp + "locked", kAttrReadOnly);
    const bool linked = make_link(root, temp + "outside", true);
    files.remove_all(temp);
    EXPECT_FALSE(files.folder_exists(temp));
    EXPECT_TRUE(!linked || files.folder_exists(root))
        << "a link inside must not lead the removal outside";
    files.remove_all(temp);  // gone already: no failure
    EXPECT_THROW(files.make_temp_folder(native("a/b")), PlatformError);
}

TEST_F(FileSystemTest, FailingFileSystemFailsExactlyTheChosenOperation) {
    test::FailingFileSystem failing(files);
    failing.fail_at(2);
    failing.create_folder(at("one"));
    const PlatformError error = failure_of([&] { failing.write_file(at("two.txt"), "x"); });
    EXPECT_EQ(error.path(), at("two.txt"));
    EXPECT_TRUE(failing.failed());
    EXPECT_FALSE(files.file_exists(at("two.txt")));
    // Reads do not count; the rollback after the failure goes through.
    EXPECT_TRUE(failing.folder_exists(at("one")));
    failing.delete_folder(at("one"), true);
    EXPECT_EQ(failing.mutations(), 3);
    EXPECT_EQ(failing.log().size(), 3u);
    EXPECT_FALSE(files.folder_exists(at("one")));
}

}  // namespace
}  // namespace korva
