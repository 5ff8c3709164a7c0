// SPDX-License-Identifier: MIT
// The account a launcher runs under, checked the same way by all three windows.
#pragma once

#include <string>

namespace korva {

class Catalogue;
class Prompter;

// Account and domain must be filled; the password may be empty, as some administrator accounts
// have none. Shows MsgErrAcc or MsgErrDom from the window's catalogue.
bool check_account_fields(const std::string& account, const std::string& domain,
                          const Catalogue& catalogue, Prompter& prompter);

}  // namespace korva
