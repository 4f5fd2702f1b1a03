#pragma once
// How strongly each pixel takes part in an edit limited to the selection: 255 inside,
// 0 outside, soft across the edge by the feathering choice.

#include "storage/RasterImage.h"

namespace zx {

// A copy of the mask layer whose low byte is 255 where the pixel is selected and 0
// elsewhere, box-blurred by the radius of feathering choice `featherIndex` ("No",
// "1px", "2px", "4px"). Read the weight with `weightAt` or `& 0xFF`.
RasterImage selectionWeight(const RasterImage& mask, int featherIndex);

// Whether any pixel of the mask layer is selected.
bool hasSelection(const RasterImage& mask);

} // namespace zx
