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

// Values of attributes(): read-only is the one set_attributes() changes; folders also carry the
// folder bit, as Windows reports them.
inline constexpr int kAttrNormal = 0;
inline constexpr int kAttrReadOnly = 1;
inline constexpr int kAttrFolder = 16;

// Called with the number of bytes copied so far, so long copies can show progress and keep the
// window alive.
using CopyProgress = std::function<void(std::uint64_t bytes_done)>;

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Never fail: a path that cannot be examined does not exist.
    virtual bool folder_exists(const std::string& path) = 0;
    virtual bool file_exists(const std::string& path) = 0;
    // Whether the item itself (not what it leads to) is a symbolic link or a junction; a
    // trailing separator is ignored.
    virtual bool is_link(const std::string& path) = 0;

    // Names (not paths) directly inside a folder, in Windows' order (NTFS keeps them sorted by
    // name, case ignored), so that "the first" and "the last" are the same on every system.
    virtual std::vector<std::string> sub_folders(const std::string& folder) = 0;
    virtual std::vector<std::string> files(const std::string& folder) = 0;

    // Directory listing: names matching a pattern whose last component may hold '*' and '?'
    // (matched without regard to case, like Windows), in the same order. Folders are included
    // when include_folders is true. A missing folder gives an empty list; one that cannot
    // be listed throws.
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

    // Attribute value 0 is normal (writable); 1 is read-only (on Linux: the owner may not write).
    // attributes() adds kAttrFolder for a folder, so test the read-only bit with a mask.
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
    // as far as the path exists; on Windows also 8.3 names, trailing dots and blanks, and the
    // letter case of the existing part), for comparing two spellings of one folder. On Windows
    // the part that does not exist keeps its case, so compare the texts ignoring case there.
    virtual std::string canonical(const std::string& path) = 0;

    // A new, empty, private folder for temporary work; its path ends in the separator.
    virtual std::string make_temp_folder(const std::string& prefix) = 0;
    // Deletes a folder and everything in it, whatever the attributes. Never throws.
    virtual void remove_all(const std::string& path) noexcept = 0;

    // Progress of the copies that follow; empty to switch off.
    virtual void set_copy_progress(CopyProgress progress) = 0;
};

// The real file system of this computer. Windows rules that callers rely on are kept on Linux:
// the last component of a pattern is matched without regard to case (also a name without
// wildcards when no entry has exactly that name) and gives back the name as stored, listings come
// sorted by name with case ignored, a read-only file is neither overwritten by a copy or
// write_file nor deleted without force, and a copy keeps the source's read-only state and
// modification time. Symbolic links (and junctions) are followed, except that a link leading back
// into a folder being copied is skipped (so a link loop cannot make a copy endless) and a folder
// link is deleted as a link, never its target's contents. On Windows paths of any length work.
class RealFileSystem final : public FileSystem {
  public:
    bool folder_exists(const std::string& path) override;
    bool file_exists(const std::string& path) override;
    bool is_link(const std::string& path) override;
    std::vector<std::string> sub_folders(const std::string& folder) override;
    std::vector<std::string> files(const std::string& folder) override;
    std::vector<std::string> list(const std::string& pattern, bool include_folders) override;
    void copy_file(const std::string& source, const std::string& destination) override;
    void copy_folder(const std::string& source, const std::string& destination) override;
    void create_folder(const std::string& path) override;
    // A read-only match without force stays in place and makes the call throw (naming it) after
    // the other matches are deleted. A folder holding a read-only item is not touched at all.
    void delete_file(const std::string& pattern, bool force) override;
    void delete_folder(const std::string& pattern, bool force) override;
    void set_attributes(const std::string& path, int attributes) override;
    int attributes(const std::string& path) override;
    void rename(const std::string& old_path, const std::string& new_path) override;
    void write_file(const std::string& path, const std::string& bytes,
                    bool owner_only = false) override;
    std::string read_file(const std::string& path) override;
    std::int64_t modified_time(const std::string& path) override;
    std::uint64_t file_size(const std::string& path) override;
    std::string canonical(const std::string& path) override;
    std::string make_temp_folder(const std::string& prefix) override;
    void remove_all(const std::string& path) noexcept override;
    // The count starts at 0 here and runs on over all the copies that follow.
    void set_copy_progress(CopyProgress progress) override;

  private:
    CopyProgress progress_;
    std::uint64_t bytes_done_ = 0;
};

// The shared instance for production code.
FileSystem& real_file_system();

// A path in the form this system compares names in: upper-cased as Windows compares them on
// Windows (every letter, not only ASCII), unchanged on Linux, whose names are case-sensitive.
std::string name_comparison_key(const std::string& path);

// Wildcard match of one name against a pattern with '*' and '?', case ignored for ASCII letters,
// with the file-search rules of Windows: "*.*" and "name.*" also match names without a dot, "*."
// matches only names without one, and a '?' before a dot or at the end may match nothing.
// '?' stands for one character (a whole UTF-8 sequence), not one byte.
bool wildcard_match(const std::string& pattern, const std::string& name);

}  // namespace korva
