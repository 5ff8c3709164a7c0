// SPDX-License-Identifier: MIT
// The native launcher beside the .vbe launchers: the launcher program, copied from beside this
// tool under the package's own name, and its settings file, which records the program it starts
// with that program's digest, so a package whose program was swapped afterwards refuses to run.
#pragma once

#include <string>

#include "dialogs/context.h"
#include "package/launcher_scripts.h"
#include "platform/error.h"

namespace korva {

// The launcher program as it travels beside KorvaTool.exe and korva-build.
inline constexpr const char* kLauncherProgram = "setupLaunch.exe";

// What one native launcher of a package starts and waits for.
struct NativeLauncherFiles {
    std::string name;     // base name of the .exe and .ini in the package: "setupLaunch"
    std::string program;  // the program beside it that it starts
    Credentials creds;
    std::string wait_process;     // the process name waited for afterwards; empty: none
    std::string default_printer;  // empty: the default printer is left alone
    int printer_count = 1;        // the time-out is counted per printer, as the scripts count it
};

// The tool's program folder lacks the launcher program; path names it.
class LauncherProgramMissing : public PlatformError {
  public:
    explicit LauncherProgramMissing(const std::string& path)
        : PlatformError("the launcher program is missing", path) {}
};

// The job's choice when it made one, else Tool.sii [Setup] NativeLauncher (0 or missing: off).
bool native_launcher_wanted(const Context& ctx);

// Writes folder + name + ".exe" and ".ini" (folder ends in the separator). The settings file is
// in the package's code page, its messages in the package language: Japanese where the files are
// written in code page 932, else English. Throws PlatformError (LauncherProgramMissing when the
// program folder has no launcher program), for the caller's single failure handler.
void write_native_launcher(const NativeLauncherFiles& files, const std::string& folder,
                           const Context& ctx);

// The one message of a failed generator: the missing launcher program or the failed encoder
// step by its path, else key.
void show_generator_failure(const Context& ctx, const std::exception& error,
                            const std::string& key);

}  // namespace korva
