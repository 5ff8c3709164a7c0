// SPDX-License-Identifier: MIT
// The program's only entry point: the main window's start-up decides which tool is in front.
// clang-format off
// windows.h first: the other Windows headers build on its types.
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/process.h"
#include "platform/registry_settings.h"
#include "win32/app_shell_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    int result = 0;
    {
        korva::RegistrySettingsStore settings;
        korva::win32::AppShell shell(korva::executable_folder(), settings);
        shell.start();
        result = shell.run_message_loop();
    }
    return result;
}
