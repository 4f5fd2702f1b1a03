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

const RasterImage& SelectionWeight::of(const RasterImage& mask, int featherIndex) {
    RasterImage selection(mask.width(), mask.height());
    std::transform(mask.pixelVector().begin(), mask.pixelVector().end(),
                   selection.pixelVector().begin(),
                   [](uint32_t w) { return w & MaskBit::Selected; });
    if (featherIndex != featherIndex_ || selection != selection_) {
        weight_ = selectionWeight(mask, featherIndex);
        selection_ = std::move(selection);
        featherIndex_ = featherIndex;
        ++builds_;
    }
    return weight_;
}

bool hasSelection(const RasterImage& mask) {
    const auto& words = mask.pixelVector();
    return std::any_of(words.begin(), words.end(), isSelectedWord);
}

} // namespace zx
