// SPDX-License-Identifier: MIT
// What core procedures need of the world: the window's catalogue, someone to ask, the file
// system, the code page of files and a way to keep the window alive during long work.
#pragma once

#include <functional>
#include <optional>

#include "catalogue/catalogue.h"
#include "dialogs/prompter.h"
#include "platform/codepage.h"
#include "platform/filesystem.h"
#include "platform/process.h"

namespace korva {

class ToolArchiveCache;

struct Context {
    const Catalogue& catalogue;
    Prompter& prompter;
    FileSystem& fs;
    CodePage codepage = CodePage::system();
    EventPump pump = [] {};
    // The folder that holds the executable, Tool.sii and Tool.bin (ends in the separator).
    std::string program_folder;
    // Where the script encoder is placed; empty in real runs, where the system directory is asked
    // for only when a user install needs it, inside the copy's failure handling.
    std::string system_folder;
    // The expanded tool archives of a run of many builds; none: each generator expands its own.
    ToolArchiveCache* tool_archives = nullptr;
    // A job's choice of the native launcher beside the .vbe launchers; none: Tool.sii decides.
    std::optional<bool> native_launcher = std::nullopt;
};

}  // namespace korva
