// SPDX-License-Identifier: MIT
// Create in the main window: the order of the steps as the waiting dialog and the main window see
// it, the printer typed but not added, and whole runs on the example package.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "mainform/main_form.h"
#include "printers/printer_entry.h"
#include "support/cabinet.h"
#include "support/form_fixture.h"
#include "support/recording_views.h"
#include "support/script_decoder.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

using Views = test::RecordingViews;

const Calls kStart = {"wait creating", "main hidden", "refresh"};

Calls then(Calls calls, const Calls& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

const char* const kListed =
    " 1. KORVA A3010 PCL6(10.0.0.5,Floor2,Standard,RAW,9100,,AutoConfig,Yes)";

class CreateTest : public ::testing::Test {
  protected:
    CreateTest() {
        f.pkg.Model_Name.clear();
        f.pkg.Model_Name.add("MsgSilent");
        f.pkg.Model_Name.add("KORVA A3010");
        f.pkg.Model_Name.index = 1;
        f.IP_Address.text = "10.0.0.9";
        f.Printer_Name.text = "Floor3";
        out = work.mkdir("out");
    }

    // A typed printer with a chosen model, the silent install ticked and one printer listed.
    void typed_printer_in_silent_install() {
        f.Chk_SI.value = 1;
        f.Printer_List.list->add(kListed);
    }
    // The example stand-ins, packed as the build packs them, but newer than anything in the
    // example package so that its engine files are replaced.
    void tool_archive() {
        std::vector<test::CabinetEntry> entries = test::folder_entries(examples() + "/tool");
        for (auto& entry : entries)
            entry.modified = test::local_time(2036, 1, 1);
        test::make_cabinet(fixture.program.folder() + "Tool.bin", entries);
    }
    static std::string examples() {
        const char* dir = std::getenv("KORVA_EXAMPLES_DIR");
        return dir ? dir : "examples";
    }
    static std::string example_package() { return examples() + "/driver-package"; }
    static std::string printer_folder() { return example_package() + "/Drivers/Printer/"; }

    test::FormFixture fixture;
    MainForm& f = *fixture.form;
    test::ScriptedPrompter& prompter = fixture.prompter;
    test::TempDir work;
    std::string out;
    Views views;
};

TEST_F(CreateTest, StopAtTheFirstCheckBringsTheMainWindowBack) {
    f.DefPrinter_Name = "left from before";
    f.DefPrinter_Flag = 1;
    f.Com_OK_Click(views, views);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrInPath1"});
    EXPECT_EQ(views.calls, then(kStart, {"wait hidden", "main shown"}));
    EXPECT_EQ(f.DefPrinter_Name, "");
    EXPECT_EQ(f.DefPrinter_Flag, 0);
}

TEST_F(CreateTest, CheckOutValueWantsACompleteNewPrinter) {
    struct Case {
        const char* name;
        int model_index;
        std::string ip, printer;
        bool expected;
    };
    const Case cases[] = {
        {"complete", 1, "10.0.0.9", "Floor3", true},
        {"placeholder model", 0, "10.0.0.9", "Floor3", false},
        {"no model", -1, "10.0.0.9", "Floor3", false},
        {"no address", 1, "", "Floor3", false},
        {"no name", 1, "10.0.0.9", "", false},
        {"listed name", 1, "10.0.0.9", "Floor2", false},
        {"listed name in other case", 1, "10.0.0.9", "floor2", true},
        {"listed name with a blank", 1, "10.0.0.9", "Floor2 ", true},
    };
    f.Printer_List.list->add(kListed);
    for (const Case& c : cases) {
        f.pkg.Model_Name.index = c.model_index;
        f.IP_Address.text = c.ip;
        f.Printer_Name.text = c.printer;
        EXPECT_EQ(f.Check_Out_Value(), c.expected) << c.name;
    }
}

TEST_F(CreateTest, TypedPrinterIsAppendedBeforeTheChecksAndStaysAfterAStop) {
    typed_printer_in_silent_install();
    const std::string expected = entry_line(f.typed_printer_entry(), 2);
    f.In_Path.text = work.mkdir("src");
    f.Out_Path.text = work.folder() + "missing";
    f.Com_OK_Click(views, views);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrOutPath2\r\nMsgErrChk"});
    ASSERT_EQ(f.Printer_List.list->count(), 2);
    EXPECT_EQ(f.Printer_List.list->items[1], expected);
    EXPECT_EQ(expected.rfind(" 2. KORVA A3010", 0), 0u) << expected;
    EXPECT_EQ(views.calls, then(kStart, {"refresh", "wait hidden", "main shown"}));
}

TEST_F(CreateTest, NothingIsAppendedWhenThePrinterIsNotNewOrSilentInstallIsOff) {
    struct Case {
        const char* name;
        int silent;
        std::string printer;
        int model_index;
    };
    const Case cases[] = {
        {"same name", 1, "Floor2", 1},
        {"placeholder model", 1, "Floor3", 0},
        {"silent install off", 0, "Floor3", 1},
    };
    for (const Case& c : cases) {
        f.Printer_List.list->clear();
        f.Printer_List.list->add(kListed);
        f.Chk_SI.value = c.silent;
        f.Chk_UserI.value = 1;  // so that Check_Value has no complaint without printers
        f.Printer_Name.text = c.printer;
        f.pkg.Model_Name.index = c.model_index;
        f.In_Path.text = "";
        f.Com_OK_Click(views, views);
        EXPECT_EQ(f.Printer_List.list->items, std::vector<std::string>{kListed}) << c.name;
    }
}

TEST_F(CreateTest, TypedPrinterThatWouldBreakItsLineStopsCreate) {
    typed_printer_in_silent_install();
    f.Printer_Name.text = "Floor,3";
    f.In_Path.text = work.mkdir("src");
    f.Out_Path.text = work.folder() + "missing";
    f.Com_OK_Click(views, views);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrChar"});
    EXPECT_EQ(f.Printer_List.list->items, std::vector<std::string>{kListed});
    EXPECT_EQ(views.calls, then(kStart, {"wait hidden", "main shown"}));
}

TEST_F(CreateTest, UserInstallOfTheExamplePackageIntoANewSubFolder) {
    tool_archive();
    work.write("out/earlier.txt", "kept");
    f.In_Path.text = example_package();
    f.Out_Path.text = out;
    f.Chk_UserI.value = 1;
    f.Password.text = "secret";
    prompter.kind_answers = {DriverKind::Printer};
    prompter.yes_no_answers = {true};
    prompter.input_answers = {std::string("Package")};

    f.Com_OK_Click(views, views);

    EXPECT_EQ(prompter.messages(), std::vector<std::string>{});
    EXPECT_EQ(views.calls, then(kStart, {"refresh", "refresh", "refresh", "refresh", "refresh",
                                         "wait finished"}));
    EXPECT_EQ(f.Out_Path.text, out + "Package" + kPathSep);
    EXPECT_EQ(test::read_file(out + "earlier.txt"), "kept");
    // The whole printer installer, Manual included, and the run-as program with its launchers.
    const std::vector<std::string> expected = {"English/",        "English/korvains.sii",
                                               "Font/",           "Font/KorvaBarcode.ttf",
                                               "Japanese/",       "Japanese/korvains.sii",
                                               "Manual/",         "Manual/readme.txt",
                                               "QXPort/",         "QXPort/qxport.inf",
                                               "QXPrint/",        "QXPrint/qxprint.inf",
                                               "RunAsWithVB.exe", "Setup.inx",
                                               "_qbus32.dll",     "prnsetup.sii",
                                               "setup.exe",       "setup.ini",
                                               "setup.vbe",       "setupUAC.vbe",
                                               "vista.sii",       "vista64.sii",
                                               "zelt32.dll"};
    EXPECT_EQ(test::folder_tree(out + "Package"), expected);
    // Without silent install the package keeps its own engine files and languages.
    for (const char* same : {"Setup.inx", "_qbus32.dll", "setup.ini"}) {
        EXPECT_EQ(test::read_file(out + "Package/" + same),
                  test::read_file(printer_folder() + same))
            << same;
    }
    EXPECT_EQ(test::read_file(out + "Package/RunAsWithVB.exe"),
              test::read_file(examples() + "/tool/RunAsWithVB.exe"));
    EXPECT_TRUE(fs::exists(fixture.system.folder() + "screnc.exe"));
    EXPECT_GT(views.progress_reports, 0);
    EXPECT_GT(views.last_total, 0u);
}

TEST_F(CreateTest, SilentInstallOfTheExamplePackage) {
    tool_archive();
    f.In_Path.text = example_package();
    f.Out_Path.text = out;
    prompter.kind_answers = {DriverKind::Printer};
    f.set_Chk_SI(1);
    ASSERT_EQ(prompter.messages(), std::vector<std::string>{});
    ASSERT_GT(f.pkg.Model_Name.count(), 1);
    f.pkg.Model_Name.index = 1;
    f.Model_Name_Click();
    f.IP_Address.text = "10.0.0.9";
    f.Printer_Name.text = "Floor3";

    f.Com_OK_Click(views, views);

    EXPECT_EQ(prompter.messages(), std::vector<std::string>{});
    EXPECT_EQ(views.calls.back(), "wait finished");
    EXPECT_EQ(f.Printer_List.list->count(), 1);
    const std::vector<std::string> expected = {"Config.ini",
                                               "Font/",
                                               "Font/KorvaBarcode.ttf",
                                               "Japanese/",
                                               "Japanese/korvains.sii",
                                               "QXPort/",
                                               "QXPort/qxport.inf",
                                               "QXPrint/",
                                               "QXPrint/qxprint.inf",
                                               "Setup.inx",
                                               "_qbus32.dll",
                                               "prnsetup.sii",
                                               "setup.exe",
                                               "setup.ini",
                                               "vista.sii",
                                               "vista64.sii",
                                               "win7.sii",
                                               "win7x64.sii",
                                               "zelt32.dll"};
    EXPECT_EQ(test::folder_tree(out), expected);
    for (const char* replaced : {"Setup.inx", "_qbus32.dll", "zelt32.dll"}) {
        EXPECT_EQ(test::read_file(out + replaced),
                  test::read_file(examples() + "/tool/" + replaced))
            << replaced;
    }
    EXPECT_EQ(test::read_file(out + "win7.sii"), test::read_file(printer_folder() + "vista.sii"));
    // The printer typed but never added is the one the installer creates.
    EXPECT_NE(test::read_file(out + "Config.ini").find("Floor3"), std::string::npos);
    const std::string ini = test::read_file(out + "setup.ini");
    EXPECT_NE(ini.find("Default=0x0011\r\ncount=1\r\nkey0=0x0011\r\n"), std::string::npos) << ini;
}

TEST_F(CreateTest, FailedCopyLeavesAnEmptyOutputAndOneMessage) {
    f.In_Path.text = example_package();
    f.Out_Path.text = out;
    f.Chk_UserI.value = 1;
    prompter.kind_answers = {DriverKind::Printer};
    f.Com_OK_Click(views, views);  // no Tool.bin beside the program
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrCopy\r\nMsgErrOneMore"});
    EXPECT_EQ(test::folder_tree(out), std::vector<std::string>{});
    EXPECT_EQ(views.calls,
              then(kStart, {"refresh", "refresh", "refresh", "wait hidden", "main shown"}));
    // The re-read selected the first emulation as a click would, proposing the name again.
    EXPECT_EQ(f.Printer_Name.text, "KORVA A3010 PCL6");
}

TEST_F(CreateTest, PrinterOfAModelTheSourceNoLongerHasStopsBeforeTheCopy) {
    tool_archive();
    f.In_Path.text = example_package();
    f.Out_Path.text = out;
    prompter.kind_answers = {DriverKind::Printer};
    f.set_Chk_SI(1);
    f.Printer_List.list->add(
        " 1. KORVA Z9999 PCL6(10.0.0.5,Floor2,Standard,RAW,9100,,AutoConfig,Yes)");
    f.Printer_Name.text = "";  // nothing typed to append
    f.Com_OK_Click(views, views);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"MsgErrInPath6\r\nMsgErrChk"});
    EXPECT_EQ(test::folder_tree(out), std::vector<std::string>{});
    EXPECT_EQ(views.calls.back(), "main shown");
}

