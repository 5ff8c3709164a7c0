// SPDX-License-Identifier: MIT
// The launcher scripts run on client computers where nobody can correct them, so each generated
// .vbe is decoded and held to hand-written scripts, and the clear-text password files are
// followed through every success and failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "package/launcher_scripts.h"
#include "package/script_encoder.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "support/env_var.h"
#include "support/failing_file_system.h"
#include "support/host.h"
#include "support/script_decoder.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

std::string golden(const std::string& name) {
    return test::golden_file("scripts/" + name);
}

const std::vector<std::string> kBothScripts = {"setup.vbe", "setupUAC.vbe"};

struct Harness {
    explicit Harness(const std::string& setup_section = "",
                     FileSystem& file_system = real_file_system(), CodePage cp = CodePage("CP1252"))
        : catalogue(program.write("Tool.sii",
                                  "[Setup]\r\n" + setup_section +
                                      "[StringEn]\r\nMsgErr=MsgErr\r\n"
                                      "MsgErrSetup=MsgErrSetup\r\n"
                                      "MsgErrOneMore=MsgErrOneMore\r\n"
                                      "MsgErrLaunchProgram=missing %1\r\nMsgLaunchTitle=Launch"
                                      "\r\nMsgErrEncoder=MsgErrEncoder %1"
                                      "\r\n[StringJp]\r\nMsgLaunchTitle=起動\r\n"),
                    "StringEn", kMainBuffer),
          ctx{catalogue, prompter, file_system, cp, [] {}, program.folder(), ""} {}

    // The decoded text of an encoded script in the output, with its fields checked.
    std::string decoded(const std::string& name) const {
        DecodedScript d = decode_script(test::read_file(output.path() / name), ctx.codepage);
        EXPECT_TRUE(d.checksum_ok) << name;
        EXPECT_TRUE(d.length_ok) << name;
        return d.text;
    }

    test::TempDir program;
    test::TempDir output;
    test::ScriptedPrompter prompter;
    Catalogue catalogue;
    Context ctx;
};

SetupScriptInputs inputs(Credentials creds, int flag = 0, std::string printer = "", int count = 0) {
    SetupScriptInputs in;
    in.creds = std::move(creds);
    in.DefPrinter_Flag = flag;
    in.DefPrinter_Name = std::move(printer);
    in.printer_count = count;
    return in;
}

const Credentials kAdmin = {"Administrator", "secret", "%USERDNSDOMAIN%"};

