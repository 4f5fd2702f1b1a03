#pragma once
// Numbers read from another program's console text, which is never trusted: a whole
// number is an optional sign and digits, a real number also allows one point. Anything
// else, an empty text or a value out of range is no number.

#include <charconv>
#include <optional>
#include <string_view>

namespace zx {

inline std::optional<long long> parseWholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

inline std::optional<double> parseRealNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    for (const char c : text)
        if (!(c >= '0' && c <= '9') && c != '.' && c != '-') return std::nullopt;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace zx
