// SPDX-License-Identifier: MIT
// The launcher program run for real under Wine: a package folder with the test build of the
// launcher (its logon recorded instead of made) and a stand-in setup.exe, and a real Wine
// printer to make the default.
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>
#include <winspool.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "launcher/outcome.h"
#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "platform/codepage.h"
#include "support/temp_dir.h"
#include "wine_stubs.h"

namespace korva::launcher {
namespace {

namespace fs = std::filesystem;
using test::from_env;
const wchar_t kPrinter[] = L"Korva Wine Printer";
// The default before each run, so that a run that sets none is seen.
const wchar_t kOtherPrinter[] = L"Korva Other Printer";

void make_wine_printer(const wchar_t* name) {
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(L"Korva Test Driver");
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile =
        const_cast<wchar_t*>(L"wineps.drv");
    ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(name);
    info.pPortName = const_cast<wchar_t*>(L"FILE:");
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    if (HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)))
        ::ClosePrinter(printer);
}

std::wstring default_printer() {
    wchar_t name[256];
    DWORD size = 256;
    return ::GetDefaultPrinterW(name, &size) ? name : L"";
}

struct LauncherProgram : ::testing::Test {
    test::TempDir dir;
    fs::path launcher = dir.path() / "setupLaunch.exe";
    Settings settings;

    wchar_t old_tmp[MAX_PATH] = L"";

    LauncherProgram() {
        ::GetEnvironmentVariableW(L"TMP", old_tmp, MAX_PATH);
        fs::copy_file(from_env("KORVA_RECORDING_LAUNCHER"), launcher);
        fs::copy_file(from_env("KORVA_STUB_SETUP"), dir.path() / "setup.exe");
        settings.sha256 = sha256_hex(test::read_file(dir.path() / "setup.exe"));
        settings.arguments = "/s \"a b\"";
        settings.account = "Administrator";
        settings.domain = "%COMPUTERNAME%";
        settings.password = "Pa55 w0rd&%";
        settings.timeout_seconds = 20;
        settings.default_printer = utf16_to_utf8(kPrinter);
        for (const auto& [name, value] : {std::pair{L"TMP", dir.path()},
                                          {L"KORVA_STUB_RECORD", dir.path() / "stub.txt"},
                                          {L"KORVA_LAUNCHER_RECORD", dir.path() / "logon.txt"}})
            ::SetEnvironmentVariableW(name, value.c_str());
        ::SetEnvironmentVariableW(L"KORVA_STUB_CHILD_MS", L"2000");
        ::SetEnvironmentVariableW(L"KORVA_LAUNCHER_REPORT_740", nullptr);
        ::SetEnvironmentVariableW(L"KORVA_STUB_EXIT", L"5");
        make_wine_printer(kPrinter);
        make_wine_printer(kOtherPrinter);
        ::SetDefaultPrinterW(kOtherPrinter);
    }
    ~LauncherProgram() override {
        test::remove_with_its_programs(dir.path());
        ::SetEnvironmentVariableW(L"TMP", old_tmp[0] != L'\0' ? old_tmp : nullptr);
    }

    // The exit code; the launcher's log and what was recorded are then in the folder.
    int run(const std::wstring& switches = L"/quiet") {
        const std::string ini = settings_file_bytes(settings, CodePage::system(), random_nonce());
        std::ofstream(dir.path() / "setupLaunch.ini", std::ios::binary) << ini;
        EXPECT_EQ(ini.find("Pa55"), std::string::npos);
        std::wstring line = L"\"" + launcher.wstring() + L"\" " + switches;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        EXPECT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &info));
        ::WaitForSingleObject(info.hProcess, 60000);
        DWORD code = 0;
        ::GetExitCodeProcess(info.hProcess, &code);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        EXPECT_EQ(text("setupLaunch.log").find("Pa55"), std::string::npos);
        EXPECT_EQ(text("stub.txt").find("Pa55"), std::string::npos);
        return static_cast<int>(code);
    }
    std::string text(const char* name) {
        return fs::exists(dir.path() / name) ? test::read_file(dir.path() / name) : "";
    }
};

TEST_F(LauncherProgram, WaitsForTheInstallerAndItsChildThenSetsTheDefaultPrinter) {
    EXPECT_EQ(run(), 5);
    const std::string stub = text("stub.txt");
    EXPECT_NE(stub.find("/s \"a b\"\t" + test::utf8_text(dir.path())), std::string::npos) << stub;
    EXPECT_NE(stub.find("child ended"), std::string::npos) << stub;
    EXPECT_EQ(default_printer(), kPrinter);
    wchar_t computer[64];
    DWORD size = 64;
    ::GetComputerNameW(computer, &size);
    EXPECT_EQ(text("logon.txt"), "Administrator\t" + utf16_to_utf8(computer) + "\tPa55 w0rd&%\t" +
                                     test::utf8_text(dir.path()) + "\\\t" +
                                     test::utf8_text(dir.path() / "setup.exe") + "\t/s \"a b\"\n");
}

TEST_F(LauncherProgram, GivesUpAtTheTimeOutWithoutTouchingThePrinter) {
    ::SetEnvironmentVariableW(L"KORVA_STUB_CHILD_MS", L"30000");
    settings.timeout_seconds = 2;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(run(), exit_code(Failure::timeout));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(8));
    EXPECT_EQ(default_printer(), kOtherPrinter);
}

TEST_F(LauncherProgram, RefusesAChangedInstallerAndStartsNothing) {
    settings.sha256 = sha256_hex("another installer");
    settings.messages["Changed"] = "Changed! \xe2\x80\x9cquoted\xe2\x80\x9d";
    const char* locale = std::getenv("LC_ALL");
    if (locale != nullptr && std::string(locale).starts_with("ja")) {
        ASSERT_EQ(CodePage::system().number(), 932u);
    }
    if (CodePage::system().number() == 932)
        settings.messages["Changed"] =
            "\xe3\x82\xa4\xe3\x83\xb3\xe3\x82\xb9\xe3\x83\x88\xe3\x83"
            "\xbc\xe3\x83\xa9\xe3\x83\xbc\xe3\x81\x8c\xe5\xa4\x89\xe6"
            "\x9b\xb4\xe3\x81\x95\xe3\x82\x8c\xe3\x81\xbe\xe3\x81\x97"
            "\xe3\x81\x9f\xe3\x80\x82";  // インストーラーが変更されました。
    EXPECT_EQ(run(), exit_code(Failure::changed));
    EXPECT_EQ(text("logon.txt"), "");
    EXPECT_NE(text("setupLaunch.log").find(settings.messages["Changed"]), std::string::npos);
}

TEST_F(LauncherProgram, ElevationRequiredGoesThroughTheSecondInstance) {
    ::SetEnvironmentVariableW(L"KORVA_LAUNCHER_REPORT_740", L"1");
    EXPECT_EQ(run(), 5);
    const std::string logon = text("logon.txt");
    EXPECT_NE(logon.find(test::utf8_text(launcher) + "\t/korva-elevated\n"), std::string::npos)
        << logon;
    EXPECT_NE(text("stub.txt").find("child ended"), std::string::npos);
}

TEST_F(LauncherProgram, TheRealLogonFailsUnderWineWithItsMessage) {
    fs::copy_file(from_env("KORVA_PRODUCT_LAUNCHER"), launcher,
                  fs::copy_options::overwrite_existing);
    EXPECT_EQ(run(), exit_code(Failure::start));
    EXPECT_EQ(text("stub.txt"), "");
    EXPECT_NE(text("setupLaunch.log").find("The installer could not be started."),
              std::string::npos);
}

}  // namespace
}  // namespace korva::launcher
