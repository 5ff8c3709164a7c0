// SPDX-License-Identifier: MIT
// Catalogue lookups go through the profile reader with the window's buffer length, so a text is
// cut exactly where the fixed buffers of the windows cut it. The file is read once: a window makes
// hundreds of lookups, and a batch of jobs thousands.
#include "catalogue/catalogue.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>

#include "platform/error.h"
#include "platform/path.h"
#include "platform/profile.h"

namespace korva {

namespace {

enum class FileState { ok, missing, unreadable };

std::filesystem::path native_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// As the profile reader counts them: only a path that is not there is missing; a folder, a file
// without permission or a failed read is a catalogue that could not be read.
FileState read_whole_file(const std::string& path, std::string& bytes) {
    bytes.clear();
    if (path.empty())
        return FileState::missing;
    std::error_code ec;
    const std::filesystem::path native = native_path(path);
    const auto status = std::filesystem::status(native, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return FileState::missing;
    if (ec || status.type() != std::filesystem::file_type::regular)
        return FileState::unreadable;
    std::ifstream in(native, std::ios::binary);
    if (!in)
        return FileState::unreadable;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return in.bad() ? FileState::unreadable : FileState::ok;
}

}  // namespace

struct Catalogue::File {
    File(std::string file_path, std::optional<CodePage> given_codepage)
        : path(std::move(file_path)), codepage(std::move(given_codepage)) {}

    // The first lookup of any copy reads the file; the others wait for it and then only read.
    const File& loaded() {
        std::call_once(once, [this] {
            state = read_whole_file(path, bytes);
            if (!codepage)
                codepage = catalogue_codepage_of(bytes);
        });
        return *this;
    }

    const std::string path;
    std::optional<CodePage> codepage;
    std::once_flag once;
    FileState state = FileState::missing;
    std::string bytes;
};

std::string ToolSii_Path_for(const std::string& executable_folder) {
    return with_trailing_sep(executable_folder) + "Tool.sii";
}

namespace {

LanguageChoice language_of(const Catalogue& setup, const std::string& selector) {
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

}  // namespace

LanguageChoice choose_language(const std::string& tool_sii_path) {
    return choose_language(Catalogue(tool_sii_path, "Setup", kMainBuffer));
}

LanguageChoice choose_language(const Catalogue& catalogue) {
    const Catalogue setup = catalogue.with_section("Setup", kMainBuffer);
    return language_of(setup, setup.read("Languages", "Default"));
}

LanguageChoice choose_language(const std::string& tool_sii_path, const std::string& selector) {
    return language_of(Catalogue(tool_sii_path, "Setup", kMainBuffer), selector);
}

CodePage catalogue_codepage(const std::string& tool_sii_path) {
    std::string bytes;
    read_whole_file(tool_sii_path, bytes);
    return catalogue_codepage_of(bytes);
}

CodePage catalogue_codepage_of(const std::string& bytes) {
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
    : file_(std::make_shared<File>(tool_sii_path, std::nullopt)),
      path_(std::move(tool_sii_path)),
      section_(std::move(section)),
      buffer_len_(buffer_len) {}

Catalogue::Catalogue(std::string tool_sii_path, std::string section, std::size_t buffer_len,
                     CodePage codepage)
    : file_(std::make_shared<File>(tool_sii_path, std::move(codepage))),
      path_(std::move(tool_sii_path)),
      section_(std::move(section)),
      buffer_len_(buffer_len) {}

std::string Catalogue::text(const std::string& key) const {
    return read(section_, key);
}

std::string Catalogue::read(const std::string& section, const std::string& key,
                            const std::string& default_value) const {
    const File& file = file_->loaded();
    const CodePage& cp = *file.codepage;
    return cp.from_ansi(profile::get_string_bytes(file.bytes, cp.to_ansi(section), cp.to_ansi(key),
                                                  cp.to_ansi(default_value), buffer_len_, cp));
}

void Catalogue::require_readable() const {
    if (file_->loaded().state == FileState::unreadable)
        throw PlatformError("Cannot read the catalogue", path_);
}

std::string Catalogue::setting(const std::string& section, const std::string& key,
                               const std::string& default_value) const {
    require_readable();
    return read(section, key, default_value);
}

Catalogue Catalogue::with_section(std::string section, std::size_t buffer_len) const {
    Catalogue copy = *this;
    copy.section_ = std::move(section);
    copy.buffer_len_ = buffer_len;
    return copy;
}

std::string Catalogue::message_text(const std::string& key,
                                    const std::optional<std::string>& second) const {
    std::string text = this->text(key);
    if (second)
        text += "\r\n" + this->text(*second);
    return text;
}

std::string Catalogue::filled_text(const std::string& key,
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
    return message;
}

}  // namespace korva
