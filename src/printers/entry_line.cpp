// SPDX-License-Identifier: MIT
// Field access follows the comma positions of the line exactly, as every reader of the list has
// always done; a value containing a comma is refused when the entry is added.
#include "printers/entry_line.h"

namespace korva {

std::string Get_DriverString(const std::string& Str_Drv, int Int_Num) {
    std::size_t start = 0;
    for (int i = 0; i < Int_Num; ++i) {
        std::size_t comma = Str_Drv.find(',', start);
        if (comma == std::string::npos)
            return "";
        start = comma + 1;
    }
    std::size_t end = Str_Drv.find(',', start);
    return Str_Drv.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string entry_printer_name(const std::string& line) {
    // Positions instead of a shortened copy: Add runs this over every line of a long list.
    std::size_t end = line.size();
    for (int i = 0; i < 6; ++i) {
        std::size_t comma = end == 0 ? std::string::npos : line.rfind(',', end - 1);
        if (comma == std::string::npos)
            return "";
        end = comma;
    }
    std::size_t comma = end == 0 ? std::string::npos : line.rfind(',', end - 1);
    return comma == std::string::npos ? "" : line.substr(comma + 1, end - comma - 1);
}

std::string entry_default_field(const std::string& line) {
    std::string body = line;
    if (!body.empty() && body.back() == ')')
        body.pop_back();
    std::size_t comma = body.rfind(',');
    return comma == std::string::npos ? "" : body.substr(comma + 1);
}

bool entry_is_default(const std::string& line) {
    return entry_default_field(line) == "Yes";
}

std::string entry_model_part(const std::string& line) {
    std::size_t dot = line.find('.');
    if (dot == std::string::npos)
        return "";
    std::size_t start = dot + 2;
    std::size_t paren = line.find('(');
    if (start > line.size() || paren == std::string::npos || paren < start)
        return "";
    return line.substr(start, paren - start);
}

std::string entry_address(const std::string& line) {
    std::size_t paren = line.find('(');
    if (paren == std::string::npos)
        return "";
    std::size_t comma = line.find(',', paren + 1);
    return line.substr(paren + 1,
                       comma == std::string::npos ? std::string::npos : comma - paren - 1);
}

std::string entry_number_text(int position) {
    return (position < 0 ? "" : " ") + std::to_string(position);
}

std::string renumber_entry(const std::string& line, int position) {
    std::size_t dot = line.find('.');
    std::string rest = dot == std::string::npos ? line : line.substr(dot);
    return entry_number_text(position) + rest;
}

}  // namespace korva
