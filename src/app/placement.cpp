// SPDX-License-Identifier: MIT
// Placement defaults are computed as the window code always did: integer division toward zero,
// so a screen narrower than the window gives a negative left edge.
#include "app/placement.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace korva {

int stored_number(const std::optional<std::string>& text) {
    if (!text)
        return 0;
    const char* p = text->data();
    const char* const end = p + text->size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    // from_chars reads no hex, infinity or NaN once a digit or point leads, so "0x10" stays 0
    // as the stored-number conversion always read it.
    if (p == end || !(std::isdigit(static_cast<unsigned char>(*p)) || *p == '.'))
        return 0;
    double value = 0;
    const auto [rest, error] = std::from_chars(p, end, value, std::chars_format::general);
    if (error != std::errc() || value > 2.0e9)
        return 0;
    return static_cast<int>(std::lround(negative ? -value : value));
}

static int read_or(SettingsStore& store, const char* key, int fallback) {
    auto value = store.get(kSettingsApp, kSettingsSection, key);
    return value ? stored_number(value) : fallback;
}

Placement read_placement(SettingsStore& store, int screen_width_twips, int screen_height_twips) {
    Placement p;
    p.left = read_or(store, "Left", (screen_width_twips - kWindowWidthTwips) / 2);
    p.top = read_or(store, "Top", (screen_height_twips - kWindowHeightTwips) / 2);
    p.width = read_or(store, "Width", kWindowWidthTwips);
    p.height = read_or(store, "Height", kWindowHeightTwips);
    p.window_state = read_or(store, "WindowState", 0);
    return p;
}

void save_placement(SettingsStore& store, int window_state, int left, int top) {
    store.set(kSettingsApp, kSettingsSection, "WindowState", std::to_string(window_state));
    if (window_state == 0) {
        store.set(kSettingsApp, kSettingsSection, "Left", std::to_string(left));
        store.set(kSettingsApp, kSettingsSection, "Top", std::to_string(top));
    }
}

static bool overlaps(const Placement& p, const ScreenRect& s) {
    return p.left < s.left + s.width && s.left < p.left + p.width && p.top < s.top + s.height &&
           s.top < p.top + p.height;
}

Placement keep_on_screen(Placement placement, const std::vector<ScreenRect>& screens,
                         int primary_width_twips, int primary_height_twips) {
    for (const ScreenRect& screen : screens) {
        if (overlaps(placement, screen))
            return placement;
    }
    placement.left = (primary_width_twips - kWindowWidthTwips) / 2;
    placement.top = (primary_height_twips - kWindowHeightTwips) / 2;
    return placement;
}

}  // namespace korva
