// SPDX-License-Identifier: MIT
// The account frame above the two buttons; the boxes take any growth of the window.
#include "win32/admin_window_win.h"

#include "win32/prompter_win.h"
#include "win32/resource_ids.h"

namespace korva::win32 {

namespace {

constexpr ControlId kIds[] = {KORVA_ADM_CONTROL_IDS};

constexpr Anchor kAnchors[] = {
    {IDC_ADM_FRA_ADMIN, 0, 100, 0, 0},   {IDC_ADM_ACOUNT_NAME, 0, 100, 0, 0},
    {IDC_ADM_DOMAIN_NAME, 0, 100, 0, 0}, {IDC_ADM_PASSWORD, 0, 100, 0, 0},
    {IDC_ADM_COM_OK, 100, 100, 0, 0},    {IDC_ADM_COM_END, 100, 100, 0, 0},
};

}  // namespace

AdminWindow::AdminWindow(AdminForm& form, SettingsStore& settings, WinPrompter& prompter,
                         WaitView& wait)
    : ToolWindow({IDD_ADMIN, admin_ui::Admin_Setting, kIds, kAnchors}, form.controls(), settings,
                 prompter),
      form_(form),
      wait_(wait) {
    wire_events(form_);
    SendDlgItemMessageW(hwnd(), IDC_ADM_PASSWORD, EM_SETPASSWORDCHAR, L'*', 0);
    // Enter in any box creates, as the window holds nothing else to confirm.
    SendMessageW(hwnd(), DM_SETDEFID, IDC_ADM_COM_OK, 0);
}

bool AdminWindow::load(const std::string& main_caption) {
    prompter_.set_owner(hwnd());
    const bool must_end = form_.Form_Load(main_caption);
    binder().push();
    if (must_end)
        close();
    return !must_end;
}

}  // namespace korva::win32
