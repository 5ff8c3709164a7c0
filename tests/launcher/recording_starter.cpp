// SPDX-License-Identifier: MIT
// The account starter of the launcher's test build: Wine cannot log on, so the program starts as
// the caller, and what the logon would have received is appended to KORVA_LAUNCHER_RECORD (one
// line a start: account, domain, password, folder, program, arguments, tab-separated, UTF-8), a
// file only the test reads. KORVA_LAUNCHER_REPORT_740=1 answers the first start with error 740,
// as Windows does for an installer that needs elevation under a filtered token.
#include <windows.h>

#include <cstdio>

#include "launcher/starter_choice.h"
#include "platform/codepage.h"

namespace korva::launcher {

namespace {

class RecordingStarter : public launch::AccountStarter {
  public:
    launch::StartedProcess start(const launch::StartRequest& r) override {
        record(r.account + "\t" + r.domain + "\t" + r.password + "\t" + r.folder + "\t" +
               r.program + "\t" + r.arguments + "\n");
        if (_wgetenv(L"KORVA_LAUNCHER_REPORT_740") != nullptr && starts_++ == 0)
            return {launch::kErrorElevationRequired, nullptr, nullptr};
        std::wstring line = L"\"" + utf8_to_utf16(r.program) + L"\" " + utf8_to_utf16(r.arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(utf8_to_utf16(r.program).c_str(), line.data(), nullptr, nullptr,
                              FALSE, CREATE_SUSPENDED, nullptr, utf8_to_utf16(r.folder).c_str(),
                              &startup, &info))
            return {::GetLastError(), nullptr, nullptr};
        return {0, info.hProcess, info.hThread};
    }

  private:
    static void record(const std::string& line) {
        const wchar_t* path = _wgetenv(L"KORVA_LAUNCHER_RECORD");
        if (path == nullptr)
            return;
        if (FILE* file = _wfopen(path, L"ab")) {
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
        }
    }

    int starts_ = 0;
};

}  // namespace

std::unique_ptr<launch::AccountStarter> make_account_starter() {
    return std::make_unique<RecordingStarter>();
}

}  // namespace korva::launcher
