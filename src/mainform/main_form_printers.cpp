// SPDX-License-Identifier: MIT
// The printer list of the main window: checking and adding entries, deleting with renumbering,
// loading a line back into the fields, and the port-type and protocol option rules.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "dialogs/account_check.h"
#include "dialogs/messages.h"
#include "mainform/main_form.h"
#include "printers/entry_line.h"
#include "printers/printer_entry.h"

namespace korva {

// ---- checks

bool MainForm::Check_Value() {
    const Catalogue& cat = ctx_.catalogue;
    if (In_Path.text.empty()) {
        show_message(cat, ctx_.prompter, "MsgErrInPath1");
        return false;
    }
    if (Out_Path.text.empty()) {
        show_message(cat, ctx_.prompter, "MsgErrOutPath1");
        return false;
    }
    if (Chk_SI.value == 1 && Printer_List.list->count() == 0) {
        show_message(cat, ctx_.prompter, "MsgErrSilent");
        return false;
    }
    if (Chk_UserI.value == 1)
        return Check_Value_UserI();
    return true;
}

bool MainForm::Check_Value_UserI() {
    return check_account_fields(Acount_Name.text, Domain_Name.text, Password.text,
                                {Label6.caption, Label8.caption, Label9.caption}, ctx_.codepage,
                                ctx_.catalogue, ctx_.prompter);
}

bool MainForm::Check_Value_SI() {
    const Catalogue& cat = ctx_.catalogue;
    const std::string model = Model_Name.list_text();
    if (model.empty() || model == cat.text("MsgSilent")) {
        show_message(cat, ctx_.prompter, "MsgErrModel2");
        return false;
    }
    if (IP_Address.text.empty()) {
        show_message(cat, ctx_.prompter, "MsgErrIP");
        return false;
    }
    return true;
}

bool MainForm::Printer_Add_Check() {
    const Catalogue& cat = ctx_.catalogue;
    if (Printer_Name.text.empty()) {
        show_message(cat, ctx_.prompter, "MsgErrBlank", "MsgErrAdd");
        return false;
    }
    for (const std::string& line : Printer_List.list->items) {
        if (entry_printer_name(line) == Printer_Name.text) {
            show_message(cat, ctx_.prompter, "MsgErrSame", "MsgErrDelOrChange");
            return false;
        }
    }
    return true;
}

PrinterEntry MainForm::typed_printer_entry() const {
    PrinterEntry entry;
    entry.model_part = entry_model_text(pkg);
    entry.ip_address = IP_Address.text;
    entry.printer_name = Printer_Name.text;
    entry.port_type = P_Standard.value == 1 ? PortType::Standard : PortType::Qx;
    entry.protocol = Pr_Raw.value == 1 ? Protocol::Raw : Protocol::Lpr;
    entry.port_number = Protocol_Raw.text;
    entry.queue_name = Protocol_Lpr.text;
    entry.auto_config = Chk_AutoConfig.value == 1;
    entry.default_printer = D_Yes.value == 1;
    return entry;
}

bool MainForm::check_entry_chars() {
    const PrinterEntry entry = typed_printer_entry();
    if (entry_has_control_chars(entry)) {
        show_message(ctx_.catalogue, ctx_.prompter, "MsgErrCtrlChar");
        return false;
    }
    if (entry_has_forbidden_chars(entry)) {
        show_message(ctx_.catalogue, ctx_.prompter, "MsgErrChar");
        return false;
    }
    // Only what the line stores: a QX entry keeps no port number, a RAW entry no queue.
    const auto stored = entry_fields(entry);
    return check_code_page({{Label5.caption, stored[0]},
                            {Label4.caption, stored[1]},
                            {Label12.caption, stored[4]},
                            {Label13.caption, stored[5]}},
                           ctx_.codepage, ctx_.catalogue, ctx_.prompter);
}

void MainForm::use_package_codepage() {
    const std::string language = pkg.chosen_lang_code();
    ctx_.codepage =
        language.empty() ? language_codepage(ctx_.catalogue) : CodePage::for_language(language);
}

// ---- adding and deleting

static void update_extent(MainForm& f, const CodePage& cp) {
    f.printer_list_extent_px =
        entry_list_extent_px(f.Printer_List.list->items, cp, f.twips_per_pixel);
}

void MainForm::Add_Click() {
    use_package_codepage();
    if (Check_Value_SI() && Printer_Add_Check() && check_entry_chars()) {
        ListState& list = *Printer_List.list;
        list.add(entry_line(typed_printer_entry(), list.count() + 1));
    }
    update_extent(*this, ctx_.codepage);
}

void MainForm::Delete_Click() {
    ListState& list = *Printer_List.list;
    if (!list.has_selection())
        return;
    list.items.erase(list.items.begin() + list.index);
    list.index = -1;
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        list.items[i] = renumber_entry(list.items[i], static_cast<int>(i) + 1);
    }
    use_package_codepage();
    update_extent(*this, ctx_.codepage);
    Printer_Name.text.clear();
    IP_Address.text.clear();
}

// ---- proposing a name

void MainForm::Printer_Name_Add() {
    const std::string model = Model_Name.list_text();
    if (model.empty() || model == ctx_.catalogue.text("MsgSilent")) {
        Printer_Name.text.clear();
        return;
    }
    Printer_Name.text = entry_model_text(pkg);
}

