// SPDX-License-Identifier: MIT
#include "launcher/starter_choice.h"

namespace korva::launcher {

std::unique_ptr<launch::AccountStarter> make_account_starter() {
    return launch::logon_account_starter();
}

}  // namespace korva::launcher
