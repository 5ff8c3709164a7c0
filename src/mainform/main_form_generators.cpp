// SPDX-License-Identifier: MIT
// The main window's side of the Config.ini and launcher script generators: it hands them the
// controls' values and keeps the default-printer state they produce for the rest of the run.
#include "mainform/main_form.h"
#include "package/config_ini.h"
#include "package/launcher_scripts.h"

namespace korva {

namespace {

// What the list box does when an entry is moved: the scroll width is reset and the entry fields,
// which showed the selected entry, are emptied along with the selection.
void after_list_swap(MainForm& f) {
    f.printer_list_extent_px = 180 / f.twips_per_pixel;
    f.Printer_Name.text.clear();
    f.IP_Address.text.clear();
    f.Printer_List.list->index = -1;
}

}  // namespace

bool MainForm::Create_ConfigINI() {
    ConfigOptions options;
    options.lang_folder = pkg.chosen_lang_folder();
    options.Emu_Use = pkg.Emu_Use;
    options.S_Yes = S_Yes.value == 1;
    options.Chk_DlgReboot = Chk_DlgReboot.value;
    DefaultPrinterState state{DefPrinter_No, DefPrinter_Flag, DefPrinter_Name};
    bool written = korva::Create_ConfigINI(Printer_List.list->items, options, Out_Path.text, state,
                                           ctx_, [this] { after_list_swap(*this); });
    DefPrinter_No = state.DefPrinter_No;
    DefPrinter_Flag = state.DefPrinter_Flag;
    DefPrinter_Name = state.DefPrinter_Name;
    return written;
}

bool MainForm::Create_SetupVBE() {
    SetupScriptInputs in;
    in.creds = {Acount_Name.text, Password.text, Domain_Name.text};
    in.DefPrinter_Flag = DefPrinter_Flag;
    in.DefPrinter_Name = DefPrinter_Name;
    in.printer_count = Printer_List.list->count();
    return korva::Create_SetupVBE(in, Out_Path.text, ctx_);
}

}  // namespace korva
