// SPDX-License-Identifier: MIT
// The window placement shared by all three windows, stored per user in twips.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/settings.h"

namespace korva {

inline constexpr int kWindowWidthTwips = 14700;
inline constexpr int kWindowHeightTwips = 8100;
inline constexpr int kHandOverHeightTwips = 2000;
inline constexpr const char* kSettingsApp = "Tool";
inline constexpr const char* kSettingsSection = "Main";

struct Placement {
    int left = 0;
    int top = 0;
    int width = kWindowWidthTwips;
    int height = kWindowHeightTwips;
    int window_state = 0;  // 0 normal, 1 minimised, 2 maximised
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A stored number: the leading decimal number, rounded to a whole one; 0 for text that is not
// a number.
int stored_number(const std::optional<std::string>& text);

Placement read_placement(SettingsStore& store, int screen_width_twips, int screen_height_twips);

// WindowState always; Left and Top only for a normal window, so a maximised close keeps them.
void save_placement(SettingsStore& store, int window_state, int left, int top);

// A placement that lies wholly off every screen (a monitor since removed) moves to the default
// position on the primary screen; anything partly visible stays where the user put it.
Placement keep_on_screen(Placement placement, const std::vector<ScreenRect>& screens,
                         int primary_width_twips, int primary_height_twips);

}  // namespace korva
