// SPDX-License-Identifier: MIT
// The emulation and model lists of a package, the six driver slots, and the check that printer
// entries still name models of the package.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/path.h"
#include "source/model_catalogue.h"
#include "source/package_reader.h"
#include "support/package_builder.h"

namespace korva {
namespace {

using test::DriverEntry;
using test::kEnglish;
using test::SourceFixture;
using Items = std::vector<std::string>;

struct Models : ::testing::Test {
    SourceFixture fx;

    // A flat English package whose installer folder is already found.
    test::Installer package() {
        test::Installer inst = fx.package.flat({kEnglish});
        fx.pkg.Driver_Folder = inst.folder();
        fx.pkg.Lang_Folder = "English";
        return inst;
    }
    bool emulations() { return Emu_Name_Get(fx.pkg, *fx.ctx); }
    bool models() { return fill_model_list(fx.pkg, *fx.ctx); }
};

TEST_F(Models, EmulationListOffersOnePrinterDriverPerSlot) {
    package().drivers({{"PCL6_x"}, {"PS_PPD"}, {"VEXL2"}});
    ASSERT_TRUE(emulations());
    EXPECT_EQ(fx.pkg.Emu_Name.items, (Items{"PCL6", "VEXL2-c/VEXL2"}));
    EXPECT_EQ(fx.pkg.Emu_Name.index, 0);
    EXPECT_EQ(fx.pkg.Emu_Drivers[0], "PCL6_x");
    EXPECT_EQ(fx.pkg.Emu_Drivers[1], "PS_PPD");
    EXPECT_EQ(fx.pkg.Emu_Drivers[2], "VEXL2-c/VEXL2");
    // The emulation chosen maps to its own driver, not to the slot at its list position.
    EXPECT_EQ(fx.pkg.Emu_Slots, (std::vector<int>{0, 2}));
    EXPECT_EQ(fx.pkg.Emu_Use, 1);
    EXPECT_EQ(fx.pkg.Fax_Found, 0);
}

TEST_F(Models, EmulationListCases) {
    struct Case {
        const char* name;
        std::vector<DriverEntry> drivers;
        Items list;
        std::vector<int> slots;
        int emu_use;
        int fax_found;
    };
    const std::vector<Case> cases = {
        {"no driver", {}, {"No Emu"}, {-1}, 0, 0},
        {"fax anywhere", {{"PCL6"}, {"FAX_Driver"}, {"PS"}}, {"PC-Fax"}, {-1}, 1, 1},
        {"empty name", {{""}}, {""}, {0}, 0, 0},
        {"blank suffix", {{"", "\" \""}}, {" "}, {0}, 0, 0},
        {"only ppd", {{"PS_PPD"}}, {"No Emu"}, {-1}, 0, 0},
        {"ppd in the suffix", {{"PS", "_PPD"}, {"PCL6"}}, {"PCL6"}, {1}, 1, 0},
        // Cut at its last "_" this driver would read "Drv"; it is a FAX driver all the same.
        {"fax in the suffix", {{"PCL6"}, {"Drv", "_FAX"}}, {"PC-Fax"}, {-1}, 1, 1},
        {"suffix cut at its last underscore", {{"PCL6", "_A_B"}}, {"PCL6_A"}, {0}, 1, 0},
        {"name before its blank", {{"PCL6 Driver_1", "_x"}}, {"PCL6"}, {0}, 1, 0},
        {"two VEXL2 drivers",
         {{"VEXL2"}, {"VEXL2_Color"}},
         {"VEXL2-c/VEXL2", "VEXL2-c/VEXL2"},
         {0, 1},
         1,
         0},
        {"six drivers",
         {{"A"}, {"B"}, {"C"}, {"D"}, {"E"}, {"F"}},
         {"A", "B", "C", "D", "E", "F"},
         {0, 1, 2, 3, 4, 5},
         1,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        f.pkg.Driver_Folder = f.package.flat({kEnglish}).drivers(c.drivers).folder();
        ASSERT_TRUE(Emu_Name_Get(f.pkg, *f.ctx));
        EXPECT_EQ(f.pkg.Emu_Name.items, c.list);
        EXPECT_EQ(f.pkg.Emu_Slots, c.slots);
        EXPECT_EQ(f.pkg.Emu_Use, c.emu_use);
        EXPECT_EQ(f.pkg.Fax_Found, c.fax_found);
        EXPECT_TRUE(f.prompter.shown.empty());
    }
}

TEST_F(Models, SlotsKeepTheWholeNameAndSuffix) {
    package().drivers({{"PCL6 extra", "_A"}, {"FAX"}});
    ASSERT_TRUE(emulations());
    EXPECT_EQ(fx.pkg.Emu_Drivers[0], "PCL6_A");
    EXPECT_EQ(fx.pkg.Emu_Drivers[1], "FAX");
}

TEST_F(Models, ASeventhDriverHasNoSlot) {
    package().drivers({{"A"}, {"B"}, {"C"}, {"D"}, {"E"}, {"F"}, {"G"}});
    int model_clears = 0;
    int emu_clears = 0;
    ListResets resets{[&] { ++model_clears; }, [&] { ++emu_clears; }};
    EXPECT_FALSE(Emu_Name_Get(fx.pkg, *fx.ctx, resets));
    EXPECT_EQ(model_clears, 1);
    EXPECT_EQ(emu_clears, 1);
    EXPECT_EQ(fx.prompter.messages(), Items{"MsgErrEmu\r\nMsgErrChk"});
}

TEST_F(Models, WithoutWindowResetsTheListsGetTheirPlaceholders) {
    package()
        .append("Setup.sii", "[InitialSettings]\r\nDriver=100000\r\n")
        .append("setup.ini", "[FileName]\r\nSiiName=Setup.sii\r\n");
    EXPECT_FALSE(emulations());
    EXPECT_EQ(fx.pkg.Emu_Name.items, Items{"No Emu"});
    EXPECT_EQ(fx.pkg.Emu_Slots, std::vector<int>{-1});
    EXPECT_EQ(fx.pkg.Model_Name.items, Items{"MsgSilent"});
    EXPECT_EQ(fx.pkg.Model_Name.index, 0);
}

TEST_F(Models, DamagedDriverTablesGiveTheirListWithoutFailing) {
    struct Case {
        const char* name;
        std::string setup_ini;
        std::string sii;
        Items list;
    };
    const std::string names = "DRIVER_1=PCL6\r\n";
    const std::vector<Case> cases = {
        {"count above the keys present",
         "[FileName]\r\nSiiName=Setup.sii\r\n",
         "[InitialSettings]\r\nDriver=3\r\n" + names,
         {"PCL6", "", ""}},
        {"negative count",
         "[FileName]\r\nSiiName=Setup.sii\r\n",
         "[InitialSettings]\r\nDriver=-2\r\n" + names,
         {"No Emu"}},
        {"count not a number",
         "[FileName]\r\nSiiName=Setup.sii\r\n",
         "[InitialSettings]\r\nDriver=many\r\n" + names,
         {"No Emu"}},
        {"sii name missing", "", "[InitialSettings]\r\nDriver=1\r\n" + names, {"No Emu"}},
        {"sii file missing",
         "[FileName]\r\nSiiName=Other.sii\r\n",
         "[InitialSettings]\r\nDriver=1\r\n" + names,
         {"No Emu"}},
        {"name with blank, file missing",
         "[FileName]\r\nSiiName=Other.sii /q\r\n",
         "[InitialSettings]\r\nDriver=1\r\n" + names,
         {"No Emu"}},
        {"name with blank, file present",
         "[FileName]\r\nSiiName=Setup.sii /q\r\n",
         "[InitialSettings]\r\nDriver=1\r\n" + names,
         {"PCL6"}},
        {"startup section",
         "[FileName]\r\nSiiName=\r\n[Startup]\r\nSiiName=Setup.sii\r\n",
         "[InitialSettings]\r\nDriver=1\r\n" + names,
         {"PCL6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        test::Installer inst = f.package.plain();
        inst.write("setup.ini", c.setup_ini).write("Setup.sii", c.sii);
        f.pkg.Driver_Folder = inst.folder();
        ASSERT_TRUE(Emu_Name_Get(f.pkg, *f.ctx));
        EXPECT_EQ(f.pkg.Emu_Name.items, c.list);
    }
}

TEST_F(Models, DriverValuesAreCutToTheirBuffer) {
    package().drivers({{std::string(500, 'P'), std::string(500, 'S')}});
    ASSERT_TRUE(emulations());
    EXPECT_EQ(fx.pkg.Emu_Drivers[0], std::string(99, 'P') + std::string(99, 'S'));
}

TEST_F(Models, VexlEmulationsPerModelFromItsModelFile) {
    package()
        .drivers({{"PCL6"}, {"VEXL2", "", "VexlIns.sii /x"}})
        .models("English/VexlIns.sii", {"A100 VEXL2-c_J", "B200", "C300 VEXL2 mono"});
    ASSERT_TRUE(emulations());
    EXPECT_EQ(fx.pkg.Model_Emus, (Items{"VEXL2-c_J", "B200", "VEXL2 mono"}));
}

TEST_F(Models, VexlEmulationsPerModelFromTheInstallerSii) {
    package().drivers({{"VEXL2", "_J"}}).models("Setup.sii", {"A100 Color", "B200", "Colour"});
    ASSERT_TRUE(emulations());
    EXPECT_EQ(fx.pkg.Model_Emus, (Items{"VEXL2-c_J", "VEXL2_J", "VEXL2_J"}));
    EXPECT_EQ(fx.pkg.Emu_Drivers[0], "VEXL2-c/VEXL2");
}

TEST_F(Models, ModelListFromEitherModelFile) {
    struct Case {
        const char* name;
        std::function<void(test::Installer&)> build;
        Items models;
        std::string suffix;
    };
    const std::vector<Case> cases = {
        {"ins file split at the blank",
         [](auto& i) {
             i.models("English/PrnIns.sii", {"A100 PCL6", "B200 PCL6 Extra"});
         },
         {"KORVA A100", "KORVA B200"},
         " PCL6"},
        {"is file split at the comma, suffix begins with a blank",
         [](auto& i) {
             i.models("ModelList.sii", {"A100,PCL6", "B200 Pro"});
         },
         {"KORVA A100", "KORVA B200 Pro"},
         " PCL6"},
        {"ins file wins",
         [](auto& i) {
             i.models("ModelList.sii", {"X1,Y"});
             i.models("English/PrnIns.sii", {"A100"});
         },
         {"KORVA A100"},
         ""},
        {"first value with a separator gives the suffix",
         [](auto& i) {
             i.models("ModelList.sii", {"A100", "B200,Q", "C300,R"});
         },
         {"KORVA A100", "KORVA B200", "KORVA C300"},
         " Q"},
        {"first model file in the order Windows lists names",
         [](auto& i) {
             i.models("English/B_ins.sii", {"B1"});
             i.models("English/a_ins.sii", {"A1"});
         },
         {"KORVA A1"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        test::Installer inst = f.package.flat({kEnglish});
        c.build(inst);
        f.pkg.Driver_Folder = inst.folder();
        f.pkg.Lang_Folder = "English";
        ASSERT_TRUE(fill_model_list(f.pkg, *f.ctx));
        EXPECT_EQ(f.pkg.Model_Name.items, c.models);
        EXPECT_EQ(f.pkg.Model_Name.index, 0);
        EXPECT_EQ(f.pkg.Drv_Suffix, c.suffix);
    }
}

TEST_F(Models, SuffixOnlyWithoutEmulationsAndOnlyOnce) {
    package().models("ModelList.sii", {"A100,X"});
    fx.pkg.Emu_Use = 1;
    ASSERT_TRUE(models());
    EXPECT_EQ(fx.pkg.Drv_Suffix, "");
    fx.pkg.Emu_Use = 0;
    fx.pkg.Drv_Suffix = " Earlier";
    ASSERT_TRUE(models());
    EXPECT_EQ(fx.pkg.Drv_Suffix, " Earlier");
}

TEST_F(Models, NoModelsMeansNoList) {
    struct Case {
        const char* name;
        std::function<void(test::Installer&)> build;
    };
    const std::vector<Case> cases = {
        {"no model file", [](auto&) {}},
        {"zero models", [](auto& i) { i.models("ModelList.sii", {}); }},
        {"negative count",
         [](auto& i) { i.write("ModelList.sii", "[ModelName]\r\nnModelNum=-3\r\n"); }},
        {"model file is a folder", [](auto& i) { i.mkdir("ModelList.sii"); }},
        {"ins file is a folder", [](auto& i) { i.mkdir("English/PrnIns.sii"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        test::Installer inst = f.package.flat({kEnglish});
        c.build(inst);
        f.pkg.Driver_Folder = inst.folder();
        f.pkg.Lang_Folder = "English";
        EXPECT_FALSE(fill_model_list(f.pkg, *f.ctx));
        EXPECT_EQ(f.pkg.Model_Name.count(), 0);
    }
}

TEST_F(Models, AHugeModelCountIsBounded) {
    package().write("ModelList.sii", "[ModelName]\r\nnModelNum=100000\r\nmodel1=A100\r\n");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(models());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(fx.pkg.Model_Name.items.front(), "KORVA A100");
    EXPECT_LE(fx.pkg.Model_Name.count(), 1000);
}

TEST_F(Models, LongModelValuesAreCutOnlyByTheEntryCheck) {
    const std::string tail(400, 'x');
    package().models("ModelList.sii", {"A100," + tail, std::string(150, 'M')});
    ASSERT_TRUE(models());
    EXPECT_EQ(fx.pkg.Model_Name.items[1], "KORVA " + std::string(150, 'M'));
    EXPECT_EQ(fx.pkg.Drv_Suffix, " " + tail);
    fx.pkg.Drv_Suffix.clear();
    // The name before the comma survives the 99-byte cut; a 150-byte name does not.
    EXPECT_TRUE(
        Model_Name_Check(fx.pkg, *fx.ctx, {" 1. KORVA A100(1.2.3.4,P,Standard,RAW,9100,,,)"}));
    EXPECT_FALSE(Model_Name_Check(
        fx.pkg, *fx.ctx, {" 1. KORVA " + std::string(150, 'M') + "(1.2.3.4,P,Standard,,,,,)"}));
}

TEST_F(Models, EntryCheckFindsEveryEntryModel) {
    const std::string fields = "(10.0.0.5,Floor2,Standard,RAW,9100,,AutoConfig,Yes)";
    struct Case {
        const char* name;
        int emu_use;
        std::string suffix;
        Items lines;
        bool result;
    };
    const std::vector<Case> cases = {
        {"no entries", 0, "", {}, true},
        {"plain models", 0, "", {" 1. KORVA A100" + fields, " 2. KORVA B200" + fields}, true},
        {"emulation word dropped", 1, "", {" 1. KORVA A100 PCL6" + fields}, true},
        {"suffix word dropped", 0, " PCL6", {" 1. KORVA B200 PCL6" + fields}, true},
        {"emulation word kept without emulations", 0, "", {" 1. KORVA A100 PCL6" + fields}, false},
        {"one unknown model", 0, "", {" 1. KORVA A100" + fields, " 2. KORVA Z999" + fields}, false},
        {"case differs", 0, "", {" 1. korva A100" + fields}, false},
        {"no model part", 1, "", {"garbage"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceFixture f;
        test::Installer inst = f.package.flat({kEnglish});
        inst.models("ModelList.sii", {"A100,PCL6", "B200"});
        f.pkg.Driver_Folder = inst.folder();
        f.pkg.Lang_Folder = "English";
        f.pkg.Emu_Use = c.emu_use;
        f.pkg.Drv_Suffix = c.suffix;
        f.pkg.Emu_Name.add("PCL6");
        EXPECT_EQ(Model_Name_Check(f.pkg, *f.ctx, c.lines), c.result);
        if (c.result) {
            EXPECT_TRUE(f.prompter.shown.empty());
            EXPECT_EQ(f.pkg.Emu_Name.items, Items{"PCL6"});
        } else {
            EXPECT_EQ(f.prompter.messages(), Items{"MsgErrInPath6\r\nMsgErrChk"});
            EXPECT_EQ(f.pkg.Emu_Name.items, Items{"No Emu"});
            EXPECT_EQ(f.pkg.Model_Name.items, Items{"MsgSilent"});
        }
    }
}

TEST_F(Models, EntryCheckWithoutAModelFileFailsForAnyEntry) {
    package();
    EXPECT_FALSE(Model_Name_Check(fx.pkg, *fx.ctx, {" 1. KORVA A100(1.2.3.4,,,,,,,)"}));
    EXPECT_EQ(fx.prompter.messages(), Items{"MsgErrInPath6\r\nMsgErrChk"});
}

TEST(ModelSubfolders, ListEndsAtTheFirstEmptyKey) {
    test::TempDir dir;
    dir.write("Tool.sii", "[Subfolder]\r\n0=QXPort\r\n1=QX\\Print\r\n2=\r\n3=Never\r\n");
    Catalogue catalogue(dir.folder() + "Tool.sii", "StringEn", kMainBuffer);
    EXPECT_EQ(subfolder_list(catalogue), (Items{"QXPort", "QX\\Print"}));
}

}  // namespace
}  // namespace korva
