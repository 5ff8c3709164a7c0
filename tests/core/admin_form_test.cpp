// SPDX-License-Identifier: MIT
// The administrator launcher writes into the user's own program folder, so besides the script
// texts these tests watch what else the folder, the system folder and the temporary folder hold
// afterwards.
#include "admin/admin_form.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "package/launcher_scripts.h"
#include "platform/filesystem.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/failing_file_system.h"
#include "support/host.h"
#include "support/script_decoder.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Texts equal to their key names in the window's own section; the main section holds different
// texts under the same keys, so a lookup in the wrong section shows.
std::string admin_catalogue(const std::optional<std::string>& prog_exe) {
    std::string sii = "[Setup]\r\n";
    if (prog_exe)
        sii += "ProgExe=" + *prog_exe + "\r\n";
    sii += "[StringEn]\r\n";
    for (const char* key : {"Fra_Admin", "Com_OK", "MsgErr", "MsgErrAcc", "MsgErrCopy"}) {
        sii += std::string(key) + "=main " + key + "\r\n";
    }
    sii += "[StringEn2]\r\n";
    for (const char* key :
         {"Fra_Admin", "Lbl_Acount_Name", "Lbl_Domain_Name", "Lbl_Password", "Com_OK", "Com_End",
          "MsgErr", "MsgErrAcc", "MsgErrDom", "MsgErrCopy", "MsgErrSetup", "MsgErrOneMore",
          "MsgErrCtrlChar", "MsgErrQuote", "MsgErrCharPercent", "MsgErrProgExe"}) {
        sii += std::string(key) + "=" + key + "\r\n";
    }
    return sii + "MsgErrCodePage=MsgErrCodePage %1 %2\r\nMsgErrEncoder=MsgErrEncoder %1\r\n";
}

std::string golden(const std::string& name) {
    return test::read_file(fs::path(getenv("KORVA_GOLDEN_DIR")) / "admin" / name);
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

void empty(const TempDir& dir) {
    for (const auto& entry : fs::directory_iterator(dir.path()))
        fs::remove_all(entry.path());
}

struct Recorder : WaitView, OwnerView {
    std::vector<std::string> events;
    void show_creating() override { events.push_back("creating"); }
    void refresh() override { events.push_back("refresh"); }
    void progress(std::uint64_t, std::uint64_t) override { events.push_back("progress"); }
    void show_finished() override { events.push_back("finished"); }
    void hide() override { events.push_back("hide"); }
    void set_visible(bool visible) override { events.push_back(visible ? "shown" : "hidden"); }
};

class AdminFormTest : public ::testing::Test {
  protected:
    // The archive is unpacked in the temporary folder; a private one shows whether it was
    // cleared.
    void SetUp() override { private_tmp_.emplace(test::kTempFolderVariable, temp.path().string()); }

    // The program folder as shipped: catalogue, archive and the program to launch.
    void install(const std::optional<std::string>& prog_exe = "Tool.exe",
                 bool with_program = true) {
        program.write("Tool.sii", admin_catalogue(prog_exe));
        test::make_cabinet(program.folder() + "Tool.bin", test::tool_entries());
        if (with_program && prog_exe && !prog_exe->empty())
            program.write(*prog_exe, "program");
    }

    AdminForm& open(FileSystem& files = real_file_system()) {
        catalogue =
            std::make_unique<Catalogue>(program.folder() + "Tool.sii", "StringEn", kMainBuffer);
        Context ctx{*catalogue, prompter,         files,          CodePage::system(),
                    [] {},      program.folder(), system.folder()};
        form = std::make_unique<AdminForm>(ctx, "StringEn");
        return *form;
    }

    // Opens the window and presses Create with the given account fields; before_create runs
    // between the two.
    AdminForm& create(const std::string& account, const std::string& password,
                      const std::string& domain, FileSystem& files = real_file_system(),
                      const std::function<void()>& before_create = {}) {
        AdminForm& f = open(files);
        EXPECT_FALSE(f.Form_Load("Main caption"));
        if (before_create)
            before_create();
        f.Acount_Name.text = account;
        f.Password.text = password;
        f.Domain_Name.text = domain;
        f.Com_OK_Click(recorder, recorder);
        return f;
    }

    std::string decoded(const std::string& vbe) {
        return decode_script(test::read_file(program.path() / vbe), language_codepage(*catalogue))
            .text;
    }

    TempDir program;
    TempDir system;
    TempDir temp;
    test::ScriptedPrompter prompter;
    Recorder recorder;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<AdminForm> form;

  private:
    std::optional<test::ScopedEnv> private_tmp_;
};

TEST_F(AdminFormTest, CreateLeavesTheTwoLaunchersAndTheRunAsProgramAndNothingElse) {
    install();
    // The user's own folder of that name is neither where the archive goes nor removed.
    program.write("Tool/RunAsWithVB.exe", "user's own");
    create("Administrator", "Secret 1", "%USERDNSDOMAIN%");

    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(decoded("Tool.vbe"), golden("Tool.vbs"));
    EXPECT_EQ(decoded("ToolUAC.vbe"), golden("ToolUAC.vbs"));
    EXPECT_EQ(test::read_file(program.path() / "RunAsWithVB.exe"), "tool RunAsWithVB.exe");
    EXPECT_EQ(test::read_file(system.path() / "screnc.exe"), "tool screnc.exe");
    EXPECT_EQ(names_in(program.path()),
              (std::set<std::string>{"Tool.sii", "Tool.bin", "Tool.exe", "Tool.vbe", "ToolUAC.vbe",
                                     "RunAsWithVB.exe", "Tool"}));
    EXPECT_EQ(test::read_file(program.path() / "Tool" / "RunAsWithVB.exe"), "user's own");
    EXPECT_TRUE(names_in(temp.path()).empty());
    EXPECT_EQ(form->dir(), program.folder());
    // The owner stays hidden: the waiting dialog's button ends the program.
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"creating", "hidden", "refresh", "refresh",
                                                         "refresh", "finished"}));
}

