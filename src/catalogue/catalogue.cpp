// SPDX-License-Identifier: MIT
// Catalogue lookups go through the profile reader with the window's buffer length, so a text is
// cut exactly where the fixed buffers of the windows cut it.
#include "catalogue/catalogue.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dialogs/prompter.h"
#include "platform/path.h"
#include "platform/profile.h"

namespace korva {

std::string ToolSii_Path_for(const std::string& executable_folder) {
    return with_trailing_sep(executable_folder) + "Tool.sii";
}

LanguageChoice choose_language(const std::string& tool_sii_path) {
    const Catalogue setup(tool_sii_path, "Setup", kMainBuffer);
    return choose_language(tool_sii_path, setup.read("Languages", "Default"));
}

LanguageChoice choose_language(const std::string& tool_sii_path, const std::string& selector) {
    const Catalogue setup(tool_sii_path, "Setup", kMainBuffer);
    LanguageChoice choice;
    // Only these two exact spellings name a language; anything else is a section name.
    if (selector == "0x0011") {
        choice.LangSelect = "StringJp";
        choice.title = setup.read("Setup", "AppNameJp");
    } else if (selector == "0x0009") {
        choice.LangSelect = "StringEn";
        choice.title = setup.read("Setup", "AppNameEn");
    } else {
        choice.LangSelect = selector;
        choice.title = kDesignTitle;
    }
    choice.title += " " + setup.read("Setup", "Version");
    return choice;
}

CodePage catalogue_codepage(const std::string& tool_sii_path) {
    const std::u8string name(tool_sii_path.begin(), tool_sii_path.end());
    std::ifstream in(std::filesystem::path(name), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    // Decoding keeps each byte that is not UTF-8 as a replacement character, so only a valid
    // file comes back unchanged.
    const CodePage utf8("UTF-8");
    if (utf8.to_ansi(utf8.from_ansi(bytes)) == bytes)
        return utf8;
    return CodePage::system();
}

CodePage language_codepage(const Catalogue& catalogue) {
    return CodePage::for_language(catalogue.read("Languages", "Default"));
}

Catalogue::Catalogue(std::string tool_sii_path, std::string section, std::size_t buffer_len)
    : Catalogue(tool_sii_path, std::move(section), buffer_len, catalogue_codepage(tool_sii_path)) {}

Catalogue::Catalogue(std::string tool_sii_path, std::string section, std::size_t buffer_len,
                     CodePage codepage)
    : path_(std::move(tool_sii_path)),
      section_(std::move(section)),
      buffer_len_(buffer_len),
      codepage_(std::move(codepage)) {}

std::string Catalogue::text(const std::string& key) const {
    return read(section_, key);
}

std::string Catalogue::read(const std::string& section, const std::string& key,
                            const std::string& default_value) const {
    return profile::get_string(path_, section, key, default_value, buffer_len_, codepage_);
}

Catalogue Catalogue::with_section(std::string section, std::size_t buffer_len) const {
    return Catalogue(path_, std::move(section), buffer_len, codepage_);
}

std::string Catalogue::message_text(const std::string& key,
                                    const std::optional<std::string>& second) const {
    std::string text = this->text(key);
    if (second)
        text += "\r\n" + this->text(*second);
    return text;
}

void Catalogue::show(Prompter& prompter, const std::string& key,
                     const std::optional<std::string>& second) const {
    prompter.message(message_text(key, second), text("MsgErr"));
}

void Catalogue::show_filled(Prompter& prompter, const std::string& key,
                            const std::vector<std::string>& arguments) const {
    const std::string pattern = text(key);
    std::string message;
    // One pass, so that an argument holding "%1" is shown as it is.
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t n = i + 1 < pattern.size()
                                  ? static_cast<std::size_t>(pattern[i + 1] - '1')
                                  : arguments.size();
        if (pattern[i] == '%' && n < arguments.size() && n < 9) {
            message += arguments[n];
            ++i;
        } else {
            message += pattern[i];
        }
    }
    prompter.message(message, text("MsgErr"));
}

}  // namespace korva
