// SPDX-License-Identifier: MIT
// The removal window's rules without a display: start-up, the two deletion lists, the checks
// before Create, and Create itself on the example removal folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "eraser/rem_form.h"
#include "platform/filesystem.h"
#include "support/cabinet.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva::eraser {
namespace {

namespace fs = std::filesystem;

const char* const kRemovalKeys[] = {"Lbl_In_Path",
                                    "Lbl_Out_Path",
                                    "Com_Brow",
                                    "Fra_Dialog",
                                    "Opt_Dialog1",
                                    "Opt_Dialog2",
                                    "Chk_QX1",
                                    "Chk_QX2",
                                    "Fra_DelPrinter",
                                    "Cmd_DelPrinterAdd",
                                    "Cmd_DelPrinterEdt",
                                    "Cmd_DelPrinterDel",
                                    "Fra_DelDriver",
                                    "Cmd_DelDriverAdd",
                                    "Cmd_DelDriverEdt",
                                    "Cmd_DelDriverDel",
                                    "Fra_UserI",
                                    "Chk_UserI",
                                    "Fra_Admin",
                                    "Lbl_Acount_Name",
                                    "Lbl_Domain_Name",
                                    "Lbl_Password",
                                    "Com_OK",
                                    "Com_End",
                                    "MsgErr",
                                    "MsgErrInPath1",
                                    "MsgErrOutPath1",
                                    "MsgErrAcc",
                                    "MsgErrDom",
                                    "MsgErrInOut",
                                    "MsgErrAnother",
                                    "MsgErrInPath3",
                                    "MsgErrInPath2",
                                    "MsgErrChk",
                                    "MsgErrDrvPath",
                                    "MsgErrOutPath2",
                                    "MsgErrOutPath3",
                                    "MsgErrCreate1",
                                    "MsgErrCreate2",
                                    "MsgErrCreateName",
                                    "MsgErrCreateOP",
                                    "MsgErrCreateFolder",
                                    "MsgErrCreateFName",
                                    "MsgErrCreateExit",
                                    "MsgErrCreateAnother",
                                    "MsgErrOutPath4",
                                    "MsgErrCopy",
                                    "MsgErrOneMore",
                                    "MsgErrSetup"};

// The removal section's texts are their key names; Fra_QX is longer than the window's buffer.
// The main section holds the selector's texts and, under the removal keys, texts that must not
// show up in this window.
std::string removal_catalogue(const std::string& language = "0x0009") {
    std::string text = "[Languages]\r\nDefault=" + language + "\r\n[StringEn2]\r\n";
    for (const char* key : kRemovalKeys)
        text += std::string(key) + "=" + key + "\r\n";
    text += "MsgErrCtrlChar=MsgErrCtrlChar\r\nMsgErrQuote=MsgErrQuote\r\n";
    text += "MsgErrCharPercent=MsgErrCharPercent\r\nMsgErrFolderRead=MsgErrFolderRead %1\r\n";
    text += "Fra_QX=" + std::string(600, 'q') + "\r\n";
    text += "SelectSoft=wrong section\r\nSelectSoftware1=wrong\r\nSelectSoftware2=wrong\r\n";
    text +=
        "[StringEn]\r\nSelectSoft=Tool:\r\nSelectSoftware1=Installer\r\n"
        "SelectSoftware2=Remover\r\nMsgErr=main\r\nMsgErrInPath1=main\r\nMsgErrInOut=main\r\n";
    return text;
}

std::vector<std::string> tree(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Fixture {
    explicit Fixture(const std::string& View_Mode = "0", const std::string& language = "0x0009")
        : catalogue(program.write("Tool.sii", removal_catalogue(language)), "StringEn",
                    kMainBuffer),
          ctx{catalogue, prompter,         real_file_system(), CodePage::system(),
              [] {},     program.folder(), system.folder()},
          form(ctx, "StringEn") {
        form.Form_Load_controls(View_Mode, "Main title V1");
    }

    test::TempDir program;
    test::TempDir system;
    test::ScriptedPrompter prompter;
    Catalogue catalogue;
    Context ctx;
    RemForm form;
};

TEST(RemovalStartUp, CaptionsFromTheRemovalSectionThroughItsBuffer) {
    Fixture f;
    RemForm& r = f.form;
    // Control arrays count from 0, their keys from 1.
    const std::pair<const Control*, std::string> expected[] = {
        {&r.Rem_Frm, "Main title V1"},
        {&r.Lbl_In_Path, "Lbl_In_Path"},
        {&r.Lbl_Out_Path, "Lbl_Out_Path"},
        {&r.Com_Brow, "Com_Brow"},
        {&r.Fra_Dialog, "Fra_Dialog"},
        {&r.Opt_Dialog0, "Opt_Dialog1"},
        {&r.Opt_Dialog1, "Opt_Dialog2"},
        {&r.Fra_QX, std::string(499, 'q')},
        {&r.Chk_QX0, "Chk_QX1"},
        {&r.Chk_QX1, "Chk_QX2"},
        {&r.Fra_DelPrinter, "Fra_DelPrinter"},
        {&r.Cmd_DelPrinterAdd, "Cmd_DelPrinterAdd"},
        {&r.Cmd_DelPrinterDel, "Cmd_DelPrinterDel"},
        {&r.Fra_DelDriver, "Fra_DelDriver"},
        {&r.Cmd_DelDriverAdd, "Cmd_DelDriverAdd"},
        {&r.Cmd_DelDriverDel, "Cmd_DelDriverDel"},
        {&r.Fra_UserI, "Fra_UserI"},
        {&r.Chk_UserI, "Chk_UserI"},
        {&r.Fra_Admin, "Fra_Admin"},
        {&r.Lbl_Acount_Name, "Lbl_Acount_Name"},
        {&r.Lbl_Domain_Name, "Lbl_Domain_Name"},
        {&r.Lbl_Password, "Lbl_Password"},
        {&r.Com_OK, "Com_OK"},
        {&r.Com_End, "Com_End"},
        {&r.Lbl_Soft, "Tool:"},
    };
    for (const auto& [control, caption] : expected)
        EXPECT_EQ(control->caption, caption);
    EXPECT_EQ(r.printers.edit_text(), "Cmd_DelPrinterEdt");
    EXPECT_EQ(r.drivers.edit_text(), "Cmd_DelDriverEdt");
    // Every control of the table has a widget name, and every name is used once.
    std::map<std::string, int> names;
    for (const auto& [name, control] : r.controls())
        ++names[name];
    EXPECT_EQ(names.size(), r.controls().size());
}

TEST(RemovalStartUp, InitialState) {
    Fixture f;
    RemForm& r = f.form;
    EXPECT_EQ(r.Opt_Dialog0.value, 1);
    EXPECT_EQ(r.Opt_Dialog1.value, 0);
    EXPECT_EQ(r.Chk_QX0.value + r.Chk_QX1.value + r.Chk_UserI.value, 0);
    EXPECT_EQ(r.Acount_Name.text, "Administrator");
    EXPECT_EQ(r.Domain_Name.text, "%USERDNSDOMAIN%");
    EXPECT_EQ(r.Password.text, "");
    for (const Control* c : admin_group(r))
        EXPECT_FALSE(c->enabled);
    EXPECT_FALSE(r.Cmd_DelPrinterDel.enabled);
    EXPECT_FALSE(r.Cmd_DelDriverDel.enabled);
    for (const Control* c : {&r.In_Path, &r.Out_Path, &r.Com_Brow, &r.Txt_DelPrinter,
                             &r.Cmd_DelPrinterAdd, &r.Chk_UserI, &r.Com_OK, &r.Com_End}) {
        EXPECT_TRUE(c->enabled);
    }
    EXPECT_EQ(r.Path_Focus, 0);
}

TEST(RemovalStartUp, ToolSelectorByViewMode) {
    struct Case {
        const char* View_Mode;
        std::vector<std::string> items;
        std::vector<int> data;
        int index;
        bool enabled;
        bool hand_back;
        int tool;
    };
    const Case cases[] = {
        {"0", {"Installer", "Remover"}, {1, 2}, 1, true, false, 2},
        {"2", {"Remover"}, {2}, 0, false, false, 2},
        {"1", {"Installer"}, {1}, 0, false, true, 1},
        {"99", {}, {}, -1, true, false, 0},
        {"", {}, {}, -1, true, false, 0},
        {"00", {}, {}, -1, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("mode ") + c.View_Mode);
        Fixture f(c.View_Mode);
        const ListControl& selector = f.form.cb_SelectSoft;
        EXPECT_EQ(selector.list->items, c.items);
        EXPECT_EQ(selector.item_data, c.data);
        EXPECT_EQ(selector.list->index, c.index);
        EXPECT_EQ(selector.enabled, c.enabled);
        EXPECT_EQ(f.form.hand_back_at_start(), c.hand_back);
        EXPECT_EQ(f.form.selected_tool(), c.tool);
    }
}

TEST(RemovalUserInstall, TheBoxSwitchesTheAccountGroupAndKeepsItsTexts) {
    Fixture f;
    RemForm& r = f.form;
    r.Chk_UserI.value = 1;
    r.Chk_UserI_Click();
    for (const Control* c : admin_group(r))
        EXPECT_TRUE(c->enabled);
    r.Password.text = "pw";
    r.Chk_UserI.value = 0;
    r.Chk_UserI_Click();
    for (const Control* c : admin_group(r))
        EXPECT_FALSE(c->enabled);
    EXPECT_EQ(r.Password.text, "pw");
    EXPECT_EQ(r.Acount_Name.text, "Administrator");
}

void type_and_add(RemForm& r, const std::string& text) {
    r.Txt_DelPrinter.text = text;
    r.Cmd_DelPrinterAdd_Click();
}

void click_printer(RemForm& r, int index) {
    r.Lst_DelPrinter.list->index = index;
    r.Lst_DelPrinter_Click();
}

TEST(RemovalLists, AddingKeepsOrderAndDuplicatesButNotEmptyText) {
    Fixture f;
    RemForm& r = f.form;
    type_and_add(r, "Sales");
    type_and_add(r, "");
    type_and_add(r, " Sales ");
    type_and_add(r, "Sales");
    EXPECT_EQ(r.Lst_DelPrinter.list->items,
              (std::vector<std::string>{"Sales", " Sales ", "Sales"}));
    EXPECT_EQ(r.Txt_DelPrinter.text, "");
    EXPECT_EQ(r.printers.focus_request, "Txt_DelPrinter");
    EXPECT_TRUE(r.Lst_DelDriver.list->items.empty());

    // A click below the last entry selects nothing and so starts no editing.
    click_printer(r, -1);
    EXPECT_FALSE(r.printers.editing());
    EXPECT_FALSE(r.Cmd_DelPrinterDel.enabled);
}

TEST(RemovalLists, DeleteActsOnTheEntryLastClickedInItsOwnList) {
    Fixture f;
    RemForm& r = f.form;
    type_and_add(r, "P1");
    type_and_add(r, "P2");
    r.Txt_DelDriver.text = "D1";
    r.Cmd_DelDriverAdd_Click();
    r.Txt_DelDriver.text = "D2";
    r.Cmd_DelDriverAdd_Click();

    click_printer(r, 0);
    r.Lst_DelDriver.list->index = 1;
    r.Lst_DelDriver_Click();
    // The printer list's own selection moves on, its remembered entry does not.
    r.Lst_DelPrinter.list->index = 1;
    r.Cmd_DelPrinterDel_Click();

    EXPECT_EQ(r.Lst_DelPrinter.list->items, std::vector<std::string>{"P2"});
    EXPECT_EQ(r.Lst_DelDriver.list->items, (std::vector<std::string>{"D1", "D2"}));
    EXPECT_EQ(r.Cmd_DelPrinterAdd.caption, "Cmd_DelPrinterAdd");
    EXPECT_FALSE(r.Cmd_DelPrinterDel.enabled);
    EXPECT_EQ(r.Txt_DelPrinter.text, "");
    EXPECT_EQ(r.printers.focus_request, "Txt_DelPrinter");
    // The driver list is still editing its entry.
    EXPECT_TRUE(r.drivers.editing());
    EXPECT_EQ(r.Txt_DelDriver.text, "D2");
    // Its text comes selected, so that typing replaces it.
    EXPECT_TRUE(r.Txt_DelDriver.select_text);
    EXPECT_TRUE(r.Cmd_DelDriverDel.enabled);
}

TEST(RemovalBrowse, TheChosenFolderGoesIntoTheBoxLastFocused) {
    Fixture f;
    RemForm& r = f.form;
    f.prompter.browse_answers = {"/in", "/out", std::nullopt};
    r.Com_Brow_Click();
    r.Out_Path_GotFocus();
    r.Com_Brow_Click();
    r.Com_Brow_Click();  // cancelled
    EXPECT_EQ(r.In_Path.text, "/in");
    EXPECT_EQ(r.Out_Path.text, "/out");
    r.In_Path_GotFocus();
    EXPECT_EQ(r.Path_Focus, 0);
}

TEST(RemovalChecks, CheckValueStopsAtTheFirstEmptyField) {
    struct Case {
        const char* in;
        const char* out;
        int user;
        const char* account;
        const char* domain;
        bool result;
        const char* message;
    };
    const Case cases[] = {
        {"", "", 1, "", "", false, "MsgErrInPath1"}, {"/a", "", 1, "", "", false, "MsgErrOutPath1"},
        {"/a", "/b", 1, "", "", false, "MsgErrAcc"}, {"/a", "/b", 1, "adm", "", false, "MsgErrDom"},
        {"/a", "/b", 1, " ", " ", true, nullptr},    {"/a", "/b", 0, "", "", true, nullptr},
        {" ", " ", 0, "", "", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.in) + "|" + c.out + "|" + c.account + "|" + c.domain);
        Fixture f;
        RemForm& r = f.form;
        r.In_Path.text = c.in;
        r.Out_Path.text = c.out;
        r.Chk_UserI.value = c.user;
        r.Acount_Name.text = c.account;
        r.Domain_Name.text = c.domain;
        r.Password.text = "";
        EXPECT_EQ(r.Check_Value(), c.result);
        if (c.message) {
            ASSERT_EQ(f.prompter.shown.size(), 1u);
            EXPECT_EQ(f.prompter.shown[0].text, c.message);
            EXPECT_EQ(f.prompter.shown[0].title, "MsgErr");
        } else {
            EXPECT_TRUE(f.prompter.shown.empty());
        }
    }
}

TEST(RemovalChecks, FolderCheckKeepsTheSeparatorAndUsesTheRemovalTexts) {
    Fixture f;
    test::TempDir dir;
    RemForm& r = f.form;
    r.In_Path.text = dir.mkdir("pkg");
    r.In_Path.text.pop_back();
    r.Out_Path.text = r.In_Path.text;
    EXPECT_FALSE(r.Check_FolderPath());
    EXPECT_EQ(f.prompter.messages(), std::vector<std::string>{"MsgErrInOut\r\nMsgErrAnother"});
    EXPECT_EQ(r.In_Path.text, dir.folder() + "pkg" + kPathSep);
    EXPECT_EQ(r.Out_Path.text, dir.folder() + "pkg" + kPathSep);
}

struct Recorder : WaitView, OwnerView {
    std::vector<std::string> events;
    int refreshes = 0;
    void show_creating() override { events.push_back("creating"); }
    void refresh() override { ++refreshes; }
    void progress(std::uint64_t, std::uint64_t) override {}
    void show_finished() override { events.push_back("finished"); }
    void hide() override { events.push_back("hidden dialog"); }
    void set_visible(bool visible) override {
        events.push_back(visible ? "window shown" : "window hidden");
    }
};

TEST(RemovalCreate, AFailedCheckBringsTheWindowBack) {
    Fixture f;
    Recorder recorder;
    f.form.Com_OK_Click(recorder, recorder);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"creating", "window hidden",
                                                         "hidden dialog", "window shown"}));
    EXPECT_EQ(f.prompter.messages(), std::vector<std::string>{"MsgErrInPath1"});
}

