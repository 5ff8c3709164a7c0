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

constexpr ControlId kIds[] = {KORVA_REM_CONTROL_IDS};

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
    : ToolWindow({IDD_REMOVAL, eraser::rem_ui::Rem_Frm, kIds, kAnchors}, form.controls(), settings,
                 prompter),
      form_(form),
      wait_(wait) {
    wire_events(form_);
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
    on_command(button, BN_CLICKED, GetDlgItem(hwnd(), button));
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

void RemWindow::select_tool(int list_index) {
    ListControl& selector = form_.cb_SelectSoft;
    if (list_index < 0 || list_index >= selector.list->count())
        return;
    binder().pull();
    selector.list->index = list_index;
    binder().push();
    tool_selected();
}

void RemWindow::tool_selected() {
    const int tool = form_.selected_tool();
    if (tool == 1) {
        if (open_main_tool)
            open_main_tool(form_.cb_SelectSoft.list->index);
    } else if (tool == 2) {
        set_height_twips(kWindowHeightTwips);
    }
}

}  // namespace korva::win32
