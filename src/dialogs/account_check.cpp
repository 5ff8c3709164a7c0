// SPDX-License-Identifier: MIT
// Texts are compared as typed: a blank account is the administrator's to decide.
#include "dialogs/account_check.h"

#include "catalogue/catalogue.h"

namespace korva {

bool check_account_fields(const std::string& account, const std::string& domain,
                          const Catalogue& catalogue, Prompter& prompter) {
    if (account.empty()) {
        catalogue.show(prompter, "MsgErrAcc");
        return false;
    }
    if (domain.empty()) {
        catalogue.show(prompter, "MsgErrDom");
        return false;
    }
    return true;
}

}  // namespace korva
