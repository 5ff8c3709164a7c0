// SPDX-License-Identifier: MIT
// A stand-in installer, copied into a test package as setup.exe. It appends its command line and
// working folder to KORVA_STUB_RECORD, starts a child of itself (also named setup.exe) that
// outlives it, and ends after KORVA_STUB_MS with KORVA_STUB_EXIT. The child ends after
// KORVA_STUB_CHILD_MS and records (UTF-8) "child ended" as its last act. Copied under another
// name (rundll32.exe, or the wait that stands in for WScript.Sleep, which Wine's cscript skips) it
// only records its command line and, given /wait N, waits N milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

void record(const std::wstring& line) {
    const wchar_t* path = _wgetenv(L"KORVA_STUB_RECORD");
    if (path == nullptr)
        return;
    const std::wstring text = line + L"\n";
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                      nullptr));
    if (FILE* file = _wfopen(path, L"ab")) {
        std::fwrite(utf8.data(), 1, utf8.size(), file);
        std::fclose(file);
    }
}

DWORD number(const wchar_t* name, DWORD fallback) {
    const wchar_t* value = _wgetenv(name);
    return value == nullptr ? fallback : std::wcstoul(value, nullptr, 10);
}

bool started_as_setup() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const wchar_t* name = std::wcsrchr(self, L'\\');
    return ::lstrcmpiW(name == nullptr ? self : name + 1, L"setup.exe") == 0;
}

int plain_stand_in(int argc, wchar_t** argv) {
    record(::GetCommandLineW());
    if (argc == 3 && std::wcscmp(argv[1], L"/wait") == 0)
        ::Sleep(std::wcstoul(argv[2], nullptr, 10));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!started_as_setup())
        return plain_stand_in(argc, argv);
    if (_wgetenv(L"KORVA_STUB_CHILD") != nullptr) {
        ::Sleep(number(L"KORVA_STUB_CHILD_MS", 2000));
        record(L"child ended");
        return 0;
    }
    wchar_t folder[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    record(std::wstring(::GetCommandLineW()) + L"\t" + folder);
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    ::SetEnvironmentVariableW(L"KORVA_STUB_CHILD", L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    std::wstring line = L"\"" + std::wstring(self) + L"\"";
    if (!::CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &child))
        return 99;
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    ::Sleep(number(L"KORVA_STUB_MS", 1000));
    return static_cast<int>(number(L"KORVA_STUB_EXIT", 0));
}
