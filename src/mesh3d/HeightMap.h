#pragma once
// The inflation height map of a region: the region's mask is inflated as if every
// straight chord across it were the diameter of a half circle; a pixel's height is
// the lowest such half circle over the chords through it in eight directions. A
// round region becomes a dome whose centre height is its radius, a long thin one a
// low ridge.

#include "imaging/MaskLayer.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zx {

// Inside flag of a mask word (the "selected" bit of the mask layer).
inline constexpr uint32_t kMaskInside = MaskBit::Selected;

// The smallest rectangle holding every inside pixel of the mask (right and bottom
// exclusive); none when nothing is inside.
std::optional<PixelRect> insideBounds(const RasterImage& mask);

struct HeightMap {
    int width = 0;
    int height = 0;
    std::vector<float> values; // width × height heights in pixels, row by row

    float at(int x, int y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
    float& at(int x, int y) { return values[size_t(y) * size_t(width) + size_t(x)]; }
};

// A map of the mask's size. Pixels outside the region end at 0.
HeightMap buildHeightMap(const RasterImage& mask);

// Writes the map's height at (x, y) into z: interpolated between the four pixels
// around the point where all four exist, the pixel's own value on the first column
// and the last row and column, and z unchanged outside the map (returns false then).
bool sampleHeight(const HeightMap& map, double x, double y, double& z);

} // namespace zx
