// SPDX-License-Identifier: MIT
// Windows profile (INI) files, read and written with the semantics of the ANSI profile functions:
// names matched without regard to case, first match wins, untouched lines kept byte for byte,
// new sections appended at the end. Values cross the boundary as UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace korva {
class FileSystem;
}

namespace korva::profile {

// GetPrivateProfileStringA with a caller buffer of buffer_len characters: the value is cut to
// buffer_len - 1 bytes of the ANSI text (never in the middle of a double-byte character), ends at
// its first NUL, and is the default when the file, the section or the key is missing. A path that
// cannot be read (missing, a folder, no permission) counts as a missing file. buffer_len 0 gives
// the empty text.
std::string get_string(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& default_value, std::size_t buffer_len,
                       const CodePage& cp = CodePage::system());

// WritePrivateProfileStringA. Throws PlatformError when the file cannot be written, when it
// exists but cannot be read, or when its folder does not exist (the folder is not created). The
// new content is written through `files` into a file beside the old one and then takes its name,
// so a failed write leaves the old file whole; a read-only file is refused.
void write_string(FileSystem& files, const std::string& path, const std::string& section,
                  const std::string& key, const std::string& value,
                  const CodePage& cp = CodePage::system());
// The same on this computer's file system.
void write_string(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value, const CodePage& cp = CodePage::system());

// A whole profile file written at once, the same safe way: the old file stays whole when the
// write fails, and a read-only one is refused. Throws PlatformError.
void write_file_bytes(FileSystem& files, const std::string& path, const std::string& bytes);

// WritePrivateProfileSectionA: every key of the section is replaced by the lines ("key=value");
// an empty list leaves the section without keys. The lines travel as the Windows list does (each
// ended by a NUL, one more NUL after the last), so an empty line ends the list and a NUL inside a
// line splits it in two. Comment, blank and text lines of the section stay, after the new lines.
// Throws as write_string.
void write_section(FileSystem& files, const std::string& path, const std::string& section,
                   const std::vector<std::string>& lines, const CodePage& cp = CodePage::system());
void write_section(const std::string& path, const std::string& section,
                   const std::vector<std::string>& lines, const CodePage& cp = CodePage::system());

// What a file holds, in order, for callers that must know every name in it (a file a person edits
// by hand is checked for misspelt names): each section with its keys, and the lines inside a
// section that are neither an entry nor a comment. Lines before the first section are ignored,
// as the readers ignore them.
struct SectionOutline {
    std::string name;
    std::vector<std::string> keys;
    std::vector<std::string> stray_lines;
};
std::vector<SectionOutline> outline_bytes(const std::string& file_bytes, const CodePage& cp);

// The value as a line "key=value" must hold it for the reader to give it back unchanged: in
// double quotes when the reader would trim blanks at its ends or take off a pair of quotes.
std::string quoted_if_needed(std::string_view value);

// Byte-level forms on the file's own bytes, for the tests of the reference's rules. Arguments are
// ANSI bytes too, and end at their first NUL as the C strings of the Windows calls do. The write
// forms return the complete new file.
std::string get_string_bytes(const std::string& file_bytes, const std::string& section,
                             const std::string& key, const std::string& default_value,
                             std::size_t buffer_len, const CodePage& cp);
std::string write_string_bytes(const std::string& file_bytes, const std::string& section,
                               const std::string& key, const std::string& value,
                               const CodePage& cp);
std::string write_section_bytes(const std::string& file_bytes, const std::string& section,
                                const std::vector<std::string>& lines, const CodePage& cp);
// The same in the system code page (which decides only how names are walked for case and `]`).
std::string write_string_bytes(const std::string& file_bytes, const std::string& section,
                               const std::string& key, const std::string& value);
std::string write_section_bytes(const std::string& file_bytes, const std::string& section,
                                const std::vector<std::string>& lines);

}  // namespace korva::profile
