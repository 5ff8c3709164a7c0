// SPDX-License-Identifier: MIT
// Our own reader and writer of INI files that behaves like the Windows ANSI profile functions, so
// that the files we patch (setup.ini, Setup.sii) keep every line we do not change byte for byte.
#include "platform/profile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace korva::profile {

namespace {

constexpr std::string_view kCrLf = "\r\n";

enum class Kind { blank, header, comment, entry, text };

struct Line {
    std::size_t begin = 0;        // first byte of the line
    std::size_t content_end = 0;  // first byte of the line end, or the end of the file
    std::size_t end = 0;          // first byte after the line end
    Kind kind = Kind::blank;
    std::size_t equals = 0;  // position of the first '=' of an entry
    std::string_view name;   // header name or entry key, trimmed
    std::string_view value;  // entry value, trimmed
};

bool is_layout_space(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trim_layout(std::string_view s) {
    while (!s.empty() && is_layout_space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_layout_space(s.back()))
        s.remove_suffix(1);
    return s;
}

// Arguments lose spaces only; a TAB at an end stays and then cannot match a trimmed name.
std::string_view trim_spaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The Windows calls take C strings, so whatever follows a NUL never reaches them.
std::string_view c_string(const std::string& s) {
    return std::string_view(s.data(), std::min(s.size(), s.find('\0')));
}

void classify(std::string_view file, Line& line, const CodePage& cp) {
    std::size_t pos = line.begin;
    while (pos < line.content_end && is_layout_space(file[pos]))
        ++pos;
    if (pos == line.content_end) {
        line.kind = Kind::blank;
        return;
    }
    const std::string_view rest = file.substr(pos, line.content_end - pos);
    if (rest.front() == '[') {
        // Walk by characters: in a double-byte code page a trail byte may be 0x5D.
        std::size_t close = 1;
        while (close < rest.size() && rest[close] != ']')
            close += cp.char_length(rest, close);
        line.kind = Kind::header;
        line.name = trim_layout(rest.substr(1, std::min(close, rest.size()) - 1));
        return;
    }
    if (rest.front() == ';') {
        line.kind = Kind::comment;
        return;
    }
    // '=' never occurs as a trail byte, so a byte search is safe.
    const std::size_t equals = rest.find('=');
    if (equals == std::string_view::npos) {
        line.kind = Kind::text;
        return;
    }
    line.kind = Kind::entry;
    line.equals = pos + equals;
    line.name = trim_layout(rest.substr(0, equals));
    line.value = trim_layout(rest.substr(equals + 1));
}

// The line that starts at pos, classified.
Line line_at(std::string_view file, std::size_t pos, const CodePage& cp) {
    Line line;
    line.begin = pos;
    std::size_t stop = pos;
    while (stop < file.size() && file[stop] != '\r' && file[stop] != '\n')
        ++stop;
    line.content_end = stop;
    if (stop < file.size())
        stop += (file[stop] == '\r' && stop + 1 < file.size() && file[stop + 1] == '\n') ? 2 : 1;
    line.end = stop;
    classify(file, line, cp);
    return line;
}

// Past a run of line ends: every line in it is blank, and the byte after it starts a line. The
// walks below pass over blank lines this way, so a file of millions of them costs a byte test per
// line, not a classified line.
std::size_t past_line_ends(std::string_view file, std::size_t pos) {
    while (pos < file.size() && (file[pos] == '\r' || file[pos] == '\n'))
        ++pos;
    return pos;
}

// The next line that holds anything, from pos on; false at the end of the file.
bool next_line(std::string_view file, std::size_t& pos, Line& line, const CodePage& cp) {
    pos = past_line_ends(file, pos);
    if (pos >= file.size())
        return false;
    line = line_at(file, pos, cp);
    pos = line.end;
    return true;
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Folding keeps the byte length and turns an ASCII byte into itself or its lower case, whether it
// is a character or a trail byte; so a name of another length, or one whose ASCII bytes differ
// from the wanted name's even in lower case, is passed over without the folded copy. A file of
// many keys of one length then costs no code page walk per line.
bool same_name(std::string_view name, const std::string& wanted, const CodePage& cp) {
    if (name.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (static_cast<unsigned char>(name[i]) < 0x80 &&
            ascii_lower(name[i]) != ascii_lower(wanted[i]))
            return false;
    }
    return cp.fold_case(name) == wanted;
}

// The value of the first matching key of the first matching section, read in one pass without a
// table of lines, so a lookup costs time linear in the file and no memory beyond it.
std::optional<std::string_view> find_value(std::string_view file, std::string_view section,
                                           std::string_view key, const CodePage& cp) {
    const std::string wanted_section = cp.fold_case(section);
    const std::string wanted_key = cp.fold_case(key);
    bool inside = false;
    Line line;
    for (std::size_t pos = 0; next_line(file, pos, line, cp);) {
        if (line.kind == Kind::header) {
            // Only the first section of a name can be reached.
            if (inside)
                return std::nullopt;
            inside = same_name(line.name, wanted_section, cp);
        } else if (inside && line.kind == Kind::entry && same_name(line.name, wanted_key, cp)) {
            return line.value;
        }
    }
    return std::nullopt;
}

// The first section whose name matches, from its header to the next header (or the end of the
// file); only the first of several sections of one name can be reached. Found in one pass
// without a table of lines, so a file of millions of short lines costs no memory per line.
struct Section {
    Line header;
    std::size_t end = 0;
};

std::optional<Section> find_section(std::string_view file, std::string_view name,
                                    const CodePage& cp) {
    const std::string wanted = cp.fold_case(name);
    std::optional<Section> found;
    Line line;
    for (std::size_t pos = 0; next_line(file, pos, line, cp);) {
        if (line.kind != Kind::header)
            continue;
        if (found) {
            found->end = line.begin;
            return found;
        }
        if (same_name(line.name, wanted, cp))
            found = Section{line, file.size()};
    }
    return found;
}

// One change of a write: `erase` bytes at `at` give way to `insert`.
struct Splice {
    std::size_t at = 0;
    std::size_t erase = 0;
    std::string insert;
};

// One matching pair of quotes around the whole value goes; the blanks inside stay.
std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value.remove_prefix(1);
        value.remove_suffix(1);
    }
    return value;
}

bool ends_with_line_end(std::string_view file) {
    return !file.empty() && (file.back() == '\r' || file.back() == '\n');
}

// A new section goes at the very end, on a line of its own but with no blank line before it.
std::string section_start(std::string_view file, std::string_view section) {
    std::string text;
    if (!file.empty() && !ends_with_line_end(file))
        text += kCrLf;
    text += '[';
    text += section;
    text += ']';
    text += kCrLf;
    return text;
}

void append_line(std::string& out, std::string_view line) {
    out += line;
    out += kCrLf;
}

std::string entry_line(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line += key;
    line += '=';
    append_line(line, value);
    return line;
}

// Where WritePrivateProfileStringA puts the value, as one splice of the file.
Splice plan_write_string(std::string_view file, std::string_view section, std::string_view key,
                         std::string_view value, const CodePage& cp) {
    const auto sec = find_section(file, section, cp);
    if (!sec)
        return {file.size(), 0, section_start(file, section) + entry_line(key, value)};
    const std::string wanted = cp.fold_case(key);
    // New keys follow the last entry, in front of trailing comments and blank lines, so the
    // blank line that separates two sections stays where it is.
    Line anchor = sec->header;
    Line line;
    const std::string_view inside = file.substr(0, sec->end);
    for (std::size_t pos = sec->header.end; next_line(inside, pos, line, cp);) {
        if (line.kind != Kind::entry)
            continue;
        // The key keeps its spelling and the spacing before '='; the rest of the line is new.
        if (same_name(line.name, wanted, cp)) {
            std::string rest(value);
            rest += kCrLf;
            return {line.equals + 1, line.end - line.equals - 1, std::move(rest)};
        }
        anchor = line;
    }
    const std::string_view line_end = anchor.end == anchor.content_end ? kCrLf : std::string_view();
    return {anchor.end, 0, std::string(line_end) + entry_line(key, value)};
}

// The list as WritePrivateProfileSectionA sees it: strings ended by NUL, the first empty string
// ending the list.
std::vector<std::string_view> windows_list(const std::vector<std::string>& lines) {
    std::vector<std::string_view> strings;
    for (const std::string& line : lines) {
        std::string_view rest(line);
        while (true) {
            const std::size_t nul = rest.find('\0');
            const std::string_view piece = rest.substr(0, nul);
            if (piece.empty())
                return strings;
            strings.push_back(piece);
            if (nul == std::string_view::npos)
                break;
            rest.remove_prefix(nul + 1);
        }
    }
    return strings;
}

std::string list_text(const std::vector<std::string_view>& strings) {
    std::string text;
    for (std::string_view s : strings)
        append_line(text, s);
    return text;
}

// WritePrivateProfileSectionA on the bytes in place: the comments, blank and text lines of the
// section move up over its removed entries, keeping their order, and the new lines go in front
// of them. Nothing is copied but the section's own lines and the rest of the file once.
void rewrite_section(std::string& bytes, std::string_view section, std::string_view new_lines,
                     const CodePage& cp) {
    const auto sec = find_section(bytes, section, cp);
    if (!sec) {
        bytes += section_start(bytes, section);
        bytes += new_lines;
        return;
    }
    std::size_t kept_end = sec->header.end;
    const auto keep = [&](std::size_t begin, std::size_t end) {
        if (kept_end != begin) {
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                      bytes.begin() + static_cast<std::ptrdiff_t>(end),
                      bytes.begin() + static_cast<std::ptrdiff_t>(kept_end));
        }
        kept_end += end - begin;
    };
    // Lines are read ahead of where the kept ones are written, so a read never sees a moved byte.
    // A run of blank lines is kept as one piece.
    const std::string_view inside = std::string_view(bytes).substr(0, sec->end);
    for (std::size_t pos = sec->header.end; pos < sec->end;) {
        const std::size_t blank_end = past_line_ends(inside, pos);
        keep(pos, blank_end);
        pos = blank_end;
        if (pos == sec->end)
            break;
        const Line line = line_at(inside, pos, cp);
        pos = line.end;
        if (line.kind != Kind::entry)
            keep(line.begin, line.end);
    }
    // A header on the last line, without a line end, gets one before the new lines.
    const std::string_view line_end =
        sec->header.end == sec->header.content_end ? kCrLf : std::string_view();
    bytes.erase(kept_end, sec->end - kept_end);
    bytes.insert(sec->header.end, std::string(line_end) + std::string(new_lines));
}

