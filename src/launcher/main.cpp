// SPDX-License-Identifier: MIT
// The native launcher a package carries as setupLaunch.exe, EraserToolLaunch.exe or
// {program}Launch.exe: one program under several names, each reading the .ini of its own name.
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/run.h"
#include "launcher/starter_choice.h"
#include "platform/codepage.h"

int wmain(int argc, wchar_t** argv) {
    const std::string self = korva::launch::running_program_path();
    const auto starter = korva::launcher::make_account_starter();
    const auto system = korva::launch::windows_launcher_system(*starter, self);
    std::vector<std::string> switches;
    for (int i = 1; i < argc; ++i)
        switches.push_back(korva::utf16_to_utf8(argv[i]));
    return korva::launcher::run_launcher(self, switches, *system);
}
