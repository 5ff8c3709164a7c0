// SPDX-License-Identifier: MIT
// The program's own script encoder, so launcher scripts can be encoded on platforms without the
// Windows encoder program.
#include "package/script_encoder.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <limits>

#include "platform/error.h"
#include "platform/filesystem.h"

namespace korva {

namespace {

constexpr std::string_view kStartMarker = "#@~^";
constexpr std::string_view kEndMarker = "^#~@";

// Which of the three tables substitutes the ASCII character at each position; the sequence
// repeats every 64 positions.
constexpr std::string_view kTableAtPosition =
    "0120121221210212"
    "0212001221021221"
    "0021212020012021"
    "0212001220012021";
static_assert(kTableAtPosition.size() == 64);

struct SubstitutionRow {
    unsigned char plain;
    std::array<unsigned char, 3> coded;  // under table 0, 1 and 2
};

// TAB and 0x20..0x7F without '<', '>' and '@': the characters that Windows Script Host maps
// through the tables. Each column is a permutation of these same 94 characters.
constexpr SubstitutionRow kRows[] = {
    {0x09, {0x37, 0x69, 0x64}}, {0x20, {0x7E, 0x2C, 0x50}}, {0x21, {0x5A, 0x65, 0x22}},
    {0x22, {0x45, 0x72, 0x4A}}, {0x23, {0x3A, 0x5B, 0x61}}, {0x24, {0x79, 0x66, 0x5E}},
    {0x25, {0x59, 0x75, 0x5D}}, {0x26, {0x27, 0x4C, 0x5B}}, {0x27, {0x76, 0x45, 0x42}},
    {0x28, {0x63, 0x76, 0x60}}, {0x29, {0x62, 0x2A, 0x23}}, {0x2A, {0x4D, 0x43, 0x65}},
    {0x2B, {0x51, 0x33, 0x5F}}, {0x2C, {0x53, 0x42, 0x7E}}, {0x2D, {0x52, 0x20, 0x4F}},
    {0x2E, {0x20, 0x63, 0x52}}, {0x2F, {0x26, 0x4A, 0x7A}}, {0x30, {0x54, 0x5A, 0x21}},
    {0x31, {0x71, 0x38, 0x46}}, {0x32, {0x2B, 0x79, 0x20}}, {0x33, {0x66, 0x32, 0x26}},
    {0x34, {0x2A, 0x57, 0x63}}, {0x35, {0x58, 0x6C, 0x2A}}, {0x36, {0x7F, 0x2B, 0x76}},
    {0x37, {0x7B, 0x46, 0x47}}, {0x38, {0x30, 0x52, 0x25}}, {0x39, {0x31, 0x4F, 0x2C}},
    {0x3A, {0x6C, 0x3D, 0x29}}, {0x3B, {0x49, 0x70, 0x69}}, {0x3D, {0x78, 0x7B, 0x27}},
    {0x3F, {0x5F, 0x51, 0x67}}, {0x41, {0x29, 0x7A, 0x62}}, {0x42, {0x24, 0x7E, 0x41}},
    {0x43, {0x2F, 0x3B, 0x5A}}, {0x44, {0x39, 0x47, 0x66}}, {0x45, {0x33, 0x41, 0x32}},
    {0x46, {0x6F, 0x77, 0x73}}, {0x47, {0x21, 0x56, 0x4D}}, {0x48, {0x75, 0x5F, 0x43}},
    {0x49, {0x28, 0x26, 0x71}}, {0x4A, {0x42, 0x78, 0x39}}, {0x4B, {0x46, 0x6E, 0x7C}},
    {0x4C, {0x4A, 0x64, 0x53}}, {0x4D, {0x5C, 0x74, 0x48}}, {0x4E, {0x48, 0x67, 0x31}},
    {0x4F, {0x36, 0x7D, 0x72}}, {0x50, {0x4B, 0x68, 0x6E}}, {0x51, {0x7D, 0x35, 0x70}},
    {0x52, {0x5D, 0x22, 0x49}}, {0x53, {0x6A, 0x55, 0x3F}}, {0x54, {0x50, 0x3A, 0x4B}},
    {0x55, {0x69, 0x60, 0x6A}}, {0x56, {0x23, 0x6A, 0x2E}}, {0x57, {0x09, 0x71, 0x7F}},
    {0x58, {0x70, 0x6F, 0x28}}, {0x59, {0x65, 0x49, 0x35}}, {0x5A, {0x74, 0x5C, 0x7D}},
    {0x5B, {0x2C, 0x5D, 0x24}}, {0x5C, {0x77, 0x27, 0x2D}}, {0x5D, {0x44, 0x59, 0x54}},
    {0x5E, {0x3F, 0x25, 0x37}}, {0x5F, {0x6D, 0x7C, 0x7B}}, {0x60, {0x7C, 0x23, 0x3D}},
    {0x61, {0x43, 0x6D, 0x6C}}, {0x62, {0x38, 0x28, 0x34}}, {0x63, {0x5E, 0x31, 0x6D}},
    {0x64, {0x5B, 0x39, 0x4E}}, {0x65, {0x6E, 0x7F, 0x2B}}, {0x66, {0x57, 0x36, 0x30}},
    {0x67, {0x4C, 0x54, 0x6F}}, {0x68, {0x34, 0x34, 0x74}}, {0x69, {0x72, 0x62, 0x6B}},
    {0x6A, {0x25, 0x4E, 0x4C}}, {0x6B, {0x56, 0x30, 0x33}}, {0x6C, {0x73, 0x5E, 0x56}},
    {0x6D, {0x68, 0x73, 0x3A}}, {0x6E, {0x55, 0x09, 0x78}}, {0x6F, {0x47, 0x4B, 0x57}},
    {0x70, {0x32, 0x61, 0x77}}, {0x71, {0x35, 0x24, 0x3B}}, {0x72, {0x2E, 0x4D, 0x44}},
    {0x73, {0x64, 0x6B, 0x2F}}, {0x74, {0x4F, 0x44, 0x59}}, {0x75, {0x3B, 0x21, 0x45}},
    {0x76, {0x2D, 0x37, 0x5C}}, {0x77, {0x41, 0x53, 0x68}}, {0x78, {0x61, 0x58, 0x36}},
    {0x79, {0x7A, 0x48, 0x58}}, {0x7A, {0x22, 0x2E, 0x79}}, {0x7B, {0x60, 0x50, 0x09}},
    {0x7C, {0x6B, 0x2D, 0x75}}, {0x7D, {0x4E, 0x29, 0x38}}, {0x7E, {0x3D, 0x3F, 0x55}},
    {0x7F, {0x67, 0x2F, 0x51}},
};
static_assert(std::size(kRows) == 94);

// Indexed by table and plain ASCII code; 0 marks a character that is not substituted (0 is never
// a coded value).
constexpr auto kEncodeTables = [] {
    std::array<std::array<unsigned char, 128>, 3> tables{};
    for (const auto& row : kRows) {
        for (std::size_t table = 0; table < 3; ++table)
            tables[table][row.plain] = row.coded[table];
    }
    return tables;
}();

// The characters that would end a line or the block, or clash with the escape character, are
// written as '@' and a second character instead.
constexpr char escape_code(unsigned char plain) {
    switch (plain) {
        case '\r':
            return '#';
        case '\n':
            return '&';
        case '<':
            return '!';
        case '>':
            return '*';
        case '@':
            return '$';
        default:
            return 0;
    }
}

std::string hex_byte(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

std::string encode_block(std::string_view text, const CodePage& cp, const std::string& source) {
    std::string body;
    body.reserve(text.size() * 2);
    std::size_t length = 0;  // in characters of the body: an escape counts 2, a pair counts 1
    std::uint32_t checksum = 0;
    std::size_t position = 0;  // ASCII characters so far; picks the table

    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            // The code page decides how many bytes form the character. A lead byte that forms
            // none (cut off, or before a line break or '<') would be split differently by Windows
            // Script Host than we counted, so the text is refused.
            const std::size_t width = cp.char_length(text, i);
            if (width == 1 && cp.is_lead_byte(byte)) {
                throw PlatformError("Lead byte " + hex_byte(byte) +
                                        " without a valid trail byte at offset " +
                                        std::to_string(i) + " in " + cp.name() + " text",
                                    source);
            }
            body.append(text.substr(i, width));
            ++length;
            i += width;
            continue;
        }

        checksum += byte;
        if (const char escape = escape_code(byte)) {
            body += '@';
            body += escape;
            length += 2;
        } else if (const unsigned char coded =
                       kEncodeTables[kTableAtPosition[position % 64] - '0'][byte]) {
            body += static_cast<char>(coded);
            ++length;
        } else {
            // Other control characters pass through as they are.
            body += static_cast<char>(byte);
            ++length;
        }
        ++position;
        ++i;
    }

