// SPDX-License-Identifier: MIT
// The emulations (drivers) and models a package offers, read from the installer's .sii file and
// the package's model file, for describing the printers of a silent install.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/context.h"
#include "source/package_state.h"

namespace korva {

// Emu_Name_Get and Model_Name_Check read package values through a buffer of their own.
inline constexpr std::size_t kPackageBuffer = 100;

// The window's own list resets: each sets its list to the placeholder and runs what the window
// runs then (Model_Name_Clear also unticks Chk_SI). An empty function resets only the list.
struct ListResets {
    std::function<void()> Model_Name_Clear;
    std::function<void()> Emu_Name_Clear;
};

// List parts of Model_Name_Clear and Emu_Name_Clear: the placeholder as the only, selected item.
void clear_model_list(PackageState& pkg, const Catalogue& catalogue);
void clear_emu_list(PackageState& pkg);

// Fills Emu_Name (with pkg.Emu_Slots parallel to it), Emu_Drivers, Model_Emus, Emu_Use and
// Fax_Found from the installer .sii of pkg.Driver_Folder. On a failure (a seventh driver has no
// slot) both lists are reset, MsgErrEmu + MsgErrChk is shown and the result is false.
bool Emu_Name_Get(PackageState& pkg, const Context& ctx, const ListResets& resets = {});

// The package's model file and the character that ends a model name in it.
struct ModelFile {
    std::string path;
    char separator;
};
// The first "*ins*sii" in the language folder (separator blank), else the first "*is*sii" in
// the installer folder (separator comma).
std::optional<ModelFile> find_model_file(const PackageState& pkg, const Context& ctx);

// Adds "KORVA " + name for every model of the model file to Model_Name (read through the main
// window's buffer) and takes Drv_Suffix from the first value with a separator while it is empty
// and no emulation is in use; a comma there becomes a blank, so the suffix cannot add a field to
// a printer entry. False when there is no model file or no model.
bool fill_model_list(PackageState& pkg, const Context& ctx);

// True when every printer entry line names a model of the package. Otherwise both lists are
// reset, MsgErrInPath6 + MsgErrChk is shown and the result is false.
bool Model_Name_Check(PackageState& pkg, const Context& ctx,
                      const std::vector<std::string>& printer_lines, const ListResets& resets = {});

// The folders of [Subfolder] in Tool.sii ("0", "1", ... up to the first empty value) that the QX
// port type needs, relative to the installer folder.
std::vector<std::string> subfolder_list(const Catalogue& catalogue);

}  // namespace korva
