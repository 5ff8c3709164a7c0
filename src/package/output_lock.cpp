// SPDX-License-Identifier: MIT
// The lock is a file rather than a lock of the operating system because a build server's two
// builds may be two programs, on two computers sharing the folder: a file beside the output is
// what all of them see. Only a lock of this computer can be told dead; one of another computer
// stays until someone removes it, and the message says which file that is.
#include "package/output_lock.h"

#include <map>
#include <mutex>
#include <thread>

#include "catalogue/catalogue.h"
#include "dialogs/messages.h"
#include "dialogs/prompter.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/lock_file.h"
#include "platform/path.h"

namespace korva {

namespace {

constexpr const char* kLockHeading =
    "Korva Install Assistant: a build is writing into the folder beside this file.";
constexpr int kTakeOverAttempts = 4;

// The locks this process holds, by the thread that took each: the window's Create inside a job
// build takes the lock its own job build holds.
std::mutex held_mutex;
std::map<std::string, std::thread::id>& held_locks() {
    static std::map<std::string, std::thread::id> held;
    return held;
}

// A job path with a line break would start a line of its own in the lock file.
std::string one_line(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = '?';
    }
    return text;
}

bool is_own_process(const LockOwner& owner, const ProcessIdentity& me) {
    return owner.host == me.host && owner.pid == me.pid && owner.started == me.started;
}

bool owner_has_ended(const LockOwner& owner, const ProcessIdentity& me) {
    return owner.host == me.host && !is_own_process(owner, me) &&
           !process_runs(owner.pid, owner.started);
}

}  // namespace

std::string lock_text(const LockOwner& owner) {
    return std::string(kLockHeading) + "\npid=" + std::to_string(owner.pid) +
           "\nhost=" + one_line(owner.host) + "\nstarted=" + one_line(owner.started) +
           "\njob=" + one_line(owner.job) + "\nprevious=" + one_line(owner.previous) + "\n";
}

std::optional<LockOwner> parse_lock(const std::string& text) {
    LockOwner owner;
    bool has_pid = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "pid") {
            try {
                owner.pid = std::stoull(value);
                has_pid = true;
            } catch (const std::exception&) {
                return std::nullopt;
            }
        } else if (key == "host") {
            owner.host = value;
        } else if (key == "started") {
            owner.started = value;
        } else if (key == "job") {
            owner.job = value;
        } else if (key == "previous") {
            owner.previous = value;
        }
    }
    if (!has_pid)
        return std::nullopt;
    return owner;
}

OutputLock::OutputLock(std::string path, LockOwner owner, std::string written, bool nested)
    : path_(std::move(path)),
      owner_(std::move(owner)),
      written_(std::move(written)),
      nested_(nested) {}

OutputLock::~OutputLock() {
    if (nested_ || path_.empty())
        return;
    {
        const std::lock_guard<std::mutex> guard(held_mutex);
        held_locks().erase(name_comparison_key(path_));
    }
    remove_file_if_unchanged(path_, written_);
}

void OutputLock::record_previous(const std::string& folder) {
    if (nested_ || path_.empty())
        return;
    owner_.previous = folder;
    const std::string text = lock_text(owner_);
    replace_file_atomically(path_, text);
    written_ = text;
}

std::string lock_path_for(FileSystem& fs, const std::string& output) {
    std::string folder;
    try {
        folder = fs.canonical(output);
    } catch (const std::exception&) {
        folder = output;
    }
    folder = without_trailing_sep(folder);
    const std::size_t sep = last_sep(folder);
    if (sep == std::string::npos || sep + 1 == folder.size())
        return "";
    return folder + kLockSuffix;
}

LockAttempt lock_output(FileSystem& fs, const std::string& output, const std::string& job) {
    const ProcessIdentity me = current_process();
    LockOwner owner{me.pid, me.host, me.started, job, ""};
    const std::string path = lock_path_for(fs, output);
    if (path.empty())
        return {std::make_unique<OutputLock>("", owner, "", true), path, std::nullopt};
    const std::string key = name_comparison_key(path);
    {
        const std::lock_guard<std::mutex> guard(held_mutex);
        const auto held = held_locks().find(key);
        if (held != held_locks().end() && held->second == std::this_thread::get_id())
            return {std::make_unique<OutputLock>(path, owner, "", true), path, std::nullopt};
    }
    const std::string text = lock_text(owner);
    std::optional<LockOwner> interrupted;
    std::optional<LockOwner> holder;
    for (int attempt = 0; attempt < kTakeOverAttempts; ++attempt) {
        if (create_file_exclusive(path, text)) {
            {
                const std::lock_guard<std::mutex> guard(held_mutex);
                held_locks()[key] = std::this_thread::get_id();
            }
            auto lock = std::make_unique<OutputLock>(path, owner, text, false);
            if (interrupted)
                lock->set_interrupted(*interrupted);
            return {std::move(lock), path, std::nullopt};
        }
        const std::optional<std::string> found = read_small_file(path);
        if (!found)
            continue;  // given up meanwhile
        holder = parse_lock(*found);
        // A lock that names no process may be one being written this moment: it is never stale.
        if (!holder || !owner_has_ended(*holder, me))
            break;
        if (remove_file_if_unchanged(path, *found))
            interrupted = holder;
    }
    return {nullptr, path, holder};
}

std::unique_ptr<OutputLock> lock_for_create(FileSystem& fs, const std::string& output,
                                            const std::string& job, const Catalogue& catalogue,
                                            Prompter& prompter) {
    LockAttempt attempt;
    try {
        attempt = lock_output(fs, output, job);
    } catch (const PlatformError&) {
        show_message(catalogue, prompter, "MsgErrOutPath4", "MsgErrChk");
        return nullptr;
    }
    if (!attempt.lock)
        show_lock_refusal(attempt, output, catalogue, prompter);
    return std::move(attempt.lock);
}

void show_lock_refusal(const LockAttempt& attempt, const std::string& output,
                       const Catalogue& catalogue, Prompter& prompter) {
    const std::optional<LockOwner>& other = attempt.holder;
    const std::string unknown = "?";
    std::string what = unknown;
    if (other)
        what = other->job.empty() ? catalogue.text("MsgBuildLockWindow") : other->job;
    show_filled_message(catalogue, prompter, "MsgErrBuildLocked",
                        {output, other ? std::to_string(other->pid) : unknown,
                         other ? other->host : unknown, what, attempt.lock_path});
}

}  // namespace korva
