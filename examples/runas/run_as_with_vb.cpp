// SPDX-License-Identifier: MIT
// An EXAMPLE run-as program for the example tool archive, so that the launcher scripts of an
// example package start something on Windows. It is not the maker's program. It takes what the
// scripts hand it, four quoted arguments (account, password, domain, program), and starts the
// program from the current folder under that account with the native launcher's own start-as-
// account code (a test build links a recording starter instead). It does not wait: the scripts
// wait for setup.exe themselves.
#include <windows.h>

#include <cstdio>
#include <string>

#include "launcher/starter_choice.h"
#include "platform/codepage.h"

namespace {

std::string current_folder() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length >= folder.size()) {
        folder.resize(length);
        length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    }
    folder.resize(length);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return korva::utf16_to_utf8(folder);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fputs("usage: RunAsWithVB.exe ACCOUNT PASSWORD DOMAIN PROGRAM\n", stderr);
        return 2;
    }
    korva::launch::StartRequest request;
    request.account = korva::utf16_to_utf8(argv[1]);
    request.password = korva::utf16_to_utf8(argv[2]);
    request.domain = korva::utf16_to_utf8(argv[3]);
    request.folder = current_folder();
    request.program = request.folder + korva::utf16_to_utf8(argv[4]);
    const auto started = korva::launcher::make_account_starter()->start(request);
    if (started.error != 0) {
        std::fprintf(stderr, "RunAsWithVB.exe: the program was not started (Windows error %lu)\n",
                     started.error);
        return 1;
    }
    ::ResumeThread(started.thread);
    ::CloseHandle(started.thread);
    ::CloseHandle(started.process);
    return 0;
}
