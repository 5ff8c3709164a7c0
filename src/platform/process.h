// SPDX-License-Identifier: MIT
// Starting outside programs. A command is a program with its arguments, not a shell string, so
// paths with blanks or quotes cannot break it. On Windows a command may instead carry its exact
// command line: cmd.exe splits its line by rules of its own, so the lines the package formats
// expect (cmd.exe /C ...) are written out whole rather than assembled from arguments.
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
    // Windows only: the line handed to the process unchanged. When empty, the line is made from
    // program and arguments, quoted the way the C runtime splits them again.
    std::string command_line{};
};

// The cabinet expander as the package formats start it (Windows, hidden):
//   cmd.exe /C Expand "{cabinet}" "{folder}" -F:*
// The folder must not end in a separator, which would escape the closing quote.
Command expander_command(const std::string& cabinet, const std::string& folder);

// The script encoder as the package formats start it (Windows, minimised with the focus):
//   cmd.exe /C screnc "{vbs}" "{vbe}"
Command encoder_command(const std::string& vbs, const std::string& vbe);

// Keeps the window alive while a process runs.
using EventPump = std::function<void()>;

inline constexpr std::chrono::seconds kDefaultProcessTimeLimit{120};

// Starts the command and waits for it, calling pump between polls. Returns the exit code.
// Throws PlatformError when it cannot start or does not end within the time limit (then it is
// killed, with whatever it started).
int run_and_wait(const Command& command, const EventPump& pump,
                 std::chrono::milliseconds time_limit = kDefaultProcessTimeLimit);

// Expands a cabinet file into a folder: Windows Expand, elsewhere cabextract. Throws on failure.
void expand_cabinet(const std::string& cabinet, const std::string& folder, const EventPump& pump);

// Blocks the thread, as the fixed pauses of the window hand-over do.
void sleep_ms(int milliseconds);

// The Windows system directory (ending in the separator); elsewhere a folder under the user's data
// directory, created when missing. KORVA_SYSTEM_DIR, when set, names the folder on either system
// (created when missing), so that tests never write into the real one.
std::string system_directory();

// Folder of the running executable, ending in the separator.
std::string executable_folder();

}  // namespace korva
