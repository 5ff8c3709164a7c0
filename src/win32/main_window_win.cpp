// SPDX-License-Identifier: MIT
// Paths, functions and account on the left, the silent-install settings on the right, so that
// everything fits the window's 14700 x 8100 twips. The left column takes a third of any growth,
// the silent-install frame the rest. On a screen too narrow for the design only the left column
// gives up width (its boxes hold paths, which scroll): the right one is packed too tightly to
// lose any, and moves over whole.
#include "win32/main_window_win.h"

#include "app/placement.h"
#include "win32/resource_ids.h"

namespace korva::win32 {

namespace {

constexpr ControlId kIds[] = {
    {"Label14", IDC_MAIN_LABEL14},
    {"cb_SelectSoft", IDC_MAIN_SELECTSOFT},
    {"Line1", IDC_MAIN_LINE1},
    {"Label1", IDC_MAIN_LABEL1},
    {"In_Path", IDC_MAIN_IN_PATH},
    {"Label2", IDC_MAIN_LABEL2},
    {"Out_Path", IDC_MAIN_OUT_PATH},
    {"Com_Brow", IDC_MAIN_COM_BROW},
    {"Frame3", IDC_MAIN_FRAME3},
    {"Chk_SI", IDC_MAIN_CHK_SI},
    {"Chk_UserI", IDC_MAIN_CHK_USERI},
    {"Label15", IDC_MAIN_LABEL15},
    {"Language_Name", IDC_MAIN_LANGUAGE_NAME},
    {"Frame6", IDC_MAIN_FRAME6},
    {"Label6", IDC_MAIN_LABEL6},
    {"Acount_Name", IDC_MAIN_ACOUNT_NAME},
    {"Label8", IDC_MAIN_LABEL8},
    {"Domain_Name", IDC_MAIN_DOMAIN_NAME},
    {"Label9", IDC_MAIN_LABEL9},
    {"Password", IDC_MAIN_PASSWORD},
    {"Frame7", IDC_MAIN_FRAME7},
    {"Frame2", IDC_MAIN_FRAME2},
    {"S_Yes", IDC_MAIN_S_YES},
    {"S_No", IDC_MAIN_S_NO},
    {"Chk_DlgReboot", IDC_MAIN_CHK_DLGREBOOT},
    {"Frame5", IDC_MAIN_FRAME5},
    {"Label10", IDC_MAIN_LABEL10},
    {"Label3", IDC_MAIN_LABEL3},
    {"Model_Name", IDC_MAIN_MODEL_NAME},
    {"Label11", IDC_MAIN_LABEL11},
    {"Emu_Name", IDC_MAIN_EMU_NAME},
    {"Label5", IDC_MAIN_LABEL5},
    {"IP_Address", IDC_MAIN_IP_ADDRESS},
    {"Label4", IDC_MAIN_LABEL4},
    {"Printer_Name", IDC_MAIN_PRINTER_NAME},
    {"Frame1", IDC_MAIN_FRAME1},
    {"D_Yes", IDC_MAIN_D_YES},
    {"D_No", IDC_MAIN_D_NO},
    {"Chk_AutoConfig", IDC_MAIN_CHK_AUTOCONFIG},
    {"Add", IDC_MAIN_ADD},
    {"Delete", IDC_MAIN_DELETE},
    {"Frame4", IDC_MAIN_FRAME4},
    {"P_Standard", IDC_MAIN_P_STANDARD},
    {"P_Qx", IDC_MAIN_P_QX},
    {"Frame8", IDC_MAIN_FRAME8},
    {"Pr_Raw", IDC_MAIN_PR_RAW},
    {"Label12", IDC_MAIN_LABEL12},
    {"Protocol_Raw", IDC_MAIN_PROTOCOL_RAW},
    {"Pr_Lpr", IDC_MAIN_PR_LPR},
    {"Label13", IDC_MAIN_LABEL13},
    {"Protocol_Lpr", IDC_MAIN_PROTOCOL_LPR},
    {"Printer_List", IDC_MAIN_PRINTER_LIST},
    {"Com_OK", IDC_MAIN_COM_OK},
    {"Com_End", IDC_MAIN_COM_END},
    {"Com_OpenJob", IDC_MAIN_COM_OPENJOB},
    {"Com_SaveJob", IDC_MAIN_COM_SAVEJOB},
};

constexpr int kThird = 33;

constexpr Anchor kAnchors[] = {
    {IDC_MAIN_LINE1, 0, 100, 0, 0},
    {IDC_MAIN_LABEL1, 0, kThird, 0, 0},
    {IDC_MAIN_IN_PATH, 0, kThird, 0, 0},
    {IDC_MAIN_LABEL2, 0, kThird, 0, 0},
    {IDC_MAIN_OUT_PATH, 0, kThird, 0, 0},
    {IDC_MAIN_COM_BROW, kThird, kThird, 0, 0},
    {IDC_MAIN_FRAME3, 0, kThird, 0, 0},
    {IDC_MAIN_LABEL15, 0, kThird, 0, 0},
    {IDC_MAIN_LANGUAGE_NAME, 0, kThird, 0, 0},
    {IDC_MAIN_FRAME6, 0, kThird, 0, 0},
    {IDC_MAIN_ACOUNT_NAME, 0, kThird, 0, 0},
    {IDC_MAIN_DOMAIN_NAME, 0, kThird, 0, 0},
    {IDC_MAIN_PASSWORD, 0, kThird, 0, 0},
    {IDC_MAIN_FRAME7, kThird, 100, 0, 100},
    {IDC_MAIN_FRAME2, kThird, kThird, 0, 0},
    {IDC_MAIN_S_YES, kThird, kThird, 0, 0},
    {IDC_MAIN_S_NO, kThird, kThird, 0, 0},
    {IDC_MAIN_CHK_DLGREBOOT, kThird, 100, 0, 0},
    {IDC_MAIN_FRAME5, kThird, 100, 0, 100},
    {IDC_MAIN_LABEL10, kThird, 100, 0, 0},
    {IDC_MAIN_LABEL3, kThird, kThird, 0, 0},
    {IDC_MAIN_MODEL_NAME, kThird, 100, 0, 0},
    {IDC_MAIN_LABEL11, kThird, kThird, 0, 0},
    {IDC_MAIN_EMU_NAME, kThird, 100, 0, 0},
    {IDC_MAIN_LABEL5, kThird, kThird, 0, 0},
    {IDC_MAIN_IP_ADDRESS, kThird, 100, 0, 0},
    {IDC_MAIN_LABEL4, kThird, kThird, 0, 0},
    {IDC_MAIN_PRINTER_NAME, kThird, 100, 0, 0},
    {IDC_MAIN_FRAME1, kThird, kThird, 0, 0},
    {IDC_MAIN_D_YES, kThird, kThird, 0, 0},
    {IDC_MAIN_D_NO, kThird, kThird, 0, 0},
    {IDC_MAIN_CHK_AUTOCONFIG, kThird, kThird, 0, 0},
    {IDC_MAIN_ADD, 100, 100, 0, 0},
    {IDC_MAIN_DELETE, 100, 100, 0, 0},
    {IDC_MAIN_FRAME4, 100, 100, 0, 0},
    {IDC_MAIN_P_STANDARD, 100, 100, 0, 0},
    {IDC_MAIN_P_QX, 100, 100, 0, 0},
    {IDC_MAIN_FRAME8, 100, 100, 0, 0},
    {IDC_MAIN_PR_RAW, 100, 100, 0, 0},
    {IDC_MAIN_LABEL12, 100, 100, 0, 0},
    {IDC_MAIN_PROTOCOL_RAW, 100, 100, 0, 0},
    {IDC_MAIN_PR_LPR, 100, 100, 0, 0},
    {IDC_MAIN_LABEL13, 100, 100, 0, 0},
    {IDC_MAIN_PROTOCOL_LPR, 100, 100, 0, 0},
    {IDC_MAIN_PRINTER_LIST, kThird, 100, 0, 100},
    {IDC_MAIN_COM_OPENJOB, 100, 100, 100, 100},
    {IDC_MAIN_COM_SAVEJOB, 100, 100, 100, 100},
    {IDC_MAIN_COM_OK, 100, 100, 100, 100},
    {IDC_MAIN_COM_END, 100, 100, 100, 100},
};

constexpr Anchor shrinks(int id) {
    return {id, 0, 100, 0, 0};
}
constexpr Anchor moves(int id, int bottom = 0) {
    return {id, 100, 100, 0, bottom};
}

constexpr Anchor kShrinkAnchors[] = {
    shrinks(IDC_MAIN_LINE1),
    shrinks(IDC_MAIN_LABEL1),
    shrinks(IDC_MAIN_IN_PATH),
    shrinks(IDC_MAIN_LABEL2),
    shrinks(IDC_MAIN_OUT_PATH),
    moves(IDC_MAIN_COM_BROW),
    shrinks(IDC_MAIN_FRAME3),
    shrinks(IDC_MAIN_CHK_SI),
    shrinks(IDC_MAIN_CHK_USERI),
    shrinks(IDC_MAIN_LABEL15),
    shrinks(IDC_MAIN_LANGUAGE_NAME),
    shrinks(IDC_MAIN_FRAME6),
    shrinks(IDC_MAIN_ACOUNT_NAME),
    shrinks(IDC_MAIN_DOMAIN_NAME),
    shrinks(IDC_MAIN_PASSWORD),
    moves(IDC_MAIN_FRAME7, 100),
    moves(IDC_MAIN_FRAME2),
    moves(IDC_MAIN_S_YES),
    moves(IDC_MAIN_S_NO),
    moves(IDC_MAIN_CHK_DLGREBOOT),
    moves(IDC_MAIN_FRAME5, 100),
    moves(IDC_MAIN_LABEL10),
    moves(IDC_MAIN_LABEL3),
    moves(IDC_MAIN_MODEL_NAME),
    moves(IDC_MAIN_LABEL11),
    moves(IDC_MAIN_EMU_NAME),
    moves(IDC_MAIN_LABEL5),
    moves(IDC_MAIN_IP_ADDRESS),
    moves(IDC_MAIN_LABEL4),
    moves(IDC_MAIN_PRINTER_NAME),
    moves(IDC_MAIN_FRAME1),
    moves(IDC_MAIN_D_YES),
    moves(IDC_MAIN_D_NO),
    moves(IDC_MAIN_CHK_AUTOCONFIG),
    moves(IDC_MAIN_ADD),
    moves(IDC_MAIN_DELETE),
    moves(IDC_MAIN_FRAME4),
    moves(IDC_MAIN_P_STANDARD),
    moves(IDC_MAIN_P_QX),
    moves(IDC_MAIN_FRAME8),
    moves(IDC_MAIN_PR_RAW),
    moves(IDC_MAIN_LABEL12),
    moves(IDC_MAIN_PROTOCOL_RAW),
    moves(IDC_MAIN_PR_LPR),
    moves(IDC_MAIN_LABEL13),
    moves(IDC_MAIN_PROTOCOL_LPR),
    moves(IDC_MAIN_PRINTER_LIST, 100),
    {IDC_MAIN_COM_OPENJOB, 100, 100, 100, 100},
    {IDC_MAIN_COM_SAVEJOB, 100, 100, 100, 100},
    {IDC_MAIN_COM_OK, 100, 100, 100, 100},
    {IDC_MAIN_COM_END, 100, 100, 100, 100},
};

}  // namespace

MainWindow::MainWindow(MainForm& form, SettingsStore& settings, WinPrompter& prompter,
                       WaitView& wait)
    : ToolWindow({IDD_MAIN, "Main", kIds, kAnchors, kShrinkAnchors}, form.controls(), settings,
                 prompter),
      form_(form),
      wait_(&wait) {
    form_.twips_per_pixel = twips_per_pixel(hwnd());
    SendDlgItemMessageW(hwnd(), IDC_MAIN_PASSWORD, EM_SETPASSWORDCHAR, L'*', 0);
    binder().push();
    after_push();
}

void MainWindow::after_push() {
    SendDlgItemMessageW(hwnd(), IDC_MAIN_PRINTER_LIST, LB_SETHORIZONTALEXTENT,
                        static_cast<WPARAM>(form_.printer_list_extent_px), 0);
}

void MainWindow::on_click(int id) {
    switch (id) {
        case IDC_MAIN_CHK_SI:
            return run([this] { form_.Chk_SI_Click(); });
        case IDC_MAIN_CHK_USERI:
            return run([this] { form_.Chk_UserI_Click(); });
        case IDC_MAIN_COM_BROW:
            return run([this] { form_.Com_Brow_Click(); });
        case IDC_MAIN_ADD:
            return run([this] { form_.Add_Click(); });
        case IDC_MAIN_DELETE:
            return run([this] { form_.Delete_Click(); });
        case IDC_MAIN_P_STANDARD:
            return run([this] { form_.P_Standard_Click(); });
        case IDC_MAIN_P_QX:
            return run([this] { form_.P_Qx_Click(); });
        case IDC_MAIN_PR_RAW:
            return run([this] { form_.Pr_Raw_Click(); });
        case IDC_MAIN_PR_LPR:
            return run([this] { form_.Pr_Lpr_Click(); });
        case IDC_MAIN_COM_OK:
            return run([this] { form_.Com_OK_Click(*wait_, *this); });
        case IDC_MAIN_COM_END:
            return close();
        case IDC_MAIN_COM_OPENJOB:
            return run([this] { jobs_->Com_OpenJob_Click(form_); });
        case IDC_MAIN_COM_SAVEJOB:
            return run([this] { jobs_->Com_SaveJob_Click(form_); });
        default:
            // The other option buttons and ticks only hold a value that pull() reads later.
            return;
    }
}

// A list's Click comes with the selection moving by mouse and by keyboard alike.
void MainWindow::on_command(int id, int code, HWND control) {
    switch (code) {
        case BN_CLICKED:
            return on_click(id);
        case CBN_SELCHANGE:  // same value as LBN_SELCHANGE
            if (id == IDC_MAIN_MODEL_NAME)
                return run([this] { form_.Model_Name_Click(); });
            if (id == IDC_MAIN_EMU_NAME)
                return run([this] { form_.Emu_Name_Click(); });
            if (id == IDC_MAIN_PRINTER_LIST)
                return run([this] { form_.Printer_List_Click(); });
            if (id == IDC_MAIN_SELECTSOFT)
                return cb_SelectSoft_Click();
            return;
        case EN_SETFOCUS:
            if (id == IDC_MAIN_IN_PATH) {
                run([this] { form_.In_Path_GotFocus(); });
                caret_to_start(control);
            } else if (id == IDC_MAIN_OUT_PATH) {
                run([this] { form_.Out_Path_GotFocus(); });
                caret_to_start(control);
            }
            return;
        default:
            return;
    }
}

void MainWindow::select_tool(int list_index) {
    binder().pull();
    form_.cb_SelectSoft.list->index = list_index;
    binder().push();
    cb_SelectSoft_Click();
}

void MainWindow::cb_SelectSoft_Click() {
    binder().pull();
    const ListControl& selector = form_.cb_SelectSoft;
    const int index = selector.list->index;
    if (index < 0 || index >= static_cast<int>(selector.item_data.size()))
        return;
    if (selector.item_data[index] == 1) {
        set_height_twips(kWindowHeightTwips);
    } else if (selector.item_data[index] == 2 && open_removal_tool) {
        open_removal_tool(index);
    }
}

}  // namespace korva::win32
