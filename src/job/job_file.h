// SPDX-License-Identifier: MIT
// A job file describes one package as the window would build it, in an INI file a person can read,
// review and keep in version control. It never holds a password.
#pragma once

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
    bool default_printer = false;
};

struct Job {
    Tool tool = Tool::Installer;
    std::string source;  // as written in the file: relative to the job file's folder, or absolute
    std::string output;
    ExistingOutput existing_output = ExistingOutput::Fail;
    std::string subfolder;

    bool silent_install = false;
    bool user_install = false;
    std::string package_language;  // the language folder of the source package
    std::optional<DriverKind> driver;
    bool finish_dialog = false;
    bool restart_dialog = false;
    std::string account = "Administrator";
    std::string domain = "%USERDNSDOMAIN%";
    std::string password_variable;
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

// Reads and checks a job file (UTF-8). Unknown sections and keys, a password key, values that are
// not one of their words, printers without a model, address or name, and relative folders that
// leave the job file's folder through ".." are all problems; nothing is guessed.
ReadResult read_job(FileSystem& fs, const std::string& path);

// The file's text; folders inside the job file's folder are written relative to it.
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
