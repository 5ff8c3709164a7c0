// SPDX-License-Identifier: MIT
// Config.ini is read by the maker's installer, so its bytes are held to hand-written files; the
// default printer's move to the end of the list is checked on the list the window shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "package/config_ini.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "support/failing_file_system.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

std::string golden(const std::string& name) {
    return test::golden_file("config/" + name);
}

// A catalogue whose message texts are their key names.
struct Harness {
    explicit Harness(FileSystem& file_system = real_file_system(), CodePage cp = CodePage("CP1252"))
        : catalogue(program.write("Tool.sii",
                                  "[StringEn]\r\nMsgErr=MsgErr\r\nMsgErrConfig=MsgErrConfig\r\n"
                                  "MsgErrOneMore=MsgErrOneMore\r\n"),
                    "StringEn", kMainBuffer),
          ctx{catalogue, prompter, file_system, cp, [] {}, "", ""} {}

    test::TempDir program;
    test::TempDir output;
    test::ScriptedPrompter prompter;
    Catalogue catalogue;
    Context ctx;
};

struct ConfigCase {
    const char* golden;
    std::vector<std::string> list;
    ConfigOptions options;
    std::vector<std::string> list_after;
    int def_no;
    std::string def_name;
};

TEST(ConfigIni, WritesTheInstallersFileByteForByte) {
    const ConfigCase cases[] = {
        {"default_moved_last.ini",
         {" 1. KORVA A100(10.0.0.1,PrinterA,Standard,RAW,9100,,AutoConfig,)",
          " 2. KORVA B200(10.0.0.2,PrinterB,Standard,RAW,9100,,,Yes)",
          " 3. KORVA C300(10.0.0.3,PrinterC,Standard,RAW,9101,,AutoConfig,)"},
         {"English", 0, true, 1},
         {" 1. KORVA A100(10.0.0.1,PrinterA,Standard,RAW,9100,,AutoConfig,)",
          " 2. KORVA C300(10.0.0.3,PrinterC,Standard,RAW,9101,,AutoConfig,)",
          " 3. KORVA B200(10.0.0.2,PrinterB,Standard,RAW,9100,,,Yes)"},
         3,
         "PrinterB"},
        {"ports_no_default.ini",
         {" 1. KORVA L500(192.168.1.10,Lpr Printer,Standard,LPR,515,lp1,AutoConfig,)",
          " 2. KORVA R600(192.168.1.11,Raw Printer,Standard,RAW,9100,,,)",
          " 3. KORVA Q700(192.168.1.12,Qx Printer,QXPORT,,,,AutoConfig,)"},
         {"Japanese", 0, false, 0},
         {},
         0,
         ""},
        {"emulation_vexl2.ini",
         {" 1. KORVA Multi Model 4000 VEXL2(10.1.2.3,Front "
          "Desk,Standard,RAW,9100,,AutoConfig,Yes)"},
         {"English", 1, true, 0},
         {},
         1,
         "Front Desk"},
        {"empty_list.ini", {}, {"English", 0, false, 1}, {}, 0, ""},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.golden);
        Harness h;
        std::vector<std::string> list = c.list;
        DefaultPrinterState state{7, 1, ""};
        int swaps = 0;
        ASSERT_TRUE(
            Create_ConfigINI(list, c.options, h.output.folder(), state, h.ctx, [&] { ++swaps; }));
        EXPECT_EQ(test::read_file(h.output.path() / "Config.ini"), golden(c.golden));
        EXPECT_EQ(test::folder_names(h.output.path()), std::vector<std::string>{"Config.ini"});
        EXPECT_EQ(list, c.list_after.empty() ? c.list : c.list_after);
        EXPECT_EQ(swaps, c.list_after.empty() ? 0 : 1);
        EXPECT_EQ(state.DefPrinter_No, c.def_no);
        EXPECT_EQ(state.DefPrinter_Flag, c.def_no != 0 ? 1 : 0);
        EXPECT_EQ(state.DefPrinter_Name, c.def_name);
        EXPECT_TRUE(h.prompter.shown.empty());
    }
}

