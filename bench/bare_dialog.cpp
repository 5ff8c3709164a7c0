// SPDX-License-Identifier: MIT
// The main window's dialog template, taken from KorvaTool.exe beside it and shown with nothing
// else: no catalogue, no binding, no layout. What Wine needs to create and show those controls
// bounds how close the program can come to the minimal window.
// clang-format off
// windows.h first: the other Windows headers build on its types.
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "win32/resource_ids.h"

static INT_PTR CALLBACK dialog_proc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE)
        PostQuitMessage(0);
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HMODULE program = LoadLibraryExW(L"KorvaTool.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamW(program, MAKEINTRESOURCEW(IDD_MAIN), nullptr, dialog_proc, 0);
    if (!dialog)
        return 1;
    SetWindowTextW(dialog, L"Bare dialog");
    ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
