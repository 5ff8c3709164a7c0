// SPDX-License-Identifier: MIT
// Start-up of the main window: captions in the catalogue's order, the tool mode, and the initial
// state in which only the folder boxes, Browse, the two function boxes, the selector and End work.
#include "mainform/main_form.h"

namespace korva {

MainForm::MainForm(Context ctx) : ctx_(std::move(ctx)) {
    Language_Name.list = &pkg.Language_Name;
    Model_Name.list = &pkg.Model_Name;
    Emu_Name.list = &pkg.Emu_Name;
}

ControlTable MainForm::controls() {
    return {
#define KORVA_WINDOW_DECLARATION "mainform/main_window.def"
#include "dialogs/declare_control_table.h"
    };
}

void MainForm::select_option(Control& chosen, Control& partner) {
    chosen.value = 1;
    partner.value = 0;
}

std::vector<Control*> silent_install_group(MainForm& f) {
    return {&f.Label15, &f.Language_Name, &f.Frame7,        &f.Label3,        &f.Model_Name,
            &f.Frame1,  &f.D_Yes,         &f.D_No,          &f.Frame2,        &f.S_Yes,
            &f.S_No,    &f.Label11,       &f.Emu_Name,      &f.Label5,        &f.IP_Address,
            &f.Frame5,  &f.Label10,       &f.Printer_List,  &f.Label4,        &f.Printer_Name,
            &f.Frame4,  &f.P_Standard,    &f.P_Qx,          &f.Frame8,        &f.Pr_Raw,
            &f.Pr_Lpr,  &f.Protocol_Raw,  &f.Protocol_Lpr,  &f.Label12,       &f.Label13,
            &f.Add,     &f.Delete,        &f.Chk_DlgReboot, &f.Chk_AutoConfig};
}

static void apply_captions(MainForm& f, const Catalogue& cat) {
    const std::pair<const char*, Control*> captions[] = {
        {"InputPath", &f.Label1},   {"OutputPath", &f.Label2},      {"BrowButtom", &f.Com_Brow},
        {"FrmFunction", &f.Frame3}, {"FrmLanguage", &f.Label15},    {"ChkSI", &f.Chk_SI},
        {"ChkUserI", &f.Chk_UserI}, {"ChkSI", &f.Frame7},           {"FrmInstDrv", &f.Frame5},
        {"LblAddDrv", &f.Label10},  {"LblModel", &f.Label3},        {"LblEmu", &f.Label11},
        {"FrmDef", &f.Frame1},      {"ChkYes", &f.D_Yes},           {"ChkNo", &f.D_No},
        {"LblMFPIP", &f.Label5},    {"LblPrn", &f.Label4},          {"ComAdd", &f.Add},
        {"ComDel", &f.Delete},      {"FrmComp", &f.Frame2},         {"ChkYes", &f.S_Yes},
        {"ChkNo", &f.S_No},         {"ChkUserI", &f.Frame6},        {"LblAcc", &f.Label6},
        {"LblDom", &f.Label8},      {"LblPass", &f.Label9},         {"ComOK", &f.Com_OK},
        {"ComEnd", &f.Com_End},     {"LblPort", &f.Frame4},         {"ChkStandard", &f.P_Standard},
        {"ChkQx", &f.P_Qx},         {"LblProtcol", &f.Frame8},      {"ChkRaw", &f.Pr_Raw},
        {"ChkLpr", &f.Pr_Lpr},      {"LblPortN", &f.Label12},       {"LblQueue", &f.Label13},
        {"SelectSoft", &f.Label14}, {"ComOpenJob", &f.Com_OpenJob}, {"ComSaveJob", &f.Com_SaveJob}};
    for (const auto& [key, control] : captions)
        control->caption = cat.text(key);
}

static void add_selector_item(ListControl& selector, const std::string& text, int data) {
    selector.list->add(text);
    selector.item_data.push_back(data);
}

static void fill_tool_selector(MainForm& f, const Catalogue& cat) {
    f.View_Mode = cat.read("Setup", "ViewSoftware", "0");
    if (f.View_Mode.empty())
        f.View_Mode = "0";
    ListControl& selector = f.cb_SelectSoft;
    if (f.View_Mode == "1") {
        add_selector_item(selector, cat.text("SelectSoftware1"), 1);
        selector.enabled = false;
    } else if (f.View_Mode == "2") {
        add_selector_item(selector, cat.text("SelectSoftware2"), 2);
        selector.enabled = false;
    } else if (f.View_Mode == "99") {
        return;  // the administrator window takes over; the selector stays empty
    } else {
        add_selector_item(selector, cat.text("SelectSoftware1"), 1);
        add_selector_item(selector, cat.text("SelectSoftware2"), 2);
    }
    selector.list->index = 0;
}

static void disable_at_start(MainForm& f) {
    for (Control* c : silent_install_group(f)) {
        if (c != &f.Language_Name)
            c->enabled = false;
    }
    for (Control* c : {&f.Frame6, &f.Label6, &f.Acount_Name, &f.Label9, &f.Password, &f.Label8,
                       &f.Domain_Name, &f.Com_OK}) {
        c->enabled = false;
    }
}

void MainForm::Form_Load_controls() {
    const Catalogue& cat = ctx_.catalogue;
    apply_captions(*this, cat);
    fill_tool_selector(*this, cat);
    Chk_DlgReboot.caption = cat.text("ChkDlgReboot");
    Chk_AutoConfig.caption = cat.text("ChkAutoconfig");
    pkg.Emu_Name.clear();
    pkg.Emu_Name.add(cat.text("MsgEmu"));
    pkg.Emu_Name.index = 0;
    select_option(D_Yes, D_No);
    select_option(S_No, S_Yes);
    select_option(P_Standard, P_Qx);
    select_option(Pr_Raw, Pr_Lpr);
    Chk_AutoConfig.value = 1;
    pkg.Fax_Found = 0;
    pkg.Emu_Use = 0;
    Domain_Name.text = "%USERDNSDOMAIN%";
    Acount_Name.text = "Administrator";
    pkg.Model_Name.clear();
    pkg.Model_Name.add(cat.text("MsgSilent"));
    pkg.Model_Name.index = 0;
    disable_at_start(*this);
    Protocol_Raw.text = "9100";
    Engine_Dll = {"_qbus32.dll", "_qbus64.dll", "zelt32.dll", "zelt64.dll",
                  "wrenB.dll",   "mofta.dll",   "mofta64.dll"};
    Engine_V5 = {"setup.exe", "setup.dll", "setup7.dll"};
    Language_Name.enabled = false;
    pkg.Language_Name.clear();
    pkg.Language_Name.add(cat.text("MsgLang"));
    pkg.Language_Name.index = 0;
    pkg.Drv_Suffix.clear();
}

}  // namespace korva
