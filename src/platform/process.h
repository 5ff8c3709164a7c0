// SPDX-License-Identifier: MIT
// Starting outside programs. A command is a program with its arguments, not a shell string, so
// paths with blanks or quotes cannot break it. On Windows the command line is built exactly as
// the package formats expect (cmd.exe /C ...).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace korva {

enum class WindowStyle { Hidden = 0, MinimizedFocus = 2 };

struct Command {
    std::string program;
    std::vector<std::string> arguments;
    WindowStyle window_style = WindowStyle::Hidden;
};

// Keeps the window alive while a process runs.
using EventPump = std::function<void()>;

inline constexpr std::chrono::seconds kDefaultProcessTimeLimit{120};

// Starts the command and waits for it, calling pump between polls. Returns the exit code.
// Throws PlatformError when it cannot start or does not end within the time limit (then it is
// killed).
int run_and_wait(const Command& command, const EventPump& pump,
                 std::chrono::milliseconds time_limit = kDefaultProcessTimeLimit);

// Expands a cabinet file into a folder: Windows Expand, elsewhere cabextract. Throws on failure.
void expand_cabinet(const std::string& cabinet, const std::string& folder, const EventPump& pump);

// Blocks the thread, as the fixed pauses of the window hand-over do.
void sleep_ms(int milliseconds);

// The Windows system directory (ending in the separator); elsewhere KORVA_SYSTEM_DIR or a folder
// under the user's data directory, created when missing.
std::string system_directory();

// Folder of the running executable, ending in the separator.
std::string executable_folder();

}  // namespace korva
