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

struct Span {
    int lo, hi;
};

Span x_span(const RECT& r) {
    return {r.left, r.right};
}
Span y_span(const RECT& r) {
    return {r.top, r.bottom};
}
bool overlap(Span a, Span b) {
    return a.lo < b.hi && b.lo < a.hi;
}
bool inside(Span a, Span b) {
    return b.lo <= a.lo && a.hi <= b.hi;
}

// Along one axis, what lay apart still does and what lay inside a frame still does, and no
// control lost more than half its size or left the client of the given length.
bool keeps_order(Span a, Span b, Span new_a, Span new_b) {
    if (a.hi <= b.lo)
        return new_a.hi <= new_b.lo;
    if (b.hi <= a.lo)
        return new_b.hi <= new_a.lo;
    if (inside(a, b))
        return inside(new_a, new_b);
    if (inside(b, a))
        return inside(new_b, new_a);
    return true;
}

bool keeps_size(Span design, Span now, Span client, Span new_client, int least) {
    return now.lo >= 0 && (design.hi > client.hi || now.hi <= new_client.hi) &&
           now.hi - now.lo >= least;
}

template <typename Place, typename Along, typename Across>
bool order_kept(const std::vector<RECT>& design, const std::vector<int>& least, Place place,
                Along along, Across across, Span client, Span new_client) {
    std::vector<Span> now;
    now.reserve(design.size());
    for (std::size_t i = 0; i < design.size(); ++i) {
        now.push_back(along(place(i)));
        if (!keeps_size(along(design[i]), now[i], client, new_client, least[i]))
            return false;
    }
    for (std::size_t i = 0; i < design.size(); ++i) {
        for (std::size_t j = i + 1; j < design.size(); ++j) {
            // Only controls that share a row (or column) can run into each other.
            if (overlap(across(design[i]), across(design[j])) &&
                !keeps_order(along(design[i]), along(design[j]), now[i], now[j]))
                return false;
        }
    }
    return true;
}

// The width a control's caption needs: a tick, an option or a label gives up no more than its
// text allows; boxes and lists keep half their width.
int least_width(HDC dc, HWND control, const RECT& design) {
    const int width = design.right - design.left;
    const int half = width - width / 2;
    wchar_t class_name[16] = {};
    GetClassNameW(control, class_name, 16);
    const bool captioned =
        lstrcmpiW(class_name, L"Button") == 0 || lstrcmpiW(class_name, L"Static") == 0;
    const int length = GetWindowTextLengthW(control);
    if (!captioned || length == 0 ||
        (GetWindowLongW(control, GWL_STYLE) & SS_ETCHEDHORZ) == SS_ETCHEDHORZ)
        return half;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), length, &size);
    // The box or circle before the text of a tick or an option, and the gap after it.
    const int mark =
        lstrcmpiW(class_name, L"Button") == 0 ? GetSystemMetrics(SM_CXMENUCHECK) + 6 : 0;
    return std::min(width, std::max<int>(half, size.cx + mark));
}

// The largest shrink up to limit that still fits, for a test that holds up to some point.
template <typename Fits>
int deepest(int limit, Fits fits) {
    int good = 0;
    int bad = limit + 1;
    while (bad - good > 1) {
        const int middle = good + (bad - good) / 2;
        (fits(middle) ? good : bad) = middle;
    }
    return good;
}

HFONT scaled_font(HFONT font, UINT from_dpi, UINT to_dpi) {
    LOGFONTW logfont{};
    if (!font || !GetObjectW(font, sizeof logfont, &logfont))
        return nullptr;
    logfont.lfHeight =
        MulDiv(logfont.lfHeight, static_cast<int>(to_dpi), static_cast<int>(from_dpi));
    return CreateFontIndirectW(&logfont);
}

RECT scaled(const RECT& r, UINT from_dpi, UINT to_dpi) {
    const int to = static_cast<int>(to_dpi);
    const int from = static_cast<int>(from_dpi);
    return {MulDiv(r.left, to, from), MulDiv(r.top, to, from), MulDiv(r.right, to, from),
            MulDiv(r.bottom, to, from)};
}

