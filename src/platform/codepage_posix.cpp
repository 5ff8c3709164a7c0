// SPDX-License-Identifier: MIT
// Conversion between the program's UTF-8 and the "ANSI code page" of the files through the C
// library's iconv, and the system's code page from the locale.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/error.h"

namespace korva {

namespace {

constexpr unsigned kJapanese = 932;
constexpr unsigned kUtf8 = 65001;
constexpr unsigned kAscii = 20127;

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
    if (codeset.empty())
        return CodePage("UTF-8");
    CodePage named(codeset);
    // Plain ASCII cannot hold the texts; the program's own UTF-8 can.
    if (named.number_ == kAscii)
        return CodePage("UTF-8");
    // Windows' Japanese code page is 932; iconv's SHIFT_JIS rejects characters it holds.
    if (named.number_ == kJapanese)
        return CodePage("CP932");
    return named;
}

CodePage CodePage::for_language(const std::string& language_id) {
    // No Windows program reads a package file in UTF-8, whatever the environment says.
    if (const char* env = std::getenv("KORVA_CODEPAGE"); env != nullptr && *env != '\0') {
        if (CodePage chosen(env); chosen.number_ != kUtf8)
            return chosen;
    }
    static constexpr std::pair<const char*, const char*> kEastAsian[] = {
        {"0x0011", "CP932"}, {"0x0804", "CP936"}, {"0x0404", "CP950"}, {"0x0012", "CP949"}};
    for (const auto& [id, name] : kEastAsian) {
        if (language_id == id)
            return CodePage(name);
    }
    return CodePage("CP1252");
}

void CodePage::check_convertible() const {
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
        std::size_t skip = number_ == kUtf8 ? 1 : char_length(ansi, pos);
        if (skip == 0)
            skip = 1;
        in += skip;
        left -= skip;
        if (left == 0)
            break;
    }
    return out;
}

}  // namespace korva
