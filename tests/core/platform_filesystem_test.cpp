// SPDX-License-Identifier: MIT
// The file operations against a real temporary folder: the Windows rules the package writers rely
// on (wildcards, overwrite, read-only protection, failures that name the path) and the safety of
// folder copies.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/filesystem.h"
#include "support/failing_file_system.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

mode_t mode_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

void set_mtime(const std::string& path, std::time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

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
    test::TempDir dir;
    RealFileSystem files;
    std::string root = dir.folder();
};

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
    const std::string pkg = root + "pkg/";

    EXPECT_EQ(sorted(files.list(pkg + "*", false)),
              (std::vector<std::string>{"Setup.INI", "a.sii"}));
    EXPECT_EQ(sorted(files.list(pkg + "*", true)),
              (std::vector<std::string>{"Font", "Setup.INI", "a.sii"}));
    // A folder text alone lists the folder, as the runtime's listing does.
    EXPECT_EQ(sorted(files.list(pkg, false)), (std::vector<std::string>{"Setup.INI", "a.sii"}));
    // A plain name is found whatever its case, and reported with the case it has on disk.
    EXPECT_EQ(files.list(pkg + "setup.ini", false), std::vector<std::string>{"Setup.INI"});
    EXPECT_EQ(files.list(pkg + "font", true), std::vector<std::string>{"Font"});
    EXPECT_TRUE(files.list(pkg + "Font", false).empty());
    EXPECT_TRUE(files.list(root + "missing/*", true).empty());

    EXPECT_EQ(files.sub_folders(pkg), std::vector<std::string>{"Font"});
    EXPECT_EQ(sorted(files.files(pkg)), (std::vector<std::string>{"Setup.INI", "a.sii"}));
    EXPECT_EQ(failure_of([&] { files.files(root + "missing/"); }).path(), root + "missing/");
}

