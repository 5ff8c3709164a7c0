// SPDX-License-Identifier: MIT
// The account a launcher runs under, checked the same way by all three windows, and the test for
// control characters that every typed value reaching a file goes through.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace korva {

class Catalogue;
class CodePage;
class Prompter;

// A typed value with the caption of the label that names it to the administrator.
struct TypedValue {
    std::string label;
    std::string_view value;
};

// False after MsgErrCodePage, filled with the field's label ("%1") and the code page number
// ("%2"), when a value holds a character that the code page of the package files cannot write:
// the Windows programs reading them would see '?' or another character in its place.
bool check_code_page(std::initializer_list<TypedValue> values, const CodePage& cp,
                     const Catalogue& catalogue, Prompter& prompter);

struct AccountLabels {
    std::string account;
    std::string domain;
    std::string password;
};

// A byte below 0x20 or 0x7F. A line break would start a new line of an INI file or a script,
// which turns a value into keys, sections or statements of its own.
bool holds_control_char(std::string_view text);

// Account and domain must be filled (MsgErrAcc, MsgErrDom); the password may be empty, as some
// administrator accounts have none. None of the three may hold a control character
// (MsgErrCtrlChar), a double quote or a trailing backslash (MsgErrQuote): they reach the run-as
// program as quoted command-line arguments, where either would end or swallow the quote. Account
// and password may not hold a %, nor the domain one unless it is exactly %USERDNSDOMAIN% or
// %COMPUTERNAME% (MsgErrCharPercent): the launchers' WshShell.Run would expand it. Last, each
// must fit the code page (check_code_page).
bool check_account_fields(const std::string& account, const std::string& domain,
                          const std::string& password, const AccountLabels& labels,
                          const CodePage& cp, const Catalogue& catalogue, Prompter& prompter);

}  // namespace korva
