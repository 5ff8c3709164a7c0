// SPDX-License-Identifier: MIT
// What the native launcher needs of Windows, behind interfaces: the launcher's decisions (checks,
// order, waiting, exit codes) stay in plain C++ and are tested with a stand-in, while the Windows
// side below does the calls. The start under another account is an interface of its own, so a
// test build can start the program normally and record what the logon would have received.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace korva::launch {

struct StartRequest {
    std::string account;  // empty: no logon, the caller's own account
    std::string domain;
    std::string password;
    std::string program;    // full path
    std::string folder;     // working folder, ending in the separator
    std::string arguments;  // after the program's quoted path
};

// The call failed without telling why (Wine's CreateProcessWithLogonW does so).
inline constexpr unsigned long kErrorUnreported = 0xffffffff;
inline constexpr unsigned long kErrorElevationRequired = 740;

// A process started suspended, so that it joins the launcher's job before it can start others.
// Handles are the Windows HANDLEs; error is 0 when the process exists.
struct StartedProcess {
    unsigned long error = 0;
    void* process = nullptr;
    void* thread = nullptr;
};

class AccountStarter {
  public:
    virtual ~AccountStarter() = default;
    virtual StartedProcess start(const StartRequest& request) = 0;
};

using Clock = std::chrono::steady_clock;

class LauncherSystem {
  public:
    virtual ~LauncherSystem() = default;

    virtual std::optional<std::string> read_file(const std::string& path) = 0;
    virtual std::string today() = 0;  // local date, YYYY-MM-DD
    virtual std::string environment(const std::string& name) = 0;
    virtual std::string computer_name() = 0;

    // Under request.account through the account starter; 0 or the Windows error. The started
    // program is the one wait_started() waits for.
    virtual unsigned long start(const StartRequest& request) = 0;
    // With the administrator's consent (ShellExecuteExW "runas"), as the caller.
    virtual unsigned long start_elevated(const StartRequest& request) = 0;
    // The exit code of the program last started, once it and every process of its job ended;
    // empty when the deadline came first.
    virtual std::optional<int> wait_started(Clock::time_point deadline) = 0;
    virtual bool process_named_running(const std::string& name) = 0;

    // HKCU\...\Windows NT\CurrentVersion\Windows LegacyDefaultPrinterMode; empty when missing.
    virtual std::optional<long> legacy_default_printer_mode() = 0;
    virtual bool set_default_printer(const std::string& name) = 0;

    virtual Clock::time_point now() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
    virtual void show_message(const std::string& text, const std::string& title) = 0;
    // One line of the launcher's log; the system stamps it with the time.
    virtual void log(const std::string& line) = 0;
};

#ifdef _WIN32
// CreateProcessWithLogonW with LOGON_WITH_PROFILE.
std::unique_ptr<AccountStarter> logon_account_starter();
// The Windows side; the log goes to %TEMP%\{launcher base name}.log (UTF-8), appended.
std::unique_ptr<LauncherSystem> windows_launcher_system(AccountStarter& starter,
                                                        const std::string& launcher_path);
// Full path of the running program, UTF-8.
std::string running_program_path();
#endif

}  // namespace korva::launch
