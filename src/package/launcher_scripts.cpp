// SPDX-License-Identifier: MIT
// Launcher script texts and their encoding. The values typed into the account fields end up inside
// VBScript string literals and a Sendkeys string, so each is escaped for exactly the place it
// lands in; the clear-text files exist only for the encoder and never outlive this step.
#include "package/launcher_scripts.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <initializer_list>

#include "package/file_copy.h"
#include "package/native_launcher.h"
#include "package/script_encoder.h"
#include "platform/error.h"
#include "platform/path.h"

namespace korva {

namespace {

constexpr const char* kCrLf = "\r\n";

constexpr const char* kProcQueryLine =
    "Private Const PROC_QUERY = \"select * from Win32_Process where Name='setup.exe'\"";
constexpr const char* kCreateShellLine = "Set WSHShell = Wscript.CreateObject(\"WScript.Shell\")";
constexpr const char* kNetworkLine = "Set objNetWork = WScript.CreateObject(\"WScript.Network\")";
constexpr const char* kObjShellLine = "Set objShell = CreateObject(\"Wscript.Shell\")";
constexpr const char* kProcListOldLine =
    "Set objProcList_Old = GetObject(\"winmgmts:\").InstancesOf(\"win32_process\")";
constexpr const char* kSleep5000Line = "WScript.Sleep 5000";
constexpr const char* kProcListLine = "Set objProcList = Nothing";
constexpr const char* kQuitLine = "WScript.Quit 0";
constexpr const char* kLegacyModeKey =
    "HKCU\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\LegacyDefaultPrinterMode";

// Real numbers as VBScript writes them when it turns one into text: up to 15 significant digits,
// an upper-case exponent only for very large or small values. Independent of the C locale, so a
// decimal comma can never reach the script.
std::string vb_number_text(double value) {
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
    }
    return text;
}

// The default-printer block; `shell` is the script's shell object.
void append_default_printer_block(std::string& s, const DefaultPrinterWait& w,
                                  const std::string& shell) {
    const std::string lines[] = {
        "WScript.Sleep " + w.wait,
        "Set objWMI = GetObject(\"winmgmts:\")",
        "nCnt = 0",
        "Do",
        "Set objProc = objWMI.ExecQuery(PROC_QUERY)",
        "WScript.Sleep 2000",
        "nCnt = nCnt + 2",
        "if nCnt >= " + w.timeout + " Then",
        "Exit Do",
        "End if",
        "Loop While objProc.Count > 0",
        "if nCnt < " + w.timeout + " Then",
        shell + ".Exec(\"cmd.exe /C rundll32 printui.dll,PrintUIEntry /y /n \" & \"\"\"\" & \"" +
            vbs_literal(w.printer) + "\" & \"\"\"\" )",
        "End if",
    };
    for (const std::string& line : lines)
        s += line + kCrLf;
}

std::string join_lines(std::initializer_list<std::string> lines, bool final_break) {
    std::string s;
    for (const std::string& line : lines)
        s += line + kCrLf;
    if (!final_break && !s.empty())
        s.resize(s.size() - 2);
    return s;
}

void remove_quietly(FileSystem& fs, const std::string& path) {
    try {
        if (fs.file_exists(path))
            fs.delete_file(path, true);
    } catch (const std::exception&) {
        // The failure that brought us here is the one to report.
    }
}

// Clears the name for a new file. A link there, even one that leads nowhere (which file_exists
// does not see), is removed rather than written through: the write must not land wherever the
// link points.
void clear_name(FileSystem& fs, const std::string& folder, const std::string& name) {
    const std::string path = folder + name;
    bool taken = fs.file_exists(path);
    for (const std::string& entry : fs.list(path, false))
        taken = taken || entry == name;
    if (taken)
        fs.delete_file(path, false);
}

// Windows runs the tool archive's encoder program; elsewhere there is none to run.
void run_encoder(const std::string& vbs, const std::string& vbe, const Context& ctx) {
    if (kWindowsHost) {
        run_and_wait(encoder_command(vbs, vbe), ctx.pump);
    } else {
        encode_script_file(ctx.fs, vbs, vbe, ctx.codepage);
    }
}

// Everything that goes wrong in the encoder step is reported as the encoder's failure, naming the
// script it was to write, so the message does not send the user after a copy or a disk.
void encode(const std::string& vbs, const std::string& encoded, const std::string& target,
            const Context& ctx, const ScriptEncoder& encoder) {
    try {
        if (encoder) {
            encoder(vbs, encoded);
        } else {
            run_encoder(vbs, encoded, ctx);
        }
    } catch (const std::exception& error) {
        throw ScriptEncoderFailed(error.what(), target);
    }
    if (!ctx.fs.file_exists(encoded) || ctx.fs.file_size(encoded) == 0)
        throw ScriptEncoderFailed("the script encoder wrote no script", target);
}

// The encoder takes its file names in the ANSI code page. Where the output folder's name holds a
// character that code page lacks, the script is encoded in a private temporary folder instead and
// the result moved into place; the temporary folder is gone again when this ends.
class EncodingFolder {
  public:
    EncodingFolder(const std::string& output_folder, const Context& ctx) : fs_(ctx.fs) {
        if (!ctx.codepage.can_hold(output_folder))
            temporary_ = fs_.make_temp_folder("korva-encode-");
        path_ = temporary_.empty() ? output_folder : temporary_;
    }
    ~EncodingFolder() {
        if (!temporary_.empty())
            fs_.remove_all(temporary_);
    }
    EncodingFolder(const EncodingFolder&) = delete;
    EncodingFolder& operator=(const EncodingFolder&) = delete;

