// SPDX-License-Identifier: MIT
// Path texts: folders end in the platform separator and file paths are the folder text with the
// name appended, so callers build paths by plain concatenation.
#pragma once

#include <string>

namespace korva {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

inline bool ends_with_sep(const std::string& path) {
    return !path.empty() && path.back() == kPathSep;
}

inline std::string with_trailing_sep(std::string path) {
    if (!ends_with_sep(path)) path += kPathSep;
    return path;
}

}  // namespace korva
