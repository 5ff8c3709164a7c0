// SPDX-License-Identifier: MIT
// One run of the program: the catalogue, the prompter, the waiting dialog and the tool windows,
// started as the main window's start-up says (placement, language, tool mode).
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "catalogue/catalogue.h"
#include "job/job_prompter.h"
#include "job/job_window.h"
#include "platform/settings.h"
#include "qt/main_window.h"

class QTranslator;

namespace korva {

class QtPrompter;
class Wait_Dialog;
class AdminForm;
class AdminWindow;
namespace eraser {
class RemForm;
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
    MainForm& main_form() { return *main_form_; }
    // Created on first use, as the removal and administrator windows load when first touched.
    QWidget* removal_window();
    QWidget* admin_window();
    const std::string& LangSelect() const { return lang_.LangSelect; }

  private:
    void load_qt_translation();
    eraser::RemWindow& ensure_removal_window();
    void bring_to_front(QWidget* from, QWidget* to);
    void open_removal_tool(int list_index);
    void open_main_tool(int list_index);
    void open_admin_window();

    std::string program_folder_;
    SettingsStore& settings_;
    LanguageChoice lang_;
    std::unique_ptr<QTranslator> qt_translation_;
    std::unique_ptr<Catalogue> catalogue_;
    std::unique_ptr<QtPrompter> prompter_;
    // Between the windows and the prompter: a job opened in a window answers its questions.
    std::unique_ptr<job::JobPrompter> job_prompter_;
    std::unique_ptr<job::JobSession> jobs_;
    std::unique_ptr<Wait_Dialog> wait_;
    std::unique_ptr<MainForm> main_form_;
    std::unique_ptr<MainWindow> main_window_;
    std::unique_ptr<eraser::RemForm> removal_form_;
    std::unique_ptr<eraser::RemWindow> removal_window_;
    std::unique_ptr<AdminForm> admin_form_;
    std::unique_ptr<AdminWindow> admin_window_;
};

}  // namespace korva