// {name}Launch.exe is a copy of the launcher program beside the tool, except where ProgExe makes
// it that very file; a failure takes away what this Create wrote and never the launcher program.
TEST_F(AdminFormTest, NativeLauncherBesideTheLaunchers) {
    const struct {
        std::string prog_exe, launcher, ini;
    } cases[] = {{"Tool.exe", "ToolLaunch.exe", "ToolLaunch.ini"},
                 {"setup.exe", "setupLaunch.exe", "setupLaunch.ini"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prog_exe);
        empty(program);
        install(c.prog_exe);
        program.write("setupLaunch.exe", "launcher program");
        create("Administrator", "Secret 1", "CORP", real_file_system(),
               [&] { form->context().native_launcher = true; });
        EXPECT_EQ(test::read_file(program.path() / c.launcher), "launcher program");
        const auto settings =
            launcher::read_settings(test::read_file(program.path() / c.ini), CodePage::system());
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->program + settings->sha256 + settings->password,
                  c.prog_exe + launcher::sha256_hex("program") + "Secret 1");
        form->Error_Delete();  // the run-as program belongs to the finished launchers now
        EXPECT_EQ(names_in(program.path()),
                  (std::set<std::string>{"Tool.sii", "Tool.bin", c.prog_exe, "setupLaunch.exe",
                                         "RunAsWithVB.exe"}));
    }
}

