// SPDX-License-Identifier: MIT
// Job files are read strictly: a misspelt key would otherwise build a different package than the
// one the administrator reviewed, without a word.
#include "job/job_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "catalogue/catalogue.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "source/folder_check.h"

namespace korva::job {

namespace {

constexpr std::size_t kValueBuffer = 32768;
constexpr const char* kJobSection = "Job";
constexpr const char* kRemovePrinters = "RemovePrinters";
constexpr const char* kRemoveDrivers = "RemoveDrivers";

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

// The number after a name prefix ("Printer12" -> 12), 0 when the name is not of that form.
int numbered(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || lower(name.substr(0, prefix.size())) != lower(prefix))
        return 0;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 4 || digits.front() == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return 0;
    return std::stoi(digits);
}

bool is_password_key(const std::string& key) {
    const std::string name = lower(key);
    return name.find("password") != std::string::npos && name != "passwordvariable";
}

const std::set<std::string>& job_keys(Tool tool) {
    static const std::set<std::string> installer = {
        "tool",        "source",          "output",          "existingoutput", "silentinstall",
        "userinstall", "packagelanguage", "driver",          "finishdialog",   "restartdialog",
        "account",     "domain",          "passwordvariable"};
    static const std::set<std::string> removal = {"tool",
                                                  "source",
                                                  "output",
                                                  "existingoutput",
                                                  "removaldialog",
                                                  "removeqxportmonitor",
                                                  "removeqxprintmonitor",
                                                  "userinstall",
                                                  "account",
                                                  "domain",
                                                  "passwordvariable"};
    static const std::set<std::string> administrator = {"tool", "account", "domain",
                                                        "passwordvariable"};
    switch (tool) {
        case Tool::Removal:
            return removal;
        case Tool::Administrator:
            return administrator;
        default:
            return installer;
    }
}

const std::set<std::string>& printer_keys() {
    static const std::set<std::string> keys = {"model",      "emulation", "address",    "name",
                                               "port",       "protocol",  "portnumber", "queue",
                                               "autoconfig", "default"};
    return keys;
}

class Reader {
  public:
    Reader(std::string bytes, std::string job_folder)
        : bytes_(std::move(bytes)),
          outline_(profile::outline_bytes(bytes_, utf8())),
          job_folder_(std::move(job_folder)) {}

    ReadResult read() {
        result_.job.tool = read_tool();
        check_names();
        read_job_section();
        if (result_.job.tool == Tool::Installer)
            read_printers();
        if (result_.job.tool == Tool::Removal) {
            result_.job.remove_printers = read_list(kRemovePrinters, "Printer");
            result_.job.remove_drivers = read_list(kRemoveDrivers, "Driver");
        }
        return std::move(result_);
    }

  private:
    std::optional<std::string> value(const std::string& section, const std::string& key) const {
        // A default no text can hold tells a missing key from an empty one.
        static const std::string kMissing(1, '\x01');
        std::string text =
            profile::get_string_bytes(bytes_, section, key, kMissing, kValueBuffer, utf8());
        if (text == kMissing)
            return std::nullopt;
        return text;
    }

    void problem(const char* key, std::vector<std::string> arguments) {
        result_.problems.push_back({key, std::move(arguments)});
    }

    void bad_value(const std::string& section, const std::string& key, const std::string& text) {
        problem("MsgErrJobValue", {where(section, key), text});
    }

