// SPDX-License-Identifier: MIT
// The language catalogue Tool.sii: the texts of one window's language section, read through that
// window's fixed buffer.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace korva {

inline constexpr std::size_t kMainBuffer = 1000;
inline constexpr std::size_t kDialogBuffer = 500;
inline constexpr const char* kDesignTitle = "Korva Install Assistantツール Ver.1.30";

// ToolSii_Path: the executable's folder text followed by the catalogue name.
std::string ToolSii_Path_for(const std::string& executable_folder);

class Catalogue;

struct LanguageChoice {
    std::string LangSelect;
    std::string title;  // window title including the blank and the version
};

// Chooses the language section from [Languages] Default and forms the main window title.
LanguageChoice choose_language(const std::string& tool_sii_path);
// The same from a catalogue already read, whatever its section, so start-up reads the file once.
LanguageChoice choose_language(const Catalogue& catalogue);
// The same for a selector given instead of [Languages] Default ("0x0011", "0x0009" or a section).
LanguageChoice choose_language(const std::string& tool_sii_path, const std::string& selector);

// The catalogue's own encoding: UTF-8 when the whole file is valid UTF-8 (as shipped), else the
// ANSI code page (catalogues kept on Windows machines), so one file serves every code page.
CodePage catalogue_codepage(const std::string& tool_sii_path);
CodePage catalogue_codepage_of(const std::string& file_bytes);

// The code page of package files made by a window that has no package language: that of the
// catalogue's own language ([Languages] Default).
CodePage language_codepage(const Catalogue& catalogue);

// The file is read once, at the first lookup, and every lookup after it is served from those bytes
// with the rules of the profile reader. Copies made by with_section() share the bytes, which never
// change once read, so catalogues may be used from several threads at once.
class Catalogue {
  public:
    Catalogue(std::string tool_sii_path, std::string section, std::size_t buffer_len);
    Catalogue(std::string tool_sii_path, std::string section, std::size_t buffer_len,
              CodePage codepage);

    const std::string& path() const { return path_; }
    const std::string& section() const { return section_; }
    std::size_t buffer_len() const { return buffer_len_; }

    // Text of a key of this window's language section.
    std::string text(const std::string& key) const;
    // Text of a key of a fixed section (Setup, LanguagesSub, Subfolder, ...).
    std::string read(const std::string& section, const std::string& key,
                     const std::string& default_value = "") const;
    // The same for a setting a generator builds a package from: a catalogue that exists but could
    // not be read throws PlatformError instead of handing out the default, so the package is not
    // built from values nobody chose. A missing file, section or key still gives the default.
    std::string setting(const std::string& section, const std::string& key,
                        const std::string& default_value = "") const;
    // Throws PlatformError as setting() does.
    void require_readable() const;

    // The same catalogue seen by a window with another section or buffer.
    Catalogue with_section(std::string section, std::size_t buffer_len) const;

    // Message box text of one key, or two keys joined by CR LF.
    std::string message_text(const std::string& key,
                             const std::optional<std::string>& second = std::nullopt) const;
    // The text of one key whose "%1", "%2", ... stand for the arguments in turn.
    std::string filled_text(const std::string& key,
                            const std::vector<std::string>& arguments) const;

  private:
    struct File;

    std::shared_ptr<File> file_;
    std::string path_;
    std::string section_;
    std::size_t buffer_len_;
};

}  // namespace korva