// The most a write of the section adds: a line end, the header, the new lines.
std::size_t room_for_section(std::string_view section, std::string_view new_lines) {
    return section.size() + new_lines.size() + 6;
}

namespace fs = std::filesystem;

fs::path native_path(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

enum class ReadResult { ok, missing, unreadable };

// `room` more bytes are reserved, so a write can change the file in place without a second copy.
ReadResult read_file(const std::string& path, std::string& bytes, std::size_t room = 0) {
    bytes.clear();
    if (path.empty())
        return ReadResult::missing;
    std::error_code ec;
    const fs::path native = native_path(path);
    const fs::file_status status = fs::status(native, ec);
    if (status.type() == fs::file_type::not_found)
        return ReadResult::missing;
    if (ec || status.type() != fs::file_type::regular)
        return ReadResult::unreadable;
    std::ifstream in(native, std::ios::binary);
    if (!in)
        return ReadResult::unreadable;
    // Sized once: growing by doubling would hold up to three copies of a large file at a time.
    const auto size = fs::file_size(native, ec);
    if (!ec)
        bytes.reserve(static_cast<std::size_t>(size) + room);
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
        return ReadResult::unreadable;
    return ReadResult::ok;
}

// Windows refuses to write a read-only profile file; an administrator's account (root here)
// would otherwise write it all the same.
void refuse_read_only(const fs::path& native, const std::string& path) {
    std::error_code ec;
    const auto permissions = fs::status(native, ec).permissions();
    if (!ec && (permissions & fs::perms::owner_write) == fs::perms::none)
        throw PlatformError("The profile file is read-only", path);
}

// The temporary file takes the old file's permissions, so a replaced file can still be read by
// whoever could read it before; as far as the system allows, nothing more is promised.
void keep_permissions(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const auto status = fs::status(from, ec);
    if (!ec && status.type() == fs::file_type::regular)
        fs::permissions(to, status.permissions(), ec);
}

void replace_by(const fs::path& temp, const fs::path& target, const std::string& path) {
#ifdef _WIN32
    const bool replaced = ::MoveFileExW(temp.c_str(), target.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code ec;
    fs::rename(temp, target, ec);
    const bool replaced = !ec;
#endif
    if (!replaced)
        throw PlatformError("Cannot replace the profile file", path);
}

// The new content goes into a file beside the old one, which is then renamed over it: a write
// that fails part-way (a full disk, a size limit) leaves the old file whole, never cut short.
void write_file(FileSystem& files, const std::string& path, const std::string& bytes) {
    if (path.empty() || ends_with_sep(path))
        throw PlatformError("Cannot write the profile file", path);
    const fs::path native = native_path(path);
    refuse_read_only(native, path);
    const auto cut = last_sep(path);
    const std::string folder = cut == std::string::npos ? "" : path.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const std::string temp = folder + "~" + name + ".new";
    const fs::path native_temp = native_path(temp);
    try {
        files.write_file(temp, bytes);
        keep_permissions(native, native_temp);
        replace_by(native_temp, native, path);
    } catch (...) {
        std::error_code ignored;
        fs::remove(native_temp, ignored);
        throw;
    }
}

// A write changes a file it can read; an unreadable one is not silently replaced.
std::string read_for_write(const std::string& path, std::size_t room) {
    std::string bytes;
    if (read_file(path, bytes, room) == ReadResult::unreadable) {
        throw PlatformError("Cannot read the profile file", path);
    }
    return bytes;
}

// The text GetPrivateProfileStringA would copy, as a view of the file or of the default: a large
// value is copied once, into the caller's form, not first into a text of its own.
std::string_view looked_up(std::string_view file, const std::string& section,
                           const std::string& key, const std::string& default_value,
                           std::size_t buffer_len, const CodePage& cp) {
    if (buffer_len == 0)
        return {};
    std::string_view text;
    const auto value =
        find_value(file, trim_spaces(c_string(section)), trim_spaces(c_string(key)), cp);
    if (value) {
        text = unquote(*value);
    } else {
        // Only trailing spaces leave the default; leading ones and other blanks stay.
        text = c_string(default_value);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
    }
    text = text.substr(0, text.find('\0'));
    return text.substr(0, cp.boundary_at_most(text, buffer_len - 1));
}

}  // namespace

std::string get_string_bytes(const std::string& file_bytes, const std::string& section,
                             const std::string& key, const std::string& default_value,
                             std::size_t buffer_len, const CodePage& cp) {
    return std::string(looked_up(file_bytes, section, key, default_value, buffer_len, cp));
}

std::string write_string_bytes(const std::string& file_bytes, const std::string& section,
                               const std::string& key, const std::string& value,
                               const CodePage& cp) {
    const std::string_view file(file_bytes);
    const Splice splice = plan_write_string(file, trim_spaces(c_string(section)),
                                            trim_spaces(c_string(key)), c_string(value), cp);
    std::string out;
    out.reserve(file.size() - splice.erase + splice.insert.size());
    out.append(file.substr(0, splice.at));
    out.append(splice.insert);
    out.append(file.substr(splice.at + splice.erase));
    return out;
}

std::string write_section_bytes(const std::string& file_bytes, const std::string& section,
                                const std::vector<std::string>& lines, const CodePage& cp) {
    const std::string_view section_name = trim_spaces(c_string(section));
    const std::string new_lines = list_text(windows_list(lines));
    std::string out;
    out.reserve(file_bytes.size() + room_for_section(section_name, new_lines));
    out.append(file_bytes);
    rewrite_section(out, section_name, new_lines, cp);
    return out;
}

std::string write_string_bytes(const std::string& file_bytes, const std::string& section,
                               const std::string& key, const std::string& value) {
    return write_string_bytes(file_bytes, section, key, value, CodePage::system());
}

std::string write_section_bytes(const std::string& file_bytes, const std::string& section,
                                const std::vector<std::string>& lines) {
    return write_section_bytes(file_bytes, section, lines, CodePage::system());
}

std::string get_string(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& default_value, std::size_t buffer_len,
                       const CodePage& cp) {
    std::string bytes;
    if (read_file(path, bytes) != ReadResult::ok)
        bytes.clear();
    const std::string default_ansi = cp.to_ansi(default_value);
    return cp.from_ansi(
        looked_up(bytes, cp.to_ansi(section), cp.to_ansi(key), default_ansi, buffer_len, cp));
}

void write_file_bytes(FileSystem& files, const std::string& path, const std::string& bytes) {
    write_file(files, path, bytes);
}

// The file is changed in the bytes read, which were given room for the change: a large file is
// held once, not once as read and once as written.
void write_string(FileSystem& files, const std::string& path, const std::string& section,
                  const std::string& key, const std::string& value, const CodePage& cp) {
    const std::string section_ansi = cp.to_ansi(section);
    const std::string key_ansi = cp.to_ansi(key);
    const std::string value_ansi = cp.to_ansi(value);
    const std::string_view section_name = trim_spaces(c_string(section_ansi));
    const std::string_view key_name = trim_spaces(c_string(key_ansi));
    const std::string_view new_value = c_string(value_ansi);
    std::string bytes = read_for_write(
        path, room_for_section(section_name, "") + key_name.size() + new_value.size() + 3);
    Splice splice = plan_write_string(bytes, section_name, key_name, new_value, cp);
    bytes.replace(splice.at, splice.erase, splice.insert);
    write_file(files, path, bytes);
}

void write_section(FileSystem& files, const std::string& path, const std::string& section,
                   const std::vector<std::string>& lines, const CodePage& cp) {
    std::vector<std::string> ansi_lines;
    ansi_lines.reserve(lines.size());
    for (const std::string& line : lines)
        ansi_lines.push_back(cp.to_ansi(line));
    const std::string section_ansi = cp.to_ansi(section);
    const std::string_view section_name = trim_spaces(c_string(section_ansi));
    const std::string new_lines = list_text(windows_list(ansi_lines));
    std::string bytes = read_for_write(path, room_for_section(section_name, new_lines));
    rewrite_section(bytes, section_name, new_lines, cp);
    write_file(files, path, bytes);
}

void write_string(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value, const CodePage& cp) {
    write_string(real_file_system(), path, section, key, value, cp);
}

void write_section(const std::string& path, const std::string& section,
                   const std::vector<std::string>& lines, const CodePage& cp) {
    write_section(real_file_system(), path, section, lines, cp);
}

std::vector<SectionOutline> outline_bytes(const std::string& file_bytes, const CodePage& cp) {
    const std::string_view file(file_bytes);
    std::vector<SectionOutline> sections;
    Line line;
    for (std::size_t pos = 0; next_line(file, pos, line, cp);) {
        if (line.kind == Kind::header) {
            sections.push_back({std::string(line.name), {}, {}});
        } else if (!sections.empty() && line.kind == Kind::entry) {
            sections.back().keys.emplace_back(line.name);
        } else if (!sections.empty() && line.kind == Kind::text) {
            sections.back().stray_lines.emplace_back(
                trim_layout(file.substr(line.begin, line.content_end - line.begin)));
        }
    }
    return sections;
}

std::string quoted_if_needed(std::string_view value) {
    const bool trimmed_on_read =
        !value.empty() && (is_layout_space(value.front()) || is_layout_space(value.back()));
    if (!trimmed_on_read && unquote(value).size() == value.size())
        return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

}  // namespace korva::profile
