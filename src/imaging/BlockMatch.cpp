#include "imaging/BlockMatch.h"

#include "imaging/PixelChannels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace zx {

namespace {

// Brightness in 0..255 with the pixel's alpha applied.
int brightness(uint32_t p) {
    return (redOf(p) * 77 + greenOf(p) * 150 + blueOf(p) * 29) * alphaOf(p) / (256 * 255);
}

std::vector<int> brightnessOf(const RasterImage& picture) {
    std::vector<int> out(picture.pixelCount());
    for (size_t i = 0; i < out.size(); ++i) out[i] = brightness(picture.pixelVector()[i]);
    return out;
}

struct Plane {
    std::vector<int> values;
    int width = 0, height = 0;
    int at(int x, int y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
};

bool patchFits(const Plane& p, int x, int y, int half) {
    return x - half >= 0 && y - half >= 0 && x + half < p.width && y + half < p.height;
}

double squaredDifference(const Plane& a, int ax, int ay, const Plane& b, int bx, int by, int half) {
    double sum = 0;
    for (int dy = -half; dy <= half; ++dy)
        for (int dx = -half; dx <= half; ++dx) {
            const int d = a.at(ax + dx, ay + dy) - b.at(bx + dx, by + dy);
            sum += double(d) * d;
        }
    return sum;
}

// The offset of the parabola's lowest point through three sums around the middle one,
// within half a pixel.
double parabolaOffset(double before, double middle, double after) {
    const double curve = before - 2 * middle + after;
    if (curve <= 0) return 0;
    return std::clamp(0.5 * (before - after) / curve, -0.5, 0.5);
}

} // namespace

std::optional<PointF> matchBlock(const RasterImage& picture, int x, int y,
                                 const RasterImage& reference, const BlockSearch& search) {
    const Plane a{brightnessOf(picture), picture.width(), picture.height()};
    const Plane b{brightnessOf(reference), reference.width(), reference.height()};
    const int r = search.radius, half = search.half;
    if (!patchFits(a, x, y, half)) return std::nullopt;
    const int side = 2 * r + 1;
    const double none = std::numeric_limits<double>::infinity();
    std::vector<double> sums(size_t(side) * size_t(side), none);
    auto sumAt = [&](int dx, int dy) {
        return sums[size_t(dy + r) * size_t(side) + size_t(dx + r)];
    };
    int bestX = 0, bestY = 0;
    double best = none;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            if (!patchFits(b, x + dx, y + dy, half)) continue;
            const double s = squaredDifference(a, x, y, b, x + dx, y + dy, half);
            sums[size_t(dy + r) * size_t(side) + size_t(dx + r)] = s;
            // Ties go to the smallest move, so a flat patch stays where it is.
            if (s < best ||
                (s == best && std::abs(dx) + std::abs(dy) < std::abs(bestX) + std::abs(bestY)))
                best = s, bestX = dx, bestY = dy;
        }
    if (best == none) return std::nullopt;
    auto refine = [&](int ex, int ey) {
        const int bx = bestX - ex, by = bestY - ey, ax = bestX + ex, ay = bestY + ey;
        if (std::abs(bx) > r || std::abs(by) > r || std::abs(ax) > r || std::abs(ay) > r)
            return 0.0;
        const double before = sumAt(bx, by), after = sumAt(ax, ay);
        if (before == none || after == none) return 0.0;
        return parabolaOffset(before, best, after);
    };
    return PointF{x + bestX + 0.5 + refine(1, 0), y + bestY + 0.5 + refine(0, 1)};
}

} // namespace zx
