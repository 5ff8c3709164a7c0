// SPDX-License-Identifier: MIT
// The parts of the file layer that are the same on every system: Windows' wildcard rules and the
// shared instance. The system calls live in filesystem_posix.cpp and filesystem_win.cpp.
#include "platform/filesystem.h"

#include <string>
#include <utility>
#include <vector>

namespace korva {
namespace {

// ASCII letters folded, UTF-8 decoded so that '?' takes a whole character; a byte that does not
// decode stands for itself (shifted out of the Unicode range) so nothing is lost.
std::u32string fold(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        char32_t code = 0;
        bool valid = length != 0 && i + length <= text.size();
        if (valid) {
            code = length == 1 ? lead : lead & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                code = (code << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            out.push_back(0x110000 + lead);
            ++i;
            continue;
        }
        if (code >= 'A' && code <= 'Z')
            code += 'a' - 'A';
        out.push_back(code);
        i += length;
    }
    return out;
}

enum class Tok : unsigned char { Literal, Star, DosStar, DosQm, DosDot };

struct Token {
    Tok kind;
    char32_t ch;
};

// The rewrite Windows applies to a search pattern before matching: '?' may match nothing before
// a dot or at the end, a '*' before a dot cannot pass the name's last dot, and a dot before a
// wildcard or at the end may match the end of the name.
std::vector<Token> tokenize(const std::u32string& pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char32_t c = pattern[i];
        const char32_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        if (c == '*') {
            tokens.push_back({next == '.' ? Tok::DosStar : Tok::Star, c});
        } else if (c == '?') {
            tokens.push_back({Tok::DosQm, c});
        } else if (c == '.' && (next == '?' || next == '*' || next == 0)) {
            tokens.push_back({Tok::DosDot, c});
        } else {
            tokens.push_back({Tok::Literal, c});
        }
    }
    return tokens;
}

}  // namespace

bool wildcard_match(const std::string& pattern, const std::string& name) {
    const std::vector<Token> tokens = tokenize(fold(pattern));
    const std::u32string text = fold(name);
    const std::size_t last_dot = text.rfind(U'.');
    const std::size_t rows = tokens.size() + 1;
    const std::size_t cols = text.size() + 1;
    // memo[p * cols + n]: 0 unknown, 1 no match, 2 match of tokens[p..] against text[n..].
    std::vector<unsigned char> memo(rows * cols, 0);
    auto match = [&](auto&& self, std::size_t p, std::size_t n) -> bool {
        if (p == tokens.size())
            return n == text.size();
        unsigned char& known = memo[p * cols + n];
        if (known != 0)
            return known == 2;
        const bool at_end = n == text.size();
        bool result = false;
        switch (tokens[p].kind) {
            case Tok::Literal:
                result = !at_end && text[n] == tokens[p].ch && self(self, p + 1, n + 1);
                break;
            case Tok::Star:
                result = self(self, p + 1, n) || (!at_end && self(self, p, n + 1));
                break;
            case Tok::DosStar:
                result = self(self, p + 1, n) || (!at_end && n != last_dot && self(self, p, n + 1));
                break;
            case Tok::DosQm:
                result =
                    (at_end || text[n] == '.') ? self(self, p + 1, n) : self(self, p + 1, n + 1);
                break;
            case Tok::DosDot:
                result = at_end ? self(self, p + 1, n) : text[n] == '.' && self(self, p + 1, n + 1);
                break;
        }
        known = result ? 2 : 1;
        return result;
    };
    return match(match, 0, 0);
}

void RealFileSystem::set_copy_progress(CopyProgress progress) {
    progress_ = std::move(progress);
    bytes_done_ = 0;
}

FileSystem& real_file_system() {
    static RealFileSystem instance;
    return instance;
}

}  // namespace korva
