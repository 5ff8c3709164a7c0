// SPDX-License-Identifier: MIT
// The installer names the default printer by its block number, and the blocks are numbered in
// list order; moving the default entry last before writing keeps that number predictable and is
// shown to the administrator in the list itself.
#include "package/config_ini.h"

#include <exception>
#include <utility>

#include "package/file_copy.h"
#include "platform/profile.h"
#include "printers/entry_line.h"

namespace korva {

namespace {

constexpr const char* kCrLf = "\r\n";

std::string ascii_upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The field before the last one, read from the right as the printer name is: "AutoConfig" or
// empty.
std::string entry_autoconfig_field(const std::string& line) {
    std::size_t last = line.rfind(',');
    if (last == std::string::npos)
        return "";
    std::string rest = line.substr(0, last);
    std::size_t before = rest.rfind(',');
    return before == std::string::npos ? "" : rest.substr(before + 1);
}

// The text before the first "(", and what follows its last blank: the emulation name.
std::string entry_emulation(const std::string& line) {
    std::string head = line.substr(0, line.find('('));
    std::size_t blank = head.rfind(' ');
    return blank == std::string::npos ? head : head.substr(blank + 1);
}

std::string model_without_emulation(const std::string& model) {
    std::size_t blank = model.rfind(' ');
    return blank == std::string::npos ? model : model.substr(0, blank);
}

// A typed value as the installer's profile reader gives it back unchanged, blanks at its ends
// included.
std::string typed(const std::string& value) {
    return profile::quoted_if_needed(value);
}

}  // namespace

int Plurals_List_Change(std::vector<std::string>& Printer_List) {
    int swaps = 0;
    const int count = static_cast<int>(Printer_List.size());
    for (int i = 0; i + 1 < count; ++i) {
        if (!entry_is_default(Printer_List[i]) || entry_is_default(Printer_List[i + 1]))
            continue;
        std::swap(Printer_List[i], Printer_List[i + 1]);
        for (int k = 0; k < count; ++k)
            Printer_List[k] = renumber_entry(Printer_List[k], k + 1);
        ++swaps;
    }
    return swaps;
}

void Plurals_ConfigINI(const std::vector<std::string>& Printer_List, int List_Cnt,
                       const ConfigOptions& options, std::string& Config_Text,
                       std::string& DefPrinter_Name) {
    if (List_Cnt < 0 || List_Cnt >= static_cast<int>(Printer_List.size()))
        return;
    const std::string& item = Printer_List[List_Cnt];
    const std::string n = std::to_string(List_Cnt + 1);

    std::string emulation = options.Emu_Use != 0 ? entry_emulation(item) : "";
    std::string model = entry_model_part(item);
    if (options.Emu_Use == 1)
        model = model_without_emulation(model);
    std::string printer_name = entry_printer_name(item);
    bool auto_config = entry_autoconfig_field(item) == "AutoConfig";
    if (entry_is_default(item))
        DefPrinter_Name = printer_name;

    const std::string lines[] = {
        "[DRIVER" + n + "]",
        "Language=" + ascii_upper(options.lang_folder),
        "DriverPDL=" + emulation,
        "ModelName=" + model,
        "[PRINTER" + n + "]",
        "Name=" + typed(printer_name),
        "[PORT" + n + "]",
        "Type=" + Get_DriverString(item, 2),
        "IpAddress=" + typed(entry_address(item)),
        "ProtocolType=" + Get_DriverString(item, 3),
        "LprQueueName=" + typed(Get_DriverString(item, 5)),
        "PortNumber=" + typed(Get_DriverString(item, 4)),
        "[MFP" + n + "]",
    };
    Config_Text += kCrLf;
    for (const std::string& line : lines)
        Config_Text += line + kCrLf;
    Config_Text += auto_config ? "AutoConfig=1" : "AutoConfig=0";
}

std::string config_ini_text(const std::vector<std::string>& Printer_List,
                            const ConfigOptions& options, DefaultPrinterState& state) {
    state.DefPrinter_No = 0;
    for (std::size_t i = 0; i < Printer_List.size(); ++i) {
        if (entry_is_default(Printer_List[i]))
            state.DefPrinter_No = static_cast<int>(i) + 1;
    }
    state.DefPrinter_Flag = state.DefPrinter_No != 0 ? 1 : 0;

    std::string text = std::string("[PackageConfigList]") + kCrLf;
    text += "DefaultPrinterDriver=";
    if (state.DefPrinter_Flag == 1)
        text += "PRINTER" + std::to_string(state.DefPrinter_No);
    text += kCrLf;
    text += std::string("ShowFinishDialog=") + (options.S_Yes ? "1" : "0") + kCrLf;
    text += std::string("WithoutDlgReboot=") + (options.Chk_DlgReboot == 1 ? "1" : "0") + kCrLf;
    for (int p = 0; p < static_cast<int>(Printer_List.size()); ++p) {
        Plurals_ConfigINI(Printer_List, p, options, text, state.DefPrinter_Name);
    }
    return text;
}

bool Create_ConfigINI(std::vector<std::string>& Printer_List, const ConfigOptions& options,
                      const std::string& output_folder, DefaultPrinterState& state,
                      const Context& ctx, const std::function<void()>& on_swap) {
    try {
        state.DefPrinter_No = 0;
        // The swaps are counted first and reported afterwards; the window only needs to know
        // that the list changed, and in what order does not matter to it.
        int swaps = Plurals_List_Change(Printer_List);
        if (on_swap) {
            for (int i = 0; i < swaps; ++i)
                on_swap();
        }
        const std::string text = config_ini_text(Printer_List, options, state);

        FileSystem& fs = ctx.fs;
        const std::string txt = output_folder + "Config.txt";
        const std::string ini = output_folder + "Config.ini";
        fs.write_file(txt, ctx.codepage.to_ansi_exact(text));
        if (fs.file_exists(ini))
            fs.delete_file(ini, false);
        fs.rename(txt, ini);
        return true;
    } catch (const std::exception&) {
        return generator_failed(ctx, output_folder, "MsgErrConfig");
    }
}

}  // namespace korva
