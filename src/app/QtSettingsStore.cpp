#include "app/QtSettingsStore.h"

#include "ui/QtText.h"

namespace zx {

namespace {
QString settingsKey(std::string_view key) {
    return QStringLiteral("Settings/") + qtText(key);
}
} // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(QStringLiteral("Brenlok"), QStringLiteral("Zelvotrix")) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(iniFile, QSettings::IniFormat) {}

std::optional<int> QtSettingsStore::readInt(std::string_view key) const {
    const QVariant v = settings_.value(settingsKey(key));
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const int i = v.toString().toInt(&ok);
    if (!ok) return std::nullopt;
    return i;
}

std::optional<std::string> QtSettingsStore::readString(std::string_view key) const {
    const QVariant v = settings_.value(settingsKey(key));
    if (!v.isValid()) return std::nullopt;
    return enginePath(v.toString()).string();
}

void QtSettingsStore::writeInt(std::string_view key, int value) {
    settings_.setValue(settingsKey(key), value);
}

void QtSettingsStore::writeString(std::string_view key, std::string_view value) {
    settings_.setValue(settingsKey(key), qtPath(std::string(value)));
}

bool QtSettingsStore::flush() {
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

} // namespace zx
