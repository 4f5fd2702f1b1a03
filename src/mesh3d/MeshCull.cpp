#include "mesh3d/MeshCull.h"

#include "mesh3d/HeightMap.h"
#include "mesh3d/PointGrid.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace zx {

namespace {

int roundPixel(double v) {
    return v > 0 ? int(v + 0.5) : int(v - 0.49999);
}

constexpr double kNoSlope = 1e9;

// Whether any pixel the triangle filler would cover has the inside flag.
bool coversInsidePixel(const Vec3& a, const Vec3& b, const Vec3& c, const RasterImage& mask) {
    const Vec3* v[3] = {&a, &b, &c};
    // Sort by y: compare-and-swap 1-2, 1-3, 2-3, swapping only when strictly greater.
    if (v[0]->y > v[1]->y) std::swap(v[0], v[1]);
    if (v[0]->y > v[2]->y) std::swap(v[0], v[2]);
    if (v[1]->y > v[2]->y) std::swap(v[1], v[2]);
    for (const Vec3* p : v)
        if (!std::isfinite(p->x) || !std::isfinite(p->y) || std::fabs(p->x) > 1e7 ||
            std::fabs(p->y) > 1e7)
            return false;
    const int X0 = roundPixel(v[0]->x), Y0 = roundPixel(v[0]->y);
    const int X1 = roundPixel(v[1]->x), Y1 = roundPixel(v[1]->y);
    const int X2 = roundPixel(v[2]->x), Y2 = roundPixel(v[2]->y);
    const double s01 = Y1 != Y0 ? double(X1 - X0) / (Y1 - Y0) : kNoSlope;
    const double s02 = Y2 != Y0 ? double(X2 - X0) / (Y2 - Y0) : kNoSlope;
    const double s12 = Y2 != Y1 ? double(X2 - X1) / (Y2 - Y1) : kNoSlope;
    const int w = mask.width(), h = mask.height();
    for (int y = std::max(Y0, 0); y <= std::min(Y2, h - 1); ++y) {
        const int e = y - Y0;
        const int xa = s02 == kNoSlope ? X0 : X0 + int(e * s02);
        int xl, xr;
        if (e > Y1 - Y0) {
            const int xb = X1 + int((e - (Y1 - Y0)) * s12);
            xl = std::min(xa, xb);
            xr = std::max(xa, xb);
        } else if (s01 != kNoSlope) {
            const int xb = X0 + int(e * s01);
            xl = std::min(xa, xb);
            xr = std::max(xa, xb);
        } else {
            xl = std::min(X0, X1);
            xr = std::max(X0, X1);
            if (s02 == kNoSlope) {
                xl = std::min(xl, X2);
                xr = std::max(xr, X2);
            }
        }
        xl = std::max(xl, 0);
        xr = std::min(xr, w - 1);
        const auto row = mask.row(y);
        for (int x = xl; x <= xr; ++x)
            if (row[x] & kMaskInside) return true;
    }
    return false;
}

} // namespace

int cullTriangles(std::vector<MeshTriangle>& triangles, std::span<const Vec3> positions,
                  const RasterImage& mask) {
    int removed = 0;
    for (size_t k = triangles.size(); k-- > 0;) {
        const MeshTriangle& t = triangles[k];
        bool valid = true;
        for (int i = 0; i < 3; ++i)
            if (t.v[i] < 0 || size_t(t.v[i]) >= positions.size()) valid = false;
        if (valid &&
            coversInsidePixel(positions[t.v[0]], positions[t.v[1]], positions[t.v[2]], mask))
            continue;
        triangles.erase(triangles.begin() + long(k));
        ++removed;
    }
    return removed;
}

namespace {

// Even-odd point-in-polygon over many edges: the edges are bucketed by horizontal
// bands so that a query looks only at the edges crossing its band.
class EdgeBands {
public:
    EdgeBands(std::span<const Vec3> positions, const ContourList& contour) {
        for (const ContourRun& run : contourRuns(contour)) {
            if (!run.closed || run.indices.size() < 3) continue;
            for (size_t i = 0; i < run.indices.size(); ++i) {
                const int32_t a = run.indices[i], b = run.indices[(i + 1) % run.indices.size()];
                if (a < 0 || b < 0 || size_t(a) >= positions.size() ||
                    size_t(b) >= positions.size())
                    continue;
                segments_.push_back(
                    {positions[a].x, positions[a].y, positions[b].x, positions[b].y});
            }
        }
        if (segments_.empty()) return;
        minY_ = 1e300;
        double maxY = -1e300;
        for (const Segment& s : segments_) {
            minY_ = std::min({minY_, s.ay, s.by});
            maxY = std::max({maxY, s.ay, s.by});
        }
        bands_ = int(std::clamp<size_t>(segments_.size() / 2, 1, 4096));
        bandHeight_ = std::max((maxY - minY_) / bands_, 1e-9);
        buckets_.resize(size_t(bands_));
        for (size_t k = 0; k < segments_.size(); ++k) {
            const Segment& s = segments_[k];
            const int a = band(std::min(s.ay, s.by)), b = band(std::max(s.ay, s.by));
            for (int i = a; i <= b; ++i) buckets_[size_t(i)].push_back(uint32_t(k));
        }
    }
    bool empty() const { return segments_.empty(); }
    bool inside(double x, double y) const {
        if (segments_.empty()) return true;
        const int i = band(y);
        bool in = false;
        for (uint32_t k : buckets_[size_t(i)]) {
            const Segment& s = segments_[k];
            if ((s.ay > y) != (s.by > y)) {
                const double xc = s.ax + (y - s.ay) * (s.bx - s.ax) / (s.by - s.ay);
                if (x < xc) in = !in;
            }
        }
        return in;
    }

private:
    struct Segment {
        double ax, ay, bx, by;
    };
    int band(double y) const {
        const double b = std::floor((y - minY_) / bandHeight_);
        return b <= 0 ? 0 : b >= bands_ - 1 ? bands_ - 1 : int(b);
    }
    std::vector<Segment> segments_;
    std::vector<std::vector<uint32_t>> buckets_;
    double minY_ = 0, bandHeight_ = 1;
    int bands_ = 1;
};

} // namespace

