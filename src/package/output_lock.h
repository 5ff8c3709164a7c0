// SPDX-License-Identifier: MIT
// One build at a time per output folder, whichever program builds: a lock file beside the
// output ("<parent>/<name>.korva-lock", made only when none exists) names the build that writes
// there, and a second build into the folder stops at once instead of mixing its files in. A lock
// left by a process of this computer that no longer runs is taken over, and what that build
// recorded in it (the old package it had set aside) is handed to the new owner.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace korva {

class Catalogue;
class FileSystem;
class Prompter;

inline constexpr const char* kLockSuffix = ".korva-lock";
// The file a successful job build leaves in its package: "reuse" replaces only folders that
// hold it, so a mistyped Output= never costs anybody files no build made.
inline constexpr const char* kPackageMarker = ".korva-build";
inline constexpr const char* kPackageMarkerText =
    "Korva Install Assistant: a package built from a job file; a rebuild may replace it.\r\n";

struct LockOwner {
    std::uint64_t pid = 0;
    std::string host;
    std::string started;
    std::string job;       // the job file, empty for Create in a window
    std::string previous;  // the old package set aside by a "reuse" build, while it is aside
};

// The lock file's text and back; nullopt for a text that names no process.
std::string lock_text(const LockOwner& owner);
std::optional<LockOwner> parse_lock(const std::string& text);

class OutputLock {
  public:
    // Made by lock_output(); nested: the thread holds this lock already, and this one gives
    // nothing up.
    OutputLock(std::string path, LockOwner owner, std::string written, bool nested);
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;
    // Gives the lock up, also when the build ends by an exception.
    ~OutputLock();

    const std::string& path() const { return path_; }
    // The owner of a lock taken over from a build that no longer runs.
    const std::optional<LockOwner>& interrupted() const { return interrupted_; }
    // Records where the old package waits while the build runs (empty once it is gone), so a
    // build after an interruption can put it back.
    void record_previous(const std::string& folder);
    void set_interrupted(LockOwner owner) { interrupted_ = std::move(owner); }

  private:
    std::string path_;
    LockOwner owner_;
    std::string written_;
    bool nested_;
    std::optional<LockOwner> interrupted_;
};

struct LockAttempt {
    std::unique_ptr<OutputLock> lock;  // null when another build holds the folder
    std::string lock_path;
    std::optional<LockOwner> holder;  // that build, when its lock file could be read
};

// The lock file of an output folder, beside the folder as the system resolves it; empty for a
// drive root, which no Create accepts anyway.
std::string lock_path_for(FileSystem& fs, const std::string& output);

// Takes the lock of output for job (empty for a window's Create). The thread that holds it
// already gets a lock that gives nothing up, so the window's Create inside a job build passes.
// Throws PlatformError when the lock file cannot be made.
LockAttempt lock_output(FileSystem& fs, const std::string& output, const std::string& job);

// Shows the message naming the folder and the build that holds it.
void show_lock_refusal(const LockAttempt& attempt, const std::string& output,
                       const Catalogue& catalogue, Prompter& prompter);

// The same for a Create: shows the message naming the folder and the other build, or the one
// of a lock file that cannot be made, and gives null then.
std::unique_ptr<OutputLock> lock_for_create(FileSystem& fs, const std::string& output,
                                            const std::string& job, const Catalogue& catalogue,
                                            Prompter& prompter);

}  // namespace korva
