// SPDX-License-Identifier: MIT
// Switching between the tool windows: the current one shrinks, pauses, and the other appears at
// the same place, so the user sees one window change its face rather than two windows.
#pragma once

#include <QWidget>
#include <initializer_list>

class QVBoxLayout;

namespace korva {

// 15 at 96 dpi.
int twips_per_pixel(const QWidget* widget);

void hand_over(QWidget* from, QWidget* to);

// Puts the window's frame, not its client area, at the position, also for a window not yet
// framed by the window manager.
void place_frame(QWidget* window, QPoint frame_pos);

// The style's spacing and margins, nested group in group, leave the tool windows taller than
// their 8100 twips; these keep every control while they fit.
inline constexpr int kCompactSpacing = 4;
inline constexpr int kCompactMargin = 6;
void compact_layouts(QWidget* window);

// The tool selector both tool windows carry at their top, with its label and the line below.
void add_tool_selector(QVBoxLayout* root, const char* label_name, const char* selector_name,
                       const char* line_name);
// The row of commands at the bottom of the tool windows (Open job, Save job, Create and Exit),
// right-aligned in the order given.
void add_command_row(QVBoxLayout* root, std::initializer_list<const char*> button_names);

class SettingsStore;

// Reads the stored placement (defaults from the primary screen), keeps it on some screen, and
// applies it to the window.
void restore_placement(QWidget* window, SettingsStore& settings);

// What the frame adds to the window's size; until the window manager has framed the window it is
// unknown, and the style's title bar and window border stand in for it.
QSize frame_allowance(const QWidget* window);

// Keeps the window within its screen's available geometry, frame included, from its next show
// on: a window needing more than that room scrolls its controls, so every one stays reachable.
void fit_to_screen(QWidget* window);

// Moves and sizes a window from a placement in twips and applies the stored window state.
void apply_placement(QWidget* window, int left, int top, int width, int height, int window_state);

// The window state as stored: 0 normal, 1 minimised, 2 maximised.
int stored_window_state(const QWidget* window);

}  // namespace korva
