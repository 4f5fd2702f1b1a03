#include "imaging/SelectionWeight.h"

#include "imaging/MaskBoxBlur.h"
#include "imaging/MaskLayer.h"

#include <algorithm>

namespace zx {

RasterImage selectionWeight(const RasterImage& mask, int featherIndex) {
    RasterImage weight = mask;
    for (uint32_t& w : weight.pixelVector())
        w = (w & ~MaskBit::Value) | (isSelectedWord(w) ? MaskBit::Value : 0);
    maskBoxBlur(weight, featherRadiusForIndex(featherIndex));
    return weight;
}

bool hasSelection(const RasterImage& mask) {
    const auto& words = mask.pixelVector();
    return std::any_of(words.begin(), words.end(), isSelectedWord);
}

} // namespace zx
