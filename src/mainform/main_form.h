// SPDX-License-Identifier: MIT
// The main window `Main` without its widgets: every control's state, the package state, and the
// event handlers with their rules. The Qt window mirrors this and forwards its events here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialogs/context.h"
#include "dialogs/control.h"
#include "dialogs/wait_view.h"
#include "printers/printer_entry.h"
#include "source/package_state.h"

namespace korva {

// The controls of the main window, named as in the window design.
struct MainControls {
#define KORVA_WINDOW_DECLARATION "mainform/main_window.def"
#include "dialogs/declare_members.h"
};

class MainForm : public MainControls {
  public:
    explicit MainForm(Context ctx);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Start-up from the captions on: tool mode and the initial state of every control.
    void Form_Load_controls();

    // Every control with its name, for the window that mirrors them.
    ControlTable controls();

    // ---- option rules (main_form_options.cpp)
    void Chk_SI_Click();
    void Chk_UserI_Click();
    void In_Path_GotFocus();
    void Out_Path_GotFocus();
    void Com_Brow_Click();
    void Check_Value_Protocol();
    // Sets the silent-install box from code; unticking runs the unticked rule as a nested event.
    void set_Chk_SI(int value);
    void Model_Name_Clear();
    void Emu_Name_Clear();
    bool In_Path_Sub_Check(const std::string& strSubFolder);

    // ---- printer list (main_form_printers.cpp)
    void Add_Click();
    void Delete_Click();
    void Printer_List_Click();
    void Printer_Name_Add();
    void Model_Name_Click();
    void Emu_Name_Click();
    void P_Standard_Click();
    void P_Qx_Click();
    void Pr_Raw_Click();
    void Pr_Lpr_Click();
    bool Check_Value();
    bool Check_Value_UserI();
    bool Check_Value_SI();
    bool Printer_Add_Check();
    // The printer the entry fields describe, as Add stores it (Create appends the same).
    PrinterEntry typed_printer_entry() const;
    // False after the MsgErrCtrlChar message when that printer holds a control character, after
    // MsgErrChar when it holds a "," (its model part too) or a name with a '"' or "%", or after
    // MsgErrCodePage when a typed field does not fit the code page.
    bool check_entry_chars();
    // The package files are written in the code page of the chosen package language, or of the
    // catalogue's language while none is chosen; Add, Delete and Create take it afresh.
    void use_package_codepage();
    // The model and emulation items whose choice builds exactly this model part of a list line;
    // false when no pair of the package's lists does.
    bool model_choice_of(const std::string& model_part, int& model_index, int& emu_index) const;
    // Horizontal extent of Printer_List in pixels, recomputed after Add and Delete.
    int printer_list_extent_px = 0;
    int twips_per_pixel = 15;

    // ---- Create (main_form_create.cpp)
    void Com_OK_Click(WaitView& wait, OwnerView& owner);
    bool Check_Out_Value();

    // ---- Config.ini and launcher scripts (main_form_generators.cpp)
    // Both use the text of Out_Path as the output folder; false after the generator's failure
    // message, with the output folder emptied.
    bool Create_ConfigINI();
    bool Create_SetupVBE();

    // ---- state fields
    PackageState pkg;
    // The analysis puts the installer folder it found into In_Path in place of the folder the
    // administrator chose; a saved job names the chosen one, which is what travels.
    std::string Source_Chosen;
    std::string Source_Analysed;
    void remember_source(const std::string& chosen) {
        Source_Chosen = chosen;
        Source_Analysed = In_Path.text;
    }
    std::string chosen_source() const {
        return !Source_Analysed.empty() && In_Path.text == Source_Analysed ? Source_Chosen
                                                                           : In_Path.text;
    }
    std::string View_Mode = "0";
    int Path_Focus = 0;
    int DefPrinter_No = 0;
    int DefPrinter_Flag = 0;
    std::string DefPrinter_Name;
    std::vector<std::string> Engine_Dll;
    std::vector<std::string> Engine_V5;

    const Catalogue& catalogue() const { return ctx_.catalogue; }
    Context& context() { return ctx_; }

    // Selects one option of a pair and clears its partner, as option buttons in one frame do.
    static void select_option(Control& chosen, Control& partner);

  private:
    Context ctx_;
};

// The silent-install group and the user-install group, in the order the rules enable them.
std::vector<Control*> silent_install_group(MainForm& f);

// The window's control names, for the front ends that find controls by name.
namespace main_ui {
#define KORVA_WINDOW_DECLARATION "mainform/main_window.def"
#include "dialogs/declare_names.h"
}  // namespace main_ui

}  // namespace korva
