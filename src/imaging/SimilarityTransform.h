#pragma once
// A similarity transform of image positions: one scale for both directions and a turn
// about a centre, then a move. The pair of points it carries onto another pair, and a
// picture resampled under it (or under any affine map of positions).

#include "imaging/ImageGeometry.h"

#include <optional>

namespace zx {

struct PointF {
    double x = 0, y = 0;
};

struct Similarity {
    double scale = 1;
    double angle = 0; // radians; positive turns clockwise on the screen (y points down)
    PointF centre;
    PointF shift;

    // p' = scale · turn(angle) · (p − centre) + centre + shift
    PixelMap map() const;
};

// The similarity about `centre` that carries from1 onto to1 and from2 onto to2 (the
// scale is the ratio of the pairs' distances, the turn the difference of their
// directions, the shift what then carries from1 onto to1); none when either pair's
// points lie closer than `minDistance`.
std::optional<Similarity> similarityFromPairs(PointF from1, PointF from2, PointF to1, PointF to2,
                                              PointF centre, double minDistance);

// The map that undoes `map`; the identity when `map` flattens the plane.
PixelMap inverseMap(const PixelMap& map);

// The picture at (x, y) with pixel centres on whole numbers, bilinear on premultiplied
// colours (a transparent neighbour does not darken the edge); `fill` beyond the picture.
// Whole positions copy the pixel as it is.
uint32_t sampleBilinear(const RasterImage& picture, double x, double y, uint32_t fill);

// The picture with its content moved by `map` (what lay at p shows at map(p)) on a
// width x height canvas: bilinear on premultiplied colours, or the pixel under the
// position for `nearest` (mask words are flags, not colours); `fill` where no pixel of
// the picture lands.
RasterImage transformPicture(const RasterImage& picture, const PixelMap& map, int width, int height,
                             bool nearest, uint32_t fill);

} // namespace zx
