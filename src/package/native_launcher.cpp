// SPDX-License-Identifier: MIT
#include "package/native_launcher.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "dialogs/messages.h"
#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "package/script_encoder.h"
#include "platform/path.h"

namespace korva {

namespace {

// The [Messages] keys of the settings file, each with its catalogue key MsgLaunch + key.
constexpr const char* kMessageKeys[] = {"Title",   "Settings", "Missing", "Changed", "Expired",
                                        "Logon",   "Service",  "Folder",  "Start",   "Consent",
                                        "Timeout", "Printer",  "Usage"};

// The window's own section in the package language: a Japanese package gets the Jp section of
// the same window, any other the En one, whose texts every code page can hold.
Catalogue package_language_texts(const Context& ctx) {
    std::string section = ctx.catalogue.section();
    const bool japanese = ctx.codepage.number() == 932;
    const std::string from = japanese ? "En" : "Jp";
    if (const auto at = section.find(from); at != std::string::npos)
        section.replace(at, from.size(), japanese ? "Jp" : "En");
    return ctx.catalogue.with_section(section, ctx.catalogue.buffer_len());
}

// The scripts' {timeout} in whole seconds; a value too large for the settings file waits as long
// as it can rather than not at all.
int timeout_seconds(const Context& ctx, int printer_count) {
    const std::string text =
        timeout_text(ctx.catalogue.setting("Setup", "TimeOut", ""), std::max(printer_count, 1));
    int seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size())
        return INT_MAX;
    return seconds;
}

// The program under the name it has in the folder: Windows starts it whatever the case of the
// name, and its digest is that of the file that is there.
std::string program_in_folder(FileSystem& fs, const std::string& folder,
                              const std::string& program) {
    const auto found = fs.list(folder + program, false);
    if (found.empty())
        throw PlatformError("the program the launcher starts is missing", folder + program);
    return found.front();
}

void replace_file(FileSystem& fs, const std::string& path, const std::string& source) {
    if (fs.file_exists(path))
        fs.delete_file(path, false);
    fs.copy_file(source, path);
}

// The same package gives the same settings file on every system that builds it: the nonce comes
// from what the file records besides the password, so it says nothing of the password itself.
std::string package_nonce(const launcher::Settings& settings) {
    const std::string material = settings.program + '\n' + settings.sha256 + '\n' +
                                 settings.account + '\n' + settings.domain + '\n' +
                                 settings.default_printer;
    const launcher::Sha256::Digest digest = launcher::sha256(material);
    return std::string(digest.begin(), digest.begin() + 16);
}

}  // namespace

// A catalogue without the key predates the launcher and lacks its message texts too, so the
// launcher is left out; the catalogue shipped with the tool turns it on.
bool native_launcher_wanted(const Context& ctx) {
    if (ctx.native_launcher)
        return *ctx.native_launcher;
    return leading_number(ctx.catalogue.setting("Setup", "NativeLauncher", "0")) != 0;
}

void write_native_launcher(const NativeLauncherFiles& files, const std::string& folder,
                           const Context& ctx) {
    FileSystem& fs = ctx.fs;
    const std::string source = with_trailing_sep(ctx.program_folder) + kLauncherProgram;
    if (!fs.file_exists(source))
        throw LauncherProgramMissing(source);

    launcher::Settings settings;
    settings.program = program_in_folder(fs, folder, files.program);
    settings.sha256 = launcher::sha256_hex(fs.read_file(folder + settings.program));
    settings.account = files.creds.account;
    settings.domain = files.creds.domain;
    settings.password = files.creds.password;
    settings.timeout_seconds = timeout_seconds(ctx, files.printer_count);
    settings.wait_process = files.wait_process;
    settings.default_printer = files.default_printer;
    const Catalogue texts = package_language_texts(ctx);
    for (const char* key : kMessageKeys)
        settings.messages[key] = texts.text(std::string("MsgLaunch") + key);

    const std::string bytes =
        launcher::settings_file_bytes(settings, ctx.codepage, package_nonce(settings));
    // The administrator launchers may be written into the program folder itself, where a
    // ProgExe named setup.exe makes the copy the launcher program.
    const std::string target = folder + files.name + ".exe";
    if (name_comparison_key(target) != name_comparison_key(source))
        replace_file(fs, target, source);
    const std::string ini = folder + files.name + ".ini";
    if (fs.file_exists(ini))
        fs.delete_file(ini, false);
    fs.write_file(ini, bytes, false);
}

void show_generator_failure(const Context& ctx, const std::exception& error,
                            const std::string& key) {
    if (const auto* missing = dynamic_cast<const LauncherProgramMissing*>(&error)) {
        show_filled_message(ctx.catalogue, ctx.prompter, "MsgErrLaunchProgram", {missing->path()});
        return;
    }
    if (const auto* encoder = dynamic_cast<const ScriptEncoderFailed*>(&error)) {
        show_filled_message(ctx.catalogue, ctx.prompter, "MsgErrEncoder", {encoder->path()});
        return;
    }
    show_message(ctx.catalogue, ctx.prompter, key, "MsgErrOneMore");
}

}  // namespace korva
