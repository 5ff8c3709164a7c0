// SPDX-License-Identifier: MIT
// Conversion between the program's UTF-8 and the "ANSI code page" of the files, through the C
// library's iconv, plus the character walking that byte limits and name matching need.
#include "platform/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

int kind_of(std::string_view iconv_name) {
    const std::string n = canonical_name(iconv_name);
    auto any = [&n](std::initializer_list<const char*> names) {
        for (const char* candidate : names) {
            if (n == candidate)
                return true;
        }
        return false;
    };
    if (any({"CP932", "MS932", "WINDOWS31J", "SHIFTJIS", "SJIS", "MSKANJI", "CSSHIFTJIS", "IBM943",
             "932"})) {
        return kJapanese;
    }
    if (any({"CP936", "MS936", "WINDOWS936", "GBK", "GB2312", "EUCCN", "CSGB2312", "936"})) {
        return kChinese;
    }
    if (any({"GB18030"}))
        return kGb18030;
    if (any({"CP949", "MS949", "UHC", "EUCKR", "CSEUCKR", "949"}))
        return kKorean;
    if (any({"CP950", "MS950", "BIG5", "BIGFIVE", "CSBIG5", "BIG5HKSCS", "950"})) {
        return kTaiwanese;
    }
    if (any({"EUCJP", "EUCJPMS", "CSEUCPKDFMTJAPANESE"}))
        return kEucJp;
    if (any({"UTF8", "CP65001", "65001"}))
        return kUtf8;
    if (any({"CP1252", "MS1252", "WINDOWS1252", "1252"}))
        return kWestern1252;
    if (any({"ISO88591", "ISO885915", "LATIN1", "LATIN9", "L1", "CP819", "IBM819"})) {
        return kLatin1;
    }
    return kSingleByte;
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

// Length of a well-formed UTF-8 sequence at pos, or 0 when the bytes there do not form one
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t utf8_sequence_length(std::string_view s, std::size_t pos) {
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

// One open conversion per direction and code page and thread: opening a descriptor loads the
// converter, and a catalogue lookup converts a few short texts each time.
class Converter {
  public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    enum class Stop { done, invalid, incomplete };

    // Converts as much as possible, appending to out; stops at the first byte sequence that
    // cannot be converted and leaves in/in_left there.
    Stop run(const char*& in, std::size_t& in_left, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        while (in_left > 0) {
            char* out_ptr = buffer;
            std::size_t out_left = sizeof buffer;
            char* in_ptr = const_cast<char*>(in);
            const std::size_t rc = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
            const int err = errno;
            in = in_ptr;
            out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
            if (rc != static_cast<std::size_t>(-1) || err == E2BIG)
                continue;
            return err == EINVAL ? Stop::incomplete : Stop::invalid;
        }
        // Stateful code pages end with a shift back to their initial state.
        char* out_ptr = buffer;
        std::size_t out_left = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &out_ptr, &out_left);
        out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
        return Stop::done;
    }

  private:
    iconv_t cd_;
};

struct ConverterCache {
    struct Entry {
        std::string to;
        std::string from;
        std::unique_ptr<Converter> converter;
    };
    std::vector<Entry> entries;

    Converter* get(const std::string& to, const std::string& from) {
        for (auto& e : entries) {
            if (e.to == to && e.from == from)
                return e.converter.get();
        }
        auto converter = std::make_unique<Converter>(to, from);
        if (!converter->ok())
            return nullptr;
        entries.push_back({to, from, std::move(converter)});
        return entries.back().converter.get();
    }
};

Converter& converter(const std::string& to, const std::string& from) {
    thread_local ConverterCache cache;
    Converter* c = cache.get(to, from);
    if (c == nullptr) {
        throw PlatformError("Unknown code page", to == "UTF-8" ? from : to);
    }
    return *c;
}

bool is_plain_ascii_codeset(std::string_view codeset) {
    const std::string n = canonical_name(codeset);
    return n.empty() || n == "ANSIX3.41968" || n == "ASCII" || n == "USASCII" ||
           n == "ANSIX3.41986";
}

}  // namespace

CodePage CodePage::system() {
    if (const char* env = std::getenv("KORVA_CODEPAGE"); env != nullptr && *env != '\0') {
        return CodePage(env);
    }
    // A private locale object gives the same character set as setlocale(LC_ALL, "") followed by
    // nl_langinfo, without changing the process-wide locale under the rest of the program.
    std::string codeset;
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        loc != static_cast<locale_t>(0)) {
        if (const char* cs = nl_langinfo_l(CODESET, loc); cs != nullptr)
            codeset = cs;
        freelocale(loc);
    }
    if (is_plain_ascii_codeset(codeset))
        return CodePage("UTF-8");
    // Windows' Japanese code page is 932; iconv's SHIFT_JIS rejects characters it holds.
    if (kind_of(codeset) == kJapanese)
        return CodePage("CP932");
    return CodePage(codeset);
}

CodePage::CodePage(std::string iconv_name)
    : name_(std::move(iconv_name)), dbcs_kind_(kind_of(name_)) {
    // Fail here, with the name, rather than at the first file.
    converter(name_, "UTF-8");
    converter("UTF-8", name_);
}

std::string CodePage::to_ansi(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    Converter& conv = converter(name_, "UTF-8");
    const char* in = utf8.data();
    std::size_t left = utf8.size();
    while (true) {
        const auto stop = conv.run(in, left, out);
        if (stop == Converter::Stop::done)
            break;
        // A whole character the code page lacks, or one stray byte of broken UTF-8.
        const std::size_t pos = utf8.size() - left;
        std::size_t skip = utf8_sequence_length(utf8, pos);
        if (skip == 0)
            skip = 1;
        out += '?';
        in += skip;
        left -= skip;
        if (left == 0)
            break;
    }
    return out;
}

std::string CodePage::from_ansi(std::string_view ansi) const {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(ansi.size());
    Converter& conv = converter("UTF-8", name_);
    const char* in = ansi.data();
    std::size_t left = ansi.size();
    while (true) {
        const auto stop = conv.run(in, left, out);
        if (stop == Converter::Stop::done)
            break;
        out += kReplacement;
        if (stop == Converter::Stop::incomplete)
            break;
        // An unmapped double-byte pair is one character; anything else loses one byte, so a
        // following line end or ASCII byte survives.
        const std::size_t pos = ansi.size() - left;
        std::size_t skip = dbcs_kind_ == kUtf8 ? 1 : char_length(ansi, pos);
        if (skip == 0)
            skip = 1;
        in += skip;
        left -= skip;
        if (left == 0)
            break;
    }
    return out;
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
