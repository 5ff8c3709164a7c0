// SPDX-License-Identifier: MIT
// The real main window over the example package: clicks reach the rules and the widgets show
// what the rules decided (ticks, lists, enabled states, the entry line).
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "platform/settings.h"
#include "qt/app_shell_qt.h"
#include "support/temp_dir.h"

using namespace korva;

namespace {

std::string source_dir() {
    return getenv("KORVA_SOURCE_DIR");
}

// A check box or option toggles only when its box or caption is hit, not at the middle of a wide
// widget.
void tick(QAbstractButton* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

template <typename W>
W* child(QWidget& window, const char* name) {
    W* widget = window.findChild<W*>(name);
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

// A copy of the example package with only the printer installer, so no question is asked.
struct Program {
    Program() {
        namespace fs = std::filesystem;
        fs::copy(source_dir() + "/resources/Tool.sii", folder.path() / "Tool.sii");
        fs::create_directories(folder.path() / "Source package" / "Drivers");
        fs::copy(source_dir() + "/examples/driver-package/Drivers/Printer",
                 folder.path() / "Source package" / "Drivers" / "Printer",
                 fs::copy_options::recursive);
        shell = std::make_unique<AppShell>(folder.folder(), settings);
        shell->start();
    }
    QWidget& window() { return shell->main_window(); }
    std::string source() const { return folder.folder() + "Source package"; }

    test::TempDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<AppShell> shell;
};

// Closes any modal box that opens, remembering its text, so an unexpected message fails the test
// instead of hanging it.
struct DialogWatch {
    DialogWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (auto* box = qobject_cast<QMessageBox*>(modal))
                    texts << box->text();
                owners << modal->parentWidget();
                modal->close();
            }
        });
        timer.start(20);
    }
    QTimer timer;
    QStringList texts;
    QList<QWidget*> owners;
};

// Answers the next file dialog with a file, as a user picking it would; any message box is
// closed and remembered.
struct FileAnswer {
    explicit FileAnswer(const QString& file) {
        QObject::connect(&timer, &QTimer::timeout, [this, file] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->close();
            }
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                // Typed into the name box: a selection waits for the folder's listing.
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(file);
                static_cast<QDialog*>(dialog)->accept();
            }
        });
        timer.start(20);
    }
    QTimer timer;
    QStringList texts;
};