void MainForm::Model_Name_Click() {
    Printer_Name_Add();
}

void MainForm::Emu_Name_Click() {
    Printer_Name_Add();
}

// ---- option rules

static void enable(std::initializer_list<Control*> controls, bool on) {
    for (Control* c : controls)
        c->enabled = on;
}

void MainForm::P_Standard_Click() {
    select_option(P_Standard, P_Qx);
    enable({&Frame8, &Pr_Raw, &Pr_Lpr}, true);
    const bool raw = Pr_Raw.value == 1;
    enable({&Label12, &Protocol_Raw}, raw);
    enable({&Label13, &Protocol_Lpr}, !raw);
}

void MainForm::P_Qx_Click() {
    select_option(P_Qx, P_Standard);
    enable({&Frame8, &Pr_Raw, &Pr_Lpr, &Label12, &Protocol_Raw, &Label13, &Protocol_Lpr}, false);
}

void MainForm::Pr_Raw_Click() {
    select_option(Pr_Raw, Pr_Lpr);
    enable({&Label12, &Protocol_Raw}, true);
    enable({&Label13, &Protocol_Lpr}, false);
    Protocol_Raw.text = kRawPortPreset;
}

void MainForm::Pr_Lpr_Click() {
    select_option(Pr_Lpr, Pr_Raw);
    enable({&Label12, &Protocol_Raw}, false);
    enable({&Label13, &Protocol_Lpr}, true);
    Protocol_Raw.text = kLprPortPreset;
}

// ---- loading a line back

// Finds the model and emulation items whose choice builds exactly the line's model part, so a
// driver name with a suffix, a VEXL2 model's own emulation or a skipped driver before the chosen
// one all lead back to the items the line was made from. Returns false when no pair fits.
static bool find_exact_choice(const PackageState& pkg, const std::string& model_part,
                              int& model_index, int& emu_index) {
    std::vector<int> emulations;
    if (pkg.Emu_Use == 1) {
        for (int e = 0; e < pkg.Emu_Name.count(); ++e)
            emulations.push_back(e);
    } else {
        // The emulation box is disabled then; only the models can differ.
        emulations.push_back(pkg.Emu_Name.index);
    }
    bool found = false;
    for (int e : emulations) {
        for (int m = 0; m < pkg.Model_Name.count(); ++m) {
            if (entry_model_text(pkg, m, e) == model_part) {
                model_index = m;
                emu_index = e;
                found = true;  // the last fit stays chosen, as with equal list items
            }
        }
    }
    return found;
}

bool MainForm::model_choice_of(const std::string& model_part, int& model_index,
                               int& emu_index) const {
    return find_exact_choice(pkg, model_part, model_index, emu_index);
}

static int last_equal_item(const ListState& list, const std::string& text) {
    int found = -1;
    for (int i = 0; i < list.count(); ++i) {
        if (list.items[i] == text)
            found = i;
    }
    return found;
}

void MainForm::Printer_List_Click() {
    const ListState& list = *Printer_List.list;
    if (!list.has_selection())
        return;
    const std::string line = list.text();

    if (entry_is_default(line)) {
        select_option(D_Yes, D_No);
    } else {
        select_option(D_No, D_Yes);
    }
    Chk_AutoConfig.value = Get_DriverString(line, 6) == kAutoConfig ? 1 : 0;

    const std::string model_part = entry_model_part(line);
    int model_index = -1;
    int emu_index = -1;
    if (find_exact_choice(pkg, model_part, model_index, emu_index)) {
        if (pkg.Emu_Use == 1) {
            pkg.Emu_Name.index = emu_index;
            Emu_Name_Click();
        }
        pkg.Model_Name.index = model_index;
        Model_Name_Click();
    } else {
        // A line from another package state: match the words as far as they go.
        std::string model = model_part;
        if (pkg.Emu_Use == 1) {
            const std::string head = line.substr(0, line.find('('));
            std::string word = head.substr(head.rfind(' ') + 1);
            if (word == "VEXL2")
                word = kVexl2Item;
            int e = last_equal_item(pkg.Emu_Name, word);
            if (e >= 0) {
                pkg.Emu_Name.index = e;
                Emu_Name_Click();
            }
            std::size_t blank = model.rfind(' ');
            if (blank != std::string::npos)
                model.resize(blank);
        }
        int m = last_equal_item(pkg.Model_Name, model);
        if (m >= 0) {
            pkg.Model_Name.index = m;
            Model_Name_Click();
        }
    }

    IP_Address.text = entry_address(line);
    Printer_Name.text = entry_printer_name(line);

    // The protocol first and the port type after it, so a QX line leaves the protocol controls
    // disabled rather than re-enabled by the protocol rule.
    if (Get_DriverString(line, 3) == kProtocolRaw) {
        Pr_Raw_Click();
    } else {
        Pr_Lpr_Click();
    }
    if (Get_DriverString(line, 2) == kPortStandard) {
        P_Standard_Click();
    } else {
        P_Qx_Click();
    }
    // The stored values replace the presets of the protocol rules.
    Protocol_Raw.text = Get_DriverString(line, 4);
    Protocol_Lpr.text = Get_DriverString(line, 5);
}

}  // namespace korva
