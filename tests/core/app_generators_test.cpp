// SPDX-License-Identifier: MIT
// The main window's generator calls: the values they take from the controls, the visible list
// they reorder, and the default-printer state they leave for the launcher scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/form_fixture.h"
#include "support/script_decoder.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

struct GeneratorForm : test::FormFixture {
    GeneratorForm() {
        MainForm& f = *form;
        f.Out_Path.text = output.folder();
        f.pkg.Language_Name.items = {"Japanese", "English"};
        f.pkg.Lang_Folders = {"Japanese", "English"};
        f.pkg.Language_Name.index = 1;
        MainForm::select_option(f.S_Yes, f.S_No);
        f.Chk_DlgReboot.value = 1;
        f.Printer_List.list->items = {
            " 1. KORVA A100(10.0.0.1,PrinterA,Standard,RAW,9100,,AutoConfig,)",
            " 2. KORVA B200(10.0.0.2,PrinterB,Standard,RAW,9100,,,Yes)",
            " 3. KORVA C300(10.0.0.3,PrinterC,Standard,RAW,9101,,AutoConfig,)"};
        f.Printer_List.list->index = 1;
        f.Printer_Name.text = "PrinterB";
        f.IP_Address.text = "10.0.0.2";
    }
    std::string decoded(const std::string& name) const {
        return decode_script(test::read_file(output.path() / name), form->context().codepage).text;
    }
    test::TempDir output;
};

TEST(MainFormGenerators, ConfigThenScriptsForTheDefaultPrinter) {
    GeneratorForm g;
    MainForm& f = *g.form;
    f.printer_list_extent_px = 300;

    ASSERT_TRUE(f.Create_ConfigINI());
    EXPECT_EQ(test::read_file(g.output.path() / "Config.ini"),
              test::golden_file("config/default_moved_last.ini"));
    EXPECT_EQ(f.Printer_List.list->items,
              (std::vector<std::string>{
                  " 1. KORVA A100(10.0.0.1,PrinterA,Standard,RAW,9100,,AutoConfig,)",
                  " 2. KORVA C300(10.0.0.3,PrinterC,Standard,RAW,9101,,AutoConfig,)",
                  " 3. KORVA B200(10.0.0.2,PrinterB,Standard,RAW,9100,,,Yes)"}));
    EXPECT_EQ(f.printer_list_extent_px, 12);  // 180 twips at 15 twips per pixel
    EXPECT_EQ(f.Printer_Name.text, "");
    EXPECT_EQ(f.IP_Address.text, "");
    EXPECT_EQ(f.DefPrinter_No, 3);
    EXPECT_EQ(f.DefPrinter_Flag, 1);
    EXPECT_EQ(f.DefPrinter_Name, "PrinterB");

    f.Password.text = "secret";
    ASSERT_TRUE(f.Create_SetupVBE());
    const std::string script1 = g.decoded("setup.vbe");
    EXPECT_NE(script1.find("Chr(34) & \"Administrator\" & Chr(34) & \" \" & Chr(34) & \"secret\" "
                           "& Chr(34) & \" \" & Chr(34) & \"%USERDNSDOMAIN%\" & Chr(34)"),
              std::string::npos);
    EXPECT_NE(script1.find("\r\nif nCnt >= 540 Then\r\n"), std::string::npos);
    EXPECT_NE(script1.find("& \"PrinterB\" &"), std::string::npos);
    EXPECT_NE(g.decoded("setupUAC.vbe").find("objNetWork.UserDomain & \"\\Administrator\""),
              std::string::npos);
    EXPECT_TRUE(g.prompter.shown.empty());
}

TEST(MainFormGenerators, ListAlreadyInOrderKeepsTheEntryFields) {
    GeneratorForm g;
    MainForm& f = *g.form;
    f.Printer_List.list->items.pop_back();
    f.printer_list_extent_px = 300;

    ASSERT_TRUE(f.Create_ConfigINI());
    EXPECT_EQ(f.printer_list_extent_px, 300);
    EXPECT_EQ(f.Printer_Name.text, "PrinterB");
    EXPECT_EQ(f.Printer_List.list->index, 1);
    EXPECT_EQ(f.DefPrinter_No, 2);
}

TEST(MainFormGenerators, FailuresReportTheirOwnMessage) {
    GeneratorForm g;
    MainForm& f = *g.form;
    f.Out_Path.text = g.output.folder() + "missing/";
    EXPECT_FALSE(f.Create_ConfigINI());
    EXPECT_FALSE(f.Create_SetupVBE());
    EXPECT_EQ(g.prompter.messages(), (std::vector<std::string>{"MsgErrConfig\r\nMsgErrOneMore",
                                                               "MsgErrSetup\r\nMsgErrOneMore"}));
    EXPECT_FALSE(fs::exists(g.output.path() / "missing"));
}

}  // namespace
}  // namespace korva
