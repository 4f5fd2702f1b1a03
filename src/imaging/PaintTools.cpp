#include "imaging/PaintTools.h"

#include "imaging/MaskLayer.h"
#include "imaging/PixelChannels.h"

#include <cmath>
#include <vector>

namespace zx {

namespace {
constexpr int64_t kFlowScale = 100;
constexpr double kBrushScale = 6553600.0; // kernel weight × flow at full strength

// Calls f(x, y, weight) for each kernel cell of non-zero weight inside the picture.
template <typename F> void forDab(const RasterImage& picture, const Dab& d, F&& f) {
    const int c = d.kernel.centre();
    for (int row = 0; row < d.kernel.n; ++row) {
        const int y = d.y + row - c;
        if (y < 0 || y >= picture.height()) continue;
        for (int col = 0; col < d.kernel.n; ++col) {
            const int x = d.x + col - c;
            const int32_t k = d.kernel.at(col, row);
            if (x >= 0 && x < picture.width() && k > 0) f(x, y, k);
        }
    }
}

int scaleDown(int value, int32_t k, int flow) {
    return int((int64_t(value) * (kFullWeight - int64_t(k) * flow / kFlowScale)) >> 16);
}

bool sameSize(const RasterImage& a, const RasterImage& b) {
    return a.width() == b.width() && a.height() == b.height();
}

int roundHalfAway(double v) {
    return int(v < 0 ? v - 0.5 : v + 0.5);
}

int sumOf(uint32_t p) {
    return redOf(p) + greenOf(p) + blueOf(p);
}

bool modeAllows(BrushMode mode, uint32_t p, const PaintColour& c) {
    const int paint = c.red() + c.green() + c.blue();
    if (mode == BrushMode::Lighten) return sumOf(p) < paint;
    if (mode == BrushMode::Darken) return sumOf(p) > paint;
    return true;
}
} // namespace

PaintColour PaintColour::rgb(int red, int green, int blue) {
    return {uint32_t(clampChannel(red)) | uint32_t(clampChannel(green)) << 8 |
            uint32_t(clampChannel(blue)) << 16};
}

uint32_t PaintColour::pixel() const {
    return makePixel(255, red(), green(), blue());
}

std::string PaintColour::text() const {
    return std::to_string(red()) + "," + std::to_string(green()) + "," + std::to_string(blue());
}

void eraseDab(RasterImage& picture, const Dab& d) {
    forDab(picture, d, [&](int x, int y, int32_t k) {
        uint32_t& p = picture.at(x, y);
        p = withAlpha(p, scaleDown(alphaOf(p), k, d.flow));
    });
}

void eraseMaskDab(RasterImage& mask, const Dab& d) {
    forDab(mask, d, [&](int x, int y, int32_t k) {
        uint32_t& m = mask.at(x, y);
        m = (m & ~MaskBit::Value) | uint32_t(scaleDown(int(maskValue(m)), k, d.flow));
    });
}

void revealDab(RasterImage& mask, const Dab& d) {
    forDab(mask, d, [&](int x, int y, int32_t k) {
        uint32_t& m = mask.at(x, y);
        const int64_t v = std::min<int64_t>(255, maskValue(m) + int64_t(k) * d.flow / 25600);
        m = (m & ~MaskBit::Value) | uint32_t(v);
    });
}

namespace {
// One pixel under the brush at strength v (0..1).
void brushPixel(uint32_t& p, uint32_t& m, double v, PaintColour colour, BrushMode mode,
                bool subjectMask) {
    const int alpha = alphaOf(p);
    uint32_t painted = p;
    if (alpha == 0)
        painted = colour.pixel();
    else if (modeAllows(mode, p, colour)) {
        const auto mix = [v](int c, int paint) { return int((1 - v) * c + v * paint); };
        painted = makePixel(alpha, mix(redOf(p), colour.red()), mix(greenOf(p), colour.green()),
                            mix(blueOf(p), colour.blue()));
    }
    if (!subjectMask) {
        p = withAlpha(painted, std::min(255, alpha + int(v * 255)));
        return;
    }
    p = withAlpha(painted, 255);
    const int shown = std::min(255, int(maskValue(m)) * alpha / 255 + int(v * 255));
    m = (m & ~MaskBit::Value) | uint32_t(shown);
}
} // namespace

void brushDab(RasterImage& picture, RasterImage& mask, const Dab& d, PaintColour colour,
              BrushMode mode, bool subjectMask) {
    if (!sameSize(picture, mask)) return;
    forDab(picture, d, [&](int x, int y, int32_t k) {
        uint32_t& m = mask.at(x, y);
        if (isSelectedWord(m))
            brushPixel(picture.at(x, y), m, double(k) * d.flow / kBrushScale, colour, mode,
                       subjectMask);
    });
}

PixelRect paintCoverage(RasterImage& picture, RasterImage& mask, const Coverage& coverage,
                        PaintColour colour, bool subjectMask) {
    if (!sameSize(picture, mask)) return {};
    const PixelRect& a = coverage.area;
    const PixelRect r{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, picture.width()),
                      std::min(a.bottom, picture.height())};
    PixelRect changed;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const int w = coverage.at(x, y);
            uint32_t& m = mask.at(x, y);
            if (w == 0 || !isSelectedWord(m)) continue;
            brushPixel(picture.at(x, y), m, w / 255.0, colour, BrushMode::Normal, subjectMask);
            changed = changed.empty() ? PixelRect{x, y, x + 1, y + 1}
                                      : PixelRect{std::min(changed.left, x), changed.top,
                                                  std::max(changed.right, x + 1), y + 1};
        }
    return changed;
}

