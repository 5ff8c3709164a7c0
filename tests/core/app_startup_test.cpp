// SPDX-License-Identifier: MIT
// The main window's start-up: captions, tool modes, initial states, and the stored placement.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/placement.h"
#include "app/session.h"
#include "support/form_fixture.h"
#include "support/scripted_prompter.h"

namespace korva {
namespace {

// A second [Setup] section would never be read (the first match wins), so the line goes into the
// catalogue's own one.
std::string catalogue_with_mode(const std::string& mode_line) {
    std::string text = test::key_named_catalogue();
    text.insert(text.find("[Setup]\r\n") + 9, mode_line + "\r\n");
    return text;
}

TEST(Startup, CaptionsComeFromTheLanguageSection) {
    test::FormFixture fx;
    MainForm& f = *fx.form;
    EXPECT_EQ(f.Label1.caption, "InputPath");
    EXPECT_EQ(f.Frame7.caption, "ChkSI");
    EXPECT_EQ(f.Chk_SI.caption, "ChkSI");
    EXPECT_EQ(f.S_No.caption, "ChkNo");
    EXPECT_EQ(f.Label14.caption, "SelectSoft");
    EXPECT_EQ(f.Chk_AutoConfig.caption, "ChkAutoconfig");
    EXPECT_EQ(f.Model_Name.list->items, std::vector<std::string>{"MsgSilent"});
    EXPECT_EQ(f.Emu_Name.list->items, std::vector<std::string>{"MsgEmu"});
    EXPECT_EQ(f.Language_Name.list->items, std::vector<std::string>{"MsgLang"});
}

// The fixture's catalogue holds every key as its own text, so a control showing another key's
// name was wired to the wrong key.
TEST(Startup, EveryCaptionComesFromItsOwnKey) {
    test::FormFixture fx;
    MainForm& f = *fx.form;
    const std::pair<Control*, const char*> expected[] = {{&f.Label1, "InputPath"},
                                                         {&f.Label2, "OutputPath"},
                                                         {&f.Com_Brow, "BrowButtom"},
                                                         {&f.Frame3, "FrmFunction"},
                                                         {&f.Label15, "FrmLanguage"},
                                                         {&f.Chk_SI, "ChkSI"},
                                                         {&f.Chk_UserI, "ChkUserI"},
                                                         {&f.Frame7, "ChkSI"},
                                                         {&f.Frame5, "FrmInstDrv"},
                                                         {&f.Label10, "LblAddDrv"},
                                                         {&f.Label3, "LblModel"},
                                                         {&f.Label11, "LblEmu"},
                                                         {&f.Frame1, "FrmDef"},
                                                         {&f.D_Yes, "ChkYes"},
                                                         {&f.D_No, "ChkNo"},
                                                         {&f.Label5, "LblMFPIP"},
                                                         {&f.Label4, "LblPrn"},
                                                         {&f.Add, "ComAdd"},
                                                         {&f.Delete, "ComDel"},
                                                         {&f.Frame2, "FrmComp"},
                                                         {&f.S_Yes, "ChkYes"},
                                                         {&f.S_No, "ChkNo"},
                                                         {&f.Frame6, "ChkUserI"},
                                                         {&f.Label6, "LblAcc"},
                                                         {&f.Label8, "LblDom"},
                                                         {&f.Label9, "LblPass"},
                                                         {&f.Com_OK, "ComOK"},
                                                         {&f.Com_End, "ComEnd"},
                                                         {&f.Frame4, "LblPort"},
                                                         {&f.P_Standard, "ChkStandard"},
                                                         {&f.P_Qx, "ChkQx"},
                                                         {&f.Frame8, "LblProtcol"},
                                                         {&f.Pr_Raw, "ChkRaw"},
                                                         {&f.Pr_Lpr, "ChkLpr"},
                                                         {&f.Label12, "LblPortN"},
                                                         {&f.Label13, "LblQueue"},
                                                         {&f.Label14, "SelectSoft"},
                                                         {&f.Chk_DlgReboot, "ChkDlgReboot"},
                                                         {&f.Chk_AutoConfig, "ChkAutoconfig"}};
    for (const auto& [control, key] : expected)
        EXPECT_EQ(control->caption, key);
    EXPECT_EQ(f.Main.caption, "");  // the window title is start-up's, not a caption key
}

// Whatever lies beside the program, start-up finishes; lookups then give what the profile reader
// finds, which for a damaged file is some texts or none.
TEST(Startup, DamagedCataloguesNeverStopStartUp) {
    const std::string good = test::key_named_catalogue();
    auto line_ends = [&](const char* end) {
        std::string text;
        for (char c : good) {
            if (c == '\r')
                continue;
            if (c == '\n')
                text += end;
            else
                text += c;
        }
        return text;
    };
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 151 + 7) % 256);
    std::string with_nul = good;
    with_nul.replace(with_nul.find("InputPath=InputPath"), 19,
                     std::string("InputPath=Inp\0utPath", 21));
    std::string long_line = good;
    long_line.insert(long_line.find("InputPath="), "Long=" + std::string(100000, 'x') + "\r\n");
    const std::string truncated = good.substr(0, good.find("LblMFPIP=") + 4);

