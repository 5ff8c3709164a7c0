// SPDX-License-Identifier: MIT
// The settings file the native launcher reads beside itself: the launcher's own base name with
// ".ini" (setupLaunch.exe reads setupLaunch.ini). Create writes it with the other package files,
// in the package's code page, through the profile writer. Layout, in this order:
//
//   [Launcher]
//   Program=setup.exe            file name beside the launcher, no folder part
//   Arguments=                   command line after the program's quoted path (may be empty)
//   Sha256=<64 hex digits>       digest of the program when the package was made
//   Account=Administrator        empty or missing: no logon, the program runs as the caller
//   Domain=%USERDNSDOMAIN%       %USERDNSDOMAIN%, %COMPUTERNAME% or a name, as the scripts take it
//   Password=<32 hex>:<hex>      obfuscated: a nonce, then the password's UTF-8 XORed
//                                with a keystream from SHA-256 (salt, nonce, counter)
//   Timeout=180                  seconds to wait for the installer and its setup.exe processes
//   WaitProcess=setup.exe        process name waited for after the program; empty: none
//   DefaultPrinter=Front Desk    printer made the user's default afterwards; empty: none
//   Expires=2030-12-31           optional: the last day the launcher starts the program
//   [Messages]
//   Title=... Missing=... Changed=... Expired=... Logon=... Service=... Folder=... Start=...
//   Consent=... Timeout=... Printer=... Settings=... Usage=...
//
// The password is obfuscated, not encrypted: anyone holding this program can recover it, as
// anyone can decode the encoded scripts. It keeps the password out of plain sight only.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace korva::launcher {

inline constexpr int kDefaultTimeoutSeconds = 180;

struct Settings {
    std::string program = "setup.exe";
    std::string arguments;
    std::string sha256;  // lower-case hex
    std::string account;
    std::string domain;
    std::string password;
    int timeout_seconds = kDefaultTimeoutSeconds;
    std::string wait_process = "setup.exe";
    std::string default_printer;
    std::string expires;  // YYYY-MM-DD or empty
    // [Messages] key -> text, UTF-8.
    std::map<std::string, std::string> messages;
};

// 16 random bytes, fresh for every settings file written.
std::string random_nonce();

// "<nonce hex>:<obfuscated hex>"; the nonce must be 16 bytes.
std::string obfuscate_password(const std::string& password, const std::string& nonce);
// Empty when the text is not of that form.
std::optional<std::string> reveal_password(const std::string& obfuscated);

// The file's bytes in the code page; throws PlatformError when a text cannot be written in it.
// The nonce must be 16 bytes (random_nonce() for a package, a fixed one for comparisons).
std::string settings_file_bytes(const Settings& settings, const CodePage& cp,
                                const std::string& nonce);

// Empty when a file with an account lacks the program or its digest, or its password is damaged.
// Missing messages stay missing; the launcher then falls back to its own English texts.
std::optional<Settings> read_settings(const std::string& file_bytes, const CodePage& cp);

}  // namespace korva::launcher