void blurDab(RasterImage& picture, const RasterImage& mask, const Dab& d, bool subjectMask) {
    if (!sameSize(picture, mask)) return;
    const RasterImage before = picture; // every mean reads the pixels as they were
    const int w = picture.width(), h = picture.height();
    forDab(picture, d, [&](int x, int y, int32_t k) {
        const uint32_t m = mask.at(x, y);
        uint32_t& p = picture.at(x, y);
        if (!isSelectedWord(m) || (subjectMask && maskValue(m) == 0) || alphaOf(p) == 0) return;
        int sums[3] = {0, 0, 0};
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const uint32_t s =
                    before.at(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
                sums[0] += redOf(s), sums[1] += greenOf(s), sums[2] += blueOf(s);
            }
        const double v = double(k) * d.flow / kBrushScale;
        const auto mix = [v](int c, int sum) {
            return roundHalfAway(v * ((sum + 3) / 9) + (1 - v) * c);
        };
        p = makePixel(alphaOf(p), mix(redOf(p), sums[0]), mix(greenOf(p), sums[1]),
                      mix(blueOf(p), sums[2]));
    });
}

namespace {
// Whether a pixel joins the bucket's flood started on `start`.
bool bucketJoins(uint32_t p, uint32_t start, int tolerance) {
    if (tolerance >= 100) return true;
    const int t = tolerance * 255 / 100;
    if (alphaOf(start) == 0) return alphaOf(p) < t;
    return 255 - alphaOf(p) <= t && std::abs(redOf(p) - redOf(start)) <= t &&
           std::abs(greenOf(p) - greenOf(start)) <= t && std::abs(blueOf(p) - blueOf(start)) <= t;
}
} // namespace

long long bucketFill(RasterImage& picture, const RasterImage& mask, int x, int y, int tolerance,
                     PaintColour colour) {
    if (!sameSize(picture, mask) || !inside(picture, x, y) || !isSelectedWord(mask.at(x, y)))
        return 0;
    const int w = picture.width(), h = picture.height();
    const uint32_t start = picture.at(x, y);
    std::vector<char> seen(size_t(w) * size_t(h), 0);
    const auto joins = [&](int px, int py) {
        const size_t i = size_t(py) * size_t(w) + size_t(px);
        return !seen[i] && isSelectedWord(mask.at(px, py)) &&
               bucketJoins(picture.at(px, py), start, tolerance);
    };
    long long filled = 0;
    std::vector<std::pair<int, int>> seeds{{x, y}};
    while (!seeds.empty()) { // row by row: each seed fills its whole run
        auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!joins(sx, sy)) continue;
        int left = sx, right = sx;
        while (left > 0 && joins(left - 1, sy)) --left;
        while (right + 1 < w && joins(right + 1, sy)) ++right;
        for (int px = left; px <= right; ++px) {
            seen[size_t(sy) * size_t(w) + size_t(px)] = 1;
            picture.at(px, sy) = colour.pixel();
            ++filled;
            for (int ny : {sy - 1, sy + 1})
                if (ny >= 0 && ny < h && joins(px, ny)) seeds.emplace_back(px, ny);
        }
    }
    return filled;
}

PaintColour pickColour(const RasterImage& picture, int x, int y, int sampleSize) {
    const int r = std::clamp(sampleSize, 1, 5) / 2;
    int sums[3] = {0, 0, 0}, count = 0;
    for (int sy = y - r; sy <= y + r; ++sy)
        for (int sx = x - r; sx <= x + r; ++sx) {
            if (!inside(picture, sx, sy)) continue;
            const uint32_t p = picture.at(sx, sy);
            sums[0] += redOf(p), sums[1] += greenOf(p), sums[2] += blueOf(p);
            ++count;
        }
    if (count == 0) return {};
    return PaintColour::rgb(sums[0] / count, sums[1] / count, sums[2] / count);
}

} // namespace zx
