#include "imaging/PictureStatistics.h"

#include "imaging/MaskLayer.h"
#include "imaging/PixelChannels.h"

#include <cmath>

namespace zx {

namespace {
constexpr double kSqrt3 = 1.7320508075688772;
// A level is where the running count passes this share of the pixels (at least 10).
constexpr long long kLevelShare = 10000;
constexpr long long kLevelMinimum = 10;

void findLevels(ChannelStatistics& c, long long pixelCount) {
    const long long threshold = std::max(kLevelMinimum, pixelCount / kLevelShare);
    int low = -1, high = -1;
    long long sum = 0;
    for (int i = 0; i < 256 && low < 0; ++i)
        if ((sum += c.histogram[size_t(i)]) > threshold) low = i;
    sum = 0;
    for (int i = 255; i >= 0 && high < 0; --i)
        if ((sum += c.histogram[size_t(i)]) > threshold) high = i;
    // Too few pixels to tell: the full range, which stretches nothing.
    if (low < 0 || high < 0) low = 0, high = 255;
    c.low = low;
    c.range = std::max(1, high - low);
}
} // namespace

int luminanceOf(uint32_t p) {
    const int r = redOf(p), g = greenOf(p), b = blueOf(p);
    return int(std::floor(std::sqrt(double(r * r + g * g + b * b)) / kSqrt3));
}

PictureStatistics pictureStatistics(const RasterImage& picture, const RasterImage* mask) {
    PictureStatistics s;
    if (mask && (mask->width() != picture.width() || mask->height() != picture.height())) return s;
    std::array<long long, 3> sums{};
    const uint32_t* m = mask ? mask->pixels() : nullptr;
    const uint32_t* px = picture.pixels();
    for (size_t i = 0; i < picture.pixelCount(); ++i) {
        const uint32_t p = px[i];
        if (alphaOf(p) == 0 || (m && !isSelectedWord(m[i]))) continue;
        const int r = redOf(p), g = greenOf(p), b = blueOf(p);
        ++s.channels[0].histogram[size_t(luminanceOf(p))];
        ++s.channels[1].histogram[size_t(r)];
        ++s.channels[2].histogram[size_t(g)];
        ++s.channels[3].histogram[size_t(b)];
        sums[0] += r, sums[1] += g, sums[2] += b;
        ++s.pixelCount;
    }
    if (s.pixelCount > 0)
        for (size_t c = 0; c < 3; ++c) s.means[c] = int(sums[c] / s.pixelCount);
    for (auto& c : s.channels) findLevels(c, s.pixelCount);
    return s;
}

} // namespace zx
