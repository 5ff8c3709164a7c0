// SPDX-License-Identifier: MIT
// Message boxes carry no icon and only the buttons the caller asks for, as the window's boxes
// always did; line breaks of the catalogue (CR LF) are shown as Qt expects them.
#include "qt/prompter_qt.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "qt/select_dialog.h"

namespace korva {

QString display_text(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

namespace {

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
