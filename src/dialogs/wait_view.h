// SPDX-License-Identifier: MIT
// The waiting dialog as the Create commands see it, so their order of steps is tested without a
// display.
#pragma once

#include <cstdint>

namespace korva {

class WaitView {
  public:
    virtual ~WaitView() = default;
    // fReturn = false, shown modeless over the main window: "creating", no button.
    virtual void show_creating() = 0;
    // Repaint between steps so the dialog does not look hung.
    virtual void refresh() = 0;
    // Bytes copied so far during a long copy; total 0 when unknown.
    virtual void progress(std::uint64_t done, std::uint64_t total) = 0;
    // fReturn = true: "finished" with the button that ends the program.
    virtual void show_finished() = 0;
    virtual void hide() = 0;
};

// The window that owns a Create command: hidden while it runs, shown again when it stops.
class OwnerView {
  public:
    virtual ~OwnerView() = default;
    virtual void set_visible(bool visible) = 0;
};

}  // namespace korva