// The nearest widget before this one that Tab stops at.
QWidget* previous_tab_stop(QWidget* widget) {
    do {
        widget = widget->previousInFocusChain();
    } while (!widget->isEnabled() || !widget->isVisible() ||
             !(widget->focusPolicy() & Qt::TabFocus));
    return widget;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void userInstallEnablesCreateAndTheAccountFields() {
        Program p;
        QVERIFY(!child<QPushButton>(p.window(), "Com_OK")->isEnabled());
        tick(child<QCheckBox>(p.window(), "Chk_UserI"));
        QVERIFY(child<QPushButton>(p.window(), "Com_OK")->isEnabled());
        QVERIFY(child<QLineEdit>(p.window(), "Password")->isEnabled());
        QTest::keyClicks(child<QLineEdit>(p.window(), "Password"), "pw");
        QCOMPARE(child<QLineEdit>(p.window(), "Password")->displayText(), QString("**"));
        QVERIFY(!child<QComboBox>(p.window(), "Model_Name")->isEnabled());
        tick(child<QCheckBox>(p.window(), "Chk_UserI"));
        QVERIFY(!child<QPushButton>(p.window(), "Com_OK")->isEnabled());
        // The removal window's dialogs are its own, not the hidden main window's.
        DialogWatch watch;
        p.shell->main_window().select_tool(1);
        QTest::mouseClick(child<QPushButton>(*p.shell->removal_window(), "Com_Brow"),
                          Qt::LeftButton);
        QCOMPARE(watch.owners, QList<QWidget*>({p.shell->removal_window()}));
    }

    void silentInstallReadsThePackageAndAddBuildsTheLine() {
        Program p;
        DialogWatch watch;
        QWidget& w = p.window();
        child<QLineEdit>(w, "In_Path")->setText(QString::fromStdString(p.source()));
        tick(child<QCheckBox>(w, "Chk_SI"));
        QCOMPARE(watch.texts, QStringList());
        QVERIFY(child<QCheckBox>(w, "Chk_SI")->isChecked());
        QVERIFY(child<QLineEdit>(w, "In_Path")->text().endsWith("/Drivers/Printer/"));
        QCOMPARE(child<QLineEdit>(w, "In_Path")->cursorPosition(), 0);  // the start shows
        auto* model = child<QComboBox>(w, "Model_Name");
        QVERIFY(model->isEnabled());
        QCOMPARE(model->currentText(), QString("KORVA A3010"));
        QCOMPARE(child<QLineEdit>(w, "Printer_Name")->text(), QString("KORVA A3010 PCL6"));

        // The installer folder is a long path: the source box widens with the window.
        const int narrow = child<QLineEdit>(w, "In_Path")->width();
        w.resize(w.width() + 400, w.height());
        QTRY_VERIFY(child<QLineEdit>(w, "In_Path")->width() > narrow + 100);

        child<QLineEdit>(w, "IP_Address")->setText("10.0.0.5");
        QTest::mouseClick(child<QPushButton>(w, "Add"), Qt::LeftButton);
        auto* list = child<QListWidget>(w, "Printer_List");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(),
                 QString(" 1. KORVA A3010 PCL6(10.0.0.5,KORVA A3010 PCL6,Standard,RAW,9100,,"
                         "AutoConfig,Yes)"));

        tick(child<QRadioButton>(w, "P_Qx"));
        QVERIFY(!child<QLineEdit>(w, "Protocol_Raw")->isEnabled());
        child<QLineEdit>(w, "Printer_Name")->setText("Floor 2");
        QTest::mouseClick(child<QPushButton>(w, "Add"), Qt::LeftButton);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(1)->text().endsWith("(10.0.0.5,Floor 2,QXPORT,,,,AutoConfig,Yes)"));

        // Selecting the first line brings its standard port back into the fields.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QVERIFY(child<QRadioButton>(w, "P_Standard")->isChecked());
        QCOMPARE(child<QLineEdit>(w, "Protocol_Raw")->text(), QString("9100"));
        QCOMPARE(child<QLineEdit>(w, "Printer_Name")->text(), QString("KORVA A3010 PCL6"));

        // A row made current by tabbing in is no selection; a key selection is.
        list->setCurrentRow(0, QItemSelectionModel::Clear | QItemSelectionModel::Current);
        QTest::mouseClick(child<QPushButton>(w, "Delete"), Qt::LeftButton);
        QCOMPARE(list->count(), 2);
        list->setCurrentRow(0, QItemSelectionModel::Clear | QItemSelectionModel::Current);
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(child<QRadioButton>(w, "P_Qx")->isChecked());
        QCOMPARE(child<QLineEdit>(w, "Printer_Name")->text(), QString("Floor 2"));
    }

    // Tab enters an option group at its checked option, whichever that is, and leaves the group
    // from there in both directions; the account boxes share their left edge.
    void keyboardEntersOptionGroupsAtTheCheckedOptionAndAccountBoxesAlign() {
        Program p;
        QWidget& w = p.window();
        child<QLineEdit>(w, "In_Path")->setText(QString::fromStdString(p.source()));
        tick(child<QCheckBox>(w, "Chk_SI"));
        QApplication::setActiveWindow(&w);
        auto* yes = child<QRadioButton>(w, "S_Yes");
        auto* no = child<QRadioButton>(w, "S_No");
        auto* after = child<QCheckBox>(w, "Chk_DlgReboot");
        QRadioButton* set_by_program = yes->isChecked() ? yes : no;
        for (QRadioButton* checked : {set_by_program, set_by_program == yes ? no : yes}) {
            if (checked != set_by_program)
                tick(checked);
            previous_tab_stop(yes)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), checked);
            QTest::keyClick(checked, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), after);
            QTest::keyClick(after, Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget(), checked);
        }

        const int left = child<QLineEdit>(w, "Acount_Name")->mapTo(&w, QPoint()).x();
        for (const char* box : {"Domain_Name", "Password"})
            QCOMPARE(child<QLineEdit>(w, box)->mapTo(&w, QPoint()).x(), left);
    }

    void aJobSavedFromOneWindowFillsAnother() {
        Program p;
        QWidget& w = p.window();
        child<QLineEdit>(w, "In_Path")->setText(QString::fromStdString(p.source()));
        tick(child<QCheckBox>(w, "Chk_SI"));
        child<QLineEdit>(w, "IP_Address")->setText("10.0.0.5");
        QTest::mouseClick(child<QPushButton>(w, "Add"), Qt::LeftButton);
        const QString job = QString::fromStdString(p.folder.folder() + "site.job");
        {
            FileAnswer answer(job);
            QTest::mouseClick(child<QPushButton>(w, "Com_SaveJob"), Qt::LeftButton);
        }
        QVERIFY(QFile::exists(job));

        Program other;
        QWidget& o = other.window();
        FileAnswer answer(job);
        QTest::mouseClick(child<QPushButton>(o, "Com_OpenJob"), Qt::LeftButton);
        QCOMPARE(answer.texts.join("|"), QString());
        QVERIFY(child<QCheckBox>(o, "Chk_SI")->isChecked());
        QCOMPARE(child<QLineEdit>(o, "In_Path")->text(), child<QLineEdit>(w, "In_Path")->text());
        QCOMPARE(child<QListWidget>(o, "Printer_List")->count(), 1);
        QCOMPARE(child<QListWidget>(o, "Printer_List")->item(0)->text(),
                 child<QListWidget>(w, "Printer_List")->item(0)->text());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
