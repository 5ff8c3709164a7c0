// SPDX-License-Identifier: MIT
// Package copy of the main window. Every platform failure is an exception, caught once at the
// end, so whatever step fails the output folder is emptied and exactly one message is shown.
#include "package/file_copy.h"

#include <exception>
#include <set>

#include "catalogue/catalogue.h"
#include "dialogs/context.h"
#include "dialogs/messages.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "source/folder_check.h"

namespace korva {

namespace {

// Read-only copies are made writable this many folder levels below the output; deeper files
// keep their attributes, as the installer only needs the upper levels writable.
constexpr int kWritableLevels = 3;

const char* const kSilentFolders[] = {"Font", "QXPort", "QXPrint"};

bool equals_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string folded(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

// The entry of that name in the folder as Windows would find it: the exact spelling when it is
// there, else one that differs in case only. Empty when there is none.
std::string find_entry(FileSystem& fs, const std::string& folder, const std::string& name,
                       bool include_folders) {
    const auto found = fs.list(folder + name, include_folders);
    for (const std::string& entry : found) {
        if (entry == name)
            return entry;
    }
    return found.empty() ? std::string() : found.front();
}

bool holds_file_named(FileSystem& fs, const std::string& folder, const std::string& name) {
    for (const std::string& file : fs.files(folder)) {
        if (equals_ignoring_case(file, name))
            return true;
    }
    return false;
}

// Bytes below a folder, each folder counted once however many links lead to it, so a link loop
// in the source cannot make the count endless.
std::uint64_t tree_bytes(FileSystem& fs, const std::string& folder, std::set<std::string>& seen) {
    if (!seen.insert(folder_key(fs, folder)).second)
        return 0;
    std::uint64_t total = 0;
    for (const std::string& file : fs.files(folder))
        total += fs.file_size(folder + file);
    for (const std::string& sub : fs.sub_folders(folder)) {
        total += tree_bytes(fs, folder + sub + kPathSep, seen);
    }
    return total;
}

// What the package copy takes from the source: the top-level files when there are any, and these
// folders (names, or "*" for all of them) in this order.
struct CopyPlan {
    bool top_files = false;
    std::vector<std::string> folders;
    std::set<std::string> taken;  // folded names already planned

    void add(const std::string& name) {
        folders.push_back(name);
        taken.insert(folded(name));
    }
    bool has(const std::string& name) const { return taken.count(folded(name)) > 0; }
};

CopyPlan plan_copy(const FileCopyInput& in, FileSystem& fs) {
    const std::string& src = in.source;
    CopyPlan plan;
    // files() throws for a folder it cannot list: a package copied without its top-level files
    // (setup.exe, setup.ini) would be reported as made.
    plan.top_files = !fs.files(src).empty();
    if (in.silent_install) {
        for (const char* name : kSilentFolders) {
            const std::string found = find_entry(fs, src, name, true);
            if (!found.empty())
                plan.add(found);
        }
        // The language folder comes from the package's own setup.ini; a name that would reach
        // outside the installer folder (or name all of it) is a broken package, not a folder.
        if (!CheckFolderName(in.lang_folder)) {
            throw PlatformError("unusable language folder name", src + in.lang_folder);
        }
        plan.add(in.lang_folder);
    } else {
        const auto all = fs.sub_folders(src);
        if (!all.empty())
            plan.folders.push_back("*");
        for (const std::string& name : all)
            plan.taken.insert(folded(name));
    }

    std::string::size_type start = 0;
    while (!in.copy_dirs.empty() && start <= in.copy_dirs.size()) {
        auto comma = in.copy_dirs.find(',', start);
        if (comma == std::string::npos)
            comma = in.copy_dirs.size();
        const std::string piece = in.copy_dirs.substr(start, comma - start);
        start = comma + 1;
        if (!CheckFolderName(piece))
            continue;
        const std::string found = find_entry(fs, src, piece, true);
        // A folder copied twice would fail on its own read-only files the second time.
        if (!found.empty() && !plan.has(found))
            plan.add(found);
    }
    return plan;
}

// A folder that cannot be listed here could not be copied either, so its failure is the copy's.
std::uint64_t planned_bytes(const CopyPlan& plan, const std::string& src, FileSystem& fs) {
    std::uint64_t total = 0;
    if (plan.top_files) {
        for (const std::string& file : fs.files(src))
            total += fs.file_size(src + file);
    }
    std::set<std::string> seen{folder_key(fs, src)};
    for (const std::string& name : plan.folders) {
        if (name == "*") {
            for (const std::string& sub : fs.sub_folders(src))
                total += tree_bytes(fs, src + sub + kPathSep, seen);
        } else {
            total += tree_bytes(fs, src + name + kPathSep, seen);
        }
    }
    return total;
}

void make_writable(FileSystem& fs, const std::string& folder, int level) {
    for (const std::string& file : fs.files(folder))
        fs.set_attributes(folder + file, kAttrNormal);
    if (level >= kWritableLevels)
        return;
    for (const std::string& sub : fs.sub_folders(folder)) {
        make_writable(fs, folder + sub + kPathSep, level + 1);
    }
}

// Replaces the package's engine file by the tool's when the tool's is strictly newer. True when
// it was replaced.
bool update_engine_file(FileSystem& fs, const std::string& tool, const std::string& out,
                        const std::string& name) {
    const std::string tool_name = find_entry(fs, tool, name, false);
    const std::string out_name = find_entry(fs, out, name, false);
    if (tool_name.empty() || out_name.empty())
        return false;
    if (fs.modified_time(tool + tool_name) <= fs.modified_time(out + out_name))
        return false;
    fs.copy_file(tool + tool_name, out + out_name);
    return true;
}

std::string installer_version(const std::string& out, const std::string& setup_ini,
                              const Context& ctx) {
    if (setup_ini.empty())
        return "";
    const std::size_t buffer = ctx.catalogue.buffer_len();
    const std::string ini = out + setup_ini;
    std::string sii = profile::get_string(ini, "FileName", "SiiName", "", buffer, ctx.codepage);
    if (sii.empty()) {
        sii = profile::get_string(ini, "Startup", "SiiName", "", buffer, ctx.codepage);
    }
    // The settings file must be one file of the package folder.
    if (!CheckFolderName(sii))
        return "";
    const std::string found = find_entry(ctx.fs, out, sii, false);
    if (found.empty())
        return "";
    return profile::get_string(out + found, "InitialSettings", "InstallerVersion", "", buffer,
                               ctx.codepage);
}

// Installers that know Windows 7 read its own settings files; packages made before it carry only
// the Vista ones, which serve unchanged.
void add_win7_settings(FileSystem& fs, const std::string& out) {
    for (const std::string& file : fs.files(out)) {
        if (equals_ignoring_case(file, "vista.sii") && !holds_file_named(fs, out, "win7.sii")) {
            fs.copy_file(out + file, out + "win7.sii");
        }
        if (equals_ignoring_case(file, "vista64.sii") &&
            !holds_file_named(fs, out, "win7x64.sii")) {
            fs.copy_file(out + file, out + "win7x64.sii");
        }
    }
}

class ProgressScope {
  public:
    ProgressScope(FileSystem& fs, const FileCopyProgress& progress, std::uint64_t total) : fs_(fs) {
        if (!progress)
            return;
        progress(0, total);
        fs_.set_copy_progress([progress, total](std::uint64_t done) {
            progress(total != 0 && done > total ? total : done, total);
        });
    }
    ~ProgressScope() { fs_.set_copy_progress({}); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

  private:
    FileSystem& fs_;
};

void copy_package(const FileCopyInput& in, const Context& ctx) {
    FileSystem& fs = ctx.fs;
    const std::string& src = in.source;
    const std::string& out = in.output;
    // CopyDir was taken from the catalogue: from one that could not be read it is no choice.
    ctx.catalogue.require_readable();

    const CopyPlan plan = plan_copy(in, fs);
    {
        ProgressScope progress(fs, in.progress,
                               in.progress ? planned_bytes(plan, src, fs) : std::uint64_t{0});
        if (plan.top_files)
            fs.copy_file(src + "*", out);
        for (const std::string& name : plan.folders)
            fs.copy_folder(src + name, out);
    }
    make_writable(fs, out, 0);

    const std::string setup_ini = find_entry(fs, out, "setup.ini", false);
    if (in.silent_install && !setup_ini.empty()) {
        const std::string ini = out + setup_ini;
        profile::write_string(ctx.fs, ini, "Languages", "Default", in.lang_code, ctx.codepage);
        profile::write_string(ctx.fs, ini, "Languages", "Count", "1", ctx.codepage);
        profile::write_string(ctx.fs, ini, "Languages", "key0", in.lang_code, ctx.codepage);
    }

    const auto archive = open_tool_archive(ctx, in.expander);
    const std::string& tool = archive->tool_folder();

    if (in.user_install)
        archive->install_launcher_tools(fs, encoder_folder(ctx), out);

    if (in.silent_install) {
        if (installer_version(out, setup_ini, ctx) == "V5") {
            for (const std::string& name : in.engine_v5)
                update_engine_file(fs, tool, out, name);
        } else {
            for (const std::string& name : in.engine_dll)
                update_engine_file(fs, tool, out, name);
            if (update_engine_file(fs, tool, out, "Setup.inx"))
                add_win7_settings(fs, out);
        }
    }
}

// An empty text would make every pattern relative to the working folder, and a copy into a
// folder inside its own source would never end.
bool usable_folders(const FileCopyInput& in, FileSystem& fs) {
    if (in.source.empty() || !ends_with_sep(in.source) || in.output.empty() ||
        !ends_with_sep(in.output)) {
        return false;
    }
    const std::string src_key = folder_key(fs, in.source);
    return folder_key(fs, in.output).compare(0, src_key.size(), src_key) != 0;
}

// Deletes what it can, one item at a time, so a read-only item keeps only itself and the folders
// that hold it, not its neighbours. Non-forced, as the rollback must never remove what the
// administrator protected.
void empty_folder(FileSystem& fs, const std::string& folder) {
    try {
        for (const std::string& file : fs.files(folder)) {
            try {
                fs.delete_file(folder + file, false);
            } catch (const std::exception&) {
            }
        }
        for (const std::string& sub : fs.sub_folders(folder)) {
            try {
                fs.delete_folder(folder + sub, false);
            } catch (const std::exception&) {
                empty_folder(fs, folder + sub + kPathSep);
            }
        }
    } catch (const std::exception&) {
        // A folder that cannot even be listed keeps what it holds.
    }
}

}  // namespace

void Error_Delete(FileSystem& fs, const std::string& output) {
    // An empty text would turn the names into ones relative to the working folder.
    if (output.empty() || !ends_with_sep(output) || !fs.folder_exists(output))
        return;
    empty_folder(fs, output);
}

bool generator_failed(const Context& ctx, const std::string& output, const std::string& key) {
    Error_Delete(ctx.fs, output);
    show_message(ctx.catalogue, ctx.prompter, key, "MsgErrOneMore");
    return false;
}

bool File_Copy(const FileCopyInput& input, const Context& ctx) {
    // The folder checks make these hold. Should they not, the output may be a folder that holds
    // anything, even the source, so it is left as it is instead of being emptied.
    if (!usable_folders(input, ctx.fs)) {
        show_message(ctx.catalogue, ctx.prompter, "MsgErrCopy", "MsgErrOneMore");
        return false;
    }
    try {
        copy_package(input, ctx);
        return true;
    } catch (const std::exception&) {
        return generator_failed(ctx, input.output, "MsgErrCopy");
    }
}

}  // namespace korva
