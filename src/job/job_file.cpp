// SPDX-License-Identifier: MIT
// Job files are read strictly: a misspelt key would otherwise build a different package than the
// one the administrator reviewed, without a word.
#include "job/job_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "catalogue/catalogue.h"
#include "dialogs/messages.h"
#include "job/job_lines.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "source/folder_check.h"

namespace korva::job {

namespace {

constexpr const char* kJobSection = "Job";
constexpr const char* kRemovePrinters = "RemovePrinters";
constexpr const char* kRemoveDrivers = "RemoveDrivers";
constexpr const char* kYesNo = "yes, no";

const CodePage& utf8() {
    static const CodePage cp("UTF-8");
    return cp;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string where(const std::string& section, const std::string& key) {
    return "[" + section + "] " + key;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : ", ") + word;
    return text;
}

// The number after a name prefix ("Printer12" -> 12), 0 when the name is not of that form.
long numbered(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || lower(name.substr(0, prefix.size())) != lower(prefix))
        return 0;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 9 || digits.front() == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return 0;
    return std::stol(digits);
}

bool is_password_key(const std::string& key) {
    const std::string name = lower(key);
    return name.find("password") != std::string::npos && name != "passwordvariable";
}

const std::vector<std::string>& job_keys(Tool tool) {
    static const std::vector<std::string> installer = {"Tool",
                                                       "Source",
                                                       "Output",
                                                       "ExistingOutput",
                                                       "SilentInstall",
                                                       "PackageLanguage",
                                                       "Driver",
                                                       "FinishDialog",
                                                       "RestartDialog",
                                                       "UserInstall",
                                                       "Account",
                                                       "Domain",
                                                       "PasswordVariable",
                                                       "NativeLauncher"};
    static const std::vector<std::string> removal = {"Tool",
                                                     "Source",
                                                     "Output",
                                                     "ExistingOutput",
                                                     "RemovalDialog",
                                                     "RemoveQXPortMonitor",
                                                     "RemoveQXPrintMonitor",
                                                     "UserInstall",
                                                     "Account",
                                                     "Domain",
                                                     "PasswordVariable",
                                                     "NativeLauncher"};
    static const std::vector<std::string> administrator = {
        "Tool", "Output", "Account", "Domain", "PasswordVariable", "NativeLauncher"};
    switch (tool) {
        case Tool::Removal:
            return removal;
        case Tool::Administrator:
            return administrator;
        default:
            return installer;
    }
}

const std::vector<std::string>& printer_keys() {
    static const std::vector<std::string> keys = {"Model",      "Emulation", "Address",    "Name",
                                                  "Port",       "Protocol",  "PortNumber", "Queue",
                                                  "AutoConfig", "Default"};
    return keys;
}

bool listed(const std::vector<std::string>& names, const std::string& name) {
    const std::string folded = fold_name(name);
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return fold_name(n) == folded; });
}

// "C:x" and "\x" depend on the drive and folder korva-build happens to run in, on any system
// the job is taken to.
bool depends_on_current_folder(const std::string& text) {
    const bool drive_relative =
        text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
        (text.size() == 2 || (text[2] != '\\' && text[2] != '/'));
    const bool root_relative = (text[0] == '\\' || (text[0] == '/' && kPathSep == '\\')) &&
                               (text.size() == 1 || (text[1] != '\\' && text[1] != '/'));
    return drive_relative || root_relative;
}

