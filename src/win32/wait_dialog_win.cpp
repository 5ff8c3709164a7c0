// SPDX-License-Identifier: MIT
// The texts are set from fReturn at every refresh, so the finished state cannot be shown half:
// status text and button always change together.
#include "win32/wait_dialog_win.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/form_binder_win.h"
#include "win32/resource_ids.h"
#include "win32/tool_window.h"

namespace korva::win32 {

namespace {

constexpr int kProgressSteps = 1000;
// The copy reports after every chunk and every file; a package of many small files would spend
// its time redrawing, so the bar moves at most this often.
constexpr DWORD kProgressIntervalMs = 100;
// The design title, kept when the language section names neither Japanese nor English.
constexpr const char* kDesignTitle = "ツール";

}  // namespace

WaitDialog::WaitDialog(const Catalogue& catalogue, HWND owner)
    : catalogue_(catalogue.with_section(catalogue.section(), kDialogBuffer)) {
    hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WAIT), owner,
                               dialog_proc, reinterpret_cast<LPARAM>(this));
    SetWindowTextW(hwnd_, wide(kDesignTitle).c_str());
    SendDlgItemMessageW(hwnd_, IDC_WAIT_PROGRESS, PBM_SETRANGE32, 0, kProgressSteps);
    ShowWindow(GetDlgItem(hwnd_, IDC_WAIT_PROGRESS), SW_HIDE);
    Form_Paint();
}

WaitDialog::~WaitDialog() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

INT_PTR CALLBACK WaitDialog::dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lparam);
        return FALSE;
    }
    auto* self = reinterpret_cast<WaitDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return FALSE;
    // Closing the dialog while the package is built would leave the main window hidden with no
    // way back; once it is finished, closing is the End button.
    const bool end = (message == WM_COMMAND &&
                      (LOWORD(wparam) == IDC_WAIT_COM_END || LOWORD(wparam) == IDCANCEL)) ||
                     message == WM_CLOSE;
    if (end) {
        if (self->fReturn)
            self->Com_End_Click();
        return TRUE;
    }
    return FALSE;
}

void WaitDialog::Form_Paint() {
    const std::string& lang = catalogue_.section();
    if (lang == "StringJp") {
        SetWindowTextW(hwnd_, wide(catalogue_.read("Setup", "AppNameJp")).c_str());
    } else if (lang == "StringEn") {
        SetWindowTextW(hwnd_, wide(catalogue_.read("Setup", "AppNameEn")).c_str());
    }
    HWND button = GetDlgItem(hwnd_, IDC_WAIT_COM_END);
    if (fReturn) {
        SetDlgItemTextW(hwnd_, IDC_WAIT_LABEL1, wide(catalogue_.text("MsgFinish")).c_str());
        SetWindowTextW(button, wide(catalogue_.text("ComEnd")).c_str());
        ShowWindow(button, SW_SHOW);
    } else {
        SetDlgItemTextW(hwnd_, IDC_WAIT_LABEL1, wide(catalogue_.text("MsgCreate")).c_str());
        ShowWindow(button, SW_HIDE);
    }
}

void WaitDialog::show_creating() {
    fReturn = false;
    ShowWindow(GetDlgItem(hwnd_, IDC_WAIT_PROGRESS), SW_HIDE);
    progress_valid_ = false;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    refresh();
}

void WaitDialog::refresh() {
    Form_Paint();
    UpdateWindow(hwnd_);
    pump_paint_messages();
}

void WaitDialog::progress(std::uint64_t done, std::uint64_t total) {
    HWND bar = GetDlgItem(hwnd_, IDC_WAIT_PROGRESS);
    if (total == 0) {
        ShowWindow(bar, SW_HIDE);
        progress_valid_ = false;
        return;
    }
    const DWORD now = GetTickCount();
    if (done < total && progress_valid_ && now - progress_shown_ < kProgressIntervalMs)
        return;
    progress_shown_ = now;
    progress_valid_ = true;
    const double part = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(part * kProgressSteps), 0);
    ShowWindow(bar, SW_SHOW);
    pump_paint_messages();
}

// The End button takes the focus and is the default, so Enter ends at once.
void WaitDialog::show_finished() {
    fReturn = true;
    ShowWindow(GetDlgItem(hwnd_, IDC_WAIT_PROGRESS), SW_HIDE);
    ShowWindow(hwnd_, SW_SHOW);
    refresh();
    SendMessageW(hwnd_, DM_SETDEFID, IDC_WAIT_COM_END, 0);
    SendMessageW(hwnd_, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(hwnd_, IDC_WAIT_COM_END)), TRUE);
}

void WaitDialog::hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

// Ends the program at once; the placement is not saved on this path.
void WaitDialog::Com_End_Click() {
    PostQuitMessage(0);
}

}  // namespace korva::win32
