// SPDX-License-Identifier: MIT
// POSIX side of starting outside programs: without a shell, in a process group of their own so
// that a time-out takes their helpers along, and the folders the program finds its tools in.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/process.h"

extern char** environ;

namespace korva {
namespace {

// Short enough that a finished process is noticed at once, long enough that waiting for a slow
// one costs no noticeable processor time.
constexpr std::chrono::milliseconds kPollInterval{5};

// The shell's code for a program that could not be executed.
constexpr int kCannotExecute = 127;

class SpawnSetup {
  public:
    SpawnSetup() {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Kills the child's whole process group (a program may start helpers of its own) and reaps it,
// so that no process outlives a failed wait.
void kill_and_reap(pid_t pid) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

int exit_code(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    // A program ended by a signal reports it the way a shell does.
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

std::string make_folder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throw PlatformError("Cannot create the folder (" + error.message() + ")", path);
    return with_trailing_sep(path);
}

// Moves everything from a finished expansion into the destination, replacing files of the same
// name and merging folders, as the expander would have written them in place.
void merge_into(const std::filesystem::path& from, const std::filesystem::path& to) {
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const auto target = to / entry.path().filename();
        std::error_code error;
        if (entry.is_directory() && std::filesystem::is_directory(target, error)) {
            merge_into(entry.path(), target);
            continue;
        }
        if (std::filesystem::is_directory(target, error))
            throw PlatformError("A folder is in the way of the expanded file", target.string());
        std::filesystem::rename(entry.path(), target, error);
        if (error)
            throw PlatformError("Cannot place the expanded file (" + error.message() + ")",
                                target.string());
    }
}

}  // namespace

int run_and_wait(const Command& command, const EventPump& pump,
                 std::chrono::milliseconds time_limit) {
    std::vector<std::string> arguments;
    arguments.reserve(command.arguments.size() + 1);
    arguments.push_back(command.program);
    arguments.insert(arguments.end(), command.arguments.begin(), command.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    // A hidden window on Windows: no console input, no console output. Errors stay visible on
    // the inherited standard error for whoever started the program from a terminal.
    ::posix_spawn_file_actions_addopen(&setup.actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&setup.actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // Its own process group, so a time-out kills whatever it started as well; default signal
    // handling and an empty mask, whatever the window toolkit has set up for itself.
    sigset_t all_signals;
    sigset_t no_signals;
    sigfillset(&all_signals);
    sigemptyset(&no_signals);
    ::posix_spawnattr_setsigdefault(&setup.attributes_, &all_signals);
    ::posix_spawnattr_setsigmask(&setup.attributes_, &no_signals);
    ::posix_spawnattr_setpgroup(&setup.attributes_, 0);
    ::posix_spawnattr_setflags(
        &setup.attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

    pid_t pid = 0;
    const int spawn_error = ::posix_spawnp(&pid, command.program.c_str(), &setup.actions_,
                                           &setup.attributes_, argv.data(), environ);
    if (spawn_error != 0)
        throw PlatformError(
            std::string("Cannot start the program (") + std::strerror(spawn_error) + ")",
            command.program);

    const auto deadline = std::chrono::steady_clock::now() + time_limit;
    int status = 0;
    try {
        for (;;) {
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid)
                break;
            if (done < 0 && errno != EINTR)
                throw PlatformError(
                    std::string("Cannot wait for the program (") + std::strerror(errno) + ")",
                    command.program);
            if (std::chrono::steady_clock::now() >= deadline) {
                kill_and_reap(pid);
                throw PlatformError("The program did not end in time and was stopped",
                                    command.program);
            }
            if (pump)
                pump();
            std::this_thread::sleep_for(kPollInterval);
        }
    } catch (const PlatformError&) {
        throw;
    } catch (...) {
        // The pump failed: the process must not run on unwatched.
        kill_and_reap(pid);
        throw;
    }
    const int code = exit_code(status);
    if (code == kCannotExecute)
        throw PlatformError("The program could not be started (exit code 127)", command.program);
    return code;
}

void expand_cabinet(const std::string& cabinet, const std::string& folder, const EventPump& pump) {
    // cabextract leaves empty files behind when an archive is damaged, so it expands into a
    // private folder beside the destination and the result is moved over only on success.
    const std::string destination = make_folder(folder);
    RealFileSystem files;
    std::string work;
    try {
        // Beside, not inside: a work folder left behind must never pass for the archive's content.
        std::string templ = destination.substr(0, destination.size() - 1) + ".expand-XXXXXX";
        if (::mkdtemp(templ.data()) == nullptr)
            throw PlatformError(
                std::string("Cannot create a work folder (") + std::strerror(errno) + ")",
                destination);
        work = templ;
        const int code = run_and_wait({"cabextract", {"-q", "-d", work, cabinet}}, pump);
        if (code != 0)
            throw PlatformError(
                "The archive could not be expanded (exit code " + std::to_string(code) + ")",
                cabinet);
        merge_into(work, destination);
    } catch (const std::filesystem::filesystem_error& error) {
        files.remove_all(work);
        throw PlatformError(
            std::string("Cannot place the expanded files (") + error.code().message() + ")",
            folder);
    } catch (...) {
        files.remove_all(work);
        throw;
    }
    files.remove_all(work);
}

std::string system_directory() {
    if (const char* configured = std::getenv("KORVA_SYSTEM_DIR");
        configured != nullptr && *configured != '\0')
        return make_folder(configured);
    std::string base;
    // The XDG rules ignore a relative data directory.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == kPathSep) {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* user = ::getpwuid(::getuid());
            home = user != nullptr ? user->pw_dir : nullptr;
        }
        if (home == nullptr || *home == '\0')
            throw PlatformError("No home folder for the system directory", "HOME");
        base = with_trailing_sep(home) + ".local" + kPathSep + "share";
    }
    return make_folder(with_trailing_sep(base) + "KorvaTool" + kPathSep + "system");
}

std::string executable_folder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw PlatformError("Cannot find the program's folder (" + error.message() + ")",
                            "/proc/self/exe");
    return with_trailing_sep(executable.parent_path().string());
}

}  // namespace korva
