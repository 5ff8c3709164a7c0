// SPDX-License-Identifier: MIT
// A file of its own: only the console program reads its arguments so, and the window program
// must not import shell32 at start for it.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <vector>

#include "platform/codepage.h"
#include "platform/console.h"

namespace korva {

std::vector<std::string> program_arguments(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide != nullptr && i < count; ++i)
        arguments.push_back(utf16_to_utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

}  // namespace korva
