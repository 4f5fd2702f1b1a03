#pragma once
// A symmetric kernel of 16.16 taps run over the colour channels of a picture,
// horizontally then vertically, for the pixels of an area (every step-th pixel of
// every step-th row). Samples beyond the picture repeat its border. Work goes in
// bands of rows, so a 4096-pixel picture needs no full-size scratch buffer, and a
// thinned preview filters only the rows and columns it shows.

#include "imaging/PixelChannels.h"
#include "storage/RasterImage.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace zx {

// visit(x, y, red, green, blue) receives each filtered pixel, rounded and clamped.
template <typename Visit>
void filterColours(const RasterImage& src, std::span<const int32_t> taps, const PixelRect& area,
                   int step, Visit&& visit) {
    constexpr int kBandRows = 32;
    const int w = src.width(), h = src.height(), radius = int(taps.size()) / 2;
    if (area.empty() || w == 0 || h == 0) return;
    step = std::max(1, step);
    std::vector<int> xs;
    for (int x = area.left; x < area.right; x += step) xs.push_back(x);
    const size_t cols = xs.size();
    std::vector<int32_t> band;
    std::vector<char> needed;
    for (int y0 = area.top; y0 < area.bottom; y0 += kBandRows * step) {
        const int y1 = std::min(area.bottom, y0 + kBandRows * step);
        const int top = std::max(0, y0 - radius);
        const int bottom = std::min(h, y1 + radius);
        band.assign(size_t(bottom - top) * cols * 3, 0);
        needed.assign(size_t(bottom - top), 0);
        for (int y = y0; y < y1; y += step)
            for (int k = -radius; k <= radius; ++k)
                needed[size_t(std::clamp(y + k, 0, h - 1) - top)] = 1;
        for (int row = top; row < bottom; ++row) {
            if (!needed[size_t(row - top)]) continue;
            const uint32_t* line = src.row(row).data();
            int32_t* out = &band[size_t(row - top) * cols * 3];
            for (size_t i = 0; i < cols; ++i) {
                int32_t r = 0, g = 0, b = 0;
                const int x0 = xs[i] - radius;
                const bool interior = x0 >= 0 && x0 + 2 * radius < w; // no clamping needed
                for (int k = 0; k <= 2 * radius; ++k) {
                    const uint32_t p = line[interior ? x0 + k : std::clamp(x0 + k, 0, w - 1)];
                    r += taps[size_t(k)] * redOf(p);
                    g += taps[size_t(k)] * greenOf(p);
                    b += taps[size_t(k)] * blueOf(p);
                }
                out[i * 3] = r, out[i * 3 + 1] = g, out[i * 3 + 2] = b;
            }
        }
        for (int y = y0; y < y1; y += step)
            for (size_t i = 0; i < cols; ++i) {
                int64_t acc[3] = {0, 0, 0};
                for (int k = 0; k <= 2 * radius; ++k) {
                    const int row = std::clamp(y + k - radius, 0, h - 1) - top;
                    const int32_t* in = &band[(size_t(row) * cols + i) * 3];
                    for (int c = 0; c < 3; ++c) acc[c] += int64_t(taps[size_t(k)]) * in[c];
                }
                const auto channel = [](int64_t v) {
                    return clampChannel(int((v + (int64_t(1) << 31)) >> 32));
                };
                visit(xs[i], y, channel(acc[0]), channel(acc[1]), channel(acc[2]));
            }
    }
}

} // namespace zx