TEST_F(AdminFormTest, NameIsEverythingBeforeTheLastDot) {
    struct Case {
        std::string prog_exe, script1, script2;
    };
    const Case cases[] = {
        {"Tool.v1.2.exe", "Tool.v1.2.vbe", "Tool.v1.2UAC.vbe"},
        {"Runner", "Runner.vbe", "RunnerUAC.vbe"},  // no dot: the whole value
        {"setup.exe", "setup.vbe", "setupUAC.vbe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prog_exe);
        EXPECT_EQ(program_base_name(c.prog_exe), c.script1.substr(0, c.script1.size() - 4));
        empty(program);
        install(c.prog_exe);
        create("Administrator", "pw", "CORP");
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(names_in(program.path()),
                  (std::set<std::string>{"Tool.sii", "Tool.bin", c.prog_exe, "RunAsWithVB.exe",
                                         c.script1, c.script2}));
        EXPECT_NE(decoded(c.script1).find("Chr(34) & \"" + c.prog_exe + "\" & Chr(34)"),
                  std::string::npos);
        EXPECT_NE(decoded(c.script2).find("& \"" + c.prog_exe + "\\\"\"\\\" & "),
                  std::string::npos);
    }
}

// The window refuses a quote, so the escaping is shown on the texts themselves.
TEST_F(AdminFormTest, QuotesAndSendkeysCharactersAreEscaped) {
    const Credentials creds{"Ad\"min", "p\"w~1%", "EX\"AMPLE"};
    EXPECT_EQ(program_script_text(creds, "Tool.v1.2.exe"), golden("escaped.vbs"));
    EXPECT_EQ(program_uac_script_text(creds, "Tool.v1.2.exe"), golden("escapedUAC.vbs"));
}

// Each hostile value is refused with its message before anything is written, or reaches both
// launchers whole: one argument of the run-as program, typed exactly by Sendkeys.
TEST_F(AdminFormTest, HostileAccountValuesAreRefusedOrHandedOverWhole) {
    const std::string cjk = "\xE7\xAE\xA1\xE7\x90\x86\xE8\x80\x85";  // three CJK ideographs
    const std::string western = std::to_string(CodePage::for_language("").number());
    const struct {
        std::string account, password, domain, message;
    } cases[] = {
        {"Ad\rmin", "pw", "CORP", "MsgErrCtrlChar"},
        {"Admin", "p\nw", "CORP", "MsgErrCtrlChar"},
        {"Admin", "pw", "CO\tRP", "MsgErrCtrlChar"},
        {"Admin", std::string("p\x01w\x7F"), "CORP", "MsgErrCtrlChar"},
        {"Ad\"min", "pw", "CORP", "MsgErrQuote"},
        {"Admin", "pw\\", "CORP", "MsgErrQuote"},
        {"Admin", "pw", "CORP\\", "MsgErrQuote"},
        {" Ad min ", " p&(w)^ ", "CO RP", ""},
        {"Admin", "%USERNAME%", "CORP", "MsgErrCharPercent"},
        {"Ad%min", "pw", "%COMPUTERNAME%", "MsgErrCharPercent"},
        {"Admin", "pw", "%USERDOMAIN%", "MsgErrCharPercent"},
        {"Admin", "pw", "x%USERDNSDOMAIN%", "MsgErrCharPercent"},
        {"Admin", "pw", "%computername%", ""},
        {std::string(1000, 'a'), std::string(1000, 'p'), "CORP", ""},
        {"Admin", "pässΩ", "CORP", "MsgErrCodePage Lbl_Password " + western},
        {cjk, cjk, cjk, "MsgErrCodePage Lbl_Acount_Name " + western},
    };
    install();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.account.substr(0, 20) + "|" + c.password.substr(0, 20) + "|" + c.domain);
        empty(program);
        install();
        prompter.shown.clear();
        create(c.account, c.password, c.domain);
        if (!c.message.empty()) {
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].text, c.message);
            EXPECT_FALSE(fs::exists(program.path() / "Tool.vbe"));
            continue;
        }
        ASSERT_TRUE(prompter.shown.empty());
        const Credentials creds{c.account, c.password, c.domain};
        EXPECT_EQ(decoded("Tool.vbe"), program_script_text(creds, "Tool.exe"));
        EXPECT_EQ(decoded("ToolUAC.vbe"), program_uac_script_text(creds, "Tool.exe"));
    }
}