TEST(LauncherScripts, EncodedScriptsDecodeToTheWrittenTexts) {
    struct Case {
        const char* name;
        std::string setup_section;
        SetupScriptInputs in;
        const char* script1;
        const char* script2;
    };
    const Case cases[] = {
        {"no default printer", "", inputs(kAdmin), "setup_no_default.vbs",
         "setupUAC_no_default.vbs"},
        {"default printer, settings missing, three printers", "",
         inputs(kAdmin, 1, "Office Printer 2F", 3), "setup_default.vbs", "setupUAC_default.vbs"},
        {"values that need escaping", "WaitTime=1.5\r\nTimeOut=60\r\n",
         inputs({"Ad\"min", "p\"a+s^s%w~o(r)d{x}[y] ", "DOM\"AIN"}, 1, "Printer \"Q\" 1", 2),
         "setup_escaped.vbs", "setupUAC_escaped.vbs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.setup_section);
        ASSERT_TRUE(Create_SetupVBE(c.in, h.output.folder(), h.ctx));
        EXPECT_EQ(test::folder_names(h.output.path()), kBothScripts);
        EXPECT_EQ(h.decoded("setup.vbe"), golden(c.script1));
        EXPECT_EQ(h.decoded("setupUAC.vbe"), golden(c.script2));
        EXPECT_TRUE(h.prompter.shown.empty());
    }
}

TEST(LauncherScripts, WaitAndTimeoutFromTheSettings) {
    struct Case {
        const char* WaitTime;
        const char* TimeOut;
        int printers;
        const char* wait;
        const char* timeout;
    };
    const Case cases[] = {
        {"", "", 3, "20000", "540"},
        {"30", "60", 2, "30000", "120"},
        {"-5", "-1", 1, "20000", "180"},
        {"0", "0", 1, "20000", "180"},
        {"1.5", "2.5", 1, "1500", "2"},  // a half goes to the even neighbour
        {" 2x", "3.5", 1, "2000", "4"},
        {"abc", "0.4", 2, "20000", "360"},  // 0.4 rounds to 0, which means the default
        {"+7", "1e2", 1, "7000", "100"},
        {"0.0001", "40000", 2, "0.1", "80000"},  // beyond the 16-bit range, written as it is
        {"1e300", "1e300", 1, "1E+303", "1E+300"},
        {"1e999", "1e999", 1, "20000", "180"},  // no number a double can hold
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.WaitTime) + " / " + c.TimeOut);
        EXPECT_EQ(wait_text(c.WaitTime), c.wait);
        EXPECT_EQ(timeout_text(c.TimeOut, c.printers), c.timeout);
    }

    // The settings are taken from the catalogue for both scripts.
    Harness h("WaitTime=30\r\nTimeOut=60\r\n");
    ASSERT_TRUE(Create_SetupVBE(inputs(kAdmin, 1, "P", 2), h.output.folder(), h.ctx));
    for (const char* name : {"setup.vbe", "setupUAC.vbe"}) {
        std::string text = h.decoded(name);
        EXPECT_NE(text.find("\r\nWScript.Sleep 30000\r\n"), std::string::npos) << name;
        EXPECT_NE(text.find("\r\nif nCnt >= 120 Then\r\n"), std::string::npos) << name;
        EXPECT_NE(text.find("\r\nif nCnt < 120 Then\r\n"), std::string::npos) << name;
    }
}