TEST(ConfigIni, DefaultEntryMovesDownInOnePass) {
    struct Case {
        std::vector<std::string> before;
        std::vector<std::string> after;
        int swaps;
    };
    const Case cases[] = {
        {{" 1. A(1,a,,,,,,Yes)", " 2. B(2,b,,,,,,)", " 3. C(3,c,,,,,,)"},
         {" 1. B(2,b,,,,,,)", " 2. C(3,c,,,,,,)", " 3. A(1,a,,,,,,Yes)"},
         2},
        {{" 1. A(1,a,,,,,,)", " 2. B(2,b,,,,,,)", " 3. C(3,c,,,,,,Yes)"},
         {" 1. A(1,a,,,,,,)", " 2. B(2,b,,,,,,)", " 3. C(3,c,,,,,,Yes)"},
         0},
        // Two defaults (never made by Add): the pass moves only the one that meets a
        // non-default entry below it.
        {{" 1. A(1,a,,,,,,Yes)", " 2. B(2,b,,,,,,Yes)", " 3. C(3,c,,,,,,)"},
         {" 1. A(1,a,,,,,,Yes)", " 2. C(3,c,,,,,,)", " 3. B(2,b,,,,,,Yes)"},
         1},
        // "yes" is not "Yes"; nothing moves.
        {{" 1. A(1,a,,,,,,yes)", " 2. B(2,b,,,,,,)"},
         {" 1. A(1,a,,,,,,yes)", " 2. B(2,b,,,,,,)"},
         0},
        {{}, {}, 0},
        {{" 1. A(1,a,,,,,,Yes)"}, {" 1. A(1,a,,,,,,Yes)"}, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list = c.before;
        EXPECT_EQ(Plurals_List_Change(list), c.swaps);
        EXPECT_EQ(list, c.after);
    }

    // With two defaults left after the pass, the header and the name both take the last one.
    {
        std::vector<std::string> list = {" 1. A(1,a,,,,,,Yes)", " 2. B(2,b,,,,,,Yes)",
                                         " 3. C(3,c,,,,,,)"};
        Plurals_List_Change(list);
        DefaultPrinterState state;
        std::string text = config_ini_text(list, {"English", 0, false, 0}, state);
        EXPECT_EQ(state.DefPrinter_No, 3);
        EXPECT_EQ(state.DefPrinter_Name, "b");
        EXPECT_NE(text.find("DefaultPrinterDriver=PRINTER3\r\n"), std::string::npos);
    }

    // Positions past 9 are renumbered too, and the block numbers follow the new order.
    std::vector<std::string> list;
    for (int i = 1; i <= 11; ++i) {
        list.push_back(" " + std::to_string(i) + ". M(10.0.0." + std::to_string(i) + ",P" +
                       std::to_string(i) + ",Standard,RAW,9100,,," + (i == 1 ? "Yes)" : ")"));
    }
    EXPECT_EQ(Plurals_List_Change(list), 10);
    EXPECT_EQ(list[9], " 10. M(10.0.0.11,P11,Standard,RAW,9100,,,)");
    EXPECT_EQ(list[10], " 11. M(10.0.0.1,P1,Standard,RAW,9100,,,Yes)");
    DefaultPrinterState state;
    std::string text = config_ini_text(list, {"English", 0, false, 0}, state);
    EXPECT_NE(text.find("DefaultPrinterDriver=PRINTER11\r\n"), std::string::npos);
    EXPECT_NE(text.find("[PRINTER11]\r\nName=P1\r\n"), std::string::npos);
    EXPECT_NE(text.find("[PRINTER1]\r\nName=P2\r\n"), std::string::npos);
}

TEST(ConfigIni, ReplacesTheCopiedFileAndAnOldTextFile) {
    Harness h;
    h.output.write("Config.ini", "[PackageConfigList]\r\nDefaultPrinterDriver=PRINTER9\r\n");
    h.output.write("Config.txt", "left over");
    h.output.write("setup.ini", "[Setup]\r\n");
    std::vector<std::string> list = {
        " 1. KORVA Multi Model 4000 VEXL2(10.1.2.3,Front Desk,Standard,RAW,9100,,AutoConfig,Yes)"};
    DefaultPrinterState state;
    ASSERT_TRUE(Create_ConfigINI(list, {"ENGLISH", 1, true, 0}, h.output.folder(), state, h.ctx));
    EXPECT_EQ(test::read_file(h.output.path() / "Config.ini"), golden("emulation_vexl2.ini"));
    EXPECT_EQ(test::folder_names(h.output.path()),
              (std::vector<std::string>{"Config.ini", "setup.ini"}));
}

TEST(ConfigIni, WritesTheAnsiCodePage) {
    Harness h(real_file_system(), CodePage("CP932"));
    std::vector<std::string> list = {
        " 1. KORVA A100(10.0.0.1,経理部 プリンタ,Standard,RAW,9100,,,)"};
    DefaultPrinterState state;
    ASSERT_TRUE(Create_ConfigINI(list, {"Japanese", 0, false, 0}, h.output.folder(), state, h.ctx));
    std::string bytes = test::read_file(h.output.path() / "Config.ini");
    EXPECT_NE(bytes.find("Name=" + CodePage("CP932").to_ansi("経理部 プリンタ") + "\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.find("経理部"), std::string::npos);
}

TEST(ConfigIni, EveryFailureEmptiesTheOutputAndTellsOnce) {
    test::FailingFileSystem failing(real_file_system());
    const std::vector<std::string> entries = {
        " 1. KORVA A100(10.0.0.1,PrinterA,Standard,RAW,9100,,AutoConfig,Yes)",
        " 2. KORVA B200(10.0.0.2,PrinterB,Standard,RAW,9100,,,)"};
    auto run = [&](Harness& h) {
        h.output.write("Config.ini", "copied");
        h.output.write("Drivers/setup.exe", "exe");
        std::vector<std::string> list = entries;
        DefaultPrinterState state;
        return Create_ConfigINI(list, {"English", 0, true, 1}, h.output.folder(), state, h.ctx);
    };
    int steps = 0;
    {
        Harness h(failing);
        failing.reset();
        ASSERT_TRUE(run(h));
        steps = failing.mutations();
    }
    ASSERT_GE(steps, 3);  // write, delete the copied file, rename
    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE(n);
        Harness h(failing);
        failing.fail_at(n);
        EXPECT_FALSE(run(h));
        EXPECT_TRUE(failing.failed());
        EXPECT_TRUE(test::folder_names(h.output.path()).empty());
        ASSERT_EQ(h.prompter.shown.size(), 1u);
        EXPECT_EQ(h.prompter.shown[0].text, "MsgErrConfig\r\nMsgErrOneMore");
        EXPECT_EQ(h.prompter.shown[0].title, "MsgErr");
    }
}

// The installer reads each typed value back as it was typed, blanks at its ends included.
TEST(ConfigIni, TypedValuesReadBackExactly) {
    Harness h;
    std::vector<std::string> list = {
        " 1. KORVA A100( 10.0.0.1 , Front & (Desk) ^ ,Standard,LPR, 515 ,\"q\",,Yes)"};
    DefaultPrinterState state;
    ASSERT_TRUE(Create_ConfigINI(list, {"English", 0, false, 0}, h.output.folder(), state, h.ctx));
    const std::string ini = h.output.folder() + "Config.ini";
    const auto read = [&](const char* section, const char* key) {
        return profile::get_string(ini, section, key, "", 1000, CodePage("CP1252"));
    };
    EXPECT_EQ(read("PRINTER1", "Name"), " Front & (Desk) ^ ");
    EXPECT_EQ(read("PORT1", "IpAddress"), " 10.0.0.1 ");
    EXPECT_EQ(read("PORT1", "PortNumber"), " 515 ");
    EXPECT_EQ(read("PORT1", "LprQueueName"), "\"q\"");
    EXPECT_EQ(state.DefPrinter_Name, " Front & (Desk) ^ ");
}

}  // namespace
}  // namespace korva
