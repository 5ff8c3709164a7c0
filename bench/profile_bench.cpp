// SPDX-License-Identifier: MIT
// One profile entry point on one file, timed, with the peak memory of the whole process; the
// script bench/profile_bench.sh runs it once per file and entry point, each in a fresh process,
// so one peak does not hide behind another.
//
//   profile_bench FILE CODEPAGE ENTRY   (ENTRY one of the names in kEntries)
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/profile.h"

namespace {

using korva::CodePage;
namespace profile = korva::profile;

// Read the way the profile reader reads: sized once, then in blocks.
std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

constexpr std::size_t kMiB = 1024 * 1024;
const std::vector<std::string> kLines = {"ProgExe=New.exe", "Added=1"};

// Each entry point on the file (by its path or its bytes); the result's size is printed so that
// the work cannot be optimised away and a wrong result stands out.
struct Entry {
    const char* name;
    std::function<std::size_t(const std::string& path, const std::string& bytes, const CodePage&)>
        run;
};

std::size_t outline_count(const std::string& bytes, const CodePage& cp) {
    std::size_t names = 0;
    for (const auto& section : profile::outline_bytes(bytes, cp))
        names += 1 + section.keys.size() + section.stray_lines.size();
    return names;
}

const Entry kEntries[] = {
    // What any entry point by path pays at least: the file read, and for a write the file written.
    {"floor_read", [](auto& path, auto&, auto&) { return read_all(path).size(); }},
    {"floor_read_write",
     [](auto& path, auto&, auto&) {
         const std::string bytes = read_all(path);
         std::ofstream(path + ".copy", std::ios::binary) << bytes;
         return bytes.size();
     }},
    {"get_string",
     [](auto& path, auto&, auto& cp) {
         return profile::get_string(path, "Setup", "ProgExe", "", 1000, cp).size();
     }},
    {"get_string_1mb",
     [](auto& path, auto&, auto& cp) {
         return profile::get_string(path, "Setup", "ProgExe", "", kMiB, cp).size();
     }},
    {"get_string_all",
     [](auto& path, auto&, auto& cp) {
         return profile::get_string(path, "Setup", "ProgExe", "", SIZE_MAX, cp).size();
     }},
    {"get_string_bytes_1mb",
     [](auto&, auto& bytes, auto& cp) {
         return profile::get_string_bytes(bytes, "Setup", "ProgExe", "", kMiB, cp).size();
     }},
    {"outline_bytes", [](auto&, auto& bytes, auto& cp) { return outline_count(bytes, cp); }},
    {"write_string",
     [](auto& path, auto&, auto& cp) {
         profile::write_string(path, "Setup", "ProgExe", "New.exe", cp);
         return std::size_t{0};
     }},
    {"write_string_bytes",
     [](auto&, auto& bytes, auto& cp) {
         return profile::write_string_bytes(bytes, "Setup", "Added", "1", cp).size();
     }},
    {"write_section",
     [](auto& path, auto&, auto& cp) {
         profile::write_section(path, "Setup", kLines, cp);
         return std::size_t{0};
     }},
    {"write_section_bytes",
     [](auto&, auto& bytes, auto& cp) {
         return profile::write_section_bytes(bytes, "Added", kLines, cp).size();
     }},
    {"quoted_if_needed",
     [](auto&, auto& bytes, auto&) { return profile::quoted_if_needed(bytes).size(); }},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FILE CODEPAGE ENTRY\n", argv[0]);
        return 2;
    }
    const Entry* entry = nullptr;
    for (const Entry& e : kEntries) {
        if (std::strcmp(e.name, argv[3]) == 0)
            entry = &e;
    }
    if (entry == nullptr) {
        std::fprintf(stderr, "unknown entry point %s\n", argv[3]);
        return 2;
    }
    const CodePage cp(argv[2]);
    const std::string path = argv[1];
    // The byte forms get the file read beforehand, outside the timing but inside the peak.
    const bool by_path = std::strstr(entry->name, "_bytes") == nullptr &&
                         std::strcmp(entry->name, "quoted_if_needed") != 0;
    const std::string bytes = by_path ? std::string() : read_all(path);
    const auto start = std::chrono::steady_clock::now();
    const std::size_t result = entry->run(path, bytes, cp);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f ms %ld KiB %zu\n", took.count(), usage.ru_maxrss, result);
    return 0;
}
