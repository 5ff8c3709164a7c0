// SPDX-License-Identifier: MIT
// Building a printer line. The list text is the only store of an entry and is read back by comma
// position, so the builder and the character check share one view of what gets stored.
#include "printers/printer_entry.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "dialogs/account_check.h"
#include "printers/entry_line.h"

namespace korva {

std::array<std::string, 8> entry_fields(const PrinterEntry& entry) {
    const bool qx = entry.port_type == PortType::Qx;
    const bool lpr = entry.protocol == Protocol::Lpr;
    return {entry.ip_address,
            entry.printer_name,
            qx ? kPortQx : kPortStandard,
            qx ? "" : (lpr ? kProtocolLpr : kProtocolRaw),
            qx ? "" : entry.port_number,
            qx || !lpr ? "" : entry.queue_name,
            entry.auto_config ? kAutoConfig : "",
            entry.default_printer ? kDefaultYes : ""};
}

std::string entry_line(const PrinterEntry& entry, int position) {
    std::string line = entry_number_text(position) + ". " + entry.model_part + "(";
    const auto fields = entry_fields(entry);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += fields[i];
    }
    return line + ")";
}

namespace {

// The fields the administrator typed, as the line stores them: address, name, port number and
// queue (indices 0, 1, 4, 5 of entry_fields).
std::array<std::string, 4> typed_fields(const PrinterEntry& entry) {
    const auto fields = entry_fields(entry);
    return {fields[0], fields[1], fields[4], fields[5]};
}

}  // namespace

bool entry_has_forbidden_chars(const PrinterEntry& entry) {
    // The model part comes from the package's own files, which may hold a comma as well.
    if (entry.model_part.find(',') != std::string::npos)
        return true;
    for (const std::string& field : typed_fields(entry)) {
        if (field.find(',') != std::string::npos)
            return true;
    }
    // cmd expands %NAME% even inside the quotes of the default-printer command.
    return entry.printer_name.find_first_of("\"%") != std::string::npos;
}

bool entry_has_control_chars(const PrinterEntry& entry) {
    const auto fields = typed_fields(entry);
    return std::any_of(fields.begin(), fields.end(),
                       [](const std::string& field) { return holds_control_char(field); });
}

bool emulation_is_blank(const std::string& emulation_text) {
    return emulation_text.find_first_not_of(' ') == std::string::npos;
}

int emulation_slot(const PackageState& pkg, int emu_index) {
    if (emu_index < 0 || emu_index >= pkg.Emu_Name.count())
        return -1;
    int slot =
        emu_index < static_cast<int>(pkg.Emu_Slots.size()) ? pkg.Emu_Slots[emu_index] : emu_index;
    if (slot < 0 && pkg.Emu_Name.items[emu_index] == kPcFax) {
        // "PC-Fax" stands for the package's FAX driver; its entries carry that driver's name so
        // that the model check at Create, which drops the last word, finds the model again.
        for (std::size_t i = 0; i < pkg.Emu_Drivers.size(); ++i) {
            if (pkg.Emu_Drivers[i].find("FAX") != std::string::npos) {
                slot = static_cast<int>(i);
                break;
            }
        }
    }
    return slot >= 0 && slot < static_cast<int>(pkg.Emu_Drivers.size()) ? slot : -1;
}

static std::string item_at(const ListState& list, int index) {
    return index >= 0 && index < list.count() ? list.items[index] : std::string();
}

std::string entry_model_text(const PackageState& pkg, int model_index, int emu_index) {
    const std::string model = item_at(pkg.Model_Name, model_index);
    const std::string emulation = item_at(pkg.Emu_Name, emu_index);
    if (emulation_is_blank(emulation))
        return model + emulation + pkg.Drv_Suffix;
    if (emulation == kVexl2Item) {
        const bool known =
            model_index >= 0 && model_index < static_cast<int>(pkg.Model_Emus.size());
        return model + " " + (known ? pkg.Model_Emus[model_index] : std::string());
    }
    const int slot = emulation_slot(pkg, emu_index);
    if (slot < 0)
        return model + pkg.Drv_Suffix;
    return model + " " + pkg.Emu_Drivers[slot];
}

std::string entry_model_text(const PackageState& pkg) {
    return entry_model_text(pkg, pkg.Model_Name.index, pkg.Emu_Name.index);
}

static bool is_ascii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

std::size_t entry_list_width_bytes(const std::vector<std::string>& lines, const CodePage& cp) {
    std::size_t widest = 0;
    for (const std::string& line : lines) {
        // Every ANSI code page keeps ASCII at one byte, and a long list is mostly ASCII: only the
        // other lines need a conversion.
        const std::size_t bytes = is_ascii(line) ? line.size() : cp.ansi_length(line);
        widest = std::max(widest, bytes);
    }
    return widest;
}

int entry_list_extent_px(const std::vector<std::string>& lines, const CodePage& cp,
                         int twips_per_pixel) {
    const std::uint64_t width = entry_list_width_bytes(lines, cp);
    const std::uint64_t twips = width * 90 + 180;
    const std::uint64_t pixels = twips / static_cast<std::uint64_t>(std::max(twips_per_pixel, 1));
    return static_cast<int>(std::min<std::uint64_t>(pixels, INT_MAX));
}

}  // namespace korva
