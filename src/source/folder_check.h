// SPDX-License-Identifier: MIT
// The folder checks that every Create runs before it writes anything, shared by the main window
// and the removal window; they differ only in the catalogue section and the package re-read.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace korva {

class Catalogue;
class FileSystem;
class Prompter;

inline constexpr const char* kDefaultSubFolder = "KorvaDrivers";

// False for a name that is empty or blank, that holds one of \ / : * ? < > |, or that is made of
// dots only ("." and ".." would leave the folder the name belongs to).
bool CheckFolderName(const std::string& Name);

// The canonical form of a folder text (ending in the separator, case folded where the platform
// ignores case), so two texts name one folder exactly when their keys are equal and a folder lies
// inside another exactly when its key starts with the other's. A path the system cannot resolve
// is compared as written.
std::string folder_key(FileSystem& fs, const std::string& path);

// A folder that exists but could not be listed. The folder checks report it as a folder that could
// not be read (MsgErrFolderRead naming it), never as a folder that lacks what was looked for.
class FolderReadError : public PlatformError {
  public:
    explicit FolderReadError(const std::string& folder)
        : PlatformError("Cannot read the folder", folder) {}
};

// The listings of the folder checks and the package reader: as the file system's, but a failure
// is a FolderReadError naming the folder. A folder that is gone has no entries.
std::vector<std::string> listed_sub_folders(FileSystem& fs, const std::string& folder);
std::vector<std::string> listed_files(FileSystem& fs, const std::string& folder);
// Matches of a name or pattern in folder (ending in the separator), folders included when asked.
std::vector<std::string> listed_matches(FileSystem& fs, const std::string& folder,
                                        const std::string& pattern, bool include_folders);

// Re-reads the source package after the folders passed; returns false after showing its own
// message. Empty when the window has no package to re-read.
using PackageReread = std::function<bool()>;

// Checks the source and output folder texts, asks for a new sub-folder when the output folder is
// not empty and creates it. Both texts end in the separator afterwards (also after a failure past
// the first step), and out_path names the sub-folder when one was chosen. Returns false after
// the message has been shown, or when the administrator declined or cancelled.
bool Check_FolderPath(std::string& in_path, std::string& out_path, const Catalogue& catalogue,
                      Prompter& prompter, FileSystem& fs, const PackageReread& reread = {});

}  // namespace korva
