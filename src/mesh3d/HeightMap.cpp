#include "mesh3d/HeightMap.h"

#include <algorithm>
#include <cmath>

namespace zx {

std::optional<PixelRect> insideBounds(const RasterImage& mask) {
    if (mask.isDescriptor() || mask.empty()) return std::nullopt;
    int x0 = mask.width(), y0 = mask.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (mask.at(x, y) & kMaskInside) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    if (x1 < 0) return std::nullopt;
    return PixelRect{x0, y0, x1 + 1, y1 + 1};
}

namespace {

constexpr float kNotReached = 10000.0f;

struct Sweep {
    const RasterImage& mask;
    HeightMap& map;
    double dx, dy;

    bool inImage(double x, double y) const {
        return x >= 0 && y >= 0 && x < map.width && y < map.height;
    }
    bool inside(double x, double y) const { return (mask.at(int(x), int(y)) & kMaskInside) != 0; }

    // Walks one line from (sx, sy); every run of inside pixels is a chord whose
    // half circle bounds the heights of its pixels. Positions are computed from the
    // step count so that fractional steps do not drift.
    void line(double sx, double sy) const {
        const double stepLength = std::sqrt(dx * dx + dy * dy);
        long k = 0;
        for (;;) {
            double x = sx + double(k) * dx, y = sy + double(k) * dy;
            if (!inImage(x, y)) return;
            if (!inside(x, y)) {
                ++k;
                continue;
            }
            const long first = k;
            long end = k + 1;
            for (;; ++end) {
                double ex = sx + double(end) * dx, ey = sy + double(end) * dy;
                if (!inImage(ex, ey) || !inside(ex, ey)) break;
            }
            const double r = double(end - first) * stepLength / 2.0;
            const double mid = double(first + end) / 2.0;
            for (long j = first; j < end; ++j) {
                double d = (double(j) - mid) * stepLength;
                float candidate = float(std::sqrt(std::max(0.0, r * r - d * d)));
                float& h = map.at(int(sx + double(j) * dx), int(sy + double(j) * dy));
                h = std::min(h, candidate);
            }
            double qx = sx + double(end) * dx, qy = sy + double(end) * dy;
            if (!inImage(qx, qy)) return;
            map.at(int(qx), int(qy)) = 0.0f;
            k = end + 1;
        }
    }

    // Lines starting on every column of the top row (left to right, or right to
    // left), then on the rows of one side column below the top row.
    void topThenSide(bool rightToLeft, bool rightColumn) const {
        const int w = map.width, h = map.height;
        for (int i = 0; i < w; ++i) line(rightToLeft ? w - 1 - i : i, 0);
        const int column = rightColumn ? w - 1 : 0;
        for (int y = 1; y < h; ++y) line(column, y);
    }
};

} // namespace

HeightMap buildHeightMap(const RasterImage& mask) {
    HeightMap map;
    if (mask.isDescriptor() || mask.empty()) return map;
    map.width = mask.width();
    map.height = mask.height();
    map.values.assign(size_t(map.width) * size_t(map.height), kNotReached);

    const int w = map.width, h = map.height;
    Sweep rows{mask, map, 1, 0};
    for (int y = 0; y < h; ++y) rows.line(0, y);
    Sweep columns{mask, map, 0, 1};
    for (int x = 0; x < w; ++x) columns.line(x, 0);
    Sweep{mask, map, -1, 1}.topThenSide(false, true);
    Sweep{mask, map, 1, 1}.topThenSide(true, false);
    Sweep{mask, map, -0.5, 1}.topThenSide(false, true);
    Sweep{mask, map, -1, 0.5}.topThenSide(false, true);
    Sweep{mask, map, 1, 0.5}.topThenSide(true, false);
    Sweep{mask, map, 0.5, 1}.topThenSide(true, false);

    for (float& v : map.values)
        if (v >= kNotReached) v = 0.0f;
    return map;
}

bool sampleHeight(const HeightMap& map, double x, double y, double& z) {
    // Far-off or non-finite points would overflow the conversion to int.
    if (!(x > -2.0 && y > -2.0 && x < double(map.width) + 1 && y < double(map.height) + 1))
        return false;
    const int i = int(x), j = int(y); // truncation, as the rest of the mesh code
    const int w = map.width, h = map.height;
    if (i >= 1 && i < w - 1 && j > 0 && j < h - 1) {
        const double fx = x - i, fy = y - j;
        const double h00 = map.at(i, j), h10 = map.at(i + 1, j);
        const double h01 = map.at(i, j + 1), h11 = map.at(i + 1, j + 1);
        z = h00 + fx * (h10 - h00) + fy * ((h01 - h00) + fx * (h11 + h00 - h10 - h01));
        return true;
    }
    if (i >= 0 && j >= 0 && i < w && j < h) {
        z = map.at(i, j);
        return true;
    }
    return false;
}

} // namespace zx
