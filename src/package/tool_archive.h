// SPDX-License-Identifier: MIT
// The tool archive Tool.bin expanded for one generator run. It is unpacked into a private
// temporary folder, never into the package being written, so it cannot collide with package
// content, and that folder is gone when the object is, whether the run succeeded or not.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/process.h"

namespace korva {

class FileSystem;
struct Context;

// The folder that receives the script encoder: the context's, else the system directory.
std::string encoder_folder(const Context& ctx);

inline constexpr const char* kToolArchiveName = "Tool.bin";
inline constexpr const char* kEncoderName = "screnc.exe";

// Expands a cabinet file into a folder and waits for it; throws PlatformError on failure or when
// the expander does not end in time. The platform's expand_cabinet unless a test swaps it.
using CabinetExpander = std::function<void(const std::string& cabinet, const std::string& folder,
                                           const EventPump& pump)>;

// A temporary folder that is removed with everything in it when the object goes.
class TempFolder {
  public:
    TempFolder(FileSystem& fs, const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends in the separator.
    const std::string& path() const { return path_; }

  private:
    FileSystem& fs_;
    std::string path_;
};

class ToolArchive {
  public:
    // Copies program_folder + "Tool.bin" into a fresh temporary folder as Tool.cab and expands
    // it there. Throws PlatformError when the archive is missing or cannot be expanded; nothing
    // is left behind then either.
    ToolArchive(FileSystem& fs, const std::string& program_folder, const EventPump& pump,
                const CabinetExpander& expander = {});

    // The folder the tool files are taken from: the top level of the archive, or, when the
    // archive holds sub-folders, the one listed last. Ends in the separator.
    const std::string& tool_folder() const { return tool_folder_; }

    // What every launcher package needs from the archive: the script encoder placed in the
    // system folder when none is there yet, or only an empty one (looked for without regard to
    // case, as Windows would), and the run-as program copied into the package folder.
    void install_launcher_tools(const std::string& system_folder,
                                const std::string& package_folder) const;
    // The same through another file system than the one the archive was expanded with (that of
    // the run using an archive of the cache).
    void install_launcher_tools(FileSystem& fs, const std::string& system_folder,
                                const std::string& package_folder) const;

  private:
    void place_encoder(FileSystem& fs, const std::string& system_folder) const;

    FileSystem& fs_;
    TempFolder temp_;
    std::string tool_folder_;
};

// The expanded archives of one run of many builds (korva-build's jobs): Tool.bin is expanded once
// and shared as long as the file keeps its path, size and modification time, which is what tells
// that its content cannot differ. The folders go with the cache. Jobs of parallel threads may ask
// at once; an archive is only read once it is handed out.
class ToolArchiveCache {
  public:
    // fs: the file system the archives are expanded and kept with; it outlives the cache.
    explicit ToolArchiveCache(FileSystem& fs) : fs_(fs) {}
    ToolArchiveCache(const ToolArchiveCache&) = delete;
    ToolArchiveCache& operator=(const ToolArchiveCache&) = delete;

    // The archive of program_folder, expanded now unless an unchanged one is kept. Throws as
    // ToolArchive's constructor does; a failed expansion is not kept.
    std::shared_ptr<const ToolArchive> archive(const std::string& program_folder,
                                               const EventPump& pump,
                                               const CabinetExpander& expander = {});
    // Expansions made so far, for a run to tell whether the cache served it.
    int expansions() const;

  private:
    struct Entry {
        std::string archive_path;
        std::uint64_t size = 0;
        std::int64_t modified = 0;
        std::shared_ptr<const ToolArchive> archive;
    };

    FileSystem& fs_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    int expansions_ = 0;
};

// The archive a generator uses: the context's cache's when it has one, else one of its own.
std::shared_ptr<const ToolArchive> open_tool_archive(const Context& ctx,
                                                     const CabinetExpander& expander);

}  // namespace korva
