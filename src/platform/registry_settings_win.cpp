// SPDX-License-Identifier: MIT
// Settings in the registry, as REG_SZ values written and read in UTF-16.
#include <windows.h>

#include <cwchar>

#include "platform/codepage.h"
#include "platform/registry_settings.h"

namespace korva {

namespace {

std::wstring key_path(const std::string& app, const std::string& section) {
    return utf8_to_utf16("Software\\VB and VBA Program Settings\\" + app + "\\" + section);
}

}  // namespace

std::optional<std::string> RegistrySettingsStore::get(const std::string& app,
                                                      const std::string& section,
                                                      const std::string& key) {
    const std::wstring path = key_path(app, section);
    const std::wstring name = utf8_to_utf16(key);
    DWORD bytes = 0;
    LONG result = ::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                 nullptr, nullptr, &bytes);
    // The value may grow between asking for its size and reading it.
    for (int attempt = 0; attempt < 4 && result == ERROR_SUCCESS; ++attempt) {
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        result = ::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                nullptr, value.data(), &bytes);
        if (result == ERROR_SUCCESS) {
            // A text ends at its first null, which the function always writes.
            value.resize(std::wcslen(value.c_str()));
            return utf16_to_utf8(value);
        }
        if (result == ERROR_MORE_DATA)
            result = ERROR_SUCCESS;
    }
    return std::nullopt;
}

void RegistrySettingsStore::set(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_path(app, section).c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring name = utf8_to_utf16(key);
    const std::wstring text = utf8_to_utf16(value);
    ::RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

}  // namespace korva
