#include "mesh3d/RegionOutline.h"

#include "mesh3d/HeightMap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace zx {

namespace {

// Crack directions between pixel corners, clockwise on screen: E, S, W, N.
constexpr int kCx[4] = {1, 0, -1, 0};
constexpr int kCy[4] = {0, 1, 0, -1};

struct CrackGrid {
    int left = 0, top = 0, width = 0, height = 0; // corner grid over the region's box
    std::vector<uint8_t> corners; // bits 0-3: outgoing crack per direction; 4-7: visited

    size_t index(int cx, int cy) const {
        return size_t(cy - top) * size_t(width) + size_t(cx - left);
    }
    void add(int cx, int cy, int dir) { corners[index(cx, cy)] |= uint8_t(1 << dir); }
};

bool insideAt(const RasterImage& mask, int x, int y) {
    return x >= 0 && y >= 0 && x < mask.width() && y < mask.height() &&
           (mask.at(x, y) & kMaskInside);
}

} // namespace

std::vector<OutlineLoop> traceRegionOutlines(const RasterImage& mask) {
    std::vector<OutlineLoop> loops;
    const std::optional<PixelRect> box = insideBounds(mask);
    if (!box) return loops;
    const int x0 = box->left, y0 = box->top, x1 = box->right - 1, y1 = box->bottom - 1;

    CrackGrid g;
    g.left = x0;
    g.top = y0;
    g.width = x1 - x0 + 2;
    g.height = y1 - y0 + 2;
    g.corners.assign(size_t(g.width) * size_t(g.height), 0);
    size_t cracks = 0;
    // Each crack keeps the inside pixel on its left as seen on screen.
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (!insideAt(mask, x, y)) continue;
            if (!insideAt(mask, x, y - 1)) g.add(x + 1, y, 2), ++cracks;
            if (!insideAt(mask, x, y + 1)) g.add(x, y + 1, 0), ++cracks;
            if (!insideAt(mask, x - 1, y)) g.add(x, y, 1), ++cracks;
            if (!insideAt(mask, x + 1, y)) g.add(x + 1, y + 1, 3), ++cracks;
        }

    for (int cy = g.top; cy < g.top + g.height; ++cy)
        for (int cx = g.left; cx < g.left + g.width; ++cx)
            for (int d0 = 0; d0 < 4; ++d0) {
                uint8_t c0 = g.corners[g.index(cx, cy)];
                if (!(c0 & (1 << d0)) || (c0 & (16 << d0))) continue;
                OutlineLoop loop;
                int x = cx, y = cy, d = d0;
                for (size_t step = 0; step <= cracks; ++step) {
                    g.corners[g.index(x, y)] |= uint8_t(16 << d);
                    loop.push_back({x + 0.5 * kCx[d], y + 0.5 * kCy[d]});
                    x += kCx[d];
                    y += kCy[d];
                    const uint8_t out = g.corners[g.index(x, y)] & 15;
                    // Where two diagonal inside pixels meet at a corner there are two
                    // ways on; turning right keeps them in one region.
                    const int right = (d + 1) % 4, left = (d + 3) % 4;
                    if (out & (1 << right))
                        d = right;
                    else if (out & (1 << d)) { /* straight on */
                    } else
                        d = left;
                    if (x == cx && y == cy && d == d0) break;
                }
                loops.push_back(std::move(loop));
            }
    return loops;
}