    Tool read_tool() {
        const std::string text = lower(value(kJobSection, "Tool").value_or("installer"));
        if (text == "removal")
            return Tool::Removal;
        if (text == "administrator")
            return Tool::Administrator;
        if (text != "installer")
            bad_value(kJobSection, "Tool", text);
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

    bool known_key(const std::string& section, const std::string& key) const {
        const std::string name = lower(key);
        if (lower(section) == "job")
            return job_keys(result_.job.tool).count(name) > 0;
        if (lower(section) == lower(kRemovePrinters))
            return numbered(key, "Printer") > 0;
        if (lower(section) == lower(kRemoveDrivers))
            return numbered(key, "Driver") > 0;
        return printer_keys().count(name) > 0;
    }

    void check_names() {
        if (outline_.empty() || lower(outline_.front().name) != "job")
            problem("MsgErrJobValue", {"[Job]", ""});
        for (const auto& section : outline_) {
            for (const std::string& key : section.keys) {
                if (is_password_key(key)) {
                    problem("MsgErrJobPassword", {where(section.name, key)});
                } else if (!known_section(section.name) || !known_key(section.name, key)) {
                    problem("MsgErrJobKey", {where(section.name, key)});
                }
            }
            for (const std::string& line : section.stray_lines)
                problem("MsgErrJobKey", {"[" + section.name + "] " + line});
            if (section.keys.empty() && !known_section(section.name))
                problem("MsgErrJobKey", {"[" + section.name + "]"});
        }
    }

    bool yes_no(const std::string& section, const std::string& key, bool fallback) {
        const std::optional<std::string> text = value(section, key);
        if (!text)
            return fallback;
        if (lower(*text) == "yes")
            return true;
        if (lower(*text) != "no")
            bad_value(section, key, *text);
        return false;
    }

    // One of two words; the first unless the second is written.
    bool second_word(const std::string& section, const std::string& key, const char* first,
                     const char* second) {
        const std::string text = lower(value(section, key).value_or(first));
        if (text != first && text != second)
            bad_value(section, key, text);
        return text == second;
    }

    std::string required(const std::string& section, const std::string& key) {
        std::string text = value(section, key).value_or("");
        if (text.empty())
            bad_value(section, key, text);
        return text;
    }

    // An empty folder is the window's to refuse, with its own message, as for a person who left
    // the box empty.
    std::string folder(const std::string& key) {
        std::string text = value(kJobSection, key).value_or("");
        if (text.empty())
            return text;
        const std::filesystem::path written(std::u8string(text.begin(), text.end()));
        if (written.is_absolute())
            return text;
        // "C:x" and "\x" depend on the drive and folder korva-build happens to run in.
        if (written.has_root_name() || written.has_root_directory()) {
            bad_value(kJobSection, key, text);
            return text;
        }
        const std::string resolved = name_comparison_key(resolve_folder(text, job_folder_));
        if (!resolved.starts_with(name_comparison_key(job_folder_)))
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
            if (CheckFolderName(job.subfolder))
                return;
        } else if (word == "reuse" && text.size() == word.size()) {
            job.existing_output = ExistingOutput::Reuse;
            return;
        } else if (word == "fail" && text.size() == word.size()) {
            return;
        }
        bad_value(kJobSection, "ExistingOutput", text);
    }

    void read_account() {
        Job& job = result_.job;
        job.account = value(kJobSection, "Account").value_or(job.account);
        job.domain = value(kJobSection, "Domain").value_or(job.domain);
        job.password_variable = value(kJobSection, "PasswordVariable").value_or("");
    }

    void read_job_section() {
        Job& job = result_.job;
        read_account();
        if (job.tool == Tool::Administrator)
            return;
        job.source = folder("Source");
        job.output = folder("Output");
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
        job.finish_dialog = yes_no(kJobSection, "FinishDialog", false);
        job.restart_dialog = yes_no(kJobSection, "RestartDialog", false);
    }

