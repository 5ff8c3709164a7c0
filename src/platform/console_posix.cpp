// SPDX-License-Identifier: MIT
#include <termios.h>
#include <unistd.h>

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

std::optional<std::string> read_secret_line(const std::string& prompt) {
    if (!is_terminal(stdin))
        return std::nullopt;
    write_text(stderr, prompt);
    termios old_mode{};
    ::tcgetattr(STDIN_FILENO, &old_mode);
    termios quiet = old_mode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old_mode);
    write_text(stderr, "\n");
    if (!read)
        return std::nullopt;
    return line;
}

}  // namespace korva

namespace korva {

std::vector<std::string> program_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace korva