// The example package's first language is Japanese: its files are for Japanese machines.
TEST_F(CreateTest, JapanesePackageWritesItsFilesInCodePage932) {
    if (CodePage::for_language("0x0011").number() != 932)
        GTEST_SKIP() << "the package files are not written in code page 932 here";
    tool_archive();
    f.In_Path.text = example_package();
    f.Out_Path.text = out;
    prompter.kind_answers = {DriverKind::Printer};
    f.set_Chk_SI(1);
    f.pkg.Model_Name.index = 1;
    f.IP_Address.text = "10.0.0.9";
    f.Printer_Name.text = "経理部プリンタ";
    f.Chk_UserI.value = 1;
    f.Password.text = "秘密";
    f.Com_OK_Click(views, views);
    ASSERT_EQ(prompter.messages(), std::vector<std::string>{});
    const CodePage japanese("CP932");
    const std::string name = japanese.to_ansi("経理部プリンタ");
    EXPECT_NE(test::read_file(out + "Config.ini").find(name), std::string::npos);
    const std::string script = decode_script(test::read_file(out + "setup.vbe"), japanese).text;
    EXPECT_NE(script.find(name), std::string::npos);
    EXPECT_NE(script.find(japanese.to_ansi("秘密")), std::string::npos);
}

}  // namespace
}  // namespace korva
