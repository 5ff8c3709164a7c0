// SPDX-License-Identifier: MIT
// Texts are compared as typed: a blank account is the administrator's to decide.
#include "dialogs/account_check.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "catalogue/catalogue.h"
#include "dialogs/messages.h"
#include "platform/codepage.h"

namespace korva {

namespace {

bool breaks_argument_quotes(std::string_view text) {
    return text.find('"') != std::string_view::npos || (!text.empty() && text.back() == '\\');
}

bool holds_percent(std::string_view text) {
    return text.find('%') != std::string_view::npos;
}

bool equals_ascii_ignoring_case(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

// The two variables a domain names on purpose, the client's domain or its own name; Windows
// expands them whatever their case. Any other % would be expanded without anyone meaning it.
bool domain_expands_by_accident(std::string_view domain) {
    return holds_percent(domain) && !equals_ascii_ignoring_case(domain, "%USERDNSDOMAIN%") &&
           !equals_ascii_ignoring_case(domain, "%COMPUTERNAME%");
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
            show_filled_message(catalogue, prompter, "MsgErrCodePage",
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
        show_message(catalogue, prompter, "MsgErrAcc");
        return false;
    }
    if (domain.empty()) {
        show_message(catalogue, prompter, "MsgErrDom");
        return false;
    }
    const auto fields = {std::string_view(account), std::string_view(domain),
                         std::string_view(password)};
    if (std::any_of(fields.begin(), fields.end(), holds_control_char)) {
        show_message(catalogue, prompter, "MsgErrCtrlChar");
        return false;
    }
    if (std::any_of(fields.begin(), fields.end(), breaks_argument_quotes)) {
        show_message(catalogue, prompter, "MsgErrQuote");
        return false;
    }
    // WshShell.Run expands %NAME% in its command line: a password "%USERNAME%x" would reach the
    // account's logon as the client user's name.
    if (holds_percent(account) || holds_percent(password) || domain_expands_by_accident(domain)) {
        show_message(catalogue, prompter, "MsgErrCharPercent");
        return false;
    }
    return check_code_page(
        {{labels.account, account}, {labels.domain, domain}, {labels.password, password}}, cp,
        catalogue, prompter);
}

}  // namespace korva
