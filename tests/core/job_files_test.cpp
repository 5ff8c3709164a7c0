// SPDX-License-Identifier: MIT
// Job files: a window's state survives Save and Open, a job builds the window's own package, and
// a job that is wrong anywhere builds nothing and says where.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "eraser/rem_form.h"
#include "job/job_build.h"
#include "job/job_file.h"
#include "job/job_forms.h"
#include "job/job_window.h"
#include "mainform/main_form.h"
#include "package/output_lock.h"
#include "platform/error.h"
#include "support/cabinet.h"
#include "support/env_var.h"
#include "support/form_fixture.h"
#include "support/host.h"
#include "support/recording_views.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

// The key-named catalogue with the job messages, each showing what it names.
std::string job_catalogue() {
    std::string text = test::key_named_catalogue(
        "WaitTime=30\r\n"
        "MsgErrJobRead=MsgErrJobRead %1\r\nMsgErrJobKey=MsgErrJobKey %1\r\n"
        "MsgErrJobValue=MsgErrJobValue %1 %2\r\nMsgErrJobPassword=MsgErrJobPassword %1\r\n"
        "MsgErrJobChoice=MsgErrJobChoice %1 %2\r\nMsgErrJobPath=MsgErrJobPath %1\r\n"
        "MsgErrJobPasswordUnset=MsgErrJobPasswordUnset %1\r\nMsgErrJobWord=MsgErrJobWord %1 %2\r\n"
        "MsgErrJobMissing=MsgErrJobMissing %1\r\nMsgErrJobSubfolder=MsgErrJobSubfolder %1\r\n"
        "MsgErrJobComment=MsgErrJobComment %1\r\nMsgErrJobSection=MsgErrJobSection %1\r\n"
        "MsgErrJobSameName=MsgErrJobSameName %1\r\nMsgErrJobWindow=MsgErrJobWindow %1\r\n"
        "[StringEn2]\r\nMsgErr=MsgErr\r\n");
    const std::string setup = "[Setup]\r\n";
    return text.insert(text.find(setup) + setup.size(), "WaitTime=30\r\nTimeOut=60\r\n");
}

std::string examples_dir() {
    const char* examples = std::getenv("KORVA_EXAMPLES_DIR");
    return examples ? examples : "examples";
}

// A work folder with the example package and the example installer job beside it, and a main
// window over a tool archive whose engine files are newer than the package's.
struct JobWork {
    JobWork() : fixture(job_catalogue()) {
        fs::copy(fs::path(examples_dir()) / "driver-package", work.path() / "driver-package",
                 fs::copy_options::recursive);
        fs::copy(fs::path(examples_dir()) / "silent-and-user.job", work.path() / "site.job");
        std::vector<test::CabinetEntry> entries = test::tool_entries();
        for (auto& entry : entries)
            entry.modified = test::local_time(2036, 1, 1);
        test::make_cabinet(fixture.program.folder() + "Tool.bin", entries);
        fixture.prompter.kind_answers = {DriverKind::Printer};
    }

    job::BuildSettings settings() const {
        job::BuildSettings s;
        s.program_folder = fixture.program.folder();
        s.system_folder = fixture.system.folder();
        return s;
    }

    job::Outcome build(const std::string& job_name) {
        return job::build_job(work.folder() + job_name, settings(), fixture.prompter, views,
                              real_file_system());
    }

    test::TempDir work;
    test::FormFixture fixture;
    test::RecordingViews views;
    test::ScopedEnv password{"KORVA_PASSWORD", "Se'cret+1 "};
};

void expect_same_controls(MainForm& a, MainForm& b) {
    const ControlTable left = a.controls();
    const ControlTable right = b.controls();
    ASSERT_EQ(left.size(), right.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
        SCOPED_TRACE(left[i].first);
        EXPECT_EQ(left[i].second->text, right[i].second->text);
        EXPECT_EQ(left[i].second->value, right[i].second->value);
        EXPECT_EQ(left[i].second->enabled, right[i].second->enabled);
        const auto* list_a = dynamic_cast<const ListControl*>(left[i].second);
        const auto* list_b = dynamic_cast<const ListControl*>(right[i].second);
        if (list_a && list_b) {
            EXPECT_EQ(list_a->list->items, list_b->list->items);
            EXPECT_EQ(list_a->list->index, list_b->list->index);
        }
    }
}