TEST_F(FileSystemTest, CopyFileCopiesEveryMatchAndOverwrites) {
    dir.write("src/DRV.INF", "new driver");
    dir.write("src/other.inf", "other");
    dir.write("src/readme.txt", "readme");
    dir.write("out/DRV.INF", "old driver, longer than the new one");
    set_mtime(root + "src/DRV.INF", 1'000'000'000);

    files.copy_file(root + "src/*.inf", root + "out/");

    EXPECT_EQ(test::read_file(root + "out/DRV.INF"), "new driver");
    EXPECT_EQ(test::read_file(root + "out/other.inf"), "other");
    EXPECT_FALSE(files.file_exists(root + "out/readme.txt"));
    EXPECT_EQ(files.modified_time(root + "out/DRV.INF"), 1'000'000'000);

    // A destination without the separator is the new file's name.
    files.copy_file(root + "src/readme.txt", root + "out/renamed.txt");
    EXPECT_EQ(test::read_file(root + "out/renamed.txt"), "readme");
}

TEST_F(FileSystemTest, CopyFailuresNameThePath) {
    dir.write("src/a.txt", "a");
    dir.mkdir("out");
    const std::string pattern = root + "src/*.dll";
    const PlatformError nothing = failure_of([&] { files.copy_file(pattern, root + "out/"); });
    EXPECT_EQ(nothing.path(), pattern);
    EXPECT_NE(std::string(nothing.what()).find(pattern), std::string::npos);

    EXPECT_EQ(failure_of([&] { files.copy_folder(root + "src/Font", root + "out/"); }).path(),
              root + "src/Font");
    // A folder is not a file to copy, and a missing destination folder is a failure.
    EXPECT_EQ(failure_of([&] { files.copy_file(root + "src", root + "out/"); }).path(),
              root + "src");
    failure_of([&] { files.copy_file(root + "src/a.txt", root + "nowhere/"); });
}

TEST_F(FileSystemTest, CopyKeepsReadOnlyStateAndRefusesReadOnlyTargets) {
    const std::string source = dir.write("src/ro.dll", "engine");
    dir.mkdir("out");
    ASSERT_EQ(::chmod(source.c_str(), 0444), 0);

    files.copy_file(source, root + "out/");
    EXPECT_EQ(files.attributes(root + "out/ro.dll"), kAttrReadOnly);

    // Like Windows, a read-only file is not overwritten, whoever runs the program.
    dir.write("src/ro.dll.new", "newer");
    const PlatformError error =
        failure_of([&] { files.copy_file(root + "src/ro.dll.new", root + "out/ro.dll"); });
    EXPECT_EQ(error.path(), root + "out/ro.dll");
    EXPECT_EQ(test::read_file(root + "out/ro.dll"), "engine");

    files.set_attributes(root + "out/ro.dll", kAttrNormal);
    files.copy_file(root + "src/ro.dll.new", root + "out/ro.dll");
    EXPECT_EQ(test::read_file(root + "out/ro.dll"), "newer");
}

TEST_F(FileSystemTest, CopyOntoItselfKeepsTheFile) {
    const std::string file = dir.write("src/a.txt", "content");
    EXPECT_THROW(files.copy_file(file, root + "src/"), PlatformError);
    EXPECT_EQ(test::read_file(file), "content");
    const std::string link = root + "src/link.txt";
    fs::create_symlink(file, link);
    EXPECT_THROW(files.copy_file(file, link), PlatformError);
    EXPECT_EQ(test::read_file(file), "content");
}

TEST_F(FileSystemTest, CopyFolderCopiesTreesWithOddNames) {
    dir.write("src/Tréiber ツール/a b.txt", "one");
    dir.write("src/Tréiber ツール/Sub Dir/deep/c.dat", std::string(3, '\0'));
    dir.mkdir("src/Tréiber ツール/empty");
    dir.write("src/Font/f.ttf", "font");
    dir.write("src/top.txt", "not a folder");
    dir.write("out/Font/f.ttf", "old font");
    dir.write("out/Font/kept.ttf", "kept");

    files.copy_folder(root + "src/*", root + "out/");

    EXPECT_EQ(test::read_file(root + "out/Tréiber ツール/a b.txt"), "one");
    EXPECT_EQ(test::read_file(root + "out/Tréiber ツール/Sub Dir/deep/c.dat"),
              std::string(3, '\0'));
    EXPECT_TRUE(files.folder_exists(root + "out/Tréiber ツール/empty"));
    // Overwrites what is there and keeps what only the destination has.
    EXPECT_EQ(test::read_file(root + "out/Font/f.ttf"), "font");
    EXPECT_EQ(test::read_file(root + "out/Font/kept.ttf"), "kept");
    EXPECT_FALSE(files.file_exists(root + "out/top.txt"));

    // Without the separator the destination is the copy's own name.
    files.copy_folder(root + "src/font", root + "renamed");
    EXPECT_EQ(test::read_file(root + "renamed/f.ttf"), "font");
}

TEST_F(FileSystemTest, CopyFolderIntoItselfFails) {
    dir.write("src/a.txt", "a");
    dir.mkdir("src/sub");
    EXPECT_THROW(files.copy_folder(root + "src", root + "src/sub/"), PlatformError);
    EXPECT_THROW(files.copy_folder(root + "src", root), PlatformError);
    fs::create_symlink(root + "src/sub", root + "via-link");
    EXPECT_THROW(files.copy_folder(root + "src", root + "via-link/"), PlatformError);
    EXPECT_FALSE(files.folder_exists(root + "src/sub/src"));
}

TEST_F(FileSystemTest, CopyFolderEndsOnLinkLoopsAndCopiesFileLinksAsFiles) {
    dir.write("src/pkg/a.txt", "a");
    dir.write("elsewhere/target.txt", "linked content");
    fs::create_directory_symlink(root + "src/pkg", root + "src/pkg/loop");
    fs::create_directory_symlink("..", root + "src/pkg/up");
    fs::create_symlink(root + "elsewhere/target.txt", root + "src/pkg/file-link.txt");
    fs::create_directory_symlink(root + "elsewhere", root + "src/pkg/dir-link");
    // A link to the destination would otherwise copy the growing copy into itself.
    fs::create_directory_symlink(root + "out", root + "src/pkg/to-out");
    dir.mkdir("out");

    files.copy_folder(root + "src/pkg", root + "out/");

    EXPECT_EQ(test::read_file(root + "out/pkg/a.txt"), "a");
    EXPECT_FALSE(fs::is_symlink(root + "out/pkg/file-link.txt"));
    EXPECT_EQ(test::read_file(root + "out/pkg/file-link.txt"), "linked content");
    EXPECT_EQ(test::read_file(root + "out/pkg/dir-link/target.txt"), "linked content");
    EXPECT_FALSE(fs::exists(root + "out/pkg/loop"));
    EXPECT_TRUE(files.folder_exists(root + "out/pkg/to-out"));
    EXPECT_FALSE(fs::exists(root + "out/pkg/to-out/pkg"));
    // ".." leads to src, whose only content is the folder being copied.
    EXPECT_TRUE(files.folder_exists(root + "out/pkg/up"));
    EXPECT_FALSE(fs::exists(root + "out/pkg/up/pkg"));
}

TEST_F(FileSystemTest, ProgressCountsAllBytesOfACopy) {
    const std::size_t big = (11u << 20) + 5;
    dir.write("src/pkg/big.bin", std::string(big, 'x'));
    dir.write("src/pkg/empty.txt", "");
    dir.write("src/pkg/sub/small.txt", "123");
    dir.mkdir("out");
    std::vector<std::uint64_t> reports;
    files.set_copy_progress([&](std::uint64_t done) { reports.push_back(done); });

    files.copy_folder(root + "src/pkg", root + "out/");

    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), big + 3);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    // One report at each file end and more while the big file runs.
    EXPECT_GE(reports.size(), 5u);
    EXPECT_LT(reports.front(), big);

    // The count runs on over further copies until progress is set again.
    files.copy_file(root + "src/pkg/sub/small.txt", root + "out/");
    EXPECT_EQ(reports.back(), big + 6);
    files.set_copy_progress([&](std::uint64_t done) { reports.push_back(done); });
    files.copy_file(root + "src/pkg/sub/small.txt", root + "out/");
    EXPECT_EQ(reports.back(), 3u);
}

