// SPDX-License-Identifier: MIT
// Unpacking of the tool archive shared by every window that needs the encoder, the run-as
// program or the installer engine files.
#include "package/tool_archive.h"

#include <exception>

#include "dialogs/context.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"

namespace korva {

namespace {

constexpr int kCleanupRetries = 2;

}  // namespace

TempFolder::TempFolder(FileSystem& fs, const std::string& prefix)
    : fs_(fs), path_(with_trailing_sep(fs.make_temp_folder(prefix))) {}

TempFolder::~TempFolder() {
    // A cleanup can meet a passing failure of its own (a file still held for a moment, a call
    // interrupted): it is tried again, as a folder left behind holds the expanded run-as program.
    fs_.remove_all(path_);
    for (int retry = 0; retry < kCleanupRetries && fs_.folder_exists(path_); ++retry)
        fs_.remove_all(path_);
}

ToolArchive::ToolArchive(FileSystem& fs, const std::string& program_folder, const EventPump& pump,
                         const CabinetExpander& expander)
    : fs_(fs), temp_(fs, "korva-tool-") {
    // The cabinet stays outside the folder it is expanded into, so the expanded folder holds
    // the archive's content and nothing else.
    const std::string bin = temp_.path() + kToolArchiveName;
    const std::string cab = temp_.path() + "Tool.cab";
    // Named without its final separator: on Windows a separator before the closing quote of the
    // expander's command line would escape the quote.
    const std::string expanded_name = temp_.path() + "Tool";
    const std::string expanded = expanded_name + kPathSep;

    fs.copy_file(with_trailing_sep(program_folder) + kToolArchiveName, bin);
    fs.rename(bin, cab);
    fs.create_folder(expanded_name);
    if (expander) {
        expander(cab, expanded_name, pump);
    } else {
        expand_cabinet(cab, expanded_name, pump);
    }
    fs.delete_file(cab, true);

    const auto sub_folders = fs.sub_folders(expanded);
    // Some expanders report success for an archive they could not read.
    if (sub_folders.empty() && fs.files(expanded).empty()) {
        throw PlatformError("The tool archive holds nothing", cab);
    }
    tool_folder_ = sub_folders.empty() ? expanded : expanded + sub_folders.back() + kPathSep;
}

namespace {

void remove_quietly(FileSystem& fs, const std::string& path) {
    try {
        if (fs.file_exists(path))
            fs.delete_file(path, true);
    } catch (const std::exception&) {
        // The failure that brought us here is the one to report.
    }
}

}  // namespace

// The encoder is shared by every later user install on this computer and is placed only when
// missing, so it takes its name only once it is complete: a copy cut short (a full disk) must not
// leave a file that would be taken for it from then on. An empty one is such a leftover.
void ToolArchive::place_encoder(FileSystem& fs, const std::string& system) const {
    const std::string target = system + kEncoderName;
    const auto found = fs.list(target, false);
    if (!found.empty() && fs.file_size(system + found.front()) > 0)
        return;
    const std::string partial = system + "~" + kEncoderName + ".new";
    try {
        fs.copy_file(tool_folder_ + kEncoderName, partial);
        if (!found.empty())
            fs.delete_file(system + found.front(), true);
        fs.rename(partial, target);
    } catch (...) {
        remove_quietly(fs, partial);
        throw;
    }
}

void ToolArchive::install_launcher_tools(const std::string& system_folder,
                                         const std::string& package_folder) const {
    install_launcher_tools(fs_, system_folder, package_folder);
}

void ToolArchive::install_launcher_tools(FileSystem& fs, const std::string& system_folder,
                                         const std::string& package_folder) const {
    place_encoder(fs, with_trailing_sep(system_folder));
    fs.copy_file(tool_folder_ + "RunAsWithVB.exe",
                 with_trailing_sep(package_folder) + "RunAsWithVB.exe");
}

std::shared_ptr<const ToolArchive> ToolArchiveCache::archive(const std::string& program_folder,
                                                             const EventPump& pump,
                                                             const CabinetExpander& expander) {
    const std::string path = with_trailing_sep(program_folder) + kToolArchiveName;
    // Held while expanding: a second job asking for the same archive waits for this one instead
    // of expanding it a second time.
    const std::lock_guard lock(mutex_);
    const std::uint64_t size = fs_.file_size(path);
    const std::int64_t modified = fs_.modified_time(path);
    for (const Entry& entry : entries_) {
        if (entry.archive_path == path && entry.size == size && entry.modified == modified)
            return entry.archive;
    }
    auto expanded = std::make_shared<const ToolArchive>(fs_, program_folder, pump, expander);
    ++expansions_;
    // A changed archive replaces the old one; jobs still using the old one keep it alive.
    std::erase_if(entries_, [&](const Entry& entry) { return entry.archive_path == path; });
    entries_.push_back({path, size, modified, expanded});
    return expanded;
}

int ToolArchiveCache::expansions() const {
    const std::lock_guard lock(mutex_);
    return expansions_;
}

std::shared_ptr<const ToolArchive> open_tool_archive(const Context& ctx,
                                                     const CabinetExpander& expander) {
    if (ctx.tool_archives != nullptr)
        return ctx.tool_archives->archive(ctx.program_folder, ctx.pump, expander);
    return std::make_shared<const ToolArchive>(ctx.fs, ctx.program_folder, ctx.pump, expander);
}

std::string encoder_folder(const Context& ctx) {
    return ctx.system_folder.empty() ? system_directory() : with_trailing_sep(ctx.system_folder);
}

}  // namespace korva
