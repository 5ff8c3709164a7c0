// SPDX-License-Identifier: MIT
// The removal package: the removal program's files, a Setup.sii telling it what to delete and,
// for a user install, two encoded launcher scripts that run it under an administrator account.
#pragma once

#include <string>
#include <vector>

#include "dialogs/context.h"
#include "package/launcher_scripts.h"
#include "package/tool_archive.h"

namespace korva::eraser {

inline constexpr const char* kEraserProgram = "EraserTool.exe";
inline constexpr const char* kSetupSii = "Setup.sii";

// What the removal window holds when Create runs.
struct RemovalPackage {
    std::string input;        // ends in the separator
    std::string output;       // ends in the separator
    bool show_dialog = true;  // Opt_Dialog element 0
    int Chk_QX0 = 0;          // first QX port monitor
    int Chk_QX1 = 0;          // second QX port monitor
    std::vector<std::string> printers;
    std::vector<std::string> drivers;
    bool user_install = false;
    Credentials creds;
};

// "0x" and a two-digit mask: the low digit for the first port monitor, the high for the second.
std::string PortMonitorDelete_value(int Chk_QX0, int Chk_QX1);

// Copies the top-level files of the input folder and, for a user install, takes the run-as
// program (and the script encoder, when the system folder lacks it) from the tool archive.
// On failure the output folder is emptied, MsgErrCopy shown, and the answer is false.
bool File_Copy(const RemovalPackage& package, const Context& ctx,
               const CabinetExpander& expander = {});

// Writes the six entries of Setup.sii in order, so sections of a copied Setup.sii that are not
// named keep their place. A refused write empties the output folder and shows MsgErrCopy.
bool Write_SetupSii(const RemovalPackage& package, const Context& ctx);

// EraserTool.vbe and EraserToolUAC.vbe, and EraserToolLaunch.exe with its .ini when the native
// launcher is wanted. On failure the output folder is emptied, MsgErrSetup
// shown, and the answer is false.
bool Create_SetupVBE(const RemovalPackage& package, const Context& ctx);

// The plain texts of the two launcher scripts.
std::string eraser_script_text(const Credentials& creds);
std::string eraser_uac_script_text(const Credentials& creds);

}  // namespace korva::eraser
