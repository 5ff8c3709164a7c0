// SPDX-License-Identifier: MIT
// Texts inside the program are UTF-8; files that Windows would write in the "ANSI code page"
// (catalogue, package INI files, Config.ini, scripts, Setup.sii) are converted at the boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korva {

// Byte length of the well-formed UTF-8 sequence at pos; 0 when the bytes there start none
// (overlong forms, surrogates and values above U+10FFFF included) or pos is past the end.
std::size_t utf8_sequence_length(std::string_view text, std::size_t pos);

#ifdef _WIN32
// The UTF-16 of the Windows API. Broken sequences on either side become U+FFFD.
std::wstring utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::wstring_view utf16);
#endif

class CodePage {
  public:
    // The code page of the running system: KORVA_CODEPAGE, else the locale's character set when it
    // is not plain ASCII, else UTF-8. On Windows the system ANSI code page, named "CP" and its
    // number.
    static CodePage system();
    // A character set name as iconv spells it ("CP932", "windows-1252", "SHIFT_JIS", "UTF-8").
    // Throws PlatformError when the system cannot convert it: iconv does not know the name, or on
    // Windows it names no installed code page.
    explicit CodePage(std::string iconv_name);
    // The code page that the Windows machines a package in this language (an id such as "0x0011")
    // is made for read their files in. On Windows the system's own; elsewhere KORVA_CODEPAGE when
    // set to other than UTF-8, else the language's ANSI code page, Western (1252) for any
    // language not East Asian.
    static CodePage for_language(const std::string& language_id);

    const std::string& name() const { return name_; }
    // The Windows code page number, 0 when the name stands for none.
    unsigned number() const { return number_; }

    // True when every character of the text has bytes of its own in this code page and comes back
    // from them unchanged: no '?' and no look-alike stands in for it.
    bool can_hold(std::string_view utf8) const;
    // The text in this code page; throws PlatformError rather than lose a character.
    std::string to_ansi_exact(std::string_view utf8) const;

    // Lossy only for characters the code page cannot hold; those become '?'.
    std::string to_ansi(std::string_view utf8) const;
    // Bytes that do not decode are kept as U+FFFD so that nothing aborts on a binary file.
    std::string from_ansi(std::string_view ansi) const;

    // Byte length of the text in this code page (a double-byte character counts 2).
    std::size_t ansi_length(std::string_view utf8) const;

    // Number of bytes (at most max_bytes) of the ANSI text that end on a character boundary, so a
    // cut never leaves half a double-byte character.
    std::size_t boundary_at_most(std::string_view ansi, std::size_t max_bytes) const;

    // Lead byte of a double-byte character in this code page (false for single-byte code pages).
    bool is_lead_byte(unsigned char byte) const;

    // Byte length of the character that starts at pos (1 for a single byte, and for a lead byte
    // without a valid trail, so a walk always moves on); 0 when pos is at or past the end.
    std::size_t char_length(std::string_view ansi, std::size_t pos) const;

    // The text with its letters lowered character by character, for matching names without
    // regard to case: ASCII letters always, Latin letters in Western single-byte code pages. Trail
    // bytes of double-byte characters are never touched (in code page 932 they include A-Z).
    std::string fold_case(std::string_view ansi) const;

  private:
    bool multi_byte() const;
    // Throws PlatformError when this system cannot convert the code page.
    void check_convertible() const;

    std::string name_;
    // The Windows code page the name stands for, 0 when it has none. The conversions on Windows
    // work by this number; iconv works by the name and knows many more.
    unsigned number_ = 0;
    // 0 single byte, 932, 936/949/950 lead ranges, 65001 for UTF-8; also 54936 (GB18030),
    // 20932 (EUC-JP), and 1252/28591 for single-byte Western code pages (case folding only).
    int dbcs_kind_ = 0;
};

}  // namespace korva
