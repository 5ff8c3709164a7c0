// SPDX-License-Identifier: MIT
// What a lock file needs of the system: a file made only when none of its name exists, a way to
// give it up that cannot remove another owner's file, and enough about a process to tell, on the
// same computer, whether the owner of a lock still runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korva {

struct ProcessIdentity {
    std::uint64_t pid = 0;
    std::string host;
    // When the process started, as the system counts it; empty where that cannot be told. It
    // tells a process from a later one that was given the same id.
    std::string started;
};

ProcessIdentity current_process();

// Whether process pid runs on this computer now and, when started is given, is the process
// that started then.
bool process_runs(std::uint64_t pid, const std::string& started);

// Creates path holding bytes only when nothing of that name exists: false when something does.
// Throws PlatformError for any other failure (also a missing folder).
bool create_file_exclusive(const std::string& path, const std::string& bytes);

// The bytes of a small file; nullopt when it is missing or cannot be read.
std::optional<std::string> read_small_file(const std::string& path);

// Replaces the bytes of a file the caller owns in one step, so a reader sees the old or the new
// bytes, never a mixture. Throws PlatformError.
void replace_file_atomically(const std::string& path, const std::string& bytes);

// Removes path when it still holds exactly expected; true when it did. The file is first moved
// out of the way, so a file another process has made under the name meanwhile stays.
bool remove_file_if_unchanged(const std::string& path, const std::string& expected);

}  // namespace korva
