// SPDX-License-Identifier: MIT
// The printer list of the main window: what Add refuses and stores, how Delete renumbers, and
// that selecting a line brings back exactly the fields, options and choices it was made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "printers/entry_line.h"
#include "support/form_fixture.h"

namespace korva {
namespace {

using test::FormFixture;

// A package whose first driver is a skipped PPD driver, so the emulation positions and the
// driver slots differ, with a suffixed PCL6 driver and a VEXL2 driver with per-model emulations.
struct PrinterForm : ::testing::Test {
    FormFixture fx;
    MainForm& f = *fx.form;

    void SetUp() override {
        f.pkg.Model_Name.items = {"KORVA A100", "KORVA C300"};
        f.pkg.Model_Name.index = 0;
        f.pkg.Emu_Name.items = {"PCL6", kVexl2Item};
        f.pkg.Emu_Name.index = 0;
        f.pkg.Emu_Slots = {1, 2};
        f.pkg.Emu_Drivers = {"PS_PPD", "PCL6_x", kVexl2Item, "", "", ""};
        f.pkg.Model_Emus = {"VEXL2", "VEXL2-c"};
        f.pkg.Emu_Use = 1;
        f.Chk_SI.value = 1;
        type("10.0.0.5", "Floor2");
    }

    void type(const std::string& address, const std::string& name) {
        f.IP_Address.text = address;
        f.Printer_Name.text = name;
    }
    std::vector<std::string>& lines() { return f.Printer_List.list->items; }
    void select_line(int index) {
        f.Printer_List.list->index = index;
        f.Printer_List_Click();
    }
    int expected_extent() {
        std::size_t widest = 0;
        for (const std::string& l : lines())
            widest = std::max(widest, l.size());
        return static_cast<int>((widest * 90 + 180) / 15);
    }
};

TEST_F(PrinterForm, AddAppendsTheLineAndKeepsTheFields) {
    f.Add_Click();
    type("10.0.0.6", "Floor3");
    f.P_Qx_Click();
    f.Chk_AutoConfig.value = 0;
    MainForm::select_option(f.D_No, f.D_Yes);
    f.Add_Click();

    EXPECT_EQ(lines(),
              (std::vector<std::string>{
                  " 1. KORVA A100 PCL6_x(10.0.0.5,Floor2,Standard,RAW,9100,,AutoConfig,Yes)",
                  " 2. KORVA A100 PCL6_x(10.0.0.6,Floor3,QXPORT,,,,,)"}));
    EXPECT_EQ(f.IP_Address.text, "10.0.0.6");
    EXPECT_EQ(f.Printer_Name.text, "Floor3");
    EXPECT_TRUE(fx.prompter.shown.empty());
    EXPECT_EQ(f.printer_list_extent_px, expected_extent());
}

TEST_F(PrinterForm, AddRefusesAnIncompleteOrBrokenEntry) {
    f.Add_Click();  // " 1. ...(10.0.0.5,Floor2,...)"
    struct Case {
        std::string name;
        std::function<void(MainForm&)> change;
        std::string message;
    } cases[] = {
        {"placeholder model",
         [](MainForm& m) {
             m.pkg.Model_Name.items = {"MsgSilent"};
             m.pkg.Model_Name.index = 0;
         },
         "MsgErrModel2"},
        {"no model", [](MainForm& m) { m.pkg.Model_Name.index = -1; }, "MsgErrModel2"},
        {"empty address", [](MainForm& m) { m.IP_Address.text = ""; }, "MsgErrIP"},
        {"empty name", [](MainForm& m) { m.Printer_Name.text = ""; }, "MsgErrBlank\r\nMsgErrAdd"},
        {"listed name", [](MainForm& m) { m.Printer_Name.text = "Floor2"; },
         "MsgErrSame\r\nMsgErrDelOrChange"},
        {"comma in address", [](MainForm& m) { m.IP_Address.text = "10.0.0.7,8"; }, "MsgErrChar"},
        {"comma in name", [](MainForm& m) { m.Printer_Name.text = "Floor,4"; }, "MsgErrChar"},
        {"quote in name", [](MainForm& m) { m.Printer_Name.text = "Floor \"4\""; }, "MsgErrChar"},
        {"comma in port", [](MainForm& m) { m.Protocol_Raw.text = "91,00"; }, "MsgErrChar"},
        {"comma in queue",
         [](MainForm& m) {
             m.Pr_Lpr_Click();
             m.Protocol_Lpr.text = "q,1";
         },
         "MsgErrChar"},
    };
    for (const Case& c : cases) {
        FormFixture other;
        MainForm& m = *other.form;
        m.pkg = f.pkg;
        m.Printer_List.list->items = lines();
        m.IP_Address.text = "10.0.0.9";
        m.Printer_Name.text = "Floor9";
        c.change(m);
        m.printer_list_extent_px = -1;
        m.Add_Click();
        EXPECT_EQ(m.Printer_List.list->items, lines()) << c.name;
        ASSERT_EQ(other.prompter.messages(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(other.prompter.shown[0].title, "MsgErr");
        // The width is recomputed even when nothing was added.
        EXPECT_EQ(m.printer_list_extent_px, expected_extent()) << c.name;
    }
}

TEST_F(PrinterForm, AddAcceptsWhatOnlyLooksWrong) {
    f.Add_Click();
    // Blank-only values, a name differing only in case, a name equal to a model part, a comma
    // in the queue box of a RAW entry (not stored).
    const std::vector<std::pair<std::string, std::string>> accepted = {
        {" ", " "}, {"10.0.0.5", "floor2"}, {"10.0.0.5", "KORVA A100 PCL6_x"}, {"10.0.0.5", "q"}};
    f.Protocol_Lpr.text = "q,1";
    for (const auto& [address, name] : accepted) {
        type(address, name);
        f.Add_Click();
        EXPECT_EQ(entry_printer_name(lines().back()), name);
        EXPECT_EQ(entry_address(lines().back()), address);
    }
    EXPECT_EQ(lines().size(), 5u);
    EXPECT_TRUE(fx.prompter.shown.empty());
}

TEST_F(PrinterForm, DeleteRenumbersAndEmptiesTheFields) {
    for (const char* name : {"A", "B", "C"}) {
        type("10.0.0.5", name);
        f.Add_Click();
    }
    const std::string last = lines()[2];
    f.Printer_List.list->index = 1;
    f.printer_list_extent_px = -1;
    f.Delete_Click();
    ASSERT_EQ(lines().size(), 2u);
    EXPECT_EQ(entry_printer_name(lines()[0]), "A");
    EXPECT_EQ(lines()[1], " 2" + last.substr(2));
    EXPECT_EQ(f.Printer_List.list->index, -1);
    EXPECT_EQ(f.Printer_Name.text, "");
    EXPECT_EQ(f.IP_Address.text, "");
    EXPECT_EQ(f.printer_list_extent_px, expected_extent());

    // Without a selection nothing happens, the fields included.
    type("10.0.0.8", "D");
    f.Delete_Click();
    EXPECT_EQ(lines().size(), 2u);
    EXPECT_EQ(f.Printer_Name.text, "D");
}

TEST_F(PrinterForm, SelectingAQxLineLeavesBothProtocolBoxesEmpty) {
    f.P_Qx_Click();
    f.Chk_AutoConfig.value = 0;
    MainForm::select_option(f.D_No, f.D_Yes);
    f.Add_Click();
    f.P_Standard_Click();
    f.Pr_Raw_Click();
    f.Chk_AutoConfig.value = 1;
    MainForm::select_option(f.D_Yes, f.D_No);
    type("", "");

    select_line(0);
    EXPECT_EQ(f.P_Qx.value, 1);
    EXPECT_EQ(f.P_Standard.value, 0);
    EXPECT_EQ(f.Pr_Lpr.value, 1);
    EXPECT_EQ(f.Pr_Raw.value, 0);
    EXPECT_EQ(f.Protocol_Raw.text, "");
    EXPECT_EQ(f.Protocol_Lpr.text, "");
    EXPECT_EQ(f.D_No.value, 1);
    EXPECT_EQ(f.D_Yes.value, 0);
    EXPECT_EQ(f.Chk_AutoConfig.value, 0);
    EXPECT_EQ(f.IP_Address.text, "10.0.0.5");
    EXPECT_EQ(f.Printer_Name.text, "Floor2");
    for (Control* c : {&f.Frame8, &f.Pr_Raw, &f.Pr_Lpr, &f.Label12, &f.Protocol_Raw, &f.Label13,
                       &f.Protocol_Lpr}) {
        EXPECT_FALSE(c->enabled);
    }
}

TEST_F(PrinterForm, LprKeepsItsPresetPortAndQueue) {
    f.Pr_Lpr_Click();
    EXPECT_EQ(f.Protocol_Raw.text, "515");
    f.Protocol_Lpr.text = "queue1";
    f.Add_Click();
    EXPECT_EQ(Get_DriverString(lines()[0], 3), "LPR");
    EXPECT_EQ(Get_DriverString(lines()[0], 4), "515");
    EXPECT_EQ(Get_DriverString(lines()[0], 5), "queue1");

    // A RAW line typed with another port, then the LPR line selected again.
    f.Pr_Raw_Click();
    f.Protocol_Raw.text = "9101";
    type("10.0.0.6", "Raw");
    f.Add_Click();
    EXPECT_EQ(Get_DriverString(lines()[1], 4), "9101");
    EXPECT_EQ(Get_DriverString(lines()[1], 5), "");

    select_line(0);
    EXPECT_EQ(f.Pr_Lpr.value, 1);
    EXPECT_EQ(f.Protocol_Raw.text, "515");
    EXPECT_EQ(f.Protocol_Lpr.text, "queue1");
    EXPECT_FALSE(f.Protocol_Raw.enabled);
    EXPECT_TRUE(f.Protocol_Lpr.enabled);
    select_line(1);
    EXPECT_EQ(f.Pr_Raw.value, 1);
    EXPECT_EQ(f.Protocol_Raw.text, "9101");
    EXPECT_TRUE(f.Protocol_Raw.enabled);
    EXPECT_FALSE(f.Protocol_Lpr.enabled);
}

TEST_F(PrinterForm, SelectingALineReselectsItsModelAndEmulation) {
    struct Choice {
        int model, emu;
        std::string name;
    } choices[] = {{1, 1, "Colour"}, {0, 0, "Suffixed"}, {1, 0, "Second"}, {0, 1, "Mono"}};
    for (const Choice& c : choices) {
        f.pkg.Model_Name.index = c.model;
        f.pkg.Emu_Name.index = c.emu;
        type("10.0.0.5", c.name);
        f.Add_Click();
    }
    EXPECT_EQ(entry_model_part(lines()[0]), "KORVA C300 VEXL2-c");
    EXPECT_EQ(entry_model_part(lines()[1]), "KORVA A100 PCL6_x");
    for (int i : {0, 1, 2, 3, 0}) {
        select_line(i);
        EXPECT_EQ(f.pkg.Model_Name.index, choices[i].model) << i;
        EXPECT_EQ(f.pkg.Emu_Name.index, choices[i].emu) << i;
        EXPECT_EQ(f.Printer_Name.text, choices[i].name) << i;  // the stored name, not a proposal
    }
}

TEST_F(PrinterForm, SelectingALineWithoutEmulationsReselectsTheModel) {
    f.pkg.Emu_Name.items = {kNoEmu};
    f.pkg.Emu_Slots = {-1};
    f.pkg.Emu_Name.index = 0;
    f.pkg.Emu_Use = 0;
    f.pkg.Drv_Suffix = " V4";
    f.pkg.Model_Name.index = 1;
    f.Add_Click();
    EXPECT_EQ(entry_model_part(lines()[0]), "KORVA C300 V4");
    f.pkg.Model_Name.index = 0;
    select_line(0);
    EXPECT_EQ(f.pkg.Model_Name.index, 1);
    EXPECT_EQ(f.pkg.Emu_Name.index, 0);
}

TEST_F(PrinterForm, ALineFromAnotherPackageMatchesByWords) {
    // Written while the package listed a plain "VEXL2" driver name.
    lines() = {" 1. KORVA C300 VEXL2(10.0.0.5,Old,Standard,RAW,9100,,AutoConfig,Yes)"};
    f.pkg.Model_Emus.clear();
    select_line(0);
    EXPECT_EQ(f.pkg.Emu_Name.index, 1);
    EXPECT_EQ(f.pkg.Model_Name.index, 1);
    EXPECT_EQ(f.Printer_Name.text, "Old");
}

TEST_F(PrinterForm, ChoosingModelAndEmulationProposesTheName) {
    struct Case {
        int model, emu;
        std::string proposed;
    } cases[] = {
        {0, 0, "KORVA A100 PCL6_x"}, {1, 1, "KORVA C300 VEXL2-c"}, {0, 1, "KORVA A100 VEXL2"}};
    for (const Case& c : cases) {
        f.pkg.Model_Name.index = c.model;
        f.Model_Name_Click();
        f.pkg.Emu_Name.index = c.emu;
        f.Emu_Name_Click();
        EXPECT_EQ(f.Printer_Name.text, c.proposed);
    }
    f.pkg.Model_Name.items = {"MsgSilent"};
    f.pkg.Model_Name.index = 0;
    f.Model_Name_Click();
    EXPECT_EQ(f.Printer_Name.text, "");
}

TEST_F(PrinterForm, PortAndProtocolRules) {
    f.Protocol_Raw.text = "1234";
    f.Pr_Lpr_Click();
    f.P_Qx_Click();
    EXPECT_EQ(f.Protocol_Raw.text, "515");  // the port type leaves the number alone
    for (Control* c : {&f.Frame8, &f.Pr_Raw, &f.Pr_Lpr, &f.Label12, &f.Protocol_Raw, &f.Label13,
                       &f.Protocol_Lpr}) {
        EXPECT_FALSE(c->enabled);
    }
    f.P_Standard_Click();
    EXPECT_TRUE(f.Frame8.enabled && f.Pr_Raw.enabled && f.Pr_Lpr.enabled);
    EXPECT_FALSE(f.Protocol_Raw.enabled || f.Label12.enabled);
    EXPECT_TRUE(f.Protocol_Lpr.enabled && f.Label13.enabled);
    f.Pr_Raw_Click();
    EXPECT_EQ(f.Protocol_Raw.text, "9100");
    EXPECT_TRUE(f.Protocol_Raw.enabled && f.Label12.enabled);
    EXPECT_FALSE(f.Protocol_Lpr.enabled || f.Label13.enabled);
}

TEST_F(PrinterForm, CreateTimeChecks) {
    struct Case {
        std::string name;
        std::function<void(MainForm&)> change;
        std::vector<std::string> messages;
    } cases[] = {
        {"complete", [](MainForm&) {}, {}},
        {"no source", [](MainForm& m) { m.In_Path.text = ""; }, {"MsgErrInPath1"}},
        {"no output", [](MainForm& m) { m.Out_Path.text = ""; }, {"MsgErrOutPath1"}},
        {"no printers", [](MainForm& m) { m.Printer_List.list->clear(); }, {"MsgErrSilent"}},
        {"no printers, no silent install",
         [](MainForm& m) {
             m.Printer_List.list->clear();
             m.Chk_SI.value = 0;
         },
         {}},
        {"no account", [](MainForm& m) { m.Acount_Name.text = ""; }, {"MsgErrAcc"}},
        {"no domain", [](MainForm& m) { m.Domain_Name.text = ""; }, {"MsgErrDom"}},
        {"account unused",
         [](MainForm& m) {
             m.Chk_UserI.value = 0;
             m.Acount_Name.text = "";
         },
         {}},
    };
    for (const Case& c : cases) {
        FormFixture other;
        MainForm& m = *other.form;
        m.In_Path.text = "/src/";
        m.Out_Path.text = "/out/";
        m.Chk_SI.value = 1;
        m.Chk_UserI.value = 1;
        m.Password.text = "";
        m.Printer_List.list->add(" 1. KORVA A100(1,P,Standard,RAW,9100,,,)");
        c.change(m);
        EXPECT_EQ(m.Check_Value(), c.messages.empty()) << c.name;
        EXPECT_EQ(other.prompter.messages(), c.messages) << c.name;
    }
}

TEST_F(PrinterForm, AThousandEntriesStayQuick) {
    for (int i = 1; i < 1000; ++i) {
        type("10.0.0.5", "P" + std::to_string(i));
        f.Add_Click();
    }
    // One more of each operation on the full list; even a sanitizer build does them in
    // milliseconds, while per-line work that grows with the list would not keep up.
    const auto start = std::chrono::steady_clock::now();
    type("10.0.0.5", "P1000");
    f.Add_Click();
    EXPECT_EQ(lines().back().substr(0, 7), " 1000. ");
    f.Printer_List.list->index = 0;
    f.Delete_Click();
    select_line(998);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    EXPECT_EQ(f.Printer_Name.text, "P1000");
    ASSERT_EQ(lines().size(), 999u);
    for (int i = 0; i < 999; ++i) {
        ASSERT_EQ(lines()[i], " " + std::to_string(i + 1) + ". KORVA A100 PCL6_x(10.0.0.5,P" +
                                  std::to_string(i + 2) + ",Standard,RAW,9100,,AutoConfig,Yes)");
    }
    f.Printer_List.list->index = 500;
    f.Delete_Click();
    EXPECT_EQ(f.printer_list_extent_px, expected_extent());
}

TEST_F(PrinterForm, JapaneseNamesCountTwoBytesPerCharacter) {
    f.pkg.Lang_Codes = {"0x0011"};
    f.pkg.Language_Name.index = 0;
    if (CodePage::for_language("0x0011").number() != 932)
        GTEST_SKIP() << "the package files are not written in code page 932 here";
    type("10.0.0.5", "経理部プリンタ");
    f.Add_Click();
    const std::string& line = lines()[0];
    // Seven double-byte characters of three UTF-8 bytes each.
    const std::size_t ansi = line.size() - 7 * 3 + 7 * 2;
    EXPECT_EQ(f.printer_list_extent_px, static_cast<int>((ansi * 90 + 180) / 15));
    select_line(0);
    EXPECT_EQ(f.Printer_Name.text, "経理部プリンタ");
}

}  // namespace
}  // namespace korva
