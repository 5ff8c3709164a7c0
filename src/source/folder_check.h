// SPDX-License-Identifier: MIT
// The folder checks that every Create runs before it writes anything, shared by the main window
// and the removal window; they differ only in the catalogue section and the package re-read.
#pragma once

#include <functional>
#include <string>

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
