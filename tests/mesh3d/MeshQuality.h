#pragma once
// Measures of a region's mesh used by the mesh tests: overlap of triangles, their
// orientation, and how well they cover the region's pixels.

#include "anim/AnimObject.h"
#include "storage/RasterImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zx::test {

struct MeshQualityReport {
    int triangles = 0;
    int inverted = 0;             // triangles turning against the others
    double areaSum = 0;           // sum of the triangle areas
    double overlapArea = 0;       // area covered more than once (estimated by sampling)
    long long interiorPixels = 0; // region pixels off the one-pixel border band
    long long uncovered = 0;      // of those, pixels whose centre no triangle holds
    double uncoveredShare() const {
        return interiorPixels ? double(uncovered) / double(interiorPixels) : 0;
    }
    double overlapShare() const { return areaSum > 0 ? overlapArea / areaSum : 0; }
};

inline double cross2(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

// `region` holds the inside flag 0x200 at image size.
inline MeshQualityReport measureMesh(const AnimObject& o, const RasterImage& region) {
    MeshQualityReport r;
    r.triangles = int(o.triangles.size());
    const int w = region.width(), h = region.height();
    // Samples on a fine grid offset by odd fractions, so that none falls on a shared
    // edge through pixel-aligned vertices.
    const int sub = 4;
    const double cell = 1.0 / sub;
    std::vector<uint8_t> hits(size_t(w + 2) * sub * size_t(h + 2) * sub, 0);
    std::vector<uint8_t> covered(size_t(w) * size_t(h), 0);
    int positive = 0, negative = 0;
    for (const auto& t : o.triangles) {
        const Vec3 &a = o.points[t.v[0]].texture, &b = o.points[t.v[1]].texture,
                   &c = o.points[t.v[2]].texture;
        const double s = cross2(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
        (s > 0 ? positive : negative)++;
        r.areaSum += std::fabs(s) / 2;
    }
    const bool negativeWins = negative >= positive;
    for (const auto& t : o.triangles) {
        const Vec3 &a = o.points[t.v[0]].texture, &b = o.points[t.v[1]].texture,
                   &c = o.points[t.v[2]].texture;
        const double s = cross2(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
        if ((s > 0) == negativeWins && s != 0) ++r.inverted;
        const double sign = s < 0 ? -1 : 1;
        auto insideTri = [&](double x, double y, double eps) {
            const double e0 = sign * cross2(b.x - a.x, b.y - a.y, x - a.x, y - a.y);
            const double e1 = sign * cross2(c.x - b.x, c.y - b.y, x - b.x, y - b.y);
            const double e2 = sign * cross2(a.x - c.x, a.y - c.y, x - c.x, y - c.y);
            return e0 >= -eps && e1 >= -eps && e2 >= -eps;
        };
        const double minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
        const double minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
        const int sx0 = std::max(0, int(std::floor((minX + 1) * sub))),
                  sx1 = std::min((w + 2) * sub - 1, int(std::ceil((maxX + 1) * sub)));
        const int sy0 = std::max(0, int(std::floor((minY + 1) * sub))),
                  sy1 = std::min((h + 2) * sub - 1, int(std::ceil((maxY + 1) * sub)));
        for (int sy = sy0; sy <= sy1; ++sy)
            for (int sx = sx0; sx <= sx1; ++sx) {
                const double x = sx * cell - 1 + 0.1234567, y = sy * cell - 1 + 0.0765432;
                if (insideTri(x, y, 0)) {
                    uint8_t& k = hits[size_t(sy) * size_t((w + 2) * sub) + size_t(sx)];
                    if (k < 255) ++k;
                }
            }
        for (int y = std::max(0, int(std::floor(minY))); y <= std::min(h - 1, int(std::ceil(maxY)));
             ++y)
            for (int x = std::max(0, int(std::floor(minX)));
                 x <= std::min(w - 1, int(std::ceil(maxX))); ++x)
                if (insideTri(x, y, 1e-6 * std::max(1.0, std::fabs(s))))
                    covered[size_t(y) * w + x] = 1;
    }
    for (uint8_t k : hits)
        if (k > 1) r.overlapArea += (k - 1) * cell * cell;
    auto in = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && (region.at(x, y) & 0x200);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!in(x, y)) continue;
            bool band = false;
            for (int dy = -1; dy <= 1 && !band; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (!in(x + dx, y + dy)) band = true;
            if (band) continue;
            ++r.interiorPixels;
            if (!covered[size_t(y) * w + x]) ++r.uncovered;
        }
    return r;
}

// Synthetic region masks (flag 0x200 | 0xFF inside).
inline RasterImage discMask(int w, int h, double cx, double cy, double radius, double hole = 0) {
    RasterImage m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (d <= radius && d >= hole) m.at(x, y) = 0x2FF;
        }
    return m;
}

inline RasterImage rectMask(int w, int h, int l, int t, int r, int b, RasterImage m = {}) {
    if (m.empty()) m = RasterImage(w, h);
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) m.at(x, y) = 0x2FF;
    return m;
}

} // namespace zx::test
