// SPDX-License-Identifier: MIT
// gcab stores the paths it is given; it runs in a staging folder so that only the relative part
// of each path reaches the archive.
#include "support/cabinet.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/temp_dir.h"

namespace korva::test {

namespace fs = std::filesystem;

void make_cabinet(const std::string& archive_path, const std::vector<CabinetEntry>& entries) {
    TempDir staging;
    std::vector<std::string> args = {"gcab", "-c", fs::absolute(archive_path).string()};
    for (const CabinetEntry& entry : entries) {
        const fs::path file = staging.write(entry.path, entry.bytes);
        if (entry.modified) {
            fs::last_write_time(file, fs::file_time_type::clock::from_sys(
                                          std::chrono::system_clock::from_time_t(*entry.modified)));
        }
        args.push_back(entry.path);
    }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (chdir(staging.path().c_str()) != 0)
            _exit(126);
        execvp("gcab", argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("gcab could not make " + archive_path);
    }
}

std::vector<CabinetEntry> tool_entries(const std::string& prefix) {
    std::vector<CabinetEntry> entries;
    for (const char* name : {"screnc.exe", "RunAsWithVB.exe", "_qbus32.dll", "_qbus64.dll",
                             "zelt32.dll", "zelt64.dll", "wrenB.dll", "mofta.dll", "mofta64.dll",
                             "setup.exe", "setup.dll", "setup7.dll", "Setup.inx"}) {
        entries.push_back({prefix + name, std::string("tool ") + name, std::nullopt});
    }
    return entries;
}

std::vector<CabinetEntry> folder_entries(const std::string& folder) {
    std::vector<CabinetEntry> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "README.md")
            entries.push_back({name, read_file(entry.path()), std::nullopt});
    }
    return entries;
}

std::time_t local_time(int year, int month, int day, int hour) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace korva::test
