// SPDX-License-Identifier: MIT
// Path texts: folders end in the platform separator and file paths are the folder text with the
// name appended, so callers build paths by plain concatenation.
#pragma once

#include <string>
#include <string_view>

namespace korva {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
// Windows takes "/" for a separator as well, and administrators type it.
inline constexpr std::string_view kPathSeps = "\\/";
#else
inline constexpr char kPathSep = '/';
inline constexpr std::string_view kPathSeps = "/";
#endif

inline bool is_sep(char c) {
    return kPathSeps.find(c) != std::string_view::npos;
}

inline bool ends_with_sep(const std::string& path) {
    return !path.empty() && is_sep(path.back());
}

inline std::string with_trailing_sep(std::string path) {
    if (!ends_with_sep(path))
        path += kPathSep;
    return path;
}

// Position of the last separator, or npos.
inline std::size_t last_sep(const std::string& path) {
    return path.find_last_of(kPathSeps);
}

}  // namespace korva
