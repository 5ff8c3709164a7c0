// SPDX-License-Identifier: MIT
// A stand-in child program for the process tests. It reports the command line exactly as it
// received it, so a test can see what reached CreateProcessW; elsewhere, where programs receive
// their arguments one by one, it reports them joined by blanks. Driven by environment variables,
// so that the command line itself stays free for the test:
//   KORVA_RECORD_SLEEP_MS  pause first (a program that outlives its time limit)
//   KORVA_RECORD_FILE      then write the command line there, in UTF-8
//   KORVA_RECORD_EXIT      then end with this exit code (default 0)
#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

#ifdef _WIN32
std::string utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.empty() ? 0 : out.size() - 1);
    return out;
}

std::string command_line(int, char**) {
    return utf8(::GetCommandLineW());
}

// The path in UTF-16, whatever the ANSI code page could hold of it.
std::filesystem::path record_file() {
    const wchar_t* value = ::_wgetenv(L"KORVA_RECORD_FILE");
    return value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
}
#else
std::string command_line(int argc, char** argv) {
    std::string line = argv[0];
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    return line;
}

std::filesystem::path record_file() {
    const char* value = std::getenv("KORVA_RECORD_FILE");
    return value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
}
#endif

unsigned long number(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? 0 : std::strtoul(value, nullptr, 10);
}

}  // namespace

int main(int argc, char** argv) {
    std::this_thread::sleep_for(std::chrono::milliseconds(number("KORVA_RECORD_SLEEP_MS")));
    if (const auto file = record_file(); !file.empty()) {
        std::ofstream out(file, std::ios::binary);
        out << command_line(argc, argv);
        if (!out.flush())
            return 100;
    }
    return static_cast<int>(number("KORVA_RECORD_EXIT"));
}
