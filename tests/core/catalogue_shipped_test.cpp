// SPDX-License-Identifier: MIT
// The shipped Tool.sii must carry every text and setting the windows read, in both languages;
// a missing key shows as an empty caption or message only when someone opens that window.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Keys read from the selected language section (StringEn, StringJp): main window captions and
// list placeholders, main window messages, the selection and waiting dialogs.
// clang-format off
constexpr std::array kMainKeys = {
    "InputPath", "OutputPath", "BrowButtom", "FrmFunction", "FrmLanguage", "ChkSI", "ChkUserI",
    "FrmInstDrv", "LblAddDrv", "LblModel", "LblEmu", "FrmDef", "ChkYes", "ChkNo", "LblMFPIP",
    "LblPrn", "ComAdd", "ComDel", "FrmComp", "LblAcc", "LblDom", "LblPass", "ComOK", "ComEnd",
    "LblPort", "ChkStandard", "ChkQx", "LblProtcol", "ChkRaw", "ChkLpr", "LblPortN", "LblQueue",
    "SelectSoft", "ChkDlgReboot", "ChkAutoconfig",
    "SelectSoftware1", "SelectSoftware2", "MsgEmu", "MsgSilent", "MsgLang",
    "MsgErr", "MsgErrChk", "MsgErrInPath1", "MsgErrInPath2", "MsgErrInPath3", "MsgErrInPath4",
    "MsgErrInPath5", "MsgErrInPath6", "MsgErrInPath7", "MsgErrOutPath1", "MsgErrOutPath2",
    "MsgErrOutPath3", "MsgErrOutPath4", "MsgErrInOut", "MsgErrAnother", "MsgErrDrvPath",
    "MsgErrCreate1", "MsgErrCreate2", "MsgErrCreateName", "MsgErrCreateOP", "MsgErrCreateFolder",
    "MsgErrCreateFName", "MsgErrCreateExit", "MsgErrCreateAnother", "MsgErrSilent",
    "MsgErrModel1", "MsgErrModel2", "MsgErrIP", "MsgErrAcc", "MsgErrDom", "MsgErrEmu",
    "MsgErrBlank", "MsgErrAdd", "MsgErrSame", "MsgErrDelOrChange", "MsgErrCopy", "MsgErrOneMore",
    "MsgErrConfig", "MsgErrSetup", "MsgErrChar", "MsgErrCtrlChar", "MsgErrQuote", "MsgErrCodePage",
    "MsgErrCharPercent", "MsgErrFolderRead",
    "MsgMore", "MsgWhich", "MsgSelect", "MsgDriver", "MsgPrn", "MsgFax", "MsgOk", "MsgCancel",
    "MsgCreate", "MsgFinish", "MsgErrCreateBadName",
    "MsgErrLaunchProgram", "MsgErrEncoder", "MsgLaunchTitle", "MsgLaunchSettings", "MsgLaunchMissing",
    "MsgLaunchChanged", "MsgLaunchExpired", "MsgLaunchLogon", "MsgLaunchService", "MsgLaunchFolder",
    "MsgLaunchStart", "MsgLaunchConsent", "MsgLaunchTimeout", "MsgLaunchPrinter", "MsgLaunchUsage",
};

