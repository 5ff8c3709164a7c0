// SPDX-License-Identifier: MIT
// What the launcher tests under Wine share: the programs the build hands them, and the clean-up
// of stand-in installers that a time-out left running.
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

// A stand-in installer left running would hold up the next test's wait for setup.exe.
inline void end_stub_installers() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry))
        if (::lstrcmpiW(entry.szExeFile, L"setup.exe") == 0)
            if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
                ::TerminateProcess(p, 1);
                ::CloseHandle(p);
            }
    ::CloseHandle(snapshot);
}

}  // namespace korva::test
