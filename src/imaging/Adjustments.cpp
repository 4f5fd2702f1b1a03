#include "imaging/Adjustments.h"

#include "imaging/AdjustPixels.h"
#include "imaging/ColourFilter.h"
#include "imaging/MagicBackgroundCleaner.h"

#include <cmath>

namespace zx {

namespace {
constexpr int kBalanceRadius = 2; // White Balance samples 5 x 5 pixels
constexpr double kHueUnit = 1.8;
constexpr double kSaturationUnit = 0.01;
constexpr double kIntensityUnit = 2.55;
constexpr double kBlurSigmaUnit = 0.08;
constexpr double kBlurWidth = 4 * 2.35482;
// Sharpen: the 5-tap box and how much of it is taken away at full strength.
constexpr int32_t kSharpenTap = 13107;
constexpr int kSharpenShare = 70;
// Blur/Sharpen limited to the selection changes pixels of at least this weight.
constexpr int kSelectedWeight = 128;

int stretch(int c, const ChannelStatistics& s) {
    return clampChannel((c - s.low) * 255 / s.range);
}

int roundHalfAway(double v) {
    return int(v < 0 ? v - 0.5 : v + 0.5);
}

uint32_t fromHsv(double hue, double saturation, double value, int alpha) {
    const double c = value * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const double m = value - c;
    double r = 0, g = 0, b = 0;
    switch (int(h)) {
    case 0:
        r = c, g = x;
        break;
    case 1:
        r = x, g = c;
        break;
    case 2:
        g = c, b = x;
        break;
    case 3:
        g = x, b = c;
        break;
    case 4:
        r = x, b = c;
        break;
    default:
        r = c, b = x;
        break;
    }
    return makePixel(alpha, roundHalfAway(r + m), roundHalfAway(g + m), roundHalfAway(b + m));
}

bool weighsIn(const AdjustTarget& target, int x, int y) {
    return !target.weight || int(target.weight->at(x, y) & 0xFF) >= kSelectedWeight;
}
} // namespace

void autoLevels(const RasterImage& source, RasterImage& picture, const PictureStatistics& stats,
                const AdjustTarget& target) {
    const auto& r = stats[StatChannel::Red];
    const auto& g = stats[StatChannel::Green];
    const auto& b = stats[StatChannel::Blue];
    mapPixels(source, picture, target, WeightBlend::OneClick, [&](uint32_t p, int, int) {
        return makePixel(alphaOf(p), stretch(redOf(p), r), stretch(greenOf(p), g),
                         stretch(blueOf(p), b));
    });
}

void autoContrast(const RasterImage& source, RasterImage& picture, const PictureStatistics& stats,
                  const AdjustTarget& target) {
    const auto& l = stats[StatChannel::Luminance];
    mapPixels(source, picture, target, WeightBlend::OneClick, [&](uint32_t p, int, int) {
        return makePixel(alphaOf(p), stretch(redOf(p), l), stretch(greenOf(p), l),
                         stretch(blueOf(p), l));
    });
}

std::optional<std::array<int, 3>> whiteBalanceShift(const RasterImage& picture, int x, int y) {
    const int n = kBalanceRadius;
    if (x < n || y < n || x + n >= picture.width() || y + n >= picture.height()) return {};
    std::array<int, 3> sums{};
    for (int sy = y - n; sy <= y + n; ++sy)
        for (int sx = x - n; sx <= x + n; ++sx) {
            const uint32_t p = picture.at(sx, sy);
            if (alphaOf(p) == 0) return {};
            sums[0] += redOf(p), sums[1] += greenOf(p), sums[2] += blueOf(p);
        }
    const int count = (2 * n + 1) * (2 * n + 1);
    for (int& s : sums) s /= count;
    const int m = std::min({sums[0], sums[1], sums[2]});
    return std::array<int, 3>{m - sums[0], m - sums[1], m - sums[2]};
}

void whiteBalance(const RasterImage& source, RasterImage& picture, const std::array<int, 3>& shift,
                  const AdjustTarget& target) {
    mapPixels(source, picture, target, WeightBlend::OneClick, [&](uint32_t p, int, int) {
        return makePixel(alphaOf(p), redOf(p) + shift[0], greenOf(p) + shift[1],
                         blueOf(p) + shift[2]);
    });
}

void brightnessContrast(const RasterImage& source, RasterImage& picture, int brightness,
                        int contrast, int pivot, const AdjustTarget& target) {
    const auto channel = [&](int c) {
        return clampChannel(pivot + (c - pivot) * (contrast + 100) / 100 + brightness);
    };
    mapPixels(source, picture, target, WeightBlend::Dialog, [&](uint32_t p, int, int) {
        return makePixel(alphaOf(p), channel(redOf(p)), channel(greenOf(p)), channel(blueOf(p)));
    });
}

void colorBalance(const RasterImage& source, RasterImage& picture, int red, int green, int blue,
                  const AdjustTarget& target) {
    mapPixels(source, picture, target, WeightBlend::Dialog, [&](uint32_t p, int, int) {
        return makePixel(alphaOf(p), redOf(p) + red, greenOf(p) + green, blueOf(p) + blue);
    });
}

void hueSaturation(const RasterImage& source, RasterImage& picture, int hue, int saturation,
                   int intensity, const AdjustTarget& target) {
    if (hue == 0 && saturation == 0 && intensity == 0) {
        mapPixels(source, picture, target, WeightBlend::Dialog,
                  [](uint32_t p, int, int) { return p; });
        return;
    }
    mapPixels(source, picture, target, WeightBlend::Dialog, [&](uint32_t p, int, int) {
        const ColourHsv c = toHsv(p);
        double h = std::fmod(c.hue + hue * kHueUnit, 360.0);
        if (h < 0) h += 360;
        const double s = std::clamp(c.saturation + saturation * kSaturationUnit, 0.0, 1.0);
        const double v = std::clamp(c.value + intensity * kIntensityUnit, 0.0, 255.0);
        return fromHsv(h, s, v, alphaOf(p));
    });
}

std::array<int32_t, 9> blurKernel(int s) {
    const double x = std::max(1, -s) * kBlurSigmaUnit;
    std::array<double, 9> w{};
    double sum = 0;
    for (int k = 0; k < 9; ++k) {
        const double t = kBlurWidth / x * (2 * k - 8) / 9;
        sum += w[size_t(k)] = std::exp(-0.5 * t * t);
    }
    std::array<int32_t, 9> taps{};
    for (size_t k = 0; k < 9; ++k) taps[k] = roundHalfAway(w[k] / sum * 65536);
    return taps;
}

namespace {
void blur(const RasterImage& source, RasterImage& picture, int s, const AdjustTarget& target) {
    const auto taps = blurKernel(s);
    filterColours(source, taps, adjustArea(source, target), target.step,
                  [&](int x, int y, int r, int g, int b) {
                      if (weighsIn(target, x, y))
                          picture.at(x, y) = makePixel(alphaOf(source.at(x, y)), r, g, b);
                  });
}

void sharpen(const RasterImage& source, RasterImage& picture, int s, const AdjustTarget& target) {
    const std::array<int32_t, 5> box{kSharpenTap, kSharpenTap, kSharpenTap, kSharpenTap,
                                     kSharpenTap};
    const double u = s * kSharpenShare / 100;
    const double f = 100 / (100 - u);
    const auto channel = [&](int c, int blurred) {
        return clampChannel(roundHalfAway(f * (c - blurred * u / 100)));
    };
    filterColours(source, box, adjustArea(source, target), target.step,
                  [&](int x, int y, int r, int g, int b) {
                      if (!weighsIn(target, x, y)) return;
                      const uint32_t p = source.at(x, y);
                      picture.at(x, y) = makePixel(alphaOf(p), channel(redOf(p), r),
                                                   channel(greenOf(p), g), channel(blueOf(p), b));
                  });
}
} // namespace

void blurSharpen(const RasterImage& source, RasterImage& picture, int s,
                 const AdjustTarget& target) {
    if (!prepareAdjust(source, picture, target)) return;
    s = std::clamp(s, kAdjustMin, kAdjustMax);
    if (s == 0)
        picture = source;
    else if (s < 0)
        blur(source, picture, s, target);
    else
        sharpen(source, picture, s, target);
}

// ---- the shared frame ---------------------------------------------------------------

PixelRect adjustArea(const RasterImage& picture, const AdjustTarget& target) {
    PixelRect r{0, 0, picture.width(), picture.height()};
    if (!target.area) return r;
    r.left = std::max(r.left, target.area->left);
    r.top = std::max(r.top, target.area->top);
    r.right = std::min(r.right, target.area->right);
    r.bottom = std::min(r.bottom, target.area->bottom);
    return r;
}

bool prepareAdjust(const RasterImage& source, RasterImage& picture, const AdjustTarget& target) {
    if (picture.width() != source.width() || picture.height() != source.height()) picture = source;
    return !target.weight ||
           (target.weight->width() == source.width() && target.weight->height() == source.height());
}

uint32_t blendByWeight(uint32_t o, uint32_t n, int weight, WeightBlend blend) {
    const int a = alphaOf(o);
    if (blend == WeightBlend::OneClick) {
        const int w = weight * a / 255;
        if (w == 255) return withAlpha(n, a);
        const auto mix = [w](int oc, int nc) { return oc * (255 - w) / 255 + nc * w / 255; };
        return makePixel(a, mix(redOf(o), redOf(n)), mix(greenOf(o), greenOf(n)),
                         mix(blueOf(o), blueOf(n)));
    }
    const int d = weight * a / 255;
    const int e = (255 - d) * a / 255;
    const int f = d + e;
    if (f == 0) return o;
    const auto mix = [d, e, f](int oc, int nc) { return (nc * d + oc * e) / f; };
    return makePixel(a, mix(redOf(o), redOf(n)), mix(greenOf(o), greenOf(n)),
                     mix(blueOf(o), blueOf(n)));
}

} // namespace zx
