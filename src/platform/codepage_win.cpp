// SPDX-License-Identifier: MIT
// Conversion between the program's UTF-8 and the "ANSI code page" of the files through the
// Windows API, by code page number. The results match the iconv side: a character the code page
// lacks becomes one '?', never a look-alike, and a byte sequence that does not decode becomes one
// U+FFFD, never a control character.
#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/error.h"

namespace korva {

namespace {

constexpr unsigned kUtf8 = 65001;
constexpr char kReplacement[] = "\xEF\xBF\xBD";

int checked_length(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX))
        throw PlatformError("The text is too long to convert", std::to_string(size) + " bytes");
    return static_cast<int>(size);
}

std::wstring widened(UINT code_page, DWORD flags, std::string_view text) {
    if (text.empty())
        return {};
    const int length = checked_length(text.size());
    const int size = ::MultiByteToWideChar(code_page, flags, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(code_page, flags, text.data(), length, out.data(), size);
    return out;
}

// The bytes of the text in the code page, and whether some character had none.
struct Narrowed {
    std::string bytes;
    bool lossy = false;
};

// These code pages take neither flags nor a default character.
bool takes_no_flags(UINT code_page) {
    return code_page == 42 || (code_page >= 50220 && code_page <= 50229) ||
           (code_page >= 57002 && code_page <= 57011) || code_page == 65000 || code_page == 65001 ||
           code_page == 54936;
}

Narrowed narrowed(UINT code_page, std::wstring_view text) {
    Narrowed out;
    if (text.empty())
        return out;
    const int length = checked_length(text.size());
    const bool plain = takes_no_flags(code_page);
    // No best fit: "é" must not quietly become "e" in a code page without it.
    const DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = plain ? nullptr : "?";
    BOOL used_fallback = FALSE;
    BOOL* used = plain ? nullptr : &used_fallback;
    const int size =
        ::WideCharToMultiByte(code_page, flags, text.data(), length, nullptr, 0, fallback, used);
    out.bytes.resize(static_cast<std::size_t>(size));
    if (size > 0)
        ::WideCharToMultiByte(code_page, flags, text.data(), length, out.bytes.data(), size,
                              fallback, used);
    out.lossy = size == 0 || used_fallback;
    return out;
}

// A well-formed UTF-8 text into the code page, one '?' for each character it lacks.
void append_encoded(UINT code_page, std::string_view utf8, std::string& out) {
    const Narrowed whole = narrowed(code_page, utf8_to_utf16(utf8));
    if (!whole.lossy) {
        out += whole.bytes;
        return;
    }
    // Character by character, so that one missing character costs exactly one '?' whatever
    // its number of UTF-16 units.
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = utf8_sequence_length(utf8, pos);
        const Narrowed one = narrowed(code_page, utf8_to_utf16(utf8.substr(pos, length)));
        out += one.lossy ? std::string("?") : one.bytes;
        pos += length;
    }
}

// Code pages that give bytes 0x80 to 0x9F their C1 control characters.
bool has_c1_controls(UINT code_page) {
    return code_page >= 28591 && code_page <= 28605;
}

// Windows hands out C1 controls for the byte values the Windows code pages leave undefined, and
// in code page 932 private-use characters for 0xA0 and 0xFD to 0xFF; iconv refuses them all.
bool is_undefined_mapping(UINT code_page, wchar_t c) {
    if (c >= 0x80 && c <= 0x9F)
        return !has_c1_controls(code_page);
    return code_page == 932 && c >= 0xF8F0 && c <= 0xF8F3;
}

// The decoded characters, or nothing when the bytes hold one the code page leaves undefined.
std::optional<std::wstring> decoded(UINT code_page, std::string_view ansi) {
    const DWORD flags = takes_no_flags(code_page) ? 0 : MB_ERR_INVALID_CHARS;
    std::wstring text = widened(code_page, flags, ansi);
    if (text.empty() && !ansi.empty())
        return std::nullopt;
    for (wchar_t c : text) {
        if (is_undefined_mapping(code_page, c))
            return std::nullopt;
    }
    return text;
}

std::string valid_utf8(std::string_view text, const char* replacement) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8_sequence_length(text, pos);
        if (length == 0) {
            out += replacement;
            ++pos;
        } else {
            out.append(text, pos, length);
            pos += length;
        }
    }
    return out;
}

}  // namespace

std::wstring utf8_to_utf16(std::string_view utf8) {
    return widened(CP_UTF8, 0, utf8);
}

std::string utf16_to_utf8(std::wstring_view utf16) {
    return narrowed(CP_UTF8, utf16).bytes;
}

CodePage CodePage::system() {
    return CodePage("CP" + std::to_string(::GetACP()));
}

// The Windows programs that read the package run on this machine's kind of system, and read
// nothing but its ANSI code page.
CodePage CodePage::for_language(const std::string&) {
    return system();
}

void CodePage::check_convertible() const {
    if (number_ == 0 || !::IsValidCodePage(number_))
        throw PlatformError("Unknown code page", name_);
}

std::string CodePage::to_ansi(std::string_view utf8) const {
    if (number_ == kUtf8)
        return valid_utf8(utf8, "?");
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t end = pos;
        while (const std::size_t length = utf8_sequence_length(utf8, end))
            end += length;
        append_encoded(number_, utf8.substr(pos, end - pos), out);
        // One stray byte of broken UTF-8.
        if (end < utf8.size()) {
            out += '?';
            ++end;
        }
        pos = end;
    }
    return out;
}

std::string CodePage::from_ansi(std::string_view ansi) const {
    if (number_ == kUtf8)
        return valid_utf8(ansi, kReplacement);
    if (const auto whole = decoded(number_, ansi))
        return utf16_to_utf8(*whole);
    // Character by character: an unmapped double-byte pair is one character; anything else
    // loses one byte, so a following line end or ASCII byte survives.
    std::string out;
    out.reserve(ansi.size());
    for (std::size_t pos = 0; pos < ansi.size();) {
        const std::size_t length = char_length(ansi, pos);
        if (const auto one = decoded(number_, ansi.substr(pos, length))) {
            out += utf16_to_utf8(*one);
        } else {
            out += kReplacement;
        }
        pos += length;
    }
    return out;
}

}  // namespace korva
