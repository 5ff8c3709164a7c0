// SPDX-License-Identifier: MIT
// What the system the tests run on offers, for the few tests that depend on it.
#pragma once

#ifndef _WIN32
#include <unistd.h>
#endif

namespace korva::test {

#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// Symbolic links need a privilege on Windows that test runs do not have.
inline constexpr bool kHasSymbolicLinks = !kOnWindows;
// Windows has a read-only attribute but no mode bits that make a file unreadable.
inline constexpr bool kHasUnixModes = !kOnWindows;

// Permissions do not bind the superuser on Linux.
inline bool is_superuser() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

}  // namespace korva::test
