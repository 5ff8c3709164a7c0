// SPDX-License-Identifier: MIT
// A whole Create through the main window on a copy of the example package, checked where it ends
// up: the output tree as the installer finds it, Config.ini, and what the encoded launchers run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "mainform/main_form.h"
#include "support/cabinet.h"
#include "support/form_fixture.h"
#include "support/recording_views.h"
#include "support/script_decoder.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

using Views = test::RecordingViews;

// The waiting times of the default-printer block come from the program's own Tool.sii, which
// wants the native launcher as the shipped one does.
std::string catalogue_with_waiting_times() {
    std::string text = test::key_named_catalogue();
    const std::string setup = "[Setup]\r\n";
    text.insert(text.find(setup) + setup.size(),
                "WaitTime=30\r\nTimeOut=60\r\nNativeLauncher=1\r\n");
    return text;
}

// A main window over a private copy of the example package, with a tool archive beside the
// program whose engine files are newer than the package's.
class EndToEnd {
  public:
    explicit EndToEnd(const std::string& tool_sii = test::key_named_catalogue())
        : fixture(tool_sii) {
        const char* examples = std::getenv("KORVA_EXAMPLES_DIR");
        fs::copy(fs::path(examples ? examples : "examples") / "driver-package", work.path() / "src",
                 fs::copy_options::recursive);
        std::vector<test::CabinetEntry> entries = test::tool_entries();
        for (auto& entry : entries)
            entry.modified = test::local_time(2036, 1, 1);
        test::make_cabinet(fixture.program.folder() + "Tool.bin", entries);
        fixture.program.write("setupLaunch.exe", "launcher program");
        out = work.mkdir("out");
        f.In_Path.text = work.folder() + "src";
        f.Out_Path.text = out;
        fixture.prompter.kind_answers = {DriverKind::Printer};
    }

    test::TempDir work;
    test::FormFixture fixture;
    MainForm& f = *fixture.form;
    std::string out;
    Views views;
};

// Fills the entry fields for the model at model_index as the administrator would.
void type_printer(MainForm& f, int model_index, const std::string& ip, const std::string& name) {
    f.pkg.Model_Name.index = model_index;
    f.Model_Name_Click();
    f.IP_Address.text = ip;
    f.Printer_Name.text = name;
}

