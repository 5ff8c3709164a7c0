// SPDX-License-Identifier: MIT
// POSIX side of lock files: O_EXCL for the exclusive create, rename for the steps that must not
// be seen half done, and /proc for a process's start time where the system has it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "platform/lock_file.h"

namespace korva {

namespace {

PlatformError failure(const std::string& what, const std::string& path) {
    return PlatformError(what + " (" + std::strerror(errno) + ")", path);
}

void write_all(int fd, const std::string& bytes, const std::string& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const PlatformError error = failure("Cannot write", path);
            ::close(fd);
            throw error;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        throw failure("Cannot write", path);
}

// The state letter and start time of /proc/PID/stat: the fields after the command name, which
// is in parentheses and may hold blanks itself.
struct ProcStat {
    char state = '?';
    std::string started;
};

std::optional<ProcStat> proc_stat(std::uint64_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    ProcStat stat;
    fields >> stat.state;
    std::string field;
    // The start time is field 22; the state was field 3.
    for (int n = 4; n <= 22 && fields >> field; ++n) {
        if (n == 22)
            stat.started = field;
    }
    return stat;
}

}  // namespace

ProcessIdentity current_process() {
    ProcessIdentity me;
    me.pid = static_cast<std::uint64_t>(::getpid());
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0)
        me.host = host;
    if (const auto stat = proc_stat(me.pid))
        me.started = stat->started;
    return me;
}

bool process_runs(std::uint64_t pid, const std::string& started) {
    const auto id = static_cast<pid_t>(pid);
    if (id <= 0 || static_cast<std::uint64_t>(id) != pid)
        return false;
    if (::kill(id, 0) != 0 && errno != EPERM)
        return false;
    const auto stat = proc_stat(pid);
    if (!stat)
        return true;  // no /proc here: the signal test is all there is
    // A process that ended but was not waited for yet is not running either.
    return stat->state != 'Z' && stat->state != 'X' &&
           (started.empty() || stat->started == started);
}

bool create_file_exclusive(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            return false;
        throw failure("Cannot create", path);
    }
    try {
        write_all(fd, bytes, path);
    } catch (...) {
        ::unlink(path.c_str());
        throw;
    }
    return true;
}

std::optional<std::string> read_small_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void replace_file_atomically(const std::string& path, const std::string& bytes) {
    const std::string next = path + ".next" + std::to_string(::getpid());
    const int fd = ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw failure("Cannot create", next);
    write_all(fd, bytes, next);
    if (::rename(next.c_str(), path.c_str()) != 0) {
        const PlatformError error = failure("Cannot replace", path);
        ::unlink(next.c_str());
        throw error;
    }
}

bool remove_file_if_unchanged(const std::string& path, const std::string& expected) {
    const std::string moved = path + ".gone" + std::to_string(::getpid());
    if (::rename(path.c_str(), moved.c_str()) != 0)
        return false;
    if (read_small_file(moved) == expected) {
        ::unlink(moved.c_str());
        return true;
    }
    // Not the file we meant: it goes back, unless its name has been taken again meanwhile.
    if (::link(moved.c_str(), path.c_str()) == 0 || errno == EEXIST)
        ::unlink(moved.c_str());
    return false;
}

}  // namespace korva