TEST(LauncherScripts, RunLineFollowsTheExactDomainText) {
    struct Case {
        const char* domain;
        const char* line;
    };
    const Case cases[] = {
        {"%USERDNSDOMAIN%",
         R"(nReturn = objShell.Run("runas " & "/user:" & objNetWork.UserDomain & "\adm" & " " & strExePath,1))"},
        {"%COMPUTERNAME%",
         R"(nReturn = objShell.Run("runas " & "/user:" & objNetWork.ComputerName & "\adm" & " " & strExePath,1))"},
        {"%userdnsdomain%",
         R"(nReturn = objShell.Run("runas " & "/user:" & "%userdnsdomain%\adm" & " " & strExePath,1))"},
        // A blank would split the argument; quoted, it stays one.
        {"%COMPUTERNAME% ",
         R"(nReturn = objShell.Run("runas " & Chr(34) & "/user:" & "%COMPUTERNAME% \adm" & Chr(34) & " " & strExePath,1))"},
        {"CORP",
         R"(nReturn = objShell.Run("runas " & "/user:" & "CORP\adm" & " " & strExePath,1))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.domain);
        Credentials creds{"adm", "pw", c.domain};
        EXPECT_EQ(runas_run_line(creds), c.line);
    }
}

TEST(LauncherScripts, ProgramLaunchersForTheOtherWindows) {
    Credentials creds{"Administrator", "secret", "%COMPUTERNAME%"};
    EXPECT_EQ(program_script_text(creds, "Tool.exe"), golden("program_Tool.vbs"));
    EXPECT_EQ(program_uac_script_text(creds, "Tool.exe"), golden("program_ToolUAC.vbs"));

    // The shared routine with another set of names, as those windows call it.
    Harness h;
    write_encoded_script(h.output.folder(), "setup.txt", "setup.vbs", "Tool.vbe",
                         program_script_text(creds, "Tool.exe"), h.ctx);
    EXPECT_EQ(test::folder_names(h.output.path()), std::vector<std::string>{"Tool.vbe"});
    EXPECT_EQ(h.decoded("Tool.vbe"), golden("program_Tool.vbs"));
}

TEST(LauncherScripts, PlainTextIsOwnerOnlyAndOlderFilesAreReplaced) {
    Harness h;
    h.output.write("setup.vbs", "old plain");
    h.output.write("setup.txt", "old text");
    h.output.write("setup.vbe", "old encoded");
    std::vector<unsigned> modes;
    SetupScriptInputs in = inputs(kAdmin);
    in.encoder = [&](const std::string& vbs, const std::string& vbe) {
        // Windows protects the file with its access list, tested with the file operations.
        if (!test::kOnWindows) {
            struct stat st {};
            ASSERT_EQ(::stat(vbs.c_str(), &st), 0);
            modes.push_back(st.st_mode & 0777);
        }
        EXPECT_FALSE(fs::exists(vbe)) << "an older script could pass for the new one";
        encode_script_file(vbs, vbe, h.ctx.codepage);
    };
    ASSERT_TRUE(Create_SetupVBE(in, h.output.folder(), h.ctx));
    if (!test::kOnWindows) {
        EXPECT_EQ(modes, (std::vector<unsigned>{0600, 0600}));
    }
    EXPECT_EQ(test::folder_names(h.output.path()), kBothScripts);
    EXPECT_EQ(h.decoded("setup.vbe"), golden("setup_no_default.vbs"));
}

TEST(LauncherScripts, EncoderThatWritesNothingIsAFailure) {
    struct Case {
        const char* name;
        ScriptEncoder encoder;
        const char* failed_script;
    };
    const Case cases[] = {
        {"no .vbe", [](const std::string&, const std::string&) {}, "setup.vbe"},
        {"empty .vbe", [](const std::string&, const std::string& vbe) { std::ofstream{vbe}; },
         "setup.vbe"},
        {"encoder fails",
         [](const std::string& vbs, const std::string&) {
             throw PlatformError("encoder failed", vbs);
         },
         "setup.vbe"},
        {"second script only",
         [](const std::string& vbs, const std::string& vbe) {
             if (vbs.find("UAC") == std::string::npos) {
                 encode_script_file(vbs, vbe, CodePage("CP1252"));
             }
         },
         "setupUAC.vbe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.output.write("setup.exe", "copied before");
        SetupScriptInputs in = inputs(kAdmin, 1, "P", 1);
        in.encoder = c.encoder;
        EXPECT_FALSE(Create_SetupVBE(in, h.output.folder(), h.ctx));
        EXPECT_TRUE(test::folder_names(h.output.path()).empty());
        EXPECT_EQ(h.prompter.messages(),
                  std::vector<std::string>{"MsgErrEncoder " + h.output.folder() + c.failed_script});
    }
}

// The encoder takes its file names in the ANSI code page; an output folder named in another
// script still gets the same scripts, also from a temporary folder so named (Windows), and that
// temporary folder is gone.
TEST(LauncherScripts, OutputFolderTheCodePageCannotNameGetsTheSameScripts) {
    test::TempDir base;
    const std::string temp = kWindowsHost ? base.mkdir("Temp \xe3\x83\x84") : base.folder();
    const test::ScopedEnv private_tmp(test::kTempFolderVariable, temp);
    for (const char* name :
         {"Ausgabe \xc3\xab", "T\xc3\xabst \xe3\x83\x84\xe3\x83\xbc\xe3\x83\xab"}) {
        SCOPED_TRACE(name);
        Harness h;
        const std::string folder = h.output.mkdir(name);
        SetupScriptInputs in = inputs(kAdmin, 1, "Office Printer 2F", 3);
        in.encoder = [&](const std::string& vbs, const std::string& vbe) {
            EXPECT_TRUE(h.ctx.codepage.can_hold(vbs)) << vbs;
            EXPECT_TRUE(h.ctx.codepage.can_hold(vbe)) << vbe;
            encode_script_file(vbs, vbe, h.ctx.codepage);
        };
        ASSERT_TRUE(Create_SetupVBE(in, folder, h.ctx));
        EXPECT_EQ(test::folder_names(test::utf8_path(folder)), kBothScripts);
        const std::string encoded = test::read_file(folder + "setup.vbe");
        EXPECT_EQ(decode_script(encoded, h.ctx.codepage).text, golden("setup_default.vbs"));
        for (const std::string& entry : test::folder_names(test::utf8_path(temp)))
            EXPECT_FALSE(entry.starts_with("korva-encode-")) << entry;
    }
}

// The administrator window's rollback deletes only its own files, so the routine itself must not
// leave the password behind when it throws.
TEST(LauncherScripts, SharedRoutineRemovesThePlainTextWhenItFails) {
    test::FailingFileSystem failing(real_file_system());
    Harness h("", failing);
    h.output.write("Tool.exe", "program");
    const ScriptEncoder encoders[] = {
        [](const std::string&, const std::string&) {},
        [](const std::string& vbs, const std::string&) { throw PlatformError("refused", vbs); },
    };
    for (const ScriptEncoder& encoder : encoders) {
        EXPECT_THROW(write_encoded_script(h.output.folder(), "setup.txt", "setup.vbs", "Tool.vbe",
                                          "WScript.Quit 0", h.ctx, encoder),
                     PlatformError);
        EXPECT_EQ(test::folder_names(h.output.path()), std::vector<std::string>{"Tool.exe"});
    }
    // A failing rename leaves the .txt; it goes as well.
    failing.reset();
    write_encoded_script(h.output.folder(), "setup.txt", "setup.vbs", "Tool.vbe", "WScript.Quit 0",
                         h.ctx);
    const auto& log = failing.log();
    const auto rename = std::find_if(
        log.begin(), log.end(), [](const std::string& op) { return op.starts_with("rename"); });
    ASSERT_NE(rename, log.end());
    std::filesystem::remove(h.output.path() / "Tool.vbe");
    failing.fail_at(static_cast<int>(rename - log.begin()) + 1);
    EXPECT_THROW(write_encoded_script(h.output.folder(), "setup.txt", "setup.vbs", "Tool.vbe",
                                      "WScript.Quit 0", h.ctx),
                 PlatformError);
    EXPECT_EQ(test::folder_names(h.output.path()), std::vector<std::string>{"Tool.exe"});
}

TEST(LauncherScripts, EveryFailureEmptiesTheOutputAndTellsOnce) {
    test::FailingFileSystem failing(real_file_system());
    auto run = [&](Harness& h) {
        h.output.write("setup.vbs", "stale");
        h.output.write("RunAsWithVB.exe", "copied");
        return Create_SetupVBE(inputs(kAdmin, 1, "P", 1), h.output.folder(), h.ctx);
    };
    int steps = 0;
    {
        Harness h("", failing);
        failing.reset();
        ASSERT_TRUE(run(h));
        EXPECT_EQ(test::folder_names(h.output.path()),
                  (std::vector<std::string>{"RunAsWithVB.exe", "setup.vbe", "setupUAC.vbe"}));
        steps = failing.mutations();
    }
    ASSERT_GE(steps, 7);  // per script: write, rename, delete the .vbs; and the stale .vbs
    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE(n);
        Harness h("", failing);
        failing.fail_at(n);
        EXPECT_FALSE(run(h));
        EXPECT_TRUE(failing.failed());
        EXPECT_TRUE(test::folder_names(h.output.path()).empty());
        ASSERT_EQ(h.prompter.shown.size(), 1u);
        const std::string script = failing.failed_script_write();
        EXPECT_EQ(h.prompter.shown[0].text,
                  script.empty() ? "MsgErrSetup\r\nMsgErrOneMore" : "MsgErrEncoder " + script);
        EXPECT_EQ(h.prompter.shown[0].title, "MsgErr");
    }
}

// The native launcher: wanted through Tool.sii or the job, checked against the setup.exe of the
// package, its messages in the package language, the password nowhere in clear.
TEST(LauncherScripts, NativeLauncherBesideTheScripts) {
    const struct {
        const char* setup;
        std::optional<bool> job;
        const char* codepage;
        const char* title;  // null: no launcher
    } cases[] = {{"NativeLauncher=1\r\n", {}, "CP1252", "Launch"},
                 {"NativeLauncher=1\r\n", {}, "CP932", "起動"},
                 {"", true, "CP1252", "Launch"},
                 {"NativeLauncher=0\r\n", {}, "CP1252", nullptr},
                 {"NativeLauncher=1\r\n", false, "CP1252", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setup) + c.codepage);
        Harness h(std::string(c.setup) + "TimeOut=60\r\n", real_file_system(),
                  CodePage(c.codepage));
        h.ctx.native_launcher = c.job;
        h.program.write("setupLaunch.exe", "launcher program");
        h.output.write("Setup.EXE", "the installer");
        ASSERT_TRUE(Create_SetupVBE(inputs(kAdmin, 1, "Front Desk", 2), h.output.folder(), h.ctx));
        const auto names = test::folder_names(h.output.path());
        ASSERT_EQ(std::count(names.begin(), names.end(), "setupLaunch.exe"), c.title ? 1 : 0);
        if (!c.title)
            continue;
        const auto settings = launcher::read_settings(
            test::read_file(h.output.path() / "setupLaunch.ini"), h.ctx.codepage);
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->program + settings->sha256 + settings->account + settings->password +
                      settings->domain + std::to_string(settings->timeout_seconds) +
                      settings->wait_process + settings->default_printer +
                      settings->messages.at("Title"),
                  "Setup.EXE" + launcher::sha256_hex("the installer") +
                      "Administratorsecret%USERDNSDOMAIN%120setup.exeFront Desk" + c.title);
        for (const std::string& name : names) {
            const std::string bytes = test::read_file(h.output.path() / name);
            EXPECT_EQ(bytes.find("secret"), std::string::npos) << name;
            EXPECT_EQ(bytes.find(std::string("s\0e\0c\0r\0e\0t", 11)), std::string::npos) << name;
        }
    }
    // Without the launcher program nothing is left, and the one message names where it was sought.
    Harness h("NativeLauncher=1\r\n");
    EXPECT_FALSE(Create_SetupVBE(inputs(kAdmin), h.output.folder(), h.ctx));
    EXPECT_TRUE(test::folder_names(h.output.path()).empty());
    EXPECT_EQ(h.prompter.messages()[0], "missing " + h.program.folder() + "setupLaunch.exe");
}