    const std::string& path() const { return path_; }

    // Puts the encoded script where it belongs; the temporary folder may be on another drive.
    void deliver(const std::string& encoded, const std::string& target) const {
        if (temporary_.empty())
            return;
        try {
            fs_.rename(encoded, target);
        } catch (const PlatformError&) {
            fs_.copy_file(encoded, target);
        }
    }

  private:
    FileSystem& fs_;
    std::string temporary_;
    std::string path_;
};

}  // namespace

std::string vbs_literal(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out;
}

std::string sendkeys_escape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '+':
            case '^':
            case '%':
            case '~':
            case '(':
            case ')':
            case '{':
            case '}':
            case '[':
            case ']':
                out += '{';
                out += c;
                out += '}';
                break;
            default:
                out += c;
        }
    }
    return out;
}

double leading_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t start = i;
    auto digits = [&] {
        std::size_t n = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++n;
        return n;
    };
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() > 0)
            end = i;
    }
    double value = 0;
    auto result = std::from_chars(text.data() + start, text.data() + end, value);
    // Beyond the range of a double counts as no number rather than as infinity.
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

std::string wait_text(std::string_view WaitTime) {
    double seconds = leading_number(WaitTime);
    if (seconds <= 0)
        seconds = 20;
    return vb_number_text(seconds * 1000);
}

std::string timeout_text(std::string_view TimeOut, int printer_count) {
    // nearbyint rounds half to even in the default rounding mode, as the integer conversion of
    // the scripting language does.
    double seconds = std::nearbyint(leading_number(TimeOut));
    if (seconds <= 0)
        seconds = 180;
    double total = seconds * printer_count;
    if (std::fabs(total) < 1e15)
        return std::to_string(static_cast<long long>(total));
    return vb_number_text(total);
}

std::string run_as_with_vb_line(const Credentials& creds, std::string_view program) {
    const std::string between = "\" & Chr(34) & \" \" & Chr(34) & \"";
    return "WSHShell.Run \"RunAsWithVB.exe\" & \" \" & Chr(34) & \"" + vbs_literal(creds.account) +
           between + vbs_literal(creds.password) + between + vbs_literal(creds.domain) + between +
           vbs_literal(program) + "\" & Chr(34)";
}

// runas gets `cmd /c ""{folder}{program}""`: cmd /c takes off the outer pair of quotes and runs
// the quoted path that is left, so a folder holding & ( ) ^ stays one path.
std::string exe_path_line(std::string_view program) {
    return "strExePath = \"\"\"\" & \"cmd /c \\\"\"\\\" & \"\"\"\" & "
           "Replace(WScript.ScriptFullName, WScript.ScriptName, \"\") & \"" +
           vbs_literal(program) + "\\\"\"\\\" & \"\"\"\" & \"\"\"\"";
}

std::string runas_run_line(const Credentials& creds) {
    // A blank would end the /user: argument; quoted, the whole name is one argument.
    const bool quoted =
        creds.account.find(' ') != std::string::npos || creds.domain.find(' ') != std::string::npos;
    const std::string head = quoted ? "nReturn = objShell.Run(\"runas \" & Chr(34) & \"/user:\" & "
                                    : "nReturn = objShell.Run(\"runas \" & \"/user:\" & ";
    const std::string tail =
        quoted ? "\" & Chr(34) & \" \" & strExePath,1)" : "\" & \" \" & strExePath,1)";
    const std::string account = vbs_literal(creds.account);
    if (creds.domain == "%USERDNSDOMAIN%") {
        return head + "objNetWork.UserDomain & \"\\" + account + tail;
    }
    if (creds.domain == "%COMPUTERNAME%") {
        return head + "objNetWork.ComputerName & \"\\" + account + tail;
    }
    return head + "\"" + vbs_literal(creds.domain) + "\\" + account + tail;
}

std::string sendkeys_line(std::string_view password) {
    return "objShell.Sendkeys \"" + vbs_literal(sendkeys_escape(password)) + "~\"";
}

