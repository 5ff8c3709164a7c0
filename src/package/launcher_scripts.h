// SPDX-License-Identifier: MIT
// The launcher scripts that start a program under an administrator account, and the one routine
// that turns a script text into an encoded .vbe without leaving the clear-text password behind.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/context.h"

namespace korva {

// What the administrator typed into the account fields.
struct Credentials {
    std::string account;
    std::string password;
    std::string domain;
};

// The values of the default-printer block, already formatted as they appear in the script.
struct DefaultPrinterWait {
    std::string wait;     // milliseconds before the first poll
    std::string timeout;  // seconds after which the scripts stop waiting for the installer
    std::string printer;  // the printer to make the default
};

// ---- value formatting

// The content of a VBScript string literal: every double quote doubled, nothing else changed.
std::string vbs_literal(std::string_view value);

// Keys for Sendkeys: each character the command treats specially (+ ^ % ~ ( ) { } [ ]) enclosed
// in braces, so the text is typed exactly as written.
std::string sendkeys_escape(std::string_view value);

// The leading number of a setting text as a real number (blanks before it skipped); 0 when the
// text does not start with a number.
double leading_number(std::string_view text);

// {wait}: WaitTime's leading number, 20 when it is 0 or less, times 1000.
std::string wait_text(std::string_view WaitTime);

// {timeout}: TimeOut's leading number rounded half to even, 180 when that is 0 or less, times the
// number of printers. Computed wide, so a large value is written as it is, not overflowed.
std::string timeout_text(std::string_view TimeOut, int printer_count);

// ---- lines shared by every pair of launcher scripts

// `WSHShell.Run "RunAsWithVB.exe" & ...` starting `program` with the account, password and domain.
std::string run_as_with_vb_line(const Credentials& creds, std::string_view program);

// `strExePath = ...` naming `program` in the script's own folder, for runas.
std::string exe_path_line(std::string_view program);

// The runas line, in the form the exact domain text selects: "%USERDNSDOMAIN%" and
// "%COMPUTERNAME%" are resolved by the script on the client, anything else is written literally.
std::string runas_run_line(const Credentials& creds);

// `objShell.Sendkeys "...~"` typing the password and Enter into the runas prompt.
std::string sendkeys_line(std::string_view password);

// ---- the installer package's scripts (setup.vbe and setupUAC.vbe)

// Script 1: RunAsWithVB.exe starts Setup.exe; the default-printer block only when `wait` is set.
std::string setup_script_text(const Credentials& creds,
                              const std::optional<DefaultPrinterWait>& wait);
// Script 2: runas starts setup.exe and gets the password typed in.
std::string setup_uac_script_text(const Credentials& creds,
                                  const std::optional<DefaultPrinterWait>& wait);

// ---- the program launchers of the administrator and removal windows

// Two lines, no line break after the last.
std::string program_script_text(const Credentials& creds, std::string_view program);
// Thirteen lines, every one ending with a line break.
std::string program_uac_script_text(const Credentials& creds, std::string_view program);

// Encodes the plain script file vbs into vbe. Empty: the platform's encoder (screnc on Windows,
// the program's own elsewhere).
using ScriptEncoder = std::function<void(const std::string& vbs, const std::string& vbe)>;

// Writes `text` (UTF-8) in the ANSI code page as output_folder + base_txt, readable by the owner
// only; replaces output_folder + base_vbs with it; encodes it into output_folder + target_vbe,
// awaiting the encoder; and checks that the .vbe exists and is not empty. The .txt and .vbs are
// removed on success and on every failure. Throws on any failure (PlatformError for the files and
// the encoder), for the caller's single failure handler.
void write_encoded_script(const std::string& output_folder, const std::string& base_txt,
                          const std::string& base_vbs, const std::string& target_vbe,
                          const std::string& text, const Context& ctx,
                          const ScriptEncoder& encoder = {});

struct SetupScriptInputs {
    Credentials creds;
    int DefPrinter_Flag = 0;
    std::string DefPrinter_Name;
    int printer_count = 0;  // items in Printer_List
    ScriptEncoder encoder;  // empty: the platform's
};

// Writes setup.vbe and setupUAC.vbe into output_folder (ending in the separator), and the native
// launcher setupLaunch.exe with setupLaunch.ini beside them when it is wanted. WaitTime and
// TimeOut are read from the catalogue's [Setup] for each script when a default printer is set.
// On failure: Error_Delete empties the folder, "MsgErrSetup" + "MsgErrOneMore" is shown, false.
bool Create_SetupVBE(const SetupScriptInputs& in, const std::string& output_folder,
                     const Context& ctx);

}  // namespace korva
