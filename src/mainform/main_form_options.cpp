// SPDX-License-Identifier: MIT
// The option rules of the main window: what the two function boxes switch on and off, and the
// analysis of the source package that ticking silent install starts. Selections made from code
// run the same handlers a click would, as the window always did.
#include <exception>
#include <initializer_list>

#include "dialogs/messages.h"
#include "mainform/main_form.h"
#include "platform/path.h"
#include "source/model_catalogue.h"
#include "source/package_reader.h"

namespace korva {

namespace {

void set_enabled(std::initializer_list<Control*> controls, bool enabled) {
    for (Control* c : controls)
        c->enabled = enabled;
}

ListResets window_resets(MainForm& f) {
    return {[&f] { f.Model_Name_Clear(); }, [&f] { f.Emu_Name_Clear(); }};
}

void fail_analysis(MainForm& f, const char* key, const char* second) {
    f.Model_Name_Clear();
    f.Emu_Name_Clear();
    f.set_Chk_SI(0);
    if (second) {
        show_message(f.catalogue(), f.context().prompter, key, std::string(second));
    } else {
        show_message(f.catalogue(), f.context().prompter, key);
    }
}

// Switching silent install on starts from scratch, printer entries included; the suffix of an
// earlier package must not leak into this one.
void clear_for_analysis(MainForm& f) {
    f.pkg.Model_Name.clear();
    f.Printer_List.list->clear();
    f.pkg.Emu_Name.clear();
    f.pkg.Emu_Slots.clear();
    f.pkg.Fax_Found = 0;
    f.pkg.Emu_Use = 0;
    f.pkg.Drv_Suffix.clear();
}

bool source_folder_ready(MainForm& f) {
    if (f.In_Path.text.empty()) {
        fail_analysis(f, "MsgErrInPath1", nullptr);
        return false;
    }
    if (!f.context().fs.folder_exists(f.In_Path.text)) {
        fail_analysis(f, "MsgErrInPath2", "MsgErrChk");
        return false;
    }
    f.In_Path.text = with_trailing_sep(f.In_Path.text);
    return true;
}

void show_unrecognised(MainForm& f) {
    f.pkg.Model_Name.add(f.catalogue().text("MsgSilent"));
    f.set_Chk_SI(0);
    f.pkg.Model_Name.index = 0;
    f.Model_Name_Click();
    f.pkg.Emu_Name.add(kNoEmu);
    f.pkg.Emu_Slots = {-1};
    f.pkg.Emu_Name.index = 0;
    f.Emu_Name_Click();
}

bool recognise_package(MainForm& f) {
    const std::string chosen = f.chosen_source();
    if (!In_Path_Check(f.pkg, f.context(), f.In_Path.text)) {
        show_unrecognised(f);
        return false;
    }
    f.remember_source(chosen);
    if (!Emu_Name_Get(f.pkg, f.context(), window_resets(f)))
        return false;
    f.Emu_Name_Click();
    return true;
}

void enable_silent_controls(MainForm& f) {
    set_enabled({&f.Label15, &f.Frame7, &f.Label3, &f.Model_Name, &f.Frame1, &f.D_Yes, &f.D_No,
                 &f.Frame2, &f.S_Yes, &f.S_No},
                true);
    set_enabled({&f.Label11, &f.Emu_Name}, f.pkg.Emu_Use == 1);
    set_enabled(
        {&f.Label5, &f.IP_Address, &f.Frame5, &f.Label10, &f.Printer_List, &f.Label4,
         &f.Printer_Name, &f.Frame4, &f.P_Standard, &f.P_Qx, &f.Frame8, &f.Pr_Raw, &f.Pr_Lpr},
        true);
    f.Check_Value_Protocol();
    set_enabled({&f.Add, &f.Delete, &f.Chk_DlgReboot, &f.Chk_AutoConfig}, true);
    if (!f.Com_OK.enabled)
        f.Com_OK.enabled = true;
}

// The QX port needs every folder of the catalogue's list in the installer folder.
void check_qx_subfolders(MainForm& f) {
    for (const std::string& folder : subfolder_list(f.catalogue())) {
        if (!f.In_Path_Sub_Check(folder))
            break;
    }
}

void run_silent_install_analysis(MainForm& f) {
    clear_for_analysis(f);
    if (!source_folder_ready(f))
        return;
    try {
        if (!recognise_package(f))
            return;
        if (!fill_model_list(f.pkg, f.context())) {
            fail_analysis(f, "MsgErrModel1", "MsgErrChk");
            return;
        }
        f.Model_Name_Click();
        enable_silent_controls(f);
        check_qx_subfolders(f);
    } catch (const std::exception&) {
        // A package that changes or breaks under our feet is reported like a bad model list.
        fail_analysis(f, "MsgErrModel1", "MsgErrChk");
    }
}

}  // namespace

void MainForm::Chk_SI_Click() {
    Language_Name.enabled = true;
    Language_Name_Get(pkg, ctx_, In_Path.text);
    if (Chk_SI.value == 0) {
        for (Control* c : silent_install_group(*this))
            c->enabled = false;
        if (Com_OK.enabled && Chk_UserI.value == 0)
            Com_OK.enabled = false;
        return;
    }
    run_silent_install_analysis(*this);
}

void MainForm::Chk_UserI_Click() {
    const bool ticked = Chk_UserI.value != 0;
    set_enabled({&Frame6, &Label6, &Acount_Name, &Label9, &Password, &Label8, &Domain_Name},
                ticked);
    if (ticked) {
        if (!Com_OK.enabled)
            Com_OK.enabled = true;
    } else if (Com_OK.enabled && Chk_SI.value == 0) {
        Com_OK.enabled = false;
    }
}

// The caret goes to the start of the text in the window itself; the core only remembers which
// box Browse fills.
void MainForm::In_Path_GotFocus() {
    Path_Focus = 0;
}

void MainForm::Out_Path_GotFocus() {
    Path_Focus = 1;
}

void MainForm::Com_Brow_Click() {
    std::optional<std::string> chosen = ctx_.prompter.browse_folder();
    if (!chosen)
        return;
    if (Path_Focus == 1) {
        Out_Path.text = *chosen;
        return;
    }
    In_Path.text = *chosen;
    // A new source must be analysed again before its printers can be described.
    if (Chk_SI.value == 1)
        set_Chk_SI(0);
}

void MainForm::Check_Value_Protocol() {
    const bool raw = Pr_Raw.value == 1;
    set_enabled({&Label12, &Protocol_Raw}, raw);
    set_enabled({&Label13, &Protocol_Lpr}, !raw);
}

void MainForm::set_Chk_SI(int value) {
    if (Chk_SI.value == value)
        return;
    Chk_SI.value = value;
    Chk_SI_Click();
}

void MainForm::Model_Name_Clear() {
    clear_model_list(pkg, ctx_.catalogue);
    Model_Name_Click();
    set_Chk_SI(0);
}

void MainForm::Emu_Name_Clear() {
    clear_emu_list(pkg);
    Emu_Name_Click();
}

bool MainForm::In_Path_Sub_Check(const std::string& strSubFolder) {
    // The catalogue writes sub-folders with Windows separators; Windows finds them in any case.
    if (!find_folder_path(ctx_.fs, with_trailing_sep(In_Path.text), strSubFolder).empty())
        return true;
    P_Qx.enabled = false;
    select_option(P_Standard, P_Qx);
    P_Standard_Click();
    return false;
}

}  // namespace korva
