// SPDX-License-Identifier: MIT
// Decoding side of the encoded script format, transcribed from the decoding-direction data so
// that it does not share a table with the encoder it checks.
#include "script_decoder.h"

#include <array>
#include <stdexcept>

namespace korva {

namespace {

// Table used at each position of the ASCII characters, repeating after 64.
constexpr std::array<int, 64> kPick = {
    0, 1, 2, 0, 1, 2, 1, 2, 2, 1, 2, 1, 0, 2, 1, 2,  //
    0, 2, 1, 2, 0, 0, 1, 2, 2, 1, 0, 2, 1, 2, 2, 1,  //
    0, 0, 2, 1, 2, 1, 2, 0, 2, 0, 0, 1, 2, 0, 2, 1,  //
    0, 2, 1, 2, 0, 0, 1, 2, 2, 0, 0, 1, 2, 0, 2, 1,  //
};

// Coded character, then the plain character it stands for under table 0, 1 and 2.
constexpr unsigned char kDecodeRows[][4] = {
    {0x09, 0x57, 0x6E, 0x7B}, {0x20, 0x2E, 0x2D, 0x32}, {0x21, 0x47, 0x75, 0x30},
    {0x22, 0x7A, 0x52, 0x21}, {0x23, 0x56, 0x60, 0x29}, {0x24, 0x42, 0x71, 0x5B},
    {0x25, 0x6A, 0x5E, 0x38}, {0x26, 0x2F, 0x49, 0x33}, {0x27, 0x26, 0x5C, 0x3D},
    {0x28, 0x49, 0x62, 0x58}, {0x29, 0x41, 0x7D, 0x3A}, {0x2A, 0x34, 0x29, 0x35},
    {0x2B, 0x32, 0x36, 0x65}, {0x2C, 0x5B, 0x20, 0x39}, {0x2D, 0x76, 0x7C, 0x5C},
    {0x2E, 0x72, 0x7A, 0x56}, {0x2F, 0x43, 0x7F, 0x73}, {0x30, 0x38, 0x6B, 0x66},
    {0x31, 0x39, 0x63, 0x4E}, {0x32, 0x70, 0x33, 0x45}, {0x33, 0x45, 0x2B, 0x6B},
    {0x34, 0x68, 0x68, 0x62}, {0x35, 0x71, 0x51, 0x59}, {0x36, 0x4F, 0x66, 0x78},
    {0x37, 0x09, 0x76, 0x5E}, {0x38, 0x62, 0x31, 0x7D}, {0x39, 0x44, 0x64, 0x4A},
    {0x3A, 0x23, 0x54, 0x6D}, {0x3B, 0x75, 0x43, 0x71}, {0x3D, 0x7E, 0x3A, 0x60},
    {0x3F, 0x5E, 0x7E, 0x53}, {0x41, 0x77, 0x45, 0x42}, {0x42, 0x4A, 0x2C, 0x27},
    {0x43, 0x61, 0x2A, 0x48}, {0x44, 0x5D, 0x74, 0x72}, {0x45, 0x22, 0x27, 0x75},
    {0x46, 0x4B, 0x37, 0x31}, {0x47, 0x6F, 0x44, 0x37}, {0x48, 0x4E, 0x79, 0x4D},
    {0x49, 0x3B, 0x59, 0x52}, {0x4A, 0x4C, 0x2F, 0x22}, {0x4B, 0x50, 0x6F, 0x54},
    {0x4C, 0x67, 0x26, 0x6A}, {0x4D, 0x2A, 0x72, 0x47}, {0x4E, 0x7D, 0x6A, 0x64},
    {0x4F, 0x74, 0x39, 0x2D}, {0x50, 0x54, 0x7B, 0x20}, {0x51, 0x2B, 0x3F, 0x7F},
    {0x52, 0x2D, 0x38, 0x2E}, {0x53, 0x2C, 0x77, 0x4C}, {0x54, 0x30, 0x67, 0x5D},
    {0x55, 0x6E, 0x53, 0x7E}, {0x56, 0x6B, 0x47, 0x6C}, {0x57, 0x66, 0x34, 0x6F},
    {0x58, 0x35, 0x78, 0x79}, {0x59, 0x25, 0x5D, 0x74}, {0x5A, 0x21, 0x30, 0x43},
    {0x5B, 0x64, 0x23, 0x26}, {0x5C, 0x4D, 0x5A, 0x76}, {0x5D, 0x52, 0x5B, 0x25},
    {0x5E, 0x63, 0x6C, 0x24}, {0x5F, 0x3F, 0x48, 0x2B}, {0x60, 0x7B, 0x55, 0x28},
    {0x61, 0x78, 0x70, 0x23}, {0x62, 0x29, 0x69, 0x41}, {0x63, 0x28, 0x2E, 0x34},
    {0x64, 0x73, 0x4C, 0x09}, {0x65, 0x59, 0x21, 0x2A}, {0x66, 0x33, 0x24, 0x44},
    {0x67, 0x7F, 0x4E, 0x3F}, {0x68, 0x6D, 0x50, 0x77}, {0x69, 0x55, 0x09, 0x3B},
    {0x6A, 0x53, 0x56, 0x55}, {0x6B, 0x7C, 0x73, 0x69}, {0x6C, 0x3A, 0x35, 0x61},
    {0x6D, 0x5F, 0x61, 0x63}, {0x6E, 0x65, 0x4B, 0x50}, {0x6F, 0x46, 0x58, 0x67},
    {0x70, 0x58, 0x3B, 0x51}, {0x71, 0x31, 0x57, 0x49}, {0x72, 0x69, 0x22, 0x4F},
    {0x73, 0x6C, 0x6D, 0x46}, {0x74, 0x5A, 0x4D, 0x68}, {0x75, 0x48, 0x25, 0x7C},
    {0x76, 0x27, 0x28, 0x36}, {0x77, 0x5C, 0x46, 0x70}, {0x78, 0x3D, 0x4A, 0x6E},
    {0x79, 0x24, 0x32, 0x7A}, {0x7A, 0x79, 0x41, 0x2F}, {0x7B, 0x37, 0x3D, 0x5F},
    {0x7C, 0x60, 0x5F, 0x4B}, {0x7D, 0x51, 0x4F, 0x5A}, {0x7E, 0x20, 0x42, 0x2C},
    {0x7F, 0x36, 0x65, 0x57},
};

struct DecodeTables {
    std::array<std::array<unsigned char, 128>, 3> plain{};  // 0: not a coded character
};

const DecodeTables& decode_tables() {
    static const DecodeTables tables = [] {
        DecodeTables t;
        for (const auto& row : kDecodeRows) {
            for (int k = 0; k < 3; ++k)
                t.plain[k][row[0]] = row[k + 1];
        }
        return t;
    }();
    return tables;
}

[[noreturn]] void malformed(const std::string& what) {
    throw std::runtime_error("malformed encoded script: " + what);
}

int base64_value(char digit) {
    if (digit >= 'A' && digit <= 'Z')
        return digit - 'A';
    if (digit >= 'a' && digit <= 'z')
        return digit - 'a' + 26;
    if (digit >= '0' && digit <= '9')
        return digit - '0' + 52;
    if (digit == '+')
        return 62;
    if (digit == '/')
        return 63;
    malformed(std::string("bad base-64 digit '") + digit + "'");
}

// Six base-64 digits carry 36 bits: the four little-endian bytes, then four bits that must be 0.
std::uint32_t read_field(std::string_view field) {
    if (field.size() != 8 || field.substr(6) != "==")
        malformed("field without \"==\" padding");
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits = (bits << 6) | static_cast<std::uint64_t>(base64_value(field[i]));
    if ((bits & 0x0F) != 0)
        malformed("unused field bits set");
    bits >>= 4;
    const auto byte = [&](int index) {
        return static_cast<std::uint32_t>((bits >> (24 - 8 * index)) & 0xFF);
    };
    return byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24);
}

char unescape(char code) {
    switch (code) {
        case '#':
            return '\r';
        case '&':
            return '\n';
        case '!':
            return '<';
        case '*':
            return '>';
        case '$':
            return '@';
        default:
            malformed(std::string("unknown escape '@") + code + "'");
    }
}

}  // namespace

