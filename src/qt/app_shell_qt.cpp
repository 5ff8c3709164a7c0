// SPDX-License-Identifier: MIT
// The start-up order matters to the user only in what ends up in front. The placement is applied
// once the window exists, after the texts; nothing it reads depends on them.
#include "qt/app_shell_qt.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

#include "admin/admin_form.h"
#include "app/placement.h"
#include "eraser/rem_form.h"
#include "platform/process.h"
#include "qt/admin_window.h"
#include "qt/hand_over_qt.h"
#include "qt/prompter_qt.h"
#include "qt/rem_window.h"
#include "qt/wait_dialog.h"

namespace korva {

namespace {

// The language of Qt's own texts for a catalogue section; empty where Qt's English fits.
QString qt_language(const std::string& LangSelect) {
    return LangSelect == "StringJp" ? QStringLiteral("ja") : QString();
}

}  // namespace

AppShell::AppShell(std::string program_folder, SettingsStore& settings)
    : program_folder_(std::move(program_folder)), settings_(settings), wait_([this] {
          auto dialog = std::make_unique<Wait_Dialog>(session_->dialog_catalogue());
          dialog->set_owner(main_window_.get());
          return dialog;
      }) {}

// The dialogs are children of the main window once it owns them, so they go first; otherwise the
// window would delete them a second time.
AppShell::~AppShell() {
    wait_.reset();
    prompter_.reset();
    admin_window_.reset();
    removal_window_.reset();
}

void AppShell::start() {
    session_ = std::make_unique<Session>(program_folder_);
    load_qt_translation();
    prompter_ = std::make_unique<QtPrompter>(session_->dialog_catalogue());
    session_->start(*prompter_, [] { QCoreApplication::processEvents(); });
    main_window_ = std::make_unique<MainWindow>(session_->main_form(), settings_, wait_);
    prompter_->set_owner(main_window_.get());
    restore_placement(main_window_.get(), settings_);
    main_window_->open_removal_tool = [this](int index) { open_removal_tool(index); };
    main_window_->set_jobs(session_->jobs());

    session_->open_first({[this] { main_window_->show(); }, [this] { open_removal_tool(0); },
                          [this] { open_admin_window(); }});
}

// Windows shows its own buttons and folder picker in the system's language, so in a Japanese
// window Yes, No, Cancel and the picker would otherwise be the only English left. Without the
// translation files they stay English.
void AppShell::load_qt_translation() {
    const QString language = qt_language(session_->language().LangSelect);
    if (language.isEmpty())
        return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + language,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    qt_translation_ = std::move(translator);
}

QWidget* AppShell::removal_window() {
    return removal_window_.get();
}

QWidget* AppShell::admin_window() {
    return admin_window_.get();
}

eraser::RemWindow& AppShell::ensure_removal_window() {
    if (!removal_window_) {
        removal_window_ =
            std::make_unique<eraser::RemWindow>(session_->removal_form(), settings_, wait_);
        removal_window_->open_main_tool = [this](int index) { open_main_tool(index); };
        removal_window_->set_jobs(session_->jobs());
        prompter_->set_owner(removal_window_.get());
        const MainForm& main = session_->main_form();
        removal_window_->load(main.View_Mode, main.Main.caption);
    }
    return *removal_window_;
}

void AppShell::open_removal_tool(int list_index) {
    eraser::RemWindow& removal = ensure_removal_window();
    bring_to_front(main_window_.get(), &removal);
    removal.select_tool(list_index);
}

void AppShell::open_main_tool(int list_index) {
    bring_to_front(removal_window_.get(), main_window_.get());
    main_window_->select_tool(list_index);
}

// The dialogs belong to the window that asks, and only the window in front can ask.
void AppShell::bring_to_front(QWidget* from, QWidget* to) {
    hand_over(from, to);
    prompter_->set_owner(to);
}

void AppShell::open_admin_window() {
    admin_window_ = std::make_unique<AdminWindow>(session_->admin_form(), settings_, wait_);
    // The main window's place and width, but a height of its own: it holds only the account.
    place_frame(admin_window_.get(), main_window_->pos());
    admin_window_->resize(main_window_->width(), admin_window_->sizeHint().height());
    fit_to_screen(admin_window_.get());
    prompter_->set_owner(admin_window_.get());
    if (admin_window_->load(session_->main_form().Main.caption)) {
        hand_over(main_window_.get(), admin_window_.get());
    }
}

}  // namespace korva
