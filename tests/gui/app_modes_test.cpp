// SPDX-License-Identifier: MIT
// Starting the program in each tool mode, and switching tools: which window is in front, what
// each selector holds, and that a switch keeps the contents of both windows.
#include <QComboBox>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QtTest>
#include <fstream>
#include <regex>

#include "app/placement.h"
#include "platform/settings.h"
#include "qt/app_shell_qt.h"
#include "qt/hand_over_qt.h"
#include "qt/wait_dialog.h"
#include "support/temp_dir.h"

using namespace korva;

namespace {

std::string shipped_catalogue(const std::string& mode, bool japanese) {
    std::ifstream in(std::string(getenv("KORVA_SOURCE_DIR")) + "/resources/Tool.sii",
                     std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (japanese)
        text.replace(text.find("Default=0x0009"), 14, "Default=0x0011");
    return std::regex_replace(text, std::regex("ViewSoftware=[^\r\n]*"), "ViewSoftware=" + mode);
}

QStringList items(QWidget* window) {
    QStringList list;
    auto* combo = window->findChild<QComboBox*>("cb_SelectSoft");
    for (int i = 0; combo && i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

QSize placed_size(const QWidget* window) {
    const int tpp = twips_per_pixel(window);
    return {kWindowWidthTwips / tpp, kWindowHeightTwips / tpp};
}

struct HeightLog : QObject {
    QList<int> heights;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            heights << static_cast<QResizeEvent*>(event)->size().height();
        return false;
    }
};

bool selector_enabled(QWidget* window) {
    return window->findChild<QComboBox*>("cb_SelectSoft")->isEnabled();
}

struct Program {
    explicit Program(const std::string& mode,
                     const std::vector<std::pair<std::string, std::string>>& stored = {},
                     bool japanese = false) {
        for (const auto& [key, value] : stored)
            settings.set("Tool", "Main", key, value);
        folder.write("Tool.sii", shipped_catalogue(mode, japanese));
        folder.write("Tool.exe", "stand-in program");
        shell = std::make_unique<AppShell>(folder.folder(), settings);
        shell->start();
    }
    test::TempDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<AppShell> shell;
};

}  // namespace

class AppModesTest : public QObject {
    Q_OBJECT
  private slots:
    void modeZeroOffersBothToolsInTheMainWindow() {
        Program p("0");
        QVERIFY(p.shell->main_window().isVisible());
        QCOMPARE(items(&p.shell->main_window()),
                 QStringList({"Installer package", "Removal package"}));
        QVERIFY(selector_enabled(&p.shell->main_window()));
        QVERIFY(!p.shell->removal_window());
        // The waiting dialog is made, over the main window, only when a Create first shows it.
        MainWindow& main = p.shell->main_window();
        QVERIFY(main.findChildren<Wait_Dialog*>().isEmpty());
        main.wait_view().show_creating();
        QCOMPARE(main.findChildren<Wait_Dialog*>().size(), 1);
        main.wait_view().hide();
    }

    void modeOneLocksTheSelectorToTheInstaller() {
        Program p("1");
        QVERIFY(p.shell->main_window().isVisible());
        QCOMPARE(items(&p.shell->main_window()), QStringList({"Installer package"}));
        QVERIFY(!selector_enabled(&p.shell->main_window()));
    }

    void modeTwoPutsTheRemovalWindowInFront() {
        Program p("2");
        QWidget* removal = p.shell->removal_window();
        QVERIFY(removal && removal->isVisible());
        QVERIFY(!p.shell->main_window().isVisible());
        QCOMPARE(items(removal), QStringList({"Removal package"}));
        QVERIFY(!selector_enabled(removal));
        QCOMPARE(items(&p.shell->main_window()), QStringList({"Removal package"}));
    }

    void modeNinetyNinePutsTheAdministratorWindowInFront() {
        Program p("99");
        QWidget* admin = p.shell->admin_window();
        QVERIFY(admin && admin->isVisible());
        QCOMPARE(admin->width(), placed_size(admin).width());
        QVERIFY(!p.shell->main_window().isVisible());
        QVERIFY(items(&p.shell->main_window()).isEmpty());
        QVERIFY(selector_enabled(&p.shell->main_window()));
    }

    // The frame goes back where it was saved, however wide the frame the platform draws.
    void storedPositionOpensTheWindowThere() {
        for (const char* mode : {"0", "99"}) {
            Program p(mode, {{"Left", "3000"}, {"Top", "1500"}, {"WindowState", "0"}});
            QWidget* window =
                p.shell->admin_window() ? p.shell->admin_window() : &p.shell->main_window();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const int tpp = twips_per_pixel(window);
            QTRY_COMPARE(window->frameGeometry().topLeft(), QPoint(3000 / tpp, 1500 / tpp));
            QVERIFY(!window->isMaximized());
        }
    }

    // Closing writes the state always and the position only for a normal window, never the size,
    // and ends the event loop at once.
    void closingSavesPlacementAndEndsTheProgram() {
        Program p("0", {{"Left", "3000"}, {"Top", "1500"}});
        MainWindow& main = p.shell->main_window();
        const int tpp = twips_per_pixel(&main);
        main.move(40, 60);
        QEventLoop loop;
        QTimer::singleShot(0, &main, [&main] { main.close(); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QCOMPARE(p.settings.get("Tool", "Main", "WindowState"), std::optional<std::string>("0"));
        QCOMPARE(p.settings.get("Tool", "Main", "Left"), std::optional(std::to_string(40 * tpp)));
        QCOMPARE(p.settings.get("Tool", "Main", "Top"), std::optional(std::to_string(60 * tpp)));
        QVERIFY(!p.settings.get("Tool", "Main", "Width"));
        QVERIFY(!p.settings.get("Tool", "Main", "Height"));

        Program maximised("0", {{"Left", "3000"}, {"Top", "1500"}, {"WindowState", "2"}});
        MainWindow& big = maximised.shell->main_window();
        QVERIFY(big.isMaximized());
        big.close();
        QCOMPARE(maximised.settings.get("Tool", "Main", "WindowState"),
                 std::optional<std::string>("2"));
        QCOMPARE(maximised.settings.get("Tool", "Main", "Left"),
                 std::optional<std::string>("3000"));
        QCOMPARE(maximised.settings.get("Tool", "Main", "Top"), std::optional<std::string>("1500"));
    }

    void switchingToolsKeepsBothWindowsContents() {
        Program p("0");
        MainWindow& main = p.shell->main_window();
        HeightLog log;
        main.installEventFilter(&log);
        main.findChild<QLineEdit*>("In_Path")->setText("/source");
        auto* selector = main.findChild<QComboBox*>("cb_SelectSoft");
        selector->setCurrentIndex(1);
        emit selector->activated(1);
        QWidget* removal = p.shell->removal_window();
        QVERIFY(removal && removal->isVisible() && !main.isVisible());
        QCOMPARE(removal->pos(), main.pos());
        QCOMPARE(log.heights, QList<int>({kHandOverHeightTwips / twips_per_pixel(&main)}));
        removal->findChild<QLineEdit*>("In_Path")->setText("/eraser");

        auto* back = removal->findChild<QComboBox*>("cb_SelectSoft");
        back->setCurrentIndex(0);
        emit back->activated(0);
        QVERIFY(main.isVisible() && !removal->isVisible());
        QCOMPARE(selector->currentIndex(), 0);
        QCOMPARE(main.size(), placed_size(&main));
        QVERIFY(main.minimumHeight() > log.heights.first());  // the layout's own minimum is back
        QCOMPARE(main.findChild<QLineEdit*>("In_Path")->text(), QString("/source"));

        selector->setCurrentIndex(1);
        emit selector->activated(1);
        QCOMPARE(p.shell->removal_window(), removal);
        QCOMPARE(removal->findChild<QLineEdit*>("In_Path")->text(), QString("/eraser"));

        // A maximised window stays maximised through a switch and back.
        back->setCurrentIndex(0);
        emit back->activated(0);
        main.showMaximized();
        QTRY_VERIFY(main.isMaximized());
        selector->setCurrentIndex(1);
        emit selector->activated(1);
        back->setCurrentIndex(0);
        emit back->activated(0);
        QVERIFY(main.isVisible() && main.isMaximized());
    }

    // A window needing more than the screen is made to fit, later resizes included, and its far
    // corner stays reachable.
    void aWindowLargerThanTheScreenFitsAndScrolls() {
        QWidget window;
        auto* grid = new QGridLayout(&window);
        grid->setColumnMinimumWidth(0, 2400);
        grid->setRowMinimumHeight(0, 1400);
        auto* far = new QLineEdit;
        far->setObjectName("far");
        grid->addWidget(far, 1, 1);
        window.resize(2500, 1500);
        fit_to_screen(&window);
        window.show();
        const QRect room = window.screen()->availableGeometry();
        for (const QSize asked : {window.size(), QSize(3000, 3000)}) {
            window.resize(asked);
            QVERIFY(room.contains(window.frameGeometry()));
        }
        auto* scroll = window.findChild<QScrollArea*>();
        QVERIFY(scroll && window.findChild<QLineEdit*>("far") == far);
        scroll->ensureWidgetVisible(far);
        QVERIFY(!far->visibleRegion().isEmpty());
    }

    // The longer Japanese texts fit too, and Qt's own buttons and folder picker speak Japanese.
    void japaneseWindowFitsAndQtSpeaksJapanese() {
        Program p("0", {}, true);
        QCoreApplication::processEvents();
        QCOMPARE(p.shell->main_window().size(), placed_size(&p.shell->main_window()));
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm"))
            QSKIP("Qt's Japanese translation is not installed");
        QVERIFY(QCoreApplication::translate("QPlatformTheme", "&Yes") != "&Yes");
        QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != "Look in:");
    }
};

QTEST_MAIN(AppModesTest)
#include "app_modes_test.moc"