fs::path example_folder() {
    const char* dir = std::getenv("KORVA_EXAMPLES_DIR");
    if (!dir)
        throw std::runtime_error("KORVA_EXAMPLES_DIR is not set");
    return fs::path(dir) / "eraser-folder";
}

std::map<std::string, std::string> contents(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = test::read_file(entry.path());
        }
    }
    return files;
}

// Create on the example removal folder, with and without user install; nothing outside the
// output folder and the system folder may change.
TEST(RemovalCreate, ExampleRemovalFolderEndToEnd) {
    for (bool user_install : {false, true}) {
        SCOPED_TRACE(user_install ? "user install" : "plain");
        Fixture f;
        test::make_cabinet(f.program.folder() + "Tool.bin", test::tool_entries());
        test::TempDir out;
        const auto input_before = contents(example_folder());
        const auto program_before = contents(f.program.path());

        RemForm& r = f.form;
        r.In_Path.text = example_folder().string();
        r.Out_Path.text = out.path().string();
        r.Txt_DelPrinter.text = "Sales";
        r.Cmd_DelPrinterAdd_Click();
        r.Chk_UserI.value = user_install ? 1 : 0;
        r.Chk_UserI_Click();
        r.Password.text = "pw";
        Recorder recorder;
        r.Com_OK_Click(recorder, recorder);

        EXPECT_EQ(recorder.events,
                  (std::vector<std::string>{"creating", "window hidden", "finished"}));
        EXPECT_GE(recorder.refreshes, 6);
        EXPECT_TRUE(f.prompter.shown.empty());
        EXPECT_EQ(r.Out_Path.text, out.folder());
        std::vector<std::string> expected = {"EraserTool.exe", "Setup.sii"};
        if (user_install) {
            expected = {"EraserTool.exe", "EraserTool.vbe", "EraserToolUAC.vbe", "RunAsWithVB.exe",
                        "Setup.sii"};
        }
        EXPECT_EQ(tree(out.path()), expected);
        EXPECT_EQ(test::read_file(out.path() / "Setup.sii"),
                  "[Setup]\r\nType=1\r\n[Other]\r\nKeep=1\r\n[PrinterName]\r\nModel1=Sales\r\n"
                  "[Port]\r\nPortMonitorDelete=0x00\r\n[PrinterDriverName]\r\n");
        EXPECT_EQ(contents(example_folder()), input_before);
        EXPECT_EQ(contents(f.program.path()), program_before);
        EXPECT_EQ(tree(f.system.path()), user_install ? std::vector<std::string>{"screnc.exe"}
                                                      : std::vector<std::string>{});
    }
}

