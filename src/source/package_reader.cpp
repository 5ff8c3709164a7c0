// SPDX-License-Identifier: MIT
// The package reader walks the distribution the way the maker's installer expects to be found;
// a count in setup.ini is not trusted to be small, so the language loop is bounded.
#include "source/package_reader.h"

#include <algorithm>

#include "dialogs/messages.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "source/folder_check.h"

namespace korva {

namespace {

// No package lists more languages than this; a larger count is a damaged setup.ini.
constexpr long long kMaxLanguages = 1000;
constexpr int kMaxTableEntries = 1000;

std::string read_value(const Context& ctx, const std::string& file, const std::string& section,
                       const std::string& key) {
    return profile::get_string(file, section, key, "", kMainBuffer, ctx.codepage);
}

std::vector<std::string> split_commas(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

void add_language(PackageState& pkg, std::size_t index, const LanguageEntry& entry) {
    pkg.Lang_Folders.resize(index + 1);
    pkg.Lang_Codes.resize(index + 1);
    pkg.Lang_Folders[index] = entry.folder;
    pkg.Lang_Codes[index] = entry.id;
    if (pkg.Language_Name.count() == 0)
        pkg.Lang_Folder = entry.folder;
    pkg.Language_Name.add(entry.display_name);
}

bool fail(const Context& ctx, const char* key) {
    show_message(ctx.catalogue, ctx.prompter, key, "MsgErrChk");
    return false;
}

// A folder that vanishes while it is scanned simply has no sub-folders; the existence checks
// that follow then give the usual message. One that cannot be listed is not taken for empty.
std::vector<std::string> sub_folders_of(FileSystem& fs, const std::string& folder) {
    return listed_sub_folders(fs, folder);
}

struct KindScan {
    std::string kind;
    bool asked = false;
};

// A second kind folder anywhere means the package holds both drivers: the administrator
// chooses, once, and that choice ends the scan.
void note_kind(const std::string& name, KindScan& scan, const Context& ctx) {
    if (name != kKindPrinter && name != kKindPcfax)
        return;
    if (scan.kind.empty()) {
        scan.kind = name;
        return;
    }
    bool printer = ctx.prompter.select_driver_kind() == DriverKind::Printer;
    scan.kind = printer ? kKindPrinter : kKindPcfax;
    scan.asked = true;
}

std::string find_kind(const std::string& p, const Context& ctx) {
    KindScan scan;
    if (!ctx.fs.folder_exists(p))
        return scan.kind;
    for (const std::string& s : sub_folders_of(ctx.fs, p)) {
        if (s == kDriversFolder) {
            for (const std::string& t : sub_folders_of(ctx.fs, p + s + kPathSep)) {
                note_kind(t, scan, ctx);
                if (scan.asked)
                    break;
            }
        } else {
            note_kind(s, scan, ctx);
        }
        if (scan.asked)
            break;
    }
    return scan.kind;
}

bool check_drivers_tree(PackageState& pkg, const Context& ctx, const std::string& p,
                        const std::string& drivers, const std::string& kind) {
    const std::string folder = p + drivers + kPathSep + kind;
    if (!ctx.fs.folder_exists(folder))
        return fail(ctx, "MsgErrInPath4");
    if (find_file(ctx.fs, folder + kPathSep, "setup.exe").empty())
        return fail(ctx, "MsgErrInPath5");
    pkg.Driver_Folder = folder + kPathSep;
    if (!Language_Name_Get(pkg, ctx, pkg.Driver_Folder))
        return fail(ctx, "MsgErrInPath7");
    return true;
}

bool check_kind_folder(PackageState& pkg, const Context& ctx, const std::string& p,
                       const std::string& kind) {
    if (!Language_Name_Get(pkg, ctx, p + kind))
        return fail(ctx, "MsgErrInPath7");
    if (!find_folder(ctx.fs, p + kind + kPathSep, pkg.Lang_Folder))
        return false;
    pkg.Driver_Folder = p + kind + kPathSep;
    return true;
}

bool check_plain(PackageState& pkg, const Context& ctx, const std::string& p) {
    if (find_file(ctx.fs, p, "setup.exe").empty())
        return fail(ctx, "MsgErrInPath4");
    if (!Language_Name_Get(pkg, ctx, p))
        return fail(ctx, "MsgErrInPath7");
    if (!find_folder(ctx.fs, p, pkg.Lang_Folder))
        return fail(ctx, "MsgErrInPath4");
    pkg.Driver_Folder = p;
    return true;
}

bool locate_installer(PackageState& pkg, const Context& ctx, const std::string& p) {
    // The caller has just read the languages of P itself: a flat package is taken as it is.
    if (pkg.Language_Name.count() > 0 && !find_file(ctx.fs, p, "setup.exe").empty()) {
        pkg.Driver_Folder = p;
        return true;
    }
    const std::string kind = find_kind(p, ctx);
    if (const auto drivers = find_folder(ctx.fs, p, kDriversFolder))
        return check_drivers_tree(pkg, ctx, p, *drivers, kind);
    if (!kind.empty() && !find_file(ctx.fs, p + kind + kPathSep, "setup.exe").empty()) {
        return check_kind_folder(pkg, ctx, p, kind);
    }
    return check_plain(pkg, ctx, p);
}

}  // namespace

long long count_value(const std::string& text) {
    constexpr long long kLimit = 1'000'000'000'000LL;
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos)
        return 0;
    bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(kLimit, value * 10 + (text[i] - '0'));
    }
    return negative ? -value : value;
}