TEST_F(FileSystemTest, CreateFolderFailsWhenItExistsOrCannotBeMade) {
    files.create_folder(root + "new/");
    EXPECT_TRUE(files.folder_exists(root + "new"));
    EXPECT_EQ(failure_of([&] { files.create_folder(root + "new"); }).path(), root + "new");
    dir.write("file", "x");
    EXPECT_THROW(files.create_folder(root + "file"), PlatformError);
    EXPECT_THROW(files.create_folder(root + "missing/child"), PlatformError);
}

TEST_F(FileSystemTest, DeleteFileHonoursReadOnlyUnlessForced) {
    dir.write("out/a.cab", "a");
    const std::string protected_file = dir.write("out/b.cab", "b");
    dir.write("out/keep.txt", "k");
    ASSERT_EQ(::chmod(protected_file.c_str(), 0444), 0);

    const PlatformError error = failure_of([&] { files.delete_file(root + "out/*.CAB", false); });
    EXPECT_EQ(error.path(), protected_file);
    EXPECT_FALSE(files.file_exists(root + "out/a.cab"));
    EXPECT_TRUE(files.file_exists(protected_file));

    files.delete_file(root + "out/*.cab", true);
    EXPECT_FALSE(files.file_exists(protected_file));
    EXPECT_TRUE(files.file_exists(root + "out/keep.txt"));
    // A folder text names no file (only a listing reads it as the whole folder).
    EXPECT_THROW(files.delete_file(root + "out/", true), PlatformError);
    EXPECT_THROW(files.delete_file("", true), PlatformError);
    EXPECT_TRUE(files.file_exists(root + "out/keep.txt"));

    const std::string pattern = root + "out/*.cab";
    EXPECT_EQ(failure_of([&] { files.delete_file(pattern, true); }).path(), pattern);
    // A folder is not deleted as a file.
    dir.mkdir("out/Tool");
    EXPECT_THROW(files.delete_file(root + "out/Tool", true), PlatformError);
    EXPECT_TRUE(files.folder_exists(root + "out/Tool"));
}

TEST_F(FileSystemTest, DeleteFolderRemovesTreesButNotLinkTargets) {
    dir.write("out/Tool/sub/x.exe", "x");
    const std::string read_only = dir.write("out/Tool/sub/ro.exe", "r");
    ASSERT_EQ(::chmod(read_only.c_str(), 0444), 0);
    ASSERT_EQ(::chmod((root + "out/Tool/sub").c_str(), 0555), 0);

    // Without force a read-only item stops the whole deletion before anything is gone.
    EXPECT_THROW(files.delete_folder(root + "out/Tool", false), PlatformError);
    EXPECT_TRUE(files.file_exists(root + "out/Tool/sub/x.exe"));

    files.delete_folder(root + "out/tool", true);
    EXPECT_FALSE(fs::exists(root + "out/Tool"));

    dir.write("kept/file.txt", "kept");
    fs::create_directory_symlink(root + "kept", root + "out/link");
    files.delete_folder(root + "out/link", false);
    EXPECT_FALSE(fs::exists(root + "out/link"));
    EXPECT_EQ(test::read_file(root + "kept/file.txt"), "kept");

    EXPECT_EQ(failure_of([&] { files.delete_folder(root + "out/*", true); }).path(),
              root + "out/*");
}

TEST_F(FileSystemTest, AttributesSwitchReadOnly) {
    const std::string file = dir.write("a.txt", "a");
    files.set_attributes(file, kAttrReadOnly);
    EXPECT_EQ(files.attributes(file), kAttrReadOnly);
    EXPECT_EQ(mode_of(file) & 0222, 0u);
    files.set_attributes(file, kAttrNormal);
    EXPECT_EQ(files.attributes(file), kAttrNormal);
    EXPECT_EQ(files.attributes(root), kAttrFolder);
    EXPECT_EQ(failure_of([&] { files.set_attributes(root + "gone", 0); }).path(), root + "gone");
    EXPECT_THROW(files.attributes(root + "gone"), PlatformError);
}