int removeTrianglesOutsideContour(std::vector<MeshTriangle>& triangles,
                                  std::span<const Vec3> positions, const ContourList& contour) {
    EdgeBands bands(positions, contour);
    if (bands.empty()) return 0;
    const size_t before = triangles.size();
    std::erase_if(triangles, [&](const MeshTriangle& t) {
        for (int i = 0; i < 3; ++i)
            if (t.v[i] < 0 || size_t(t.v[i]) >= positions.size()) return true;
        const Vec3 &a = positions[t.v[0]], &b = positions[t.v[1]], &c = positions[t.v[2]];
        return !bands.inside((a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3);
    });
    return int(before - triangles.size());
}

namespace {
uint64_t pairKey(int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    return (uint64_t(uint32_t(a)) << 32) | uint32_t(b);
}
} // namespace

void markOuterEdges(std::vector<MeshEdge>& edges, std::span<const Vec3> positions,
                    const std::vector<MeshTriangle>& triangles, const RasterImage* mask,
                    OuterEdgeMode mode) {
    std::unordered_set<uint64_t> used;
    used.reserve(triangles.size() * 3);
    for (const MeshTriangle& t : triangles)
        for (int i = 0; i < 3; ++i) used.insert(pairKey(t.v[i], t.v[(i + 1) % 3]));
    for (MeshEdge& e : edges) {
        bool outer = !used.count(pairKey(e[EdgeField::Lower], e[EdgeField::Higher]));
        if (!outer && mode == OuterEdgeMode::Mask && mask) {
            const int32_t a = e[EdgeField::Lower], b = e[EdgeField::Higher];
            if (a < 0 || b < 0 || size_t(a) >= positions.size() || size_t(b) >= positions.size()) {
                outer = true;
            } else {
                const double mx = (positions[a].x + positions[b].x) / 2;
                const double my = (positions[a].y + positions[b].y) / 2;
                const double tx = std::trunc(mx), ty = std::trunc(my);
                outer = !(tx >= 0 && ty >= 0 && tx < mask->width() && ty < mask->height()) ||
                        !(mask->at(int(tx), int(ty)) & kMaskInside);
            }
        }
        e[EdgeField::Outer] = outer ? 1 : 0;
    }
}

ContourList delaunaySafeContour(const ContourList& contour, std::span<const Vec3> positions) {
    std::vector<double> xs(positions.size()), ys(positions.size());
    std::vector<uint8_t> valid(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        xs[i] = positions[i].x;
        ys[i] = positions[i].y;
        valid[i] = usablePoint(positions[i]);
    }
    PointGrid grid;
    grid.build(xs, ys, valid);
    auto safe = [&](int32_t a, int32_t b) {
        if (a < 0 || b < 0 || size_t(a) >= positions.size() || size_t(b) >= positions.size() ||
            !valid[a] || !valid[b])
            return false;
        const double mx = (xs[a] + xs[b]) / 2, my = (ys[a] + ys[b]) / 2;
        const double r2 =
            ((xs[b] - xs[a]) * (xs[b] - xs[a]) + (ys[b] - ys[a]) * (ys[b] - ys[a])) / 4;
        bool empty = true;
        grid.forEachNear(mx, my, std::sqrt(r2), [&](int32_t j) {
            if (!empty || j == a || j == b) return;
            const double dx = xs[j] - mx, dy = ys[j] - my;
            if (dx * dx + dy * dy < r2) empty = false;
        });
        return empty;
    };
    ContourList out;
    for (const ContourRun& run : contourRuns(contour)) {
        const size_t n = run.indices.size();
        const size_t edgesInRun = run.closed && n > 2 ? n : n - 1;
        std::vector<char> ok(edgesInRun);
        bool all = true;
        for (size_t i = 0; i < edgesInRun; ++i) {
            ok[i] = safe(run.indices[i], run.indices[(i + 1) % n]);
            all = all && ok[i];
        }
        if (all) {
            appendContourRun(out, run.indices, run.closed);
            continue;
        }
        // Keep the safe stretches as open runs.
        std::vector<int32_t> chain;
        for (size_t i = 0; i < edgesInRun; ++i) {
            if (!ok[i]) {
                if (chain.size() >= 2) appendContourRun(out, chain, false);
                chain.clear();
                continue;
            }
            if (chain.empty()) chain.push_back(run.indices[i]);
            chain.push_back(run.indices[(i + 1) % n]);
        }
        if (chain.size() >= 2) appendContourRun(out, chain, false);
    }
    return out;
}

} // namespace zx
