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

TempFolder::TempFolder(FileSystem& fs, const std::string& prefix)
    : fs_(fs), path_(with_trailing_sep(fs.make_temp_folder(prefix))) {}

TempFolder::~TempFolder() {
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
void ToolArchive::place_encoder(const std::string& system) const {
    const std::string target = system + kEncoderName;
    const auto found = fs_.list(target, false);
    if (!found.empty() && fs_.file_size(system + found.front()) > 0)
        return;
    const std::string partial = system + "~" + kEncoderName + ".new";
    try {
        fs_.copy_file(tool_folder_ + kEncoderName, partial);
        if (!found.empty())
            fs_.delete_file(system + found.front(), true);
        fs_.rename(partial, target);
    } catch (...) {
        remove_quietly(fs_, partial);
        throw;
    }
}

void ToolArchive::install_launcher_tools(const std::string& system_folder,
                                         const std::string& package_folder) const {
    place_encoder(with_trailing_sep(system_folder));
    fs_.copy_file(tool_folder_ + "RunAsWithVB.exe",
                  with_trailing_sep(package_folder) + "RunAsWithVB.exe");
}

std::string encoder_folder(const Context& ctx) {
    return ctx.system_folder.empty() ? system_directory() : with_trailing_sep(ctx.system_folder);
}

}  // namespace korva
