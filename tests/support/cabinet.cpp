// SPDX-License-Identifier: MIT
// Cabinets are written here directly, uncompressed, so the tests need no archiver and build the
// same archives on every system; the expanders read them like any other cabinet.
#include "support/cabinet.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/temp_dir.h"

namespace korva::test {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFolderSize = 8;
constexpr std::size_t kBlockSize = 32768;  // the most one uncompressed data block may hold
constexpr std::uint16_t kArchiveAttribute = 0x20;

void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The cabinet's date and time fields: local time, two-second resolution.
std::pair<std::uint16_t, std::uint16_t> dos_time(std::time_t when) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &when);
#else
    localtime_r(&when, &tm);
#endif
    const auto date = ((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday;
    const auto time = (tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2);
    return {static_cast<std::uint16_t>(date), static_cast<std::uint16_t>(time)};
}

std::string cabinet_name(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

}  // namespace

void make_cabinet(const std::string& archive_path, const std::vector<CabinetEntry>& entries) {
    std::string files;
    std::string stream;
    const std::time_t now = std::time(nullptr);
    for (const CabinetEntry& entry : entries) {
        const auto [date, time] = dos_time(entry.modified.value_or(now));
        put32(files, static_cast<std::uint32_t>(entry.bytes.size()));
        put32(files, static_cast<std::uint32_t>(stream.size()));
        put16(files, 0);  // the only folder
        put16(files, date);
        put16(files, time);
        put16(files, kArchiveAttribute);
        files += cabinet_name(entry.path);
        files += '\0';
        stream += entry.bytes;
    }
    std::string blocks;
    std::size_t block_count = 0;
    for (std::size_t at = 0; at < stream.size(); at += kBlockSize, ++block_count) {
        const std::string block = stream.substr(at, kBlockSize);
        put32(blocks, 0);  // no checksum
        put16(blocks, static_cast<std::uint32_t>(block.size()));
        put16(blocks, static_cast<std::uint32_t>(block.size()));
        blocks += block;
    }
    const std::size_t files_at = kHeaderSize + kFolderSize;
    const std::size_t data_at = files_at + files.size();
    std::string cab = "MSCF";
    put32(cab, 0);
    put32(cab, static_cast<std::uint32_t>(data_at + blocks.size()));
    put32(cab, 0);
    put32(cab, static_cast<std::uint32_t>(files_at));
    put32(cab, 0);
    cab += '\x03';  // format version 1.3
    cab += '\x01';
    put16(cab, 1);  // folders
    put16(cab, static_cast<std::uint32_t>(entries.size()));
    put16(cab, 0);  // flags
    put16(cab, 0);  // set id
    put16(cab, 0);  // index in the set
    put32(cab, static_cast<std::uint32_t>(data_at));
    put16(cab, static_cast<std::uint32_t>(block_count));
    put16(cab, 0);  // stored, not compressed
    cab += files;
    cab += blocks;
    std::ofstream out(fs::path(archive_path), std::ios::binary);
    out << cab;
    if (!out.flush())
        throw std::runtime_error("cannot write the cabinet " + archive_path);
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
