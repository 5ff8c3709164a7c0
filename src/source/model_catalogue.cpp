// SPDX-License-Identifier: MIT
// Emulations come from the installer's driver table, models from the package's model file. The
// counts in those files are not trusted: model loops are bounded, and the six driver slots are
// the hard limit the printer entries rely on.
#include "source/model_catalogue.h"

#include <algorithm>
#include <exception>

#include "dialogs/messages.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "source/package_reader.h"

namespace korva {

namespace {

// No printer family has this many models; a larger nModelNum is a damaged file.
constexpr long long kMaxModels = 1000;
constexpr int kMaxSubfolders = 1000;
constexpr int kDriverSlots = 6;

std::string read_package(const Context& ctx, const std::string& file, const std::string& section,
                         const std::string& key, std::size_t buffer = kPackageBuffer) {
    if (file.empty())
        return "";
    return profile::get_string(file, section, key, "", buffer, ctx.codepage);
}

long long model_count(const Context& ctx, const std::string& file, std::size_t buffer) {
    long long n = count_value(read_package(ctx, file, "ModelName", "nModelNum", buffer));
    return std::clamp(n, 0LL, kMaxModels);
}

std::string model_value(const Context& ctx, const std::string& file, long long n,
                        std::size_t buffer) {
    return read_package(ctx, file, "ModelName", "model" + std::to_string(n), buffer);
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool is_blank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// The installer .sii named by setup.ini; a name with a blank must be found by a file search.
std::string installer_sii(const PackageState& pkg, const Context& ctx) {
    const std::string setup_ini = find_file(ctx.fs, pkg.Driver_Folder, "setup.ini");
    std::string name = read_package(ctx, setup_ini, "FileName", "SiiName");
    if (name.empty())
        name = read_package(ctx, setup_ini, "Startup", "SiiName");
    if (name.empty())
        return "";
    if (name.find(' ') == std::string::npos)
        return file_path(ctx.fs, pkg.Driver_Folder, name);
    return find_file(ctx.fs, pkg.Driver_Folder, before_first_blank(name));
}

// The emulation of each model of a VEXL2 driver: from its own model file, or, without one,
// colour or mono from the model names in the installer .sii.
void read_model_emus(PackageState& pkg, const Context& ctx, const std::string& sii,
                     const std::string& number, const std::string& suffix) {
    const std::string m =
        before_first_blank(read_package(ctx, sii, "InitialSettings", "INS_SII_" + number));
    const std::string file =
        m.empty() ? sii : file_path(ctx.fs, pkg.Driver_Folder + pkg.Lang_Folder + kPathSep, m);
    const long long count = model_count(ctx, file, kPackageBuffer);
    pkg.Model_Emus.assign(static_cast<std::size_t>(count), "");
    for (long long n = 1; n <= count; ++n) {
        const std::string v = model_value(ctx, file, n, kPackageBuffer);
        std::string& emu = pkg.Model_Emus[n - 1];
        if (!m.empty()) {
            std::size_t blank = v.find(' ');
            emu = blank == std::string::npos ? v : v.substr(blank + 1);
        } else {
            emu = std::string(contains(v, "Color") ? "VEXL2-c" : "VEXL2") + suffix;
        }
    }
}

void add_emulation(PackageState& pkg, std::string e, int slot) {
    if (!is_blank(e) && pkg.Emu_Use == 0)
        pkg.Emu_Use = 1;
    pkg.Emu_Name.add(std::move(e));
    pkg.Emu_Slots.push_back(slot);
}

// Driver i (1-based) into slot i - 1; PPD drivers are not offered, a FAX driver turns the
// package into a PC-Fax package.
void read_driver(PackageState& pkg, const Context& ctx, const std::string& sii, int i) {
    const std::string number = std::to_string(i);
    const std::string suffix =
        read_package(ctx, sii, "InitialSettings", "Driver_" + number + "_Suffix");
    std::string e =
        before_first_blank(read_package(ctx, sii, "InitialSettings", "DRIVER_" + number)) + suffix;
    pkg.Emu_Drivers[i - 1] = e;
    // PPD and FAX are looked for in the whole name: "PS_PPD" is a PPD driver although the list
    // would show it as "PS".
    const bool ppd = contains(e, "PPD");
    const bool fax = contains(e, "FAX");
    std::size_t underscore = e.rfind('_');
    if (underscore != std::string::npos)
        e.resize(underscore);
    if (ppd)
        return;
    if (fax) {
        pkg.Emu_Use = 1;
        pkg.Fax_Found = 1;
        return;
    }
    if (contains(e, "VEXL2")) {
        e = kVexl2Item;
        pkg.Emu_Drivers[i - 1] = kVexl2Item;
        read_model_emus(pkg, ctx, sii, number, suffix);
    }
    add_emulation(pkg, std::move(e), i - 1);
}

// False when the package has more drivers than there are slots.
bool read_drivers(PackageState& pkg, const Context& ctx) {
    const std::string sii = installer_sii(pkg, ctx);
    if (sii.empty())
        return true;
    const long long count = count_value(read_package(ctx, sii, "InitialSettings", "Driver"));
    for (long long i = 1; i <= count; ++i) {
        if (i > kDriverSlots)
            return false;
        read_driver(pkg, ctx, sii, static_cast<int>(i));
    }
    return true;
}

void set_only_item(PackageState& pkg, const char* placeholder) {
    pkg.Emu_Name.clear();
    pkg.Emu_Name.add(placeholder);
    pkg.Emu_Name.index = 0;
    pkg.Emu_Slots = {-1};
}

void reset_lists(PackageState& pkg, const Context& ctx, const ListResets& resets) {
    if (resets.Model_Name_Clear) {
        resets.Model_Name_Clear();
    } else {
        clear_model_list(pkg, ctx.catalogue);
    }
    if (resets.Emu_Name_Clear) {
        resets.Emu_Name_Clear();
    } else {
        clear_emu_list(pkg);
    }
}

// The rest of a model value from its separator on. A comma there would become a field
// separator of the printer entry, so it is given as a blank.
std::string suffix_at(const std::string& value, std::size_t pos, char separator) {
    if (separator == ',')
        return " " + value.substr(pos + 1);
    return value.substr(pos);
}

// The model part of an entry line: after the first ". " up to the first "(".
std::string entry_model(const std::string& line) {
    std::size_t dot = line.find(". ");
    if (dot == std::string::npos)
        return "";
    std::size_t start = dot + 2;
    std::size_t paren = line.find('(', start);
    return line.substr(start, paren == std::string::npos ? paren : paren - start);
}

std::string without_last_word(const std::string& text) {
    std::size_t blank = text.rfind(' ');
    return blank == std::string::npos ? "" : text.substr(0, blank);
}

bool entry_matches(const PackageState& pkg, const Context& ctx, const ModelFile& file,
                   const std::string& line) {
    std::string part = entry_model(line);
    if ((!pkg.Drv_Suffix.empty() && pkg.Emu_Use == 0) || pkg.Emu_Use == 1) {
        part = without_last_word(part);
    }
    const long long count = model_count(ctx, file.path, kPackageBuffer);
    for (long long n = 1; n <= count; ++n) {
        const std::string v = model_value(ctx, file.path, n, kPackageBuffer);
        if (kModelPrefix + v.substr(0, v.find(file.separator)) == part)
            return true;
    }
    return false;
}

std::size_t count_matches(const PackageState& pkg, const Context& ctx,
                          const std::vector<std::string>& lines) {
    std::optional<ModelFile> file = find_model_file(pkg, ctx);
    if (!file)
        return 0;
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(),
        [&](const std::string& line) { return entry_matches(pkg, ctx, *file, line); }));
}

}  // namespace

