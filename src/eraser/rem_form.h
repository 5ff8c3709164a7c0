// SPDX-License-Identifier: MIT
// The removal tool window `Rem_Frm` without its widgets: every control's state and the rules of
// its events, so the Qt window only mirrors this and forwards what the user does.
#pragma once

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialogs/context.h"
#include "dialogs/control.h"
#include "dialogs/wait_view.h"
#include "eraser/removal_writer.h"
#include "package/tool_archive.h"

namespace korva::eraser {

// One deletion list with its text box and buttons. The add button's caption tells the mode:
// the add text while adding, the edit text while an entry that was clicked is being changed.
class DeletionList {
  public:
    DeletionList(const char* text_box_name, Control& text_box, ListControl& list, Control& add,
                 Control& del);

    // Captions read at start-up; the add and delete texts also go onto the buttons.
    void set_texts(std::string add_text, std::string edit_text, std::string delete_text);

    // Lst_..._Click: the entry at the list's selection goes into the text box for editing.
    void click();
    // Cmd_..._Add_Click: appends a non-empty text, or replaces the entry being edited.
    void add();
    // Cmd_..._Del_Click: removes the entry last clicked.
    void del();

    bool editing() const;
    const std::string& add_text() const { return add_text_; }
    const std::string& edit_text() const { return edit_text_; }
    const std::string& delete_text() const { return delete_text_; }
    // The text box that wants the focus after add or delete; empty when none.
    std::string focus_request;

  private:
    void back_to_adding();

    const char* text_box_name_;
    Control& text_box_;
    ListControl& list_;
    Control& add_button_;
    Control& delete_button_;
    std::string add_text_;
    std::string edit_text_;
    std::string delete_text_;
    int clicked_ = -1;
};

// The controls of the removal window, named as in the window design; element n of a control
// array carries n as a suffix (Opt_Dialog0 shows the removal dialog, Opt_Dialog1 does not).
struct RemControls {
#define KORVA_WINDOW_DECLARATION "eraser/rem_window.def"
#include "dialogs/declare_members.h"
};

class RemForm : public RemControls {
  public:
    // ctx: the program's context; only its catalogue file is used, through this window's own
    // section (LangSelect followed by "2") and the 500-character buffer of every other window.
    RemForm(const Context& ctx, const std::string& LangSelect);
    RemForm(const RemForm&) = delete;
    RemForm& operator=(const RemForm&) = delete;

    // Start-up from the disabled controls on (placement is the window's part). View_Mode is the
    // main window's tool mode; main_caption its title, which this window takes over.
    void Form_Load_controls(const std::string& View_Mode, const std::string& main_caption);
    // Tool mode "1" offers only the main tool: the window hands back at once after start-up.
    bool hand_back_at_start() const { return hand_back_at_start_; }

    ControlTable controls();

    // Item data of the selected tool (1 main tool, 2 removal tool), 0 when nothing is selected.
    int selected_tool() const;

    void In_Path_GotFocus();
    void Out_Path_GotFocus();
    // Asks for a folder and puts it into the path box that had the focus last.
    void Com_Brow_Click();
    void Chk_UserI_Click();

    void Lst_DelPrinter_Click() { printers.click(); }
    void Cmd_DelPrinterAdd_Click() { printers.add(); }
    void Cmd_DelPrinterDel_Click() { printers.del(); }
    void Lst_DelDriver_Click() { drivers.click(); }
    void Cmd_DelDriverAdd_Click() { drivers.add(); }
    void Cmd_DelDriverDel_Click() { drivers.del(); }

    // Checks before Create; each shows its own message before it answers false.
    bool Check_Value();
    bool Check_Value_UserI();
    bool Check_FolderPath();

    // ---- Create (removal_writer.cpp)
    void Com_OK_Click(WaitView& wait, OwnerView& owner);
    bool File_Copy();
    bool Write_SetupSii();
    bool Create_SetupVBE();
    void Error_Delete();
    // What the writer reads from the window, at the time of the step that needs it.
    RemovalPackage package() const;

    DeletionList printers;
    DeletionList drivers;

    // 0: the input box had the focus last (also at start), 1: the output box.
    int Path_Focus = 0;
    // Expands the tool archive; empty for the platform's expander.
    CabinetExpander expander;

    const Catalogue& catalogue() const { return catalogue_; }
    const Context& context() const { return ctx_; }
    Context& context() { return ctx_; }

  private:
    Catalogue catalogue_;           // this window's section
    Catalogue selector_catalogue_;  // the selected language section, for the tool selector
    Context ctx_;                   // refers to catalogue_, so messages come from this window
    bool hand_back_at_start_ = false;
};

// The controls that follow Chk_UserI, in the order the rule switches them.
std::vector<Control*> admin_group(RemForm& f);

// The window's control names, for the front ends that find controls by name.
namespace rem_ui {
#define KORVA_WINDOW_DECLARATION "eraser/rem_window.def"
#include "dialogs/declare_names.h"
}  // namespace rem_ui

}  // namespace korva::eraser
