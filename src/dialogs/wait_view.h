// SPDX-License-Identifier: MIT
// The waiting dialog as the Create commands see it, so their order of steps is tested without a
// display.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

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

// A waiting dialog made when Create first shows it: most runs never create anything, and the
// window appears sooner without it. The front end makes it, so it can give it its owner.
template <class Dialog>
class LazyWaitView final : public WaitView {
  public:
    explicit LazyWaitView(std::function<std::unique_ptr<Dialog>()> make) : make_(std::move(make)) {}

    // The dialog, if it was made.
    Dialog* dialog() const { return dialog_.get(); }
    void reset() { dialog_.reset(); }

    void show_creating() override { get().show_creating(); }
    void refresh() override { get().refresh(); }
    void progress(std::uint64_t done, std::uint64_t total) override { get().progress(done, total); }
    void show_finished() override { get().show_finished(); }
    void hide() override {
        if (dialog_)
            dialog_->hide();
    }

  private:
    Dialog& get() {
        if (!dialog_)
            dialog_ = make_();
        return *dialog_;
    }

    std::function<std::unique_ptr<Dialog>()> make_;
    std::unique_ptr<Dialog> dialog_;
};

// The window that owns a Create command: hidden while it runs, shown again when it stops.
class OwnerView {
  public:
    virtual ~OwnerView() = default;
    virtual void set_visible(bool visible) = 0;
};

}  // namespace korva