void clear_model_list(PackageState& pkg, const Catalogue& catalogue) {
    pkg.Model_Name.clear();
    pkg.Model_Name.add(catalogue.text("MsgSilent"));
    pkg.Model_Name.index = 0;
}

void clear_emu_list(PackageState& pkg) {
    set_only_item(pkg, kNoEmu);
}

bool Emu_Name_Get(PackageState& pkg, const Context& ctx, const ListResets& resets) {
    pkg.Emu_Name.clear();
    pkg.Emu_Slots.clear();
    bool ok = false;
    try {
        ok = read_drivers(pkg, ctx);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        reset_lists(pkg, ctx, resets);
        show_message(ctx.catalogue, ctx.prompter, "MsgErrEmu", "MsgErrChk");
        return false;
    }
    // The placeholders name no driver and do not count as an emulation in use.
    if (pkg.Emu_Name.count() == 0)
        set_only_item(pkg, kNoEmu);
    if (pkg.Fax_Found == 1)
        set_only_item(pkg, kPcFax);
    pkg.Emu_Name.index = 0;
    return true;
}

std::optional<ModelFile> find_model_file(const PackageState& pkg, const Context& ctx) {
    const std::string lang_folder = pkg.Driver_Folder + pkg.Lang_Folder + kPathSep;
    std::string path = find_file(ctx.fs, lang_folder, "*ins*sii");
    if (!path.empty())
        return ModelFile{path, ' '};
    path = find_file(ctx.fs, pkg.Driver_Folder, "*is*sii");
    if (!path.empty())
        return ModelFile{path, ','};
    return std::nullopt;
}

bool fill_model_list(PackageState& pkg, const Context& ctx) {
    std::optional<ModelFile> file = find_model_file(pkg, ctx);
    if (!file)
        return false;
    const long long count = model_count(ctx, file->path, kMainBuffer);
    for (long long n = 1; n <= count; ++n) {
        const std::string v = model_value(ctx, file->path, n, kMainBuffer);
        const std::size_t pos = v.find(file->separator);
        if (pos != std::string::npos && pkg.Drv_Suffix.empty() && pkg.Emu_Use == 0) {
            pkg.Drv_Suffix = suffix_at(v, pos, file->separator);
        }
        pkg.Model_Name.add(kModelPrefix + v.substr(0, pos));
    }
    if (pkg.Model_Name.count() == 0)
        return false;
    pkg.Model_Name.index = 0;
    return true;
}

bool Model_Name_Check(PackageState& pkg, const Context& ctx,
                      const std::vector<std::string>& printer_lines, const ListResets& resets) {
    bool ok = false;
    try {
        ok = count_matches(pkg, ctx, printer_lines) == printer_lines.size();
    } catch (const std::exception&) {
        ok = false;
    }
    if (ok)
        return true;
    reset_lists(pkg, ctx, resets);
    show_message(ctx.catalogue, ctx.prompter, "MsgErrInPath6", "MsgErrChk");
    return false;
}

std::vector<std::string> subfolder_list(const Catalogue& catalogue) {
    std::vector<std::string> folders;
    for (int k = 0; k < kMaxSubfolders; ++k) {
        std::string value = catalogue.read("Subfolder", std::to_string(k));
        if (value.empty())
            break;
        folders.push_back(std::move(value));
    }
    return folders;
}

}  // namespace korva
