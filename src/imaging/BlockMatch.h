#pragma once
// Finding a small patch of one picture in another: where the square around a point of
// `picture` lies in `reference`, searched near the same place. Used to find the
// position in a reference image that matches a point the user chose.

#include "imaging/SimilarityTransform.h"
#include "storage/RasterImage.h"

#include <optional>

namespace zx {

struct BlockSearch {
    int half = 16;   // the patch is (2·half + 1) pixels square
    int radius = 32; // searched up to this many pixels away each way
};

// The centre in `reference` of the patch that best matches the patch of `picture`
// centred on pixel (x, y): the least sum of squared differences of brightness
// (colour weighted by alpha), refined below the pixel by a parabola through the
// neighbouring sums. Positions are pixel centres ((x + 0.5, y + 0.5) for pixel x, y).
// None when the patch does not fit in `picture` or no search position fits in
// `reference`.
std::optional<PointF> matchBlock(const RasterImage& picture, int x, int y,
                                 const RasterImage& reference, const BlockSearch& search = {});

} // namespace zx
