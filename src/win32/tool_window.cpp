// SPDX-License-Identifier: MIT
// The stored position is the frame's normal position as GetWindowPlacement reports it and
// SetWindowPlacement takes it back, so a window reopens exactly where it was, also when it was
// closed maximised (then only the state is stored and the old position stays).
#include "win32/tool_window.h"

#include <algorithm>

#include "app/placement.h"
#include "platform/process.h"
#include "win32/prompter_win.h"
#include "win32/resource_ids.h"

namespace korva::win32 {

namespace {

UINT window_dpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (get_dpi && hwnd) {
        if (const UINT dpi = get_dpi(hwnd))
            return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int stored_state(const WINDOWPLACEMENT& placement) {
    if (placement.showCmd == SW_SHOWMAXIMIZED)
        return 2;
    if (placement.showCmd == SW_SHOWMINIMIZED)
        return 1;
    return 0;
}

std::vector<ScreenRect> screens_in_twips(int tpp) {
    std::vector<ScreenRect> screens;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, LPRECT r, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(
                {r->left, r->top, r->right - r->left, r->bottom - r->top});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&screens));
    for (ScreenRect& s : screens)
        s = {s.left * tpp, s.top * tpp, s.width * tpp, s.height * tpp};
    return screens;
}

}  // namespace

int twips_per_pixel(HWND hwnd) {
    return std::max(1, static_cast<int>((1440 + window_dpi(hwnd) / 2) / window_dpi(hwnd)));
}

void pump_paint_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

ToolWindow::ToolWindow(Design design, ControlTable controls, SettingsStore& settings,
                       WinPrompter& prompter)
    : prompter_(prompter), design_(design), controls_(std::move(controls)), settings_(settings) {
    hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(design_.dialog_id),
                               nullptr, dialog_proc, reinterpret_cast<LPARAM>(this));
    binder_ = std::make_unique<FormBinder>(hwnd_, design_.window_name, controls_, design_.ids);
    const HICON big = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    const HICON small = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    record_layout();
}

ToolWindow::~ToolWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

INT_PTR CALLBACK ToolWindow::dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lparam);
        return FALSE;
    }
    auto* self = reinterpret_cast<ToolWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->binder_)
        return FALSE;
    return self->on_message(message, wparam, lparam);
}

INT_PTR ToolWindow::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            // Enter and Escape close no tool window; only End and the close box do.
            if (id == IDOK || id == IDCANCEL || binder_->pushing())
                return TRUE;
            on_command(id, HIWORD(wparam), reinterpret_cast<HWND>(lparam));
            return TRUE;
        }
        case WM_SIZE:
            if (wparam != SIZE_MINIMIZED)
                apply_layout();
            return TRUE;
        case WM_CLOSE:
            close();
            return TRUE;
        default:
            return FALSE;
    }
}

void ToolWindow::record_layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    design_size_ = {client.right, client.bottom};
    for (const Anchor& anchor : design_.anchors) {
        HWND control = GetDlgItem(hwnd_, anchor.id);
        if (!control)
            continue;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        layout_.push_back({control, r, anchor});
    }
}

// A window smaller than its design clips its controls rather than squeezing them, as the
// hand-over's short window does for half a second.
void ToolWindow::apply_layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int dx = std::max(0L, client.right - design_size_.cx);
    const int dy = std::max(0L, client.bottom - design_size_.cy);
    HDWP batch = BeginDeferWindowPos(static_cast<int>(layout_.size()));
    for (const Laid& laid : layout_) {
        const Anchor& a = laid.anchor;
        const int left = laid.rect.left + dx * a.left / 100;
        const int right = laid.rect.right + dx * a.right / 100;
        const int top = laid.rect.top + dy * a.top / 100;
        const int bottom = laid.rect.bottom + dy * a.bottom / 100;
        if (batch) {
            batch = DeferWindowPos(batch, laid.hwnd, nullptr, left, top, right - left, bottom - top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (batch)
        EndDeferWindowPos(batch);
    // Group boxes paint only their border; a moved one leaves its old border behind.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ToolWindow::restore_placement() {
    const int tpp = twips_per_pixel(hwnd_);
    const int width = GetSystemMetrics(SM_CXSCREEN) * tpp;
    const int height = GetSystemMetrics(SM_CYSCREEN) * tpp;
    const Placement p = keep_on_screen(read_placement(settings_, width, height),
                                       screens_in_twips(tpp), width, height);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    placement.rcNormalPosition = {p.left / tpp, p.top / tpp, (p.left + p.width) / tpp,
                                  (p.top + p.height) / tpp};
    SetWindowPlacement(hwnd_, &placement);
    first_show_ = p.window_state == 2   ? SW_SHOWMAXIMIZED
                  : p.window_state == 1 ? SW_SHOWMINIMIZED
                                        : SW_SHOWNORMAL;
}

void ToolWindow::show() {
    ShowWindow(hwnd_, shown_ ? SW_SHOW : first_show_);
    shown_ = true;
    SetForegroundWindow(hwnd_);
}

void ToolWindow::set_visible(bool visible) {
    if (visible) {
        show();
    } else {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

void ToolWindow::close() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    const int tpp = twips_per_pixel(hwnd_);
    save_placement(settings_, stored_state(placement), placement.rcNormalPosition.left * tpp,
                   placement.rcNormalPosition.top * tpp);
    // Every window closes without further events; nothing else is saved.
    PostQuitMessage(0);
}

void ToolWindow::set_height_twips(int height) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, height / twips_per_pixel(hwnd_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ToolWindow::run(const std::function<void()>& handler) {
    binder_->pull();
    prompter_.set_owner(hwnd_);
    handler();
    binder_->push();
    after_push();
}

void ToolWindow::caret_to_start(HWND edit) {
    PostMessageW(edit, EM_SETSEL, 0, 0);
}

void hand_over(ToolWindow& from, ToolWindow& to) {
    from.set_height_twips(kHandOverHeightTwips);
    UpdateWindow(from.hwnd());
    sleep_ms(500);
    RECT r;
    GetWindowRect(from.hwnd(), &r);
    SetWindowPos(to.hwnd(), nullptr, r.left, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    to.show();
    from.set_visible(false);
    from.set_height_twips(kWindowHeightTwips);
}

}  // namespace korva::win32