TEST(JobFile, SaveThenOpenRestoresTheWindow) {
    JobWork w;
    MainForm& typed = *w.fixture.form;
    job::JobPrompter answers(w.fixture.prompter);
    job::JobSession session(answers);
    ASSERT_TRUE(session.open(typed, w.work.folder() + "site.job"));
    EXPECT_EQ(typed.Password.text, "Se'cret+1 ");  // from the variable the job names
    typed.Password.text = "never saved";
    ASSERT_TRUE(session.save(typed, w.work.folder() + "saved.job"));
    const std::string saved = test::read_file(w.work.folder() + "saved.job");
    EXPECT_EQ(saved.find("never saved"), std::string::npos);
    // What the window does not show stays as the opened job had it.
    EXPECT_NE(saved.find("ExistingOutput=reuse\r\n"), std::string::npos);
    EXPECT_NE(saved.find("PasswordVariable=KORVA_PASSWORD\r\n"), std::string::npos);

    test::FormFixture other(job_catalogue());
    const job::ReadResult reread = job::read_job(real_file_system(), w.work.folder() + "saved.job");
    ASSERT_TRUE(reread.problems.empty());
    EXPECT_EQ(reread.job.source, "driver-package");  // the folder chosen, relative: it travels
    std::vector<job::Problem> problems;
    ASSERT_TRUE(job::apply_to_main(reread.job, w.work.folder(), *other.form, problems));
    other.form->Password.text = typed.Password.text;
    expect_same_controls(typed, *other.form);
    EXPECT_EQ(other.prompter.messages(), std::vector<std::string>{});

    // A removal job is not one for this window.
    job::Job removal_job;
    removal_job.tool = job::Tool::Removal;
    removal_job.source = "eraser";
    removal_job.output = w.work.folder() + "out";
    job::write_job(real_file_system(), w.work.folder() + "removal.job", removal_job);
    EXPECT_FALSE(session.open(typed, w.work.folder() + "removal.job"));
    EXPECT_EQ(w.fixture.prompter.messages().back(), "MsgErrJobWindow removal");

    // The removal window likewise, its lists filled through its own Add buttons.
    eraser::RemForm removal(typed.context(), "StringEn");
    removal.Form_Load_controls("0", "Tool");
    removal_job.removal_dialog = false;
    removal_job.remove_qx_print_monitor = true;
    removal_job.remove_printers = {"Front Desk", "Lab"};
    removal_job.remove_drivers = {"KORVA A3010 PCL6"};
    job::write_job(real_file_system(), w.work.folder() + "removal.job", removal_job);
    job::apply_to_removal(job::read_job(real_file_system(), w.work.folder() + "removal.job").job,
                          w.work.folder(), removal);
    const job::Job back = job::job_from_removal(removal);
    EXPECT_EQ(job::job_text(back, w.work.folder()), job::job_text(removal_job, w.work.folder()));
}

