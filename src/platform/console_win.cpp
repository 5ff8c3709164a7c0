// SPDX-License-Identifier: MIT
#include <io.h>
#include <windows.h>

#include <vector>

#include "platform/codepage.h"
#include "platform/console.h"

namespace korva {

std::optional<std::string> environment_variable(const std::string& name) {
    const std::wstring wide_name = utf8_to_utf16(name);
    const DWORD size = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::vector<wchar_t> value(size);
    const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), value.data(), size);
    return utf16_to_utf8(std::wstring_view(value.data(), length));
}

namespace {

HANDLE console_of(std::FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Redirected output is read the way the console shows text: a file or pipe of `korva-build >
// log.txt` is in the console's output code page (UTF-8 after `chcp 65001`), and without a console
// in the ANSI code page, as other console programs write. A character the code page lacks
// becomes "?".
std::string in_output_code_page(const std::string& utf8) {
    UINT code_page = GetConsoleOutputCP();
    if (code_page == 0)
        code_page = GetACP();
    if (code_page == CP_UTF8 || utf8.empty())
        return utf8;
    const std::wstring wide = utf8_to_utf16(utf8);
    const int length = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return utf8;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

}  // namespace

bool is_terminal(std::FILE* stream) {
    return console_of(stream) != nullptr;
}

void write_text(std::FILE* stream, const std::string& utf8) {
    std::fflush(stream);
    if (HANDLE console = console_of(stream)) {
        const std::wstring wide = utf8_to_utf16(utf8);
        DWORD written = 0;
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string bytes = in_output_code_page(utf8);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

std::optional<std::string> read_secret_line(const std::string& prompt) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD old_mode = 0;
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &old_mode))
        return std::nullopt;
    write_text(stderr, prompt);
    SetConsoleMode(input, (old_mode | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::wstring line;
    wchar_t buffer[256];
    DWORD read = 0;
    bool ended = false;
    while (!ended && ReadConsoleW(input, buffer, 256, &read, nullptr) && read > 0) {
        line.append(buffer, read);
        ended = line.find(L'\n') != std::wstring::npos;
    }
    SetConsoleMode(input, old_mode);
    write_text(stderr, "\n");
    if (!ended)
        return std::nullopt;
    line.erase(line.find_first_of(L"\r\n"));
    return utf16_to_utf8(line);
}

}  // namespace korva