// Keys read from the language section followed by "2": removal window and administrator window.
constexpr std::array kWindow2Keys = {
    "Lbl_In_Path", "Lbl_Out_Path", "Com_Brow", "Fra_Dialog", "Opt_Dialog1", "Opt_Dialog2",
    "Fra_QX", "Chk_QX1", "Chk_QX2", "Fra_DelPrinter", "Cmd_DelPrinterAdd", "Cmd_DelPrinterEdt",
    "Cmd_DelPrinterDel", "Fra_DelDriver", "Cmd_DelDriverAdd", "Cmd_DelDriverEdt",
    "Cmd_DelDriverDel", "Fra_UserI", "Chk_UserI", "Fra_Admin", "Lbl_Acount_Name",
    "Lbl_Domain_Name", "Lbl_Password", "Com_OK", "Com_End",
    "MsgErr", "MsgErrInPath1", "MsgErrOutPath1", "MsgErrAcc", "MsgErrDom", "MsgErrInOut",
    "MsgErrAnother", "MsgErrInPath3", "MsgErrInPath2", "MsgErrChk", "MsgErrDrvPath",
    "MsgErrOutPath2", "MsgErrOutPath3", "MsgErrCreate1", "MsgErrCreate2", "MsgErrCreateName",
    "MsgErrCreateOP", "MsgErrCreateFolder", "MsgErrCreateFName", "MsgErrCreateExit",
    "MsgErrCreateAnother", "MsgErrOutPath4", "MsgErrCopy", "MsgErrOneMore", "MsgErrSetup",
    "MsgErrCtrlChar", "MsgErrQuote", "MsgErrCodePage", "MsgErrProgExe", "MsgErrCreateBadName",
    "MsgErrCharPercent", "MsgErrFolderRead",
    "MsgErrLaunchProgram", "MsgErrEncoder", "MsgLaunchTitle", "MsgLaunchSettings", "MsgLaunchMissing",
    "MsgLaunchChanged", "MsgLaunchExpired", "MsgLaunchLogon", "MsgLaunchService", "MsgLaunchFolder",
    "MsgLaunchStart", "MsgLaunchConsent", "MsgLaunchTimeout", "MsgLaunchPrinter", "MsgLaunchUsage",
};

// Button captions: the buttons are sized for a word or two.
constexpr std::array kButtonKeys = {
    "BrowButtom", "ComAdd", "ComDel", "ComOK", "ComEnd", "MsgOk", "MsgCancel",
};
constexpr std::array kButton2Keys = {
    "Com_Brow", "Cmd_DelPrinterAdd", "Cmd_DelPrinterEdt", "Cmd_DelPrinterDel", "Cmd_DelDriverAdd",
    "Cmd_DelDriverEdt", "Cmd_DelDriverDel", "Com_OK", "Com_End",
};
// clang-format on
constexpr std::size_t kMaxButtonChars = 12;

constexpr std::array kSetupKeys = {"ViewSoftware", "CopyDir", "WaitTime",
                                   "TimeOut",      "ProgExe", "AppNameJp",
                                   "AppNameEn",    "Version", "NativeLauncher"};

// Language sections with the code page their texts must survive (the program converts the
// catalogue to the ANSI code page); the lookup buffers of the dialogs and the "2" windows hold
// 500 bytes, the main window's 1000, so 499 bytes is the limit every text must keep.
struct LanguageSection {
    const char* name;
    const char* codepage;
    bool window2;
};
constexpr std::array kLanguageSections = {
    LanguageSection{"StringEn", "CP1252", false}, LanguageSection{"StringJp", "CP932", false},
    LanguageSection{"StringEn2", "CP1252", true}, LanguageSection{"StringJp2", "CP932", true}};
constexpr std::size_t kSmallestBuffer = 500;

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

