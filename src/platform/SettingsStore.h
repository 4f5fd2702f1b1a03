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

// Settings in an INI file, section [Settings], one "key=value" per line, in the
// syntax QSettings uses for its INI files (quoted values, backslash escapes, a
// doubled leading "@"), so that the app's QSettings and this store read the same
// file. Loaded on construction, written (safely, through a temporary file) by
// flush(); other sections, and values this store did not change (such as the app's
// "@ByteArray(...)" entries), are written back exactly as they were read.
class IniSettingsStore : public MemorySettingsStore {
public:
    explicit IniSettingsStore(std::filesystem::path path);
    bool flush() override;
    const std::filesystem::path& path() const { return path_; }

    // The QSettings spelling of a string value, and back.
    static std::string encodeValue(std::string_view value);
    static std::string decodeValue(std::string_view text);

private:
    std::filesystem::path path_;
    // Values of [Settings] as they stood in the file: key -> (decoded, raw text).
    std::map<std::string, std::pair<std::string, std::string>, std::less<>> loaded_;
    // Everything outside [Settings], line by line.
    std::string otherSections_;
};

} // namespace zx
