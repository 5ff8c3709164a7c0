// SPDX-License-Identifier: MIT
// Paths across the top, each under its label (the input label is long in every language), the
// package options and the account on the left, the two deletion lists side by side; the paths
// and the lists take any growth of the window.
#include "win32/rem_window_win.h"

#include <algorithm>
#include <string>

#include "app/placement.h"
#include "win32/resource_ids.h"

namespace korva::win32 {

namespace {

constexpr UINT kHandBackMessage = WM_APP + 1;

constexpr ControlId kIds[] = {
    {"Lbl_Soft", IDC_REM_LBL_SOFT},
    {"cb_SelectSoft", IDC_REM_SELECTSOFT},
    {"Line1", IDC_REM_LINE1},
    {"Lbl_In_Path", IDC_REM_LBL_IN_PATH},
    {"In_Path", IDC_REM_IN_PATH},
    {"Lbl_Out_Path", IDC_REM_LBL_OUT_PATH},
    {"Out_Path", IDC_REM_OUT_PATH},
    {"Com_Brow", IDC_REM_COM_BROW},
    {"Fra_Dialog", IDC_REM_FRA_DIALOG},
    {"Opt_Dialog0", IDC_REM_OPT_DIALOG0},
    {"Opt_Dialog1", IDC_REM_OPT_DIALOG1},
    {"Fra_QX", IDC_REM_FRA_QX},
    {"Chk_QX0", IDC_REM_CHK_QX0},
    {"Chk_QX1", IDC_REM_CHK_QX1},
    {"Fra_UserI", IDC_REM_FRA_USERI},
    {"Chk_UserI", IDC_REM_CHK_USERI},
    {"Fra_Admin", IDC_REM_FRA_ADMIN},
    {"Lbl_Acount_Name", IDC_REM_LBL_ACOUNT_NAME},
    {"Acount_Name", IDC_REM_ACOUNT_NAME},
    {"Lbl_Password", IDC_REM_LBL_PASSWORD},
    {"Password", IDC_REM_PASSWORD},
    {"Lbl_Domain_Name", IDC_REM_LBL_DOMAIN_NAME},
    {"Domain_Name", IDC_REM_DOMAIN_NAME},
    {"Fra_DelPrinter", IDC_REM_FRA_DELPRINTER},
    {"Txt_DelPrinter", IDC_REM_TXT_DELPRINTER},
    {"Cmd_DelPrinterAdd", IDC_REM_CMD_DELPRINTERADD},
    {"Cmd_DelPrinterDel", IDC_REM_CMD_DELPRINTERDEL},
    {"Lst_DelPrinter", IDC_REM_LST_DELPRINTER},
    {"Fra_DelDriver", IDC_REM_FRA_DELDRIVER},
    {"Txt_DelDriver", IDC_REM_TXT_DELDRIVER},
    {"Cmd_DelDriverAdd", IDC_REM_CMD_DELDRIVERADD},
    {"Cmd_DelDriverDel", IDC_REM_CMD_DELDRIVERDEL},
    {"Lst_DelDriver", IDC_REM_LST_DELDRIVER},
    {"Com_OK", IDC_REM_COM_OK},
    {"Com_End", IDC_REM_COM_END},
    {"Com_OpenJob", IDC_REM_COM_OPENJOB},
    {"Com_SaveJob", IDC_REM_COM_SAVEJOB},
};

constexpr Anchor kAnchors[] = {
    {IDC_REM_LINE1, 0, 100, 0, 0},
    {IDC_REM_LBL_IN_PATH, 0, 100, 0, 0},
    {IDC_REM_IN_PATH, 0, 100, 0, 0},
    {IDC_REM_LBL_OUT_PATH, 0, 100, 0, 0},
    {IDC_REM_OUT_PATH, 0, 100, 0, 0},
    {IDC_REM_COM_BROW, 100, 100, 0, 0},
    {IDC_REM_FRA_DELPRINTER, 0, 50, 0, 100},
    {IDC_REM_TXT_DELPRINTER, 0, 50, 0, 0},
    {IDC_REM_LST_DELPRINTER, 0, 50, 0, 100},
    {IDC_REM_FRA_DELDRIVER, 50, 100, 0, 100},
    {IDC_REM_TXT_DELDRIVER, 50, 100, 0, 0},
    {IDC_REM_CMD_DELDRIVERADD, 50, 50, 0, 0},
    {IDC_REM_CMD_DELDRIVERDEL, 50, 50, 0, 0},
    {IDC_REM_LST_DELDRIVER, 50, 100, 0, 100},
    {IDC_REM_COM_OPENJOB, 100, 100, 100, 100},
    {IDC_REM_COM_SAVEJOB, 100, 100, 100, 100},
    {IDC_REM_COM_OK, 100, 100, 100, 100},
    {IDC_REM_COM_END, 100, 100, 100, 100},
};

// The widest entry in the list's own font: a long name scrolls instead of being cut off.
void fit_horizontal_extent(HWND list) {
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    HDC dc = GetDC(list);
    const HGDIOBJ old_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                          L'\0');
        const int length = static_cast<int>(
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data())));
        SIZE size{};
        if (length > 0 && GetTextExtentPoint32W(dc, text.c_str(), length, &size))
            widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old_font);
    ReleaseDC(list, dc);
    // The list draws its entries a few pixels in from its border.
    const int margin = widest ? 2 * GetSystemMetrics(SM_CXEDGE) + 4 : 0;
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + margin), 0);
}

}  // namespace

