// SPDX-License-Identifier: MIT
// The account starter the launcher program uses, chosen when it is linked: the product links the
// logon (product_starter.cpp), the test build a recording stand-in.
#pragma once

#include <memory>

#include "platform/launcher_system.h"

namespace korva::launcher {

std::unique_ptr<launch::AccountStarter> make_account_starter();

}  // namespace korva::launcher
