#pragma once
// Four-character tags: stored as a 32-bit little-endian integer whose most
// significant byte is the first letter, so "GEND" appears in a file as "DNEG".

#include <cstdint>
#include <string>

namespace zx {

constexpr uint32_t fourCC(const char (&s)[5]) {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

inline std::string fourCCName(uint32_t tag) {
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i) {
        char c = char((tag >> (24 - 8 * i)) & 0xFF);
        s[i] = (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

} // namespace zx
