// SPDX-License-Identifier: MIT
// A fresh folder per test, removed afterwards whatever the test left in it.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/path.h"

namespace korva::test {

// Paths and texts are UTF-8 in the program; the library takes a plain string in the ANSI code
// page on Windows, so names are converted explicitly.
inline std::filesystem::path utf8_path(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}
inline std::string utf8_text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        std::mt19937 random(seed());
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            auto candidate = base / ("korva-test-" + std::to_string(random() % 1000000000));
            if (std::filesystem::create_directory(candidate))
                path_ = candidate;
        }
        if (path_.empty())
            throw std::runtime_error("cannot create a temporary folder");
    }
    ~TempDir() {
        std::error_code ec;
        for (auto& entry : std::filesystem::recursive_directory_iterator(
                 path_, std::filesystem::directory_options::skip_permission_denied, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder text with its final separator, as the windows keep folder texts.
    std::string folder() const { return utf8_text(path_) + kPathSep; }
    std::filesystem::path path() const { return path_; }

    // Writes a file below the folder, creating parent folders.
    std::string write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path p = (path_ / utf8_path(relative)).make_preferred();
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return utf8_text(p);
    }
    std::string mkdir(const std::string& relative) const {
        std::filesystem::path p = (path_ / utf8_path(relative)).make_preferred();
        std::filesystem::create_directories(p);
        return utf8_text(p) + kPathSep;
    }

  private:
    std::filesystem::path path_;
};

inline std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline std::string read_file(const std::string& utf8) {
    return read_file(utf8_path(utf8));
}

// A hand-written expected file below tests/golden.
inline std::string golden_file(const std::string& relative) {
    const char* dir = std::getenv("KORVA_GOLDEN_DIR");
    if (!dir)
        throw std::runtime_error("KORVA_GOLDEN_DIR is not set");
    return read_file(std::filesystem::path(dir) / relative);
}

// Every entry below a folder as a sorted relative path, folders ending in "/".
inline std::vector<std::string> folder_tree(const std::filesystem::path& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string name = std::filesystem::relative(entry.path(), folder).generic_string();
        if (entry.is_directory())
            name += "/";
        entries.push_back(name);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The names directly inside a folder, sorted.
inline std::vector<std::string> folder_names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Whether a folder holds an entry of exactly this spelling (Windows finds other spellings too).
inline bool has_entry_named(const std::filesystem::path& folder, const std::string& name) {
    const auto names = folder_names(folder);
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace korva::test
