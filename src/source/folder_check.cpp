// SPDX-License-Identifier: MIT
// Source and output folders are compared in their canonical form, so an output folder reached
// through "..", a link or another spelling cannot end up inside the source it is copied from.
#include "source/folder_check.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include "catalogue/catalogue.h"
#include "dialogs/account_check.h"
#include "dialogs/messages.h"
#include "dialogs/prompter.h"
#include "platform/filesystem.h"
#include "platform/path.h"

namespace korva {

namespace {

std::string trim_blanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A root as typed, or reached through "..": the rollback empties the output.
bool is_drive_root(const std::string& out_path, const std::string& out_key) {
    return names_a_root(out_path) || names_a_root(out_key);
}

enum class OutputChoice { Ready, Declined };

// Leaves out_path at an empty or not yet existing folder, asking for a sub-folder name while it
// holds anything. Throws when the file system fails.
OutputChoice choose_empty_output(std::string& out_path, const Catalogue& cat, Prompter& prompter,
                                 FileSystem& fs) {
    bool asked = false;
    for (;;) {
        if (!fs.folder_exists(out_path))
            return OutputChoice::Ready;
        if (listed_sub_folders(fs, out_path).size() + listed_files(fs, out_path).size() == 0) {
            return OutputChoice::Ready;
        }
        if (!asked) {
            if (!prompter.ask_yes_no(cat.message_text("MsgErrOutPath3", "MsgErrCreate1"),
                                     cat.text("MsgErr"))) {
                return OutputChoice::Declined;
            }
            asked = true;
        }
        const std::string prompt = cat.text("MsgErrCreate2") + "\r\n" +
                                   cat.text("MsgErrCreateName") + "\r\n\r\n" +
                                   cat.text("MsgErrCreateOP") + out_path;
        const std::optional<std::string> answer =
            prompter.input(prompt, cat.text("MsgErrCreateFolder"), kDefaultSubFolder);
        if (!answer)
            return OutputChoice::Declined;
        if (holds_control_char(*answer)) {
            show_message(cat, prompter, "MsgErrCtrlChar");
            continue;
        }
        // A name that would not stay a single folder inside the output is refused; a blank one
        // is asked for again as an empty answer is, any other with the reason.
        if (!CheckFolderName(*answer)) {
            show_message(
                cat, prompter,
                trim_blanks(*answer).empty() ? "MsgErrCreateFName" : "MsgErrCreateBadName");
            continue;
        }
        const std::string candidate = out_path + *answer;
        if (fs.folder_exists(candidate) || fs.file_exists(candidate)) {
            show_message(cat, prompter, "MsgErrCreateExit", "MsgErrCreateAnother");
            continue;
        }
        out_path = candidate + kPathSep;
    }
}

}  // namespace

namespace {

template <typename Listing>
std::vector<std::string> listed(FileSystem& fs, const std::string& folder, Listing listing) {
    try {
        return listing();
    } catch (const std::exception&) {
        if (!fs.folder_exists(folder))
            return {};
        throw FolderReadError(folder);
    }
}

}  // namespace

std::vector<std::string> listed_sub_folders(FileSystem& fs, const std::string& folder) {
    return listed(fs, folder, [&] { return fs.sub_folders(folder); });
}

std::vector<std::string> listed_files(FileSystem& fs, const std::string& folder) {
    return listed(fs, folder, [&] { return fs.files(folder); });
}

std::vector<std::string> listed_matches(FileSystem& fs, const std::string& folder,
                                        const std::string& pattern, bool include_folders) {
    return listed(fs, folder, [&] { return fs.list(folder + pattern, include_folders); });
}

std::string folder_key(FileSystem& fs, const std::string& path) {
    std::string key;
    try {
        key = with_trailing_sep(fs.canonical(path));
    } catch (const std::exception&) {
        key = with_trailing_sep(path);
    }
    return name_comparison_key(key);
}

namespace {

bool is_reserved_device_name(const std::string& name) {
    // Windows takes the part before the first dot, less trailing blanks, as the device:
    // "nul.txt" and "COM1 " open a device, not a folder.
    std::string stem = trim_blanks(name.substr(0, name.find('.')));
    std::transform(stem.begin(), stem.end(), stem.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

bool CheckFolderName(const std::string& Name) {
    const std::string trimmed = trim_blanks(Name);
    if (trimmed.empty())
        return false;
    if (Name.find_first_of("\\/:*?<>|") != std::string::npos)
        return false;
    if (is_reserved_device_name(Name))
        return false;
    return trimmed.find_first_not_of('.') != std::string::npos;
}

bool Check_FolderPath(std::string& in_path, std::string& out_path, const Catalogue& catalogue,
                      Prompter& prompter, FileSystem& fs, const PackageReread& reread) {
    in_path = with_trailing_sep(in_path);
    out_path = with_trailing_sep(out_path);

    const std::string in_key = folder_key(fs, in_path);
    const std::string out_key = folder_key(fs, out_path);
    if (out_key == in_key) {
        show_message(catalogue, prompter, "MsgErrInOut", "MsgErrAnother");
        return false;
    }
    if (out_key.compare(0, in_key.size(), in_key) == 0) {
        show_message(catalogue, prompter, "MsgErrInPath3", "MsgErrAnother");
        return false;
    }
    if (!fs.folder_exists(in_path)) {
        show_message(catalogue, prompter, "MsgErrInPath2", "MsgErrChk");
        return false;
    }
    if (is_drive_root(out_path, out_key)) {
        show_message(catalogue, prompter, "MsgErrDrvPath", "MsgErrChk");
        return false;
    }
    if (!fs.folder_exists(out_path)) {
        show_message(catalogue, prompter, "MsgErrOutPath2", "MsgErrChk");
        return false;
    }

    try {
        if (choose_empty_output(out_path, catalogue, prompter, fs) == OutputChoice::Declined) {
            return false;
        }
        if (!fs.folder_exists(out_path))
            fs.create_folder(without_trailing_sep(out_path));
    } catch (const FolderReadError& error) {
        show_filled_message(catalogue, prompter, "MsgErrFolderRead", {error.path()});
        return false;
    } catch (const std::runtime_error&) {  // PlatformError and the library's filesystem errors
        show_message(catalogue, prompter, "MsgErrOutPath4", "MsgErrChk");
        return false;
    }
    // The package reader has no failure handler of its own; a file system failure while it
    // re-reads the package ends here too, with one message, instead of aborting Create. Reading
    // opens nothing for writing, so any failure there is the source that could not be read.
    try {
        return !reread || reread();
    } catch (const FolderReadError& error) {
        show_filled_message(catalogue, prompter, "MsgErrFolderRead", {error.path()});
        return false;
    } catch (const std::runtime_error&) {
        show_filled_message(catalogue, prompter, "MsgErrFolderRead", {in_path});
        return false;
    }
}

}  // namespace korva
