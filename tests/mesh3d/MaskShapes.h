#pragma once
// Small masks for the shape-builder tests: words carry the inside flag 0x200.

#include "storage/RasterImage.h"

#include <cmath>
#include <cstdint>

namespace zx::testing {

inline constexpr uint32_t kIn = 0x200;

inline RasterImage discMask(int width, int height, double cx, double cy, double radius) {
    RasterImage m(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= radius * radius) m.at(x, y) = kIn | 0xFF;
        }
    return m;
}

inline RasterImage rectMask(int width, int height, int left, int top, int right, int bottom) {
    RasterImage m(width, height, 0);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) m.at(x, y) = kIn;
    return m;
}

inline RasterImage ringMask(int width, int height, double cx, double cy, double inner,
                            double outer) {
    RasterImage m(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d2 = dx * dx + dy * dy;
            if (d2 <= outer * outer && d2 > inner * inner) m.at(x, y) = kIn;
        }
    return m;
}

} // namespace zx::testing
