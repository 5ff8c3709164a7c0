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

std::vector<Line> parse(std::string_view file, const CodePage& cp) {
    std::vector<Line> lines;
    for (std::size_t pos = 0; pos < file.size(); pos = lines.back().end)
        lines.push_back(line_at(file, pos, cp));
    return lines;
}

// Folding keeps the byte length, so a name of another length is passed over without the folded
// copy: a file of many short lines then costs no allocation per line.
bool same_name(std::string_view name, const std::string& wanted, const CodePage& cp) {
    return name.size() == wanted.size() && cp.fold_case(name) == wanted;
}

// The value of the first matching key of the first matching section, read in one pass without a
// table of lines, so a lookup costs time linear in the file and no memory beyond it.
std::optional<std::string_view> find_value(std::string_view file, std::string_view section,
                                           std::string_view key, const CodePage& cp) {
    const std::string wanted_section = cp.fold_case(section);
    const std::string wanted_key = cp.fold_case(key);
    bool inside = false;
    for (std::size_t pos = 0; pos < file.size();) {
        // Empty lines change nothing in a lookup, so their line ends are passed over byte by byte.
        if (file[pos] == '\r' || file[pos] == '\n') {
            ++pos;
            continue;
        }
        const Line line = line_at(file, pos, cp);
        pos = line.end;
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

// Lines [first, last) of the first section whose name matches; only the first of several
// sections of one name can be reached.
struct Section {
    std::size_t header = 0;
    std::size_t first = 0;
    std::size_t last = 0;
};

std::optional<Section> find_section(const std::vector<Line>& lines, std::string_view name,
                                    const CodePage& cp) {
    const std::string wanted = cp.fold_case(name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Kind::header || !same_name(lines[i].name, wanted, cp))
            continue;
        Section section{i, i + 1, i + 1};
        while (section.last < lines.size() && lines[section.last].kind != Kind::header) {
            ++section.last;
        }
        return section;
    }
    return std::nullopt;
}

std::optional<std::size_t> find_entry(const std::vector<Line>& lines, const Section& section,
                                      std::string_view key, const CodePage& cp) {
    const std::string wanted = cp.fold_case(key);
    for (std::size_t i = section.first; i < section.last; ++i) {
        if (lines[i].kind == Kind::entry && same_name(lines[i].name, wanted, cp))
            return i;
    }
    return std::nullopt;
}

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
void append_section(std::string& out, std::string_view section) {
    if (!out.empty() && !ends_with_line_end(out))
        out += kCrLf;
    out += '[';
    out += section;
    out += ']';
    out += kCrLf;
}

void append_line(std::string& out, std::string_view line) {
    out += line;
    out += kCrLf;
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

namespace fs = std::filesystem;

fs::path native_path(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

enum class ReadResult { ok, missing, unreadable };

ReadResult read_file(const std::string& path, std::string& bytes) {
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
        bytes.reserve(static_cast<std::size_t>(size));
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
std::string read_for_write(const std::string& path) {
    std::string bytes;
    if (read_file(path, bytes) == ReadResult::unreadable) {
        throw PlatformError("Cannot read the profile file", path);
    }
    return bytes;
}

}  // namespace

std::string get_string_bytes(const std::string& file_bytes, const std::string& section,
                             const std::string& key, const std::string& default_value,
                             std::size_t buffer_len, const CodePage& cp) {
    if (buffer_len == 0)
        return {};
    std::string_view text;
    const auto value =
        find_value(file_bytes, trim_spaces(c_string(section)), trim_spaces(c_string(key)), cp);
    if (value) {
        text = unquote(*value);
    } else {
        // Only trailing spaces leave the default; leading ones and other blanks stay.
        text = c_string(default_value);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
    }
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, cp.boundary_at_most(text, buffer_len - 1)));
}

std::string write_string_bytes(const std::string& file_bytes, const std::string& section,
                               const std::string& key, const std::string& value,
                               const CodePage& cp) {
    const std::string_view section_name = trim_spaces(c_string(section));
    const std::string_view key_name = trim_spaces(c_string(key));
    const std::string_view new_value = c_string(value);
    const std::string_view file(file_bytes);
    const std::vector<Line> lines = parse(file, cp);
    std::string out;
    out.reserve(file.size() + section_name.size() + key_name.size() + new_value.size() + 8);

    const auto sec = find_section(lines, section_name, cp);
    if (!sec) {
        out = file_bytes;
        append_section(out, section_name);
        out += key_name;
        out += '=';
        append_line(out, new_value);
        return out;
    }
    if (const auto entry = find_entry(lines, *sec, key_name, cp)) {
        // The key keeps its spelling and the spacing before '='; the rest of the line is new.
        const Line& line = lines[*entry];
        out.append(file.substr(0, line.equals + 1));
        append_line(out, new_value);
        out.append(file.substr(line.end));
        return out;
    }
    // New keys follow the last entry, in front of trailing comments and blank lines, so the
    // blank line that separates two sections stays where it is.
    std::size_t anchor = sec->header;
    for (std::size_t i = sec->first; i < sec->last; ++i) {
        if (lines[i].kind == Kind::entry)
            anchor = i;
    }
    const Line& after = lines[anchor];
    out.append(file.substr(0, after.end));
    if (after.end == after.content_end)
        out += kCrLf;
    out += key_name;
    out += '=';
    append_line(out, new_value);
    out.append(file.substr(after.end));
    return out;
}

std::string write_section_bytes(const std::string& file_bytes, const std::string& section,
                                const std::vector<std::string>& lines, const CodePage& cp) {
    const std::string_view section_name = trim_spaces(c_string(section));
    const std::vector<std::string_view> strings = windows_list(lines);
    const std::string_view file(file_bytes);
    const std::vector<Line> parsed = parse(file, cp);
    std::string out;

    const auto sec = find_section(parsed, section_name, cp);
    if (!sec) {
        out = file_bytes;
        append_section(out, section_name);
        for (std::string_view s : strings)
            append_line(out, s);
        return out;
    }
    const Line& header = parsed[sec->header];
    out.append(file.substr(0, header.end));
    if (header.end == header.content_end)
        out += kCrLf;
    for (std::string_view s : strings)
        append_line(out, s);
    // Comments, blank and text lines of the section survive, in their order, after the new keys.
    for (std::size_t i = sec->first; i < sec->last; ++i) {
        if (parsed[i].kind != Kind::entry) {
            out.append(file.substr(parsed[i].begin, parsed[i].end - parsed[i].begin));
        }
    }
    const std::size_t rest = sec->last < parsed.size() ? parsed[sec->last].begin : file.size();
    out.append(file.substr(rest));
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
    return cp.from_ansi(get_string_bytes(bytes, cp.to_ansi(section), cp.to_ansi(key),
                                         cp.to_ansi(default_value), buffer_len, cp));
}

void write_file_bytes(FileSystem& files, const std::string& path, const std::string& bytes) {
    write_file(files, path, bytes);
}

void write_string(FileSystem& files, const std::string& path, const std::string& section,
                  const std::string& key, const std::string& value, const CodePage& cp) {
    const std::string bytes = read_for_write(path);
    write_file(
        files, path,
        write_string_bytes(bytes, cp.to_ansi(section), cp.to_ansi(key), cp.to_ansi(value), cp));
}

void write_section(FileSystem& files, const std::string& path, const std::string& section,
                   const std::vector<std::string>& lines, const CodePage& cp) {
    const std::string bytes = read_for_write(path);
    std::vector<std::string> ansi_lines;
    ansi_lines.reserve(lines.size());
    for (const std::string& line : lines)
        ansi_lines.push_back(cp.to_ansi(line));
    write_file(files, path, write_section_bytes(bytes, cp.to_ansi(section), ansi_lines, cp));
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
    std::vector<SectionOutline> sections;
    for (const Line& line : parse(file_bytes, cp)) {
        if (line.kind == Kind::header) {
            sections.push_back({std::string(line.name), {}, {}});
        } else if (!sections.empty() && line.kind == Kind::entry) {
            sections.back().keys.emplace_back(line.name);
        } else if (!sections.empty() && line.kind == Kind::text) {
            sections.back().stray_lines.push_back(std::string(trim_layout(
                std::string_view(file_bytes).substr(line.begin, line.content_end - line.begin))));
        }
    }
    return sections;
}

std::string quoted_if_needed(std::string_view value) {
    const bool trimmed_on_read =
        !value.empty() && (is_layout_space(value.front()) || is_layout_space(value.back()));
    if (!trimmed_on_read && unquote(value).size() == value.size())
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

}  // namespace korva::profile
