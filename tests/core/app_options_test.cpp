// SPDX-License-Identifier: MIT
// The option rules of the main window: ticking silent install on real package trees, the
// Create button with both function boxes, and Browse with each focused folder box.
#include <gtest/gtest.h>

#include <functional>

#include "platform/path.h"
#include "support/form_fixture.h"
#include "support/package_builder.h"

namespace korva {
namespace {

using test::kEnglish;
using test::kJapanese;
using Items = std::vector<std::string>;

const std::string kSep(1, kPathSep);

struct Options : ::testing::Test {
    test::FormFixture fx;
    MainForm& f = *fx.form;
    test::TempDir work;
    test::PackageBuilder package{work};

    // What the window does on a click: the box changes, then its handler runs.
    void tick_silent(int value = 1) {
        f.Chk_SI.value = value;
        f.Chk_SI_Click();
    }
    void tick_user(int value = 1) {
        f.Chk_UserI.value = value;
        f.Chk_UserI_Click();
    }
    // A flat English package with one printer driver and two models.
    test::Installer printer_package() {
        test::Installer inst = package.flat({kEnglish});
        inst.drivers({{"PCL6"}}).models("ModelList.sii", {"A100", "B200"}).mkdir("QXPort");
        return inst;
    }
    std::vector<Control*> group_without_emulation() {
        std::vector<Control*> controls;
        for (Control* c : silent_install_group(f)) {
            if (c != &f.Emu_Name && c != &f.Label11 && c != &f.Protocol_Lpr && c != &f.Label13) {
                controls.push_back(c);
            }
        }
        return controls;
    }
    void expect_group_enabled(const std::vector<Control*>& controls, bool enabled) {
        for (Control* c : controls)
            EXPECT_EQ(c->enabled, enabled) << name_of(c);
    }
    std::string name_of(const Control* c) {
        for (const auto& [name, control] : f.controls()) {
            if (control == c)
                return name;
        }
        return "?";
    }
};

TEST_F(Options, FailedAnalysesUntickTheBoxAndResetTheLists) {
    struct Case {
        const char* name;
        std::function<std::string(test::PackageBuilder&)> source;  // the typed source text
        std::string message;
    };
    const std::vector<Case> cases = {
        {"empty source box", [](auto&) { return std::string(); }, "MsgErrInPath1"},
        {"missing folder", [](auto& p) { return p.root() + "missing"; },
         "MsgErrInPath2\r\nMsgErrChk"},
        {"a file, not a folder", [](auto& p) { return p.plain().folder() + "setup.exe"; },
         "MsgErrInPath2\r\nMsgErrChk"},
        {"package not recognised", [](auto& p) { return p.root(); }, "MsgErrInPath4\r\nMsgErrChk"},
        {"no model file",
         [](auto& p) {
             p.flat({kEnglish}).drivers({{"PCL6"}});
             return p.root();
         },
         "MsgErrModel1\r\nMsgErrChk"},
        {"no model in the file",
         [](auto& p) {
             p.flat({kEnglish}).models("ModelList.sii", {});
             return p.root();
         },
         "MsgErrModel1\r\nMsgErrChk"},
        {"seventh driver",
         [](auto& p) {
             p.flat({kEnglish})
                 .drivers({{"A"}, {"B"}, {"C"}, {"D"}, {"E"}, {"F"}, {"G"}})
                 .models("ModelList.sii", {"A100"});
             return p.root();
         },
         "MsgErrEmu\r\nMsgErrChk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FormFixture g;
        test::TempDir dir;
        test::PackageBuilder p(dir);
        MainForm& form = *g.form;
        form.In_Path.text = c.source(p);
        form.Chk_SI.value = 1;
        form.Chk_SI_Click();
        EXPECT_EQ(g.prompter.messages(), Items{c.message});
        ASSERT_FALSE(g.prompter.shown.empty());
        EXPECT_EQ(g.prompter.shown[0].title, "MsgErr");
        EXPECT_EQ(form.Chk_SI.value, 0);
        for (Control* control : silent_install_group(form))
            EXPECT_FALSE(control->enabled);
        EXPECT_FALSE(form.Com_OK.enabled);
        EXPECT_EQ(form.pkg.Model_Name.items, Items{"MsgSilent"});
        EXPECT_EQ(form.pkg.Model_Name.index, 0);
        EXPECT_EQ(form.pkg.Emu_Name.items, Items{"No Emu"});
        EXPECT_EQ(form.pkg.Emu_Name.index, 0);
        EXPECT_EQ(form.Printer_Name.text, "");
    }
}

TEST_F(Options, SuccessfulAnalysisFillsTheListsAndEnablesTheEntryControls) {
    printer_package();
    f.In_Path.text = package.root_unterminated();
    tick_silent();
    EXPECT_TRUE(fx.prompter.shown.empty());
    EXPECT_EQ(f.Chk_SI.value, 1);
    EXPECT_EQ(f.In_Path.text, package.root());
    EXPECT_EQ(f.pkg.Model_Name.items, (Items{"KORVA A100", "KORVA B200"}));
    EXPECT_EQ(f.pkg.Model_Name.index, 0);
    EXPECT_EQ(f.pkg.Emu_Name.items, Items{"PCL6"});
    EXPECT_EQ(f.pkg.Language_Name.items, Items{"English"});
    expect_group_enabled(group_without_emulation(), true);
    EXPECT_TRUE(f.Emu_Name.enabled);
    EXPECT_TRUE(f.Label11.enabled);
    EXPECT_TRUE(f.Com_OK.enabled);
    // Raw is the start-up protocol: its port box is open, the queue box is not.
    EXPECT_FALSE(f.Protocol_Lpr.enabled);
    EXPECT_FALSE(f.Label13.enabled);
    // Selecting the first model proposes a printer name, as a click would.
    EXPECT_EQ(f.Printer_Name.text, "KORVA A100 PCL6");
}

TEST_F(Options, TheSeparatorIsAppendedBeforeThePackageIsRead) {
    package.kind_folder("Printer").models("ModelList.sii", {"A100"});
    f.In_Path.text = package.root_unterminated();
    tick_silent();
    ASSERT_EQ(f.Chk_SI.value, 1) << testing::PrintToString(fx.prompter.messages());
    EXPECT_EQ(f.In_Path.text, package.root() + "Printer" + kSep);
}

TEST_F(Options, APackageWithoutEmulationsKeepsTheEmulationBoxDisabled) {
    package.flat({kEnglish}).models("ModelList.sii", {"A100,PCL6"}).mkdir("QXPort");
    f.In_Path.text = package.root();
    tick_silent();
    ASSERT_EQ(f.Chk_SI.value, 1);
    EXPECT_EQ(f.pkg.Emu_Name.items, Items{"No Emu"});
    EXPECT_FALSE(f.Emu_Name.enabled);
    EXPECT_FALSE(f.Label11.enabled);
    expect_group_enabled(group_without_emulation(), true);
    EXPECT_EQ(f.pkg.Drv_Suffix, " PCL6");
}

TEST_F(Options, EachAnalysisStartsWithoutTheSuffixOfTheLastPackage) {
    package.flat({kEnglish}).models("ModelList.sii", {"A100,PCL6"});
    f.In_Path.text = package.root();
    tick_silent();
    ASSERT_EQ(f.pkg.Drv_Suffix, " PCL6");

    test::PackageBuilder second(work, "second");
    second.flat({kEnglish}).models("ModelList.sii", {"C300"});
    f.In_Path.text = second.root();
    tick_silent(0);
    tick_silent();
    ASSERT_EQ(f.Chk_SI.value, 1);
    EXPECT_EQ(f.pkg.Drv_Suffix, "");
    EXPECT_EQ(f.Printer_Name.text, "KORVA C300");
}

TEST_F(Options, PrinterEntriesSurviveUntickingButNotTicking) {
    printer_package();
    f.In_Path.text = package.root();
    tick_silent();
    f.Printer_List.list->add(" 1. KORVA A100 PCL6(10.0.0.5,P,Standard,RAW,9100,,,)");
    tick_silent(0);
    EXPECT_EQ(f.Printer_List.list->count(), 1);
    expect_group_enabled(silent_install_group(f), false);
    EXPECT_EQ(f.pkg.Model_Name.items, (Items{"KORVA A100", "KORVA B200"}));
    tick_silent();
    EXPECT_EQ(f.Printer_List.list->count(), 0);
}

TEST_F(Options, CreateButtonFollowsBothFunctionBoxes) {
    printer_package();
    f.In_Path.text = package.root();

    tick_user();
    EXPECT_TRUE(f.Com_OK.enabled);
    for (Control* c : {&f.Frame6, &f.Label6, &f.Acount_Name, &f.Label9, &f.Password, &f.Label8,
                       &f.Domain_Name}) {
        EXPECT_TRUE(c->enabled) << name_of(c);
    }
    expect_group_enabled(silent_install_group(f), false);
    EXPECT_EQ(f.Acount_Name.text, "Administrator");

    tick_silent();
    tick_silent(0);
    EXPECT_TRUE(f.Com_OK.enabled);  // user install still wants it
    tick_user(0);
    EXPECT_FALSE(f.Com_OK.enabled);
    EXPECT_FALSE(f.Password.enabled);
    EXPECT_EQ(f.Domain_Name.text, "%USERDNSDOMAIN%");

    tick_silent();
    tick_user();
    tick_user(0);
    EXPECT_TRUE(f.Com_OK.enabled);  // silent install still wants it
    tick_silent(0);
    EXPECT_FALSE(f.Com_OK.enabled);
}

TEST_F(Options, BrowseFillsTheBoxThatHadTheFocusLast) {
    printer_package();
    f.In_Path.text = package.root();
    tick_silent();

    f.Out_Path_GotFocus();
    fx.prompter.browse_answers = {std::string("/chosen/out")};
    f.Com_Brow_Click();
    EXPECT_EQ(f.Out_Path.text, "/chosen/out");
    EXPECT_EQ(f.Chk_SI.value, 1);

    f.In_Path_GotFocus();
    fx.prompter.browse_answers = {std::nullopt};
    f.Com_Brow_Click();
    EXPECT_EQ(f.In_Path.text, package.root());
    EXPECT_EQ(f.Chk_SI.value, 1);

    fx.prompter.browse_answers = {std::string("/chosen/in")};
    f.Com_Brow_Click();
    EXPECT_EQ(f.In_Path.text, "/chosen/in");
    EXPECT_EQ(f.Chk_SI.value, 0);
    expect_group_enabled(silent_install_group(f), false);
    EXPECT_EQ(f.Out_Path.text, "/chosen/out");
    EXPECT_EQ(fx.prompter.count("browse"), 3);
    EXPECT_EQ(fx.prompter.messages(), Items{});
}

TEST_F(Options, QxPortNeedsItsSubFolders) {
    for (bool present : {false, true}) {
        SCOPED_TRACE(present);
        test::FormFixture g;
        test::TempDir dir;
        test::PackageBuilder p(dir);
        test::Installer inst = p.flat({kEnglish});
        inst.models("ModelList.sii", {"A100"});
        if (present)
            inst.mkdir("QXPort");
        MainForm& form = *g.form;
        MainForm::select_option(form.P_Qx, form.P_Standard);
        form.In_Path.text = p.root();
        form.Chk_SI.value = 1;
        form.Chk_SI_Click();
        ASSERT_EQ(form.Chk_SI.value, 1);
        EXPECT_EQ(form.P_Qx.enabled, present);
        EXPECT_EQ(form.P_Standard.value, present ? 0 : 1);
        EXPECT_EQ(form.P_Qx.value, present ? 1 : 0);
    }
}

TEST_F(Options, SubFolderCheckTakesCatalogueSeparators) {
    test::Installer inst = printer_package();
    inst.mkdir("QX/Print");
    f.In_Path.text = inst.folder();
    f.P_Qx.enabled = true;
    EXPECT_TRUE(f.In_Path_Sub_Check("QX\\Print"));
    EXPECT_TRUE(f.P_Qx.enabled);
    EXPECT_FALSE(f.In_Path_Sub_Check("QX\\Missing"));
    EXPECT_FALSE(f.P_Qx.enabled);
    EXPECT_EQ(f.P_Standard.value, 1);
}

TEST_F(Options, UntickingReadsTheLanguagesOfTheTypedFolder) {
    package.flat({kJapanese, kEnglish});
    f.In_Path.text = package.root();
    tick_silent(0);
    EXPECT_EQ(f.pkg.Language_Name.items, (Items{"Japanese", "English"}));
    EXPECT_FALSE(f.Language_Name.enabled);
}

TEST_F(Options, ClearsResetTheirListsAndUntickSilentInstall) {
    printer_package();
    f.In_Path.text = package.root();
    tick_silent();
    f.Model_Name_Clear();
    EXPECT_EQ(f.pkg.Model_Name.items, Items{"MsgSilent"});
    EXPECT_EQ(f.Chk_SI.value, 0);
    EXPECT_FALSE(f.Add.enabled);
    EXPECT_EQ(f.Printer_Name.text, "");
    f.Emu_Name_Clear();
    EXPECT_EQ(f.pkg.Emu_Name.items, Items{"No Emu"});
    EXPECT_EQ(f.pkg.Emu_Slots, std::vector<int>{-1});
}

}  // namespace
}  // namespace korva