TEST_F(FileSystemTest, RenameNeverReplaces) {
    dir.write("Setup.txt", "new");
    dir.write("Setup.sii", "old");
    const PlatformError error =
        failure_of([&] { files.rename(root + "Setup.txt", root + "Setup.sii"); });
    EXPECT_EQ(error.path(), root + "Setup.sii");
    EXPECT_EQ(test::read_file(root + "Setup.sii"), "old");
    EXPECT_EQ(test::read_file(root + "Setup.txt"), "new");

    files.rename(root + "Setup.txt", root + "Config.ini");
    EXPECT_EQ(test::read_file(root + "Config.ini"), "new");
    EXPECT_FALSE(files.file_exists(root + "Setup.txt"));
    EXPECT_EQ(failure_of([&] { files.rename(root + "gone", root + "x"); }).path(), root + "gone");
}

TEST_F(FileSystemTest, WriteFileReplacesAndProtectsPasswords) {
    const std::string path = root + "setup.vbs";
    files.write_file(path, "first, and longer");
    files.write_file(path, std::string("a\0b\r\n", 5));
    EXPECT_EQ(files.read_file(path), std::string("a\0b\r\n", 5));
    EXPECT_EQ(files.file_size(path), 5u);

    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    files.write_file(path, "password", true);
    EXPECT_EQ(mode_of(path), 0600u);
    EXPECT_EQ(files.read_file(path), "password");

    files.set_attributes(path, kAttrReadOnly);
    EXPECT_EQ(failure_of([&] { files.write_file(path, "x"); }).path(), path);
    EXPECT_THROW(files.write_file(path, "x", true), PlatformError);
    EXPECT_EQ(files.read_file(path), "password");

    EXPECT_EQ(failure_of([&] { files.read_file(root + "gone"); }).path(), root + "gone");
    EXPECT_THROW(files.write_file(root + "missing/x.txt", "x"), PlatformError);
    EXPECT_THROW(files.modified_time(root + "gone"), PlatformError);
    EXPECT_THROW(files.file_size(root + "gone"), PlatformError);
}

TEST_F(FileSystemTest, CanonicalJoinsSpellingsOfOneFolder) {
    dir.mkdir("a/b");
    fs::create_directory_symlink(root + "a/b", root + "link");
    const std::string real = files.canonical(root + "a/b");
    EXPECT_EQ(files.canonical(root + "a/../a/./b"), real);
    EXPECT_EQ(files.canonical(root + "link"), real);
    EXPECT_EQ(files.canonical(root + "link/"), real + "/");
    EXPECT_EQ(files.canonical(root + "link/not/yet/"), real + "/not/yet/");
    EXPECT_EQ(real.front(), '/');
    EXPECT_THROW(files.canonical(""), PlatformError);
}

TEST_F(FileSystemTest, TemporaryFoldersArePrivateAndRemovedWhole) {
    const std::string temp = files.make_temp_folder("korva-fs-test-");
    ASSERT_TRUE(files.folder_exists(temp));
    EXPECT_EQ(temp.back(), '/');
    EXPECT_EQ(mode_of(temp), 0700u);
    const std::string second = files.make_temp_folder("korva-fs-test-");
    EXPECT_NE(temp, second);
    files.remove_all(second);
    EXPECT_FALSE(fs::exists(second));

    files.write_file(temp + "ro.txt", "x");
    files.create_folder(temp + "locked");
    files.write_file(temp + "locked/inner.txt", "x");
    files.set_attributes(temp + "ro.txt", kAttrReadOnly);
    files.set_attributes(temp + "locked", kAttrReadOnly);
    fs::create_directory_symlink(root, temp + "outside");
    files.remove_all(temp);
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_TRUE(fs::exists(root)) << "a link inside must not lead the removal outside";
    files.remove_all(temp);  // gone already: no failure
    EXPECT_THROW(files.make_temp_folder("a/b"), PlatformError);
}

TEST_F(FileSystemTest, FailingFileSystemFailsExactlyTheChosenOperation) {
    test::FailingFileSystem failing(files);
    failing.fail_at(2);
    failing.create_folder(root + "one");
    const PlatformError error = failure_of([&] { failing.write_file(root + "two.txt", "x"); });
    EXPECT_EQ(error.path(), root + "two.txt");
    EXPECT_TRUE(failing.failed());
    EXPECT_FALSE(files.file_exists(root + "two.txt"));
    // Reads do not count; the rollback after the failure goes through.
    EXPECT_TRUE(failing.folder_exists(root + "one"));
    failing.delete_folder(root + "one", true);
    EXPECT_EQ(failing.mutations(), 3);
    EXPECT_EQ(failing.log().size(), 3u);
    EXPECT_FALSE(files.folder_exists(root + "one"));
}

}  // namespace
}  // namespace korva
