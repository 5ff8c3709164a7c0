// SPDX-License-Identifier: MIT
// Test archives in the format of the tool archive, so the expander meets real cabinet files.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace korva::test {

struct CabinetEntry {
    std::string path;  // relative, "/" between folders; a folder part is kept in the archive
    std::string bytes;
    // Modification time to store; the cabinet keeps it in local time to two seconds.
    std::optional<std::time_t> modified;
};

// Writes the archive (any name, for instance Tool.bin). Throws std::runtime_error when it cannot
// be written.
void make_cabinet(const std::string& archive_path, const std::vector<CabinetEntry>& entries);

// The stand-in tool files with the given prefix before each name ("" for the top level, "v2/"
// for one sub-folder), each holding its own name.
std::vector<CabinetEntry> tool_entries(const std::string& prefix = "");

// Every file directly in a folder except its README.md, each holding the file's bytes: the
// example stand-ins of examples/tool, packed as the build packs them.
std::vector<CabinetEntry> folder_entries(const std::string& folder);

// A fixed local time on an even second, which survives the cabinet's two-second resolution.
std::time_t local_time(int year, int month, int day, int hour = 12);

}  // namespace korva::test
