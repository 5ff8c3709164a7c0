// SPDX-License-Identifier: MIT
// Create of the main window: the one place that orders the checks and generators. Each step has
// told the administrator already when it returns false, so a stop only brings the window back.
#include <cstdint>
#include <memory>
#include <string>

#include "dialogs/account_check.h"
#include "mainform/main_form.h"
#include "package/file_copy.h"
#include "package/output_lock.h"
#include "printers/entry_line.h"
#include "printers/printer_entry.h"
#include "source/folder_check.h"
#include "source/model_catalogue.h"
#include "source/package_reader.h"

namespace korva {

namespace {

ListResets window_resets(MainForm& f) {
    return {[&f] { f.Model_Name_Clear(); }, [&f] { f.Emu_Name_Clear(); }};
}

// Both folder texts checked, the output emptied or a new sub-folder made, and the package state
// rebuilt from the source as it is now. The lists' selections made here run their click handlers,
// so a Create that stops later leaves the proposed printer name, not the typed one.
bool main_Check_FolderPath(MainForm& f) {
    Context& ctx = f.context();
    f.pkg.Driver_Folder.clear();
    auto reread = [&f, &ctx] {
        const std::string chosen = f.chosen_source();
        if (!In_Path_Check(f.pkg, ctx, f.In_Path.text)) {
            f.pkg.Model_Name.add(ctx.catalogue.text("MsgSilent"));
            f.pkg.Model_Name.index = 0;
            f.Model_Name_Click();
            f.set_Chk_SI(0);
            return false;
        }
        f.remember_source(chosen);
        if (!Emu_Name_Get(f.pkg, ctx, window_resets(f)))
            return false;
        f.Emu_Name_Click();
        return true;
    };
    return Check_FolderPath(f.In_Path.text, f.Out_Path.text, ctx.catalogue, ctx.prompter, ctx.fs,
                            reread);
}

bool main_File_Copy(MainForm& f, WaitView& wait) {
    Context& ctx = f.context();
    FileCopyInput in;
    in.source = f.pkg.Driver_Folder;
    in.output = f.Out_Path.text;
    in.silent_install = f.Chk_SI.value == 1;
    in.user_install = f.Chk_UserI.value == 1;
    in.lang_folder = f.pkg.chosen_lang_folder();
    in.lang_code = f.pkg.chosen_lang_code();
    in.copy_dirs = ctx.catalogue.read("Setup", "CopyDir");
    in.engine_dll = f.Engine_Dll;
    in.engine_v5 = f.Engine_V5;
    in.progress = [&wait](std::uint64_t done, std::uint64_t total) { wait.progress(done, total); };
    return File_Copy(in, ctx);
}

// Lines added under another package language, or model names of the package, may not fit the
// code page chosen now.
bool list_fits_code_page(MainForm& f) {
    const Context& ctx = f.context();
    for (const std::string& line : f.Printer_List.list->items) {
        if (!check_code_page({{f.Frame5.caption, line}}, ctx.codepage, ctx.catalogue,
                             ctx.prompter)) {
            return false;
        }
    }
    return true;
}

// The checks and generators in their order; false at the first one that stops.
bool create_package(MainForm& f, WaitView& wait) {
    const bool silent = f.Chk_SI.value == 1;
    f.use_package_codepage();
    if (silent && f.Check_Out_Value()) {
        // A printer typed but not added is taken along, but never one that would break its line.
        if (!f.check_entry_chars())
            return false;
        ListState& list = *f.Printer_List.list;
        list.add(entry_line(f.typed_printer_entry(), list.count() + 1));
        f.printer_list_extent_px =
            entry_list_extent_px(list.items, f.context().codepage, f.twips_per_pixel);
    }
    if (!f.Check_Value())
        return false;
    if (silent && !list_fits_code_page(f))
        return false;

    wait.refresh();
    if (!main_Check_FolderPath(f))
        return false;
    // One build at a time writes into the folder the checks settled on; released on any return.
    const std::unique_ptr<OutputLock> lock = lock_for_create(
        f.context().fs, f.Out_Path.text, "", f.context().catalogue, f.context().prompter);
    if (!lock)
        return false;

    wait.refresh();
    if (silent &&
        !Model_Name_Check(f.pkg, f.context(), f.Printer_List.list->items, window_resets(f))) {
        return false;
    }

    wait.refresh();
    if (!main_File_Copy(f, wait))
        return false;

    wait.refresh();
    if (silent && !f.Create_ConfigINI())
        return false;

    wait.refresh();
    if (f.Chk_UserI.value == 1 && !f.Create_SetupVBE())
        return false;
    return true;
}

}  // namespace

bool MainForm::Check_Out_Value() {
    const std::string model = Model_Name.list_text();
    if (model.empty() || model == ctx_.catalogue.text("MsgSilent"))
        return false;
    if (IP_Address.text.empty())
        return false;
    if (Printer_Name.text.empty())
        return false;
    for (const std::string& line : Printer_List.list->items) {
        if (entry_printer_name(line) == Printer_Name.text)
            return false;
    }
    return true;
}

void MainForm::Com_OK_Click(WaitView& wait, OwnerView& owner) {
    DefPrinter_Name.clear();
    DefPrinter_Flag = 0;
    wait.show_creating();
    owner.set_visible(false);
    wait.refresh();

    if (create_package(*this, wait)) {
        wait.show_finished();
        return;
    }
    wait.hide();
    owner.set_visible(true);
}

}  // namespace korva
