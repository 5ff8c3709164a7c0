// SPDX-License-Identifier: MIT
// Create of the removal window and the removal package generators. The tool archive is expanded
// only when its programs are needed, into a private temporary folder, so a file of the input
// folder can never collide with it and nothing of it is left in the package.
#include "eraser/removal_writer.h"

#include <exception>
#include <functional>
#include <memory>

#include "dialogs/messages.h"
#include "eraser/rem_form.h"
#include "package/file_copy.h"
#include "package/native_launcher.h"
#include "package/output_lock.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "source/folder_check.h"

namespace korva::eraser {

namespace {

// The folder checks make these hold. An empty text would make every pattern relative to the
// working folder, and an output folder that is the input folder, or lies inside it, must not be
// emptied by the rollback.
bool usable_folders(const RemovalPackage& p, FileSystem& fs) {
    if (!ends_with_sep(p.input) || !ends_with_sep(p.output))
        return false;
    const std::string input_key = folder_key(fs, p.input);
    return folder_key(fs, p.output).compare(0, input_key.size(), input_key) != 0;
}

void copy_package(const RemovalPackage& p, const Context& ctx, const CabinetExpander& expander) {
    FileSystem& fs = ctx.fs;
    const std::vector<std::string> files = fs.files(p.input);
    if (!files.empty()) {
        fs.copy_file(p.input + "*.*", p.output);
        // A copy keeps the read-only state of its source; Setup.sii must still take the lists,
        // and the rollback must be able to empty the folder.
        for (const std::string& name : files) {
            const std::string copied = p.output + name;
            if (fs.file_exists(copied) && (fs.attributes(copied) & kAttrReadOnly) != 0) {
                fs.set_attributes(copied, kAttrNormal);
            }
        }
    }
    if (!p.user_install)
        return;

    open_tool_archive(ctx, expander)->install_launcher_tools(fs, encoder_folder(ctx), p.output);
}

// Empties the section first, so a Setup.sii from the input folder keeps none of its old names.
// A name is written so that the removal program reads back exactly what was typed, blanks at its
// ends included.
void write_model_section(FileSystem& fs, const std::string& path, const std::string& section,
                         const std::vector<std::string>& names, const CodePage& cp) {
    profile::write_section(fs, path, section, {}, cp);
    for (std::size_t i = 0; i < names.size(); ++i) {
        profile::write_string(fs, path, section, "Model" + std::to_string(i + 1),
                              profile::quoted_if_needed(names[i]), cp);
    }
}

// The profile writer would put '?' in place of a character the code page lacks: a name that
// removes some other printer, or none.
void require_code_page_fit(const std::vector<std::string>& names, const CodePage& cp) {
    for (const std::string& name : names) {
        if (!cp.can_hold(name))
            throw PlatformError("A name has no place in the code page", cp.name());
    }
}

}  // namespace

std::string PortMonitorDelete_value(int Chk_QX0, int Chk_QX1) {
    std::string value = "0x";
    value += Chk_QX1 == 1 ? '1' : '0';
    value += Chk_QX0 == 1 ? '1' : '0';
    return value;
}

bool File_Copy(const RemovalPackage& package, const Context& ctx, const CabinetExpander& expander) {
    if (!usable_folders(package, ctx.fs)) {
        show_message(ctx.catalogue, ctx.prompter, "MsgErrCopy", "MsgErrOneMore");
        return false;
    }
    try {
        copy_package(package, ctx, expander);
        return true;
    } catch (const std::exception&) {
        return generator_failed(ctx, package.output, "MsgErrCopy");
    }
}

bool Write_SetupSii(const RemovalPackage& package, const Context& ctx) {
    try {
        // Without a folder the name would be taken relative to the working folder.
        if (!ends_with_sep(package.output))
            throw PlatformError("no output folder", package.output);
        // The file copied from the input folder may be spelled SETUP.SII; it is the one Windows
        // opens under this name, so it is the one to update, never a second file beside it.
        const auto copied = ctx.fs.list(package.output + kSetupSii, false);
        const std::string path = package.output + (copied.empty() ? kSetupSii : copied.front());
        require_code_page_fit(package.printers, ctx.codepage);
        require_code_page_fit(package.drivers, ctx.codepage);
        FileSystem& fs = ctx.fs;
        profile::write_string(fs, path, "Setup", "Type", package.show_dialog ? "1" : "2",
                              ctx.codepage);
        profile::write_string(fs, path, "Port", "PortMonitorDelete",
                              PortMonitorDelete_value(package.Chk_QX0, package.Chk_QX1),
                              ctx.codepage);
        write_model_section(fs, path, "PrinterName", package.printers, ctx.codepage);
        write_model_section(fs, path, "PrinterDriverName", package.drivers, ctx.codepage);
        return true;
    } catch (const std::exception&) {
        // A package whose Setup.sii still names the input folder's printers would remove the
        // wrong ones; better no package than that one.
        return generator_failed(ctx, package.output, "MsgErrCopy");
    }
}

std::string eraser_script_text(const Credentials& creds) {
    return program_script_text(creds, kEraserProgram);
}

std::string eraser_uac_script_text(const Credentials& creds) {
    return program_uac_script_text(creds, kEraserProgram);
}

bool Create_SetupVBE(const RemovalPackage& package, const Context& ctx) {
    try {
        write_encoded_script(package.output, "setup.txt", "setup.vbs", "EraserTool.vbe",
                             eraser_script_text(package.creds), ctx);
        write_encoded_script(package.output, "setupUAC.txt", "setupUAC.vbs", "EraserToolUAC.vbe",
                             eraser_uac_script_text(package.creds), ctx);
        // The scripts start the removal program and wait for nothing after it.
        if (native_launcher_wanted(ctx))
            write_native_launcher({"EraserToolLaunch", kEraserProgram, package.creds, "", ""},
                                  package.output, ctx);
        return true;
    } catch (const std::exception& error) {
        Error_Delete(ctx.fs, package.output);
        show_generator_failure(ctx, error, "MsgErrSetup");
        return false;
    }
}

// ---- the removal window's side

RemovalPackage RemForm::package() const {
    RemovalPackage p;
    p.input = In_Path.text;
    p.output = Out_Path.text;
    p.show_dialog = Opt_Dialog0.value == 1;
    p.Chk_QX0 = Chk_QX0.value;
    p.Chk_QX1 = Chk_QX1.value;
    p.printers = Lst_DelPrinter.list->items;
    p.drivers = Lst_DelDriver.list->items;
    p.user_install = Chk_UserI.value == 1;
    p.creds = {Acount_Name.text, Password.text, Domain_Name.text};
    return p;
}

bool RemForm::File_Copy() {
    return eraser::File_Copy(package(), ctx_, expander);
}

bool RemForm::Write_SetupSii() {
    return eraser::Write_SetupSii(package(), ctx_);
}

bool RemForm::Create_SetupVBE() {
    return eraser::Create_SetupVBE(package(), ctx_);
}

void RemForm::Error_Delete() {
    korva::Error_Delete(ctx_.fs, Out_Path.text);
}

void RemForm::Com_OK_Click(WaitView& wait, OwnerView& owner) {
    wait.show_creating();
    owner.set_visible(false);
    wait.refresh();
    // Each step reads the window when it runs: the folder check may have changed the paths.
    // The output folder's lock is held from the folder check to the end of Create.
    std::unique_ptr<OutputLock> lock;
    const std::function<bool()> steps[] = {
        [this] { return Check_Value(); },
        [this] { return Check_FolderPath(); },
        [this, &lock] {
            lock = lock_for_create(ctx_.fs, Out_Path.text, "", catalogue_, ctx_.prompter);
            return lock != nullptr;
        },
        [this] { return File_Copy(); },
        [this] { return Write_SetupSii(); },
        [this] { return Chk_UserI.value != 1 || Create_SetupVBE(); },
    };
    for (const auto& step : steps) {
        wait.refresh();
        if (!step()) {
            wait.hide();
            owner.set_visible(true);
            return;
        }
    }
    wait.show_finished();
}

}  // namespace korva::eraser
