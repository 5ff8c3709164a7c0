// SPDX-License-Identifier: MIT
// Message boxes carry no icon (style 0) and only the buttons the caller asks for; Windows puts
// its own language on them. The input box and the selection are small templates of our own,
// their buttons in the catalogue's language.
#include "win32/prompter_win.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "win32/form_binder_win.h"
#include "win32/resource_ids.h"
#include "win32/system_dll_win.h"

namespace korva::win32 {

namespace {

struct InputState {
    std::wstring prompt;
    std::wstring title;
    std::wstring answer;
    std::wstring ok;
    std::wstring cancel;
};

INT_PTR CALLBACK input_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<InputState*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lparam);
        SetWindowTextW(hwnd, state->title.c_str());
        SetDlgItemTextW(hwnd, IDC_INPUT_PROMPT, state->prompt.c_str());
        SetDlgItemTextW(hwnd, IDC_INPUT_ANSWER, state->answer.c_str());
        SetDlgItemTextW(hwnd, IDOK, state->ok.c_str());
        SetDlgItemTextW(hwnd, IDCANCEL, state->cancel.c_str());
        HWND answer = GetDlgItem(hwnd, IDC_INPUT_ANSWER);
        SetFocus(answer);
        SendMessageW(answer, EM_SETSEL, 0, -1);
        return FALSE;
    }
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        if (LOWORD(wparam) == IDOK) {
            auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            state->answer = wide(window_text(GetDlgItem(hwnd, IDC_INPUT_ANSWER)));
        }
        EndDialog(hwnd, LOWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

struct SelectState {
    const Catalogue* catalogue;
    DriverKind kind;
};

void load_select_texts(HWND hwnd, const Catalogue& cat) {
    SetWindowTextW(hwnd, wide(cat.text("MsgSelect")).c_str());
    SetDlgItemTextW(hwnd, IDC_SELECT_LABEL1,
                    wide(cat.text("MsgMore") + "\r\n" + cat.text("MsgWhich")).c_str());
    SetDlgItemTextW(hwnd, IDC_SELECT_FRAME1, wide(cat.text("MsgDriver")).c_str());
    SetDlgItemTextW(hwnd, IDC_SELECT_OPT_PRT, wide(cat.text("MsgPrn")).c_str());
    SetDlgItemTextW(hwnd, IDC_SELECT_OPT_FAX, wide(cat.text("MsgFax")).c_str());
    SetDlgItemTextW(hwnd, IDC_SELECT_OK, wide(cat.text("MsgOk")).c_str());
    SetDlgItemTextW(hwnd, IDC_SELECT_CANCEL, wide(cat.text("MsgCancel")).c_str());
}

INT_PTR CALLBACK select_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<SelectState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        state = reinterpret_cast<SelectState*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lparam);
        load_select_texts(hwnd, *state->catalogue);
        CheckRadioButton(
            hwnd, IDC_SELECT_OPT_PRT, IDC_SELECT_OPT_FAX,
            state->kind == DriverKind::Printer ? IDC_SELECT_OPT_PRT : IDC_SELECT_OPT_FAX);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:
        case IDC_SELECT_OK:
        case IDC_SELECT_CANCEL:
            state->kind = IsDlgButtonChecked(hwnd, IDC_SELECT_OPT_FAX) == BST_CHECKED
                              ? DriverKind::Pcfax
                              : DriverKind::Printer;
            EndDialog(hwnd, IDOK);
            return TRUE;
        default:
            return FALSE;
    }
}

void free_task_memory(void* memory) {
    static const auto free_memory =
        system_function<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (free_memory)
        free_memory(memory);
}

}  // namespace

WinPrompter::WinPrompter(const Catalogue& catalogue)
    : catalogue_(catalogue.with_section(catalogue.section(), kDialogBuffer)) {}

WinPrompter::~WinPrompter() {
    static const auto leave =
        system_function<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    if (in_apartment_ && leave)
        leave();
}

void WinPrompter::enter_apartment() {
    if (in_apartment_)
        return;
    static const auto enter =
        system_function<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    in_apartment_ = enter && SUCCEEDED(enter(nullptr, COINIT_APARTMENTTHREADED));
}

HWND WinPrompter::owner() const {
    if (stand_in_ && IsWindowVisible(stand_in_) && !(owner_ && IsWindowVisible(owner_)))
        return stand_in_;
    return owner_;
}

void WinPrompter::message(const std::string& text, const std::string& title) {
    MessageBoxW(owner(), wide(text).c_str(), wide(title).c_str(), MB_OK);
}

bool WinPrompter::ask_yes_no(const std::string& text, const std::string& title) {
    return MessageBoxW(owner(), wide(text).c_str(), wide(title).c_str(), MB_YESNO) == IDYES;
}

std::optional<std::string> WinPrompter::input(const std::string& prompt, const std::string& title,
                                              const std::string& default_answer) {
    InputState state{wide(prompt), wide(title), wide(default_answer),
                     wide(catalogue_.text("MsgOk")), wide(catalogue_.text("MsgCancel"))};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INPUT),
                                           owner(), input_proc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK)
        return std::nullopt;
    return narrow(state.answer);
}

// The shell returns an item list; an item without a file-system path (a virtual folder) still
// counts as chosen and gives the empty text.
std::optional<std::string> WinPrompter::browse_folder() {
    static const auto browse =
        system_function<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    static const auto path_of =
        system_function<decltype(&SHGetPathFromIDListEx)>(L"shell32.dll", "SHGetPathFromIDListEx");
    if (!browse || !path_of)
        return std::nullopt;
    enter_apartment();
    BROWSEINFOW info{};
    info.hwndOwner = owner();
    info.lpszTitle = L"";
    info.ulFlags = 0;
    PIDLIST_ABSOLUTE chosen = browse(&info);
    if (!chosen)
        return std::nullopt;
    std::wstring path(32768, L'\0');
    if (!path_of(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
        path[0] = L'\0';
    free_task_memory(chosen);
    path.resize(wcslen(path.c_str()));
    return narrow(path);
}

DriverKind WinPrompter::select_driver_kind() {
    SelectState state{&catalogue_, last_kind_};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SELECT), owner(), select_proc,
                    reinterpret_cast<LPARAM>(&state));
    last_kind_ = state.kind;
    return last_kind_;
}

// The common file dialog, in the folder it remembers, asking before it replaces a job.
std::optional<std::string> WinPrompter::job_file(bool for_saving, const std::string& title,
                                                 const std::string& filter_name) {
    static const auto open_name =
        system_function<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    static const auto save_name =
        system_function<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    if (!open_name || !save_name)
        return std::nullopt;
    enter_apartment();
    const std::wstring wide_title = wide(title);
    std::wstring filter = wide(filter_name + " (*.job)");
    filter += L'\0';
    filter += L"*.job";
    filter += L'\0';
    filter += L'\0';
    std::wstring path(32768, L'\0');
    OPENFILENAMEW file{};
    file.lStructSize = sizeof file;
    file.hwndOwner = owner();
    file.lpstrFilter = filter.c_str();
    file.lpstrFile = path.data();
    file.nMaxFile = static_cast<DWORD>(path.size());
    file.lpstrTitle = wide_title.c_str();
    file.lpstrDefExt = L"job";
    file.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                 (for_saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = for_saving ? save_name(&file) : open_name(&file);
    if (!chosen)
        return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return narrow(path);
}

}  // namespace korva::win32
