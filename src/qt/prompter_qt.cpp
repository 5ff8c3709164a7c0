// SPDX-License-Identifier: MIT
// Message boxes carry no icon and only the buttons the caller asks for, as the window's boxes
// always did; line breaks of the catalogue (CR LF) are shown as Qt expects them.
#include "qt/prompter_qt.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "qt/hand_over_qt.h"
#include "qt/select_dialog.h"

namespace korva {

QString display_text(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

namespace {

// Some window managers place a new dialog where they see fit, off at the screen's edge; a position
// given beforehand is kept. The box lies over the middle of its window and on that window's screen.
void centre_over_owner(QDialog& dialog, const QWidget* owner) {
    if (!owner || !owner->isVisible())
        return;
    dialog.adjustSize();
    const QRect over = owner->window()->frameGeometry();
    QRect box(QPoint(), dialog.frameGeometry().size());
    box.moveCenter(over.center());
    if (const QScreen* screen = owner->window()->screen()) {
        // The frame the box is still to get must fit too.
        const QSize unframed = frame_allowance(&dialog) - (box.size() - dialog.size());
        const QRect room =
            screen->availableGeometry().adjusted(0, 0, -unframed.width(), -unframed.height());
        box.moveRight(std::min(box.right(), room.right()));
        box.moveBottom(std::min(box.bottom(), room.bottom()));
        box.moveLeft(std::max(box.left(), room.left()));
        box.moveTop(std::max(box.top(), room.top()));
    }
    dialog.move(box.topLeft());
}

int show_box(QWidget* owner, const std::string& text, const std::string& title,
             QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, display_text(title), display_text(text), buttons, owner);
    return box.exec();
}

}  // namespace

QtPrompter::QtPrompter(const Catalogue& catalogue, QWidget* owner)
    : catalogue_(catalogue.with_section(catalogue.section(), kDialogBuffer)), owner_(owner) {}

// The dialog belongs to the owner window when there is one; otherwise it is ours to delete.
QtPrompter::~QtPrompter() {
    if (select_ && !select_->parent())
        delete select_.data();
}

void QtPrompter::set_owner(QWidget* owner) {
    owner_ = owner;
}

void QtPrompter::message(const std::string& text, const std::string& title) {
    show_box(owner_, text, title, QMessageBox::Ok);
}

bool QtPrompter::ask_yes_no(const std::string& text, const std::string& title) {
    return show_box(owner_, text, title, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtPrompter::input(const std::string& prompt, const std::string& title,
                                             const std::string& default_answer) {
    QInputDialog dialog(owner_);
    dialog.setWindowTitle(display_text(title));
    dialog.setLabelText(display_text(prompt));
    dialog.setTextValue(QString::fromStdString(default_answer));
    centre_over_owner(dialog, owner_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

std::optional<std::string> QtPrompter::browse_folder() {
    const QString folder = QFileDialog::getExistingDirectory(
        owner_, QString(), QString(), QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(folder).toStdString();
}

std::optional<std::string> QtPrompter::job_file(bool for_saving, const std::string& title,
                                                const std::string& filter_name) {
    const QString caption = display_text(title);
    const QString filter = display_text(filter_name) + " (*.job)";
    const QString chosen = for_saving
                               ? QFileDialog::getSaveFileName(owner_, caption, QString(), filter)
                               : QFileDialog::getOpenFileName(owner_, caption, QString(), filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen).toStdString();
}

Select_Dialog* QtPrompter::select_dialog() const {
    return select_;
}

DriverKind QtPrompter::select_driver_kind() {
    if (!select_)
        select_ = new Select_Dialog(catalogue_, owner_);
    select_->exec();
    return select_->choice();
}

}  // namespace korva
