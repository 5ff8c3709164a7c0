// SPDX-License-Identifier: MIT
// The first generator of Create: the part of the source driver package the chosen options need,
// its setup.ini narrowed to one language, newer installer engine files, the run-as program and
// the script encoder. Also the rollback and the one failure handler every generator shares.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "package/tool_archive.h"

namespace korva {

struct Context;
class FileSystem;

// Bytes copied so far and the bytes the whole copy will take (0 when unknown).
using FileCopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct FileCopyInput {
    std::string source;  // Driver_Folder, ends in the separator
    std::string output;  // the output folder text, ends in the separator
    bool silent_install = false;
    bool user_install = false;
    // The chosen package language: its folder in the source and its code for setup.ini.
    std::string lang_folder;
    std::string lang_code;
    // [Setup] CopyDir of Tool.sii: further folder names, separated by ",".
    std::string copy_dirs;
    std::vector<std::string> engine_dll;
    std::vector<std::string> engine_v5;
    FileCopyProgress progress;
    CabinetExpander expander;  // empty: the platform's
};

// Empties the output folder: its files, then its folders, read-only items left in place. Never
// fails, also not when the folder is missing or empty.
void Error_Delete(FileSystem& fs, const std::string& output);

// The failure path of a generator: empties the output, shows the generator's message key with
// MsgErrOneMore below it (title MsgErr), and returns false for the generator to return.
bool generator_failed(const Context& ctx, const std::string& output, const std::string& key);

// True when the package was written; false after a failure, when the output folder has been
// emptied and the administrator told (MsgErrCopy).
bool File_Copy(const FileCopyInput& input, const Context& ctx);

}  // namespace korva
