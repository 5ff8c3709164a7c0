// SPDX-License-Identifier: MIT
#include "cli/display_text.h"

#include <cstdio>

#include "platform/codepage.h"

namespace korva::cli {

namespace {

char32_t code_point(std::string_view sequence) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
    switch (sequence.size()) {
        case 1:
            return byte(0);
        case 2:
            return (byte(0) & 0x1Fu) << 6 | (byte(1) & 0x3Fu);
        case 3:
            return (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
        default:
            return (byte(0) & 0x07u) << 18 | (byte(1) & 0x3Fu) << 12 | (byte(2) & 0x3Fu) << 6 |
                   (byte(3) & 0x3Fu);
    }
}

bool acts_on_display(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFFFE ||
           c == 0xFFFF;
}

std::string escaped(char32_t c) {
    char text[12];
    if (c < 0x100)
        std::snprintf(text, sizeof text, "\\x%02x", static_cast<unsigned>(c));
    else
        std::snprintf(text, sizeof text, "\\u%04x", static_cast<unsigned>(c));
    return text;
}

}  // namespace

std::string display_text(std::string_view utf8, LineBreaks breaks) {
    std::string shown;
    shown.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = utf8_sequence_length(utf8, pos);
        if (length == 0) {
            shown += escaped(static_cast<unsigned char>(utf8[pos++]));
            continue;
        }
        const std::string_view sequence = utf8.substr(pos, length);
        pos += length;
        const char32_t c = code_point(sequence);
        const bool kept = breaks == LineBreaks::Keep && (c == '\n' || c == '\t');
        if (acts_on_display(c) && !kept)
            shown += escaped(c);
        else
            shown += sequence;
    }
    return shown;
}

}  // namespace korva::cli
