// SPDX-License-Identifier: MIT
// How the launcher ends: the installer's own exit code, or one code per failure of the launcher
// itself, far from the codes installers use (0, 1, 1602, 3010, ...), so a software-distribution
// system can tell them apart. Each failure has one message in the settings file.
#pragma once

#include <optional>
#include <string>

#include "launcher/settings.h"

namespace korva::launcher {

enum class Failure {
    settings = 1,  // settings file missing or damaged
    missing,       // the program is not beside the launcher
    changed,       // the program's digest differs from the recorded one
    expired,       // past the Expires date
    logon,         // account, password or domain refused
    service,       // the Secondary Logon service is not running
    folder,        // the account cannot reach the launcher's folder (a mapped drive, a share)
    start,         // any other failure to start the program
    consent,       // the administrator's consent was refused
    timeout,       // the installer was still running at the time-out
    printer,       // the default printer could not be set
    command_line,  // an unknown switch
};

inline constexpr int kFailureExitBase = 0x4B00;  // 19200; failures are 19201 to 19212
inline constexpr int kFirstFailure = static_cast<int>(Failure::settings);
inline constexpr int kLastFailure = static_cast<int>(Failure::command_line);

int exit_code(Failure failure);
// The failure a launcher exit code stands for (the second instance reports through it).
std::optional<Failure> failure_of_exit_code(int code);
// The [Messages] key of the failure.
const char* message_key(Failure failure);
// The settings file's text, or the launcher's own English one when the file has none.
std::string message_text(const Settings& settings, Failure failure);
std::string message_title(const Settings& settings);

// What a Windows error of the start means to the user.
Failure failure_of_start_error(unsigned long error);

// Script 2's rule: the default printer is set unless LegacyDefaultPrinterMode is 0 or -1; a
// missing value counts as 1.
bool default_printer_allowed(std::optional<long> legacy_mode);

// Expires is the last day of use. An Expires that is not a date counts as expired, so that a
// damaged file fails closed.
bool is_expired(const std::string& expires, const std::string& today);

// The domain as the scripts take it: %USERDNSDOMAIN% the user's own domain, %COMPUTERNAME% this
// computer, anything else as typed. Exact, case-sensitive comparisons, as the scripts make them.
std::string resolved_domain(const std::string& domain, const std::string& user_domain,
                            const std::string& computer_name);

}  // namespace korva::launcher
