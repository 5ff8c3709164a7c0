// SPDX-License-Identifier: MIT
// The dialog shown while Create builds a package: "creating" without a button, then "finished"
// with the button that ends the program.
#pragma once

#include <windows.h>

#include <cstdint>

#include "catalogue/catalogue.h"
#include "dialogs/wait_view.h"

namespace korva::win32 {

class WaitDialog : public WaitView {
  public:
    // Texts come from the main window's language section through the dialogs' 500-character
    // buffer; the dialog stays in front of its owner, the main window.
    WaitDialog(const Catalogue& catalogue, HWND owner);
    ~WaitDialog() override;
    WaitDialog(const WaitDialog&) = delete;
    WaitDialog& operator=(const WaitDialog&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool fReturn = false;

    void show_creating() override;
    void refresh() override;
    void progress(std::uint64_t done, std::uint64_t total) override;
    void show_finished() override;
    void hide() override;

  private:
    static INT_PTR CALLBACK dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void Form_Paint();
    void Com_End_Click();

    Catalogue catalogue_;
    HWND hwnd_ = nullptr;
    DWORD progress_shown_ = 0;
    bool progress_valid_ = false;
};

}  // namespace korva::win32
