// SPDX-License-Identifier: MIT
// Texts are compared as typed: a blank account is the administrator's to decide.
#include "dialogs/account_check.h"

#include <algorithm>
#include <initializer_list>

#include "catalogue/catalogue.h"
#include "platform/codepage.h"

namespace korva {

namespace {

bool breaks_argument_quotes(std::string_view text) {
    return text.find('"') != std::string_view::npos || (!text.empty() && text.back() == '\\');
}

}  // namespace

bool holds_control_char(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

bool check_code_page(std::initializer_list<TypedValue> values, const CodePage& cp,
                     const Catalogue& catalogue, Prompter& prompter) {
    for (const TypedValue& typed : values) {
        if (!cp.can_hold(typed.value)) {
            catalogue.show_filled(prompter, "MsgErrCodePage",
                                  {typed.label, std::to_string(cp.number())});
            return false;
        }
    }
    return true;
}

bool check_account_fields(const std::string& account, const std::string& domain,
                          const std::string& password, const AccountLabels& labels,
                          const CodePage& cp, const Catalogue& catalogue, Prompter& prompter) {
    if (account.empty()) {
        catalogue.show(prompter, "MsgErrAcc");
        return false;
    }
    if (domain.empty()) {
        catalogue.show(prompter, "MsgErrDom");
        return false;
    }
    const auto fields = {std::string_view(account), std::string_view(domain),
                         std::string_view(password)};
    if (std::any_of(fields.begin(), fields.end(), holds_control_char)) {
        catalogue.show(prompter, "MsgErrCtrlChar");
        return false;
    }
    if (std::any_of(fields.begin(), fields.end(), breaks_argument_quotes)) {
        catalogue.show(prompter, "MsgErrQuote");
        return false;
    }
    return check_code_page(
        {{labels.account, account}, {labels.domain, domain}, {labels.password, password}}, cp,
        catalogue, prompter);
}

}  // namespace korva
