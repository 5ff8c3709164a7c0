// SPDX-License-Identifier: MIT
// The selection and waiting dialogs on the offscreen platform: their catalogue texts, the
// choice that survives hiding, and the two states of the waiting dialog.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "qt/prompter_qt.h"
#include "qt/select_dialog.h"
#include "qt/wait_dialog.h"
#include "support/temp_dir.h"

namespace korva {

namespace {

std::string catalogue_text(const std::string& lang_section, const std::string& msg_prn) {
    std::string text = "[Setup]\r\nAppNameJp=Japanese title\r\nAppNameEn=English title\r\n[" +
                       lang_section + "]\r\n";
    for (const char* key : {"MsgMore", "MsgWhich", "MsgSelect", "MsgDriver", "MsgFax", "MsgOk",
                            "MsgCancel", "MsgCreate", "MsgFinish", "ComEnd"}) {
        text += std::string(key) + "=" + key + "\r\n";
    }
    return text + "MsgPrn=" + msg_prn + "\r\n";
}

template <typename T>
T* child(QWidget* parent, const char* name) {
    T* widget = parent->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

  private:
    Catalogue catalogue(const std::string& section, const std::string& msg_prn = "MsgPrn") {
        dir_ = std::make_unique<test::TempDir>();
        dir_->write("Tool.sii", catalogue_text(section, msg_prn));
        return Catalogue(dir_->folder() + "Tool.sii", section, kMainBuffer);
    }

    std::unique_ptr<test::TempDir> dir_;

  private slots:
    void selectionThroughTheRealModalPath() {
        QtPrompter prompter(catalogue("StringEn"));
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Select_Dialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                if (QWidget* other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            child<QRadioButton>(dialog, "Opt_Fax")->click();
            child<QPushButton>(dialog, "OKButton")->click();
            answered = true;
        });
        const DriverKind kind = prompter.select_driver_kind();
        QTRY_VERIFY(answered);
        QVERIFY(kind == DriverKind::Pcfax);
        QVERIFY(prompter.select_dialog() != nullptr);
        QVERIFY(!prompter.select_dialog()->isVisible());
    }

    // The input box lies over the middle of its window (within the frame the box gets on showing),
    // and on the screen when the window is not.
    void inputBoxOpensOverItsWindow() {
        QtPrompter prompter(catalogue("StringEn"));
        QWidget owner;
        prompter.set_owner(&owner);
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        for (const QPoint at : {QPoint(300, 200), QPoint(room.right() - 200, 200)}) {
            owner.setGeometry(QRect(at, QSize(600, 400)));
            owner.show();
            QRect box;
            QTimer::singleShot(0, [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                box = dialog->frameGeometry();
                dialog->close();
            });
            QVERIFY(!prompter.input("Name of the folder", "New folder", "KorvaDrivers"));
            QVERIFY2(room.contains(box), qPrintable(QString("%1,%2").arg(box.x()).arg(box.y())));
            if (room.contains(owner.frameGeometry()))
                QVERIFY((box.center() - owner.frameGeometry().center()).manhattanLength() <= 8);
        }
    }

    void selectionTexts() {
        Select_Dialog dialog(catalogue("StringEn", std::string(600, 'P')));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("MsgSelect"));
        QCOMPARE(child<QLabel>(&dialog, "Label1")->text(), QStringLiteral("MsgMore\nMsgWhich"));
        QCOMPARE(child<QGroupBox>(&dialog, "Frame1")->title(), QStringLiteral("MsgDriver"));
        QCOMPARE(child<QRadioButton>(&dialog, "Opt_Fax")->text(), QStringLiteral("MsgFax"));
        QCOMPARE(child<QPushButton>(&dialog, "OKButton")->text(), QStringLiteral("MsgOk"));
        QCOMPARE(child<QPushButton>(&dialog, "CancelButton")->text(), QStringLiteral("MsgCancel"));
        // The dialogs read through a 500-character buffer, not the main window's 1000.
        QCOMPARE(child<QRadioButton>(&dialog, "Opt_Prt")->text(), QString(499, QLatin1Char('P')));
        QVERIFY(child<QRadioButton>(&dialog, "Opt_Prt")->isChecked());
        QVERIFY(dialog.choice() == DriverKind::Printer);
    }