    struct Case {
        const char* name;
        std::string text;
        std::string label1;  // first caption of the language section
        std::string label5;  // a caption after the cut of the truncated file
    };
    const Case cases[] = {
        {"empty", "", "", ""},
        {"binary", binary, "", ""},
        {"truncated", truncated, "InputPath", ""},
        // The mark hides [Languages] on line 1, so no language section is chosen.
        {"byte-order mark", "\xEF\xBB\xBF" + good, "", ""},
        {"CR only", line_ends("\r"), "InputPath", "LblMFPIP"},
        {"LF only", line_ends("\n"), "InputPath", "LblMFPIP"},
        {"NUL in a value", with_nul, "Inp", "LblMFPIP"},
        {"100000-byte line", long_line, "InputPath", "LblMFPIP"},
    };
    for (const Case& c : cases) {
        test::FormFixture fx(c.text);
        const MainForm& f = *fx.form;
        EXPECT_EQ(f.Label1.caption, c.label1) << c.name;
        EXPECT_EQ(f.Label5.caption, c.label5) << c.name;
        EXPECT_EQ(f.View_Mode, "0") << c.name;
        EXPECT_EQ(f.cb_SelectSoft.item_data, (std::vector<int>{1, 2})) << c.name;
        EXPECT_EQ(f.Protocol_Raw.text, "9100") << c.name;
        EXPECT_FALSE(f.Com_OK.enabled) << c.name;
    }
}

TEST(Startup, ToolModeFillsTheSelector) {
    struct Case {
        std::string line;
        std::vector<std::string> items;
        std::vector<int> data;
        bool enabled;
        std::string mode;
    };
    const std::vector<Case> cases = {
        {"ViewSoftware=1", {"SelectSoftware1"}, {1}, false, "1"},
        {"ViewSoftware=2", {"SelectSoftware2"}, {2}, false, "2"},
        {"ViewSoftware=99", {}, {}, true, "99"},
        {"ViewSoftware=0", {"SelectSoftware1", "SelectSoftware2"}, {1, 2}, true, "0"},
        {"ViewSoftware=", {"SelectSoftware1", "SelectSoftware2"}, {1, 2}, true, "0"},
        {"ViewSoftware=7", {"SelectSoftware1", "SelectSoftware2"}, {1, 2}, true, "7"},
        {"", {"SelectSoftware1", "SelectSoftware2"}, {1, 2}, true, "0"},
    };
    for (const Case& c : cases) {
        test::FormFixture fx(catalogue_with_mode(c.line));
        const ListControl& selector = fx.form->cb_SelectSoft;
        EXPECT_EQ(fx.form->View_Mode, c.mode) << c.line;
        EXPECT_EQ(selector.list->items, c.items) << c.line;
        EXPECT_EQ(selector.item_data, c.data) << c.line;
        EXPECT_EQ(selector.enabled, c.enabled) << c.line;
        EXPECT_EQ(selector.list->index, c.items.empty() ? -1 : 0) << c.line;
    }
}

// The run reads Tool.sii once: what the windows show later comes from that one reading.
TEST(Startup, TheSessionReadsTheCatalogueOnceAndOpensTheWindowOfItsToolMode) {
    const struct {
        const char* mode;
        std::string opened;
    } cases[] = {{"2", "removal"}, {"99", "administrator"}, {"1", "installer"}, {"7", "installer"}};
    for (const auto& c : cases) {
        test::TempDir program;
        program.write("Tool.sii", std::string("[Languages]\r\nDefault=0x0011\r\n[Setup]\r\n") +
                                      "ViewSoftware=" + c.mode +
                                      "\r\nAppNameJp=Tool JP\r\nVersion=1.0\r\n"
                                      "[StringJp]\r\nChkSI=Silent JP\r\n");
        Session session(program.folder());
        std::filesystem::remove(program.path() / "Tool.sii");
        test::ScriptedPrompter prompter;
        session.start(prompter, [] {});
        std::string opened;
        session.open_first({[&] { opened += "installer"; }, [&] { opened += "removal"; },
                            [&] { opened += "administrator"; }});
        EXPECT_EQ(opened, c.opened) << c.mode;
        EXPECT_EQ(session.language().LangSelect, "StringJp");
        EXPECT_EQ(session.main_form().Main.caption, "Tool JP 1.0");
        EXPECT_EQ(session.main_form().Chk_SI.caption, "Silent JP");
        EXPECT_EQ(&session.removal_form(), &session.removal_form());
    }
}

