// SPDX-License-Identifier: MIT
// Failures of platform operations. Every operation that touches the outside world throws this,
// so each generator can keep exactly one catch that rolls back and tells the user.
#pragma once

#include <stdexcept>
#include <string>

namespace korva {

class PlatformError : public std::runtime_error {
public:
    PlatformError(const std::string& what, std::string path)
        : std::runtime_error(what + ": " + path), path_(std::move(path)) {}

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace korva
