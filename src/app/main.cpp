// SPDX-License-Identifier: MIT
// The program's only entry point: the main window's start-up decides which tool is in front.
#include <QApplication>

#include "app/app_shell_qt.h"
#include "platform/process.h"
#include "platform/settings_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korva::QtSettingsStore settings;
    korva::AppShell shell(korva::executable_folder(), settings);
    shell.start();
    return QApplication::exec();
}