// The job buttons too: a job can be opened before anything is typed.
TEST(Startup, OnlyPathsFunctionsSelectorJobsAndEndAreUsable) {
    test::FormFixture fx;
    MainForm& f = *fx.form;
    std::vector<std::string> enabled;
    for (const auto& [name, control] : f.controls()) {
        if (control->enabled)
            enabled.push_back(name);
    }
    EXPECT_EQ(enabled,
              (std::vector<std::string>{"Main", "Label14", "cb_SelectSoft", "Label1", "In_Path",
                                        "Label2", "Out_Path", "Com_Brow", "Frame3", "Chk_SI",
                                        "Chk_UserI", "Com_End", "Com_OpenJob", "Com_SaveJob"}));
}

TEST(Startup, InitialValuesOfTheEntryFields) {
    test::FormFixture fx;
    MainForm& f = *fx.form;
    EXPECT_EQ(f.D_Yes.value, 1);
    EXPECT_EQ(f.S_No.value, 1);
    EXPECT_EQ(f.S_Yes.value, 0);
    EXPECT_EQ(f.P_Standard.value, 1);
    EXPECT_EQ(f.Pr_Raw.value, 1);
    EXPECT_EQ(f.Chk_AutoConfig.value, 1);
    EXPECT_EQ(f.Chk_SI.value, 0);
    EXPECT_EQ(f.Protocol_Raw.text, "9100");
    EXPECT_EQ(f.Domain_Name.text, "%USERDNSDOMAIN%");
    EXPECT_EQ(f.Acount_Name.text, "Administrator");
    EXPECT_EQ(f.Password.text, "");
    EXPECT_EQ(f.Engine_Dll.size(), 7u);
    EXPECT_EQ(f.Engine_V5, (std::vector<std::string>{"setup.exe", "setup.dll", "setup7.dll"}));
}

TEST(Startup, MissingCatalogueStillStartsWithEmptyCaptions) {
    test::FormFixture fx("");
    EXPECT_EQ(fx.form->Label1.caption, "");
    EXPECT_EQ(fx.form->View_Mode, "0");
    EXPECT_EQ(fx.form->cb_SelectSoft.list->count(), 2);
}

TEST(Placement, DefaultsComeFromTheScreenWithIntegerDivision) {
    MemorySettingsStore store;
    Placement p = read_placement(store, 15360, 11520);
    EXPECT_EQ(p.left, 330);
    EXPECT_EQ(p.top, 1710);
    EXPECT_EQ(p.width, 14700);
    EXPECT_EQ(p.height, 8100);
    EXPECT_EQ(p.window_state, 0);
    EXPECT_EQ(read_placement(store, 12000, 11520).left, -1350);
}

TEST(Placement, MaximisedCloseKeepsThePositionAndNonNumbersReadAsZero) {
    MemorySettingsStore store;
    save_placement(store, 0, 100, 200);
    save_placement(store, 2, 999, 999);
    Placement p = read_placement(store, 15360, 11520);
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.top, 200);
    EXPECT_EQ(p.window_state, 2);
    store.set("Tool", "Main", "Left", "abc");
    store.set("Tool", "Main", "Width", "");
    p = read_placement(store, 15360, 11520);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.width, 0);
}

TEST(Placement, StoredTextReadsAsItsLeadingNumber) {
    const std::pair<const char*, int> cases[] = {
        {"330", 330}, {"-1350", -1350}, {" 42", 42}, {"+7", 7},  {"12abc", 12},
        {"2.6", 3},   {"1e3", 1000},    {"0x10", 0}, {"inf", 0}, {"nan", 0},
        {"-", 0},     {".", 0},         {"abc", 0},  {"", 0},    {"99999999999", 0}};
    for (const auto& [text, number] : cases)
        EXPECT_EQ(stored_number(std::string(text)), number) << text;
    EXPECT_EQ(stored_number(std::nullopt), 0);
}

TEST(Placement, AWindowWhollyOffEveryScreenMovesBackButPartlyVisibleStays) {
    const std::vector<ScreenRect> screens = {{0, 0, 15360, 11520}};
    Placement gone;
    gone.left = 40000;
    gone.top = 100;
    Placement moved = keep_on_screen(gone, screens, 15360, 11520);
    EXPECT_EQ(moved.left, 330);
    EXPECT_EQ(moved.top, 1710);
    Placement partly;
    partly.left = 15000;
    partly.top = 100;
    EXPECT_EQ(keep_on_screen(partly, screens, 15360, 11520).left, 15000);
}

}  // namespace
}  // namespace korva
