// SPDX-License-Identifier: MIT
// What the main window knows of the source driver package: the installer folder, its languages,
// its drivers and models. Filled by the package reader and the model catalogue.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dialogs/list_state.h"

namespace korva {

inline constexpr const char* kNoEmu = "No Emu";
inline constexpr const char* kPcFax = "PC-Fax";
inline constexpr const char* kVexl2Item = "VEXL2-c/VEXL2";
inline constexpr const char* kModelPrefix = "KORVA ";

struct PackageState {
    std::string Driver_Folder;
    std::string Lang_Folder;
    std::vector<std::string> Lang_Folders;
    std::vector<std::string> Lang_Codes;
    ListState Language_Name;

    ListState Model_Name;
    ListState Emu_Name;
    // For each Emu_Name item, the driver slot (0-5) it came from, so a chosen emulation maps to
    // its own driver even when skipped PPD or FAX drivers come before it; -1 for placeholders.
    std::vector<int> Emu_Slots;
    std::array<std::string, 6> Emu_Drivers;
    std::vector<std::string> Model_Emus;
    int Emu_Use = 0;
    int Fax_Found = 0;
    std::string Drv_Suffix;

    // Language folder and code of the chosen package language (empty when none is chosen).
    std::string chosen_lang_folder() const {
        int i = Language_Name.index;
        return i >= 0 && i < static_cast<int>(Lang_Folders.size()) ? Lang_Folders[i] : "";
    }
    std::string chosen_lang_code() const {
        int i = Language_Name.index;
        return i >= 0 && i < static_cast<int>(Lang_Codes.size()) ? Lang_Codes[i] : "";
    }
};

}  // namespace korva
