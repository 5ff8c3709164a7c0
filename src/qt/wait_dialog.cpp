// SPDX-License-Identifier: MIT
// The dialog's texts are set from fReturn at every refresh, so the finished state cannot be
// shown half: status text and button always change together.
#include "qt/wait_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "qt/prompter_qt.h"

namespace korva {

namespace {

constexpr int kProgressSteps = 1000;
// The copy reports after every chunk and every file; a package of many small files would spend
// its time redrawing, so the bar moves at most this often.
constexpr qint64 kProgressIntervalMs = 100;

}  // namespace

Wait_Dialog::Wait_Dialog(const Catalogue& catalogue, QWidget* owner)
    : QDialog(owner), catalogue_(catalogue.with_section(catalogue.section(), kDialogBuffer)) {
    setObjectName(QStringLiteral("Wait_Dialog"));
    setWindowTitle(QString::fromUtf8(kWaitDesignTitle));
    build();
    Form_Paint();
}

void Wait_Dialog::build() {
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(320);
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, kProgressSteps);
    Progress->setVisible(false);
    Com_End = new QPushButton(this);
    Com_End->setObjectName(QStringLiteral("Com_End"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Com_End);
    auto* main = new QVBoxLayout(this);
    main->addWidget(Label1);
    main->addWidget(Progress);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetMinimumSize);

    connect(Com_End, &QPushButton::clicked, this, [this] { Com_End_Click(); });
}

void Wait_Dialog::set_owner(QWidget* owner) {
    setParent(owner, windowFlags());
}

void Wait_Dialog::set_end_action(std::function<void()> action) {
    end_action_ = std::move(action);
}

void Wait_Dialog::Form_Paint() {
    const std::string& lang = catalogue_.section();
    if (lang == "StringJp") {
        setWindowTitle(display_text(catalogue_.read("Setup", "AppNameJp")));
    } else if (lang == "StringEn") {
        setWindowTitle(display_text(catalogue_.read("Setup", "AppNameEn")));
    }
    if (fReturn) {
        Label1->setText(display_text(catalogue_.text("MsgFinish")));
        Com_End->setText(display_text(catalogue_.text("ComEnd")));
        Com_End->setVisible(true);
    } else {
        Label1->setText(display_text(catalogue_.text("MsgCreate")));
        Com_End->setVisible(false);
    }
}

void Wait_Dialog::show_creating() {
    fReturn = false;
    Progress->setVisible(false);
    progress_shown_.invalidate();
    show();
    raise();
    refresh();
}

void Wait_Dialog::refresh() {
    Form_Paint();
    adjustSize();
    repaint();
    // Let the window system draw the dialog; the user's clicks wait until Create is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Wait_Dialog::progress(std::uint64_t done, std::uint64_t total) {
    if (total == 0) {
        Progress->setVisible(false);
        progress_shown_.invalidate();
        return;
    }
    const bool complete = done >= total;
    if (!complete && progress_shown_.isValid() && progress_shown_.elapsed() < kProgressIntervalMs) {
        return;
    }
    progress_shown_.start();
    const double part = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    Progress->setValue(static_cast<int>(part * kProgressSteps));
    Progress->setVisible(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Wait_Dialog::show_finished() {
    fReturn = true;
    Progress->setVisible(false);
    show();
    refresh();
}

void Wait_Dialog::hide() {
    QDialog::hide();
}

void Wait_Dialog::Com_End_Click() {
    if (end_action_) {
        end_action_();
    } else {
        QCoreApplication::exit(0);
    }
}

// Closing the dialog while the package is built would leave the main window hidden with no way
// back; once it is finished, closing is the End button.
void Wait_Dialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (fReturn)
        Com_End_Click();
}

void Wait_Dialog::reject() {
    if (fReturn)
        Com_End_Click();
}

}  // namespace korva
