// SPDX-License-Identifier: MIT
// Unpacking of the tool archive shared by every window that needs the encoder, the run-as
// program or the installer engine files.
#include "package/tool_archive.h"

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

void ToolArchive::install_launcher_tools(const std::string& system_folder,
                                         const std::string& package_folder) const {
    const std::string system = with_trailing_sep(system_folder);
    if (fs_.list(system + "screnc.exe", false).empty()) {
        fs_.copy_file(tool_folder_ + "screnc.exe", system + "screnc.exe");
    }
    fs_.copy_file(tool_folder_ + "RunAsWithVB.exe",
                  with_trailing_sep(package_folder) + "RunAsWithVB.exe");
}

std::string encoder_folder(const Context& ctx) {
    return ctx.system_folder.empty() ? system_directory() : with_trailing_sep(ctx.system_folder);
}

}  // namespace korva