    void selectionKeepsTheChoiceWhateverClosesIt() {
        Select_Dialog dialog(catalogue("StringEn"));
        auto* fax = child<QRadioButton>(&dialog, "Opt_Fax");
        auto* printer = child<QRadioButton>(&dialog, "Opt_Prt");

        dialog.show();
        fax->click();
        child<QPushButton>(&dialog, "CancelButton")->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.choice() == DriverKind::Pcfax);

        dialog.show();
        QVERIFY(fax->isChecked());
        printer->click();
        dialog.close();  // the close box
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.choice() == DriverKind::Printer);

        dialog.show();
        QVERIFY(printer->isChecked());
        fax->click();
        child<QPushButton>(&dialog, "OKButton")->click();
        QVERIFY(dialog.choice() == DriverKind::Pcfax);
    }

    void waitTitleFollowsTheLanguageSection() {
        const std::pair<std::string, QString> cases[] = {
            {"StringJp", QStringLiteral("Japanese title")},
            {"StringEn", QStringLiteral("English title")},
            {"StringDe", QString::fromUtf8(kWaitDesignTitle)},
        };
        for (const auto& [section, title] : cases) {
            Wait_Dialog dialog(catalogue(section));
            dialog.show_creating();
            QCOMPARE(dialog.windowTitle(), title);
            dialog.hide();
        }
    }

    void waitStates() {
        Wait_Dialog dialog(catalogue("StringEn"));
        auto* label = child<QLabel>(&dialog, "Label1");
        auto* end = child<QPushButton>(&dialog, "Com_End");
        auto* bar = child<QProgressBar>(&dialog, "Progress");
        int ended = 0;
        dialog.set_end_action([&] { ++ended; });

        dialog.show_creating();
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.fReturn);
        QCOMPARE(label->text(), QStringLiteral("MsgCreate"));
        QVERIFY(!end->isVisible());
        QVERIFY(!bar->isVisible());

        dialog.progress(0, 0);
        QVERIFY(!bar->isVisible());
        dialog.progress(250, 1000);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->value(), bar->maximum() / 4);
        dialog.progress(5000, 1000);
        QCOMPARE(bar->value(), bar->maximum());

        dialog.close();  // no way out while the package is being built
        QVERIFY(dialog.isVisible());
        QCOMPARE(ended, 0);

        dialog.show_finished();
        QVERIFY(dialog.fReturn);
        QCOMPARE(label->text(), QStringLiteral("MsgFinish"));
        QVERIFY(end->isVisible());
        QCOMPARE(end->text(), QStringLiteral("ComEnd"));
        QVERIFY(!bar->isVisible());
        // Nothing is cut off: the dialog is at least as large as its layout asks.
        QVERIFY(dialog.width() >= dialog.minimumSizeHint().width());
        QVERIFY(dialog.height() >= dialog.minimumSizeHint().height());

        end->click();
        QCOMPARE(ended, 1);

        dialog.hide();
        QVERIFY(!dialog.isVisible());
        dialog.show_creating();
        QCOMPARE(label->text(), QStringLiteral("MsgCreate"));
        QVERIFY(!end->isVisible());
    }

    // The file system reports after every chunk and every file: thousands of reports within a
    // moment must not each redraw the dialog, yet the bar must still move and reach its end.
    void waitProgressIsThrottled() {
        Wait_Dialog dialog(catalogue("StringEn"));
        auto* bar = child<QProgressBar>(&dialog, "Progress");
        dialog.show_creating();
        QSignalSpy moves(bar, &QProgressBar::valueChanged);

        constexpr std::uint64_t total = 20000;
        for (std::uint64_t done = 1; done < total; ++done)
            dialog.progress(done, total);
        QVERIFY(moves.count() >= 1);
        QVERIFY2(moves.count() < 20, qPrintable(QString::number(moves.count())));

        QTest::qWait(250);
        dialog.progress(total / 2, total);
        QCOMPARE(bar->value(), bar->maximum() / 2);
        dialog.progress(total, total);
        QCOMPARE(bar->value(), bar->maximum());
    }
};

}  // namespace korva

QTEST_MAIN(korva::DialogsTest)
#include "dialogs_test.moc"
