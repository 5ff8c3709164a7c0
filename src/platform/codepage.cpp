// SPDX-License-Identifier: MIT
// What code pages are, the same on every system: which names stand for which code page, where
// their characters begin and end, and how their letters fold. The conversions themselves live in
// codepage_posix.cpp (iconv) and codepage_win.cpp (the Windows API).
#include "platform/codepage.h"

#include <charconv>
#include <initializer_list>
#include <string>
#include <utility>

#include "platform/error.h"

namespace korva {

namespace {

constexpr int kSingleByte = 0;
constexpr int kJapanese = 932;
constexpr int kChinese = 936;
constexpr int kKorean = 949;
constexpr int kTaiwanese = 950;
constexpr int kGb18030 = 54936;
constexpr int kEucJp = 20932;
constexpr int kUtf8 = 65001;
constexpr int kWestern1252 = 1252;
constexpr int kLatin1 = 28591;

// Upper case, without '-', '_' and any "//" suffix, so that the many spellings iconv accepts for
// one character set compare equal.
std::string canonical_name(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == '/')
            break;
        if (c == '-' || c == '_')
            continue;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        out += c;
    }
    return out;
}

// Spellings of a character set that do not carry its code page number.
struct Alias {
    const char* name;
    unsigned number;
};
constexpr Alias kAliases[] = {
    {"WINDOWS31J", 932},
    {"SHIFTJIS", 932},
    {"SJIS", 932},
    {"MSKANJI", 932},
    {"CSSHIFTJIS", 932},
    {"IBM943", 932},
    // The Windows code pages are supersets of these, and read every file written in them.
    {"GBK", 936},
    {"GB2312", 936},
    {"EUCCN", 936},
    {"CSGB2312", 936},
    {"UHC", 949},
    {"EUCKR", 949},
    {"CSEUCKR", 949},
    {"BIG5", 950},
    {"BIGFIVE", 950},
    {"CSBIG5", 950},
    {"BIG5HKSCS", 950},
    {"GB18030", 54936},
    {"EUCJP", 20932},
    {"EUCJPMS", 20932},
    {"CSEUCPKDFMTJAPANESE", 20932},
    {"UTF8", 65001},
    {"LATIN1", 28591},
    {"L1", 28591},
    {"CP819", 28591},
    {"IBM819", 28591},
    {"LATIN9", 28605},
    {"ASCII", 20127},
    {"USASCII", 20127},
    {"ANSIX3.41968", 20127},
    {"ANSIX3.41986", 20127},
};

// The number after a prefix ("CP932", "WINDOWS1252", "1252"), 0 when the rest is no number.
unsigned number_after(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    unsigned number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last && number <= 65535 ? number : 0;
}

unsigned iso_8859_number(std::string_view name) {
    const unsigned part = number_after(name, "ISO8859");
    if (part >= 1 && part <= 9)
        return 28590 + part;
    if (part == 13 || part == 15)
        return 28590 + part - 2;
    return 0;
}

unsigned number_of(std::string_view iconv_name) {
    const std::string name = canonical_name(iconv_name);
    for (const Alias& alias : kAliases) {
        if (name == alias.name)
            return alias.number;
    }
    for (const std::string_view prefix : {"CP", "MS", "WINDOWS", "IBM", ""}) {
        if (const unsigned number = number_after(name, prefix); number != 0)
            return number;
    }
    return iso_8859_number(name);
}

int kind_of(unsigned number) {
    switch (number) {
        case kJapanese:
        case kChinese:
        case kKorean:
        case kTaiwanese:
        case kGb18030:
        case kEucJp:
        case kUtf8:
        case kWestern1252:
        case kLatin1:
            return static_cast<int>(number);
        case 28605:  // ISO-8859-15 folds its letters as Latin-1 does
            return kLatin1;
        default:
            return kSingleByte;
    }
}

bool between(unsigned char b, unsigned lo, unsigned hi) {
    return b >= lo && b <= hi;
}

bool is_trail(int kind, unsigned char b) {
    switch (kind) {
        case kJapanese:
            return between(b, 0x40, 0x7E) || between(b, 0x80, 0xFC);
        case kChinese:
        case kGb18030:
            return between(b, 0x40, 0x7E) || between(b, 0x80, 0xFE);
        case kKorean:
            return between(b, 0x41, 0xFE);
        case kTaiwanese:
            return between(b, 0x40, 0x7E) || between(b, 0xA1, 0xFE);
        case kEucJp:
            return between(b, 0xA1, 0xFE);
        default:
            return false;
    }
}

}  // namespace

