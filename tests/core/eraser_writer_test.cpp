// SPDX-License-Identifier: MIT
// The removal package is run on client computers by a program that only reads Setup.sii and the
// launcher scripts, so both are held byte for byte to hand-written files, and every failure of
// the copy and script steps must leave an empty output folder and one message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "eraser/removal_writer.h"
#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/failing_file_system.h"
#include "support/script_decoder.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva::eraser {
namespace {

namespace fs = std::filesystem;

std::string golden(const std::string& name) {
    return test::golden_file("eraser/" + name);
}

// Names in a folder and its sub-folders, relative, sorted.
std::vector<std::string> tree(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.push_back(fs::relative(entry.path(), root).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

constexpr const char* kCatalogue =
    "[StringEn2]\r\nMsgErr=MsgErr\r\nMsgErrCopy=MsgErrCopy\r\nMsgErrSetup=MsgErrSetup\r\n"
    "MsgErrEncoder=MsgErrEncoder %1\r\n"
    "MsgErrOneMore=MsgErrOneMore\r\nMsgLaunchTimeout=Too slow\r\n"
    // The main window's section must not be the one the removal messages come from.
    "[StringEn]\r\nMsgErrCopy=main section\r\nMsgErrSetup=main section\r\n";

struct Harness {
    explicit Harness(FileSystem& file_system = real_file_system(), CodePage cp = CodePage("CP1252"))
        : catalogue(program.write("Tool.sii", kCatalogue), "StringEn2", kDialogBuffer),
          ctx{catalogue, prompter, file_system, cp, [] {}, program.folder(), system.folder()} {
        package.input = input.folder();
        package.output = output.folder();
    }

    void put_tool_archive() const {
        test::make_cabinet(program.folder() + "Tool.bin", test::tool_entries("v2/"));
    }

    std::string decoded(const std::string& name) const {
        DecodedScript d = decode_script(test::read_file(output.path() / name), ctx.codepage);
        EXPECT_TRUE(d.checksum_ok) << name;
        EXPECT_TRUE(d.length_ok) << name;
        return d.text;
    }

    std::string setup_sii() const { return test::read_file(output.path() / "Setup.sii"); }

    test::TempDir program;
    test::TempDir system;
    test::TempDir input;
    test::TempDir output;
    test::ScriptedPrompter prompter;
    Catalogue catalogue;
    Context ctx;
    RemovalPackage package;
};

const std::vector<std::string> kNone;

TEST(RemovalSetupSii, WrittenIntoAnEmptyFolder) {
    Harness h;
    ASSERT_TRUE(Write_SetupSii(h.package, h.ctx));
    EXPECT_EQ(h.setup_sii(), golden("Setup_fresh.sii"));
    EXPECT_TRUE(h.prompter.shown.empty());
}

TEST(RemovalSetupSii, ListsInOrderWithDuplicatesInTheAnsiCodePage) {
    Harness h(real_file_system(), CodePage("CP932"));
    h.package.show_dialog = false;
    h.package.Chk_QX0 = 1;
    h.package.Chk_QX1 = 1;
    h.package.printers = {"Office A", "経理部 プリンタ", "Lab"};
    h.package.drivers = {"KORVA A3010 PCL6", "KORVA A3010 PCL6"};
    ASSERT_TRUE(Write_SetupSii(h.package, h.ctx));
    EXPECT_EQ(h.setup_sii(), golden("Setup_lists_cp932.sii"));
}

TEST(RemovalSetupSii, EveryPortMonitorCombination) {
    struct Case {
        int qx0;
        int qx1;
        const char* value;
    };
    const Case cases[] = {{0, 0, "0x00"}, {1, 0, "0x01"}, {0, 1, "0x10"}, {1, 1, "0x11"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Harness h;
        h.package.Chk_QX0 = c.qx0;
        h.package.Chk_QX1 = c.qx1;
        ASSERT_TRUE(Write_SetupSii(h.package, h.ctx));
        EXPECT_EQ(h.setup_sii(), std::string("[Setup]\r\nType=1\r\n[Port]\r\nPortMonitorDelete=") +
                                     c.value + "\r\n[PrinterName]\r\n[PrinterDriverName]\r\n");
    }
}

// A Setup.sii copied from the input folder keeps everything but the two lists, which lose all
// their old names, also when the new lists are empty.
TEST(RemovalSetupSii, UpdatesTheCopiedSetupSiiInPlace) {
    struct Case {
        const char* name;
        bool show_dialog;
        int qx0;
        int qx1;
        std::vector<std::string> printers;
        std::vector<std::string> drivers;
        const char* expected;
        const char* input_name = "Setup.sii";
    };
    const Case cases[] = {
        {"new lists", true, 1, 0, {"New"}, {"D1"}, "Setup_existing.sii"},
        {"empty lists", false, 0, 1, kNone, kNone, "Setup_existing_empty.sii"},
        // Windows opens the copied file under either spelling; it alone takes the lists.
        {"upper-case name", true, 1, 0, {"New"}, {"D1"}, "Setup_existing.sii", "SETUP.SII"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const std::string original = golden("Setup_existing_input.sii");
        h.input.write(c.input_name, original);
        h.input.write("EraserTool.exe", "program");
        // Read-only in the input folder; the copy must still take the new lists.
        fs::permissions(h.input.path() / c.input_name, fs::perms::owner_write,
                        fs::perm_options::remove);
        h.package.show_dialog = c.show_dialog;
        h.package.Chk_QX0 = c.qx0;
        h.package.Chk_QX1 = c.qx1;
        h.package.printers = c.printers;
        h.package.drivers = c.drivers;

        ASSERT_TRUE(File_Copy(h.package, h.ctx));
        ASSERT_TRUE(Write_SetupSii(h.package, h.ctx));
        EXPECT_EQ(test::read_file(h.output.path() / c.input_name), golden(c.expected));
        EXPECT_EQ(test::folder_names(h.output.path()),
                  (std::vector<std::string>{"EraserTool.exe", c.input_name}));
        EXPECT_EQ(real_file_system().attributes(h.output.folder() + c.input_name) & kAttrReadOnly,
                  0);
        EXPECT_EQ(test::read_file(h.input.path() / c.input_name), original);
        EXPECT_TRUE(h.prompter.shown.empty());
    }
}

TEST(RemovalSetupSii, RefusedWriteIsReportedAndNothingStays) {
    Harness h;
    h.output.write("EraserTool.exe", "program");
    h.output.mkdir("Setup.sii");  // a folder where the file should go
    EXPECT_FALSE(Write_SetupSii(h.package, h.ctx));
    EXPECT_EQ(h.prompter.messages(), std::vector<std::string>{"MsgErrCopy\r\nMsgErrOneMore"});
    EXPECT_EQ(h.prompter.shown[0].title, "MsgErr");
    EXPECT_TRUE(tree(h.output.path()).empty());
}

TEST(RemovalScripts, BothScriptsForEachDomainForm) {
    struct Case {
        Credentials creds;
        const char* script1;
        const char* script2;
    };
    const Case cases[] = {
        {{"Administrator", "Secret1", "%USERDNSDOMAIN%"},
         "EraserTool_userdnsdomain.vbs",
         "EraserToolUAC_userdnsdomain.vbs"},
        {{"Administrator", "Secret1", "%COMPUTERNAME%"},
         "EraserTool_computername.vbs",
         "EraserToolUAC_computername.vbs"},
        {{"Administrator", "Secret1", "%computername%"},
         "EraserTool_literal.vbs",
         "EraserToolUAC_literal.vbs"},
        {{"Ad\"min", "p\"w+{x}~%", "CORP \"X\""},
         "EraserTool_escaped.vbs",
         "EraserToolUAC_escaped.vbs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script1);
        Harness h;
        h.package.user_install = true;
        h.package.creds = c.creds;
        ASSERT_TRUE(Create_SetupVBE(h.package, h.ctx));
        // The clear-text scripts hold the password and must be gone.
        EXPECT_EQ(tree(h.output.path()),
                  (std::vector<std::string>{"EraserTool.vbe", "EraserToolUAC.vbe"}));
        EXPECT_EQ(h.decoded("EraserTool.vbe"), golden(c.script1));
        EXPECT_EQ(h.decoded("EraserToolUAC.vbe"), golden(c.script2));
        EXPECT_TRUE(h.prompter.shown.empty());
    }
}

// The native launcher starts the removal program it was made with and waits for nothing else.
TEST(RemovalScripts, NativeLauncherBesideTheScripts) {
    Harness h;
    h.ctx.native_launcher = true;
    h.program.write("setupLaunch.exe", "launcher program");
    h.output.write("EraserTool.exe", "remover");
    h.package.creds = {"Administrator", "Secret1", "%COMPUTERNAME%"};
    ASSERT_TRUE(Create_SetupVBE(h.package, h.ctx));
    EXPECT_EQ(test::read_file(h.output.path() / "EraserToolLaunch.exe"), "launcher program");
    const auto settings = launcher::read_settings(
        test::read_file(h.output.path() / "EraserToolLaunch.ini"), h.ctx.codepage);
    EXPECT_EQ(settings->program + settings->sha256 + settings->wait_process +
                  settings->messages.at("Timeout"),
              "EraserTool.exe" + launcher::sha256_hex("remover") + "Too slow");
}

TEST(RemovalCopy, WithoutUserInstallOnlyTheTopLevelFiles) {
    Harness h;
    h.input.write("EraserTool.exe", "program");
    h.input.write("EraserTool.dll", "library");
    h.input.write("Tool", "a file named like the archive folder");
    h.input.write("docs/readme.txt", "not copied");
    h.output.write("EraserTool.exe", "older");  // overwritten
    ASSERT_TRUE(File_Copy(h.package, h.ctx));
    EXPECT_EQ(tree(h.output.path()),
              (std::vector<std::string>{"EraserTool.dll", "EraserTool.exe", "Tool"}));
    EXPECT_EQ(test::read_file(h.output.path() / "EraserTool.exe"), "program");
    // No Tool.bin lies beside the program: without user install it is not needed.
    EXPECT_TRUE(tree(h.system.path()).empty());
    EXPECT_TRUE(h.prompter.shown.empty());
}

TEST(RemovalCopy, AnInputFolderWithoutFilesCopiesNothing) {
    Harness h;
    h.input.mkdir("only-a-folder");
    ASSERT_TRUE(File_Copy(h.package, h.ctx));
    EXPECT_TRUE(tree(h.output.path()).empty());
    EXPECT_TRUE(h.prompter.shown.empty());
}

TEST(RemovalCopy, UserInstallTakesTheRunAsProgramAndTheEncoder) {
    Harness h;
    h.put_tool_archive();
    h.input.write("EraserTool.exe", "program");
    // A file named like the folder the archive used to be expanded into cannot get in the way.
    h.input.write("Tool", "file");
    h.package.user_install = true;
    ASSERT_TRUE(File_Copy(h.package, h.ctx));
    EXPECT_EQ(tree(h.output.path()),
              (std::vector<std::string>{"EraserTool.exe", "RunAsWithVB.exe", "Tool"}));
    EXPECT_EQ(test::read_file(h.output.path() / "RunAsWithVB.exe"), "tool RunAsWithVB.exe");
    EXPECT_EQ(test::read_file(h.system.path() / "screnc.exe"), "tool screnc.exe");
    EXPECT_TRUE(h.prompter.shown.empty());
}

TEST(RemovalCopy, AnEncoderAlreadyInTheSystemFolderStays) {
    Harness h;
    h.put_tool_archive();
    h.system.write("SCRENC.EXE", "installed");
    h.package.user_install = true;
    ASSERT_TRUE(File_Copy(h.package, h.ctx));
    EXPECT_EQ(tree(h.system.path()), std::vector<std::string>{"SCRENC.EXE"});
    EXPECT_EQ(test::read_file(h.system.path() / "SCRENC.EXE"), "installed");
}

TEST(RemovalCopy, MissingArchiveForUserInstall) {
    Harness h;
    h.input.write("EraserTool.exe", "program");
    h.package.user_install = true;
    EXPECT_FALSE(File_Copy(h.package, h.ctx));
    EXPECT_EQ(h.prompter.messages(), std::vector<std::string>{"MsgErrCopy\r\nMsgErrOneMore"});
    EXPECT_TRUE(tree(h.output.path()).empty());
    EXPECT_TRUE(tree(h.system.path()).empty());
}

// Every mutating file operation of the copy and script steps fails once in turn.
TEST(RemovalFailures, EachFailingOperationEmptiesTheOutputAndTellsOnce) {
    struct Step {
        const char* name;
        const char* message;
        bool (*run)(const RemovalPackage&, const Context&);
    };
    const Step steps[] = {
        {"File_Copy", "MsgErrCopy\r\nMsgErrOneMore",
         [](const RemovalPackage& p, const Context& c) { return File_Copy(p, c); }},
        {"Create_SetupVBE", "MsgErrSetup\r\nMsgErrOneMore",
         [](const RemovalPackage& p, const Context& c) { return Create_SetupVBE(p, c); }},
    };
    // A private temporary folder shows whether a failure leaves the expanded archive behind.
    test::TempDir tmp;
    const test::ScopedEnv private_tmp(test::kTempFolderVariable, tmp.folder());
    for (const Step& step : steps) {
        test::FailingFileSystem failing(real_file_system());
        int operations = 0;
        {
            Harness h(failing);
            h.put_tool_archive();
            h.input.write("EraserTool.exe", "program");
            h.input.write("Setup.sii", "[Setup]\r\nType=1\r\n");
            h.package.user_install = true;
            h.package.creds = {"Administrator", "pw", "%USERDNSDOMAIN%"};
            failing.reset();
            ASSERT_TRUE(step.run(h.package, h.ctx)) << step.name;
            operations = failing.mutations();
        }
        ASSERT_GT(operations, 0) << step.name;
        for (int n = 1; n <= operations; ++n) {
            SCOPED_TRACE(std::string(step.name) + " operation " + std::to_string(n));
            Harness h(failing);
            h.put_tool_archive();
            h.input.write("EraserTool.exe", "program");
            h.input.write("Setup.sii", "[Setup]\r\nType=1\r\n");
            h.package.user_install = true;
            h.package.creds = {"Administrator", "pw", "%USERDNSDOMAIN%"};
            failing.fail_at(n);
            EXPECT_FALSE(step.run(h.package, h.ctx));
            EXPECT_TRUE(failing.failed());
            const std::string script = failing.failed_script_write();
            EXPECT_EQ(h.prompter.messages(),
                      std::vector<std::string>{script.empty() ? step.message
                                                              : "MsgErrEncoder " + script});
            EXPECT_TRUE(tree(h.output.path()).empty());
            for (const auto& entry : fs::directory_iterator(tmp.path()))
                EXPECT_FALSE(entry.path().filename().string().starts_with("korva-tool-"));
        }
    }
}

// Without the folder checks a folder text may be empty or name the input folder itself; the copy
// refuses it and, unlike a failed copy, empties nothing.
TEST(RemovalFailures, UncheckedFolderTextsAreRefusedAndNothingIsEmptied) {
    struct Case {
        const char* name;
        void (*set)(Harness&);
    };
    const Case cases[] = {
        {"empty output", [](Harness& h) { h.package.output.clear(); }},
        {"empty input", [](Harness& h) { h.package.input.clear(); }},
        {"output is the input", [](Harness& h) { h.package.output = h.package.input; }},
        {"output inside the input", [](Harness& h) { h.package.output = h.input.mkdir("out"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.input.write("EraserTool.exe", "program");
        h.output.write("keep.txt", "kept");
        c.set(h);
        EXPECT_FALSE(File_Copy(h.package, h.ctx));
        EXPECT_EQ(h.prompter.messages(), std::vector<std::string>{"MsgErrCopy\r\nMsgErrOneMore"});
        EXPECT_EQ(test::read_file(h.input.path() / "EraserTool.exe"), "program");
        EXPECT_EQ(test::read_file(h.output.path() / "keep.txt"), "kept");
    }

    Harness h;
    h.package.output.clear();
    EXPECT_FALSE(Write_SetupSii(h.package, h.ctx));
    EXPECT_FALSE(fs::exists("Setup.sii"));
}

// Names reach the removal program exactly as typed, whatever their ends.
TEST(RemovalSetupSii, HostileNamesReadBackExactly) {
    Harness h(real_file_system(), CodePage("CP932"));
    h.package.printers = {" Office A ", "\"Lab\"", "a & ( ) ^ % \\", std::string(1000, 'p'),
                          "経理部 プリンタ"};
    h.package.drivers = {"'KORVA'"};
    ASSERT_TRUE(Write_SetupSii(h.package, h.ctx));
    const std::string sii = h.output.folder() + "Setup.sii";
    for (std::size_t i = 0; i < h.package.printers.size(); ++i) {
        EXPECT_EQ(profile::get_string(sii, "PrinterName", "Model" + std::to_string(i + 1), "", 2000,
                                      CodePage("CP932")),
                  h.package.printers[i]);
    }
    EXPECT_EQ(profile::get_string(sii, "PrinterDriverName", "Model1", "", 500, CodePage("CP932")),
              "'KORVA'");
}

// A copy cut short leaves an empty encoder; it is replaced, never taken for the real one.
TEST(RemovalCopy, AnEmptyEncoderInTheSystemFolderIsReplaced) {
    Harness h;
    h.put_tool_archive();
    h.system.write("screnc.exe", "");
    h.package.user_install = true;
    ASSERT_TRUE(File_Copy(h.package, h.ctx));
    EXPECT_EQ(tree(h.system.path()), std::vector<std::string>{"screnc.exe"});
    EXPECT_NE(test::read_file(h.system.path() / "screnc.exe"), "");
}

}  // namespace
}  // namespace korva::eraser
