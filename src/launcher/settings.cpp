// SPDX-License-Identifier: MIT
#include "launcher/settings.h"

#include <array>
#include <charconv>
#include <random>
#include <vector>

#include "launcher/sha256.h"
#include "platform/profile.h"

namespace korva::launcher {

namespace {

constexpr char kLauncher[] = "Launcher";
constexpr char kMessages[] = "Messages";
constexpr std::size_t kNonceBytes = 16;
// Long enough for any path, printer name or message a package holds.
constexpr std::size_t kReadBuffer = 4096;
// Fixed, so that the launcher can reveal what Create obfuscated; it hides, it does not protect.
constexpr std::string_view kSalt = "Korva native launcher password v1";

// The message keys the launcher looks up, in the order Create writes them.
constexpr std::array<const char*, 13> kMessageKeys = {
    "Title", "Missing", "Changed", "Expired", "Logon",    "Service", "Folder",
    "Start", "Consent", "Timeout", "Printer", "Settings", "Usage"};

std::string keystream(const std::string& nonce, std::size_t length) {
    std::string stream;
    for (std::uint32_t counter = 0; stream.size() < length; ++counter) {
        Sha256 hash;
        hash.update(kSalt);
        hash.update(nonce);
        const char counter_bytes[4] = {static_cast<char>(counter >> 24),
                                       static_cast<char>(counter >> 16),
                                       static_cast<char>(counter >> 8), static_cast<char>(counter)};
        hash.update(std::string_view(counter_bytes, 4));
        const Sha256::Digest block = hash.finish();
        stream.append(reinterpret_cast<const char*>(block.data()), block.size());
    }
    stream.resize(length);
    return stream;
}

std::string xor_bytes(std::string text, const std::string& stream) {
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(text[i] ^ stream[i]);
    return text;
}

std::optional<std::string> from_hex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (error != std::errc() || end != hex.data() + i + 2)
            return std::nullopt;
        bytes += static_cast<char>(value);
    }
    return bytes;
}

bool is_hex_digest(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

std::string random_nonce() {
    std::random_device source;
    std::string nonce;
    while (nonce.size() < kNonceBytes)
        nonce += static_cast<char>(source() & 0xff);
    return nonce;
}

std::string obfuscate_password(const std::string& password, const std::string& nonce) {
    return to_hex(nonce) + ":" + to_hex(xor_bytes(password, keystream(nonce, password.size())));
}

std::optional<std::string> reveal_password(const std::string& obfuscated) {
    const std::size_t colon = obfuscated.find(':');
    if (colon != kNonceBytes * 2)
        return std::nullopt;
    const auto nonce = from_hex(std::string_view(obfuscated).substr(0, colon));
    const auto hidden = from_hex(std::string_view(obfuscated).substr(colon + 1));
    if (!nonce || !hidden)
        return std::nullopt;
    return xor_bytes(*hidden, keystream(*nonce, hidden->size()));
}

std::string settings_file_bytes(const Settings& settings, const CodePage& cp,
                                const std::string& nonce) {
    std::string bytes;
    auto put = [&](const char* section, const char* key, const std::string& value) {
        bytes = profile::write_string_bytes(bytes, section, key,
                                            profile::quoted_if_needed(cp.to_ansi_exact(value)), cp);
    };
    put(kLauncher, "Program", settings.program);
    put(kLauncher, "Arguments", settings.arguments);
    put(kLauncher, "Sha256", settings.sha256);
    if (!settings.account.empty()) {
        put(kLauncher, "Account", settings.account);
        put(kLauncher, "Domain", settings.domain);
        put(kLauncher, "Password", obfuscate_password(settings.password, nonce));
    }
    put(kLauncher, "Timeout", std::to_string(settings.timeout_seconds));
    put(kLauncher, "WaitProcess", settings.wait_process);
    put(kLauncher, "DefaultPrinter", settings.default_printer);
    if (!settings.expires.empty())
        put(kLauncher, "Expires", settings.expires);
    for (const char* key : kMessageKeys)
        if (const auto text = settings.messages.find(key); text != settings.messages.end())
            put(kMessages, key, text->second);
    return bytes;
}

std::optional<Settings> read_settings(const std::string& file_bytes, const CodePage& cp) {
    constexpr char kMissing[] = "\x01";
    auto get = [&](const char* section, const char* key) -> std::optional<std::string> {
        const std::string value =
            profile::get_string_bytes(file_bytes, section, key, kMissing, kReadBuffer, cp);
        if (value == kMissing)
            return std::nullopt;
        return cp.from_ansi(value);
    };
    Settings settings;
    settings.program = get(kLauncher, "Program").value_or("");
    settings.sha256 = get(kLauncher, "Sha256").value_or("");
    settings.arguments = get(kLauncher, "Arguments").value_or("");
    settings.account = get(kLauncher, "Account").value_or("");
    settings.domain = get(kLauncher, "Domain").value_or("");
    if (!settings.account.empty()) {
        // A program outside the launcher's folder is never started: its digest would vouch for
        // nothing the package carries.
        if (settings.program.empty() ||
            settings.program.find_first_of("\\/:") != std::string::npos ||
            !is_hex_digest(settings.sha256))
            return std::nullopt;
        const auto password = reveal_password(get(kLauncher, "Password").value_or(""));
        if (!password)
            return std::nullopt;
        settings.password = *password;
    }
    const std::string timeout = get(kLauncher, "Timeout").value_or("");
    int seconds = 0;
    std::from_chars(timeout.data(), timeout.data() + timeout.size(), seconds);
    settings.timeout_seconds = seconds > 0 ? seconds : kDefaultTimeoutSeconds;
    settings.wait_process = get(kLauncher, "WaitProcess").value_or("");
    settings.default_printer = get(kLauncher, "DefaultPrinter").value_or("");
    settings.expires = get(kLauncher, "Expires").value_or("");
    for (const char* key : kMessageKeys)
        if (auto text = get(kMessages, key))
            settings.messages[key] = std::move(*text);
    return settings;
}

}  // namespace korva::launcher