namespace {

double distanceToSegment(const OutlinePoint& p, const OutlinePoint& a, const OutlinePoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Marks the points of loop[first..last] (indices modulo the size) that must stay.
void douglasPeucker(const OutlineLoop& loop, size_t first, size_t last, double tolerance,
                    std::vector<char>& keep) {
    const size_t n = loop.size();
    std::vector<std::pair<size_t, size_t>> stack{{first, last}};
    while (!stack.empty()) {
        auto [a, b] = stack.back();
        stack.pop_back();
        const size_t span = (b + n - a) % n;
        if (span < 2) continue;
        double worst = -1;
        size_t at = a;
        for (size_t k = 1; k < span; ++k) {
            size_t i = (a + k) % n;
            double d = distanceToSegment(loop[i], loop[a], loop[b % n]);
            if (d > worst) worst = d, at = i;
        }
        if (worst > tolerance) {
            keep[at] = 1;
            stack.push_back({a, at});
            stack.push_back({at, b});
        }
    }
}

} // namespace

OutlineLoop simplifyOutline(const OutlineLoop& loop, double tolerance) {
    const size_t n = loop.size();
    if (n <= 4) return loop;
    // Split the loop at its first point and the point farthest from it.
    size_t far = 0;
    double farDist = -1;
    for (size_t i = 1; i < n; ++i) {
        double d = std::hypot(loop[i].x - loop[0].x, loop[i].y - loop[0].y);
        if (d > farDist) farDist = d, far = i;
    }
    // A tolerance wider than a thin part of the region can fold the loop onto itself;
    // halve it until the loop stays simple. Below kSafeTolerance that cannot happen.
    for (double t = tolerance;; t = std::max(kSafeTolerance, t / 2)) {
        std::vector<char> keep(n, 0);
        keep[0] = keep[far] = 1;
        douglasPeucker(loop, 0, far, t, keep);
        douglasPeucker(loop, far, 0, t, keep);
        OutlineLoop out;
        for (size_t i = 0; i < n; ++i)
            if (keep[i]) out.push_back(loop[i]);
        if (out.size() >= 3 && !outlinesSelfIntersect({out})) return out;
        if (t <= kSafeTolerance) return loop;
    }
}

OutlineLoop subdivideOutline(const OutlineLoop& loop, double spacing) {
    if (!(spacing > 0)) return loop;
    OutlineLoop out;
    const size_t n = loop.size();
    for (size_t i = 0; i < n; ++i) {
        const OutlinePoint a = loop[i], b = loop[(i + 1) % n];
        out.push_back(a);
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const int parts = int(std::min(1e6, std::ceil(len / spacing)));
        for (int k = 1; k < parts; ++k) {
            double t = double(k) / parts;
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    return out;
}

double outlineArea2(const OutlineLoop& loop) {
    double sum = 0;
    for (size_t i = 0, n = loop.size(); i < n; ++i) {
        const OutlinePoint &a = loop[i], &b = loop[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

namespace {

double cross(const OutlinePoint& o, const OutlinePoint& a, const OutlinePoint& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool onSegment(const OutlinePoint& p, const OutlinePoint& a, const OutlinePoint& b) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

bool segmentsMeet(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c,
                  const OutlinePoint& d) {
    const double d1 = cross(c, d, a), d2 = cross(c, d, b);
    const double d3 = cross(a, b, c), d4 = cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    return (d1 == 0 && onSegment(a, c, d)) || (d2 == 0 && onSegment(b, c, d)) ||
           (d3 == 0 && onSegment(c, a, b)) || (d4 == 0 && onSegment(d, a, b));
}

} // namespace

bool outlinesSelfIntersect(const std::vector<OutlineLoop>& loops) {
    struct Seg {
        size_t loop, index;
    };
    std::vector<Seg> segs;
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300, total = 0;
    for (size_t l = 0; l < loops.size(); ++l)
        for (size_t i = 0; i < loops[l].size(); ++i) {
            const auto& a = loops[l][i];
            const auto& b = loops[l][(i + 1) % loops[l].size()];
            segs.push_back({l, i});
            minX = std::min({minX, a.x, b.x});
            minY = std::min({minY, a.y, b.y});
            maxX = std::max({maxX, a.x, b.x});
            maxY = std::max({maxY, a.y, b.y});
            total += std::hypot(b.x - a.x, b.y - a.y);
        }
    if (segs.size() < 2) return false;
    // A grid of cells about the mean edge length, with at most ~4 cells per edge.
    const double span = std::max(maxX - minX, maxY - minY);
    double cell = std::max(total / double(segs.size()), span / 4096.0);
    if (!(cell > 0)) cell = 1;
    auto cellOf = [&](double v, double lo) { return long(std::floor((v - lo) / cell)); };
    std::unordered_map<uint64_t, std::vector<uint32_t>> grid;
    auto key = [](long cx, long cy) { return (uint64_t(uint32_t(cx)) << 32) | uint32_t(cy); };
    auto end = [&](const Seg& s, int which) -> const OutlinePoint& {
        const auto& loop = loops[s.loop];
        return loop[(s.index + size_t(which)) % loop.size()];
    };
    for (uint32_t k = 0; k < segs.size(); ++k) {
        const auto &a = end(segs[k], 0), &b = end(segs[k], 1);
        for (long cx = cellOf(std::min(a.x, b.x), minX); cx <= cellOf(std::max(a.x, b.x), minX);
             ++cx)
            for (long cy = cellOf(std::min(a.y, b.y), minY); cy <= cellOf(std::max(a.y, b.y), minY);
                 ++cy)
                grid[key(cx, cy)].push_back(k);
    }
    for (auto& [cellKey, list] : grid)
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = i + 1; j < list.size(); ++j) {
                const Seg &s = segs[list[i]], &t = segs[list[j]];
                const auto &a = end(s, 0), &b = end(s, 1), &c = end(t, 0), &d = end(t, 1);
                if (s.loop == t.loop) {
                    const size_t n = loops[s.loop].size();
                    const bool next = (s.index + 1) % n == t.index;
                    const bool prev = (t.index + 1) % n == s.index;
                    if (next || prev) {
                        // Neighbours share a point; they only clash when one folds
                        // back over the other.
                        const auto& far = next ? d : c;
                        const auto& farOwn = next ? a : b;
                        if (n > 2 && ((cross(a, b, far) == 0 && onSegment(far, a, b)) ||
                                      (cross(c, d, farOwn) == 0 && onSegment(farOwn, c, d))))
                            return true;
                        continue;
                    }
                }
                if (segmentsMeet(a, b, c, d)) return true;
            }
    return false;
}

} // namespace zx
