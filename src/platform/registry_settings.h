// SPDX-License-Identifier: MIT
// The settings store on Windows: the per-user registry key that Visual Basic's settings calls
// use, HKEY_CURRENT_USER\Software\VB and VBA Program Settings\{app}\{section}, one text value per
// key.
#pragma once

#ifndef _WIN32
#error "The registry settings store exists on Windows only"
#endif

#include <optional>
#include <string>

#include "platform/settings.h"

namespace korva {

class RegistrySettingsStore : public SettingsStore {
  public:
    // Nothing when the key or the value is missing, or holds no text.
    std::optional<std::string> get(const std::string& app, const std::string& section,
                                   const std::string& key) override;
    // A value that cannot be written is left out: only the window placement lives here, and
    // losing it must not stop the program.
    void set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace korva
