// SPDX-License-Identifier: MIT
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

#include "platform/console.h"

namespace korva {

std::optional<std::string> environment_variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

bool is_terminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

void write_text(std::FILE* stream, const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

namespace {

termios g_typed_mode{};

// Ctrl-C at the password prompt must not leave the terminal without echo.
extern "C" void restore_echo_and_stop(int signal_number) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_typed_mode);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

}  // namespace

std::optional<std::string> read_secret_line(const std::string& prompt) {
    if (!is_terminal(stdin))
        return std::nullopt;
    write_text(stderr, prompt);
    ::tcgetattr(STDIN_FILENO, &g_typed_mode);
    termios quiet = g_typed_mode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    const auto old_interrupt = std::signal(SIGINT, restore_echo_and_stop);
    const auto old_terminate = std::signal(SIGTERM, restore_echo_and_stop);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_typed_mode);
    std::signal(SIGINT, old_interrupt);
    std::signal(SIGTERM, old_terminate);
    write_text(stderr, "\n");
    if (!read)
        return std::nullopt;
    return line;
}

}  // namespace korva