std::string setup_script_text(const Credentials& creds,
                              const std::optional<DefaultPrinterWait>& wait) {
    std::string s = join_lines({kProcQueryLine, "Dim objWMI, objProc, nReturn, nCnt",
                                kCreateShellLine, run_as_with_vb_line(creds, "Setup.exe")},
                               true);
    if (wait)
        append_default_printer_block(s, *wait, "WSHShell");
    return s + kQuitLine;
}

std::string setup_uac_script_text(const Credentials& creds,
                                  const std::optional<DefaultPrinterWait>& wait) {
    std::string s = join_lines(
        {kProcQueryLine, std::string("Private Const REG_LDPM = \"") + kLegacyModeKey + "\"",
         "Dim strExePath, objNetWork, objShell, objWMI, objProc, nReturn, nCnt, strLDPM",
         exe_path_line("setup.exe"), kNetworkLine, "", kObjShellLine, kProcListOldLine, "",
         runas_run_line(creds), kSleep5000Line, sendkeys_line(creds.password), kSleep5000Line, "",
         "strLDPM = 1", "On Error Resume Next",
         std::string("strLDPM = objShell.RegRead(\"") + kLegacyModeKey + "\")", "", kProcListLine},
        true);
    if (wait) {
        s += std::string("If Not (strLDPM = -1 Or strLDPM = 0) Then") + kCrLf;
        append_default_printer_block(s, *wait, "objShell");
        s += std::string("End if") + kCrLf;
    }
    return s + kQuitLine;
}

std::string program_script_text(const Credentials& creds, std::string_view program) {
    return join_lines({kCreateShellLine, run_as_with_vb_line(creds, program)}, false);
}

std::string program_uac_script_text(const Credentials& creds, std::string_view program) {
    return join_lines(
        {"Dim strExePath, objNetWork, objShell, nReturn", exe_path_line(program), kNetworkLine, "",
         kObjShellLine, kProcListOldLine, "", runas_run_line(creds), kSleep5000Line,
         sendkeys_line(creds.password), kSleep5000Line, "", kProcListLine},
        true);
}

void write_encoded_script(const std::string& output_folder, const std::string& base_txt,
                          const std::string& base_vbs, const std::string& target_vbe,
                          const std::string& text, const Context& ctx,
                          const ScriptEncoder& encoder) {
    FileSystem& fs = ctx.fs;
    const EncodingFolder work(output_folder, ctx);
    const std::string txt = work.path() + base_txt;
    const std::string vbs = work.path() + base_vbs;
    const std::string encoded = work.path() + target_vbe;
    const std::string vbe = output_folder + target_vbe;
    try {
        // The text holds the password in clear: nobody but the owner may read it, and it is
        // gone again before this returns.
        fs.write_file(txt, ctx.codepage.to_ansi_exact(text), true);
        clear_name(fs, work.path(), base_vbs);
        fs.rename(txt, vbs);
        // An older .vbe would pass the encoder's check although the encoder wrote nothing.
        clear_name(fs, output_folder, target_vbe);
        encode(vbs, encoded, vbe, ctx, encoder);
        work.deliver(encoded, vbe);
        fs.delete_file(vbs, false);
    } catch (...) {
        remove_quietly(fs, vbs);
        remove_quietly(fs, txt);
        throw;
    }
}

bool Create_SetupVBE(const SetupScriptInputs& in, const std::string& output_folder,
                     const Context& ctx) {
    // Read for each script, as each script is built on its own.
    auto printer_wait = [&]() -> std::optional<DefaultPrinterWait> {
        if (in.DefPrinter_Flag != 1)
            return std::nullopt;
        return DefaultPrinterWait{
            wait_text(ctx.catalogue.setting("Setup", "WaitTime", "")),
            timeout_text(ctx.catalogue.setting("Setup", "TimeOut", ""), in.printer_count),
            in.DefPrinter_Name};
    };
    try {
        write_encoded_script(output_folder, "setup.txt", "setup.vbs", "setup.vbe",
                             setup_script_text(in.creds, printer_wait()), ctx, in.encoder);
        write_encoded_script(output_folder, "setupUAC.txt", "setupUAC.vbs", "setupUAC.vbe",
                             setup_uac_script_text(in.creds, printer_wait()), ctx, in.encoder);
        if (native_launcher_wanted(ctx))
            write_native_launcher(
                {"setupLaunch", "setup.exe", in.creds, "setup.exe",
                 in.DefPrinter_Flag == 1 ? in.DefPrinter_Name : "", in.printer_count},
                output_folder, ctx);
        return true;
    } catch (const std::exception& error) {
        Error_Delete(ctx.fs, output_folder);
        show_generator_failure(ctx, error, "MsgErrSetup");
        return false;
    }
}

}  // namespace korva
