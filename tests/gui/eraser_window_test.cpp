// SPDX-License-Identifier: MIT
// The removal window's widgets: names, a layout that fits the shipped texts, the deletion lists
// driven by mouse and keyboard, the path boxes after a failed Create, and the hand-over to the
// main window and back.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "platform/filesystem.h"
#include "qt/hand_over_qt.h"
#include "qt/rem_window.h"
#include "support/recording_views.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva::eraser {

namespace {

const char* const kCatalogue =
    "[StringEn2]\r\nCmd_DelPrinterAdd=Add P\r\nCmd_DelPrinterEdt=Change P\r\n"
    "Cmd_DelPrinterDel=Delete P\r\nCmd_DelDriverAdd=Add D\r\nCmd_DelDriverEdt=Change D\r\n"
    "Cmd_DelDriverDel=Delete D\r\nMsgErr=Error\r\nMsgErrInPath2=No input\r\nMsgErrChk=Check\r\n"
    "[StringEn]\r\nSelectSoftware1=Installer\r\nSelectSoftware2=Remover\r\n";

struct Harness {
    explicit Harness(const std::string& View_Mode = "0", const std::string& tool_sii = "",
                     const std::string& LangSelect = "StringEn") {
        const std::string path =
            tool_sii.empty() ? program.write("Tool.sii", kCatalogue) : tool_sii;
        catalogue = std::make_unique<Catalogue>(path, LangSelect, kMainBuffer);
        Context ctx{*catalogue, prompter,         real_file_system(), CodePage::system(),
                    [] {},      program.folder(), system.folder()};
        form = std::make_unique<RemForm>(ctx, LangSelect);
        window = std::make_unique<RemWindow>(*form, settings, wait);
        window->load(View_Mode, "Main title");
    }
    template <typename W>
    W* child(const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }
    void add(const char* text_box, const char* button, const char* text) {
        QTest::keyClicks(child<QLineEdit>(text_box), text);
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    void click_entry(const char* list_name, int row) {
        auto* list = child<QListWidget>(list_name);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    QStringList entries(const char* list_name) {
        QStringList items;
        auto* list = child<QListWidget>(list_name);
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    test::TempDir program;
    test::TempDir system;
    test::ScriptedPrompter prompter;
    MemorySettingsStore settings;
    test::RecordingViews wait;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<RemForm> form;
    std::unique_ptr<RemWindow> window;
};

std::string shipped_catalogue() {
    const char* source = std::getenv("KORVA_SOURCE_DIR");
    return source ? std::string(source) + "/resources/Tool.sii" : std::string();
}

}  // namespace

class RemWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void every_control_has_its_widget() {
        Harness h;
        QCOMPARE(h.window->objectName(), QString("Rem_Frm"));
        QCOMPARE(h.window->windowTitle(), QString("Main title"));
        for (const auto& [name, control] : h.form->controls()) {
            if (std::string(name) == "Rem_Frm")
                continue;
            QVERIFY2(h.child<QWidget>(name), name);
        }
        QCOMPARE(h.child<QLineEdit>("Password")->echoMode(), QLineEdit::Password);
        h.child<QLineEdit>("Password")->setText("pw");
        QCOMPARE(h.child<QLineEdit>("Password")->displayText(), QString("**"));
        QVERIFY(h.child<QGroupBox>("Fra_Admin")->isAncestorOf(h.child<QLineEdit>("Password")));
        QVERIFY(!h.child<QLineEdit>("Acount_Name")->isEnabled());
        QCOMPARE(h.child<QComboBox>("cb_SelectSoft")->currentText(), QString("Remover"));
    }

    void shipped_texts_fit_the_window() {
        const std::string tool_sii = shipped_catalogue();
        QVERIFY(!tool_sii.empty());
        for (const char* language : {"StringEn", "StringJp"}) {
            Harness h("0", tool_sii, language);
            QVERIFY(!h.child<QPushButton>("Com_OK")->text().isEmpty());
            const QSize needed = h.window->minimumSizeHint();
            QVERIFY2(
                needed.width() <= 980 && needed.height() <= 540,
                qPrintable(
                    QString("%1: %2 x %3").arg(language).arg(needed.width()).arg(needed.height())));
        }
    }

    void list_entry_in_edit_mode() {
        Harness h;
        h.window->show();
        h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", "Office");
        h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", "Lab");
        QCOMPARE(h.entries("Lst_DelPrinter"), QStringList({"Office", "Lab"}));
        QVERIFY(h.child<QLineEdit>("Txt_DelPrinter")->text().isEmpty());

        h.click_entry("Lst_DelPrinter", 0);
        QCOMPARE(h.child<QPushButton>("Cmd_DelPrinterAdd")->text(), QString("Change P"));
        QVERIFY(h.child<QPushButton>("Cmd_DelPrinterDel")->isEnabled());
        auto* box = h.child<QLineEdit>("Txt_DelPrinter");
        QCOMPARE(box->text(), QString("Office"));
        QCOMPARE(box->selectedText(), QString("Office"));

        // Typing replaces the selected text; the add button now changes the entry.
        QTest::keyClicks(box, "Office 2F");
        QTest::mouseClick(h.child<QPushButton>("Cmd_DelPrinterAdd"), Qt::LeftButton);
        QCOMPARE(h.entries("Lst_DelPrinter"), QStringList({"Office 2F", "Lab"}));
        QCOMPARE(h.child<QPushButton>("Cmd_DelPrinterAdd")->text(), QString("Add P"));
        QVERIFY(!h.child<QPushButton>("Cmd_DelPrinterDel")->isEnabled());
    }

    // After Delete nothing is selected, even with the focus then on the list; arrow keys load an
    // entry as a click does; a folder box taking the focus shows the start of its path.
    void delete_returns_to_add_mode_keys_select_and_focus_shows_the_start() {
        Harness h;
        h.window->show();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        for (const char* name : {"P1", "P2"})
            h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", name);
        h.click_entry("Lst_DelPrinter", 1);
        QTest::mouseClick(h.child<QPushButton>("Cmd_DelPrinterDel"), Qt::LeftButton);
        h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", "P3");
        QCOMPARE(h.entries("Lst_DelPrinter"), QStringList({"P1", "P3"}));
        QTest::keyClick(h.child<QListWidget>("Lst_DelPrinter"), Qt::Key_Down);
        QCOMPARE(h.child<QLineEdit>("Txt_DelPrinter")->text(), QString("P1"));
        // A drag from one entry to another chooses the one let go on.
        auto* list = h.child<QListWidget>("Lst_DelPrinter");
        const QPoint first = list->visualItemRect(list->item(0)).center();
        const QPoint second = list->visualItemRect(list->item(1)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseMove(list->viewport(), second);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(h.child<QLineEdit>("Txt_DelPrinter")->text(), QString("P3"));

        auto* out = h.child<QLineEdit>("Out_Path");
        out->setText("/some/folder");
        out->setFocus(Qt::TabFocusReason);
        QCOMPARE(out->cursorPosition(), 0);
        QVERIFY(!out->hasSelectedText());
    }

    void emptied_entry_stays_in_the_list() {
        Harness h;
        h.window->show();
        h.add("Txt_DelDriver", "Cmd_DelDriverAdd", "Driver A");
        h.click_entry("Lst_DelDriver", 0);
        h.child<QLineEdit>("Txt_DelDriver")->clear();
        QTest::mouseClick(h.child<QPushButton>("Cmd_DelDriverAdd"), Qt::LeftButton);
        QCOMPARE(h.entries("Lst_DelDriver"), QStringList({""}));
        QCOMPARE(h.form->Lst_DelDriver.list->items, std::vector<std::string>{""});
    }

    void delete_acts_on_the_list_last_clicked() {
        Harness h;
        h.window->show();
        h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", "P1");
        h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", "P2");
        h.add("Txt_DelDriver", "Cmd_DelDriverAdd", "D1");
        h.click_entry("Lst_DelPrinter", 0);
        h.click_entry("Lst_DelDriver", 0);
        QTest::mouseClick(h.child<QPushButton>("Cmd_DelPrinterDel"), Qt::LeftButton);
        QCOMPARE(h.entries("Lst_DelPrinter"), QStringList({"P2"}));
        QCOMPARE(h.entries("Lst_DelDriver"), QStringList({"D1"}));
        QVERIFY(h.child<QLineEdit>("Txt_DelPrinter")->text().isEmpty());
        QCOMPARE(h.child<QLineEdit>("Txt_DelDriver")->text(), QString("D1"));
    }

    void path_boxes_keep_the_separator_after_a_failed_check() {
        Harness h;
        h.window->show();
        test::TempDir dir;
        const QString in = QString::fromStdString(dir.folder() + "missing");
        const QString out = QString::fromStdString(dir.mkdir("out"));
        QTest::keyClicks(h.child<QLineEdit>("In_Path"), in);
        QTest::keyClicks(h.child<QLineEdit>("Out_Path"), out.chopped(1));
        QTest::mouseClick(h.child<QPushButton>("Com_OK"), Qt::LeftButton);
        QCOMPARE(h.prompter.messages(), std::vector<std::string>{"No input\r\nCheck"});
        QCOMPARE(h.child<QLineEdit>("In_Path")->text(), in + "/");
        QCOMPARE(h.child<QLineEdit>("Out_Path")->text(), out);
        QCOMPARE(h.wait.count("wait creating"), 1);
        QVERIFY(h.window->isVisible());
    }

    void switch_to_the_main_window_and_back_keeps_everything() {
        Harness h;
        QWidget main_window;
        int main_index = -1;
        h.window->open_main_tool = [&](int index) {
            hand_over(h.window.get(), &main_window);
            main_index = index;
        };
        h.window->show();
        h.add("Txt_DelPrinter", "Cmd_DelPrinterAdd", "Office");
        h.add("Txt_DelDriver", "Cmd_DelDriverAdd", "Driver");
        QTest::keyClicks(h.child<QLineEdit>("In_Path"), "/in");
        auto* user_install = h.child<QCheckBox>("Chk_UserI");
        // On the box itself: a check box reacts only to its indicator and caption.
        QTest::mouseClick(user_install, Qt::LeftButton, {}, QPoint(8, user_install->height() / 2));
        QTest::keyClicks(h.child<QLineEdit>("Password"), "pw");

        auto* selector = h.child<QComboBox>("cb_SelectSoft");
        selector->setCurrentIndex(0);
        emit selector->activated(0);
        QCOMPARE(main_index, 0);
        QVERIFY(main_window.isVisible());
        QVERIFY(!h.window->isVisible());

        hand_over(&main_window, h.window.get());
        h.window->select_tool(1);
        QVERIFY(h.window->isVisible());
        QCOMPARE(selector->currentText(), QString("Remover"));
        QCOMPARE(h.window->height(), 8100 / twips_per_pixel(h.window.get()));
        QCOMPARE(h.entries("Lst_DelPrinter"), QStringList({"Office"}));
        QCOMPARE(h.entries("Lst_DelDriver"), QStringList({"Driver"}));
        QCOMPARE(h.child<QLineEdit>("In_Path")->text(), QString("/in"));
        QCOMPARE(h.child<QLineEdit>("Password")->text(), QString("pw"));
        QVERIFY(h.child<QCheckBox>("Chk_UserI")->isChecked());
        QVERIFY(h.child<QLineEdit>("Password")->isEnabled());
    }

    void tool_mode_one_hands_back_at_once() {
        Harness h("1");
        int main_index = -1;
        h.window->open_main_tool = [&](int index) { main_index = index; };
        auto* selector = h.child<QComboBox>("cb_SelectSoft");
        QCOMPARE(selector->count(), 1);
        QVERIFY(!selector->isEnabled());
        QTRY_COMPARE(main_index, 0);
    }

    void closing_stores_the_placement() {
        Harness h;
        h.window->move(40, 60);
        h.window->show();
        QTest::mouseClick(h.child<QPushButton>("Com_End"), Qt::LeftButton);
        QVERIFY(!h.window->isVisible());
        const int tpp = twips_per_pixel(h.window.get());
        QCOMPARE(h.settings.get("Tool", "Main", "WindowState"), std::optional<std::string>("0"));
        QCOMPARE(h.settings.get("Tool", "Main", "Left"), std::optional(std::to_string(40 * tpp)));
        QCOMPARE(h.settings.get("Tool", "Main", "Top"), std::optional(std::to_string(60 * tpp)));
        QVERIFY(!h.settings.get("Tool", "Main", "Width"));
    }
};

}  // namespace korva::eraser

QTEST_MAIN(korva::eraser::RemWindowTest)
#include "eraser_window_test.moc"
