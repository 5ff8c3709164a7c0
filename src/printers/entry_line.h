// SPDX-License-Identifier: MIT
// A printer entry is one line of Printer_List, and that text is the only store of the entry:
// " 1. KORVA A100 PCL6(10.0.0.5,Floor2,Standard,RAW,9100,,AutoConfig,Yes)". These read it back.
#pragma once

#include <string>

namespace korva {

// Piece Int_Num (0-based) of the whole line split at every ",": piece 0 runs up to and including
// the address, piece 7 is the default field followed by ")". Empty beyond the last piece.
std::string Get_DriverString(const std::string& Str_Drv, int Int_Num);

// The printer-name field: the last six fields cut off at the last six commas, then the text after
// the last remaining comma.
std::string entry_printer_name(const std::string& line);

// The last field without the closing ")": "Yes" marks the default printer.
std::string entry_default_field(const std::string& line);
bool entry_is_default(const std::string& line);

// The model part: from two characters after the first "." up to the first "(".
std::string entry_model_part(const std::string& line);

// The address: between the first "(" and the next ",".
std::string entry_address(const std::string& line);

// The display form of a list position: a blank for the sign, then the decimal number.
std::string entry_number_text(int position);

// The line with its number (the text before the first ".") replaced by position.
std::string renumber_entry(const std::string& line, int position);

}  // namespace korva
