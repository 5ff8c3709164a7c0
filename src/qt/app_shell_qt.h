// SPDX-License-Identifier: MIT
// One run of the program: the catalogue, the prompter, the waiting dialog and the tool windows,
// started as the main window's start-up says (placement, language, tool mode).
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/session.h"
#include "dialogs/wait_view.h"
#include "platform/settings.h"
#include "qt/main_window.h"

class QTranslator;

namespace korva {

class QtPrompter;
class Wait_Dialog;
class AdminWindow;
namespace eraser {
class RemWindow;
}  // namespace eraser

class AppShell {
  public:
    // program_folder: the executable's folder, where Tool.sii and Tool.bin lie.
    AppShell(std::string program_folder, SettingsStore& settings);
    ~AppShell();

    // Start-up: placement, language and captions, tool mode and the window it puts in front.
    void start();

    MainWindow& main_window() { return *main_window_; }
    MainForm& main_form() { return session_->main_form(); }
    // Created on first use, as the removal and administrator windows load when first touched.
    QWidget* removal_window();
    QWidget* admin_window();

  private:
    void load_qt_translation();
    eraser::RemWindow& ensure_removal_window();
    void bring_to_front(QWidget* from, QWidget* to);
    void open_removal_tool(int list_index);
    void open_main_tool(int list_index);
    void open_admin_window();

    std::string program_folder_;
    SettingsStore& settings_;
    std::unique_ptr<QTranslator> qt_translation_;
    std::unique_ptr<QtPrompter> prompter_;
    LazyWaitView<Wait_Dialog> wait_;
    // The models the windows show; it ends before the prompter it asks through.
    std::unique_ptr<Session> session_;
    std::unique_ptr<MainWindow> main_window_;
    std::unique_ptr<eraser::RemWindow> removal_window_;
    std::unique_ptr<AdminWindow> admin_window_;
};

}  // namespace korva
