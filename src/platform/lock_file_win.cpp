// SPDX-License-Identifier: MIT
// Windows side of lock files: CREATE_NEW for the exclusive create, MoveFileExW for the steps that
// must not be seen half done, and the process's creation time to tell a reused id apart.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/lock_file.h"
#include "platform/win_handle.h"

namespace korva {

namespace {

PlatformError failure(const std::string& what, const std::string& path) {
    return PlatformError(what + " (error " + std::to_string(::GetLastError()) + ")", path);
}

void write_all(HANDLE file, const std::string& bytes, const std::string& path) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw failure("Cannot write", path);
    }
}

void write_new_file(const std::wstring& wide, DWORD disposition, const std::string& bytes,
                    const std::string& path) {
    Handle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throw failure("Cannot create", path);
    write_all(file.get(), bytes, path);
}

std::string creation_time(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return "";
    const auto ticks =
        (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return std::to_string(ticks);
}

}  // namespace

ProcessIdentity current_process() {
    ProcessIdentity me;
    me.pid = ::GetCurrentProcessId();
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (::GetComputerNameW(host, &length))
        me.host = utf16_to_utf8(std::wstring_view(host, length));
    me.started = creation_time(::GetCurrentProcess());
    return me;
}

bool process_runs(std::uint64_t pid, const std::string& started) {
    if (pid == 0 || pid > MAXDWORD)
        return false;
    Handle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    if (!process.valid())
        return ::GetLastError() == ERROR_ACCESS_DENIED;  // it runs, under another account
    DWORD code = 0;
    if (::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE)
        return false;
    return started.empty() || creation_time(process.get()) == started;
}

bool create_file_exclusive(const std::string& path, const std::string& bytes) {
    const std::wstring wide = utf8_to_utf16(path);
    Handle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return false;
        throw failure("Cannot create", path);
    }
    try {
        write_all(file.get(), bytes, path);
    } catch (...) {
        ::CloseHandle(file.get());
        ::DeleteFileW(wide.c_str());
        throw;
    }
    return true;
}

std::optional<std::string> read_small_file(const std::string& path) {
    Handle file(::CreateFileW(utf8_to_utf16(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void replace_file_atomically(const std::string& path, const std::string& bytes) {
    const std::string next = path + ".next" + std::to_string(::GetCurrentProcessId());
    const std::wstring wide_next = utf8_to_utf16(next);
    write_new_file(wide_next, CREATE_ALWAYS, bytes, next);
    if (!::MoveFileExW(wide_next.c_str(), utf8_to_utf16(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const PlatformError error = failure("Cannot replace", path);
        ::DeleteFileW(wide_next.c_str());
        throw error;
    }
}

bool remove_file_if_unchanged(const std::string& path, const std::string& expected) {
    const std::wstring wide = utf8_to_utf16(path);
    const std::string moved = path + ".gone" + std::to_string(::GetCurrentProcessId());
    const std::wstring wide_moved = utf8_to_utf16(moved);
    if (!::MoveFileExW(wide.c_str(), wide_moved.c_str(), 0))
        return false;
    if (read_small_file(moved) == expected) {
        ::DeleteFileW(wide_moved.c_str());
        return true;
    }
    // Not the file we meant: it goes back, unless its name has been taken again meanwhile.
    if (!::MoveFileExW(wide_moved.c_str(), wide.c_str(), 0))
        ::DeleteFileW(wide_moved.c_str());
    return false;
}

}  // namespace korva
