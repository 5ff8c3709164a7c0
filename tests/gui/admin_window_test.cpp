// SPDX-License-Identifier: MIT
// The administrator window's widgets: that they carry the control names and captions, hide the
// password, hand typed text to the core and store the placement when the window goes.
#include "qt/admin_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "platform/filesystem.h"
#include "qt/hand_over_qt.h"
#include "support/recording_views.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva {

namespace {

const char* const kCatalogue =
    "[Setup]\r\nProgExe=Tool.exe\r\n"
    "[StringEn2]\r\nFra_Admin=Administrator account\r\nLbl_Acount_Name=Account\r\n"
    "Lbl_Domain_Name=Domain\r\nLbl_Password=Password\r\nCom_OK=Create\r\nCom_End=Exit\r\n"
    "MsgErr=Error title\r\nMsgErrAcc=Enter the account.\r\n";

// One window over a program folder of its own.
struct Harness {
    explicit Harness(bool with_program = true) {
        program.write("Tool.sii", kCatalogue);
        if (with_program)
            program.write("Tool.exe", "program");
        catalogue =
            std::make_unique<Catalogue>(program.folder() + "Tool.sii", "StringEn", kMainBuffer);
        Context ctx{*catalogue, prompter,         real_file_system(), CodePage::system(),
                    [] {},      program.folder(), system.folder()};
        form = std::make_unique<AdminForm>(ctx, "StringEn");
        window = std::make_unique<AdminWindow>(*form, settings, wait);
    }
    template <typename W>
    W* child(const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }

    test::TempDir program;
    test::TempDir system;
    test::ScriptedPrompter prompter;
    MemorySettingsStore settings;
    test::RecordingViews wait;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<AdminForm> form;
    std::unique_ptr<AdminWindow> window;
};

}  // namespace

class AdminWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void captions_and_names() {
        Harness h;
        QVERIFY(h.window->load("Main title 1.30"));
        QCOMPARE(h.window->objectName(), QString("Admin_Setting"));
        QCOMPARE(h.window->windowTitle(), QString("Main title 1.30"));
        QCOMPARE(h.child<QGroupBox>("Fra_Admin")->title(), QString("Administrator account"));
        QCOMPARE(h.child<QLabel>("Lbl_Acount_Name")->text(), QString("Account"));
        QCOMPARE(h.child<QLabel>("Lbl_Domain_Name")->text(), QString("Domain"));
        QCOMPARE(h.child<QLabel>("Lbl_Password")->text(), QString("Password"));
        QCOMPARE(h.child<QPushButton>("Com_OK")->text(), QString("Create"));
        QCOMPARE(h.child<QPushButton>("Com_End")->text(), QString("Exit"));
        QCOMPARE(h.child<QLineEdit>("Acount_Name")->text(), QString("Administrator"));
        QCOMPARE(h.child<QLineEdit>("Domain_Name")->text(), QString("%USERDNSDOMAIN%"));
        QCOMPARE(h.child<QLineEdit>("Password")->text(), QString());
        QCOMPARE(h.child<QLineEdit>("Password")->echoMode(), QLineEdit::Password);
        QCOMPARE(h.child<QLineEdit>("Acount_Name")->echoMode(), QLineEdit::Normal);
        h.child<QLineEdit>("Password")->setText("pw");
        QCOMPARE(h.child<QLineEdit>("Password")->displayText(), QString("**"));
        // The account fields sit inside the frame.
        for (const char* name : {"Acount_Name", "Domain_Name", "Password"}) {
            QVERIFY(h.child<QGroupBox>("Fra_Admin")->isAncestorOf(h.child<QLineEdit>(name)));
        }
    }

    void typed_text_reaches_the_checks() {
        Harness h;
        QVERIFY(h.window->load("Main"));
        h.window->show();
        h.child<QLineEdit>("Acount_Name")->clear();
        QTest::keyClicks(h.child<QLineEdit>("Password"), "secret");
        QTest::mouseClick(h.child<QPushButton>("Com_OK"), Qt::LeftButton);

        QCOMPARE(h.prompter.messages(), std::vector<std::string>{"Enter the account."});
        QCOMPARE(h.form->Password.text, std::string("secret"));
        QCOMPARE(h.wait.count("wait creating"), 1);
        QVERIFY(h.window->isVisible());  // back after the failed check
    }

    void closing_stores_the_placement() {
        Harness h;
        QVERIFY(h.window->load("Main"));
        h.window->move(40, 60);
        h.window->show();
        QTest::mouseClick(h.child<QPushButton>("Com_End"), Qt::LeftButton);
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.settings.get("Tool", "Main", "WindowState"), std::optional<std::string>("0"));
        const int tpp = twips_per_pixel(h.window.get());
        QCOMPARE(h.settings.get("Tool", "Main", "Left"), std::optional(std::to_string(40 * tpp)));
        QCOMPARE(h.settings.get("Tool", "Main", "Top"), std::optional(std::to_string(60 * tpp)));
    }

    void failed_load_closes_the_window() {
        Harness h(false);
        QVERIFY(!h.window->load("Main"));
        QCOMPARE(h.prompter.messages(), std::vector<std::string>{"Tool.exe is not found."});
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.settings.get("Tool", "Main", "WindowState"), std::optional<std::string>("0"));
    }
};

}  // namespace korva

QTEST_MAIN(korva::AdminWindowTest)
#include "admin_window_test.moc"
