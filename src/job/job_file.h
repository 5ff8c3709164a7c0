// SPDX-License-Identifier: MIT
// A job file describes one package as the window would build it, in an INI file a person can read,
// review and keep in version control. It never holds a password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/prompter.h"

namespace korva {
class FileSystem;
class Catalogue;
}  // namespace korva

namespace korva::job {

enum class Tool { Installer, Removal, Administrator };

// What a build does with an output folder that already holds something, where the window would
// ask: stop, build into a new sub-folder of that name, or replace the old contents (kept when the
// build fails).
enum class ExistingOutput { Fail, Subfolder, Reuse };

struct Printer {
    std::string model;
    std::string emulation;  // empty when the package offers no choice
    std::string address;
    std::string name;
    bool qx_port = false;
    bool lpr = false;
    std::string port_number;  // empty: the protocol's preset
    std::string queue;
    bool auto_config = true;
    bool default_printer = true;  // the window starts at Yes
    int section = 0;              // N of its [PrinterN], 0 for a printer not read from a file
};

struct Job {
    Tool tool = Tool::Installer;
    std::string source;  // as written in the file: relative to the job file's folder, or absolute
    std::string output;  // for the administrator tool the program's folder; empty: the job's
    ExistingOutput existing_output = ExistingOutput::Fail;
    std::string subfolder;

    bool silent_install = false;
    bool user_install = false;
    std::string package_language;  // the language folder of the source package
    std::optional<DriverKind> driver;
    bool finish_dialog = false;
    bool restart_dialog = true;  // the installer's restart dialog is shown
    std::string account = "Administrator";
    std::string domain = "%USERDNSDOMAIN%";
    std::string password_variable;
    std::optional<bool> native_launcher;  // none: Tool.sii [Setup] NativeLauncher decides
    std::vector<Printer> printers;

    bool removal_dialog = true;
    bool remove_qx_port_monitor = false;
    bool remove_qx_print_monitor = false;
    std::vector<std::string> remove_printers;
    std::vector<std::string> remove_drivers;
};

// One thing wrong with a job, told with the catalogue key of its message and the texts that fill
// its "%1", "%2".
struct Problem {
    std::string key;
    std::vector<std::string> arguments;
};

struct ReadResult {
    Job job;
    std::vector<Problem> problems;  // empty when the job can be used
};

inline constexpr const char* kJobExtension = ".job";

// What a job file may be: a short text of plain lines, with at most this many printers.
inline constexpr std::uint64_t kMaxJobFileBytes = 1024 * 1024;
inline constexpr int kMaxPrinters = 999;
// The text boxes of both front ends take this many characters (UTF-16 units), their default.
inline constexpr std::size_t kMaxValueChars = 32767;
// A variable a job may take its password from; any other would let a job carry another secret
// of the build computer into a package.
inline constexpr const char* kPasswordVariablePrefix = "KORVA_";

// Reads and checks a job file (UTF-8), in one pass over its text. A file that is not a regular
// file, is larger than kMaxJobFileBytes or holds a control character, a carriage return inside a
// line or a bidirectional-text control is refused before its settings are looked at. Unknown
// sections and keys, a section or key given twice, a password key, values that are not one of
// their words, a comment after a value, printers without a model, address or name are all
// problems, every one reported; nothing is guessed and no message repeats a value.
ReadResult read_job(FileSystem& fs, const std::string& path);

// The file's text; folders that share a root with the job file's folder are written relative to
// it, with "/".
std::string job_text(const Job& job, const std::string& job_folder);
// Writes the file whole or not at all: an old job of that name stays when the write fails.
void write_job(FileSystem& fs, const std::string& path, const Job& job);

// The folder a job's folder text names: relative texts are taken from the job file's folder.
std::string resolve_folder(const std::string& folder_text, const std::string& job_folder);

// The folder of a job file, ending in the separator.
std::string folder_of(const std::string& job_path);

// Shows each problem through the prompter, with the catalogue's texts.
void show_problems(const std::vector<Problem>& problems, const Catalogue& catalogue,
                   Prompter& prompter);

}  // namespace korva::job