// Windows' own rescaling of dialogs on a DPI change would fight the anchored layout.
void take_over_dpi_changes(HWND dialog) {
    using Fn = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    static const auto set_behavior = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    if (set_behavior)
        set_behavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
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
    check_bindings(design_.window_name, binder_->unbound());
    const HICON big = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    const HICON small = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    dpi_ = window_dpi(hwnd_);
    take_over_dpi_changes(hwnd_);
    record_layout();
}

ToolWindow::~ToolWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (own_font_)
        DeleteObject(own_font_);
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
        case WM_HSCROLL:
        case WM_VSCROLL:
            // Scroll bars of controls send these too; only the window's own carry no handle.
            if (lparam != 0)
                return FALSE;
            scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wparam));
            return TRUE;
        case WM_MOUSEWHEEL:
            scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? SB_LINEUP : SB_LINEDOWN);
            return TRUE;
        case WM_DPICHANGED:
            on_dpi_changed(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return TRUE;
        case WM_CLOSE:
            close();
            return TRUE;
        default:
            return FALSE;
    }
}

namespace {

// The client size the template declares, in pixels at the dialog font: a dialog larger than the
// screen is cut to it at creation, while its controls keep the places the template gave them.
RECT template_client(HWND dialog, int dialog_id) {
#pragma pack(push, 1)
    struct ExtendedHeader {
        WORD version, signature;
        DWORD help_id, ex_style, style;
        WORD items;
        short x, y, cx, cy;
    };
#pragma pack(pop)
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(dialog_id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* header =
        loaded ? static_cast<const ExtendedHeader*>(LockResource(loaded)) : nullptr;
    RECT r{};
    if (header && header->signature == 0xFFFF && SizeofResource(module, found) >= sizeof *header) {
        r = {0, 0, header->cx, header->cy};
        MapDialogRect(dialog, &r);
    }
    return r;
}

const Anchor* anchor_of(std::span<const Anchor> anchors, int id) {
    const auto found =
        std::find_if(anchors.begin(), anchors.end(), [id](const Anchor& a) { return a.id == id; });
    return found != anchors.end() ? &*found : nullptr;
}

}  // namespace

RECT ToolWindow::placed(const Laid& laid, int dx, int dy) {
    const Anchor& x = dx < 0 ? laid.shrink : laid.grow;
    const Anchor& y = dy < 0 ? laid.shrink : laid.grow;
    const RECT& r = laid.rect;
    return {r.left + dx * x.left / 100, r.top + dy * y.top / 100, r.right + dx * x.right / 100,
            r.bottom + dy * y.bottom / 100};
}

// Every control is recorded, the anchored ones with their anchor and the others fixed, so that
// the shrink limit sees all of them.
void ToolWindow::record_layout() {
    RECT client = template_client(hwnd_, design_.dialog_id);
    if (IsRectEmpty(&client))
        GetClientRect(hwnd_, &client);
    design_size_ = {client.right, client.bottom};
    layout_.clear();
    for (HWND control = GetWindow(hwnd_, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(control);
        const Anchor fixed{id, 0, 0, 0, 0};
        const Anchor* grow = anchor_of(design_.anchors, id);
        const Anchor* shrink =
            design_.shrink_anchors.empty() ? grow : anchor_of(design_.shrink_anchors, id);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        layout_.push_back({control, r, grow ? *grow : fixed, shrink ? *shrink : fixed, r});
    }
    min_shift_known_ = false;
}

// The anchors move edges linearly, so the controls keep their order down to one shift and
// lose it beyond: a bisection finds it, with the very arithmetic of the layout.
void ToolWindow::find_min_shift() {
    std::vector<RECT> design;
    std::vector<int> least_x;
    std::vector<int> least_y;
    // One device context for all the captions: one per control costs more than the search.
    HDC dc = GetDC(hwnd_);
    const int saved = SaveDC(dc);
    for (const Laid& laid : layout_) {
        design.push_back(laid.rect);
        // Only a control whose edges move apart can get too small.
        const bool narrows = laid.shrink.left != laid.shrink.right;
        least_x.push_back(narrows ? least_width(dc, laid.hwnd, laid.rect) : 0);
        const int height = laid.rect.bottom - laid.rect.top;
        least_y.push_back(height - height / 2);
    }
    RestoreDC(dc, saved);
    ReleaseDC(hwnd_, dc);
    min_shift_known_ = true;
    const Span width{0, design_size_.cx};
    const Span height{0, design_size_.cy};
    min_shift_.cx = -deepest(design_size_.cx / 2, [&](int shrink) {
        const auto place = [&](std::size_t i) { return placed(layout_[i], -shrink, 0); };
        return order_kept(design, least_x, place, x_span, y_span, width, {0, width.hi - shrink});
    });
    min_shift_.cy = -deepest(design_size_.cy / 2, [&](int shrink) {
        const auto place = [&](std::size_t i) { return placed(layout_[i], 0, -shrink); };
        return order_kept(design, least_y, place, y_span, x_span, height, {0, height.hi - shrink});
    });
}

// Scroll bars for a client smaller than the least the controls fit in. Showing one narrows the
// client, which may call for the other: a few rounds settle it.
SIZE ToolWindow::fit_scroll_bars() {
    SIZE shift{};
    for (int round = 0; round < 3; ++round) {
        RECT client;
        GetClientRect(hwnd_, &client);
        // Measuring every caption costs more than the start-up can spare; a window that has its
        // design size never needs it.
        const bool smaller = client.right < design_size_.cx || client.bottom < design_size_.cy;
        if (smaller && !min_shift_known_)
            find_min_shift();
        shift = {std::max(client.right - design_size_.cx, folded_ ? 0L : min_shift_.cx),
                 std::max(client.bottom - design_size_.cy, folded_ ? 0L : min_shift_.cy)};
        const SIZE content{design_size_.cx + shift.cx, design_size_.cy + shift.cy};
        const auto set_bar = [&](int bar, LONG content_length, LONG page, LONG& position) {
            const LONG needed = folded_ ? 0 : content_length;
            position = std::clamp(position, 0L, std::max(0L, needed - page));
            SCROLLINFO info{sizeof info,
                            SIF_RANGE | SIF_PAGE | SIF_POS,
                            0,
                            static_cast<int>(needed) - 1,
                            static_cast<UINT>(page),
                            static_cast<int>(position),
                            0};
            SetScrollInfo(hwnd_, bar, &info, TRUE);
        };
        set_bar(SB_HORZ, content.cx, client.right, scroll_.x);
        set_bar(SB_VERT, content.cy, client.bottom, scroll_.y);
        RECT after;
        GetClientRect(hwnd_, &after);
        if (EqualRect(&client, &after))
            break;
    }
    return shift;
}

// A window smaller than its design lets the growing controls give up size as far as the
// controls keep their order, and scrolls below that. The hand-over's short window clips them.
void ToolWindow::apply_layout() {
    if (laying_out_)
        return;
    laying_out_ = true;
    const SIZE shift = fit_scroll_bars();
    laying_out_ = false;
    // A control already in place is left alone: under Wine every move costs the window server
    // a round trip, and a window is laid out several times before it first shows.
    HDWP batch = BeginDeferWindowPos(static_cast<int>(layout_.size()));
    bool moved = false;
    for (Laid& laid : layout_) {
        RECT r = placed(laid, static_cast<int>(shift.cx), static_cast<int>(shift.cy));
        OffsetRect(&r, -scroll_.x, -scroll_.y);
        if (!batch || EqualRect(&r, &laid.at))
            continue;
        batch = DeferWindowPos(batch, laid.hwnd, nullptr, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (batch) {
            laid.at = r;
            moved = true;
        }
    }
    if (batch)
        EndDeferWindowPos(batch);
    // Group boxes paint only their border; a moved one leaves its old border behind.
    if (moved)
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ToolWindow::scroll(int bar, int code) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd_, bar, &info);
    const int line = MulDiv(16, static_cast<int>(dpi_), 96);
    int position = info.nPos;
    switch (code) {
        case SB_LINEUP:
            position -= line;
            break;
        case SB_LINEDOWN:
            position += line;
            break;
        case SB_PAGEUP:
            position -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += static_cast<int>(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        case SB_TOP:
            position = 0;
            break;
        case SB_BOTTOM:
            position = info.nMax;
            break;
        default:
            return;
    }
    (bar == SB_HORZ ? scroll_.x : scroll_.y) = position;
    apply_layout();
}

void ToolWindow::reveal(HWND control) {
    if (!control || GetAncestor(control, GA_PARENT) != hwnd_)
        return;
    RECT client;
    RECT r;
    GetClientRect(hwnd_, &client);
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const POINT before = scroll_;
    const auto bring_in = [](LONG lo, LONG hi, LONG length, LONG& position) {
        if (hi > length)
            position += std::min(hi - length, lo);
        else if (lo < 0)
            position += lo;
    };
    bring_in(r.left, r.right, client.right, scroll_.x);
    bring_in(r.top, r.bottom, client.bottom, scroll_.y);
    if (scroll_.x != before.x || scroll_.y != before.y)
        apply_layout();
}

// The controls, their font and the window take the new DPI, from the same design rectangles
// the dialog units gave at the old one.
void ToolWindow::on_dpi_changed(UINT dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == dpi_)
        return;
    for (Laid& laid : layout_)
        laid.rect = scaled(laid.rect, dpi_, dpi);
    design_size_ = {MulDiv(design_size_.cx, static_cast<int>(dpi), static_cast<int>(dpi_)),
                    MulDiv(design_size_.cy, static_cast<int>(dpi), static_cast<int>(dpi_))};
    if (HFONT font = scaled_font(reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)),
                                 dpi_, dpi)) {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (const Laid& laid : layout_)
            SendMessageW(laid.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (own_font_)
            DeleteObject(own_font_);
        own_font_ = font;
    }
    dpi_ = dpi;
    scroll_ = {};
    min_shift_known_ = false;
    dpi_changed();
    const SIZE size = fitted(suggested.right - suggested.left, suggested.bottom - suggested.top);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    apply_layout();
}

SIZE ToolWindow::fitted(int width, int height) const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor))
        return {width, height};
    const RECT& work = monitor.rcWork;
    return {std::min<LONG>(width, work.right - work.left),
            std::min<LONG>(height, work.bottom - work.top)};
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
    const SIZE size = fitted(p.width / tpp, p.height / tpp);
    POINT at{p.left / tpp, p.top / tpp};
    // The default position centres the window as it is, also where the screen made it smaller.
    if (!settings_.get(kSettingsApp, kSettingsSection, "Left"))
        at.x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    if (!settings_.get(kSettingsApp, kSettingsSection, "Top"))
        at.y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    placement.rcNormalPosition = {at.x, at.y, at.x + size.cx, at.y + size.cy};
    SetWindowPlacement(hwnd_, &placement);
    first_show_ = p.window_state == 2   ? SW_SHOWMAXIMIZED
                  : p.window_state == 1 ? SW_SHOWMINIMIZED
                                        : SW_SHOWNORMAL;
}

