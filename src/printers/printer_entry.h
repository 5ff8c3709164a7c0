// SPDX-License-Identifier: MIT
// One printer of a silent install as values, and the single place that turns it into its
// Printer_List line, so Add and Create can never write two different forms of the same printer.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "source/package_state.h"

namespace korva {

enum class PortType { Standard, Qx };
enum class Protocol { Raw, Lpr };

inline constexpr const char* kPortStandard = "Standard";
inline constexpr const char* kPortQx = "QXPORT";
inline constexpr const char* kProtocolRaw = "RAW";
inline constexpr const char* kProtocolLpr = "LPR";
inline constexpr const char* kAutoConfig = "AutoConfig";
inline constexpr const char* kDefaultYes = "Yes";
inline constexpr const char* kRawPortPreset = "9100";
inline constexpr const char* kLprPortPreset = "515";

struct PrinterEntry {
    std::string model_part;  // model text followed by its emulation part
    std::string ip_address;
    std::string printer_name;
    PortType port_type = PortType::Standard;
    Protocol protocol = Protocol::Raw;
    std::string port_number;  // not stored for the QX port
    std::string queue_name;   // stored for LPR on the standard port only
    bool auto_config = true;
    bool default_printer = true;
};

// The eight fields inside the parentheses, exactly as the line stores them: a QX entry has no
// protocol, port or queue, a RAW entry no queue.
std::array<std::string, 8> entry_fields(const PrinterEntry& entry);

// The list line at 1-based position: " 1. KORVA A100 PCL6(10.0.0.5,Floor2,Standard,RAW,9100,,
// AutoConfig,Yes)".
std::string entry_line(const PrinterEntry& entry, int position);

// True when a stored field holds a character that breaks the entry later: a "," (in a typed field
// or in the model part taken from the package) shifts the fields of the line (and of Config.ini),
// a double quote or a "%" in the name breaks the default-printer command.
bool entry_has_forbidden_chars(const PrinterEntry& entry);

// True when a stored typed field holds a control character, which would break the line of
// Config.ini or of the script that carries it.
bool entry_has_control_chars(const PrinterEntry& entry);

// An emulation text counts as blank when it holds nothing but blanks.
bool emulation_is_blank(const std::string& emulation_text);

// The driver slot behind Emu_Name item emu_index: its Emu_Slots entry when the catalogue recorded
// one, else the item position itself; for "PC-Fax" the first slot holding a FAX driver; -1 when
// no driver stands behind the item ("No Emu").
int emulation_slot(const PackageState& pkg, int emu_index);

// The model part that choosing Model_Name item model_index and Emu_Name item emu_index produces:
// the model text, then " " and the driver name (the model's own Model_Emus entry for
// "VEXL2-c/VEXL2"); for a blank emulation the emulation text and Drv_Suffix instead; for an item
// without a driver ("No Emu") Drv_Suffix alone. Indices outside their lists count as empty texts.
std::string entry_model_text(const PackageState& pkg, int model_index, int emu_index);
// The same for the current selections of both lists.
std::string entry_model_text(const PackageState& pkg);

// Largest ANSI byte length of the lines (a double-byte character counts 2).
std::size_t entry_list_width_bytes(const std::vector<std::string>& lines, const CodePage& cp);

// The list's horizontal extent in pixels, (W * 90 + 180) / twips_per_pixel, in wide arithmetic so
// that long lines still scroll to their end.
int entry_list_extent_px(const std::vector<std::string>& lines, const CodePage& cp,
                         int twips_per_pixel);

}  // namespace korva
