#include "imaging/MaskBoxBlur.h"

#include <vector>

namespace zx {

void maskBoxBlur(RasterImage& mask, int radius) {
    const int w = mask.width(), h = mask.height();
    if (radius <= 0 || w == 0 || h == 0) return;
    // Separable: a box position outside the layer reads the centre row or column,
    // which depends only on the centre, so rows and columns can be summed apart.
    std::vector<uint32_t> rowSums(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = mask.pixels() + size_t(y) * w;
        for (int x = 0; x < w; ++x) {
            uint32_t sum = 0;
            for (int dx = -radius; dx <= radius; ++dx) {
                int sx = x + dx;
                if (sx < 0 || sx >= w) sx = x;
                sum += row[sx] & 0xFF;
            }
            rowSums[size_t(y) * w + x] = sum;
        }
    }
    const uint32_t area = uint32_t(2 * radius + 1) * uint32_t(2 * radius + 1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t sum = 0;
            for (int dy = -radius; dy <= radius; ++dy) {
                int sy = y + dy;
                if (sy < 0 || sy >= h) sy = y;
                sum += rowSums[size_t(sy) * w + x];
            }
            uint32_t& word = mask.at(x, y);
            word = (word & ~0xFFu) | (sum / area);
        }
    }
}

} // namespace zx