TEST(JobBuild, GivesTheWindowsPackageByteForByte) {
    JobWork w;
    const job::Outcome built = w.build("site.job");
    ASSERT_EQ(w.fixture.prompter.messages(), std::vector<std::string>{});
    ASSERT_TRUE(built.ok);
    const std::string by_job = w.work.folder() + "built-silent-and-user/";
    EXPECT_EQ(test::read_file(by_job + "Config.ini"), test::golden_file("config/endtoend.ini"));

    // The same package typed into the window by hand.
    MainForm& f = *w.fixture.form;
    f.In_Path.text = w.work.folder() + "driver-package";
    f.Out_Path.text = w.work.mkdir("by-hand");
    f.set_Chk_SI(1);
    f.pkg.Language_Name.index = 1;
    f.Chk_DlgReboot.value = 1;
    const struct {
        int emu, model;
        const char* ip;
        const char* name;
        bool lpr, qx, auto_config, is_default;
    } printers[] = {{1, 2, "10.0.0.22", "Back Office 2F", true, false, false, false},
                    {0, 1, "10.0.0.23", "Lab QX", false, true, true, false},
                    {0, 0, "10.0.0.21", "Front Desk", false, false, true, true}};
    for (const auto& p : printers) {
        f.pkg.Emu_Name.index = p.emu;
        f.Emu_Name_Click();
        f.pkg.Model_Name.index = p.model;
        f.Model_Name_Click();
        f.IP_Address.text = p.ip;
        f.Printer_Name.text = p.name;
        p.qx ? f.P_Qx_Click() : f.P_Standard_Click();
        if (!p.qx)
            p.lpr ? f.Pr_Lpr_Click() : f.Pr_Raw_Click();
        f.Protocol_Lpr.text = p.lpr ? "lp1" : "";
        f.Chk_AutoConfig.value = p.auto_config;
        p.is_default ? MainForm::select_option(f.D_Yes, f.D_No)
                     : MainForm::select_option(f.D_No, f.D_Yes);
        f.Add_Click();
    }
    f.Chk_UserI.value = 1;
    f.Chk_UserI_Click();
    f.Password.text = "Se'cret+1 ";
    f.Domain_Name.text = "%COMPUTERNAME%";
    f.Com_OK_Click(w.views, w.views);
    ASSERT_EQ(w.fixture.prompter.messages(), std::vector<std::string>{});

    // The job's package differs by its marker alone.
    std::vector<std::string> tree = test::folder_tree(by_job);
    std::erase(tree, kPackageMarker);
    ASSERT_EQ(tree, test::folder_tree(f.Out_Path.text));
    for (const std::string& name : tree) {
        if (name.back() == '/')
            continue;
        EXPECT_EQ(test::read_file(by_job + name), test::read_file(f.Out_Path.text + name)) << name;
    }
}

TEST(JobBuild, WrongJobsBuildNothingAndSayWhere) {
    const struct {
        const char* change;  // replaces the job's "[Printer3]" section head and what follows it
        const char* expected;
        const char* last = nullptr;  // the last message, when not the first: all are told
    } cases[] = {
        {"[Printer3]\r\nColour=yes", "MsgErrJobKey [Printer3] Colour",
         "MsgErrJobMissing [Printer3] Name"},
        {"[Printer3]\r\nModel=KORVA A3010\r\nName=x", "MsgErrJobMissing [Printer3] Address"},
        {"[Printer3]\r\nAdminPassword=x", "MsgErrJobPassword [Printer3] AdminPassword",
         "MsgErrJobMissing [Printer3] Name"},
        {"[Printer3]\r\nModel=KORVA Z9\r\nAddress=1\r\nName=x\r\n[Printer7]\r\nModel=SECRET\r\n"
         "Address=2\r\nName=y",
         "MsgErrJobChoice [Printer3] Model KORVA A3010, KORVA A4020, KORVA C3530",
         "MsgErrJobChoice [Printer7] Model KORVA A3010, KORVA A4020, KORVA C3530"},
        {"[Printer3]\r\nModel=KORVA A3010\r\nAddress=1\r\nName=Lab QX",
         "MsgErrJobSameName [Printer3] Name"},
        {"[Printer3]\r\nModel=KORVA A3010\r\nAddress=1\r\nName=x\r\nProtocol=SECRET",
         "MsgErrJobWord [Printer3] Protocol raw, lpr"},
        {"[Printer3]\r\nModel=KORVA A3010\r\nAddress=1\r\nName=Front Desk ; main printer",
         "MsgErrJobComment [Printer3] Name", "MsgErrJobMissing [Printer3] Name"},
        {"[Printr3]\r\nModel=KORVA A3010\r\nAddress=1\r\nName=x", "MsgErrJobSection [Printr3]"},
        {"[Job]\r\nSource=C:driver-package", "MsgErrJobPath [Job] Source"},
        {"[Job]\r\nExistingOutput=subfolder:a/b", "MsgErrJobSubfolder [Job] ExistingOutput"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        JobWork w;
        std::string text = test::read_file(w.work.folder() + "site.job");
        const std::string change = c.change;
        if (change.starts_with("[Job]")) {
            // The job's own line of that key gives way to the changed one.
            const std::string line = change.substr(7);
            const std::size_t at = text.find("\n" + line.substr(0, line.find('=') + 1)) + 1;
            text.replace(at, text.find_first_of("\r\n", at) - at, line);
        } else {
            text = text.substr(0, text.find(change.substr(0, change.find(']') + 1))) + change;
        }
        w.work.write("site.job", text);
        EXPECT_FALSE(w.build("site.job").ok);
        const std::vector<std::string> shown = w.fixture.prompter.messages();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), c.expected);
        EXPECT_EQ(shown.back(), c.last ? c.last : c.expected);
        for (const std::string& text : shown)
            EXPECT_EQ(text.find("SECRET"), std::string::npos) << text;
        EXPECT_FALSE(fs::exists(w.work.path() / "built-silent-and-user"));
    }
}

