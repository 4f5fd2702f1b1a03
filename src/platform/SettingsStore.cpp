#include "platform/SettingsStore.h"

#include "platform/SafeFile.h"

#include <charconv>
#include <fstream>

namespace zx {

std::optional<int> MemorySettingsStore::readInt(std::string_view key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    const std::string& s = it->second;
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::optional<std::string> MemorySettingsStore::readString(std::string_view key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemorySettingsStore::writeInt(std::string_view key, int value) {
    values_[std::string(key)] = std::to_string(value);
}

void MemorySettingsStore::writeString(std::string_view key, std::string_view value) {
    values_[std::string(key)] = std::string(value);
}

namespace {
// Values are written raw up to the line end; backslash escapes keep line breaks
// and backslashes in folder names intact.
std::string escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}
} // namespace

IniSettingsStore::IniSettingsStore(std::filesystem::path path) : path_(std::move(path)) {
    std::ifstream in(path_);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            inSection = line == "[Settings]";
            continue;
        }
        if (!inSection) continue;
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        values_[line.substr(0, eq)] = unescape(std::string_view(line).substr(eq + 1));
    }
}

bool IniSettingsStore::flush() {
    std::string text = "[Settings]\n";
    for (const auto& [k, v] : values_) text += k + "=" + escape(v) + "\n";
    std::error_code ec;
    if (!path_.parent_path().empty()) std::filesystem::create_directories(path_.parent_path(), ec);
    return writeFileSafely(path_, std::as_bytes(std::span(text.data(), text.size())));
}

} // namespace zx
