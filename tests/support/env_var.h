// SPDX-License-Identifier: MIT
// Environment variables set for one test and put back afterwards, in UTF-8 also on Windows.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/codepage.h"

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
#ifdef _WIN32
        if (const wchar_t* old = _wgetenv(utf8_to_utf16(name_).c_str()))
            old_ = utf16_to_utf8(old);
#else
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
#endif
        assign(value);
    }
    ~ScopedEnv() {
        assign(old_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void assign(const std::optional<std::string>& value) const {
#ifdef _WIN32
        // An empty value removes the variable there; the process environment follows the C one.
        _wputenv_s(utf8_to_utf16(name_).c_str(), value ? utf8_to_utf16(*value).c_str() : L"");
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
