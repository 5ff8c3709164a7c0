// SPDX-License-Identifier: MIT
// The INI reader and writer against the recorded behaviour of the Windows profile functions:
// what a lookup finds, how a buffer cuts, and which bytes a write may touch.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "support/failing_file_system.h"
#include "support/host.h"
#include "support/temp_dir.h"

namespace korva::profile {
namespace {

using namespace std::string_literals;

const CodePage& western() {
    static const CodePage cp("CP1252");
    return cp;
}

const CodePage& japanese() {
    static const CodePage cp("CP932");
    return cp;
}

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

void check_reads(const std::vector<ReadCase>& cases, const CodePage& cp = western()) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(get_string_bytes(c.file, c.section, c.key, "DEF", 1000, cp), c.expected);
    }
}

TEST(ProfileReadTest, LinesAndSections) {
    check_reads({
        {"CRLF", "[S]\r\nk=v\r\n", "S", "k", "v"},
        {"no final line end", "[S]\r\nk=v", "S", "k", "v"},
        {"CR only", "[S]\rk=v\r", "S", "k", "v"},
        {"LF only", "[S]\nk=v\n", "S", "k", "v"},
        {"LF CR is two line ends", "[S]\n\rk=v", "S", "k", "v"},
        {"missing section", "[S]\r\nk=v\r\n", "T", "k", "DEF"},
        {"missing key", "[S]\r\nk=v\r\n", "S", "x", "DEF"},
        {"section without keys", "[S]\r\n[T]\r\nk=v\r\n", "S", "k", "DEF"},
        {"empty file", "", "S", "k", "DEF"},
        {"key above the first header", "k=v\r\n[S]\r\n", "", "k", "DEF"},
        {"empty section name", "k=a\r\n[]\r\nk=b\r\n", "", "k", "b"},
        {"later duplicate section is invisible", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b", "DEF"},
        {"first of duplicate keys", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
        {"section ends at next header", "[S]\r\n[T]\r\nk=v\r\n", "S", "k", "DEF"},
        {"blank, comment, text lines inside", "[S]\r\n\r\n;c\r\nfoo\r\nk=v", "S", "k", "v"},
        {"text after ] is ignored", "[S]k=v\r\n", "S", "k", "DEF"},
        {"text after ] leaves the header", "[S] x\r\nk=v\r\n", "S", "k", "v"},
        {"header without ]", "[S \r\nk=v\r\n", "S", "k", "v"},
        {"[ inside a name", "[a[b]\r\nk=v\r\n", "a[b", "k", "v"},
        {"split at the first =", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
        {"empty value is a value", "[S]\r\nk=\r\n", "S", "k", ""},
        {"empty key", "[S]\r\n=v\r\n", "S", "", "v"},
        {"line without = is no key", "[S]\r\nfoo\r\n", "S", "foo", "DEF"},
        {"value ends at NUL", "[S]\r\nk=a\0b\r\n"s, "S", "k", "a"},
        {"UTF-8 BOM hides the first header", "\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w", "S", "k",
         "DEF"},
        {"later lines after a BOM", "\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w", "T", "k", "w"},
    });
}

TEST(ProfileReadTest, CaseAndWhitespace) {
    check_reads({
        {"names ignore case", "[SectionName]\r\nTestKey=VaLuE\r\n", "sECTIONNAME", "TESTKEY",
         "VaLuE"},
        {"Latin letters of 1252 fold", "[CAF\xC9]\r\nk=v\r\n", "caf\xE9", "k", "v"},
        {"layout blanks trimmed", " \t\v[ \tS\v ] \r\n \t k \v= \t v v \t\r\n", "S", "k", "v v"},
        {"spaces around arguments", "[S]\r\nk=v\r\n", "  S  ", " k ", "v"},
        {"TAB at a section argument", "[S]\r\nk=v\r\n", "\tS", "k", "DEF"},
        {"TAB at a key argument", "[S]\r\nk=v\r\n", "S", "k\t", "DEF"},
        {"form feed is no blank", "[S]\r\nk=\fv\r\n", "S", "k", "\fv"},
    });
}

TEST(ProfileReadTest, QuotesAndComments) {
    check_reads({
        {"double quotes", "[S]\r\nk=\"v\"\r\n", "S", "k", "v"},
        {"single quotes", "[S]\r\nk='v'\r\n", "S", "k", "v"},
        {"blanks inside quotes stay", "[S]\r\nk=  \"   v   \"  \r\n", "S", "k", "   v   "},
        {"one pair only", "[S]\r\nk='\"v\"'\r\n", "S", "k", "\"v\""},
        {"unmatched pair", "[S]\r\nk=\"v'\r\n", "S", "k", "\"v'"},
        {"crossed pairs", "[S]\r\nk='\"v'\"\r\n", "S", "k", "'\"v'\""},
        {"a lone quote", "[S]\r\nk=\"\r\n", "S", "k", "\""},
        {"empty quotes", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
        {"quotes in a key are literal", "[S]\r\nk=1\r\n\"k\"=2\r\n", "S", "\"k\"", "2"},
        {"comment line", "[S]\r\n;k=v\r\n", "S", ";k", "DEF"},
        {"indented comment", "[S]\r\n  ;k=v\r\n", "S", ";k", "DEF"},
        {"hash is no comment", "[S]\r\n#k=v\r\n", "S", "#k", "v"},
        {"no end-of-line comments", "[S]\r\nk=v ;c\r\n", "S", "k", "v ;c"},
    });
}

TEST(ProfileReadTest, DoubleByteNames) {
    check_reads(
        {
            // ゾ is 0x83 0x5D: its trail byte is a ']' that must not end the header.
            {"trail byte ]", "[\x83\x5D]\r\nk=v\r\n", "\x83\x5D", "k", "v"},
            // ア (0x83 0x41) and ヂ (0x83 0x61) differ only in a trail byte that looks like A/a.
            {"trail bytes keep their case", "[S]\r\n\x83\x61=v\r\n", "S", "\x83\x41", "DEF"},
            {"ASCII still folds", "[S]\r\n\x83\x41Z=v\r\n", "S", "\x83\x41z", "v"},
        },
        japanese());
}

TEST(ProfileReadTest, BufferCutAndDefault) {
    struct Case {
        const char* what;
        std::string key;
        std::string default_value;
        std::size_t size;
        std::string expected;
        const CodePage& cp;
    };
    const std::string file = "[S]\r\nk=val1\r\nq=\"abcdef\"\r\nj=\x83\x63\x81\x5B\x83\x8B\r\n";
    const Case cases[] = {
        {"fits", "k", "", 5, "val1", western()},
        {"cut", "k", "", 4, "val", western()},
        {"size 1", "k", "", 1, "", western()},
        {"size 0", "k", "", 0, "", western()},
        {"quotes go before the cut", "q", "", 4, "abc", western()},
        {"default cut", "x", "default", 4, "def", western()},
        {"default loses trailing spaces only", "x", "   d e   ", 100, "   d e", western()},
        {"default keeps TAB", "x", "\td\t", 100, "\td\t", western()},
        {"default keeps quotes", "x", "\"d\"", 100, "\"d\"", western()},
        {"default ends at NUL", "x", "ab\0cd"s, 100, "ab", western()},
        {"double-byte fits", "j", "", 7, "\x83\x63\x81\x5B\x83\x8B", japanese()},
        {"cut before a double-byte character", "j", "", 6, "\x83\x63\x81\x5B", japanese()},
        {"cut at a character end", "j", "", 5, "\x83\x63\x81\x5B", japanese()},
        {"cut before the first character", "j", "", 2, "", japanese()},
        {"double-byte default cut", "x", "\x83\x63\x81\x5B", 4, "\x83\x63", japanese()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(get_string_bytes(file, "S", c.key, c.default_value, c.size, c.cp), c.expected);
    }
}

struct WriteCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
};

TEST(ProfileWriteTest, WriteString) {
    const WriteCase cases[] = {
        {"new file", "", "App", "key", "string", "[App]\r\nkey=string\r\n"},
        {"empty value", "", "App", "key", "", "[App]\r\nkey=\r\n"},
        {"argument spaces go, value kept", "", "   sec   ", "  key  ", " value ",
         "[sec]\r\nkey= value \r\n"},
        {"value written verbatim", "", "S", "k", "\"q\"", "[S]\r\nk=\"q\"\r\n"},
        {"replace keeps spelling, adds line end", "[SectionName]\r\nTestKey=TestValue",
         "SECTIONNAME", "TESTKEY", "TestValue2", "[SectionName]\r\nTestKey=TestValue2\r\n"},
        {"replace keeps bytes up to =", "[S]\r\n  key = old\r\nx=1\r\n", "S", "key", "new",
         "[S]\r\n  key =new\r\nx=1\r\n"},
        {"replace in an LF file", "[S]\nk=old\nz=1\n", "S", "k", "new", "[S]\nk=new\r\nz=1\n"},
        {"replace in a CR file", "[S]\rk=old\rz=1\r", "S", "k", "new", "[S]\rk=new\r\nz=1\r"},
        {"replace first key of first section", "[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", "s", "K", "n",
         "[S]\r\nk=n\r\nk=2\r\n[s]\r\nk=3\r\n"},
        {"insert after last entry, before trailing lines",
         "[S]\r\nb=\r\n;c\r\na=\r\n;t\r\n\r\n[T]\r\nx=1\r\n", "S", "n", "w",
         "[S]\r\nb=\r\n;c\r\na=\r\nn=w\r\n;t\r\n\r\n[T]\r\nx=1\r\n"},
        {"insert keeps separating blank line", "[A]\r\nk=v\r\n\r\n[B]\r\nx=y\r\n", "A", "n", "w",
         "[A]\r\nk=v\r\nn=w\r\n\r\n[B]\r\nx=y\r\n"},
        {"insert after header", "[S]\r\n;c\r\nfoo\r\n[T]\r\n", "S", "n", "w",
         "[S]\r\nn=w\r\n;c\r\nfoo\r\n[T]\r\n"},
        {"insert after header at end of file", "[S]", "S", "n", "w", "[S]\r\nn=w\r\n"},
        {"insert after last line without end", "[S]\r\nk=v", "S", "n", "w",
         "[S]\r\nk=v\r\nn=w\r\n"},
        {"comment is not a key", "[S]\r\n;k=v\r\n", "S", ";k", "x", "[S]\r\n;k=x\r\n;k=v\r\n"},
        {"append after last line without end", "x=1", "N", "k", "v", "x=1\r\n[N]\r\nk=v\r\n"},
        {"append after LF", "[A]\nk=v\n", "N", "k", "v", "[A]\nk=v\n[N]\r\nk=v\r\n"},
        {"append after blank lines", "[A]\r\n\r\n\r\n", "N", "k", "v",
         "[A]\r\n\r\n\r\n[N]\r\nk=v\r\n"},
        {"NULs before the first section", "Data \0 before \0 first \0 section"s, "section1", "key1",
         "string1", "Data \0 before \0 first \0 section\r\n[section1]\r\nkey1=string1\r\n"s},
        {"only a BOM", "\xEF\xBB\xBF", "S", "k", "v", "\xEF\xBB\xBF\r\n[S]\r\nk=v\r\n"},
        {"header behind a BOM is not found", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "w",
         "\xEF\xBB\xBF[S]\r\nk=v\r\n[S]\r\nk=w\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(write_string_bytes(c.file, c.section, c.key, c.value, western()), c.expected);
    }
}

TEST(ProfileWriteTest, NewKeysKeepTheirWritingOrder) {
    std::string file = "[S]\r\nb=\r\na=\r\n";
    for (const char* key : {"z", "b", "y", "a"}) {
        file = write_string_bytes(file, "S", key, "1", western());
    }
    EXPECT_EQ(file, "[S]\r\nb=1\r\na=1\r\nz=1\r\ny=1\r\n");
}

TEST(ProfileWriteTest, DoubleByteSectionFoundByCharacters) {
    const std::string file = "[\x83\x5D]\r\nk=v\r\n";
    EXPECT_EQ(write_string_bytes(file, "\x83\x5D", "k", "w", japanese()), "[\x83\x5D]\r\nk=w\r\n");
}

TEST(ProfileWriteTest, WriteSection) {
    struct Case {
        const char* what;
        std::string file;
        std::string section;
        std::vector<std::string> lines;
        std::string expected;
    };
    const Case cases[] = {
        {"replace all keys",
         "[A]\r\nk1=v1\r\nk2=v2\r\n[B]\r\nx=y\r\n",
         "a",
         {"n1=1", "n2=2"},
         "[A]\r\nn1=1\r\nn2=2\r\n[B]\r\nx=y\r\n"},
        {"empty list keeps the header",
         "[PrinterName]\r\nk=v\r\n[Next]\r\n",
         "PrinterName",
         {},
         "[PrinterName]\r\n[Next]\r\n"},
        {"comments and blanks stay after",
         "[A]\r\n;c\r\nk=v\r\n\r\n[B]\r\n",
         "A",
         {"n=1"},
         "[A]\r\nn=1\r\n;c\r\n\r\n[B]\r\n"},
        {"foreign line ends stay", "[A]\nk=v\n;c\n[B]\n", "A", {"n=1"}, "[A]\nn=1\r\n;c\n[B]\n"},
        {"first of duplicate sections",
         "[A]\r\nk=1\r\n[a]\r\nk=2\r\n",
         "A",
         {"n=1"},
         "[A]\r\nn=1\r\n[a]\r\nk=2\r\n"},
        {"header at end of file", "[A]", "A", {"n=1"}, "[A]\r\nn=1\r\n"},
        {"missing section appended", "[B]\r\nx=y", "A", {"n=1"}, "[B]\r\nx=y\r\n[A]\r\nn=1\r\n"},
        {"missing section, empty list", "[B]\r\n", "A", {}, "[B]\r\n[A]\r\n"},
        {"missing file", "", " A ", {"n=1"}, "[A]\r\nn=1\r\n"},
        {"strings verbatim",
         "[A]\r\n",
         "A",
         {"key2 = \"bar\"", "plain"},
         "[A]\r\nkey2 = \"bar\"\r\nplain\r\n"},
        {"an empty string ends the list", "[A]\r\n", "A", {"a=1", "", "b=2"}, "[A]\r\na=1\r\n"},
        {"a NUL splits a string", "[A]\r\n", "A", {"a=1\0b=2"s}, "[A]\r\na=1\r\nb=2\r\n"},
        {"lines before the section untouched",
         "\0x\r\n[A]\r\nk=v\r\n"s,
         "A",
         {"n=1"},
         "\0x\r\n[A]\r\nn=1\r\n"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(write_section_bytes(c.file, c.section, c.lines, western()), c.expected);
    }
}

class ProfileFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
};

TEST_F(ProfileFileTest, ConvertsValuesThroughTheCodePage) {
    const std::string path = dir.folder() + "Setup.sii";
    write_string(path, "Printers", "Name1", "ツール", japanese());
    EXPECT_EQ(test::read_file(path), "[Printers]\r\nName1=\x83\x63\x81\x5B\x83\x8B\r\n");
    EXPECT_EQ(get_string(path, "printers", "name1", "", 1000, japanese()), "ツール");
    EXPECT_EQ(get_string(path, "Printers", "Name1", "", 6, japanese()), "ツー");
    EXPECT_EQ(get_string(path, "Printers", "None", "既定", 1000, japanese()), "既定");

    write_section(path, "Printers", {"A=ア", "B=b"}, japanese());
    EXPECT_EQ(test::read_file(path), "[Printers]\r\nA=\x83\x41\r\nB=b\r\n");
}

TEST_F(ProfileFileTest, UnreadablePathsGiveTheDefault) {
    const std::string folder = dir.mkdir("sub");
    for (const std::string& path : {dir.folder() + "missing.ini", folder, std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(get_string(path, "S", "k", "dflt  ", 100, western()), "dflt");
    }
}

TEST_F(ProfileFileTest, FailedWritesThrowAndCreateNothing) {
    const std::string folder = dir.mkdir("sub");
    const std::string no_folder = dir.folder() + "nowhere/x.ini";
    EXPECT_THROW(write_string(no_folder, "S", "k", "v", western()), PlatformError);
    EXPECT_THROW(write_section(no_folder, "S", {"k=v"}, western()), PlatformError);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "nowhere"));
    EXPECT_THROW(write_string(folder, "S", "k", "v", western()), PlatformError);
    EXPECT_THROW(write_string("", "S", "k", "v", western()), PlatformError);

    // A read-only file is refused as Windows refuses it, whoever asks.
    const std::string locked = dir.write("locked.ini", "[S]\r\nk=v\r\n");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_THROW(write_string(locked, "S", "k", "w", western()), PlatformError);
    EXPECT_EQ(test::read_file(locked), "[S]\r\nk=v\r\n");
    if (!test::kHasUnixModes || test::is_superuser())
        GTEST_SKIP() << "an unreadable mode binds neither Windows nor the superuser";
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    EXPECT_EQ(get_string(locked, "S", "k", "d", 100, western()), "d");
}

TEST_F(ProfileFileTest, LongLinesAreReadWhole) {
    const std::string value(100000, 'x');
    const std::string path = dir.write("long.ini", "[S]\r\nk=" + value + "\r\nn=1");
    EXPECT_EQ(get_string(path, "S", "k", "", 1000, western()), value.substr(0, 999));
    EXPECT_EQ(get_string(path, "S", "k", "", 200000, western()), value);
    write_string(path, "S", "n", "2", western());
    EXPECT_EQ(test::read_file(path), "[S]\r\nk=" + value + "\r\nn=2\r\n");
}

// The new content replaces the file only once it is complete: a failed write keeps the old one
// whole and leaves nothing beside it, a successful one keeps the file's permissions.
TEST_F(ProfileFileTest, FailedWriteKeepsTheOldFileWhole) {
    const std::string path = dir.write("setup.ini", "[Languages]\r\nCount=5\r\n");
    test::FailingFileSystem failing(real_file_system());
    failing.fail_at(1);
    EXPECT_THROW(write_string(failing, path, "Languages", "Count", "1", western()), PlatformError);
    failing.fail_at(1);
    EXPECT_THROW(write_section(failing, path, "Languages", {"Count=1"}, western()), PlatformError);
    EXPECT_EQ(test::read_file(path), "[Languages]\r\nCount=5\r\n");
    EXPECT_EQ(test::folder_names(dir.path()), std::vector<std::string>{"setup.ini"});
    if (!test::kHasUnixModes)
        return;
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    write_string(path, "Languages", "Count", "1", western());
    EXPECT_EQ(test::read_file(path), "[Languages]\r\nCount=1\r\n");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A megabyte of one repeated piece inside a section is read and changed as the single piece is:
// the walks keep their place across millions of blank lines, a long double-byte run, many entries.
TEST(ProfileLargeFileTest, ActsAsItsSmallEquivalent) {
    struct Case {
        const char* what;
        std::string piece;
        std::size_t names_per_piece;  // sections and keys a piece adds to the outline
        const CodePage& cp;
    };
    const Case cases[] = {
        {"bare CRs", "\r", 0, western()},
        {"bare LFs", "\n", 0, western()},
        {"CP932 lead bytes", "\x81", 0, japanese()},
        {"ordinary lines", "[P]\r\nKey=a value of an ordinary length\r\n", 2, western()},
    };
    const std::string prefix = "[Big]\r\nk=1\r\n";
    const std::string suffix = "\r\n[Setup]\r\nProgExe=Tool.exe\r\n";
    const auto names = [](const std::vector<SectionOutline>& outline) {
        std::size_t count = 0;
        for (const auto& section : outline)
            count += 1 + section.keys.size() + section.stray_lines.size();
        return count;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t repeats = (1 << 20) / c.piece.size();
        std::string pieces;
        for (std::size_t i = 0; i < repeats; ++i)
            pieces += c.piece;
        const std::string small = prefix + c.piece + suffix;
        const std::string large = prefix + pieces + suffix;
        // A write of the small file, with its piece grown back to the large file's pieces.
        const auto grown = [&](std::string written) {
            const std::size_t at = written.find(c.piece + suffix.substr(0, 9));
            EXPECT_NE(at, std::string::npos);
            return at == std::string::npos ? written : written.replace(at, c.piece.size(), pieces);
        };
        for (const std::size_t length : {std::size_t{1000}, std::size_t{1} << 20, SIZE_MAX}) {
            EXPECT_EQ(get_string_bytes(large, "setup", "progexe", "D", length, c.cp), "Tool.exe");
            EXPECT_EQ(get_string_bytes(large, "Big", "none", "D", length, c.cp), "D");
        }
        EXPECT_EQ(names(outline_bytes(large, c.cp)),
                  names(outline_bytes(small, c.cp)) + (repeats - 1) * c.names_per_piece);
        for (const char* section : {"Big", "Setup", "New"}) {
            for (const char* key : {"ProgExe", "Added"}) {
                EXPECT_EQ(write_string_bytes(large, section, key, "v", c.cp),
                          grown(write_string_bytes(small, section, key, "v", c.cp)));
            }
            EXPECT_EQ(write_section_bytes(large, section, {"a=1", "b=2"}, c.cp),
                      grown(write_section_bytes(small, section, {"a=1", "b=2"}, c.cp)));
        }
    }
}

}  // namespace
}  // namespace korva::profile