TEST(RemovalCreate, NamesAreWrittenInTheCodePageOfTheCatalogueLanguage) {
    if (CodePage::for_language("0x0011").number() != 932)
        GTEST_SKIP() << "the package files are not written in code page 932 here";
    Fixture f("0", "0x0011");
    test::TempDir out;
    f.form.In_Path.text = example_folder().string();
    f.form.Out_Path.text = out.path().string();
    f.form.Lst_DelPrinter.list->add("経理部プリンタ");
    Recorder recorder;
    f.form.Com_OK_Click(recorder, recorder);
    EXPECT_NE(test::read_file(out.path() / "Setup.sii")
                  .find("Model1=" + CodePage("CP932").to_ansi("経理部プリンタ")),
              std::string::npos);
}

TEST(RemovalChecks, ControlCharactersInAListEntryOrAnAccountFieldAreRefused) {
    const std::function<void(RemForm&)> hostile[] = {
        [](RemForm& r) { r.Lst_DelPrinter.list->add("Office\r\nModel9=Lab"); },
        [](RemForm& r) { r.Lst_DelDriver.list->add("KORVA\tPCL6"); },
        [](RemForm& r) { r.Password.text = "p\nw"; },
    };
    for (const auto& make_hostile : hostile) {
        Fixture f;
        RemForm& r = f.form;
        r.In_Path.text = "/a";
        r.Out_Path.text = "/b";
        r.Chk_UserI.value = 1;
        r.Lst_DelPrinter.list->add("Office A");
        make_hostile(r);
        EXPECT_FALSE(r.Check_Value());
        EXPECT_EQ(f.prompter.messages(), std::vector<std::string>{"MsgErrCtrlChar"});
    }
}

}  // namespace
}  // namespace korva::eraser
