// SPDX-License-Identifier: MIT
// Environment variables set for one test and put back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace korva::test {

// The variable that chooses the folder for temporary files on this system.
#ifdef _WIN32
inline constexpr const char* kTempFolderVariable = "TMP";
#else
inline constexpr const char* kTempFolderVariable = "TMPDIR";
#endif

class ScopedEnv {
  public:
    // An empty optional removes the variable for the test.
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        assign(value);
    }
    ~ScopedEnv() { assign(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void assign(const std::optional<std::string>& value) const {
#ifdef _WIN32
        // An empty value removes the variable there; the process environment follows the C one.
        _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
        if (value) {
            ::setenv(name_.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
#endif
    }

    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace korva::test