DecodedScript decode_script(std::string_view encoded, const CodePage& cp) {
    constexpr std::string_view kStart = "#@~^";
    constexpr std::string_view kEnd = "^#~@";
    if (encoded.size() < 24 || encoded.substr(0, 4) != kStart ||
        encoded.substr(encoded.size() - 4) != kEnd) {
        malformed("missing start or end marker");
    }

    DecodedScript result{};
    result.length_field = read_field(encoded.substr(4, 8));
    result.checksum_field = read_field(encoded.substr(encoded.size() - 12, 8));
    const std::string_view body = encoded.substr(12, encoded.size() - 24);

    const auto& tables = decode_tables();
    std::uint32_t characters = 0;
    std::uint32_t sum = 0;
    std::size_t ascii_position = 0;
    for (std::size_t i = 0; i < body.size(); ++characters) {
        const auto c = static_cast<unsigned char>(body[i]);
        if (c >= 0x80) {
            // One character of the code page, however many bytes it has; only the code page
            // knows where a double-byte character ends.
            const std::size_t width = cp.char_length(body, i);
            if (width == 1 && cp.is_lead_byte(c))
                malformed("lead byte without its trail byte");
            result.text.append(body.substr(i, width));
            i += width;
            continue;
        }

        unsigned char plain = 0;
        if (c == '@') {
            if (i + 1 >= body.size())
                malformed("'@' at the body's end");
            plain = static_cast<unsigned char>(unescape(body[i + 1]));
            ++characters;  // an escape is two characters of the body
            i += 2;
        } else if (c == '\r' || c == '\n' || c == '<' || c == '>') {
            malformed("bare line break, '<' or '>' in the body");
        } else if (const unsigned char mapped = tables.plain[kPick[ascii_position % 64]][c]) {
            plain = mapped;
            ++i;
        } else {
            plain = c;  // a control character other than TAB
            ++i;
        }
        result.text += static_cast<char>(plain);
        sum += plain;
        ++ascii_position;
    }

    result.length_ok = characters == result.length_field;
    result.checksum_ok = sum == result.checksum_field;
    return result;
}

}  // namespace korva
