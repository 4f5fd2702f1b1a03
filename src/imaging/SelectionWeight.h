#pragma once
// How strongly each pixel takes part in an edit limited to the selection: 255 inside,
// 0 outside, soft across the edge by the feathering choice.

#include "storage/RasterImage.h"

namespace zx {

// A copy of the mask layer whose low byte is 255 where the pixel is selected and 0
// elsewhere, box-blurred by the radius of feathering choice `featherIndex` ("No",
// "1px", "2px", "4px"). Read the weight with `weightAt` or `& 0xFF`.
RasterImage selectionWeight(const RasterImage& mask, int featherIndex);

// The weight kept between uses, as a dialog's previews need it: rebuilt only when
// the selection or the feathering changed since it was last built.
class SelectionWeight {
public:
    const RasterImage& of(const RasterImage& mask, int featherIndex);
    // How many times the weight was built (each build blurs the whole layer).
    int builds() const { return builds_; }

private:
    RasterImage selection_; // the selected flags the weight was built from
    int featherIndex_ = -1;
    RasterImage weight_;
    int builds_ = 0;
};

// Whether any pixel of the mask layer is selected.
bool hasSelection(const RasterImage& mask);

} // namespace zx
