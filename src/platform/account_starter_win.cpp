// SPDX-License-Identifier: MIT
// The start under an administrator account: CreateProcessWithLogonW loads the account's profile
// (LOGON_WITH_PROFILE), as runas does, so installers find its registry hive and folders.
#include <windows.h>

#include <string>

#include "platform/codepage.h"
#include "platform/launcher_system.h"

namespace korva::launch {

namespace {

class LogonAccountStarter : public AccountStarter {
  public:
    StartedProcess start(const StartRequest& request) override {
        const std::wstring account = utf8_to_utf16(request.account);
        const std::wstring domain = utf8_to_utf16(request.domain);
        std::wstring password = utf8_to_utf16(request.password);
        const std::wstring program = utf8_to_utf16(request.program);
        std::wstring command_line = L"\"" + program + L"\"";
        if (!request.arguments.empty())
            command_line += L" " + utf8_to_utf16(request.arguments);
        const std::wstring folder = utf8_to_utf16(request.folder);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        ::SetLastError(0);
        const BOOL started = ::CreateProcessWithLogonW(
            account.c_str(), domain.c_str(), password.c_str(), LOGON_WITH_PROFILE, program.c_str(),
            command_line.data(), CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, nullptr,
            folder.c_str(), &startup, &info);
        const DWORD error = ::GetLastError();
        ::SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
        if (!started)
            return {error != 0 ? error : kErrorUnreported, nullptr, nullptr};
        return {0, info.hProcess, info.hThread};
    }
};

}  // namespace

std::unique_ptr<AccountStarter> logon_account_starter() {
    return std::make_unique<LogonAccountStarter>();
}

}  // namespace korva::launch