void ToolWindow::show() {
    if (!shown_) {
        // The captions are in by now, and with them the width each label needs.
        min_shift_known_ = false;
        apply_layout();
    }
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
    resize(r.right - r.left, height / twips_per_pixel(hwnd_));
}

void ToolWindow::resize(int width, int height) {
    const SIZE size = fitted(width, height);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ToolWindow::fold(bool folded) {
    folded_ = folded;
    set_height_twips(folded ? kHandOverHeightTwips : kWindowHeightTwips);
}

void ToolWindow::run(const std::function<void()>& handler) {
    binder_->pull();
    prompter_.set_owner(hwnd_);
    handler();
    binder_->push();
    after_push();
}

void ToolWindow::on_command(int id, int code, HWND control) {
    WindowEvent event;
    if (code == BN_CLICKED || code == CBN_SELCHANGE) {  // CBN_SELCHANGE == LBN_SELCHANGE
        event = WindowEvent::Click;
    } else if (code == EN_SETFOCUS) {
        event = WindowEvent::GotFocus;
    } else {
        return;
    }
    for (const WiredEvent& wired : events_) {
        if (wired.id != id || wired.event != event)
            continue;
        run(wired.handler);
        if (event == WindowEvent::GotFocus)
            caret_to_start(control);
        return;
    }
}

void ToolWindow::caret_to_start(HWND edit) {
    PostMessageW(edit, EM_SETSEL, 0, 0);
}

void hand_over(ToolWindow& from, ToolWindow& to) {
    from.fold(true);
    UpdateWindow(from.hwnd());
    sleep_ms(500);
    RECT r;
    GetWindowRect(from.hwnd(), &r);
    SetWindowPos(to.hwnd(), nullptr, r.left, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    to.show();
    from.set_visible(false);
    from.fold(false);
}

}  // namespace korva::win32
