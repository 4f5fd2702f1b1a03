#pragma once
// Filling a closed polygon into a mask layer: its edges become outline pixels and
// everything they enclose gets the inside flag.

#include "storage/RasterImage.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zx {

struct IntPoint {
    int x = 0, y = 0;
    bool operator==(const IntPoint&) const = default;
};

// The pixels of the edge from a to b, stepped one pixel at a time along the longer
// axis with the other coordinate advanced by the slope (rounded). Both ends included.
std::vector<IntPoint> stepEdge(IntPoint a, IntPoint b);

// Clamps a point into the layer.
IntPoint clipToImage(IntPoint p, int width, int height);
// `p` moved as a drag went from `from` to `to`, kept within ±2^30 so that repeated
// moves never overflow.
IntPoint movedAlong(IntPoint p, IntPoint from, IntPoint to);

// Marks the closed polygon through `vertices` (the last vertex joins the first; the
// vertices are clipped to the layer first): `outlineBit | insideBit` on the stepped
// edge pixels and `insideBit` on every pixel they enclose. Several enclosed areas of a
// self-crossing polygon are all filled. Returns false (nothing marked) without vertices.
bool fillPolygon(RasterImage& mask, std::span<const IntPoint> vertices, uint32_t outlineBit,
                 uint32_t insideBit);

} // namespace zx
