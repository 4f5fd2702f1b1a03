#pragma once
// How much of a drawing (a shape, a line of text) covers each pixel of a rectangle of
// the picture: 0 not at all, 255 fully. The paint tools lay the drawing's colour in at
// that weight.

#include "storage/RasterImage.h"

#include <cstdint>
#include <vector>

namespace zx {

struct Coverage {
    PixelRect area;               // picture pixels
    std::vector<uint8_t> weights; // row by row over `area`

    // An area of zero weights.
    static Coverage blank(PixelRect area);
    // The alpha channel of a drawn picture with its top-left corner at (left, top).
    static Coverage fromAlpha(const RasterImage& drawn, int left, int top);

    // (x, y) in picture pixels inside `area`.
    uint8_t at(int x, int y) const { return weights[index(x, y)]; }
    uint8_t& at(int x, int y) { return weights[index(x, y)]; }

private:
    std::size_t index(int x, int y) const {
        return std::size_t(y - area.top) * std::size_t(area.width()) + std::size_t(x - area.left);
    }
};

} // namespace zx
