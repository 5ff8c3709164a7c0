// SPDX-License-Identifier: MIT
// The kind of a control is read from its window class and button style, so the table needs only
// names and numbers. Texts are compared before they are set: setting an edit box's text moves
// its caret, and redrawing every label after each click makes the window flicker.
#include "win32/form_binder_win.h"

#include <commctrl.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/codepage.h"

namespace korva::win32 {

std::wstring wide(const std::string& utf8) {
    return utf8_to_utf16(utf8);
}

std::string narrow(const std::wstring& utf16) {
    return utf16_to_utf8(utf16);
}

std::string window_text(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return narrow(text);
}

namespace {

enum class Kind { Label, Frame, Check, Option, Push, Edit, Combo, List, Other };

Kind kind_of(HWND hwnd) {
    wchar_t name[32] = {};
    GetClassNameW(hwnd, name, 32);
    if (_wcsicmp(name, WC_EDITW) == 0)
        return Kind::Edit;
    if (_wcsicmp(name, WC_COMBOBOXW) == 0)
        return Kind::Combo;
    if (_wcsicmp(name, WC_LISTBOXW) == 0)
        return Kind::List;
    if (_wcsicmp(name, WC_STATICW) == 0)
        return Kind::Label;
    if (_wcsicmp(name, WC_BUTTONW) != 0)
        return Kind::Other;
    switch (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return Kind::Frame;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return Kind::Check;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return Kind::Option;
        default:
            return Kind::Push;
    }
}

void set_text(HWND hwnd, const std::string& text) {
    if (window_text(hwnd) != text)
        SetWindowTextW(hwnd, wide(text).c_str());
}

// The items of a drop-down or a list box, which answer the same three questions under messages
// of their own.
std::vector<std::string> items_of(HWND hwnd, bool combo) {
    const UINT count_message = combo ? CB_GETCOUNT : LB_GETCOUNT;
    const UINT length_message = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT text_message = combo ? CB_GETLBTEXT : LB_GETTEXT;
    std::vector<std::string> items;
    const auto count = SendMessageW(hwnd, count_message, 0, 0);
    for (WPARAM i = 0; i < static_cast<WPARAM>(count > 0 ? count : 0); ++i) {
        const auto length = SendMessageW(hwnd, length_message, i, 0);
        std::wstring item(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(hwnd, text_message, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        items.push_back(narrow(item));
    }
    return items;
}

void push_list(HWND hwnd, Kind kind, const ListControl& control) {
    const std::vector<std::string>& items = control.list->items;
    const bool combo = kind == Kind::Combo;
    if (items_of(hwnd, combo) != items) {
        SendMessageW(hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            const std::wstring text = wide(item);
            SendMessageW(hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    // An index of -1 clears the selection; neither message notifies the window.
    const auto index = static_cast<WPARAM>(control.list->index);
    SendMessageW(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
}

// The model sets every option of a group itself. Checking an automatic option would also walk
// its group to clear the others, which under Wine costs several milliseconds each time; for
// that one message it is a plain option. The message also keeps the tab stop on the checked
// option only, so it is sent for every option.
void set_check(HWND hwnd, bool checked) {
    const auto style = static_cast<WPARAM>(GetWindowLongW(hwnd, GWL_STYLE) & 0xFFFF);
    const bool automatic = checked && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    if (automatic)
        SendMessageW(hwnd, BM_SETSTYLE, (style & ~BS_TYPEMASK) | BS_RADIOBUTTON, FALSE);
    SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (automatic)
        SendMessageW(hwnd, BM_SETSTYLE, style, FALSE);
}

void push_control(HWND hwnd, Control& control) {
    const Kind kind = kind_of(hwnd);
    if (auto* list_control = dynamic_cast<const ListControl*>(&control)) {
        push_list(hwnd, kind, *list_control);
    } else if (kind == Kind::Edit) {
        set_text(hwnd, control.text);
        if (std::exchange(control.select_text, false))
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
    } else if (kind != Kind::Other) {
        set_text(hwnd, control.caption);
        if (kind == Kind::Check || kind == Kind::Option)
            set_check(hwnd, control.value != 0);
    }
    if (static_cast<bool>(IsWindowEnabled(hwnd)) != control.enabled)
        EnableWindow(hwnd, control.enabled ? TRUE : FALSE);
    const bool visible = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != control.visible)
        ShowWindow(hwnd, control.visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

FormBinder::FormBinder(HWND dialog, const char* window_name, ControlTable controls,
                       std::span<const ControlId> ids)
    : dialog_(dialog), window_name_(window_name), controls_(std::move(controls)), ids_(ids) {}

int FormBinder::id_of(const std::string& name) const {
    for (const ControlId& entry : ids_) {
        if (name == entry.name)
            return entry.id;
    }
    return 0;
}

HWND FormBinder::control_of(const char* name) const {
    const int id = id_of(name);
    return id != 0 ? GetDlgItem(dialog_, id) : nullptr;
}

std::vector<std::string> FormBinder::unbound() const {
    std::vector<std::string> names;
    for (const auto& [name, control] : controls_) {
        if (std::strcmp(name, window_name_) != 0 && !control_of(name))
            names.push_back(name);
    }
    return names;
}

void FormBinder::push() {
    pushing_ = true;
    for (const auto& [name, control] : controls_) {
        if (std::strcmp(name, window_name_) == 0) {
            set_text(dialog_, control->caption);
        } else if (HWND hwnd = control_of(name)) {
            push_control(hwnd, *control);
        }
    }
    pushing_ = false;
}

void FormBinder::pull() {
    for (const auto& [name, control] : controls_) {
        HWND hwnd = control_of(name);
        if (!hwnd)
            continue;
        const Kind kind = kind_of(hwnd);
        if (auto* list_control = dynamic_cast<ListControl*>(control)) {
            const auto index =
                SendMessageW(hwnd, kind == Kind::Combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
            list_control->list->index = index < 0 ? -1 : static_cast<int>(index);
        } else if (kind == Kind::Edit) {
            control->text = window_text(hwnd);
        } else if (kind == Kind::Check || kind == Kind::Option) {
            control->value = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        }
    }
}

}  // namespace korva::win32
