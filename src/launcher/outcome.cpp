// SPDX-License-Identifier: MIT
#include "launcher/outcome.h"

#include <array>
#include <cctype>

namespace korva::launcher {

namespace {

struct FailureText {
    const char* key;
    const char* english;
};

// In the order of Failure; the English texts stand in only when the settings file has none.
constexpr std::array<FailureText, kLastFailure> kTexts = {{
    {"Settings", "The launcher's settings file is missing or damaged."},
    {"Missing", "The installer was not found beside the launcher."},
    {"Changed", "The installer was changed after the package was made. It was not started."},
    {"Expired", "This package has expired."},
    {"Logon", "The administrator account, password or domain was refused."},
    {"Service", "The Secondary Logon service is not running."},
    {"Folder", "The administrator account cannot reach the package folder."},
    {"Start", "The installer could not be started."},
    {"Consent", "The administrator's consent was not given."},
    {"Timeout", "The installer did not finish in time."},
    {"Printer", "The default printer could not be set."},
    {"Usage", "The launcher was started with an unknown switch."},
}};

const FailureText& text_of(Failure failure) {
    return kTexts[static_cast<std::size_t>(failure) - 1];
}

bool is_date(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

int exit_code(Failure failure) {
    return kFailureExitBase + static_cast<int>(failure);
}

std::optional<Failure> failure_of_exit_code(int code) {
    const int number = code - kFailureExitBase;
    if (number < kFirstFailure || number > kLastFailure)
        return std::nullopt;
    return static_cast<Failure>(number);
}

const char* message_key(Failure failure) {
    return text_of(failure).key;
}

std::string message_text(const Settings& settings, Failure failure) {
    const auto text = settings.messages.find(message_key(failure));
    if (text != settings.messages.end() && !text->second.empty())
        return text->second;
    return text_of(failure).english;
}

std::string message_title(const Settings& settings) {
    const auto title = settings.messages.find("Title");
    return title != settings.messages.end() && !title->second.empty() ? title->second : "Error";
}

Failure failure_of_start_error(unsigned long error) {
    switch (error) {
        case 1326:  // logon failure: unknown user name or bad password
        case 1327:  // account restriction
        case 1328:  // logon hours
        case 1330:  // password expired
        case 1331:  // account disabled
        case 1355:  // no such domain
        case 1385:  // logon type not granted
        case 1793:  // account expired
        case 1907:  // password must change
        case 1909:  // account locked out
        case 1311:  // no logon servers
            return Failure::logon;
        case 1058:  // service disabled
        case 1062:  // service not started
            return Failure::service;
        case 2:    // file not found
        case 3:    // path not found
        case 5:    // access denied
        case 53:   // network path not found
        case 67:   // network name not found
        case 267:  // the directory name is invalid
            return Failure::folder;
        case 1223:  // the operation was cancelled by the user
            return Failure::consent;
        default:
            return Failure::start;
    }
}

bool default_printer_allowed(std::optional<long> legacy_mode) {
    return !legacy_mode || (*legacy_mode != 0 && *legacy_mode != -1);
}

bool is_expired(const std::string& expires, const std::string& today) {
    if (expires.empty())
        return false;
    return !is_date(expires) || today > expires;
}

std::string resolved_domain(const std::string& domain, const std::string& user_domain,
                            const std::string& computer_name) {
    if (domain == "%USERDNSDOMAIN%")
        return user_domain.empty() ? computer_name : user_domain;
    if (domain == "%COMPUTERNAME%")
        return computer_name;
    return domain;
}

}  // namespace korva::launcher