// Without its catalogue the wait of the default printer would be the built-in one, not the
// administrator's: a catalogue that cannot be read fails the scripts instead.
TEST(LauncherScripts, AnUnreadableCatalogueFailsTheScripts) {
    Harness h("WaitTime=30\r\n");
    const std::string sii = (h.program.path() / "Tool.sii").string();
    std::filesystem::remove(sii);
    std::filesystem::create_directory(sii);
    h.output.write("RunAsWithVB.exe", "copied");
    EXPECT_FALSE(Create_SetupVBE(inputs(kAdmin, 1, "P", 1), h.output.folder(), h.ctx));
    EXPECT_EQ(h.prompter.shown.size(), 1u);
    EXPECT_TRUE(test::folder_names(h.output.path()).empty());
}

TEST(LauncherScripts, DoubleByteTextPassesThroughTheCodePage) {
    const CodePage cp932("CP932");
    if (test::kOnWindows && CodePage::system().name() != cp932.name())
        GTEST_SKIP() << "the Windows encoder writes in the system's code page, not 932 here";
    Harness h("", real_file_system(), cp932);
    Credentials creds{"管理者", "パス", "%USERDNSDOMAIN%"};
    ASSERT_TRUE(Create_SetupVBE(inputs(creds, 1, "経理部 プリンタ", 1), h.output.folder(), h.ctx));
    std::string script1 = cp932.from_ansi(h.decoded("setup.vbe"));
    EXPECT_EQ(script1,
              setup_script_text(creds, DefaultPrinterWait{"20000", "180", "経理部 プリンタ"}));
    EXPECT_NE(script1.find("Chr(34) & \"管理者\" & Chr(34)"), std::string::npos);
    std::string script2 = cp932.from_ansi(h.decoded("setupUAC.vbe"));
    EXPECT_NE(script2.find("objShell.Sendkeys \"パス~\""), std::string::npos);
}

}  // namespace
}  // namespace korva
