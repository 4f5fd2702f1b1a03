#pragma once
// How far each point of a region lies from the region's edge: the depth profile the
// shape builder mixes into the inflation depth by its blend percentage. A disc
// becomes a cone, a bar a roof ridge, both as high as the inflation dome at the
// deepest point.

#include "storage/RasterImage.h"

#include <vector>

namespace zx {

struct DistanceMap {
    // The region's bounding box grown by one pixel; outside it every distance is 0.
    int left = 0, top = 0, width = 0, height = 0;
    // Per pixel of the box: the distance from its centre to the nearest outside
    // pixel's centre, less half a pixel (so about the distance to the region's edge);
    // 0 outside the region.
    std::vector<float> values;

    float at(int x, int y) const; // image pixel coordinates; 0 outside the box
    // Interpolated between pixel centres at image point (x, y).
    double sample(double x, double y) const;
    float maximum() const;
};

// Exact Euclidean distances (two separable passes of the lower envelope of
// parabolas), in time linear in the box's area. Outside the image counts as outside.
DistanceMap buildDistanceMap(const RasterImage& mask);

} // namespace zx
