// SPDX-License-Identifier: MIT
// The package reader against package trees in every layout, and against damaged setup.ini files
// and catalogues that must not stop it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/path.h"
#include "source/package_reader.h"
#include "support/host.h"
#include "support/package_builder.h"

namespace korva {
namespace {

using test::kEnglish;
using test::kJapanese;
using test::SourceFixture;

const std::string kSep(1, kPathSep);

struct Reader : ::testing::Test {
    SourceFixture fx;

    bool check(std::string& in_path) { return In_Path_Check(fx.pkg, *fx.ctx, in_path); }
    bool read_languages(const std::string& folder) {
        return Language_Name_Get(fx.pkg, *fx.ctx, folder);
    }
    std::vector<std::string> messages() const { return fx.prompter.messages(); }
};

TEST_F(Reader, FindsTheInstallerFolderOfEachLayout) {
    struct Case {
        const char* name;
        std::function<void(test::PackageBuilder&)> build;
        std::string expected;  // relative to the root
    };
    const std::vector<Case> cases = {
        {"flat", [](auto& p) { p.flat({kEnglish}); }, ""},
        {"plain", [](auto& p) { p.plain(); }, ""},
        {"printer folder", [](auto& p) { p.kind_folder("Printer"); }, "Printer" + kSep},
        {"pcfax folder", [](auto& p) { p.kind_folder("Pcfax"); }, "Pcfax" + kSep},
        {"drivers tree", [](auto& p) { p.drivers_tree("Printer"); },
         "Drivers" + kSep + "Printer" + kSep},
        // No kind at all below Drivers: the tree itself is taken, with an empty kind.
        {"drivers without kind", [](auto& p) { p.installer("Drivers").languages({kEnglish}); },
         "Drivers" + kSep + kSep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        c.build(f.package);
        std::string in_path = f.package.root();
        ASSERT_TRUE(In_Path_Check(f.pkg, *f.ctx, in_path));
        EXPECT_EQ(f.pkg.Driver_Folder, f.package.root() + c.expected);
        EXPECT_EQ(in_path, f.pkg.Driver_Folder);
        EXPECT_TRUE(f.prompter.shown.empty());
    }
}

TEST_F(Reader, KindFolderReadsItsLanguages) {
    fx.package.kind_folder("Printer", {kJapanese, kEnglish});
    std::string in_path = fx.package.root();
    ASSERT_TRUE(check(in_path));
    EXPECT_EQ(fx.pkg.Language_Name.items, (std::vector<std::string>{"Japanese", "English"}));
    EXPECT_EQ(fx.pkg.Lang_Folder, "Japanese");
}

TEST_F(Reader, BothDriverKindsAskOnceAndUseTheChoice) {
    struct Case {
        const char* name;
        std::vector<std::string> installers;
        DriverKind answer;
        std::string expected;
    };
    const std::string drivers = "Drivers" + kSep;
    const std::vector<Case> cases = {
        {"drivers tree, PC-Fax",
         {"Drivers/Printer", "Drivers/Pcfax"},
         DriverKind::Pcfax,
         drivers + "Pcfax" + kSep},
        {"drivers tree, printer",
         {"Drivers/Printer", "Drivers/Pcfax"},
         DriverKind::Printer,
         drivers + "Printer" + kSep},
        {"kind folders", {"Printer", "Pcfax"}, DriverKind::Pcfax, "Pcfax" + kSep},
        // The same name twice still means two drivers to choose from.
        {"same name twice",
         {"Printer", "Drivers/Printer"},
         DriverKind::Printer,
         drivers + "Printer" + kSep},
        {"everything",
         {"Printer", "Pcfax", "Drivers/Printer", "Drivers/Pcfax"},
         DriverKind::Pcfax,
         drivers + "Pcfax" + kSep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        for (const std::string& at : c.installers)
            f.package.installer(at).languages({kEnglish});
        f.prompter.kind_answers = {c.answer};
        std::string in_path = f.package.root();
        ASSERT_TRUE(In_Path_Check(f.pkg, *f.ctx, in_path));
        EXPECT_EQ(f.prompter.count("select"), 1);
        EXPECT_EQ(f.pkg.Driver_Folder, f.package.root() + c.expected);
    }
}

TEST_F(Reader, ReportsEveryUnusablePackage) {
    const std::string chk = "\r\nMsgErrChk";
    struct Case {
        const char* name;
        std::function<void(test::PackageBuilder&)> build;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"empty folder", [](auto&) {}, "MsgErrInPath4" + chk},
        {"lower-case kind", [](auto& p) { p.installer("printer").languages({kEnglish}); },
         "MsgErrInPath4" + chk},
        {"plain without setup.exe", [](auto& p) { p.plain().remove("setup.exe"); },
         "MsgErrInPath4" + chk},
        {"plain without setup.ini", [](auto& p) { p.plain().remove("setup.ini"); },
         "MsgErrInPath7" + chk},
        {"drivers tree without the kind folder",
         [](auto& p) {
             p.folder("Drivers/Other");
             p.kind_folder("Printer");
         },
         "MsgErrInPath4" + chk},
        {"drivers tree without setup.exe",
         [](auto& p) { p.drivers_tree("Pcfax").remove("setup.exe"); }, "MsgErrInPath5" + chk},
        {"drivers tree without setup.ini",
         [](auto& p) { p.drivers_tree("Pcfax").remove("setup.ini"); }, "MsgErrInPath7" + chk},
        {"kind folder without setup.ini",
         [](auto& p) { p.kind_folder("Printer").remove("setup.ini"); }, "MsgErrInPath7" + chk},
        {"setup.ini is a folder", [](auto& p) { p.plain().remove("setup.ini").mkdir("setup.ini"); },
         "MsgErrInPath7" + chk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        c.build(f.package);
        std::string in_path = f.package.root();
        EXPECT_FALSE(In_Path_Check(f.pkg, *f.ctx, in_path));
        ASSERT_EQ(f.prompter.messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(f.prompter.shown[0].title, "MsgErr");
        EXPECT_EQ(in_path, f.package.root());
    }
}

TEST_F(Reader, QuickAcceptTakesTheTypedFolderWhenItsLanguagesAreKnown) {
    fx.package.flat({kEnglish});
    fx.package.kind_folder("Printer");  // would win if the folder were scanned
    ASSERT_TRUE(read_languages(fx.package.root()));
    std::string in_path = fx.package.root();
    ASSERT_TRUE(check(in_path));
    EXPECT_EQ(fx.pkg.Driver_Folder, fx.package.root());
}

TEST_F(Reader, ACheckedInstallerFolderIsAcceptedAgain) {
    fx.package.drivers_tree("Printer");
    fx.package.drivers_tree("Pcfax");
    fx.prompter.kind_answers = {DriverKind::Pcfax};
    std::string in_path = fx.package.root();
    ASSERT_TRUE(check(in_path));
    const std::string installer = in_path;
    ASSERT_TRUE(read_languages(in_path));
    ASSERT_TRUE(check(in_path));
    EXPECT_EQ(in_path, installer);
    EXPECT_EQ(fx.prompter.count("select"), 1);
}

// A language folder of an earlier package once refused a later package without languages; in
// the kind-folder layout even without a word.
TEST_F(Reader, EarlierLanguageFolderDoesNotRefuseALaterPackage) {
    test::TempDir other;
    test::PackageBuilder first(other, "first");
    first.flat({kJapanese});
    std::string in_path = first.root();
    ASSERT_TRUE(check(in_path));
    ASSERT_EQ(fx.pkg.Lang_Folder, "Japanese");

    fx.package.kind_folder("Printer", {});
    in_path = fx.package.root();
    ASSERT_TRUE(check(in_path));
    EXPECT_EQ(fx.pkg.Driver_Folder, fx.package.root() + "Printer" + kSep);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Reader, ALanguageIsListedOnlyWhenItsFolderExists) {
    fx.package.flat({kJapanese, kEnglish}).remove("Japanese");
    ASSERT_TRUE(read_languages(fx.package.root()));
    EXPECT_EQ(fx.pkg.Language_Name.items, std::vector<std::string>{"English"});
    EXPECT_EQ(fx.pkg.Language_Name.index, 0);
    EXPECT_EQ(fx.pkg.Lang_Folder, "English");
    EXPECT_EQ(fx.pkg.Lang_Folders, std::vector<std::string>{"English"});
    EXPECT_EQ(fx.pkg.Lang_Codes, std::vector<std::string>{"0x0009"});
}

TEST_F(Reader, LanguageListsAreRewrittenOnlyWhenLanguagesAreFound) {
    fx.pkg.Lang_Folders = {"A", "B", "C"};
    fx.pkg.Lang_Codes = {"1", "2", "3"};
    test::Installer installer = fx.package.flat({kEnglish});
    installer.remove("English");
    ASSERT_TRUE(read_languages(fx.package.root()));
    EXPECT_EQ(fx.pkg.Language_Name.count(), 0);
    EXPECT_EQ(fx.pkg.Lang_Folders.size(), 3u);  // kept: nothing was found
    EXPECT_EQ(fx.pkg.Lang_Folder, "");

    installer.mkdir("English");
    ASSERT_TRUE(read_languages(fx.package.root()));
    EXPECT_EQ(fx.pkg.Lang_Folders, std::vector<std::string>{"English"});
    EXPECT_EQ(fx.pkg.Lang_Codes, std::vector<std::string>{"0x0009"});
}

TEST_F(Reader, DamagedSetupIniGivesTheLanguagesItCanName) {
    const std::string both = "key0=0x0011\r\nkey1=0x0009\r\n";
    struct Case {
        const char* name;
        std::string setup_ini;
        bool result;
        std::vector<std::string> languages;
    };
    const std::vector<Case> cases = {
        {"no section", "[Other]\r\ncount=2\r\n", true, {}},
        {"count not a number", "[Languages]\r\ncount=two\r\n" + both, true, {}},
        {"count with trailing text",
         "[Languages]\r\ncount= 2 languages\r\n" + both,
         true,
         {"Japanese", "English"}},
        {"negative count", "[Languages]\r\ncount=-2\r\n" + both, true, {}},
        {"huge count",
         "[Languages]\r\ncount=99999999999999999999\r\n" + both,
         true,
         {"Japanese", "English"}},
        {"key missing in the middle",
         "[Languages]\r\ncount=3\r\nkey0=0x0011\r\nkey2=0x0009\r\n",
         true,
         {"Japanese", "English"}},
        {"unknown ids", "[Languages]\r\ncount=2\r\nkey0=0x0001\r\nkey1=0x11\r\n", true, {}},
        {"binary", std::string("\0\xff\xfe[Lang\x01uages]\r\n\x80\x81", 19), true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        f.package.flat({kJapanese, kEnglish}).write("setup.ini", c.setup_ini);
        EXPECT_EQ(Language_Name_Get(f.pkg, *f.ctx, f.package.root()), c.result);
        EXPECT_EQ(f.pkg.Language_Name.items, c.languages);
    }
}

TEST_F(Reader, NoSetupIniMeansNoLanguageRead) {
    fx.package.plain().remove("setup.ini").mkdir("setup.ini");
    EXPECT_FALSE(read_languages(fx.package.root()));
    EXPECT_FALSE(read_languages(fx.package.root() + "missing"));
}

// Windows opens a package's folders and files whatever the case of the names setup.ini or the
// layout gives; the spelling on disk is kept.
TEST_F(Reader, PackageNamesAreFoundWhateverTheirCase) {
    const std::vector<std::pair<std::string, std::string>> renames = {{"Japanese", "JapaNese"},
                                                                      {"setup.exe", "Setup.EXE"}};
    for (const bool tree : {false, true}) {
        SourceFixture f;
        const test::Installer installer =
            tree ? f.package.drivers_tree("Pcfax", {kJapanese}) : f.package.flat({kJapanese});
        // Through a third name: Wine takes a rename that changes only the case for a no-op.
        for (const auto& [from, to] : renames) {
            std::filesystem::rename(installer.folder() + from, installer.folder() + "renaming");
            std::filesystem::rename(installer.folder() + "renaming", installer.folder() + to);
        }
        std::string in_path = f.package.root();
        ASSERT_TRUE(In_Path_Check(f.pkg, *f.ctx, in_path)) << tree;
        EXPECT_EQ(f.pkg.Driver_Folder, installer.folder());
        EXPECT_EQ(f.pkg.Lang_Folders, std::vector<std::string>{"JapaNese"});
    }
}

TEST_F(Reader, SetupIniIsFoundWhateverTheCaseOfItsName) {
    fx.package.flat({kEnglish});
    std::filesystem::rename(fx.package.root() + "setup.ini", fx.package.root() + "SETUP.INI");
    ASSERT_TRUE(read_languages(fx.package.root_unterminated()));
    EXPECT_EQ(fx.pkg.Language_Name.items, std::vector<std::string>{"English"});
}

TEST(ReaderTable, MalformedEntriesAreSkippedAndOneIdMayGiveSeveral) {
    SourceFixture f({"0x0011,Japanese", "0x0009,English,English",
                     "0x0009,EnglishUK,Extra,English (UK)", "0x0007"});
    f.package.flat({kJapanese, kEnglish}).mkdir("EnglishUK");
    ASSERT_TRUE(Language_Name_Get(f.pkg, *f.ctx, f.package.root()));
    EXPECT_EQ(f.pkg.Language_Name.items, (std::vector<std::string>{"English", "English (UK)"}));
    EXPECT_EQ(f.pkg.Lang_Folders, (std::vector<std::string>{"English", "EnglishUK"}));
    EXPECT_EQ(f.pkg.Lang_Codes, (std::vector<std::string>{"0x0009", "0x0009"}));
}

TEST(ReaderTable, TheTableEndsAtTheFirstEmptyEntry) {
    SourceFixture f({"0x0011,Japanese,Japanese", "", "0x0009,English,English"});
    f.package.flat({kJapanese, kEnglish});
    ASSERT_TRUE(Language_Name_Get(f.pkg, *f.ctx, f.package.root()));
    EXPECT_EQ(f.pkg.Language_Name.items, std::vector<std::string>{"Japanese"});
}

TEST(ReaderPaths, BlanksNonAsciiAndLinksAreOrdinaryNames) {
    if (!test::kHasSymbolicLinks)
        GTEST_SKIP() << "symbolic links need a privilege on Windows";
    SourceFixture f({"0x0011,日本語 フォルダ,日本語", "0x0009,English,English"});
    test::PackageBuilder package(f.work, "Paket mit Ümlaut");
    package.kind_folder("Printer", {{"0x0011", "日本語 フォルダ"}});
    const std::string link = f.work.folder() + "link";
    std::filesystem::create_directory_symlink(package.root_unterminated(), link);
    std::string in_path = link + kSep;
    ASSERT_TRUE(In_Path_Check(f.pkg, *f.ctx, in_path));
    EXPECT_EQ(in_path, link + kSep + "Printer" + kSep);
    EXPECT_EQ(f.pkg.Language_Name.items, std::vector<std::string>{"日本語"});
    EXPECT_EQ(f.pkg.Lang_Folder, "日本語 フォルダ");
}

TEST(ReaderPaths, AVanishedSourceIsReportedNotFatal) {
    SourceFixture f;
    f.package.kind_folder("Printer");
    std::string in_path = f.package.root();
    std::filesystem::remove_all(f.package.root());
    EXPECT_FALSE(In_Path_Check(f.pkg, *f.ctx, in_path));
    EXPECT_EQ(f.prompter.messages(), std::vector<std::string>{"MsgErrInPath4\r\nMsgErrChk"});
}

TEST(ReaderValues, CountsReadTheLeadingNumber) {
    const std::vector<std::pair<std::string, long long>> cases = {
        {"3", 3},   {" 12x", 12}, {"-4", -4},
        {"+5", 5},  {"", 0},      {"abc", 0},
        {"\t7", 7}, {"1 2", 1},   {"99999999999999999999", 1'000'000'000'000LL}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(count_value(text), value) << text;
}

}  // namespace
}  // namespace korva
