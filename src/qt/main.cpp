// SPDX-License-Identifier: MIT
// The program's only entry point: the main window's start-up decides which tool is in front.
#include <QApplication>

#include "platform/error.h"
#include "platform/path.h"
#include "platform/process.h"
#include "qt/app_shell_qt.h"
#include "qt/settings_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korva::QtSettingsStore settings;
    // Without /proc (some sandboxes) Qt still finds the folder from the command line, and a
    // missing catalogue there only empties the captions, so start-up goes on.
    std::string folder;
    try {
        folder = korva::executable_folder();
    } catch (const korva::PlatformError&) {
        folder = korva::with_trailing_sep(QCoreApplication::applicationDirPath().toStdString());
    }
    korva::AppShell shell(folder, settings);
    shell.start();
    return QApplication::exec();
}
