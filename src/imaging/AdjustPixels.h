#pragma once
// The frame shared by the colour adjustments: which pixels are computed (a preview's
// area and step) and how a new colour meets the old one under the selection weight.

#include "imaging/Adjustments.h"
#include "imaging/PixelChannels.h"

namespace zx {

// How a changed pixel is blended with the old one where the weight is below 255.
enum class WeightBlend {
    // The dialogs: the new colour laid over the old with weight × alpha.
    Dialog,
    // The one-click actions: old and new mixed by weight × alpha / 255.
    OneClick,
};

// The area an adjustment computes: the target's area within the picture.
PixelRect adjustArea(const RasterImage& picture, const AdjustTarget& target);
// Makes `picture` a copy of `source` unless it already has its size. False when the
// target's weight does not fit the picture (the adjustment then does nothing).
bool prepareAdjust(const RasterImage& source, RasterImage& picture, const AdjustTarget& target);
// The old pixel with the new one blended in by weight 0..255. Alpha is kept: an edit of
// colours never turns transparent pixels visible.
uint32_t blendByWeight(uint32_t oldPixel, uint32_t newPixel, int weight, WeightBlend blend);

// Writes map(sourcePixel, x, y) into the picture for every pixel the target computes.
template <typename Map>
void mapPixels(const RasterImage& source, RasterImage& picture, const AdjustTarget& target,
               WeightBlend blend, Map&& map) {
    if (!prepareAdjust(source, picture, target)) return;
    const PixelRect r = adjustArea(source, target);
    const int step = std::max(1, target.step);
    for (int y = r.top; y < r.bottom; y += step) {
        const uint32_t* src = source.row(y).data();
        uint32_t* dst = picture.row(y).data();
        const uint32_t* w = target.weight ? target.weight->row(y).data() : nullptr;
        for (int x = r.left; x < r.right; x += step) {
            const uint32_t n = map(src[x], x, y);
            dst[x] = w ? blendByWeight(src[x], n, int(w[x] & 0xFF), blend) : n;
        }
    }
}

} // namespace zx
