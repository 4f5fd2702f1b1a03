#include "imaging/ImageGeometry.h"

#include <algorithm>
#include <cstring>

namespace zx {

PixelMap PixelMap::shift(double x, double y) {
    PixelMap m;
    m.dx = x, m.dy = y;
    return m;
}

PixelMap PixelMap::scale(double sx, double sy) {
    PixelMap m;
    m.xx = sx, m.yy = sy;
    return m;
}

PixelMap PixelMap::rotation(Rotation r, int width, int height) {
    PixelMap m;
    switch (r) {
    case Rotation::Clockwise90: // (x, y) -> (h - y, x)
        m = {0, -1, double(height), 1, 0, 0};
        break;
    case Rotation::CounterClockwise90: // (x, y) -> (y, w - x)
        m = {0, 1, 0, -1, 0, double(width)};
        break;
    case Rotation::Half:
        m = {-1, 0, double(width), 0, -1, double(height)};
        break;
    }
    return m;
}

PixelMap PixelMap::mirror(bool horizontal, int width, int height) {
    return horizontal ? PixelMap{-1, 0, double(width), 0, 1, 0}
                      : PixelMap{1, 0, 0, 0, -1, double(height)};
}

RasterImage reframePicture(const RasterImage& picture, int width, int height, int offsetX,
                           int offsetY, uint32_t fill) {
    RasterImage out(width, height, fill);
    const int x0 = std::max(0, offsetX), x1 = std::min(width, offsetX + picture.width());
    if (x1 <= x0) return out;
    for (int y = std::max(0, offsetY); y < std::min(height, offsetY + picture.height()); ++y)
        std::memcpy(&out.at(x0, y), picture.row(y - offsetY).data() + (x0 - offsetX),
                    size_t(x1 - x0) * sizeof(uint32_t));
    return out;
}

RasterImage rotatePicture(const RasterImage& picture, Rotation r) {
    const int w = picture.width(), h = picture.height();
    if (r == Rotation::Half) {
        RasterImage out = picture;
        std::reverse(out.pixelVector().begin(), out.pixelVector().end());
        return out;
    }
    RasterImage out(h, w);
    const bool cw = r == Rotation::Clockwise90;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = picture.row(y).data();
        for (int x = 0; x < w; ++x)
            if (cw)
                out.at(h - 1 - y, x) = row[x];
            else
                out.at(y, w - 1 - x) = row[x];
    }
    return out;
}

RasterImage mirrorPicture(const RasterImage& picture, bool horizontal) {
    RasterImage out = picture;
    if (horizontal) {
        for (int y = 0; y < out.height(); ++y) std::reverse(out.row(y).begin(), out.row(y).end());
        return out;
    }
    for (int y = 0; y < out.height() / 2; ++y)
        std::swap_ranges(out.row(y).begin(), out.row(y).end(),
                         out.row(out.height() - 1 - y).begin());
    return out;
}

} // namespace zx