std::string_view trim(std::string_view text) {
    constexpr std::string_view blanks = " \t\v";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A profile file read the way the Windows profile functions read it: names without regard to
// case, first section and first key win, ";" lines are comments, one outer pair of matching
// quotes is removed. Duplicates are kept so that a test can point at them.
class Profile {
  public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };

    explicit Profile(const std::string& text) {
        std::istringstream lines(text);
        std::string raw;
        Section* current = nullptr;
        while (std::getline(lines, raw)) {
            if (!raw.empty() && raw.back() == '\r') {
                raw.pop_back();
            }
            const std::string_view line = trim(raw);
            if (line.empty() || line.front() == ';') {
                continue;
            }
            if (line.front() == '[') {
                const auto close = line.find(']');
                sections_.push_back({std::string(trim(line.substr(1, close - 1))), {}});
                current = &sections_.back();
                continue;
            }
            const auto equals = line.find('=');
            if (current == nullptr || equals == std::string_view::npos) {
                continue;
            }
            std::string_view value = trim(line.substr(equals + 1));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
            }
            current->entries.emplace_back(std::string(trim(line.substr(0, equals))),
                                          std::string(value));
        }
    }

    const std::vector<Section>& sections() const { return sections_; }

    const Section* section(std::string_view name) const {
        for (const auto& s : sections_) {
            if (lower(s.name) == lower(name)) {
                return &s;
            }
        }
        return nullptr;
    }

    std::optional<std::string> value(std::string_view section_name, std::string_view key) const {
        if (const Section* s = section(section_name)) {
            for (const auto& [k, v] : s->entries) {
                if (lower(k) == lower(key)) {
                    return v;
                }
            }
        }
        return std::nullopt;
    }

    std::string text(std::string_view section_name, std::string_view key) const {
        return value(section_name, key).value_or("");
    }

  private:
    std::vector<Section> sections_;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The text in another encoding, or nothing when one of its characters has no place there.
#ifdef _WIN32
std::optional<std::string> convert(const std::string& utf8, const char* to) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(utf8.size(), L'\0');
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), size);
    if (length == 0 && size != 0)
        return std::nullopt;
    if (std::string_view(to) == "UTF-32LE")
        return utf8;  // only the validity of the UTF-8 is asked for
    const UINT codepage = static_cast<UINT>(std::atoi(to + 2));  // "CP932"
    std::string out(wide.size() * 2 + 2, '\0');
    BOOL lossy = FALSE;
    const int written =
        WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data(),
                            static_cast<int>(out.size()), nullptr, &lossy);
    if (lossy || (written == 0 && length != 0))
        return std::nullopt;
    out.resize(static_cast<std::size_t>(written));
    return out;
}
#else
std::optional<std::string> convert(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in = utf8;
    std::string out(in.size() * 4 + 4, '\0');
    char* in_ptr = in.data();
    char* out_ptr = out.data();
    std::size_t in_left = in.size();
    std::size_t out_left = out.size();
    const std::size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1) || in_left != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - out_left);
    return out;
}
#endif