std::string before_first_blank(const std::string& text) {
    return text.substr(0, text.find(' '));
}

std::string find_file(FileSystem& fs, const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names = listed_matches(fs, folder, pattern, false);
    if (names.empty())
        return "";
    if (std::find(names.begin(), names.end(), pattern) != names.end())
        return folder + pattern;
    // The first in the order Windows lists names.
    return folder + names.front();
}

namespace {

// A name that the listing would read as a pattern, or that reaches into another folder, is
// looked for as it is written.
bool plain_name(const std::string& name) {
    return name.find_first_not_of('.') != std::string::npos &&
           name.find_first_of("*?/\\") == std::string::npos;
}

}  // namespace

std::optional<std::string> find_folder(FileSystem& fs, const std::string& folder,
                                       const std::string& name) {
    if (!plain_name(name))
        return fs.folder_exists(folder + name) ? std::optional(name) : std::nullopt;
    // The whole folder is listed: Wine answers a pattern without wildcards in the pattern's
    // spelling, not the one on disk.
    std::optional<std::string> found;
    for (const std::string& entry : listed_matches(fs, folder, "*", true)) {
        if (!wildcard_match(name, entry) || !fs.folder_exists(folder + entry))
            continue;
        if (entry == name)
            return entry;
        if (!found)
            found = entry;
    }
    return found;
}

std::string find_folder_path(FileSystem& fs, const std::string& folder,
                             const std::string& relative) {
    std::string path = folder;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        const auto found = find_folder(fs, path, part);
        if (!found)
            return "";
        path += *found + kPathSep;
    }
    return path;
}

std::string file_path(FileSystem& fs, const std::string& folder, const std::string& name) {
    if (!plain_name(name))
        return folder + name;
    const std::string found = find_file(fs, folder, name);
    return found.empty() ? folder + name : found;
}

std::vector<LanguageEntry> language_table(const Catalogue& catalogue) {
    std::vector<LanguageEntry> table;
    for (int k = 1; k <= kMaxTableEntries; ++k) {
        std::string value = catalogue.read("LanguagesSub", "Lang" + std::to_string(k));
        if (value.empty())
            break;
        std::vector<std::string> items = split_commas(value);
        // A shorter entry is a damaged catalogue line; the others still count.
        if (items.size() < 3)
            continue;
        table.push_back({items[0], items[1], items.back()});
    }
    return table;
}

bool Language_Name_Get(PackageState& pkg, const Context& ctx, const std::string& folder) {
    pkg.Language_Name.clear();
    pkg.Lang_Folder.clear();
    const std::string dir = with_trailing_sep(folder);
    const std::string setup_ini = find_file(ctx.fs, dir, "setup.ini");
    if (setup_ini.empty())
        return false;
    const std::vector<LanguageEntry> table = language_table(ctx.catalogue);
    const long long count =
        std::min(count_value(read_value(ctx, setup_ini, "Languages", "count")), kMaxLanguages);
    std::size_t found = 0;
    for (long long i = 0; i < count; ++i) {
        const std::string id = read_value(ctx, setup_ini, "Languages", "key" + std::to_string(i));
        for (const LanguageEntry& entry : table) {
            if (entry.id != id)
                continue;
            // Windows opens "JapaNese" for "Japanese"; the package keeps its own spelling.
            if (const auto stored = find_folder(ctx.fs, dir, entry.folder))
                add_language(pkg, found++, {entry.id, *stored, entry.display_name});
        }
    }
    if (pkg.Language_Name.count() > 0)
        pkg.Language_Name.index = 0;
    return true;
}

bool In_Path_Check(PackageState& pkg, const Context& ctx, std::string& In_Path) {
    if (!locate_installer(pkg, ctx, In_Path))
        return false;
    In_Path = pkg.Driver_Folder;
    return true;
}

}  // namespace korva