std::vector<std::string> problem_texts(const job::ReadResult& read) {
    std::vector<std::string> texts;
    for (const job::Problem& p : read.problems) {
        std::string text = p.key;
        for (const std::string& argument : p.arguments)
            text += " " + argument;
        texts.push_back(text);
    }
    return texts;
}

TEST(JobFile, WhatAnEditorWouldNotShowIsRefusedByItsLineAndNoValueIsRepeated) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"[Job]\r\nOutput=a\0b\r\n"s, {"MsgErrJobChar 2"}},
        {"[Job]\r\nDomain=x\rPasswordVariable=HOME\r\n", {"MsgErrJobChar 2"}},
        {"[Job]\r\nOutput=\x1b[31mred\x7f\r\nAccount=a\tb\r\n",
         {"MsgErrJobChar 2", "MsgErrJobChar 3"}},
        {"; a\tcomment\r\n[Job]\r\nOutput=txt\xE2\x80\xAE.exe\r\n", {"MsgErrJobChar 3"}},
        {"[Job]\r\nOutput=out\r\noutput=../evil\r\n[job]\r\n",
         {"MsgErrJobDupKey [Job] output 3", "MsgErrJobDupSection [job] 4"}},
        {"[Job]\r\n[Printer1000]\r\nModel=SECRET\r\n", {"MsgErrJobPrinters [Printer1000]"}},
        {"[Job]\r\nSECRET\r\nUserInstall=SECRET\r\nPasswordVariable=CI_TOKEN\r\nTool=SECRET\r\n",
         {"MsgErrJobLine 2", "MsgErrJobWord [Job] Tool installer, removal, administrator",
          "MsgErrJobVariable [Job] PasswordVariable", "MsgErrJobWord [Job] UserInstall yes, no"}},
        {"Tool=removal\r\n[Job]\r\nAccount=" + std::string(32768, 'a') + "\r\n",
         {"MsgErrJobFirst", "MsgErrJobLong [Job] Account 32767"}},
        {"[Job]\r\nAccount=\"adm ;x\"\r\nPasswordVariable=korva_pw\r\nSource=../pkg\r\n", {}},
    };
    test::TempDir work;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const job::ReadResult read = job::read_job(real_file_system(), work.write("t.job", c.text));
        EXPECT_EQ(problem_texts(read), c.expected);
    }
    std::string many = "[Job]\r\n";
    for (int i = 0; i < 100; ++i)
        many += "SECRET\r\n";
    const auto capped = problem_texts(job::read_job(real_file_system(), work.write("t.job", many)));
    ASSERT_EQ(capped.size(), 26u);
    EXPECT_EQ(capped.back(), "MsgErrJobMoreProblems 75");

    const std::string big = work.write("big.job", "[Job]\r\n" + std::string(1024 * 1024, ';'));
    EXPECT_EQ(problem_texts(job::read_job(real_file_system(), big)).front(),
              "MsgErrJobSize " + big);
    EXPECT_EQ(problem_texts(job::read_job(real_file_system(), work.folder())).front(),
              "MsgErrJobNotFile " + work.folder());
#ifndef _WIN32
    // A FIFO nobody writes to would block a read for ever.
    const std::string fifo = work.folder() + "fifo.job";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(problem_texts(job::read_job(real_file_system(), fifo)).front(),
              "MsgErrJobNotFile " + fifo);
