// SPDX-License-Identifier: MIT
// What the three tool windows share: a modeless dialog from a template, its binder, the stored
// placement, the layout that lets path boxes and lists grow with the window (and give up width
// on a screen too small for the design, scrolling below that), the monitor's DPI, and the
// hand-over between windows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "app/window_events.h"
#include "dialogs/wait_view.h"
#include "platform/settings.h"
#include "win32/form_binder_win.h"

namespace korva::win32 {

class WinPrompter;

// How a control follows a change of the window size: each edge moves by that percentage of the
// change, so 0/100 grows with the window and 100/100 keeps the distance to the far edge.
struct Anchor {
    int id;
    int left, right, top, bottom;
};

// Pixels per twip of the monitor the window is on: 15 twips per pixel at 96 DPI.
int twips_per_pixel(HWND hwnd);

class ToolWindow : public WindowActions {
  public:
    struct Design {
        int dialog_id;
        const char* window_name;
        std::span<const ControlId> ids;
        std::span<const Anchor> anchors;
        // How the edges follow a window smaller than the design; the growth anchors if empty.
        std::span<const Anchor> shrink_anchors = {};
    };
    ToolWindow(Design design, ControlTable controls, SettingsStore& settings,
               WinPrompter& prompter);
    virtual ~ToolWindow();
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    FormBinder& binder() { return *binder_; }

    // The stored placement, applied while the window is still hidden; show() opens it in the
    // stored state (normal, minimised or maximised).
    void restore_placement();
    void show();
    void set_visible(bool visible) override;
    // Stores the placement and ends the program, as closing any tool window does.
    void close();
    void close_window() override { close(); }
    void set_height_twips(int height);
    // A size in pixels, made to fit the work area of the window's monitor.
    void resize(int width, int height);
    // Scrolls a scrolled window so that the control (the one the keyboard moved to) is in view.
    void reveal(HWND control);
    // The short window of a hand-over clips its controls instead of scrolling them.
    void fold(bool folded);

    // Runs a core handler between reading the controls and showing the result; dialogs the
    // handler opens belong to this window.
    void run(const std::function<void()>& handler);

  protected:
    // Every event the window's declaration lists, each to its handler on form.
    template <typename Form>
    void wire_events(Form& form) {
        for (const EventRow<Form>& row : window_events<Form>()) {
            events_.push_back({binder().id_of(row.control), row.event,
                               [this, &form, handle = row.handle] { handle(form, *this); }});
        }
    }
    // A command of one of the window's controls; the user's, never one sent while pushing. The
    // wired handler runs; a list's selection and a click both arrive as its Click.
    virtual void on_command(int id, int code, HWND control);
    // After every push: what the binder cannot carry (list extent, focus requests).
    virtual void after_push() {}
    virtual INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam);
    // The caret goes to the start of a folder box that gets the focus, after the dialog
    // manager has selected the whole text.
    static void caret_to_start(HWND edit);

    // After the controls were laid out anew for another DPI.
    virtual void dpi_changed() {}

    WinPrompter& prompter_;

  private:
    struct WiredEvent {
        int id;
        WindowEvent event;
        std::function<void()> handler;
    };
    struct Laid {
        HWND hwnd;
        RECT rect;
        Anchor grow;
        Anchor shrink;
        RECT at;  // where the control is now, in client coordinates
    };

    static INT_PTR CALLBACK dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void record_layout();
    static RECT placed(const Laid& laid, int dx, int dy);
    void find_min_shift();
    void apply_layout();
    SIZE fit_scroll_bars();
    void scroll(int bar, int code);
    void on_dpi_changed(UINT dpi, const RECT& suggested);
    // A window size in pixels, no larger than the work area of the window's monitor.
    SIZE fitted(int width, int height) const;

    Design design_;
    ControlTable controls_;
    SettingsStore& settings_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<FormBinder> binder_;
    std::vector<WiredEvent> events_;
    std::vector<Laid> layout_;
    SIZE design_size_{};
    // How far the client may fall short of the design before the window scrolls (negative).
    SIZE min_shift_{};
    bool min_shift_known_ = false;
    POINT scroll_{};
    bool laying_out_ = false;
    bool folded_ = false;
    UINT dpi_ = 96;
    HFONT own_font_ = nullptr;
    int first_show_ = SW_SHOWNORMAL;
    bool shown_ = false;
};

// The current window shrinks, pauses, and the other appears where it stood, so the user sees
// one window change its face rather than two windows.
void hand_over(ToolWindow& from, ToolWindow& to);

// Lets the windows repaint while Create works, without taking the user's clicks.
void pump_paint_messages();

}  // namespace korva::win32
