#pragma once
// The settings in QSettings (organisation "Brenlok", application "Zelvotrix"),
// section "Settings".

#include "app/AppLayer.h"

#include "platform/SettingsStore.h"

#include <QSettings>

namespace zx {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    // A store on a given file (the tests keep theirs away from the user's).
    explicit QtSettingsStore(const QString& iniFile);
    std::optional<int> readInt(std::string_view key) const override;
    std::optional<std::string> readString(std::string_view key) const override;
    void writeInt(std::string_view key, int value) override;
    void writeString(std::string_view key, std::string_view value) override;
    bool flush() override;
    QSettings& qsettings() { return settings_; }

private:
    mutable QSettings settings_;
};

} // namespace zx
