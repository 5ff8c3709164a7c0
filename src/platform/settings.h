// SPDX-License-Identifier: MIT
// Per-user settings store addressed by application title, section and key (text values).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace korva {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> get(const std::string& app, const std::string& section,
                                           const std::string& key) = 0;
    virtual void set(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> get(const std::string& app, const std::string& section,
                                   const std::string& key) override {
        auto it = values_.find({app, section, key});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override {
        values_[{app, section, key}] = value;
    }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

}  // namespace korva
