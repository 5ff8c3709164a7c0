// SPDX-License-Identifier: MIT
// The administrator launcher: the program named in Tool.sii gets a pair of launchers beside it.
// The program folder is the user's own install, so everything here writes or removes only the
// files it names, and the archive is unpacked elsewhere.
#include "admin/admin_form.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <iterator>
#include <memory>
#include <vector>

#include "dialogs/account_check.h"
#include "dialogs/messages.h"
#include "package/launcher_scripts.h"
#include "package/native_launcher.h"
#include "package/output_lock.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/process.h"

namespace korva {

namespace {

constexpr const char* kScript1Txt = "setup.txt";
constexpr const char* kScript1Vbs = "setup.vbs";
constexpr const char* kScript2Txt = "setupUAC.txt";
constexpr const char* kScript2Vbs = "setupUAC.vbs";
constexpr const char* kRunAsProgram = "RunAsWithVB.exe";

// An empty folder text would make every path below relative to the working folder.
void require_folder(const std::string& dir) {
    if (dir.empty() || !ends_with_sep(dir))
        throw PlatformError("no program folder", dir);
}

bool equals_ignoring_case(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The text shown for a refused ProgExe: the catalogue's when it has one, as an older Tool.sii
// may lack the key.
std::string text_or(const Catalogue& catalogue, const char* key, const char* fixed) {
    const std::string text = catalogue.text(key);
    return text.empty() ? fixed : text;
}

}  // namespace

bool program_name_is_plain(const std::string& program) {
    // A separator, a drive or ".." would put the launchers elsewhere; the characters are those
    // cmd treats specially, and the launchers hand the name to cmd.
    if (program.find_first_of("\\/:&|<>^()\"%") != std::string::npos ||
        holds_control_char(program) || program.find_first_not_of('.') == std::string::npos) {
        return false;
    }
    // The window writes and deletes these names itself, so the program must not be one of them.
    const std::string name = program_base_name(program);
    const std::string own[] = {kScript1Txt, kScript1Vbs,   kScript2Txt,
                               kScript2Vbs, kRunAsProgram, "Tool.sii",
                               "Tool.bin",  name + ".vbe", name + "UAC.vbe"};
    return std::none_of(std::begin(own), std::end(own), [&](const std::string& file) {
        return equals_ignoring_case(file, program);
    });
}

std::string program_base_name(const std::string& program) {
    const auto dot = program.rfind('.');
    return dot == std::string::npos ? program : program.substr(0, dot);
}

AdminForm::AdminForm(const Context& main_ctx, const std::string& LangSelect)
    : catalogue_(main_ctx.catalogue.with_section(LangSelect + "2", kDialogBuffer)),
      // No package language here: the launcher is for machines of the catalogue's language.
      ctx_{catalogue_,
           main_ctx.prompter,
           main_ctx.fs,
           language_codepage(catalogue_),
           main_ctx.pump,
           main_ctx.program_folder,
           main_ctx.system_folder} {
    ctx_.native_launcher = main_ctx.native_launcher;
}

ControlTable AdminForm::controls() {
    return {
#define KORVA_WINDOW_DECLARATION "admin/admin_window.def"
#include "dialogs/declare_control_table.h"
    };
}

bool AdminForm::Form_Load(const std::string& main_caption) {
    Admin_Setting.caption = main_caption;
    for (auto [key, control] : {std::pair<const char*, Control*>{"Fra_Admin", &Fra_Admin},
                                {"Lbl_Acount_Name", &Lbl_Acount_Name},
                                {"Lbl_Domain_Name", &Lbl_Domain_Name},
                                {"Lbl_Password", &Lbl_Password},
                                {"Com_OK", &Com_OK},
                                {"Com_End", &Com_End}}) {
        control->caption = catalogue_.text(key);
    }

    const std::string program = catalogue_.read("Setup", "ProgExe", "");
    if (program.empty()) {
        ctx_.prompter.message(kProgExeNotSet, kFixedErrorTitle);
        return true;
    }
    if (!program_name_is_plain(program)) {
        ctx_.prompter.message(text_or(catalogue_, "MsgErrProgExe", kProgExeNotPlain),
                              text_or(catalogue_, "MsgErr", kFixedErrorTitle));
        return true;
    }
    program_ = program;
    name_ = program_base_name(program);
    // Windows finds the program whatever the case of its name. Beside a folder of its own
    // choosing the message names the full path, as that folder is not the obvious one.
    const std::string folder = with_trailing_sep(launcher_folder());
    if (ctx_.fs.list(folder + program_, false).empty()) {
        ctx_.prompter.message(
            (target_folder.empty() ? "" : folder) + program_ + kProgExeNotFoundSuffix,
            kFixedErrorTitle);
        return true;
    }

    Domain_Name.text = "%USERDNSDOMAIN%";
    Acount_Name.text = "Administrator";
    return false;
}

bool AdminForm::Check_Value_UserI() {
    return check_account_fields(
        Acount_Name.text, Domain_Name.text, Password.text,
        {Lbl_Acount_Name.caption, Lbl_Domain_Name.caption, Lbl_Password.caption}, ctx_.codepage,
        catalogue_, ctx_.prompter);
}

void AdminForm::Com_OK_Click(WaitView& wait, OwnerView& owner) {
    dir_ = with_trailing_sep(launcher_folder());
    run_as_copied_ = false;
    wait.show_creating();
    owner.set_visible(false);
    wait.refresh();

    std::unique_ptr<OutputLock> lock;
    const bool done = [&] {
        if (!Check_Value_UserI())
            return false;
        if (!lock_folder(lock))
            return false;
        wait.refresh();
        if (!File_Copy())
            return false;
        wait.refresh();
        return Create_SetupVBE();
    }();

    if (done) {
        run_as_copied_ = false;  // part of the finished launchers now
        wait.show_finished();
        return;
    }
    wait.hide();
    owner.set_visible(true);
}

// The launchers' folder is locked as a package's output is. A program folder whose parent takes
// no lock file (a folder below Program Files) is written as the window always wrote it: the
// window writes only the files it names there.
bool AdminForm::lock_folder(std::unique_ptr<OutputLock>& lock) {
    LockAttempt attempt;
    try {
        attempt = lock_output(ctx_.fs, dir_, "");
    } catch (const PlatformError&) {
        return true;
    }
    if (!attempt.lock)
        show_lock_refusal(attempt, dir_, catalogue_, ctx_.prompter);
    lock = std::move(attempt.lock);
    return lock != nullptr;
}

bool AdminForm::File_Copy() {
    FileSystem& fs = ctx_.fs;
    try {
        require_folder(dir_);
        // Unpacked into a private temporary folder: a folder named Tool that the program folder
        // may already hold belongs to the user and is neither used nor removed.
        const auto archive = open_tool_archive(ctx_, expander);
        run_as_copied_ = !fs.file_exists(dir_ + kRunAsProgram);
        archive->install_launcher_tools(fs, encoder_folder(ctx_), dir_);
        return true;
    } catch (const std::exception&) {
        Error_Delete();
        show_message(catalogue_, ctx_.prompter, "MsgErrCopy", "MsgErrOneMore");
        return false;
    }
}

bool AdminForm::Create_SetupVBE() {
    const Credentials creds{Acount_Name.text, Password.text, Domain_Name.text};
    try {
        require_folder(dir_);
        write_encoded_script(dir_, kScript1Txt, kScript1Vbs, name_ + ".vbe",
                             program_script_text(creds, program_), ctx_);
        write_encoded_script(dir_, kScript2Txt, kScript2Vbs, name_ + "UAC.vbe",
                             program_uac_script_text(creds, program_), ctx_);
        if (native_launcher_wanted(ctx_))
            write_native_launcher({name_ + "Launch", program_, creds, "", ""}, dir_, ctx_);
        return true;
    } catch (const std::exception& error) {
        Error_Delete();
        show_generator_failure(ctx_, error, "MsgErrSetup");
        return false;
    }
}

void AdminForm::Error_Delete() {
    if (dir_.empty() || !ends_with_sep(dir_))
        return;
    const std::string names[] = {kScript1Txt, kScript1Vbs,       name_ + ".vbe",      kScript2Txt,
                                 kScript2Vbs, name_ + "UAC.vbe", name_ + "Launch.ini"};
    std::vector<std::string> written(std::begin(names), std::end(names));
    // Never the launcher program itself, which a ProgExe named setup.exe would name.
    if (name_comparison_key(dir_ + name_ + "Launch.exe") !=
        name_comparison_key(with_trailing_sep(ctx_.program_folder) + kLauncherProgram))
        written.push_back(name_ + "Launch.exe");
    if (run_as_copied_)
        written.push_back(kRunAsProgram);
    for (const std::string& file : written) {
        const std::string path = dir_ + file;
        try {
            // Exactly this name: the delete matches without regard to case when the exact
            // name is missing, which could hit a file of the user's.
            if (ctx_.fs.file_exists(path))
                ctx_.fs.delete_file(path, false);
        } catch (const std::exception&) {
            // A read-only file stays; the others still go.
        }
    }
}

}  // namespace korva
