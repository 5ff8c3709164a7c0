// SPDX-License-Identifier: MIT
// The launcher's course: read the settings beside it, check the program, start it under the
// account (through a second instance of itself where Windows wants elevation), wait for the
// installer and its setup.exe processes within the time-out, then make the printer the user's
// default. Every failure ends it with one message (none with /quiet) and its own exit code.
#pragma once

#include <string>
#include <vector>

#include "platform/launcher_system.h"

namespace korva::launcher {

// The switch of the second instance: started under the account, it asks for the administrator's
// consent and hands the installer's exit code back. It reads the same settings file; nothing
// secret crosses its command line.
inline constexpr char kElevatedSwitch[] = "/korva-elevated";
inline constexpr char kQuietSwitch[] = "/quiet";

// How long the spooler may take to know a printer the installer has just made.
inline constexpr std::chrono::seconds kPrinterRetryTime{15};
inline constexpr std::chrono::milliseconds kPollInterval{250};
// Wait "for ever" without overflowing the clock's arithmetic.
inline constexpr std::chrono::hours kNoTimeLimit{24 * 365 * 10};

// launcher_path: the running program's full path; its settings file is that path with ".ini"
// in place of its extension. Returns the exit code.
int run_launcher(const std::string& launcher_path, const std::vector<std::string>& switches,
                 launch::LauncherSystem& system);

}  // namespace korva::launcher
