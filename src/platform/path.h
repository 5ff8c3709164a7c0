// SPDX-License-Identifier: MIT
// Path texts: folders end in the platform separator and file paths are the folder text with the
// name appended, so callers build paths by plain concatenation.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace korva {

#ifdef _WIN32
inline constexpr bool kWindowsHost = true;
inline constexpr char kPathSep = '\\';
// Windows takes "/" for a separator as well, and administrators type it.
inline constexpr std::string_view kPathSeps = "\\/";
#else
inline constexpr bool kWindowsHost = false;
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

// Without its trailing separators, for naming the item itself. A root keeps its separator: "/"
// alone is the root, and on Windows "C:" alone means the current folder of drive C.
inline std::string without_trailing_sep(std::string path) {
    auto is_drive_root = [&] { return kWindowsHost && path.size() == 3 && path[1] == ':'; };
    while (path.size() > 1 && is_sep(path.back()) && !is_drive_root())
        path.pop_back();
    return path;
}

// A folder text that names a root ("C:\\", "\\" or "/"), which no rollback may ever empty.
inline bool names_a_root(const std::string& folder) {
    return kWindowsHost ? folder.size() < 4 : folder == "/";
}

// The text with the separators of this system. Windows takes "/" itself; elsewhere a "\\" typed
// on Windows becomes "/".
inline std::string with_native_seps(std::string path) {
    if (!kWindowsHost)
        std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Position of the last separator, or npos.
inline std::size_t last_sep(const std::string& path) {
    return path.find_last_of(kPathSeps);
}

}  // namespace korva
