// SPDX-License-Identifier: MIT
// What a program without windows needs of its terminal and environment, in UTF-8 on both systems.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace korva {

// The value of an environment variable; nullopt when it is not set.
std::optional<std::string> environment_variable(const std::string& name);

// True when the stream goes to a terminal (a console window on Windows), where a progress line
// that rewrites itself makes sense.
bool is_terminal(std::FILE* stream);

// Writes the text; on a Windows console as UTF-16, so non-ASCII texts show whatever the console's
// code page. Redirected on Windows, in the console's output code page (without a console, the
// ANSI code page); elsewhere always UTF-8.
void write_text(std::FILE* stream, const std::string& utf8);

// Asks on the terminal with the prompt and reads one line without showing what is typed; nullopt
// when standard input is not a terminal or ends.
std::optional<std::string> read_secret_line(const std::string& prompt);

}  // namespace korva

namespace korva {

// The program's arguments in UTF-8 (on Windows from the wide command line, so any name works).
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace korva
