#pragma once
// A smooth, non-repeating test picture: block matching has one answer in it.

#include "storage/RasterImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zx::test {

// The picture of w × h pixels with its content moved by (dx, dy).
inline RasterImage landscapePicture(int w, int h, int dx = 0, int dy = 0) {
    RasterImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int u = x - dx, v = y - dy;
            const double g = 127 + 60 * std::sin(u * 0.13 + std::cos(v * 0.05)) +
                             60 * std::cos(v * 0.11 + 0.02 * u * std::sin(u * 0.011));
            const uint32_t c = uint32_t(std::clamp(int(g), 0, 255));
            p.at(x, y) = 0xFF000000u | c << 16 | (255 - c) << 8 | uint32_t(u & 0xFF);
        }
    return p;
}

} // namespace zx::test
