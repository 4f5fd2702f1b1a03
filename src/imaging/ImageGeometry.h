#pragma once
// The picture operations of image geometry (re-framing, quarter turns, mirroring),
// and the map they apply to positions on the picture, so that animation data can
// follow the pixels.

#include "storage/RasterImage.h"

#include <cstdint>

namespace zx {

enum class Rotation { Clockwise90, CounterClockwise90, Half };

// An affine map of image positions (pixels, with (0, 0) the top-left corner of the
// first pixel): x' = xx·x + xy·y + dx, y' = yx·x + yy·y + dy.
struct PixelMap {
    double xx = 1, xy = 0, dx = 0;
    double yx = 0, yy = 1, dy = 0;

    double mapX(double x, double y) const { return xx * x + xy * y + dx; }
    double mapY(double x, double y) const { return yx * x + yy * y + dy; }

    static PixelMap shift(double x, double y);
    static PixelMap scale(double sx, double sy);
    // The turn of a width x height picture; the result is again on (0, 0).
    static PixelMap rotation(Rotation r, int width, int height);
    static PixelMap mirror(bool horizontal, int width, int height);
};

// The picture moved by (offsetX, offsetY) inside a `fill` canvas of width x height;
// what falls outside is cut off.
RasterImage reframePicture(const RasterImage& picture, int width, int height, int offsetX,
                           int offsetY, uint32_t fill = 0);
RasterImage rotatePicture(const RasterImage& picture, Rotation r);
RasterImage mirrorPicture(const RasterImage& picture, bool horizontal);

} // namespace zx
