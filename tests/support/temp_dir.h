// SPDX-License-Identifier: MIT
// A fresh folder per test, removed afterwards whatever the test left in it.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace korva::test {

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korva-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
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
    std::string folder() const { return path_.string() + "/"; }
    std::filesystem::path path() const { return path_; }

    // Writes a file below the folder, creating parent folders.
    std::string write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path p = path_ / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string mkdir(const std::string& relative) const {
        std::filesystem::path p = path_ / relative;
        std::filesystem::create_directories(p);
        return p.string() + "/";
    }

  private:
    std::filesystem::path path_;
};

inline std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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
        std::string name = std::filesystem::relative(entry.path(), folder).string();
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

}  // namespace korva::test
