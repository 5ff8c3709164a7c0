// SPDX-License-Identifier: MIT
// Turns a plain launcher script into the encoded script format that Windows Script Host runs as a
// .vbe file, so packages can be built without the Windows encoder program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/error.h"

namespace korva {

class FileSystem;

// The encoder step failed: the encoder could not run, refused the script or wrote nothing. path()
// is the .vbe that was to be written.
class ScriptEncoderFailed : public PlatformError {
  public:
    using PlatformError::PlatformError;
};

// Encodes the whole text as one block. The text is in the ANSI code page `cp` and is taken
// character by character in that code page: only ASCII characters are substituted, counted for
// the position and summed, and every other character (a double-byte pair included) is copied
// unchanged. Throws PlatformError on a lead byte that has no valid trail byte after it.
std::string encode_script(std::string_view ansi_text, const CodePage& cp);

// Reads the plain script file and writes its encoded form, byte for byte. On Windows the package
// writers run `cmd.exe /C screnc "{in}" "{out}"` instead; this is the encoder used elsewhere.
// Throws PlatformError when a file cannot be read or written, or the text is refused as above; a
// half-written output file is removed. The files are read and written through `files`.
void encode_script_file(FileSystem& files, const std::string& vbs_path, const std::string& vbe_path,
                        const CodePage& cp);
void encode_script_file(const std::string& vbs_path, const std::string& vbe_path,
                        const CodePage& cp);

// The eight-character form of the length and checksum fields: the number's four bytes, least
// significant first, in base 64 with "==" padding.
std::string encoded_script_number(std::uint32_t value);

}  // namespace korva
