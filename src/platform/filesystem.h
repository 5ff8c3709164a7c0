// SPDX-License-Identifier: MIT
// File and folder operations. Every mutating operation throws PlatformError (with the path) on
// failure, so a generator's single catch can roll back. The interface lets tests make the n-th
// operation fail.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korva {

// Called with the number of bytes copied so far, so long copies can show progress and keep the
// window alive.
using CopyProgress = std::function<void(std::uint64_t bytes_done)>;

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Never fail: a path that cannot be examined does not exist.
    virtual bool folder_exists(const std::string& path) = 0;
    virtual bool file_exists(const std::string& path) = 0;

    // Names (not paths) directly inside a folder, in the file system's order.
    virtual std::vector<std::string> sub_folders(const std::string& folder) = 0;
    virtual std::vector<std::string> files(const std::string& folder) = 0;

    // Directory listing: names matching a pattern whose last component may hold '*' and '?'
    // (matched without regard to case, like Windows). Folders are included when
    // include_folders is true. An unreadable or missing folder gives an empty list.
    virtual std::vector<std::string> list(const std::string& pattern, bool include_folders) = 0;

    // Source may hold wildcards in its last component. Destination is a folder path ending in the
    // separator, or a file path. Overwrites. Throws when nothing matches or a copy fails.
    virtual void copy_file(const std::string& source, const std::string& destination) = 0;
    // Copies each matching folder with its contents under its own name into destination (ending in
    // the separator). Overwrites. Throws when nothing matches.
    virtual void copy_folder(const std::string& source, const std::string& destination) = 0;

    // Throws when the folder exists or cannot be made.
    virtual void create_folder(const std::string& path) = 0;
    // Patterns as for copy. force = also read-only items. Throws when nothing matches.
    virtual void delete_file(const std::string& pattern, bool force) = 0;
    virtual void delete_folder(const std::string& pattern, bool force) = 0;

    // Attribute value 0 is normal (writable); 1 is read-only.
    virtual void set_attributes(const std::string& path, int attributes) = 0;
    virtual int attributes(const std::string& path) = 0;

    // Throws when new_path exists.
    virtual void rename(const std::string& old_path, const std::string& new_path) = 0;

    // Creates (replacing) a file holding exactly these bytes. owner_only: readable by the owner
    // alone, for texts that hold a password.
    virtual void write_file(const std::string& path, const std::string& bytes,
                            bool owner_only = false) = 0;
    virtual std::string read_file(const std::string& path) = 0;

    // Last modification time in seconds since the epoch; throws when the file is missing.
    virtual std::int64_t modified_time(const std::string& path) = 0;
    virtual std::uint64_t file_size(const std::string& path) = 0;

    // Absolute, canonical form of an existing or not yet existing path (links and ".." resolved
    // as far as the path exists), for comparing two spellings of one folder.
    virtual std::string canonical(const std::string& path) = 0;

    // A new, empty, private folder for temporary work; its path ends in the separator.
    virtual std::string make_temp_folder(const std::string& prefix) = 0;
    // Deletes a folder and everything in it, whatever the attributes. Never throws.
    virtual void remove_all(const std::string& path) noexcept = 0;

    // Progress of the copies that follow; empty to switch off.
    virtual void set_copy_progress(CopyProgress progress) = 0;
};

// The real file system of this computer.
FileSystem& real_file_system();

// Wildcard match of one name against a pattern with '*' and '?', case ignored for ASCII letters.
bool wildcard_match(const std::string& pattern, const std::string& name);

}  // namespace korva