TEST_F(AdminFormTest, ProgExeMustBeAPlainNameOfTheFolder) {
    for (const std::string prog_exe :
         {"../evil.exe",  "sub/Tool.exe",    "sub\\Tool.exe", "C:Tool.exe", "..",    "setup.vbs",
          "SETUPUAC.TXT", "RunAsWithVB.exe", "Tool.sii",      "Tool.bin",   "x.vbe", "xUAC.vbe",
          "a&calc.exe",   "a|b.exe",         "a<b",           "a>b",        "a^b",   "a(b)",
          "a\"b",         "a%PATH%b"}) {
        SCOPED_TRACE(prog_exe);
        empty(program);
        install(prog_exe, false);
        program.write("RunAsWithVB.exe", "user's own");
        prompter.shown.clear();
        EXPECT_TRUE(open().Form_Load("Main caption"));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, "MsgErrProgExe");
        EXPECT_EQ(test::read_file(program.path() / "RunAsWithVB.exe"), "user's own");
    }
}

// A dangling link named like a launcher is replaced, never written through.
TEST_F(AdminFormTest, LinkNamedLikeALauncherIsReplaced) {
    if (!test::kHasSymbolicLinks)
        GTEST_SKIP() << "no symbolic links here";
    install();
    const fs::path target = temp.path() / "elsewhere.vbe";
    fs::create_symlink(target, program.path() / "ToolUAC.vbe");
    create("Administrator", "pw", "CORP");
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
    EXPECT_FALSE(fs::is_symlink(program.path() / "ToolUAC.vbe"));
    EXPECT_FALSE(decoded("ToolUAC.vbe").empty());
}

TEST_F(AdminFormTest, RunLineFollowsTheExactDomainText) {
    struct Case {
        std::string domain, run_line;
    };
    const std::string head = "nReturn = objShell.Run(\"runas \" & \"/user:\" & ";
    const std::string tail = "\" & \" \" & strExePath,1)";
    const Case cases[] = {
        {"%USERDNSDOMAIN%", head + "objNetWork.UserDomain & \"\\Administrator" + tail},
        {"%COMPUTERNAME%", head + "objNetWork.ComputerName & \"\\Administrator" + tail},
        {"%userdnsdomain%", head + "\"%userdnsdomain%\\Administrator" + tail},
        {"CORP", head + "\"CORP\\Administrator" + tail},
    };
    install();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.domain);
        create("Administrator", "pw", c.domain);
        const std::string script = decoded("ToolUAC.vbe");
        std::vector<std::string> lines;
        for (std::size_t at = 0, end; (end = script.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            lines.push_back(script.substr(at, end - at));
        }
        ASSERT_EQ(lines.size(), 13u);
        EXPECT_EQ(lines[7], c.run_line);
    }
}

TEST_F(AdminFormTest, EarlierLauncherIsReplacedBySuccessAndRemovedByFailure) {
    install();
    program.write("Tool.vbe", "old launcher");
    program.write("ToolUAC.vbe", "old launcher");
    create("Administrator", "Secret 1", "%USERDNSDOMAIN%");
    EXPECT_EQ(decoded("Tool.vbe"), golden("Tool.vbs"));
    EXPECT_EQ(decoded("ToolUAC.vbe"), golden("ToolUAC.vbs"));

    // Now the archive is gone: the copy fails and takes only the launchers with it.
    fs::remove(program.path() / "Tool.bin");
    program.write("notes.txt", "mine");
    recorder.events.clear();
    create("Administrator", "Secret 1", "%USERDNSDOMAIN%");

    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "MsgErrCopy\r\nMsgErrOneMore");
    EXPECT_EQ(prompter.shown[0].title, "MsgErr");
    EXPECT_EQ(names_in(program.path()),
              (std::set<std::string>{"Tool.sii", "Tool.exe", "RunAsWithVB.exe", "notes.txt"}));
    EXPECT_TRUE(names_in(temp.path()).empty());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"creating", "hidden", "refresh", "refresh",
                                                         "hide", "shown"}));
}

