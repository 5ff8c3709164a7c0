// SPDX-License-Identifier: MIT
// The Windows side of the native launcher. Everything runs in the user's own process except the
// program itself; the default printer is set here because it belongs to the user.
#include <windows.h>
// After windows.h, which they need.
#include <shellapi.h>
#include <tlhelp32.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/launcher_system.h"

namespace korva::launch {

namespace {

constexpr auto kJobPoll = std::chrono::milliseconds(100);

struct Handle {
    HANDLE value = nullptr;
    Handle() = default;
    explicit Handle(HANDLE handle) : value(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    void reset(HANDLE handle = nullptr) {
        if (value != nullptr && value != INVALID_HANDLE_VALUE)
            ::CloseHandle(value);
        value = handle;
    }
};

DWORD milliseconds_until(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(left, INFINITE - 1));
}

std::string local_time_text(bool with_time) {
    SYSTEMTIME time;
    ::GetLocalTime(&time);
    char text[32];
    if (with_time)
        std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth,
                      time.wDay, time.wHour, time.wMinute, time.wSecond);
    else
        std::snprintf(text, sizeof(text), "%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
    return text;
}

std::wstring base_name_of(const std::wstring& path) {
    const std::size_t sep = path.find_last_of(L"\\/");
    std::wstring name = sep == std::wstring::npos ? path : path.substr(sep + 1);
    if (const std::size_t dot = name.rfind(L'.'); dot != std::wstring::npos)
        name.resize(dot);
    return name;
}

class WindowsLauncherSystem : public LauncherSystem {
  public:
    WindowsLauncherSystem(AccountStarter& starter, std::wstring log_path)
        : starter_(starter), log_path_(std::move(log_path)) {}

    std::optional<std::string> read_file(const std::string& path) override {
        Handle file(::CreateFileW(utf8_to_utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (file.value == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file.value, &size))
            return std::nullopt;
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD read = 0;
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
            if (!::ReadFile(file.value, bytes.data() + done, chunk, &read, nullptr) || read == 0)
                return std::nullopt;
            done += read;
        }
        return bytes;
    }

    std::string today() override { return local_time_text(false); }

    std::string environment(const std::string& name) override {
        wchar_t value[1024];
        const DWORD length = ::GetEnvironmentVariableW(utf8_to_utf16(name).c_str(), value, 1024);
        return length == 0 || length >= 1024 ? std::string() : utf16_to_utf8(value);
    }

    std::string computer_name() override {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
        return ::GetComputerNameW(name, &length) ? utf16_to_utf8(name) : std::string();
    }

    unsigned long start(const StartRequest& request) override {
        const StartedProcess started = starter_.start(request);
        if (started.error != 0)
            return started.error;
        adopt(started.process);
        if (started.thread != nullptr) {
            ::ResumeThread(started.thread);
            ::CloseHandle(started.thread);
        }
        return 0;
    }

    unsigned long start_elevated(const StartRequest& request) override {
        const std::wstring program = utf8_to_utf16(request.program);
        const std::wstring arguments = utf8_to_utf16(request.arguments);
        const std::wstring folder = utf8_to_utf16(request.folder);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"runas";
        info.lpFile = program.c_str();
        info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
        info.lpDirectory = folder.c_str();
        info.nShow = SW_SHOWNORMAL;
        ::SetLastError(0);
        if (!::ShellExecuteExW(&info)) {
            const DWORD error = ::GetLastError();
            return error != 0 ? error : kErrorUnreported;
        }
        if (info.hProcess == nullptr)
            return kErrorUnreported;
        adopt(info.hProcess);
        return 0;
    }

    std::optional<int> wait_started(Clock::time_point deadline) override {
        if (process_.value == nullptr)
            return std::nullopt;
        if (::WaitForSingleObject(process_.value, milliseconds_until(deadline)) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        ::GetExitCodeProcess(process_.value, &code);
        while (job_has_processes()) {
            if (Clock::now() >= deadline)
                return std::nullopt;
            std::this_thread::sleep_for(kJobPoll);
        }
        return static_cast<int>(code);
    }

    bool process_named_running(const std::string& name) override {
        const std::wstring wanted = utf8_to_utf16(name);
        Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot.value == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Process32FirstW(snapshot.value, &entry); more;
             more = ::Process32NextW(snapshot.value, &entry))
            if (::CompareStringOrdinal(entry.szExeFile, -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL)
                return true;
        return false;
    }

    std::optional<long> legacy_default_printer_mode() override {
        constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
        constexpr wchar_t kValue[] = L"LegacyDefaultPrinterMode";
        DWORD number = 0;
        DWORD size = sizeof(number);
        if (::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &number,
                           &size) == ERROR_SUCCESS)
            return static_cast<long>(static_cast<std::int32_t>(number));
        wchar_t text[64];
        size = sizeof(text);
        if (::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, text, &size) ==
            ERROR_SUCCESS)
            return std::wcstol(text, nullptr, 10);
        return std::nullopt;
    }

    bool set_default_printer(const std::string& name) override {
        return ::SetDefaultPrinterW(utf8_to_utf16(name).c_str()) != FALSE;
    }

    Clock::time_point now() override { return Clock::now(); }
    void sleep(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }

    void show_message(const std::string& text, const std::string& title) override {
        ::MessageBoxW(nullptr, utf8_to_utf16(text).c_str(), utf8_to_utf16(title).c_str(),
                      MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }

    void log(const std::string& line) override {
        if (log_path_.empty())
            return;
        Handle file(::CreateFileW(log_path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.value == INVALID_HANDLE_VALUE)
            return;
        const std::string text = local_time_text(true) + " " + line + "\r\n";
        DWORD written = 0;
        ::WriteFile(file.value, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

  private:
    // The program joins a job of its own, so that the wait covers whatever it starts. Where
    // Windows refuses (a process of another account in a job that allows no nesting), the wait
    // falls back to the process and the processes of its name.
    void adopt(HANDLE process) {
        process_.reset(process);
        job_.reset(::CreateJobObjectW(nullptr, nullptr));
        if (job_.value != nullptr && !::AssignProcessToJobObject(job_.value, process))
            job_.reset();
    }

    bool job_has_processes() {
        if (job_.value == nullptr)
            return false;
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        if (!::QueryInformationJobObject(job_.value, JobObjectBasicAccountingInformation, &info,
                                         sizeof(info), nullptr))
            return false;
        return info.ActiveProcesses > 0;
    }

    AccountStarter& starter_;
    const std::wstring log_path_;
    Handle process_;
    Handle job_;
};

}  // namespace

std::string running_program_path() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
            return utf16_to_utf8(std::wstring_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

std::unique_ptr<LauncherSystem> windows_launcher_system(AccountStarter& starter,
                                                        const std::string& launcher_path) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring log_path;
    if (length > 0 && length <= MAX_PATH)
        log_path =
            std::wstring(temp, length) + base_name_of(utf8_to_utf16(launcher_path)) + L".log";
    return std::make_unique<WindowsLauncherSystem>(starter, std::move(log_path));
}

}  // namespace korva::launch