// A name a job may take its password from: KORVA_ (any case, as Windows matches variable names)
// and then letters, digits and "_".
bool allowed_password_variable(const std::string& name) {
    const std::string prefix = kPasswordVariablePrefix;
    if (name.size() <= prefix.size() || lower(name.substr(0, prefix.size())) != lower(prefix))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

class Reader {
  public:
    explicit Reader(const std::string& bytes) : lines_(split_job_lines(bytes, problems_)) {}

    ReadResult read() {
        // A file of thousands of printers is refused before any of them is looked at.
        if (!lines_.plain || !printers_within_limit())
            return {{}, problems_.take()};
        result_.job.tool = read_tool();
        check_names();
        read_job_section();
        if (result_.job.tool == Tool::Installer)
            read_printers();
        if (result_.job.tool == Tool::Removal) {
            result_.job.remove_printers = read_list(kRemovePrinters, "Printer");
            result_.job.remove_drivers = read_list(kRemoveDrivers, "Driver");
        }
        result_.problems = problems_.take();
        return std::move(result_);
    }

  private:
    std::optional<std::string> value(const std::string& section, const std::string& key) const {
        const JobSection* found = lines_.find(section);
        const JobEntry* entry = found ? found->find(key) : nullptr;
        if (!entry)
            return std::nullopt;
        return entry->value;
    }

    void problem(const char* key, std::vector<std::string> arguments) {
        problems_.add(key, std::move(arguments));
    }

    void wrong_word(const std::string& section, const std::string& key, const char* words) {
        problem("MsgErrJobWord", {where(section, key), words});
    }

    bool printers_within_limit() {
        for (const JobSection& section : lines_.sections) {
            if (numbered(section.name, "Printer") > kMaxPrinters) {
                problem("MsgErrJobPrinters", {"[" + section.name + "]"});
                return false;
            }
        }
        return true;
    }

    Tool read_tool() {
        const std::string text = lower(value(kJobSection, "Tool").value_or("installer"));
        if (text == "removal")
            return Tool::Removal;
        if (text == "administrator")
            return Tool::Administrator;
        if (text != "installer")
            wrong_word(kJobSection, "Tool", "installer, removal, administrator");
        return Tool::Installer;
    }

    bool known_section(const std::string& name) const {
        const std::string section = lower(name);
        switch (result_.job.tool) {
            case Tool::Installer:
                return section == "job" || numbered(name, "Printer") > 0;
            case Tool::Removal:
                return section == "job" || section == lower(kRemovePrinters) ||
                       section == lower(kRemoveDrivers);
            default:
                return section == "job";
        }
    }

    const char* section_names() const {
        switch (result_.job.tool) {
            case Tool::Installer:
                return "[Job], [Printer1] ... [Printer999]";
            case Tool::Removal:
                return "[Job], [RemovePrinters], [RemoveDrivers]";
            default:
                return "[Job]";
        }
    }

    // The keys a section takes, as the message lists them.
    std::string section_keys(const std::string& section) const {
        if (lower(section) == "job")
            return joined(job_keys(result_.job.tool));
        if (lower(section) == lower(kRemovePrinters))
            return "Printer1, Printer2, ...";
        if (lower(section) == lower(kRemoveDrivers))
            return "Driver1, Driver2, ...";
        return joined(printer_keys());
    }

    bool known_key(const std::string& section, const std::string& key) const {
        if (lower(section) == "job")
            return listed(job_keys(result_.job.tool), key);
        if (lower(section) == lower(kRemovePrinters))
            return numbered(key, "Printer") > 0;
        if (lower(section) == lower(kRemoveDrivers))
            return numbered(key, "Driver") > 0;
        return listed(printer_keys(), key);
    }

    void check_names() {
        if (lines_.sections.empty() || lower(lines_.sections.front().name) != "job")
            problem("MsgErrJobFirst", {});
        for (const JobSection& section : lines_.sections) {
            const bool known = known_section(section.name);
            // A misspelt section is one mistake, not one per key in it.
            if (!known)
                problem("MsgErrJobSection", {"[" + section.name + "]", section_names()});
            for (const JobEntry& entry : section.entries) {
                if (is_password_key(entry.key)) {
                    problem("MsgErrJobPassword", {where(section.name, entry.key)});
                } else if (known && !known_key(section.name, entry.key)) {
                    problem("MsgErrJobKey",
                            {where(section.name, entry.key), section_keys(section.name)});
                }
            }
        }
    }

    bool yes_no(const std::string& section, const std::string& key, bool fallback) {
        const std::optional<std::string> text = value(section, key);
        if (!text)
            return fallback;
        if (lower(*text) == "yes")
            return true;
        if (lower(*text) != "no")
            wrong_word(section, key, kYesNo);
        return false;
    }

    // One of two words; the first unless the second is written.
    bool second_word(const std::string& section, const std::string& key, const char* first,
                     const char* second) {
        const std::string text = lower(value(section, key).value_or(first));
        if (text != first && text != second)
            wrong_word(section, key, (std::string(first) + ", " + second).c_str());
        return text == second;
    }

    std::string required(const std::string& section, const std::string& key) {
        std::string text = value(section, key).value_or("");
        if (text.empty())
            problem("MsgErrJobMissing", {where(section, key)});
        return text;
    }

    // An empty folder is the window's to refuse, with its own message, as for a person who left
    // the box empty. ".." is allowed: jobs kept beside their packages reach them that way.
    std::string folder(const std::string& key) {
        std::string text = value(kJobSection, key).value_or("");
        if (!text.empty() && depends_on_current_folder(text))
            problem("MsgErrJobPath", {where(kJobSection, key)});
        return text;
    }

    void read_existing_output() {
        Job& job = result_.job;
        const std::string text = value(kJobSection, "ExistingOutput").value_or("fail");
        const std::string word = lower(text.substr(0, text.find(':')));
        if (word == "subfolder" && text.find(':') != std::string::npos) {
            job.existing_output = ExistingOutput::Subfolder;
            job.subfolder = text.substr(text.find(':') + 1);
            if (!CheckFolderName(job.subfolder))
                problem("MsgErrJobSubfolder", {where(kJobSection, "ExistingOutput")});
        } else if (word == "reuse" && text.size() == word.size()) {
            job.existing_output = ExistingOutput::Reuse;
        } else if (word != "fail" || text.size() != word.size()) {
            wrong_word(kJobSection, "ExistingOutput", "fail, subfolder:NAME, reuse");
        }
    }

    void read_account() {
        Job& job = result_.job;
        job.account = value(kJobSection, "Account").value_or(job.account);
        job.domain = value(kJobSection, "Domain").value_or(job.domain);
        job.password_variable = value(kJobSection, "PasswordVariable").value_or("");
        if (!job.password_variable.empty() && !allowed_password_variable(job.password_variable))
            problem("MsgErrJobVariable", {where(kJobSection, "PasswordVariable")});
        if (value(kJobSection, "NativeLauncher"))
            job.native_launcher = yes_no(kJobSection, "NativeLauncher", true);
    }

    void read_job_section() {
        Job& job = result_.job;
        read_account();
        job.output = folder("Output");
        if (job.tool == Tool::Administrator)
            return;
        job.source = folder("Source");
        read_existing_output();
        job.user_install = yes_no(kJobSection, "UserInstall", false);
        if (job.tool == Tool::Removal) {
            job.removal_dialog = yes_no(kJobSection, "RemovalDialog", true);
            job.remove_qx_port_monitor = yes_no(kJobSection, "RemoveQXPortMonitor", false);
            job.remove_qx_print_monitor = yes_no(kJobSection, "RemoveQXPrintMonitor", false);
            return;
        }
        job.silent_install = yes_no(kJobSection, "SilentInstall", false);
        job.package_language = value(kJobSection, "PackageLanguage").value_or("");
        if (value(kJobSection, "Driver"))
            job.driver = second_word(kJobSection, "Driver", "printer", "pcfax")
                             ? DriverKind::Pcfax
                             : DriverKind::Printer;
        // The window's start: the finish dialog off, the restart dialog shown.
        job.finish_dialog = yes_no(kJobSection, "FinishDialog", false);
        job.restart_dialog = yes_no(kJobSection, "RestartDialog", true);
    }

    void read_printers() {
        std::vector<std::pair<long, std::string>> sections;
        for (const JobSection& section : lines_.sections) {
            if (long n = numbered(section.name, "Printer"); n > 0)
                sections.emplace_back(n, "Printer" + std::to_string(n));
        }
        std::sort(sections.begin(), sections.end());
        for (const auto& [n, section] : sections) {
            Printer p;
            p.section = static_cast<int>(n);
            p.model = required(section, "Model");
            p.emulation = value(section, "Emulation").value_or("");
            p.address = required(section, "Address");
            p.name = required(section, "Name");
            p.qx_port = second_word(section, "Port", "standard", "qx");
            p.lpr = second_word(section, "Protocol", "raw", "lpr");
            p.port_number = value(section, "PortNumber").value_or("");
            p.queue = value(section, "Queue").value_or("");
            p.auto_config = yes_no(section, "AutoConfig", true);
            // A printer's Default starts at Yes in the window.
            p.default_printer = yes_no(section, "Default", true);
            result_.job.printers.push_back(std::move(p));
        }
    }

    std::vector<std::string> read_list(const std::string& section, const std::string& prefix) {
        std::vector<std::pair<long, std::string>> entries;
        if (const JobSection* found = lines_.find(section)) {
            for (const JobEntry& entry : found->entries) {
                if (long n = numbered(entry.key, prefix); n > 0 && !entry.value.empty())
                    entries.emplace_back(n, entry.value);
            }
        }
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::string> list;
        for (auto& entry : entries)
            list.push_back(std::move(entry.second));
        return list;
    }

    ProblemList problems_;
    JobLines lines_;
    ReadResult result_;
};

const char* yes_no(bool value) {
    return value ? "yes" : "no";
}

const char* tool_word(Tool tool) {
    switch (tool) {
        case Tool::Removal:
            return "removal";
        case Tool::Administrator:
            return "administrator";
        default:
            return "installer";
    }
}

std::string existing_output_text(const Job& job) {
    switch (job.existing_output) {
        case ExistingOutput::Subfolder:
            return "subfolder:" + job.subfolder;
        case ExistingOutput::Reuse:
            return "reuse";
        default:
            return "fail";
    }
}

namespace stdfs = std::filesystem;

stdfs::path as_path(const std::string& text) {
    return stdfs::path(std::u8string(text.begin(), text.end())).lexically_normal();
}

std::string as_text(const stdfs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

bool same_name(const stdfs::path& a, const stdfs::path& b) {
    return name_comparison_key(as_text(a)) == name_comparison_key(as_text(b));
}

// A folder that shares a root (a drive, a share, "/") with the job's folder is written relative
// to it, ".." included, with "/" (which Windows reads too), so a job and its packages move
// together to another computer or another folder tree.
std::string portable_folder(const std::string& folder, const std::string& job_folder) {
    const stdfs::path target = as_path(folder);
    const stdfs::path base = as_path(job_folder);
    if (folder.empty() || !target.is_absolute() || !base.is_absolute() ||
        !same_name(target.root_path(), base.root_path()))
        return folder;
    const stdfs::path target_rest = target.relative_path();
    const stdfs::path base_rest = base.relative_path();
    auto t = target_rest.begin();
    auto b = base_rest.begin();
    while (t != target_rest.end() && b != base_rest.end() && !t->empty() && same_name(*t, *b)) {
        ++t;
        ++b;
    }
    stdfs::path relative;
    for (; b != base_rest.end(); ++b) {
        if (!b->empty())
            relative /= "..";
    }
    for (; t != target_rest.end(); ++t) {
        if (!t->empty())
            relative /= *t;
    }
    const std::string text = as_text(relative);
    return text.empty() ? "." : text;
}

// A value must come back from the reader as it went in: blanks at its ends, quotes around it and
// a ";" after a blank are kept by double quotes; a character the reader refuses is not written.
std::string written_value(const std::string& section, const std::string& key,
                          const std::string& value) {
    if (!is_plain_line(value, false))
        throw PlatformError("A value holds a control character", where(section, key));
    std::string text = profile::quoted_if_needed(value);
    if (text == value && has_trailing_comment(value))
        text = "\"" + value + "\"";
    return text;
}

class Writer {
  public:
    void section(const std::string& name) {
        section_ = name;
        text_ += "\r\n[" + name + "]\r\n";
    }
    void set(const std::string& key, const std::string& value) {
        text_ += key + "=" + written_value(section_, key, value) + "\r\n";
    }
    void comment(const std::string& text) { text_ += "; " + text + "\r\n"; }
    std::string text() const { return text_; }

  private:
    std::string section_;
    std::string text_ = "; Korva Install Assistant job\r\n";
};

void write_printer(Writer& w, const Printer& p, int number) {
    w.section("Printer" + std::to_string(number));
    w.set("Model", p.model);
    if (!p.emulation.empty())
        w.set("Emulation", p.emulation);
    w.set("Address", p.address);
    w.set("Name", p.name);
    w.set("Port", p.qx_port ? "qx" : "standard");
    if (!p.qx_port) {
        w.set("Protocol", p.lpr ? "lpr" : "raw");
        w.set("PortNumber", p.port_number);
        if (p.lpr)
            w.set("Queue", p.queue);
    }
    w.set("AutoConfig", yes_no(p.auto_config));
    w.set("Default", yes_no(p.default_printer));
}

void write_list(Writer& w, const char* section, const char* prefix,
                const std::vector<std::string>& list) {
    if (list.empty())
        return;
    w.section(section);
    for (std::size_t i = 0; i < list.size(); ++i)
        w.set(prefix + std::to_string(i + 1), list[i]);
}

// A saved job names the password's variable, so that it builds with nobody at a terminal.
void write_password_variable(Writer& w, const Job& job) {
    if (job.password_variable.empty()) {
        w.comment("PasswordVariable names the environment variable (KORVA_...) that holds the");
        w.comment("password; without the line korva-build asks for it on its terminal.");
    }
    w.set("PasswordVariable", job.password_variable.empty()
                                  ? std::string(kPasswordVariablePrefix) + "PASSWORD"
                                  : job.password_variable);
}

// The folder as this computer names it, so that its relative form does not depend on how it was
// typed; a relative folder (already the job's own form) and one that does not exist (yet) are
// kept as typed.
std::string canonical_folder(FileSystem& fs, const std::string& folder) {
    if (folder.empty() || !as_path(folder).is_absolute())
        return folder;
    try {
        return with_trailing_sep(fs.canonical(folder));
    } catch (const PlatformError&) {
        return folder;
    }
}

}  // namespace

std::string folder_of(const std::string& job_path) {
    const std::size_t sep = last_sep(job_path);
    if (sep == std::string::npos)
        return with_trailing_sep(".");
    return job_path.substr(0, sep + 1);
}

std::string resolve_folder(const std::string& folder_text, const std::string& job_folder) {
    if (folder_text.empty())
        return folder_text;
    // A job written on Windows may use its separator.
    const std::string text = with_native_seps(folder_text);
    namespace fs = std::filesystem;
    const fs::path written(std::u8string(text.begin(), text.end()));
    if (written.is_absolute())
        return folder_text;
    const fs::path base(std::u8string(job_folder.begin(), job_folder.end()));
    const std::u8string joined = (base / written).lexically_normal().u8string();
    return with_trailing_sep(std::string(joined.begin(), joined.end()));
}

// Only a regular file is opened: a FIFO would block the read for ever, a device never ends.
// Links are followed, so a job may be a link to a regular file.
std::optional<Problem> not_a_plain_file(const std::string& path) {
    std::error_code error;
    const stdfs::file_status status =
        stdfs::status(stdfs::path(std::u8string(path.begin(), path.end())), error);
    if (error || !stdfs::exists(status))
        return Problem{"MsgErrJobRead", {path}};
    if (!stdfs::is_regular_file(status))
        return Problem{"MsgErrJobNotFile", {path}};
    return std::nullopt;
}

ReadResult read_job(FileSystem& fs, const std::string& path) {
    std::string bytes;
    try {
        if (const std::optional<Problem> refused = not_a_plain_file(path))
            return {{}, {*refused}};
        if (fs.file_size(path) > kMaxJobFileBytes)
            return {{}, {{"MsgErrJobSize", {path}}}};
        bytes = fs.read_file(path);
    } catch (const PlatformError&) {
        return {{}, {{"MsgErrJobRead", {path}}}};
    }
    // The file may have grown between the look at its size and the read.
    if (bytes.size() > kMaxJobFileBytes)
        return {{}, {{"MsgErrJobSize", {path}}}};
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    // Read as anything else, a name would quietly become another one.
    if (utf8().from_ansi(bytes) != bytes)
        return {{}, {{"MsgErrJobUtf8", {path}}}};
    return Reader(bytes).read();
}

std::string job_text(const Job& job, const std::string& job_folder) {
    Writer w;
    w.section(kJobSection);
    w.set("Tool", tool_word(job.tool));
    if (job.tool != Tool::Administrator) {
        w.set("Source", portable_folder(job.source, job_folder));
        w.set("Output", portable_folder(job.output, job_folder));
        w.set("ExistingOutput", existing_output_text(job));
    }
    if (job.tool == Tool::Installer) {
        w.set("SilentInstall", yes_no(job.silent_install));
        // The printer/PC-Fax answer decides the package without silent install too.
        if (job.driver)
            w.set("Driver", *job.driver == DriverKind::Pcfax ? "pcfax" : "printer");
        if (job.silent_install) {
            w.set("PackageLanguage", job.package_language);
            w.set("FinishDialog", yes_no(job.finish_dialog));
            w.set("RestartDialog", yes_no(job.restart_dialog));
        }
    }
    if (job.tool == Tool::Removal) {
        w.set("RemovalDialog", yes_no(job.removal_dialog));
        w.set("RemoveQXPortMonitor", yes_no(job.remove_qx_port_monitor));
        w.set("RemoveQXPrintMonitor", yes_no(job.remove_qx_print_monitor));
    }
    if (job.tool != Tool::Administrator)
        w.set("UserInstall", yes_no(job.user_install));
    if (job.tool == Tool::Administrator || job.user_install) {
        w.set("Account", job.account);
        w.set("Domain", job.domain);
        write_password_variable(w, job);
        if (job.native_launcher)
            w.set("NativeLauncher", yes_no(*job.native_launcher));
    }
    for (std::size_t i = 0; i < job.printers.size(); ++i)
        write_printer(w, job.printers[i], static_cast<int>(i) + 1);
    write_list(w, kRemovePrinters, "Printer", job.remove_printers);
    write_list(w, kRemoveDrivers, "Driver", job.remove_drivers);
    return w.text();
}

void write_job(FileSystem& fs, const std::string& path, const Job& job) {
    Job written = job;
    written.source = canonical_folder(fs, job.source);
    written.output = canonical_folder(fs, job.output);
    std::string job_folder = folder_of(path);
    try {
        job_folder = with_trailing_sep(fs.canonical(job_folder));
    } catch (const PlatformError&) {
    }
    profile::write_file_bytes(fs, path, job_text(written, job_folder));
}

void show_problems(const std::vector<Problem>& problems, const Catalogue& catalogue,
                   Prompter& prompter) {
    for (const Problem& p : problems)
        show_filled_message(catalogue, prompter, p.key, p.arguments);
}

}  // namespace korva::job
