// SPDX-License-Identifier: MIT
// The code page boundary: conversions that never abort, and byte walks that never split a
// double-byte character, in the code pages the tool meets (932, 1252, UTF-8); on Windows also the
// settings store, whose texts cross into UTF-16.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "platform/codepage.h"
#include "platform/error.h"
#ifdef _WIN32
#include "platform/registry_settings.h"
#endif
#include "support/env_var.h"
#include "support/host.h"

namespace korva {
namespace {

using test::ScopedEnv;

const char* const kReplacement = "\xEF\xBF\xBD";

// "ツール" in code page 932.
const std::string kToolSjis = "\x83\x63\x81\x5B\x83\x8B";

struct Conversion {
    const char* code_page;
    std::string utf8;
    std::string ansi;
};

TEST(CodePageTest, ConvertsBothWays) {
    const Conversion cases[] = {
        {"CP932", "ツール", kToolSjis},
        // The trail byte of 表 is a backslash.
        {"CP932", "A表\\", std::string("A\x95\x5C\x5C")},
        {"CP932", "ｱ", "\xB1"},
        {"CP1252", "café €", "caf\xE9 \x80"},
        {"UTF-8", "ツール", "ツール"},
        {"CP1252", std::string("a\0b", 3), std::string("a\0b", 3)},
        // Other spellings of the same code pages.
        {"SHIFT_JIS", "ツール", kToolSjis},
        {"windows-1252", "café", "caf\xE9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code_page) + " " + c.utf8);
        const CodePage cp(c.code_page);
        EXPECT_EQ(cp.to_ansi(c.utf8), c.ansi);
        EXPECT_EQ(cp.from_ansi(c.ansi), c.utf8);
        EXPECT_EQ(cp.ansi_length(c.utf8), c.ansi.size());
    }
}

TEST(CodePageTest, LossyConversionsNeverAbort) {
    const Conversion to_ansi_cases[] = {
        {"CP1252", "aツb", "a?b"},
        {"CP932", "é😀x", "??x"},
        {"CP932",
         "a\xFF"
         "b",
         "a?b"},  // broken UTF-8 in a text
        {"UTF-8", "a\xC3", "a?"},
    };
    for (const auto& c : to_ansi_cases) {
        SCOPED_TRACE(std::string(c.code_page) + " to " + c.ansi);
        EXPECT_EQ(CodePage(c.code_page).to_ansi(c.utf8), c.ansi);
    }
    const Conversion from_ansi_cases[] = {
        {"CP1252", std::string("x") + kReplacement + "y", "x\x81y"},
        {"CP932", std::string(kReplacement) + "a",
         "\x80"
         "a"},
        // A lead byte before a line end is lost alone; the line end survives.
        {"CP932", std::string(kReplacement) + "\n", "\x81\n"},
        {"CP932", std::string("a") + kReplacement, "a\x83"},
        {"UTF-8", std::string(kReplacement) + "(" + kReplacement, "\xC3(\xFF"},
    };
    for (const auto& c : from_ansi_cases) {
        SCOPED_TRACE(std::string(c.code_page) + " from " + c.ansi);
        EXPECT_EQ(CodePage(c.code_page).from_ansi(c.ansi), c.utf8);
    }
}

TEST(CodePageTest, BoundaryNeverSplitsACharacter) {
    struct Case {
        const char* code_page;
        std::string ansi;
        std::size_t max;
        std::size_t expected;
    };
    const Case cases[] = {
        {"CP932", kToolSjis, 6, 6},
        {"CP932", kToolSjis, 5, 4},
        {"CP932", kToolSjis, 3, 2},
        {"CP932", kToolSjis, 1, 0},
        {"CP932", "a" + kToolSjis, 2, 1},
        // 0x83 0x81 is one character; the 0x81 is a trail byte here, not a lead byte.
        {"CP932", "\x83\x81\x41", 2, 2},
        {"CP932", "\xB1\xB2\xB3", 2, 2},  // half-width kana are single bytes
        {"CP932", "ab\x83", 99, 3},       // the whole text fits, even its stray lead byte
        {"CP1252", "caf\xE9\x80", 4, 4},
        {"UTF-8", "aé", 2, 1},
        {"UTF-8", "aé", 3, 3},
        {"UTF-8", "ツ", 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code_page) + " max " + std::to_string(c.max));
        EXPECT_EQ(CodePage(c.code_page).boundary_at_most(c.ansi, c.max), c.expected);
    }
}

TEST(CodePageTest, LeadBytesOfEachCodePage) {
    struct Case {
        const char* code_page;
        unsigned char byte;
        bool lead;
    };
    const Case cases[] = {
        {"CP932", 0x81, true},  {"CP932", 0x9F, true},   {"CP932", 0xA0, false},
        {"CP932", 0xDF, false}, {"CP932", 0xE0, true},   {"CP932", 0xFC, true},
        {"CP932", 0xFD, false}, {"CP932", 0x5C, false},  {"CP936", 0xFE, true},
        {"CP936", 0x80, false}, {"CP1252", 0x81, false}, {"CP1252", 0xE9, false},
        {"UTF-8", 0xC3, true},  {"UTF-8", 0x80, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code_page) + " " + std::to_string(c.byte));
        EXPECT_EQ(CodePage(c.code_page).is_lead_byte(c.byte), c.lead);
    }
}

TEST(CodePageTest, FoldsLettersButNeverTrailBytes) {
    EXPECT_EQ(CodePage("CP932").fold_case("AbZ"), "abz");
    // ア is 0x83 0x41: folding its trail byte would turn it into ヂ (0x83 0x61).
    EXPECT_EQ(CodePage("CP932").fold_case("\x83\x41"
                                          "A"),
              "\x83\x41"
              "a");
    EXPECT_EQ(CodePage("CP1252").fold_case("CAF\xC9\xD7\x8A"), "caf\xE9\xD7\x9A");
    EXPECT_EQ(CodePage("UTF-8").fold_case("ÉA"), "Éa");
}

TEST(CodePageTest, SystemCodePageFromEnvironmentElseUtf8) {
    if (test::kOnWindows)
        GTEST_SKIP() << "Windows always uses its ANSI code page; see SystemCodePageIsTheAnsiOne";
    {
        ScopedEnv cp("KORVA_CODEPAGE", "CP1252");
        EXPECT_EQ(CodePage::system().name(), "CP1252");
    }
    ScopedEnv cp("KORVA_CODEPAGE", "");
    ScopedEnv all("LC_ALL", "C");
    EXPECT_EQ(CodePage::system().name(), "UTF-8");
}

TEST(CodePageTest, PackageLanguageChoosesTheCodePageUnlessTheEnvironmentDoes) {
    if (test::kOnWindows)
        GTEST_SKIP() << "Windows packages are for machines of the system's own code page";
    ScopedEnv none("KORVA_CODEPAGE", "");
    EXPECT_EQ(CodePage::for_language("0x0007").number(), 1252u);
    ScopedEnv chosen("KORVA_CODEPAGE", "CP1251");
    EXPECT_EQ(CodePage::for_language("0x0011").name(), "CP1251");
    ScopedEnv utf8("KORVA_CODEPAGE", "UTF-8");
    EXPECT_EQ(CodePage::for_language("0x0011").number(), 932u);
}

TEST(CodePageTest, UnknownCodePageIsReported) {
    EXPECT_THROW(CodePage("NO-SUCH-CODEPAGE-42"), PlatformError);
    EXPECT_THROW(CodePage("CP99999"), PlatformError);
    if (test::kOnWindows)
        return;  // the environment does not name the code page there
    ScopedEnv cp("KORVA_CODEPAGE", "NO-SUCH-CODEPAGE-42");
    EXPECT_THROW(CodePage::system(), PlatformError);
}

#ifdef _WIN32
TEST(CodePageTest, SystemCodePageIsTheAnsiOne) {
    EXPECT_EQ(CodePage::system().name(), "CP" + std::to_string(::GetACP()));
}

// The settings store is the other place where texts cross into UTF-16.
class RegistrySettingsTest : public ::testing::Test {
  protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, utf8_to_utf16(kApp).c_str()); }

    static constexpr const char* kApp = "Software\\VB and VBA Program Settings\\Korva Test ツール";
    RegistrySettingsStore store;
};

TEST_F(RegistrySettingsTest, WritesAndReadsTextsUnderTheProgramSettingsKey) {
    store.set("Korva Test ツール", "Placement", "Left", "12 Tréiber");
    wchar_t value[64] = {};
    DWORD bytes = sizeof value;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, (utf8_to_utf16(kApp) + L"\\Placement").c_str(),
                             L"Left", RRF_RT_REG_SZ, nullptr, value, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(utf16_to_utf8(value), "12 Tréiber");
    EXPECT_EQ(store.get("Korva Test ツール", "Placement", "Left"), "12 Tréiber");
    store.set("Korva Test ツール", "Placement", "Left", "");
    EXPECT_EQ(store.get("Korva Test ツール", "Placement", "Left"), "");

    EXPECT_EQ(store.get("Korva Test ツール", "Placement", "Top"), std::nullopt);
    EXPECT_EQ(store.get("Korva Test ツール", "Elsewhere", "Left"), std::nullopt);
}
#endif

}  // namespace
}  // namespace korva
