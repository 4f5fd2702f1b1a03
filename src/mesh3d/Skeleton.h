#pragma once
// The inner structure of a region that the surface curves start from: the region is
// thinned to one-pixel-wide lines, staircase corners are cleaned away, and the lines
// are traced into branches.
//
// The skeleton list holds one run per branch: the code 0 (a branch traced from an
// end pixel) or 1 (a closed loop with no end), the branch's pixels packed as
// x | (y << 16), then the terminator 0x80008000.

#include "storage/RasterImage.h"

#include <cstdint>
#include <vector>

namespace zx {

inline constexpr uint32_t kPointListEnd = 0x80008000u;

// Widest and tallest mask the skeleton handles: pixels are packed into 16-bit
// halves, and 0x8000 in both would read as the terminator.
inline constexpr int kMaxSkeletonSide = 32767;

// A working copy of a mask: one byte per pixel, 1 = set.
struct SkeletonGrid {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    static SkeletonGrid fromMask(const RasterImage& mask);
    bool set(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height &&
               (pixels[size_t(y) * size_t(width) + size_t(x)] & 1);
    }
    int count() const;
};

// Repeated thinning passes until one deletes nothing.
void thinSkeleton(SkeletonGrid& grid);
// One pass that removes the inner pixel of staircase corners.
void cleanSkeletonCorners(SkeletonGrid& grid);
// Traces every branch inside the box (inclusive pixel bounds, less a one-pixel
// margin) into the skeleton list; the traced pixels are cleared.
std::vector<uint32_t> traceSkeletonBranches(SkeletonGrid& grid, int left, int top, int right,
                                            int bottom);

// All three steps on a copy of the mask. Empty for an empty mask or one larger than
// kMaxSkeletonSide.
std::vector<uint32_t> buildSkeleton(const RasterImage& mask);

} // namespace zx