TEST_F(AdminFormTest, FailureAtEveryFileStepRollsBackAndTellsOnce) {
    install();
    program.mkdir("Tool");
    program.write("Tool/keep.txt", "user's folder");
    test::FailingFileSystem failing(real_file_system());
    create("Administrator", "Secret 1", "%USERDNSDOMAIN%", failing, [&] { failing.reset(); });
    ASSERT_TRUE(prompter.shown.empty());
    const int steps = failing.mutations();
    const auto& log = failing.log();
    const auto runas_copy = std::find_if(log.begin(), log.end(), [&](const std::string& op) {
        return op.starts_with("copy_file ") &&
               op.ends_with(" -> " + program.folder() + "RunAsWithVB.exe");
    });
    ASSERT_NE(runas_copy, log.end());
    const int runas_copy_step = static_cast<int>(runas_copy - log.begin()) + 1;
    ASSERT_GT(steps, runas_copy_step);

    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE("failing step " + std::to_string(n));
        fs::remove(system.path() / "screnc.exe");
        program.write("Tool.vbe", "old launcher");
        prompter.shown.clear();
        create("Administrator", "Secret 1", "%USERDNSDOMAIN%", failing,
               [&] { failing.fail_at(n); });
        ASSERT_TRUE(failing.failed());
        SCOPED_TRACE(failing.log().back());

        // Steps up to the run-as copy belong to the copy, the rest to the scripts; the encoder
        // writing a .vbe has a message of its own.
        const bool in_copy = n <= runas_copy_step;
        const std::string script = failing.failed_script_write();
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text,
                  !script.empty()
                      ? "MsgErrEncoder " + script
                      : std::string(in_copy ? "MsgErrCopy" : "MsgErrSetup") + "\r\nMsgErrOneMore");
        std::set<std::string> left = names_in(program.path());
        left.erase("RunAsWithVB.exe");
        EXPECT_EQ(left, (std::set<std::string>{"Tool.sii", "Tool.bin", "Tool.exe", "Tool"}));
        EXPECT_EQ(test::read_file(program.path() / "Tool" / "keep.txt"), "user's folder");
        EXPECT_TRUE(names_in(temp.path()).empty());
    }
}

TEST_F(AdminFormTest, EncoderProgramIsPlacedOnlyWhenTheSystemFolderLacksIt) {
    struct Case {
        std::optional<std::string> present;  // name of an encoder already there
        std::set<std::string> expected;
    };
    const Case cases[] = {
        {std::nullopt, {"screnc.exe"}},
        {"screnc.exe", {"screnc.exe"}},
        {"SCRENC.EXE", {"SCRENC.EXE"}},  // Windows names ignore case
    };
    install();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.present.value_or("none"));
        for (const std::string& name : names_in(system.path()))
            fs::remove(system.path() / name);
        if (c.present)
            system.write(*c.present, "installed");
        create("Administrator", "pw", "CORP");
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(names_in(system.path()), c.expected);
        const std::string kept = c.present ? "installed" : "tool screnc.exe";
        EXPECT_EQ(test::read_file(system.path() / *c.expected.begin()), kept);
    }
}

