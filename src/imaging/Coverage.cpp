#include "imaging/Coverage.h"

#include "imaging/PixelChannels.h"

#include <algorithm>

namespace zx {

namespace {
// Far enough outside any picture; keeps the area's arithmetic clear of overflow.
constexpr int kFarAway = 1 << 28;
} // namespace

Coverage Coverage::blank(PixelRect area) {
    if (area.empty()) area = {};
    Coverage c;
    c.area = area;
    c.weights.assign(std::size_t(area.width()) * std::size_t(area.height()), 0);
    return c;
}

Coverage Coverage::fromAlpha(const RasterImage& drawn, int left, int top) {
    if (drawn.empty() || drawn.isDescriptor()) return blank({});
    left = std::clamp(left, -kFarAway, kFarAway);
    top = std::clamp(top, -kFarAway, kFarAway);
    Coverage c = blank({left, top, left + drawn.width(), top + drawn.height()});
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            c.at(left + x, top + y) = uint8_t(alphaOf(drawn.at(x, y)));
    return c;
}

} // namespace zx
