// SPDX-License-Identifier: MIT
// The plain launcher scripts, as Create writes them before encoding, run by Wine's cscript in a
// package folder holding a recording RunAsWithVB.exe and the stand-in installer. Wine's
// WScript.Sleep ends a script silently, so each Sleep is replaced by a call to a program that
// waits as long.
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>

#include "eraser/removal_writer.h"
#include "package/launcher_scripts.h"
#include "platform/codepage.h"
#include "support/temp_dir.h"
#include "wine_stubs.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::from_env;

std::string with_waits_for_sleeps(const std::string& script) {
    static const std::regex sleep("WScript\\.Sleep (\\d+)");
    return std::regex_replace(script, sleep,
                              "CreateObject(\"WScript.Shell\").Run \"wait.exe /wait $1\", 0, True");
}

// Non-ASCII that the package language's code page can carry.
std::string package_language_text() {
    return CodePage::system().number() == 932 ? "\xe7\xae\xa1\xe7\x90\x86\xe8\x80\x85"  // 管理者
                                              : "J\xc3\xbcrgen";                        // Jürgen
}

struct PlainScripts : ::testing::Test {
    test::TempDir temp;
    fs::path dir = temp.path() / test::utf8_path("pkg a&b " + package_language_text());
    Credentials creds{"Admin " + package_language_text(), "Pa55 w0rd&%" + package_language_text(),
                      "DOM & 50%"};

    PlainScripts() {
        fs::create_directories(dir);
        fs::copy_file(from_env("KORVA_RECORDING_RUN_AS"), dir / "RunAsWithVB.exe");
        for (const char* name : {"setup.exe", "EraserTool.exe", "rundll32.exe", "wait.exe"})
            fs::copy_file(from_env("KORVA_STUB_SETUP"), dir / name);
        ::SetEnvironmentVariableW(L"KORVA_STUB_RECORD", (dir / "stub.txt").c_str());
        ::SetEnvironmentVariableW(L"KORVA_LAUNCHER_RECORD", (dir / "run-as.txt").c_str());
        ::SetEnvironmentVariableW(L"KORVA_LAUNCHER_REPORT_740", nullptr);
        ::SetEnvironmentVariableW(L"KORVA_STUB_MS", L"1000");
        ::SetEnvironmentVariableW(L"KORVA_STUB_CHILD_MS", L"3000");
    }
    ~PlainScripts() override { test::remove_with_its_programs(dir); }

    // Runs the script in the package folder, as a double-click does; the seconds it took.
    double run(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary)
            << CodePage::system().to_ansi_exact(with_waits_for_sleeps(text));
        std::wstring line = L"cscript.exe //nologo " + test::utf8_path(name).wstring();
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     dir.c_str(), &startup, &info));
        EXPECT_EQ(::WaitForSingleObject(info.hProcess, 60000), WAIT_OBJECT_0);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    std::string text(const char* name) {
        return fs::exists(dir / name) ? test::read_file(dir / name) : "";
    }
    // The scripts start programs without waiting for them, so a record may come after the end.
    std::string text_once_it_holds(const char* name, const std::string& part) {
        for (int tries = 0; tries < 100 && text(name).find(part) == std::string::npos; ++tries)
            ::Sleep(100);
        return text(name);
    }
    // What the run-as program was handed: account, password, domain and the program, beside the
    // folder it started the program from.
    std::string run_as_line(const std::string& program) {
        const std::string folder = test::utf8_text(dir) + "\\";
        return creds.account + "\t" + creds.domain + "\t" + creds.password + "\t" + folder + "\t" +
               folder + program + "\t\n";
    }
};

TEST_F(PlainScripts, SetupWaitsForTheInstallerThenSetsTheDefaultPrinter) {
    run("setup.vbs", setup_script_text(creds, DefaultPrinterWait{"1000", "20", "Office A&B"}));
    EXPECT_EQ(text("run-as.txt"), run_as_line("Setup.exe"));
    const std::string stub = text_once_it_holds("stub.txt", "PrintUIEntry");
    const auto child_ended = stub.find("child ended");
    const auto printer = stub.find("printui.dll,PrintUIEntry /y /n \"Office A&B\"");
    ASSERT_NE(child_ended, std::string::npos) << stub;
    ASSERT_NE(printer, std::string::npos) << stub;
    EXPECT_LT(child_ended, printer) << stub;
}

TEST_F(PlainScripts, SetupGivesUpAtTheTimeOutWithoutTheDefaultPrinter) {
    ::SetEnvironmentVariableW(L"KORVA_STUB_CHILD_MS", L"30000");
    const double seconds =
        run("setup.vbs", setup_script_text(creds, DefaultPrinterWait{"1000", "4", "Office"}));
    EXPECT_LT(seconds, 20);
    EXPECT_EQ(text("stub.txt").find("child ended"), std::string::npos);
    EXPECT_EQ(text("stub.txt").find("PrintUIEntry"), std::string::npos);
}

TEST_F(PlainScripts, EraserToolHandsTheRunAsProgramItsFourArguments) {
    run("EraserTool.vbs", eraser::eraser_script_text(creds));
    EXPECT_EQ(text_once_it_holds("run-as.txt", "\n"), run_as_line("EraserTool.exe"));
    EXPECT_NE(text_once_it_holds("stub.txt", "EraserTool.exe"), "");
}

}  // namespace
}  // namespace korva
