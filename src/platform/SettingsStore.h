#pragma once
// The persistent key/value store behind the program's settings. The app keeps
// them in QSettings; the command-line tool and the tests use an INI file or memory.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zx {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<int> readInt(std::string_view key) const = 0;
    virtual std::optional<std::string> readString(std::string_view key) const = 0;
    virtual void writeInt(std::string_view key, int value) = 0;
    virtual void writeString(std::string_view key, std::string_view value) = 0;
    // Makes what was written durable; false when it could not be stored.
    virtual bool flush() { return true; }
};

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<int> readInt(std::string_view key) const override;
    std::optional<std::string> readString(std::string_view key) const override;
    void writeInt(std::string_view key, int value) override;
    void writeString(std::string_view key, std::string_view value) override;

    const std::map<std::string, std::string, std::less<>>& values() const { return values_; }

protected:
    std::map<std::string, std::string, std::less<>> values_;
};

// Settings in an INI file, section [Settings], one "key=value" per line.
// Loaded on construction, written (safely, through a temporary file) by flush().
class IniSettingsStore : public MemorySettingsStore {
public:
    explicit IniSettingsStore(std::filesystem::path path);
    bool flush() override;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace zx
