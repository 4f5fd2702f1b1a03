#pragma once
// The outline of a region as closed polygons, for the shape builder.
//
// Each loop runs through the midpoints of the pixel edges that separate inside from
// outside pixels (the half-value contour between pixel centres), so a one-pixel line
// still encloses an area and diagonal staircases come out straight. Diagonally
// touching pixels belong to the same region, as in the height map. Loops keep the
// inside on their left as seen on screen (y pointing down): outer outlines run
// counter-clockwise on screen, holes clockwise.

#include "storage/RasterImage.h"

#include <vector>

namespace zx {

struct OutlinePoint {
    double x = 0, y = 0;
    bool operator==(const OutlinePoint&) const = default;
};

using OutlineLoop = std::vector<OutlinePoint>; // closed: the last point joins the first

// Every loop of the mask's inside region (flag 0x200); the outside of the image
// counts as outside.
std::vector<OutlineLoop> traceRegionOutlines(const RasterImage& mask);

// Non-neighbouring edges of traced loops are at least 0.707 pixel apart, so dropping
// points no farther than this from the new edges can never make two parts cross.
inline constexpr double kSafeTolerance = 0.3;

// Fewer points on straight and gently curved stretches: no dropped point lies more
// than `tolerance` from the loop's new edges. Where that would make the loop cross
// itself or collapse, the tolerance is halved, down to kSafeTolerance. Separate loops
// simplified with more than kSafeTolerance may still cross each other; callers check
// with outlinesSelfIntersect.
OutlineLoop simplifyOutline(const OutlineLoop& loop, double tolerance);

// Splits every edge longer than `spacing` into equal parts.
OutlineLoop subdivideOutline(const OutlineLoop& loop, double spacing);

// Twice the signed area of a loop, in the shoelace sense of image coordinates
// (negative for a loop that runs counter-clockwise on screen).
double outlineArea2(const OutlineLoop& loop);

// True when two edges of the loops cross or touch away from their shared ends.
bool outlinesSelfIntersect(const std::vector<OutlineLoop>& loops);

} // namespace zx