#endif

    // The administrator's launchers go where the job says; a printer is the default unless told.
    const job::ReadResult admin =
        job::read_job(real_file_system(),
                      work.write("t.job", "[Job]\r\nTool=administrator\r\nOutput=../bin\r\n"));
    EXPECT_EQ(admin.job.output, "../bin");
    const job::ReadResult printer =
        job::read_job(real_file_system(),
                      work.write("t.job", "[Job]\r\n[Printer1]\r\nModel=m\r\nAddress=a\r\nName=n"));
    ASSERT_EQ(printer.job.printers.size(), 1u);
    EXPECT_TRUE(printer.job.printers[0].default_printer);
    EXPECT_TRUE(printer.job.restart_dialog);
}

TEST(JobBuild, RestartDialogYesShowsTheDialogAndSaveJobKeepsTheMeaning) {
    for (const char* word : {"yes", "no"}) {
        SCOPED_TRACE(word);
        JobWork w;
        std::string text = test::read_file(w.work.folder() + "site.job");
        text.replace(text.find("RestartDialog=no"), 16, std::string("RestartDialog=") + word);
        w.work.write("site.job", text);
        ASSERT_TRUE(w.build("site.job").ok);
        const std::string config =
            test::read_file(w.work.folder() + "built-silent-and-user/Config.ini");
        EXPECT_NE(config.find(std::string("WithoutDlgReboot=") + (word[0] == 'y' ? "0" : "1")),
                  std::string::npos);

        job::JobPrompter answers(w.fixture.prompter);
        job::JobSession session(answers);
        ASSERT_TRUE(session.open(*w.fixture.form, w.work.folder() + "site.job"));
        ASSERT_TRUE(session.save(*w.fixture.form, w.work.folder() + "saved.job"));
        EXPECT_NE(test::read_file(w.work.folder() + "saved.job")
                      .find(std::string("RestartDialog=") + word + "\r\n"),
                  std::string::npos);
    }
}

// This Tool.sii leaves the native launcher out; a job's key decides, and Save job keeps it.
TEST(JobBuild, NativeLauncherKeyOfTheJobDecidesAndSaveJobKeepsIt) {
    for (const std::string word : {"yes", "no"}) {
        JobWork w;
        w.fixture.program.write("setupLaunch.exe", "launcher program");
        std::string text = test::read_file(w.work.folder() + "site.job");
        w.work.write("site.job",
                     text.insert(text.find("UserInstall="), "NativeLauncher=" + word + "\n"));
        ASSERT_TRUE(w.build("site.job").ok);
        EXPECT_EQ(fs::exists(w.work.path() / "built-silent-and-user" / "setupLaunch.ini"),
                  word == "yes");
        job::JobPrompter answers(w.fixture.prompter);
        job::JobSession session(answers);
        ASSERT_TRUE(session.open(*w.fixture.form, w.work.folder() + "site.job"));
        ASSERT_TRUE(session.save(*w.fixture.form, w.work.folder() + "saved.job"));
        EXPECT_NE(
            test::read_file(w.work.folder() + "saved.job").find("NativeLauncher=" + word + "\r\n"),
            std::string::npos);
    }
}

TEST(JobBuild, ASavedJobBuildsTheSamePackageInAnotherFolderTree) {
    JobWork w;
    job::JobPrompter answers(w.fixture.prompter);
    job::JobSession session(answers);
    ASSERT_TRUE(session.open(*w.fixture.form, w.work.folder() + "site.job"));
    w.work.mkdir("jobs");
    ASSERT_TRUE(session.save(*w.fixture.form, w.work.folder() + "jobs/site.job"));
    EXPECT_NE(test::read_file(w.work.folder() + "jobs/site.job")
                  .find("\r\nSource=../driver-package\r\nOutput=../built-silent-and-user\r\n"),
              std::string::npos);
    // A user install saved without a password variable gets one, and a word on it.
    job::Job unnamed;
    unnamed.user_install = true;
    const std::string text = job::job_text(unnamed, w.work.folder());
    EXPECT_NE(text.find("; PasswordVariable names"), std::string::npos);
    EXPECT_NE(text.find("\r\nPasswordVariable=KORVA_PASSWORD\r\n"), std::string::npos);

    test::TempDir elsewhere;
    fs::copy(w.work.path() / "driver-package", elsewhere.path() / "driver-package",
             fs::copy_options::recursive);
    fs::copy(w.work.path() / "jobs", elsewhere.path() / "jobs", fs::copy_options::recursive);
    ASSERT_TRUE(w.build("jobs/site.job").ok);
    ASSERT_TRUE(job::build_job(elsewhere.folder() + "jobs/site.job", w.settings(),
                               w.fixture.prompter, w.views, real_file_system())
                    .ok);
    const std::string here = w.work.folder() + "built-silent-and-user/";
    const std::string there = elsewhere.folder() + "built-silent-and-user/";
    ASSERT_EQ(test::folder_tree(here), test::folder_tree(there));
    for (const std::string& name : test::folder_tree(here)) {
        if (name.back() != '/') {
            EXPECT_EQ(test::read_file(here + name), test::read_file(there + name)) << name;
        }
    }
}

