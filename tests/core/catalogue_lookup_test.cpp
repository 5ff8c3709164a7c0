// SPDX-License-Identifier: MIT
// Choosing the language section and the title, and the buffer cuts of the windows' lookups.
#include <gtest/gtest.h>

#include <thread>

#include "catalogue/catalogue.h"
#include "platform/error.h"
#include "support/env_var.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

std::string catalogue_with_default(const std::string& selector) {
    return "[Languages]\r\nDefault=" + selector +
           "\r\n[Setup]\r\nAppNameJp=JpName\r\nAppNameEn=EnName\r\nVersion=Ver.9\r\n";
}

TEST(LanguageChoice, SelectorPicksSectionAndTitle) {
    struct Case {
        std::string selector, section, title;
    };
    const std::string design = kDesignTitle;
    for (const Case& c :
         {Case{"0x0011", "StringJp", "JpName Ver.9"}, Case{"0x0009", "StringEn", "EnName Ver.9"},
          Case{"0X0011", "0X0011", design + " Ver.9"},
          Case{"StringFr", "StringFr", design + " Ver.9"}}) {
        test::TempDir dir;
        dir.write("Tool.sii", catalogue_with_default(c.selector));
        LanguageChoice choice = choose_language(ToolSii_Path_for(dir.folder()));
        EXPECT_EQ(choice.LangSelect, c.section) << c.selector;
        EXPECT_EQ(choice.title, c.title) << c.selector;
    }
}

TEST(LanguageChoice, OneCatalogueServesEveryCodePage) {
    // Linux takes the ANSI code page from KORVA_CODEPAGE; Windows has its own and ignores it.
    test::ScopedEnv japanese("KORVA_CODEPAGE", "CP932");
    const std::string title = "Korva Install Assistantツール";
    const std::string utf8 = "[Setup]\r\nAppNameJp=" + title + "\r\nVersion=V\r\n";
    test::TempDir dir;
    dir.write("Tool.sii", utf8);
    EXPECT_EQ(
        Catalogue(ToolSii_Path_for(dir.folder()), "Setup", kMainBuffer).read("Setup", "AppNameJp"),
        title);
    const CodePage system = CodePage::system();
    const std::string ansi = system.to_ansi(utf8);
    if (ansi == utf8 || system.from_ansi(ansi) != utf8)
        GTEST_SKIP() << "this system's code page is UTF-8 or cannot hold Japanese";
    dir.write("Tool.sii", ansi);
    EXPECT_EQ(
        Catalogue(ToolSii_Path_for(dir.folder()), "Setup", kMainBuffer).read("Setup", "AppNameJp"),
        title);
}

TEST(LanguageChoice, MissingCatalogueKeepsDesignTitleWithTrailingBlank) {
    test::TempDir dir;
    LanguageChoice choice = choose_language(ToolSii_Path_for(dir.folder()));
    EXPECT_EQ(choice.LangSelect, "");
    EXPECT_EQ(choice.title, std::string(kDesignTitle).append(1, ' '));
}

TEST(CatalogueLookup, TextsAreCutToTheWindowBuffer) {
    test::TempDir dir;
    const std::string long_text(1200, 'x');
    dir.write("Tool.sii", "[StringEn]\r\nLong=" + long_text + "\r\nEmpty=\r\n");
    const std::string path = ToolSii_Path_for(dir.folder());
    Catalogue main(path, "StringEn", kMainBuffer);
    EXPECT_EQ(main.text("Long").size(), 999u);
    EXPECT_EQ(main.with_section("StringEn", kDialogBuffer).text("Long").size(), 499u);
    EXPECT_EQ(main.text("Empty"), "");
    EXPECT_EQ(main.text("Absent"), "");
    EXPECT_EQ(main.with_section("StringEn2", kDialogBuffer).text("Long"), "");
}

TEST(CatalogueLookup, MessagesJoinTwoKeysWithCrLfAndFillArgumentsInOnePass) {
    test::TempDir dir;
    dir.write("Tool.sii", "[StringEn]\r\nA=first\r\nB=second\r\nF=%2 of %1, 100%\r\n");
    Catalogue cat(ToolSii_Path_for(dir.folder()), "StringEn", kMainBuffer);
    EXPECT_EQ(cat.message_text("A", "B"), "first\r\nsecond");
    EXPECT_EQ(cat.message_text("A"), "first");
    EXPECT_EQ(cat.filled_text("F", {"%2", "C:\\x"}), "C:\\x of %2, 100%");
}

// Read at the first lookup of any copy, from any thread, and never again; one that is there but
// cannot be read gives its texts' defaults but no setting.
TEST(CatalogueLookup, TheFileIsReadOnceAndAnUnreadableOneGivesNoSettings) {
    test::TempDir dir;
    const std::string path = dir.write("Tool.sii", "[S]\r\nA=first\r\n");
    const Catalogue cat(path, "S", kMainBuffer);
    std::string seen[2];
    std::thread reader([&] { seen[0] = cat.with_section("S", 3).text("A"); });
    seen[1] = cat.text("A");
    reader.join();
    EXPECT_EQ(seen[0] + seen[1], "fifirst");
    std::filesystem::remove(path);
    EXPECT_EQ(cat.setting("S", "A"), "first");
    EXPECT_EQ(Catalogue(path, "S", kMainBuffer).setting("S", "A", "none"), "none");
    dir.mkdir("Tool.sii");
    const Catalogue unreadable(path, "S", kMainBuffer);
    EXPECT_EQ(unreadable.read("S", "A", "none"), "none");
    EXPECT_THROW(unreadable.setting("S", "A"), PlatformError);
}

}  // namespace
}  // namespace korva
