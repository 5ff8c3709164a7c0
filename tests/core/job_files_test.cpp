// SPDX-License-Identifier: MIT
// Job files: a window's state survives Save and Open, a job builds the window's own package, and
// a job that is wrong anywhere builds nothing and says where.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "eraser/rem_form.h"
#include "job/job_build.h"
#include "job/job_file.h"
#include "job/job_forms.h"
#include "job/job_window.h"
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
        "MsgErrJobPasswordUnset=MsgErrJobPasswordUnset %1\r\n"
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
    EXPECT_TRUE(reread.job.source.starts_with("driver-package"));  // relative, so it travels
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
    EXPECT_EQ(w.fixture.prompter.messages().back(), "MsgErrJobValue [Job] Tool removal");

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

    const std::vector<std::string> tree = test::folder_tree(by_job);
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
    } cases[] = {
        {"[Printer3]\r\nColour=yes", "MsgErrJobKey [Printer3] Colour"},
        {"[Printer3]\r\nModel=KORVA A3010\r\nName=x", "MsgErrJobValue [Printer3] Address "},
        {"[Printer3]\r\nAdminPassword=x", "MsgErrJobPassword [Printer3] AdminPassword"},
        {"[Printer3]\r\nModel=KORVA Z9\r\nAddress=1\r\nName=x",
         "MsgErrJobChoice [Printer3] Model KORVA Z9"},
        {"[Job]\r\nSource=../driver-package", "MsgErrJobPath [Job] Source"},
        {"[Job]\r\nExistingOutput=subfolder:a/b",
         "MsgErrJobValue [Job] ExistingOutput subfolder:a/b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        JobWork w;
        std::string text = test::read_file(w.work.folder() + "site.job");
        const std::string head =
            std::string(c.change).substr(0, std::string(c.change).find(']') + 1);
        text = head == "[Job]" ? text.replace(text.find("[Job]"), 5, c.change)
                               : text.substr(0, text.find(head)) + c.change + "\r\n";
        w.work.write("site.job", text);
        EXPECT_FALSE(w.build("site.job").ok);
        const std::vector<std::string> shown = w.fixture.prompter.messages();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), c.expected);
        EXPECT_FALSE(fs::exists(w.work.path() / "built-silent-and-user"));
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