std::size_t utf8_sequence_length(std::string_view s, std::size_t pos) {
    if (pos >= s.size())
        return 0;
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80)
        return 1;
    std::size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (between(b0, 0xC2, 0xDF)) {
        len = 2;
    } else if (b0 == 0xE0) {
        len = 3, lo = 0xA0;
    } else if (between(b0, 0xE1, 0xEC) || between(b0, 0xEE, 0xEF)) {
        len = 3;
    } else if (b0 == 0xED) {
        len = 3, hi = 0x9F;
    } else if (b0 == 0xF0) {
        len = 4, lo = 0x90;
    } else if (between(b0, 0xF1, 0xF3)) {
        len = 4;
    } else if (b0 == 0xF4) {
        len = 4, hi = 0x8F;
    } else {
        return 0;
    }
    if (pos + len > s.size())
        return 0;
    if (!between(static_cast<unsigned char>(s[pos + 1]), lo, hi))
        return 0;
    for (std::size_t i = 2; i < len; ++i) {
        if (!between(static_cast<unsigned char>(s[pos + i]), 0x80, 0xBF))
            return 0;
    }
    return len;
}

CodePage::CodePage(std::string iconv_name)
    : name_(std::move(iconv_name)), number_(number_of(name_)), dbcs_kind_(kind_of(number_)) {
    // Fail here, with the name, rather than at the first file.
    check_convertible();
}

bool CodePage::can_hold(std::string_view utf8) const {
    return from_ansi(to_ansi(utf8)) == utf8;
}

std::string CodePage::to_ansi_exact(std::string_view utf8) const {
    std::string ansi = to_ansi(utf8);
    if (from_ansi(ansi) != utf8)
        throw PlatformError("A character has no place in the code page", name_);
    return ansi;
}

std::size_t CodePage::ansi_length(std::string_view utf8) const {
    return to_ansi(utf8).size();
}

bool CodePage::multi_byte() const {
    return dbcs_kind_ != kSingleByte && dbcs_kind_ != kWestern1252 && dbcs_kind_ != kLatin1;
}

bool CodePage::is_lead_byte(unsigned char byte) const {
    switch (dbcs_kind_) {
        case kJapanese:
            return between(byte, 0x81, 0x9F) || between(byte, 0xE0, 0xFC);
        case kChinese:
        case kKorean:
        case kTaiwanese:
        case kGb18030:
            return between(byte, 0x81, 0xFE);
        case kEucJp:
            return byte == 0x8E || byte == 0x8F || between(byte, 0xA1, 0xFE);
        case kUtf8:
            return between(byte, 0xC2, 0xF4);
        default:
            return false;
    }
}

std::size_t CodePage::char_length(std::string_view ansi, std::size_t pos) const {
    if (pos >= ansi.size())
        return 0;
    const auto b = static_cast<unsigned char>(ansi[pos]);
    if (!is_lead_byte(b))
        return 1;
    const std::size_t rest = ansi.size() - pos - 1;
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(ansi[pos + i]); };
    switch (dbcs_kind_) {
        case kUtf8: {
            const std::size_t len = utf8_sequence_length(ansi, pos);
            return len == 0 ? 1 : len;
        }
        case kGb18030:
            if (rest >= 3 && between(at(1), 0x30, 0x39) && between(at(2), 0x81, 0xFE) &&
                between(at(3), 0x30, 0x39)) {
                return 4;
            }
            break;
        case kEucJp:
            if (b == 0x8F)
                return rest >= 2 && is_trail(kEucJp, at(1)) && is_trail(kEucJp, at(2)) ? 3 : 1;
            break;
        default:
            break;
    }
    return rest >= 1 && is_trail(dbcs_kind_, at(1)) ? 2 : 1;
}

std::size_t CodePage::boundary_at_most(std::string_view ansi, std::size_t max_bytes) const {
    if (max_bytes >= ansi.size())
        return ansi.size();
    if (!multi_byte())
        return max_bytes;
    std::size_t pos = 0;
    while (pos < max_bytes) {
        const std::size_t len = char_length(ansi, pos);
        if (pos + len > max_bytes)
            break;
        pos += len;
    }
    return pos;
}

std::string CodePage::fold_case(std::string_view ansi) const {
    std::string out(ansi);
    std::size_t pos = 0;
    while (pos < out.size()) {
        const std::size_t len = char_length(out, pos);
        if (len == 1) {
            auto b = static_cast<unsigned char>(out[pos]);
            if (between(b, 'A', 'Z')) {
                b = static_cast<unsigned char>(b + 0x20);
            } else if ((dbcs_kind_ == kWestern1252 || dbcs_kind_ == kLatin1) &&
                       between(b, 0xC0, 0xDE) && b != 0xD7) {
                b = static_cast<unsigned char>(b + 0x20);
            } else if (dbcs_kind_ == kWestern1252) {
                // Š Œ Ž Ÿ sit below 0xC0 in 1252.
                if (b == 0x8A || b == 0x8C || b == 0x8E)
                    b = static_cast<unsigned char>(b + 0x10);
                if (b == 0x9F)
                    b = 0xFF;
            }
            out[pos] = static_cast<char>(b);
        }
        pos += len;
    }
    return out;
}

}  // namespace korva
