// SPDX-License-Identifier: MIT
// Windows side of starting outside programs: the command line goes to CreateProcessW as written,
// the process runs inside a job object so that a time-out ends whatever it started as well, and
// the folders come from the system.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/path.h"
#include "platform/process.h"

namespace korva {
namespace {

// Short enough that a finished process is noticed at once, long enough that waiting for a slow
// one costs no noticeable processor time.
constexpr DWORD kWaitSliceMs = 5;

// Time given to a terminated process to be gone before its handle is let go.
constexpr DWORD kTerminationWaitMs = 5000;

class Handle {
  public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_ != nullptr)
            ::CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// The system's text for an error, in UTF-8 whatever the ANSI code page.
std::string system_message(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : utf16_to_utf8(message);
}

// One argument as the C runtime's command line parser gives it back: blanks and quotes inside
// quotes, a quote escaped by a backslash, and backslashes doubled only where a quote follows.
std::string quoted_argument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

std::string line_of(const Command& command) {
    if (!command.command_line.empty())
        return command.command_line;
    // The program name is taken up to the next quote without escapes, so it is only enclosed.
    std::string line = command.program.find_first_of(" \t") == std::string::npos
                           ? command.program
                           : "\"" + command.program + "\"";
    for (const std::string& argument : command.arguments)
        line += " " + quoted_argument(argument);
    return line;
}

const std::string& name_of(const Command& command) {
    return command.program.empty() ? command.command_line : command.program;
}

// A job that ends every process in it when its last handle goes, so nothing the command
// started outlives the wait.
HANDLE make_job() {
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits)) {
        ::CloseHandle(job);
        return nullptr;
    }
    return job;
}

class Started {
  public:
    explicit Started(const Command& command) : job_(make_job()) {
        std::wstring line = utf8_to_utf16(line_of(command));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow =
            command.window_style == WindowStyle::MinimizedFocus ? SW_SHOWMINIMIZED : SW_HIDE;
        PROCESS_INFORMATION info{};
        // Suspended until it is inside the job, so it cannot start anything outside it first.
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, nullptr, &startup, &info)) {
            throw PlatformError(
                "Cannot start the program (" + system_message(::GetLastError()) + ")",
                name_of(command));
        }
        process_ = info.hProcess;
        Handle thread(info.hThread);
        // Without a job (Windows 7 refuses one to a program that already runs in a job of its
        // own) the time limit still ends the program itself.
        in_job_ = job_.get() != nullptr && ::AssignProcessToJobObject(job_.get(), process_);
        ::ResumeThread(thread.get());
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() {
        if (process_ != nullptr)
            ::CloseHandle(process_);
    }

    HANDLE process() const { return process_; }

    void terminate() {
        if (in_job_)
            ::TerminateJobObject(job_.get(), 1);
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, kTerminationWaitMs);
    }

  private:
    Handle job_;
    HANDLE process_ = nullptr;
    bool in_job_ = false;
};

// Waits until the process handle is signalled. Its exit code cannot tell: a program may end
// with 259, the code that otherwise means "still running".
void wait_for_end(Started& started, const EventPump& pump, std::chrono::milliseconds time_limit,
                  const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + time_limit;
    for (;;) {
        const DWORD state = ::WaitForSingleObject(started.process(), kWaitSliceMs);
        if (state == WAIT_OBJECT_0)
            return;
        if (state == WAIT_FAILED) {
            const DWORD error = ::GetLastError();
            started.terminate();
            throw PlatformError("Cannot wait for the program (" + system_message(error) + ")",
                                name);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            started.terminate();
            throw PlatformError("The program did not end in time and was stopped", name);
        }
        if (pump) {
            try {
                pump();
            } catch (...) {
                // The pump failed: the process must not run on unwatched.
                started.terminate();
                throw;
            }
        }
    }
}

std::string make_folder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(utf8_to_utf16(path), error);
    if (error)
        throw PlatformError("Cannot create the folder (" + error.message() + ")", path);
    return with_trailing_sep(path);
}

// Read from the process's environment block, which children inherit, not the C runtime's copy.
std::string environment_variable(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length < value.size()) {
            value.resize(length);
            return utf16_to_utf8(value);
        }
        value.resize(length);
    }
}

}  // namespace

int run_and_wait(const Command& command, const EventPump& pump,
                 std::chrono::milliseconds time_limit) {
    Started started(command);
    wait_for_end(started, pump, time_limit, name_of(command));
    DWORD code = 0;
    if (!::GetExitCodeProcess(started.process(), &code))
        throw PlatformError(
            "Cannot read the program's exit code (" + system_message(::GetLastError()) + ")",
            name_of(command));
    return static_cast<int>(code);
}

void expand_cabinet(const std::string& cabinet, const std::string& folder, const EventPump& pump) {
    // A failed expansion leaves no trace in the exit code of cmd.exe; the callers find the
    // missing files afterwards.
    run_and_wait(expander_command(cabinet, folder), pump);
}

std::string system_directory() {
    if (const std::string configured = environment_variable(L"KORVA_SYSTEM_DIR");
        !configured.empty())
        return make_folder(configured);
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        throw PlatformError(
            "Cannot find the system directory (" + system_message(::GetLastError()) + ")",
            "GetSystemDirectoryW");
    return with_trailing_sep(utf16_to_utf8(std::wstring_view(buffer, length)));
}

std::string executable_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw PlatformError(
                "Cannot find the program's folder (" + system_message(::GetLastError()) + ")",
                "GetModuleFileNameW");
        // A full buffer may hold a cut name: long paths reach 32767 characters.
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    return with_trailing_sep(utf16_to_utf8(path.substr(0, separator)));
}

}  // namespace korva
