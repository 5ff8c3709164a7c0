// SPDX-License-Identifier: MIT
// A decoder for encoded scripts, written apart from the encoder, so tests can check that a
// generated .vbe holds exactly the intended text with fields that Windows Script Host accepts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace korva {

struct DecodedScript {
    std::string text;            // the plain text, in the same code page as the input
    std::uint32_t length_field;  // as written in the block
    std::uint32_t checksum_field;
    bool checksum_ok;  // the field equals the sum of the decoded ASCII characters
    bool length_ok;    // the field equals the number of characters of the encoded body
};

// `encoded` must be exactly one block, as the encoder writes a whole file: start marker, fields,
// body, end marker and nothing around it. Throws std::runtime_error when it is not well formed
// (markers, field digits, an '@' not followed by an escape, a bare line break, '<' or '>', or a
// double-byte character cut by the checksum field).
DecodedScript decode_script(std::string_view encoded, const CodePage& cp);

}  // namespace korva
