// SPDX-License-Identifier: MIT
// The parts of starting programs that are the same on every system: the command lines the
// package formats fix, and the pauses. Starting and waiting live in process_posix.cpp and
// process_win.cpp.
#include "platform/process.h"

#include <thread>

namespace korva {
namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

Command expander_command(const std::string& cabinet, const std::string& folder) {
    Command command{"cmd.exe", {"/C", "Expand", cabinet, folder, "-F:*"}, WindowStyle::Hidden};
    command.command_line = "cmd.exe /C Expand " + quoted(cabinet) + " " + quoted(folder) + " -F:*";
    return command;
}

Command encoder_command(const std::string& vbs, const std::string& vbe) {
    Command command{"cmd.exe", {"/C", "screnc", vbs, vbe}, WindowStyle::MinimizedFocus};
    command.command_line = "cmd.exe /C screnc " + quoted(vbs) + " " + quoted(vbe);
    return command;
}

void sleep_ms(int milliseconds) {
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace korva