    if (length > std::numeric_limits<std::uint32_t>::max()) {
        throw PlatformError("Script too long to encode", source);
    }

    std::string block;
    block.reserve(body.size() + 24);
    block += kStartMarker;
    block += encoded_script_number(static_cast<std::uint32_t>(length));
    block += body;
    block += encoded_script_number(checksum);
    block += kEndMarker;
    return block;
}

}  // namespace

std::string encoded_script_number(std::uint32_t value) {
    static constexpr std::string_view kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::uint32_t b0 = value & 0xFF;
    const std::uint32_t b1 = (value >> 8) & 0xFF;
    const std::uint32_t b2 = (value >> 16) & 0xFF;
    const std::uint32_t b3 = (value >> 24) & 0xFF;
    const std::uint32_t digits[6] = {
        b0 >> 2,
        ((b0 & 0x03) << 4) | (b1 >> 4),
        ((b1 & 0x0F) << 2) | (b2 >> 6),
        b2 & 0x3F,
        b3 >> 2,
        (b3 & 0x03) << 4,
    };
    std::string field;
    for (const auto digit : digits)
        field += kDigits[digit];
    field += "==";
    return field;
}

std::string encode_script(std::string_view ansi_text, const CodePage& cp) {
    return encode_block(ansi_text, cp, "script text");
}

void encode_script_file(FileSystem& files, const std::string& vbs_path, const std::string& vbe_path,
                        const CodePage& cp) {
    const std::string plain = files.read_file(vbs_path);
    // Encode before the output is opened, so refused text leaves no file behind.
    const std::string encoded = encode_block(plain, cp, vbs_path);
    try {
        files.write_file(vbe_path, encoded);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(vbe_path, ignored);
        throw;
    }
}

void encode_script_file(const std::string& vbs_path, const std::string& vbe_path,
                        const CodePage& cp) {
    encode_script_file(real_file_system(), vbs_path, vbe_path, cp);
}

}  // namespace korva
