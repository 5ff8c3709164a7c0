// SPDX-License-Identifier: MIT
// KorvaTool.exe started in its tool modes and driven as a user would, through window messages to
// its controls: what only the Windows front end can get wrong (binding, answered message boxes,
// list extent, placement, the packages its windows make).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/codepage.h"
#include "support/script_decoder.h"
#include "win32/resource_ids.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool poll(const std::function<bool()>& done, std::chrono::milliseconds limit = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done())
            return true;
        Sleep(50);
    }
    return false;
}

std::wstring text_of(HWND hwnd) {
    wchar_t buffer[512] = {};
    SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// A program folder of its own with the catalogue set to one tool mode.
class Program {
  public:
    Program(const std::string& mode, const std::string& name,
            const std::string& language = "0x0009") {
        folder = fs::temp_directory_path() / ("korva-win32-" + name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        const fs::path built = env("KORVA_PROGRAM_DIR");
        fs::copy_file(built / "KorvaTool.exe", folder / "KorvaTool.exe");
        fs::copy_file(built / "Tool.bin", folder / "Tool.bin");
        fs::copy_file(built / "setupLaunch.exe", folder / "setupLaunch.exe");
        std::string sii = read_file(fs::path(env("KORVA_SOURCE_DIR")) / "resources" / "Tool.sii");
        const auto at = sii.find("ViewSoftware=0");
        sii.replace(at, 14, "ViewSoftware=" + mode);
        sii.replace(sii.find("Default=0x0009"), 14, "Default=" + language);
        std::ofstream(folder / "Tool.sii", std::ios::binary) << sii;
        std::ofstream(folder / "Tool.exe", std::ios::binary) << "stand-in";
    }
    ~Program() {
        if (process.hProcess) {
            TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }

    void start() {
        std::wstring line = L"\"" + (folder / "KorvaTool.exe").wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.wstring().c_str(), &startup, &process));
    }
    bool ended() { return WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0; }

    // A shown top-level window of the program that holds the control id.
    HWND window_with(int id) {
        struct Search {
            DWORD pid;
            int id;
            HWND found;
        } search{process.dwProcessId, id, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                HWND control = GetDlgItem(hwnd, s->id);
                if (pid == s->pid && IsWindowVisible(hwnd) && control && IsWindowVisible(control))
                    s->found = hwnd;
                return s->found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND wait_window(int id) {
        HWND found = nullptr;
        poll([&] { return (found = window_with(id)) != nullptr; });
        return found;
    }
    // Answers the next message box with button (IDOK, IDYES or IDNO, which only message boxes
    // hold among the program's windows), giving back its owner.
    HWND answer_box(int button) {
        HWND box = wait_window(button);
        if (!box)
            return nullptr;
        HWND owner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, button, 0);
        poll([&] { return !IsWindow(box) || !IsWindowVisible(box); });
        return owner;
    }

    fs::path folder;
    PROCESS_INFORMATION process{};
};

void set_text(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
// For clicks that may bring up a modal dialog: the test answers it meanwhile.
void click_later(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
void choose(HWND dialog, int id, int index, bool list = false) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageW(control, list ? LB_SETCURSEL : CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, list ? LBN_SELCHANGE : CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}
int list_count(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCOUNT, 0, 0));
}
bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

std::string message_text(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char buffer[512] = {};
        SendMessageA(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
        text += std::string(buffer) + "|";
    }
    return text;
}

fs::path fresh_folder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("korva-win32-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

HWND focus_of(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}
void press(HWND control, WPARAM key) {
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}
LRESULT default_button(HWND dialog) {
    return SendMessageW(dialog, DM_GETDEFID, 0, 0);
}

// Waits for the finished waiting dialog and ends the program with Enter, on its End button.
void end_when_finished(Program& program) {
    HWND wait = program.wait_window(IDC_WAIT_COM_END);
    ASSERT_NE(wait, nullptr) << "the waiting dialog never showed its End button; a box says: "
                             << message_text(program.window_with(IDOK));
    HWND end = GetDlgItem(wait, IDC_WAIT_COM_END);
    ASSERT_TRUE(poll([&] { return focus_of(wait) == end; }, 5s));
    EXPECT_EQ(default_button(wait), MAKELRESULT(IDC_WAIT_COM_END, DC_HASDEFID));
    press(end, VK_RETURN);
    EXPECT_TRUE(program.ended());
}

void create_and_end(Program& program, HWND window, int ok_id) {
    click_later(window, ok_id);
    end_when_finished(program);
}

void add_printer(HWND main, int emu, int model, const char* ip, const char* name) {
    choose(main, IDC_MAIN_EMU_NAME, emu);
    choose(main, IDC_MAIN_MODEL_NAME, model);
    set_text(main, IDC_MAIN_IP_ADDRESS, ip);
    set_text(main, IDC_MAIN_PRINTER_NAME, name);
}

TEST(Win32Program, MainWindowMakesASilentAndUserInstallPackage) {
    Program program("0", "main");
    program.start();
    HWND main = program.wait_window(IDC_MAIN_COM_OK);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(text_of(GetDlgItem(main, IDC_MAIN_PROTOCOL_RAW)), L"9100");
    EXPECT_FALSE(text_of(GetDlgItem(main, IDC_MAIN_CHK_SI)).empty());
    EXPECT_EQ(SendDlgItemMessageW(main, IDC_MAIN_PASSWORD, EM_GETPASSWORDCHAR, 0, 0), L'*');
    // Only the checked option of a group is a tab stop, and every option still checks itself.
    for (int id : {IDC_MAIN_S_YES, IDC_MAIN_S_NO}) {
        const LONG style = GetWindowLongW(GetDlgItem(main, id), GWL_STYLE);
        EXPECT_EQ((style & WS_TABSTOP) != 0, IsDlgButtonChecked(main, id) == BST_CHECKED);
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTORADIOBUTTON);
    }

    // An empty source folder: the message box belongs to the main window and is answered.
    click_later(main, IDC_MAIN_CHK_SI);
    EXPECT_EQ(program.answer_box(IDOK), main);

    const fs::path work = fresh_folder("main-work");
    fs::copy(fs::path(env("KORVA_EXAMPLES_DIR")) / "driver-package", work / "src",
             fs::copy_options::recursive);
    fs::create_directories(work / "out");
    set_text(main, IDC_MAIN_IN_PATH, (work / "src").string());
    set_text(main, IDC_MAIN_OUT_PATH, (work / "out").string() + "\\");
    click_later(main, IDC_MAIN_CHK_SI);
    HWND select = program.wait_window(IDC_SELECT_OK);
    ASSERT_NE(select, nullptr) << "the printer/PC-Fax question never came";
    EXPECT_EQ(GetWindow(select, GW_OWNER), main);
    PostMessageW(select, WM_COMMAND, IDC_SELECT_OK, 0);
    ASSERT_TRUE(poll([&] { return enabled(main, IDC_MAIN_MODEL_NAME); }));

    choose(main, IDC_MAIN_LANGUAGE_NAME, 1);
    click(main, IDC_MAIN_CHK_DLGREBOOT);
    add_printer(main, 0, 0, "10.0.0.21", "Front Desk");
    click(main, IDC_MAIN_ADD);
    add_printer(main, 1, 2, "10.0.0.22", "Back Office 2F");
    click(main, IDC_MAIN_D_NO);
    click(main, IDC_MAIN_CHK_AUTOCONFIG);
    click(main, IDC_MAIN_PR_LPR);
    set_text(main, IDC_MAIN_PROTOCOL_LPR, "lp1");
    click(main, IDC_MAIN_ADD);
    ASSERT_EQ(list_count(main, IDC_MAIN_PRINTER_LIST), 2);
    // The scroll width follows the longest entry: (bytes x 90 + 180) twips at 15 per pixel.
    int longest = 0;
    for (int i = 0; i < 2; ++i) {
        longest = std::max(longest, static_cast<int>(SendDlgItemMessageW(
                                        main, IDC_MAIN_PRINTER_LIST, LB_GETTEXTLEN, i, 0)));
    }
    EXPECT_EQ(SendDlgItemMessageW(main, IDC_MAIN_PRINTER_LIST, LB_GETHORIZONTALEXTENT, 0, 0),
              (longest * 90 + 180) / 15);
    // Picking an entry by keyboard is a Click; Delete then selects nothing by itself.
    choose(main, IDC_MAIN_PRINTER_LIST, 0, true);
    EXPECT_EQ(text_of(GetDlgItem(main, IDC_MAIN_PRINTER_NAME)), L"Front Desk");

    // Typed but never added: Create takes it along. The entry picked above left AutoConfig on.
    add_printer(main, 0, 1, "10.0.0.23", "Lab QX");
    click(main, IDC_MAIN_D_NO);
    click(main, IDC_MAIN_P_QX);
    click(main, IDC_MAIN_CHK_USERI);
    set_text(main, IDC_MAIN_PASSWORD, "Secret+1 ");
    set_text(main, IDC_MAIN_DOMAIN_NAME, "%COMPUTERNAME%");
    create_and_end(program, main, IDC_MAIN_COM_OK);

    const std::string golden =
        read_file(fs::path(env("KORVA_GOLDEN_DIR")) / "config" / "endtoend.ini");
    EXPECT_EQ(read_file(work / "out" / "Config.ini"), golden);
    EXPECT_TRUE(fs::exists(work / "out" / "setup.vbe"));
    EXPECT_TRUE(fs::exists(work / "out" / "setupUAC.vbe"));
    EXPECT_TRUE(fs::exists(work / "out" / "setupLaunch.exe"));
    EXPECT_TRUE(fs::exists(work / "out" / "setupLaunch.ini"));
}

// A user-install package made in the main window into the folder; its scripts decoded.
std::string user_install_scripts(const fs::path& out) {
    Program program("0", "main-any-name");
    program.start();
    HWND main = program.wait_window(IDC_MAIN_COM_OK);
    if (!main)
        return "no main window";
    fs::create_directories(out);
    set_text(main, IDC_MAIN_IN_PATH,
             (fs::path(env("KORVA_EXAMPLES_DIR")) / "driver-package").string());
    SendMessageW(GetDlgItem(main, IDC_MAIN_OUT_PATH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>((out.wstring() + L"\\").c_str()));
    click_later(main, IDC_MAIN_CHK_SI);
    HWND select = program.wait_window(IDC_SELECT_OK);
    if (!select)
        return "no printer/PC-Fax question";
    PostMessageW(select, WM_COMMAND, IDC_SELECT_OK, 0);
    poll([&] { return enabled(main, IDC_MAIN_MODEL_NAME); });
    add_printer(main, 0, 0, "10.0.0.21", "Front Desk");
    click(main, IDC_MAIN_CHK_USERI);
    set_text(main, IDC_MAIN_PASSWORD, "secret");
    create_and_end(program, main, IDC_MAIN_COM_OK);
    const korva::CodePage cp = korva::CodePage::system();
    return korva::decode_script(read_file(out / "setup.vbe"), cp).text +
           korva::decode_script(read_file(out / "setupUAC.vbe"), cp).text;
}

// The encoder takes its file names in the ANSI code page; names it cannot hold get the same
// scripts all the same.
TEST(Win32Program, AnyOutputFolderNameGetsTheSameScripts) {
    const fs::path work = fresh_folder("any-name");
    const std::string plain = user_install_scripts(work / "out");
    ASSERT_NE(plain.find("RunAsWithVB.exe"), std::string::npos) << plain;
    const struct {
        const char* what;
        const wchar_t* name;
    } folders[] = {{"a Latin letter", L"Ausgabe \u00eb"},
                   {"Japanese letters", L"T\u00ebst \u30c4\u30fc\u30eb"}};
    for (const auto& folder : folders)
        EXPECT_EQ(user_install_scripts(work / folder.name), plain) << folder.what;
}

TEST(Win32Program, RemovalWindowEditsItsListsAndMakesAPackage) {
    Program program("2", "removal");
    program.start();
    HWND removal = program.wait_window(IDC_REM_COM_OK);
    ASSERT_NE(removal, nullptr);
    EXPECT_FALSE(enabled(removal, IDC_REM_CB_SELECTSOFT));

    set_text(removal, IDC_REM_TXT_DELPRINTER, "Front Desk");
    click(removal, IDC_REM_CMD_DELPRINTERADD);
    set_text(removal, IDC_REM_TXT_DELPRINTER, "Lab QX");
    click(removal, IDC_REM_CMD_DELPRINTERADD);
    const std::string long_name(120, 'W');
    set_text(removal, IDC_REM_TXT_DELPRINTER, long_name);
    click(removal, IDC_REM_CMD_DELPRINTERADD);
    HWND printers = GetDlgItem(removal, IDC_REM_LST_DELPRINTER);
    RECT shown;
    GetClientRect(printers, &shown);
    EXPECT_GT(SendMessageW(printers, LB_GETHORIZONTALEXTENT, 0, 0), shown.right);
    // The Delete key acts as the Delete button, on the entry picked.
    choose(removal, IDC_REM_LST_DELPRINTER, 2, true);
    press(printers, VK_DELETE);
    ASSERT_TRUE(poll([&] { return list_count(removal, IDC_REM_LST_DELPRINTER) == 2; }, 5s));
    choose(removal, IDC_REM_LST_DELPRINTER, 1, true);
    EXPECT_TRUE(enabled(removal, IDC_REM_CMD_DELPRINTERDEL));
    click(removal, IDC_REM_CMD_DELPRINTERDEL);
    EXPECT_EQ(list_count(removal, IDC_REM_LST_DELPRINTER), 1);
    EXPECT_EQ(SendDlgItemMessageW(removal, IDC_REM_LST_DELPRINTER, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_FALSE(enabled(removal, IDC_REM_CMD_DELPRINTERDEL));
    set_text(removal, IDC_REM_TXT_DELDRIVER, "KORVA PCL6");
    click(removal, IDC_REM_CMD_DELDRIVERADD);

    const fs::path out = fresh_folder("removal-out");
    set_text(removal, IDC_REM_IN_PATH,
             (fs::path(env("KORVA_EXAMPLES_DIR")) / "eraser-folder").string());
    set_text(removal, IDC_REM_OUT_PATH, out.string());
    click(removal, IDC_REM_CHK_USERI);
    set_text(removal, IDC_REM_PASSWORD, "secret");
    create_and_end(program, removal, IDC_REM_COM_OK);
    for (const char* name : {"EraserTool.exe", "Setup.sii", "EraserTool.vbe", "EraserToolUAC.vbe",
                             "EraserToolLaunch.exe", "EraserToolLaunch.ini"})
        EXPECT_TRUE(fs::exists(out / name)) << name;
    EXPECT_NE(read_file(out / "Setup.sii").find("Front Desk"), std::string::npos);
}

TEST(Win32Program, AdministratorWindowMakesLaunchersBesideTheProgram) {
    Program program("99", "admin");
    program.start();
    HWND admin = program.wait_window(IDC_ADM_COM_OK);
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(program.window_with(IDC_MAIN_COM_OK), nullptr);
    set_text(admin, IDC_ADM_PASSWORD, "secret");
    // Create is the default button: Enter in a box creates.
    EXPECT_EQ(default_button(admin), MAKELRESULT(IDC_ADM_COM_OK, DC_HASDEFID));
    press(GetDlgItem(admin, IDC_ADM_PASSWORD), VK_RETURN);
    end_when_finished(program);
    EXPECT_TRUE(fs::exists(program.folder / "Tool.vbe"));
    EXPECT_TRUE(fs::exists(program.folder / "ToolLaunch.ini"));
    EXPECT_TRUE(fs::exists(program.folder / "ToolUAC.vbe"));
}

TEST(Win32Program, InputBoxButtonsSpeakTheCatalogueLanguage) {
    Program program("2", "input-ja", "0x0011");
    program.start();
    HWND removal = program.wait_window(IDC_REM_COM_OK);
    ASSERT_NE(removal, nullptr);
    const fs::path out = fresh_folder("input-ja-out");
    std::ofstream(out / "taken.txt") << "not empty";
    set_text(removal, IDC_REM_IN_PATH,
             (fs::path(env("KORVA_EXAMPLES_DIR")) / "eraser-folder").string());
    set_text(removal, IDC_REM_OUT_PATH, out.string());
    // A folder that is not empty: Yes to a sub-folder brings the input box for its name.
    click_later(removal, IDC_REM_COM_OK);
    ASSERT_NE(program.answer_box(IDYES), nullptr);
    HWND input = program.wait_window(IDC_INPUT_ANSWER);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(text_of(GetDlgItem(input, IDCANCEL)), L"キャンセル");
    PostMessageW(input, WM_COMMAND, IDCANCEL, 0);
}

// The common file dialog's file name box (cmb13), filled and confirmed as a user would.
constexpr int kFileNameBox = 1148;

void answer_file_dialog(Program& program, const fs::path& path) {
    HWND dialog = program.wait_window(kFileNameBox);
    ASSERT_NE(dialog, nullptr) << "the file dialog never came";
    SetDlgItemTextW(dialog, kFileNameBox, path.wstring().c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(Win32Program, OpenJobFillsTheWindowAndSaveJobWritesWhatItHolds) {
    Program program("0", "jobs");
    program.start();
    HWND main = program.wait_window(IDC_MAIN_COM_OPENJOB);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(text_of(GetDlgItem(main, IDC_MAIN_COM_OPENJOB)), L"Open job...");

    const fs::path work = fresh_folder("jobs-work");
    const fs::path examples(env("KORVA_EXAMPLES_DIR"));
    fs::copy(examples / "driver-package", work / "driver-package", fs::copy_options::recursive);
    fs::copy_file(examples / "silent-and-user.job", work / "site.job");
    click_later(main, IDC_MAIN_COM_OPENJOB);
    answer_file_dialog(program, work / "site.job");
    ASSERT_TRUE(poll([&] { return list_count(main, IDC_MAIN_PRINTER_LIST) == 3; }));
    EXPECT_EQ(SendDlgItemMessageW(main, IDC_MAIN_CHK_USERI, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(text_of(GetDlgItem(main, IDC_MAIN_DOMAIN_NAME)), L"%COMPUTERNAME%");

    click_later(main, IDC_MAIN_COM_SAVEJOB);
    answer_file_dialog(program, work / "saved");
    ASSERT_TRUE(poll([&] { return fs::exists(work / "saved.job"); }));
    const std::string saved = read_file(work / "saved.job");
    EXPECT_NE(saved.find("[Printer3]\r\nModel=KORVA A3010\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Source=driver-package\r\n"), std::string::npos) << saved;
}

std::string stored(const char* key) {
    char value[64] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Tool\\Main", key,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

void store(const char* key, const char* value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Tool\\Main", key,
                    REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

// The prefix outlives the test: a placement left behind would open every later window there.
struct ForgetPlacement {
    ~ForgetPlacement() {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Tool");
    }
};

TEST(Win32Program, PlacementReopensWhereAndHowTheWindowClosed) {
    const ForgetPlacement forget;
    store("Left", "1500");
    store("Top", "1200");
    store("WindowState", "0");
    Program program("0", "placement");
    program.start();
    HWND main = program.wait_window(IDC_MAIN_COM_OK);
    ASSERT_NE(main, nullptr);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(main, &placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 100);
    EXPECT_EQ(placement.rcNormalPosition.top, 80);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 14700 / 15);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 8100 / 15);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.ended());
    EXPECT_EQ(stored("Left"), "1500");
    EXPECT_EQ(stored("Top"), "1200");

    Program again("0", "placement-max");
    again.start();
    main = again.wait_window(IDC_MAIN_COM_OK);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(poll([&] { return IsZoomed(main) != 0; }));
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(again.ended());
    EXPECT_EQ(stored("WindowState"), "2");
    EXPECT_EQ(stored("Left"), "1500");

    Program third("0", "placement-reopen");
    third.start();
    main = third.wait_window(IDC_MAIN_COM_OK);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(poll([&] { return IsZoomed(main) != 0; }, 5s));
}

// Wine reads the DPI from the user's desktop settings as each program starts; the prefix
// outlives the test, so the value is put back.
struct SystemDpi {
    explicit SystemDpi(DWORD dpi) { set(dpi); }
    ~SystemDpi() { set(96); }
    static void set(DWORD dpi) {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi,
                        sizeof dpi);
    }
};

bool lies_within(const RECT& inner, const RECT& outer) {
    RECT both;
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

TEST(Win32Program, At144DpiOnASmallScreenEveryButtonStaysInsideTheWindow) {
    const ForgetPlacement forget;
    const SystemDpi dpi(144);
    Program program("0", "dpi144");
    program.start();
    HWND main = program.wait_window(IDC_MAIN_COM_OK);
    ASSERT_NE(main, nullptr);
    RECT add;
    GetWindowRect(GetDlgItem(main, IDC_MAIN_ADD), &add);
    // 14 dialog units: 23 pixels at 96 DPI, half again as many at 144.
    ASSERT_GE(add.bottom - add.top, 32) << "the program did not run at 144 DPI";
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT window;
    GetWindowRect(main, &window);
    EXPECT_TRUE(lies_within(window, screen));
    RECT client;
    GetClientRect(main, &client);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (int id : {IDC_MAIN_COM_OK, IDC_MAIN_COM_END, IDC_MAIN_ADD, IDC_MAIN_DELETE}) {
        RECT button;
        GetWindowRect(GetDlgItem(main, id), &button);
        EXPECT_TRUE(lies_within(button, client) && lies_within(button, screen)) << id;
    }
}

}  // namespace
