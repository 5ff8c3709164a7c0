// SPDX-License-Identifier: MIT
// The tool archive Tool.bin expanded for one generator run. It is unpacked into a private
// temporary folder, never into the package being written, so it cannot collide with package
// content, and that folder is gone when the object is, whether the run succeeded or not.
#pragma once

#include <functional>
#include <string>

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

  private:
    void place_encoder(const std::string& system_folder) const;

    FileSystem& fs_;
    TempFolder temp_;
    std::string tool_folder_;
};

}  // namespace korva
