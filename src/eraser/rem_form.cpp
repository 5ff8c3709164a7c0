// SPDX-License-Identifier: MIT
// Start-up and the editing rules of the removal window. The window reads its texts from its own
// catalogue section, so a language can give the removal tool other words than the main window.
#include "eraser/rem_form.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

#include "dialogs/account_check.h"
#include "dialogs/messages.h"
#include "source/folder_check.h"

namespace korva::eraser {

DeletionList::DeletionList(const char* text_box_name, Control& text_box, ListControl& list,
                           Control& add, Control& del)
    : text_box_name_(text_box_name),
      text_box_(text_box),
      list_(list),
      add_button_(add),
      delete_button_(del) {}

void DeletionList::set_texts(std::string add_text, std::string edit_text, std::string delete_text) {
    add_text_ = std::move(add_text);
    edit_text_ = std::move(edit_text);
    delete_text_ = std::move(delete_text);
    add_button_.caption = add_text_;
    delete_button_.caption = delete_text_;
}

// The mode is the add button's caption, as the user sees it; there is no separate flag that
// could disagree with what the button says.
bool DeletionList::editing() const {
    return add_button_.caption != add_text_;
}

void DeletionList::click() {
    const ListState& state = *list_.list;
    // A click below the last entry selects nothing and so has nothing to edit.
    if (!state.has_selection())
        return;
    add_button_.caption = edit_text_;
    delete_button_.enabled = true;
    text_box_.text = state.items[state.index];
    text_box_.select_text = true;
    clicked_ = state.index;
}

void DeletionList::back_to_adding() {
    add_button_.caption = add_text_;
    delete_button_.enabled = false;
}

void DeletionList::add() {
    std::vector<std::string>& items = list_.list->items;
    if (!editing()) {
        // Names are taken as typed: no trimming and no duplicate test, the removal program
        // simply finds nothing for a name that is not installed.
        if (!text_box_.text.empty())
            list_.list->add(text_box_.text);
    } else {
        if (clicked_ >= 0 && clicked_ < static_cast<int>(items.size())) {
            items[clicked_] = text_box_.text;
        }
        back_to_adding();
    }
    text_box_.text.clear();
    focus_request = text_box_name_;
}

void DeletionList::del() {
    std::vector<std::string>& items = list_.list->items;
    if (clicked_ >= 0 && clicked_ < static_cast<int>(items.size())) {
        items.erase(items.begin() + clicked_);
    }
    clicked_ = -1;
    list_.list->index = -1;
    text_box_.text.clear();
    focus_request = text_box_name_;
    back_to_adding();
}

RemForm::RemForm(const Context& ctx, const std::string& LangSelect)
    : printers(rem_ui::Txt_DelPrinter, Txt_DelPrinter, Lst_DelPrinter, Cmd_DelPrinterAdd,
               Cmd_DelPrinterDel),
      drivers(rem_ui::Txt_DelDriver, Txt_DelDriver, Lst_DelDriver, Cmd_DelDriverAdd,
              Cmd_DelDriverDel),
      catalogue_(ctx.catalogue.with_section(LangSelect + "2", kDialogBuffer)),
      selector_catalogue_(ctx.catalogue.with_section(LangSelect, kDialogBuffer)),
      // No package language here: the removal package is for machines of the catalogue's.
      ctx_{catalogue_, ctx.prompter,       ctx.fs,           language_codepage(catalogue_),
           ctx.pump,   ctx.program_folder, ctx.system_folder} {
    ctx_.native_launcher = ctx.native_launcher;
}

ControlTable RemForm::controls() {
    return {
#define KORVA_WINDOW_DECLARATION "eraser/rem_window.def"
#include "dialogs/declare_control_table.h"
    };
}

std::vector<Control*> admin_group(RemForm& f) {
    return {&f.Fra_Admin, &f.Lbl_Acount_Name, &f.Acount_Name, &f.Lbl_Password,
            &f.Password,  &f.Lbl_Domain_Name, &f.Domain_Name};
}

static void add_selector_item(ListControl& selector, const std::string& text, int data) {
    selector.list->add(text);
    selector.item_data.push_back(data);
}

void RemForm::Form_Load_controls(const std::string& View_Mode, const std::string& main_caption) {
    for (Control* c :
         {&Cmd_DelPrinterDel, &Cmd_DelDriverDel, &Acount_Name, &Domain_Name, &Password}) {
        c->enabled = false;
    }
    Rem_Frm.caption = main_caption;
    Chk_UserI.value = 0;
    Chk_UserI_Click();

    const Catalogue& cat = catalogue_;
    const std::pair<const char*, Control*> head[] = {
        {"Lbl_In_Path", &Lbl_In_Path}, {"Lbl_Out_Path", &Lbl_Out_Path},
        {"Com_Brow", &Com_Brow},       {"Fra_Dialog", &Fra_Dialog},
        {"Opt_Dialog1", &Opt_Dialog0}, {"Opt_Dialog2", &Opt_Dialog1},
        {"Fra_QX", &Fra_QX},           {"Chk_QX1", &Chk_QX0},
        {"Chk_QX2", &Chk_QX1},         {"Fra_DelPrinter", &Fra_DelPrinter}};
    for (const auto& [key, control] : head)
        control->caption = cat.text(key);
    printers.set_texts(cat.text("Cmd_DelPrinterAdd"), cat.text("Cmd_DelPrinterEdt"),
                       cat.text("Cmd_DelPrinterDel"));
    Fra_DelDriver.caption = cat.text("Fra_DelDriver");
    drivers.set_texts(cat.text("Cmd_DelDriverAdd"), cat.text("Cmd_DelDriverEdt"),
                      cat.text("Cmd_DelDriverDel"));
    const std::pair<const char*, Control*> tail[] = {{"Fra_UserI", &Fra_UserI},
                                                     {"Chk_UserI", &Chk_UserI},
                                                     {"Fra_Admin", &Fra_Admin},
                                                     {"Lbl_Acount_Name", &Lbl_Acount_Name},
                                                     {"Lbl_Domain_Name", &Lbl_Domain_Name},
                                                     {"Lbl_Password", &Lbl_Password},
                                                     {"Com_OK", &Com_OK},
                                                     {"Com_End", &Com_End},
                                                     {"Com_OpenJob", &Com_OpenJob},
                                                     {"Com_SaveJob", &Com_SaveJob}};
    for (const auto& [key, control] : tail)
        control->caption = cat.text(key);

    Lbl_Soft.caption = selector_catalogue_.text("SelectSoft");
    ListControl& selector = cb_SelectSoft;
    selector.list->clear();
    selector.item_data.clear();
    if (View_Mode == "0") {
        add_selector_item(selector, selector_catalogue_.text("SelectSoftware1"), 1);
        add_selector_item(selector, selector_catalogue_.text("SelectSoftware2"), 2);
        selector.list->index = 1;
    } else if (View_Mode == "2") {
        add_selector_item(selector, selector_catalogue_.text("SelectSoftware2"), 2);
        selector.list->index = 0;
        selector.enabled = false;
    } else if (View_Mode == "1") {
        add_selector_item(selector, selector_catalogue_.text("SelectSoftware1"), 1);
        selector.list->index = 0;
        selector.enabled = false;
        hand_back_at_start_ = true;
    }

    Domain_Name.text = "%USERDNSDOMAIN%";
    Acount_Name.text = "Administrator";
    Opt_Dialog0.value = 1;
    Opt_Dialog1.value = 0;
    Path_Focus = 0;
}

int RemForm::selected_tool() const {
    const int index = cb_SelectSoft.list->index;
    if (index < 0 || index >= static_cast<int>(cb_SelectSoft.item_data.size()))
        return 0;
    return cb_SelectSoft.item_data[index];
}

void RemForm::In_Path_GotFocus() {
    Path_Focus = 0;
}

void RemForm::Out_Path_GotFocus() {
    Path_Focus = 1;
}

void RemForm::Com_Brow_Click() {
    const std::optional<std::string> chosen = ctx_.prompter.browse_folder();
    if (!chosen)
        return;
    (Path_Focus == 1 ? Out_Path : In_Path).text = *chosen;
}

void RemForm::Chk_UserI_Click() {
    const bool on = Chk_UserI.value == 1;
    for (Control* c : admin_group(*this))
        c->enabled = on;
}

bool RemForm::Check_Value() {
    if (In_Path.text.empty()) {
        show_message(catalogue_, ctx_.prompter, "MsgErrInPath1");
        return false;
    }
    if (Out_Path.text.empty()) {
        show_message(catalogue_, ctx_.prompter, "MsgErrOutPath1");
        return false;
    }
    // A line break in a name would give Setup.sii keys of its own: more printers removed than
    // listed.
    for (const ListControl* list : {&Lst_DelPrinter, &Lst_DelDriver}) {
        const auto& items = list->list->items;
        if (std::any_of(items.begin(), items.end(),
                        [](const std::string& item) { return holds_control_char(item); })) {
            show_message(catalogue_, ctx_.prompter, "MsgErrCtrlChar");
            return false;
        }
    }
    for (const auto& [frame, list] :
         {std::pair{&Fra_DelPrinter, &Lst_DelPrinter}, std::pair{&Fra_DelDriver, &Lst_DelDriver}}) {
        for (const std::string& item : list->list->items) {
            if (!check_code_page({{frame->caption, item}}, ctx_.codepage, catalogue_,
                                 ctx_.prompter)) {
                return false;
            }
        }
    }
    if (Chk_UserI.value == 1)
        return Check_Value_UserI();
    return true;
}

// The password may be empty: some administrator accounts have none.
bool RemForm::Check_Value_UserI() {
    return check_account_fields(
        Acount_Name.text, Domain_Name.text, Password.text,
        {Lbl_Acount_Name.caption, Lbl_Domain_Name.caption, Lbl_Password.caption}, ctx_.codepage,
        catalogue_, ctx_.prompter);
}

// The removal package has no source package to read again once the folders are settled.
bool RemForm::Check_FolderPath() {
    return korva::Check_FolderPath(In_Path.text, Out_Path.text, catalogue_, ctx_.prompter, ctx_.fs);
}

}  // namespace korva::eraser
