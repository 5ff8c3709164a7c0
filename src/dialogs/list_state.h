// SPDX-License-Identifier: MIT
// The contents of a list or drop-down list, kept in the core so the rules that fill and select
// entries are tested without a display.
#pragma once

#include <string>
#include <vector>

namespace korva {

struct ListState {
    std::vector<std::string> items;
    int index = -1;  // selected entry, -1 for none

    void clear() {
        items.clear();
        index = -1;
    }
    void add(std::string item) { items.push_back(std::move(item)); }
    int count() const { return static_cast<int>(items.size()); }
    bool has_selection() const { return index >= 0 && index < count(); }
    // The text a drop-down list shows: its selected entry, or empty.
    std::string text() const { return has_selection() ? items[index] : std::string(); }
};

}  // namespace korva
