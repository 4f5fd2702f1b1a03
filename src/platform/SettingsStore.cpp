#include "platform/SettingsStore.h"

#include "platform/SafeFile.h"

#include <cctype>
#include <charconv>
#include <cstdio>
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

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | ((cp >> 18) & 0x07));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

uint32_t hexValue(char c) {
    return c <= '9' ? uint32_t(c - '0') : uint32_t((c | 0x20) - 'a' + 10);
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

} // namespace

std::string IniSettingsStore::encodeValue(std::string_view value) {
    // A leading "@" marks QSettings' own typed values; a plain string doubles it.
    std::string v =
        !value.empty() && value[0] == '@' ? "@" + std::string(value) : std::string(value);
    std::string out;
    bool quote = false;
    bool escapeNextIfHex = false;
    for (char c : v) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == ';' || c == ',' || c == '=') quote = true;
        if (escapeNextIfHex && isHex(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%x", u);
            out += buf;
            continue;
        }
        escapeNextIfHex = false;
        switch (c) {
        case '\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += c;
            break;
        default:
            if (u <= 0x1F || u == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%x", u);
                out += buf;
                escapeNextIfHex = true;
            } else {
                out += c; // UTF-8 as it is
            }
        }
    }
    if (quote || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) out = '"' + out + '"';
    return out;
}

std::string IniSettingsStore::decodeValue(std::string_view text) {
    text = trim(text);
    // QSettings' typed values are not strings; they are kept exactly as written.
    if (text.starts_with("@ByteArray(") || text.starts_with("@Variant(")) return std::string(text);
    std::string out;
    bool quoted = false;
    size_t keep = 0; // the value's length without trailing unquoted spaces
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i++];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c == ';' && !quoted) {
            // The rest of the line is a comment; spaces before it are not the value's.
            out.resize(keep);
            break;
        }
        if (c != '\\' || i >= text.size()) {
            out += c;
            if (quoted || c != ' ') keep = out.size();
            continue;
        }
        char e = text[i++];
        switch (e) {
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'v':
            out += '\v';
            break;
        case 'x': {
            uint32_t cp = 0;
            while (i < text.size() && isHex(text[i]) && cp <= 0x10FFFF)
                cp = cp * 16 + hexValue(text[i++]);
            appendUtf8(out, cp);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                uint32_t cp = uint32_t(e - '0');
                while (i < text.size() && text[i] >= '0' && text[i] <= '7' && cp <= 0x10FFFF)
                    cp = cp * 8 + uint32_t(text[i++] - '0');
                appendUtf8(out, cp);
            } else {
                out += e; // \\, \", \', \? and anything unknown stand for themselves
            }
        }
        keep = out.size();
    }
    if (out.starts_with("@@")) out.erase(0, 1);
    return out;
}

IniSettingsStore::IniSettingsStore(std::filesystem::path path) : path_(std::move(path)) {
    std::ifstream in(path_);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string_view t = trim(line);
        if (!t.empty() && t[0] == '[') {
            inSection = t == "[Settings]";
            if (!inSection) otherSections_ += line + "\n";
            continue;
        }
        if (!inSection) {
            otherSections_ += line + "\n";
            continue;
        }
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        auto eq = t.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key(trim(t.substr(0, eq)));
        std::string raw(trim(t.substr(eq + 1)));
        std::string value = decodeValue(raw);
        values_[key] = value;
        loaded_[key] = {value, raw};
    }
}

bool IniSettingsStore::flush() {
    std::string text = "[Settings]\n";
    for (const auto& [k, v] : values_) {
        auto it = loaded_.find(k);
        // Unchanged values go back exactly as they came, whatever their type.
        bool unchanged = it != loaded_.end() && it->second.first == v;
        text += k + "=" + (unchanged ? it->second.second : encodeValue(v)) + "\n";
    }
    if (!otherSections_.empty()) text += "\n" + otherSections_;
    std::error_code ec;
    if (!path_.parent_path().empty()) std::filesystem::create_directories(path_.parent_path(), ec);
    if (!writeFileSafely(path_, std::as_bytes(std::span(text.data(), text.size())))) return false;
    loaded_.clear();
    for (const auto& [k, v] : values_) loaded_[k] = {v, encodeValue(v)};
    return true;
}

} // namespace zx
