#pragma once

#include "storage/RasterImage.h"

namespace zx {

// Each mask value (bits 0-7) becomes the integer mean of the (2r+1) x (2r+1) box
// around it, read from the values before the filter. A box row outside the layer is
// replaced by the centre row and a box column outside by the centre column, so the
// border is not darkened. r <= 0 does nothing; the other bits are untouched.
void maskBoxBlur(RasterImage& mask, int radius);

} // namespace zx
