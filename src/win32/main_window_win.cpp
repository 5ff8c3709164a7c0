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

constexpr ControlId kIds[] = {KORVA_MAIN_CONTROL_IDS};

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
    : ToolWindow({IDD_MAIN, main_ui::Main, kIds, kAnchors, kShrinkAnchors}, form.controls(),
                 settings, prompter),
      form_(form),
      wait_(&wait) {
    wire_events(form_);
    form_.twips_per_pixel = twips_per_pixel(hwnd());
    SendDlgItemMessageW(hwnd(), IDC_MAIN_PASSWORD, EM_SETPASSWORDCHAR, L'*', 0);
    binder().push();
    after_push();
}

void MainWindow::after_push() {
    SendDlgItemMessageW(hwnd(), IDC_MAIN_PRINTER_LIST, LB_SETHORIZONTALEXTENT,
                        static_cast<WPARAM>(form_.printer_list_extent_px), 0);
}

void MainWindow::select_tool(int list_index) {
    binder().pull();
    form_.cb_SelectSoft.list->index = list_index;
    binder().push();
    tool_selected();
}

void MainWindow::tool_selected() {
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