std::size_t code_points(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find(separator, start)) != std::string::npos;
         start = pos + 1) {
        parts.push_back(text.substr(start, pos - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool valid_folder_name(const std::string& name) {
    return !name.empty() && trim(name) == name &&
           name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class ShippedCatalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* root = std::getenv("KORVA_SOURCE_DIR");
        ASSERT_NE(root, nullptr) << "KORVA_SOURCE_DIR must name the repository root";
        path_ = fs::path(root) / "resources" / "Tool.sii";
        ASSERT_TRUE(fs::is_regular_file(path_)) << path_;
        bytes_ = read_file(path_);
        profile_.emplace(bytes_);
    }

    const Profile& profile() const { return *profile_; }

    // Entries LangN / N read the way the program reads them: numbered without gaps, the first
    // empty or missing value ends the list.
    std::vector<std::string> numbered(const char* section, const char* prefix, int first) const {
        std::vector<std::string> values;
        for (int n = first;; ++n) {
            const std::string v = profile().text(section, prefix + std::to_string(n));
            if (v.empty()) {
                return values;
            }
            values.push_back(v);
        }
    }

    fs::path path_;
    std::string bytes_;
    std::optional<Profile> profile_;
};

TEST_F(ShippedCatalogue, IsUtf8WithoutByteOrderMark) {
    // A byte-order mark would hide the first section header from the profile reader.
    EXPECT_NE(bytes_.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_TRUE(convert(bytes_, "UTF-32LE").has_value()) << "not valid UTF-8";
}

TEST_F(ShippedCatalogue, EveryWindowKeyHasATextInEveryLanguage) {
    for (const auto& lang : kLanguageSections) {
        ASSERT_NE(profile().section(lang.name), nullptr) << lang.name;
        const auto check = [&](const auto& keys) {
            for (const char* key : keys) {
                EXPECT_FALSE(profile().text(lang.name, key).empty()) << lang.name << " " << key;
            }
        };
        if (lang.window2) {
            check(kWindow2Keys);
        } else {
            check(kMainKeys);
        }
    }
}

TEST_F(ShippedCatalogue, BothLanguagesDefineTheSameKeys) {
    const auto keys = [&](const char* name) {
        std::set<std::string> out;
        if (const auto* s = profile().section(name)) {
            for (const auto& entry : s->entries) {
                out.insert(lower(entry.first));
            }
        }
        return out;
    };
    EXPECT_EQ(keys("StringEn"), keys("StringJp"));
    EXPECT_EQ(keys("StringEn2"), keys("StringJp2"));
}

TEST_F(ShippedCatalogue, NoSectionOrKeyIsDefinedTwice) {
    // Only the first of two equal names is read; a later corrected copy would be ignored.
    std::set<std::string> section_names;
    for (const auto& section : profile().sections()) {
        EXPECT_TRUE(section_names.insert(lower(section.name)).second) << section.name;
        std::set<std::string> keys;
        for (const auto& entry : section.entries) {
            EXPECT_TRUE(keys.insert(lower(entry.first)).second)
                << section.name << " " << entry.first;
        }
    }
}

TEST_F(ShippedCatalogue, TextsSurviveTheCodePageAndFitTheBuffers) {
    for (const auto& lang : kLanguageSections) {
        const auto* section = profile().section(lang.name);
        ASSERT_NE(section, nullptr) << lang.name;
        for (const auto& [key, value] : section->entries) {
            const auto ansi = convert(value, lang.codepage);
            ASSERT_TRUE(ansi.has_value()) << lang.name << " " << key << " is not " << lang.codepage;
            EXPECT_LT(ansi->size(), kSmallestBuffer) << lang.name << " " << key;
        }
    }
    EXPECT_TRUE(convert(profile().text("Setup", "AppNameJp"), "CP932").has_value());
}

TEST_F(ShippedCatalogue, ButtonCaptionsAreShort) {
    for (const auto& lang : kLanguageSections) {
        const auto check = [&](const auto& keys) {
            for (const char* key : keys) {
                EXPECT_LE(code_points(profile().text(lang.name, key)), kMaxButtonChars)
                    << lang.name << " " << key;
            }
        };
        if (lang.window2) {
            check(kButton2Keys);
        } else {
            check(kButtonKeys);
        }
    }
}

TEST_F(ShippedCatalogue, SetupHoldsUsableOperatingSettings) {
    for (const char* key : kSetupKeys) {
        EXPECT_TRUE(profile().value("Setup", key).has_value()) << key;
    }
    const std::set<std::string> modes = {"0", "1", "2", "99"};
    EXPECT_TRUE(modes.count(profile().text("Setup", "ViewSoftware"))) << "unknown tool mode";
    // Zero or less would silently fall back to the built-in timings.
    EXPECT_GT(std::atof(profile().text("Setup", "WaitTime").c_str()), 0.0);
    const int timeout = std::atoi(profile().text("Setup", "TimeOut").c_str());
    EXPECT_GT(timeout, 0);
    EXPECT_LE(timeout, 32767);
    // The administrator launcher names its scripts after the text before the last ".".
    const std::string prog = profile().text("Setup", "ProgExe");
    EXPECT_NE(prog.rfind('.'), std::string::npos);
    EXPECT_GT(prog.rfind('.'), 0u);
    EXPECT_NE(profile().text("Setup", "AppNameJp").find("ツール"), std::string::npos);
    EXPECT_FALSE(profile().text("Setup", "AppNameEn").empty());
    EXPECT_FALSE(profile().text("Setup", "Version").empty());
}

TEST_F(ShippedCatalogue, DefaultLanguageSelectsExistingSections) {
    const std::string selector = profile().text("Languages", "Default");
    const std::map<std::string, std::string> known = {{"0x0011", "StringJp"},
                                                      {"0x0009", "StringEn"}};
    const auto it = known.find(selector);
    const std::string section = it != known.end() ? it->second : selector;
    EXPECT_NE(profile().section(section), nullptr) << section;
    EXPECT_NE(profile().section(section + "2"), nullptr) << section << "2";
}

TEST_F(ShippedCatalogue, LanguageTableEntriesAreWellFormed) {
    const auto entries = numbered("LanguagesSub", "Lang", 1);
    ASSERT_FALSE(entries.empty());
    // An entry after a gap in the numbering is never read.
    const auto* section = profile().section("LanguagesSub");
    EXPECT_EQ(section->entries.size(), entries.size()) << "gap in the Lang numbering";
    std::set<std::string> ids;
    std::set<std::string> folders;
    for (const auto& entry : entries) {
        const auto items = split(entry, ',');
        ASSERT_GE(items.size(), 3u) << entry;
        const std::string& id = items.front();
        EXPECT_EQ(id.size(), 6u) << entry;
        EXPECT_EQ(id.rfind("0x", 0), 0u) << entry;
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef", 2), std::string::npos)
            << "ids are compared exactly with setup.ini, which writes them in lower case: "
            << entry;
        EXPECT_TRUE(ids.insert(id).second) << "id listed twice: " << entry;
        EXPECT_TRUE(valid_folder_name(items[1])) << entry;
        EXPECT_TRUE(folders.insert(lower(items[1])).second) << "folder listed twice: " << entry;
        EXPECT_FALSE(trim(items.back()).empty()) << entry;
        // The table is shared by every interface language, whatever the code page.
        EXPECT_TRUE(is_ascii(entry)) << entry;
    }
    EXPECT_TRUE(ids.count("0x0011"));
    EXPECT_TRUE(ids.count("0x0009"));
}

TEST_F(ShippedCatalogue, QxSubfoldersAreNumberedWithoutGaps) {
    const auto folders = numbered("Subfolder", "", 0);
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(profile().section("Subfolder")->entries.size(), folders.size());
    for (const auto& folder : folders) {
        EXPECT_TRUE(valid_folder_name(folder)) << folder;
    }
}

// The example package must be readable with the shipped catalogue: every language of its
// setup.ini maps to a language folder of the package, and the QX folders are there.
TEST_F(ShippedCatalogue, ExamplePackageLanguagesAndQxFoldersResolve) {
    const char* examples = std::getenv("KORVA_EXAMPLES_DIR");
    ASSERT_NE(examples, nullptr) << "KORVA_EXAMPLES_DIR must name the examples folder";
    std::map<std::string, std::string> folder_of;
    for (const auto& entry : numbered("LanguagesSub", "Lang", 1)) {
        const auto items = split(entry, ',');
        folder_of.emplace(items[0], items.size() > 1 ? items[1] : "");
    }
    const fs::path drivers = fs::path(examples) / "driver-package" / "Drivers";
    for (const char* kind : {"Printer", "Pcfax"}) {
        const fs::path installer = drivers / kind;
        const Profile setup(read_file(installer / "setup.ini"));
        const int count = std::atoi(setup.text("Languages", "count").c_str());
        ASSERT_GT(count, 0) << kind;
        for (int i = 0; i < count; ++i) {
            const std::string id = setup.text("Languages", "key" + std::to_string(i));
            ASSERT_TRUE(folder_of.count(id)) << kind << " language " << id;
            EXPECT_TRUE(fs::is_directory(installer / folder_of[id])) << kind << " " << id;
        }
    }
    for (const auto& folder : numbered("Subfolder", "", 0)) {
        EXPECT_TRUE(fs::is_directory(drivers / "Printer" / folder)) << folder;
    }
}

}  // namespace
