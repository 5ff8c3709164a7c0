// SPDX-License-Identifier: MIT
// Config.ini: what the maker's installer reads to create drivers, printers and ports in a silent
// install, written from the entries of Printer_List.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialogs/context.h"

namespace korva {

// The silent-install options the file carries besides the printers.
struct ConfigOptions {
    std::string lang_folder;  // folder of the chosen package language, as the package spells it
    int Emu_Use = 0;          // 1: the model part ends with a blank and the emulation name
    bool S_Yes = false;       // show the installer's finish dialog
    int Chk_DlgReboot = 0;    // 1: install without the reboot dialog
};

// The default printer as found while writing; Create_SetupVBE reads it afterwards.
struct DefaultPrinterState {
    int DefPrinter_No = 0;  // 1-based position after the reordering, 0 for none
    int DefPrinter_Flag = 0;
    std::string DefPrinter_Name;
};

// Moves a default entry below each following non-default entry in one pass (so a single default
// ends last) and renumbers every entry after each swap. Returns the number of swaps.
int Plurals_List_Change(std::vector<std::string>& Printer_List);

// Appends the fourteen-line block of the entry at List_Cnt (0-based), preceded by the line break
// that ends the line before it, and records the printer name when the entry is the default.
void Plurals_ConfigINI(const std::vector<std::string>& Printer_List, int List_Cnt,
                       const ConfigOptions& options, std::string& Config_Text,
                       std::string& DefPrinter_Name);

// The whole file text for a list already in its final order; sets DefPrinter_No and
// DefPrinter_Flag, and DefPrinter_Name when a default is listed.
std::string config_ini_text(const std::vector<std::string>& Printer_List,
                            const ConfigOptions& options, DefaultPrinterState& state);

// Reorders Printer_List (calling on_swap after each swap, for the window's part of it), then
// writes output_folder + "Config.ini" by way of "Config.txt", replacing a copied one. On failure:
// Error_Delete empties the folder, "MsgErrConfig" + "MsgErrOneMore" is shown, false.
bool Create_ConfigINI(std::vector<std::string>& Printer_List, const ConfigOptions& options,
                      const std::string& output_folder, DefaultPrinterState& state,
                      const Context& ctx, const std::function<void()>& on_swap = {});

}  // namespace korva
