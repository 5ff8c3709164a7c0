// SPDX-License-Identifier: MIT
// QSettings behind the settings store interface, so the core never sees Qt.
#include "qt/settings_qt.h"

#include <QSettings>
#include <QString>
#include <QVariant>
#include <utility>

namespace korva {
namespace {

QString key_of(const std::string& app, const std::string& section, const std::string& key) {
    return QString::fromStdString(app + "/" + section + "/" + key);
}

}  // namespace

QtSettingsStore::QtSettingsStore(std::string organisation, std::string application)
    : organisation_(std::move(organisation)), application_(std::move(application)) {}

std::optional<std::string> QtSettingsStore::get(const std::string& app, const std::string& section,
                                                const std::string& key) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(organisation_), QString::fromStdString(application_));
    const QVariant value = settings.value(key_of(app, section, key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

void QtSettingsStore::set(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& value) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(organisation_), QString::fromStdString(application_));
    settings.setValue(key_of(app, section, key), QString::fromStdString(value));
    settings.sync();
}

}  // namespace korva
