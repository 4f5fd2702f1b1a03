#pragma once
// The channels of a 0xAARRGGBB pixel word, for the per-pixel editing algorithms.

#include <algorithm>
#include <cstdint>

namespace zx {

inline int alphaOf(uint32_t p) {
    return int(p >> 24);
}
inline int redOf(uint32_t p) {
    return int((p >> 16) & 0xFF);
}
inline int greenOf(uint32_t p) {
    return int((p >> 8) & 0xFF);
}
inline int blueOf(uint32_t p) {
    return int(p & 0xFF);
}
inline int clampChannel(int v) {
    return std::clamp(v, 0, 255);
}
// Channels are clamped to 0..255.
inline uint32_t makePixel(int alpha, int red, int green, int blue) {
    return uint32_t(clampChannel(alpha)) << 24 | uint32_t(clampChannel(red)) << 16 |
           uint32_t(clampChannel(green)) << 8 | uint32_t(clampChannel(blue));
}
inline uint32_t withAlpha(uint32_t p, int alpha) {
    return (p & 0x00FFFFFFu) | uint32_t(clampChannel(alpha)) << 24;
}

} // namespace zx