TEST(JobBuild, AQuestionTheJobDoesNotAnswerIsAFailureNotAGuess) {
    JobWork w;
    const std::string job =
        "[Job]\r\nSource=driver-package\r\nOutput=out\r\nUserInstall=yes\r\n"
        "PasswordVariable=KORVA_PASSWORD\r\n";
    // Without silent install the package holding both drivers is asked about only at Create.
    w.work.write("site.job", job);
    EXPECT_FALSE(w.build("site.job").ok);
    EXPECT_EQ(w.fixture.prompter.messages().back(), "MsgErrJobValue [Job] Driver ");
    EXPECT_FALSE(fs::exists(w.work.path() / "out"));

    w.work.write("site.job", job + "Driver=pcfax\r\n");
    EXPECT_TRUE(w.build("site.job").ok);
    EXPECT_TRUE(fs::exists(w.work.path() / "out" / "faxsetup.sii"));
}

TEST(JobFile, SavingReplacesItsOwnFileAndNothingElse) {
    test::TempDir folder;
    const std::string written = test::kOnWindows ? "a.job" : "a?.job";
    for (const char* other : {"ab.job", "AC.JOB"})
        folder.write(other, "keep");
    folder.write(written, "old");
    job::Job job;
    job.source = "src";
    job::write_job(real_file_system(), folder.folder() + written, job);
    EXPECT_NE(test::read_file(folder.folder() + written).find("Source=src\r\n"), std::string::npos);
    EXPECT_EQ(test::read_file(folder.folder() + "ab.job"), "keep");
    EXPECT_EQ(test::read_file(folder.folder() + "AC.JOB"), "keep");
    job.account = "two\nlines";
    job.user_install = true;
    EXPECT_THROW(job::write_job(real_file_system(), folder.folder() + written, job), PlatformError);
    EXPECT_NE(test::read_file(folder.folder() + written).find("Source=src\r\n"), std::string::npos);
}

TEST(JobBuild, ReuseKeepsTheOldPackageWhenTheBuildFails) {
    JobWork w;
    const std::vector<std::string> kWorkNames = {"built-silent-and-user", "driver-package",
                                                 "site.job"};
    w.work.write("built-silent-and-user/keep.txt", "old");
    w.work.write(std::string("built-silent-and-user/") + kPackageMarker, kPackageMarkerText);
    const std::string archive = w.fixture.program.folder() + "Tool.bin";
    fs::rename(test::utf8_path(archive), test::utf8_path(archive + ".away"));
    EXPECT_FALSE(w.build("site.job").ok);
    EXPECT_EQ(w.fixture.prompter.messages().back(), "MsgErrCopy\r\nMsgErrOneMore");
    EXPECT_EQ(test::folder_names(w.work.path()), kWorkNames);
    EXPECT_EQ(test::read_file(w.work.folder() + "built-silent-and-user/keep.txt"), "old");

    fs::rename(test::utf8_path(archive + ".away"), test::utf8_path(archive));
    // With the archive back, the old contents give way to the new package and nothing else.
    EXPECT_TRUE(w.build("site.job").ok);
    EXPECT_FALSE(fs::exists(w.work.path() / "built-silent-and-user/keep.txt"));
    EXPECT_EQ(test::folder_names(w.work.path()), kWorkNames);
}

}  // namespace
}  // namespace korva
