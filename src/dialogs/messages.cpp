// SPDX-License-Identifier: MIT
#include "dialogs/messages.h"

namespace korva {

void show_message(const Catalogue& catalogue, Prompter& prompter, const std::string& key,
                  const std::optional<std::string>& second) {
    prompter.message(catalogue.message_text(key, second), catalogue.text("MsgErr"));
}

void show_filled_message(const Catalogue& catalogue, Prompter& prompter, const std::string& key,
                         const std::vector<std::string>& arguments) {
    prompter.message(catalogue.filled_text(key, arguments), catalogue.text("MsgErr"));
}

}  // namespace korva