TEST(EndToEnd, SilentAndUserInstallOfTheExamplePackage) {
    EndToEnd e(catalogue_with_waiting_times());
    MainForm& f = e.f;

    f.set_Chk_SI(1);
    ASSERT_EQ(e.fixture.prompter.messages(), std::vector<std::string>{});
    f.pkg.Language_Name.index = 1;  // English, a folder name in mixed case
    f.Chk_DlgReboot.value = 1;

    // The default printer first, so Create has to move it behind the other two.
    f.pkg.Emu_Name.index = 0;  // PCL6
    f.Emu_Name_Click();
    type_printer(f, 0, "10.0.0.21", "Front Desk");
    MainForm::select_option(f.D_Yes, f.D_No);
    f.Chk_AutoConfig.value = 1;
    f.Add_Click();

    f.pkg.Emu_Name.index = 1;  // each model's own VEXL2 emulation
    f.Emu_Name_Click();
    type_printer(f, 2, "10.0.0.22", "Back Office 2F");
    MainForm::select_option(f.D_No, f.D_Yes);
    f.Chk_AutoConfig.value = 0;
    f.Pr_Lpr_Click();
    f.Protocol_Lpr.text = "lp1";
    f.Add_Click();

    // Typed but never added: Create takes it along.
    f.pkg.Emu_Name.index = 0;
    f.Emu_Name_Click();
    type_printer(f, 1, "10.0.0.23", "Lab QX");
    f.Chk_AutoConfig.value = 1;
    f.P_Qx_Click();

    f.Chk_UserI.value = 1;
    f.Chk_UserI_Click();
    f.Password.text = "Se'cret+1 ";
    f.Domain_Name.text = "%COMPUTERNAME%";

    f.Com_OK_Click(e.views, e.views);

    ASSERT_EQ(e.fixture.prompter.messages(), std::vector<std::string>{});
    EXPECT_EQ(e.views.count("main shown"), 0);
    EXPECT_EQ(e.views.calls.front(), "wait creating");
    EXPECT_EQ(e.views.calls.back(), "wait finished");
    EXPECT_EQ(f.Printer_List.list->items,
              (std::vector<std::string>{
                  " 1. KORVA C3530 VEXL2-c(10.0.0.22,Back Office 2F,Standard,LPR,515,lp1,,)",
                  " 2. KORVA A4020 PCL6(10.0.0.23,Lab QX,QXPORT,,,,AutoConfig,)",
                  " 3. KORVA A3010 PCL6(10.0.0.21,Front Desk,Standard,RAW,9100,,AutoConfig,Yes)"}));

    // No Manual, no other language, no Tool folder, and no clear-text script or its .txt.
    const std::vector<std::string> expected = {"Config.ini",
                                               "English/",
                                               "English/korvains.sii",
                                               "Font/",
                                               "Font/KorvaBarcode.ttf",
                                               "QXPort/",
                                               "QXPort/qxport.inf",
                                               "QXPrint/",
                                               "QXPrint/qxprint.inf",
                                               "RunAsWithVB.exe",
                                               "Setup.inx",
                                               "_qbus32.dll",
                                               "prnsetup.sii",
                                               "setup.exe",
                                               "setup.ini",
                                               "setup.vbe",
                                               "setupLaunch.exe",
                                               "setupLaunch.ini",
                                               "setupUAC.vbe",
                                               "vista.sii",
                                               "vista64.sii",
                                               "win7.sii",
                                               "win7x64.sii",
                                               "zelt32.dll"};
    EXPECT_EQ(test::folder_tree(e.out), expected);
    EXPECT_EQ(test::read_file(e.out + "RunAsWithVB.exe"), "tool RunAsWithVB.exe");
    EXPECT_EQ(test::read_file(e.out + "_qbus32.dll"), "tool _qbus32.dll");
    EXPECT_TRUE(fs::exists(e.fixture.system.folder() + "screnc.exe"));
    const std::string ini = test::read_file(e.out + "setup.ini");
    EXPECT_NE(ini.find("Default=0x0009\r\ncount=1\r\nkey0=0x0009\r\n"), std::string::npos) << ini;

    EXPECT_EQ(test::read_file(e.out + "Config.ini"), test::golden_file("config/endtoend.ini"));
    // The settings file holds a fresh nonce each time: it is compared by its fields.
    const auto settings =
        launcher::read_settings(test::read_file(e.out + "setupLaunch.ini"), f.context().codepage);
    EXPECT_EQ(settings->sha256 + settings->password + std::to_string(settings->timeout_seconds),
              launcher::sha256_hex(test::read_file(e.out + "setup.exe")) + "Se'cret+1 180");
    const struct {
        const char* encoded;
        const char* plain;
    } scripts[] = {{"setup.vbe", "scripts/endtoend_setup.vbs"},
                   {"setupUAC.vbe", "scripts/endtoend_setupUAC.vbs"}};
    for (const auto& s : scripts) {
        SCOPED_TRACE(s.encoded);
        const DecodedScript decoded =
            decode_script(test::read_file(e.out + s.encoded), f.context().codepage);
        EXPECT_EQ(decoded.text, test::golden_file(s.plain));
        EXPECT_TRUE(decoded.length_ok);
        EXPECT_TRUE(decoded.checksum_ok);
    }
}

// Run by bench/create_bench.sh: times whole user-install Creates of the example package, each
// into a fresh output folder, and prints one "BENCH create <seconds>" line per run.
TEST(EndToEnd, DISABLED_BenchCreate) {
    const char* runs_text = std::getenv("KORVA_BENCH_RUNS");
    const int runs = runs_text ? std::max(1, std::atoi(runs_text)) : 5;
    for (int run = 0; run < runs; ++run) {
        EndToEnd e;
        e.f.Chk_UserI.value = 1;
        e.f.Chk_UserI_Click();
        e.f.Password.text = "secret";
        const auto start = std::chrono::steady_clock::now();
        e.f.Com_OK_Click(e.views, e.views);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(e.fixture.prompter.messages(), std::vector<std::string>{});
        ASSERT_TRUE(fs::exists(e.out + "setupUAC.vbe"));
        std::printf("BENCH create %.3f\n", took.count());
    }
}

}  // namespace
}  // namespace korva
