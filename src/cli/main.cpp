// SPDX-License-Identifier: MIT
// korva-build: packages from job files, without a window.
#include <cstdio>
#include <vector>

#include "cli/build_command.h"
#include "cli/display_text.h"
#include "platform/console.h"
#include "platform/error.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = korva::program_arguments(argc, argv);
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    korva::cli::Console console;
    console.out = [](const std::string& text) { korva::write_text(stdout, text); };
    console.err = [](const std::string& text) { korva::write_text(stderr, text); };
    console.err_is_terminal = korva::is_terminal(stderr);
    console.ask_password = [](const std::string& prompt) {
        return korva::read_secret_line(prompt);
    };
    try {
        return korva::cli::run_build_command(arguments, korva::executable_folder(), console);
    } catch (const korva::PlatformError& error) {
        korva::write_text(stderr, "korva-build: " + korva::cli::display_text(error.what()) + "\n");
        return 1;
    }
}
