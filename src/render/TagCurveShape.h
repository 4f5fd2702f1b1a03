#pragma once
// How the camera values run between two tags of one kind.

#include <array>
#include <cstdint>

namespace zx {

enum class TagCurveShape : int32_t { Linear = 0, FastSlow = 1, SlowFast = 2, SlowFastSlow = 3 };

inline constexpr std::array<const char*, 4> kTagCurveShapeLabels = {
    "Linear", "Fast - Slow", "Slow - Fast", "Slow - Fast - Slow"};

// One shape per tag kind (Look At, Move Camera, Zoom, Dolly).
using TagCurveShapes = std::array<TagCurveShape, 4>;

// The share of the way at fraction L (0 … 1) between two tags.
double shapeFraction(TagCurveShape shape, double L);

} // namespace zx
