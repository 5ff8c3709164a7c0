// SPDX-License-Identifier: MIT
// Functions of the system DLLs that only a later step needs (the folder browser, the file
// dialogs, COM), looked up when first called: imported, each DLL and those it pulls in would
// load before the window shows, although most runs never open a dialog.
#pragma once

#include <windows.h>

namespace korva::win32 {

// The named function of a DLL from the system folder, or null where it is missing.
template <typename Function>
Function system_function(const wchar_t* dll, const char* name) {
    // By its full path in the system folder: a DLL of that name beside the program or in the
    // current folder is never taken.
    wchar_t path[MAX_PATH + 32] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    lstrcatW(path, L"\\");
    lstrcatW(path, dll);
    HMODULE module = LoadLibraryW(path);
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

}  // namespace korva::win32
