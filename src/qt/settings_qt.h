// SPDX-License-Identifier: MIT
// The per-user settings store of the real program: the registry on Windows, the user's
// configuration folder elsewhere ($XDG_CONFIG_HOME, else ~/.config).
#pragma once

#include <optional>
#include <string>

#include "platform/settings.h"

namespace korva {

class QtSettingsStore : public SettingsStore {
  public:
    // Values land under organisation/application; on Linux in
    // <config>/<organisation>/<application>.conf, on Windows under
    // HKEY_CURRENT_USER\Software\<organisation>\<application>.
    explicit QtSettingsStore(std::string organisation = "Korva",
                             std::string application = "KorvaTool");

    // Key "app/section/key", e.g. "Tool/Main/Left". A missing key gives nullopt.
    std::optional<std::string> get(const std::string& app, const std::string& section,
                                   const std::string& key) override;
    // Written through at once: the program may end without a chance to save later. A store that
    // cannot be written is not worth stopping for (only window placement lives here), so failures
    // are ignored.
    void set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;

  private:
    std::string organisation_;
    std::string application_;
};

}  // namespace korva
