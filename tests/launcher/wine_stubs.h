// SPDX-License-Identifier: MIT
// What the launcher tests under Wine share: the programs the build hands them, and the clean-up
// of the programs a time-out or a script left running.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace korva::test {

inline std::filesystem::path from_env(const char* name) {
    return utf8_path(std::getenv(name));
}

// Ends every program started from the folder and removes the folder. Windows keeps the file of a
// running program and the current folder of a process, and the scripts leave programs running.
inline void remove_with_its_programs(const std::filesystem::path& folder) {
    const std::wstring prefix = folder.wstring() + L"\\";
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        HANDLE p =
            ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                          FALSE, entry.th32ProcessID);
        if (p == nullptr)
            continue;
        wchar_t image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (::QueryFullProcessImageNameW(p, 0, image, &size) &&
            ::CompareStringOrdinal(image, static_cast<int>(prefix.size()), prefix.c_str(),
                                   static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL) {
            ::TerminateProcess(p, 1);
            ::WaitForSingleObject(p, 5000);
        }
        ::CloseHandle(p);
    }
    ::CloseHandle(snapshot);
    // A cmd.exe the script started may still stand in the folder for a moment.
    std::error_code error;
    for (int tries = 0; tries < 50; ++tries) {
        std::filesystem::remove_all(folder, error);
        if (!std::filesystem::exists(folder, error))
            return;
        ::Sleep(100);
    }
}

}  // namespace korva::test