TEST_F(AdminFormTest, ProgramIsFoundWhateverTheCaseOfItsName) {
    install("TOOL.EXE", false);
    program.write("Tool.exe", "program");
    EXPECT_FALSE(open().Form_Load("Main caption"));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(AdminFormTest, LoadEndsTheProgramWithFixedEnglishMessages) {
    struct Case {
        std::optional<std::string> prog_exe;
        bool with_program;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {std::nullopt, false, "\"ProgExe\" key is not set."},
        {"", false, "\"ProgExe\" key is not set."},
        {"Tool.exe", false, "Tool.exe is not found."},
        {"Tool.exe", true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prog_exe.value_or("(no key)"));
        empty(program);
        prompter.shown.clear();
        install(c.prog_exe, c.with_program);
        AdminForm& f = open();
        EXPECT_EQ(f.Form_Load("Main caption"), c.message.has_value());

        // The captions are in place before the checks.
        EXPECT_EQ(f.Admin_Setting.caption, "Main caption");
        EXPECT_EQ(f.Fra_Admin.caption, "Fra_Admin");
        EXPECT_EQ(f.Com_End.caption, "Com_End");
        if (c.message) {
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].text, *c.message);
            EXPECT_EQ(prompter.shown[0].title, "Error");
            EXPECT_EQ(f.Acount_Name.text, "");
        } else {
            EXPECT_TRUE(prompter.shown.empty());
            EXPECT_EQ(f.Acount_Name.text, "Administrator");
            EXPECT_EQ(f.Domain_Name.text, "%USERDNSDOMAIN%");
            EXPECT_EQ(f.Password.text, "");
            EXPECT_EQ(f.program(), "Tool.exe");
            EXPECT_EQ(f.name(), "Tool");
        }
    }
}

TEST_F(AdminFormTest, CaptionsAreCutByTheSmallBuffer) {
    program.write("Tool.sii", "[Setup]\r\nProgExe=Tool.exe\r\n[StringEn2]\r\nFra_Admin=" +
                                  std::string(600, 'x') + "\r\n");
    program.write("Tool.exe", "program");
    AdminForm& f = open();
    EXPECT_FALSE(f.Form_Load("Main caption"));
    EXPECT_EQ(f.Fra_Admin.caption, std::string(499, 'x'));
}

TEST_F(AdminFormTest, AccountAndDomainMustBeFilled) {
    struct Case {
        std::string account, domain;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {"", "CORP", "MsgErrAcc"},
        {"", "", "MsgErrAcc"},
        {"Administrator", "", "MsgErrDom"},
        {" ", " ", std::nullopt},  // not trimmed
    };
    install();
    for (const Case& c : cases) {
        SCOPED_TRACE("[" + c.account + "][" + c.domain + "]");
        prompter.shown.clear();
        recorder.events.clear();
        fs::remove(program.path() / "RunAsWithVB.exe");
        create(c.account, "", c.domain);
        if (c.message) {
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].text, *c.message);
            EXPECT_EQ(prompter.shown[0].title, "MsgErr");
            EXPECT_FALSE(fs::exists(program.path() / "RunAsWithVB.exe"));
            EXPECT_EQ(recorder.events,
                      (std::vector<std::string>{"creating", "hidden", "refresh", "hide", "shown"}));
        } else {
            EXPECT_TRUE(prompter.shown.empty());
            EXPECT_TRUE(fs::exists(program.path() / "ToolUAC.vbe"));
        }
    }
}

TEST_F(AdminFormTest, ErrorDeleteTakesOnlyItsSixFiles) {
    install();
    AdminForm& f = open();
    ASSERT_FALSE(f.Form_Load("Main caption"));
    f.Com_OK_Click(recorder, recorder);  // sets {dir}
    // Another spelling of a launcher is another file only where names are case-sensitive.
    std::set<std::string> kept = {"Tool.sii",  "Tool.bin",     "Tool.exe", "RunAsWithVB.exe",
                                  "setup.vbe", "setupUAC.vbe", "Other.vbe"};
    if (!test::kOnWindows)
        kept.insert(program.write("tool.vbe", "x").substr(program.folder().size()));
    for (const char* name : {"setup.txt", "setup.vbs", "Tool.vbe", "setupUAC.txt", "setupUAC.vbs",
                             "ToolUAC.vbe", "setup.vbe", "setupUAC.vbe", "Other.vbe"}) {
        program.write(name, "x");
    }
    f.Error_Delete();
    f.Error_Delete();  // nothing left to delete is no failure
    EXPECT_EQ(names_in(program.path()), kept);
}

}  // namespace
}  // namespace korva
