// SPDX-License-Identifier: MIT
// Finds the installer folder of a driver distribution and the languages it carries, for every
// layout the maker ships (flat, kind folder, Drivers tree, plain).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dialogs/context.h"
#include "source/package_state.h"

namespace korva {

inline constexpr const char* kKindPrinter = "Printer";
inline constexpr const char* kKindPcfax = "Pcfax";
inline constexpr const char* kDriversFolder = "Drivers";

// Reads the languages of the package in `folder` (with or without the final separator). True
// when the folder holds a setup.ini. Refills pkg.Language_Name with the display names of the
// languages whose folders exist (first one selected), rewrites Lang_Folders/Lang_Codes from index
// 0 when it finds any, and sets Lang_Folder to the first one found (emptied first, so a folder of
// an earlier package never decides for this one).
bool Language_Name_Get(PackageState& pkg, const Context& ctx, const std::string& folder);

// Finds the installer folder below In_Path (which ends in the separator). On true,
// pkg.Driver_Folder and In_Path hold it. On false a message has been shown, except for a kind
// folder whose language folder is missing. May ask the printer/PC-Fax question.
bool In_Path_Check(PackageState& pkg, const Context& ctx, std::string& In_Path);

// ---- helpers shared with the model catalogue

// The number a count value of a package file stands for, read as the installer's engine reads
// it: leading blanks skipped, an optional sign, the digits up to the first other character; 0
// when there are none. Saturates instead of overflowing.
long long count_value(const std::string& text);

// The text before the first blank, or all of it.
std::string before_first_blank(const std::string& text);

// Full path of the first file in folder (ending in the separator) whose name matches the
// pattern, case ignored; a name equal to the pattern wins over other matches. Empty when none.
std::string find_file(FileSystem& fs, const std::string& folder, const std::string& pattern);

// Names taken from a package or the catalogue, found as Windows finds them: case ignored, the
// exact spelling preferred, and the spelling on disk given back. find_folder gives the name of
// the folder inside `folder` (ending in the separator), nullopt when there is none;
// find_folder_path the whole path (ending in the separator) of a relative path of folders
// separated by \ or /, empty when one is missing; file_path the path of the file, or the name
// appended as written when none matches. A folder that cannot be listed throws FolderReadError.
std::optional<std::string> find_folder(FileSystem& fs, const std::string& folder,
                                       const std::string& name);
std::string find_folder_path(FileSystem& fs, const std::string& folder,
                             const std::string& relative);
std::string file_path(FileSystem& fs, const std::string& folder, const std::string& name);

// Entries of the language table [LanguagesSub] that have the three items id, folder, ..., name.
struct LanguageEntry {
    std::string id;
    std::string folder;
    std::string display_name;
};
std::vector<LanguageEntry> language_table(const Catalogue& catalogue);

}  // namespace korva