    std::vector<int> numbers(const std::string& prefix) const {
        std::vector<int> found;
        for (const auto& section : outline_) {
            if (int n = numbered(section.name, prefix); n > 0)
                found.push_back(n);
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }

    void read_printers() {
        for (int n : numbers("Printer")) {
            const std::string section = "Printer" + std::to_string(n);
            Printer p;
            p.model = required(section, "Model");
            p.emulation = value(section, "Emulation").value_or("");
            p.address = required(section, "Address");
            p.name = required(section, "Name");
            p.qx_port = second_word(section, "Port", "standard", "qx");
            p.lpr = second_word(section, "Protocol", "raw", "lpr");
            p.port_number = value(section, "PortNumber").value_or("");
            p.queue = value(section, "Queue").value_or("");
            p.auto_config = yes_no(section, "AutoConfig", true);
            p.default_printer = yes_no(section, "Default", false);
            result_.job.printers.push_back(std::move(p));
        }
    }

    std::vector<std::string> read_list(const std::string& section, const std::string& prefix) {
        std::map<int, std::string> entries;
        for (const auto& outline : outline_) {
            if (lower(outline.name) != lower(section))
                continue;
            for (const std::string& key : outline.keys) {
                if (int n = numbered(key, prefix); n > 0 && !entries.count(n))
                    entries[n] = value(section, key).value_or("");
            }
        }
        std::vector<std::string> list;
        for (auto& [n, text] : entries) {
            if (!text.empty())
                list.push_back(std::move(text));
        }
        return list;
    }

    std::string bytes_;
    std::vector<profile::SectionOutline> outline_;
    std::string job_folder_;
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

// Folders inside the job's own folder are kept relative, with "/" (which Windows reads too), so
// a job and its package can move together to another computer.
std::string portable_folder(const std::string& folder, const std::string& job_folder) {
    const std::string key = name_comparison_key(with_trailing_sep(folder));
    if (folder.empty() || key.compare(0, job_folder.size(), name_comparison_key(job_folder)) != 0)
        return folder;
    std::string relative = folder.substr(std::min(folder.size(), job_folder.size()));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    while (!relative.empty() && relative.back() == '/')
        relative.pop_back();
    return relative.empty() ? "." : relative;
}

class Writer {
  public:
    void set(const std::string& section, const std::string& key, const std::string& value) {
        // A line break would end the value and start a line of its own in the file.
        if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            throw PlatformError("A value holds a line break", "[" + section + "] " + key);
        text_ = profile::write_string_bytes(text_, section, key, profile::quoted_if_needed(value),
                                            utf8());
    }
    std::string text() const { return text_; }

  private:
    std::string text_ = "; Korva Install Assistant job\r\n";
};

void write_printer(Writer& w, const Printer& p, int number) {
    const std::string section = "Printer" + std::to_string(number);
    w.set(section, "Model", p.model);
    if (!p.emulation.empty())
        w.set(section, "Emulation", p.emulation);
    w.set(section, "Address", p.address);
    w.set(section, "Name", p.name);
    w.set(section, "Port", p.qx_port ? "qx" : "standard");
    if (!p.qx_port) {
        w.set(section, "Protocol", p.lpr ? "lpr" : "raw");
        w.set(section, "PortNumber", p.port_number);
        if (p.lpr)
            w.set(section, "Queue", p.queue);
    }
    w.set(section, "AutoConfig", yes_no(p.auto_config));
    w.set(section, "Default", yes_no(p.default_printer));
}

void write_list(Writer& w, const char* section, const char* prefix,
                const std::vector<std::string>& list) {
    for (std::size_t i = 0; i < list.size(); ++i)
        w.set(section, prefix + std::to_string(i + 1), list[i]);
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
    std::string text = folder_text;
#ifndef _WIN32
    // A job written on Windows may use its separator.
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    namespace fs = std::filesystem;
    const fs::path written(std::u8string(text.begin(), text.end()));
    if (written.is_absolute())
        return folder_text;
    const fs::path base(std::u8string(job_folder.begin(), job_folder.end()));
    const std::u8string joined = (base / written).lexically_normal().u8string();
    return with_trailing_sep(std::string(joined.begin(), joined.end()));
}

ReadResult read_job(FileSystem& fs, const std::string& path) {
    std::string bytes;
    try {
        bytes = fs.read_file(path);
    } catch (const PlatformError&) {
        return {{}, {{"MsgErrJobRead", {path}}}};
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    // Read as anything else, a name would quietly become another one.
    if (utf8().from_ansi(bytes) != bytes)
        return {{}, {{"MsgErrJobUtf8", {path}}}};
    std::string job_folder = folder_of(path);
    try {
        job_folder = with_trailing_sep(fs.canonical(job_folder));
    } catch (const PlatformError&) {
    }
    return Reader(std::move(bytes), job_folder).read();
}

std::string job_text(const Job& job, const std::string& job_folder) {
    Writer w;
    w.set(kJobSection, "Tool", tool_word(job.tool));
    if (job.tool != Tool::Administrator) {
        w.set(kJobSection, "Source", portable_folder(job.source, job_folder));
        w.set(kJobSection, "Output", portable_folder(job.output, job_folder));
        w.set(kJobSection, "ExistingOutput", existing_output_text(job));
    }
    if (job.tool == Tool::Installer) {
        w.set(kJobSection, "SilentInstall", yes_no(job.silent_install));
        // The printer/PC-Fax answer decides the package without silent install too.
        if (job.driver)
            w.set(kJobSection, "Driver", *job.driver == DriverKind::Pcfax ? "pcfax" : "printer");
        if (job.silent_install) {
            w.set(kJobSection, "PackageLanguage", job.package_language);
            w.set(kJobSection, "FinishDialog", yes_no(job.finish_dialog));
            w.set(kJobSection, "RestartDialog", yes_no(job.restart_dialog));
        }
    }
    if (job.tool == Tool::Removal) {
        w.set(kJobSection, "RemovalDialog", yes_no(job.removal_dialog));
        w.set(kJobSection, "RemoveQXPortMonitor", yes_no(job.remove_qx_port_monitor));
        w.set(kJobSection, "RemoveQXPrintMonitor", yes_no(job.remove_qx_print_monitor));
    }
    if (job.tool != Tool::Administrator)
        w.set(kJobSection, "UserInstall", yes_no(job.user_install));
    if (job.tool == Tool::Administrator || job.user_install) {
        w.set(kJobSection, "Account", job.account);
        w.set(kJobSection, "Domain", job.domain);
        if (!job.password_variable.empty())
            w.set(kJobSection, "PasswordVariable", job.password_variable);
    }
    for (std::size_t i = 0; i < job.printers.size(); ++i)
        write_printer(w, job.printers[i], static_cast<int>(i) + 1);
    write_list(w, kRemovePrinters, "Printer", job.remove_printers);
    write_list(w, kRemoveDrivers, "Driver", job.remove_drivers);
    return w.text();
}

void write_job(FileSystem& fs, const std::string& path, const Job& job) {
    std::string job_folder = folder_of(path);
    try {
        job_folder = with_trailing_sep(fs.canonical(job_folder));
    } catch (const PlatformError&) {
    }
    profile::write_file_bytes(fs, path, job_text(job, job_folder));
}

void show_problems(const std::vector<Problem>& problems, const Catalogue& catalogue,
                   Prompter& prompter) {
    for (const Problem& p : problems)
        catalogue.show_filled(prompter, p.key, p.arguments);
}

}  // namespace korva::job
