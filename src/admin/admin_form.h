// SPDX-License-Identifier: MIT
// The administrator launcher window `Admin_Setting` without its widgets: it writes, into the
// program's own folder, the two encoded scripts that start the program named by ProgExe under an
// administrator account. The Qt window mirrors these controls and forwards its events here.
#pragma once

#include <memory>
#include <string>

#include "catalogue/catalogue.h"
#include "dialogs/context.h"
#include "dialogs/control.h"
#include "dialogs/wait_view.h"
#include "package/output_lock.h"
#include "package/tool_archive.h"

namespace korva {

// The two messages shown before any catalogue text of this window is trusted; fixed English.
inline constexpr const char* kProgExeNotSet = "\"ProgExe\" key is not set.";
inline constexpr const char* kProgExeNotFoundSuffix = " is not found.";
inline constexpr const char* kFixedErrorTitle = "Error";
// Shown for a refused ProgExe when the catalogue has no MsgErrProgExe text.
inline constexpr const char* kProgExeNotPlain =
    "\"ProgExe\" must be the file name of a program in the tool's folder.";

// True when ProgExe names a file of the program folder and nothing more: no folder part, drive or
// "..", no character that cmd treats specially, and none of the names this window writes itself.
bool program_name_is_plain(const std::string& program);

// {name} of a ProgExe value: the text before its last "."; the whole value when it has none.
std::string program_base_name(const std::string& program);

// The controls of the administrator window, named as in the window design.
struct AdminControls {
#define KORVA_WINDOW_DECLARATION "admin/admin_window.def"
#include "dialogs/declare_members.h"
};

class AdminForm : public AdminControls {
  public:
    // main_ctx: the main window's context, whose file system, prompter, event pump and folders
    // this window shares. Texts are looked up in section LangSelect + "2" through the 500
    // character buffer of a secondary window.
    AdminForm(const Context& main_ctx, const std::string& LangSelect);
    AdminForm(const AdminForm&) = delete;
    AdminForm& operator=(const AdminForm&) = delete;

    // Captions, then the ProgExe checks. Returns true when the program must end: a fixed
    // English message has been shown, and the window is to be unloaded without being used.
    [[nodiscard]] bool Form_Load(const std::string& main_caption);

    // Account and domain filled (not trimmed); the password may be empty.
    bool Check_Value_UserI();

    // Create: the checks and both generators behind the waiting dialog. On success the dialog
    // shows its finished state and the owner stays hidden; otherwise the owner comes back.
    void Com_OK_Click(WaitView& wait, OwnerView& owner);

    // RunAsWithVB.exe into {dir}, screnc.exe into the system folder when it is not there yet.
    // False after Error_Delete and the MsgErrCopy message.
    bool File_Copy();
    // {name}.vbe and {name}UAC.vbe in {dir}, and the native launcher {name}Launch.exe with its
    // .ini when it is wanted. False after Error_Delete and the MsgErrSetup
    // message.
    bool Create_SetupVBE();
    // Removes, when present, only the files a Create of this window may leave in {dir}.
    void Error_Delete();

    // Every control with its name, the window itself first.
    ControlTable controls();

    // ---- window state
    const std::string& program() const { return program_; }  // {program}
    const std::string& name() const { return name_; }        // {name}
    const std::string& dir() const { return dir_; }          // {dir}, set by Com_OK_Click

    const Catalogue& catalogue() const { return catalogue_; }
    const Context& context() const { return ctx_; }
    Context& context() { return ctx_; }

    // Expands the tool archive; empty for the platform's expander. Tests swap it.
    CabinetExpander expander;
    // The folder that holds the program and gets the launchers, ending in the separator; empty
    // for the program's own folder, as the window builds. Tool.bin is read from the program's
    // folder either way.
    std::string target_folder;

  private:
    // False after the message when another build writes into {dir}.
    bool lock_folder(std::unique_ptr<OutputLock>& lock);
    std::string launcher_folder() const {
        return target_folder.empty() ? ctx_.program_folder : target_folder;
    }

    Catalogue catalogue_;
    Context ctx_;
    std::string program_;
    std::string name_;
    std::string dir_;
    // RunAsWithVB.exe was put into {dir} by this Create, so a failure takes it away again.
    bool run_as_copied_ = false;
};

// The window's control names, for the front ends that find controls by name.
namespace admin_ui {
#define KORVA_WINDOW_DECLARATION "admin/admin_window.def"
#include "dialogs/declare_names.h"
}  // namespace admin_ui

}  // namespace korva
