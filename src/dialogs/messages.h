// SPDX-License-Identifier: MIT
// Message boxes of catalogue texts: the catalogue holds the words, the prompter shows them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialogs/prompter.h"

namespace korva {

// The text of one key, or two keys joined by CR LF, with the title of "MsgErr", OK only.
void show_message(const Catalogue& catalogue, Prompter& prompter, const std::string& key,
                  const std::optional<std::string>& second = std::nullopt);
// The same for one key whose "%1", "%2", ... stand for the arguments in turn.
void show_filled_message(const Catalogue& catalogue, Prompter& prompter, const std::string& key,
                         const std::vector<std::string>& arguments);

}  // namespace korva