RemWindow::RemWindow(eraser::RemForm& form, SettingsStore& settings, WinPrompter& prompter,
                     WaitView& wait)
    : ToolWindow({IDD_REMOVAL, "Rem_Frm", kIds, kAnchors}, form.controls(), settings, prompter),
      form_(form),
      wait_(wait) {
    SendDlgItemMessageW(hwnd(), IDC_REM_PASSWORD, EM_SETPASSWORDCHAR, L'*', 0);
    binder().push();
    after_push();
}

void RemWindow::load(const std::string& View_Mode, const std::string& main_caption) {
    restore_placement();
    form_.Form_Load_controls(View_Mode, main_caption);
    binder().push();
    after_push();
    if (form_.hand_back_at_start())
        PostMessageW(hwnd(), kHandBackMessage, 0, 0);
}

INT_PTR RemWindow::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kHandBackMessage) {
        if (open_main_tool)
            open_main_tool(form_.cb_SelectSoft.list->index);
        return TRUE;
    }
    if (message == WM_VKEYTOITEM)
        return key_in_list(LOWORD(wparam), reinterpret_cast<HWND>(lparam));
    return ToolWindow::on_message(message, wparam, lparam);
}

// The Delete key on a removal entry does what the list's Delete button does, when it may.
// The value goes back to the list as it is: -2 handled, -1 the list's own handling.
INT_PTR RemWindow::key_in_list(int key, HWND list) {
    if (key != VK_DELETE)
        return -1;
    const int button =
        list == GetDlgItem(hwnd(), IDC_REM_LST_DELPRINTER)  ? IDC_REM_CMD_DELPRINTERDEL
        : list == GetDlgItem(hwnd(), IDC_REM_LST_DELDRIVER) ? IDC_REM_CMD_DELDRIVERDEL
                                                            : 0;
    if (!button || !IsWindowEnabled(GetDlgItem(hwnd(), button)))
        return -1;
    on_click(button);
    return -2;
}

void RemWindow::after_push() {
    take_focus_request(form_.printers);
    take_focus_request(form_.drivers);
    fit_horizontal_extent(GetDlgItem(hwnd(), IDC_REM_LST_DELPRINTER));
    fit_horizontal_extent(GetDlgItem(hwnd(), IDC_REM_LST_DELDRIVER));
}

void RemWindow::take_focus_request(eraser::DeletionList& list) {
    if (list.focus_request.empty())
        return;
    if (const int id = binder().id_of(list.focus_request)) {
        SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd(), id)), TRUE);
    }
    list.focus_request.clear();
}

void RemWindow::on_click(int id) {
    switch (id) {
        case IDC_REM_CHK_USERI:
            return run([this] { form_.Chk_UserI_Click(); });
        case IDC_REM_COM_BROW:
            return run([this] { form_.Com_Brow_Click(); });
        case IDC_REM_CMD_DELPRINTERADD:
            return run([this] { form_.Cmd_DelPrinterAdd_Click(); });
        case IDC_REM_CMD_DELPRINTERDEL:
            return run([this] { form_.Cmd_DelPrinterDel_Click(); });
        case IDC_REM_CMD_DELDRIVERADD:
            return run([this] { form_.Cmd_DelDriverAdd_Click(); });
        case IDC_REM_CMD_DELDRIVERDEL:
            return run([this] { form_.Cmd_DelDriverDel_Click(); });
        case IDC_REM_COM_OK:
            return run([this] { form_.Com_OK_Click(wait_, *this); });
        case IDC_REM_COM_OPENJOB:
            return run([this] { jobs_->Com_OpenJob_Click(form_); });
        case IDC_REM_COM_SAVEJOB:
            return run([this] { jobs_->Com_SaveJob_Click(form_); });
        case IDC_REM_COM_END:
            return close();
        default:
            return;
    }
}

// The entry picked for editing has its whole text selected, so typing replaces it.
void RemWindow::entry_clicked(int text_box, const std::function<void()>& handler) {
    run(handler);
    SendDlgItemMessageW(hwnd(), text_box, EM_SETSEL, 0, -1);
}

void RemWindow::on_command(int id, int code, HWND control) {
    switch (code) {
        case BN_CLICKED:
            return on_click(id);
        case LBN_SELCHANGE:  // same value as CBN_SELCHANGE
            if (id == IDC_REM_LST_DELPRINTER)
                return entry_clicked(IDC_REM_TXT_DELPRINTER,
                                     [this] { form_.Lst_DelPrinter_Click(); });
            if (id == IDC_REM_LST_DELDRIVER)
                return entry_clicked(IDC_REM_TXT_DELDRIVER,
                                     [this] { form_.Lst_DelDriver_Click(); });
            if (id == IDC_REM_SELECTSOFT)
                return cb_SelectSoft_Click();
            return;
        case EN_SETFOCUS:
            if (id == IDC_REM_IN_PATH) {
                run([this] { form_.In_Path_GotFocus(); });
                caret_to_start(control);
            } else if (id == IDC_REM_OUT_PATH) {
                run([this] { form_.Out_Path_GotFocus(); });
                caret_to_start(control);
            }
            return;
        default:
            return;
    }
}

void RemWindow::select_tool(int list_index) {
    ListControl& selector = form_.cb_SelectSoft;
    if (list_index < 0 || list_index >= selector.list->count())
        return;
    binder().pull();
    selector.list->index = list_index;
    binder().push();
    cb_SelectSoft_Click();
}

void RemWindow::cb_SelectSoft_Click() {
    binder().pull();
    const int tool = form_.selected_tool();
    if (tool == 1) {
        if (open_main_tool)
            open_main_tool(form_.cb_SelectSoft.list->index);
    } else if (tool == 2) {
        set_height_twips(kWindowHeightTwips);
    }
}

}  // namespace korva::win32
