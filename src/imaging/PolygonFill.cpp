#include "imaging/PolygonFill.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zx {

namespace {
int roundToPixel(double v) {
    return v > 0 ? int(v + 0.5) : int(v - 0.49999);
}
} // namespace

std::vector<IntPoint> stepEdge(IntPoint a, IntPoint b) {
    const int dx = b.x - a.x, dy = b.y - a.y;
    const int n = std::max(std::abs(dx), std::abs(dy));
    std::vector<IntPoint> out;
    out.reserve(size_t(n) + 1);
    if (n == 0) {
        out.push_back(a);
        return out;
    }
    if (std::abs(dx) >= std::abs(dy)) {
        const double slope = double(dy) / std::abs(dx);
        const int sx = dx > 0 ? 1 : -1;
        for (int i = 0; i <= n; ++i) out.push_back({a.x + i * sx, a.y + roundToPixel(i * slope)});
    } else {
        const double slope = double(dx) / std::abs(dy);
        const int sy = dy > 0 ? 1 : -1;
        for (int i = 0; i <= n; ++i) out.push_back({a.x + roundToPixel(i * slope), a.y + i * sy});
    }
    return out;
}

IntPoint clipToImage(IntPoint p, int width, int height) {
    return {std::clamp(p.x, 0, std::max(0, width - 1)),
            std::clamp(p.y, 0, std::max(0, height - 1))};
}

IntPoint movedAlong(IntPoint p, IntPoint from, IntPoint to) {
    static constexpr int64_t kFar = int64_t(1) << 30;
    const auto along = [](int v, int a, int b) {
        return int(std::clamp(int64_t(v) + int64_t(b) - int64_t(a), -kFar, kFar));
    };
    return {along(p.x, from.x, to.x), along(p.y, from.y, to.y)};
}

bool fillPolygon(RasterImage& mask, std::span<const IntPoint> vertices, uint32_t outlineBit,
                 uint32_t insideBit) {
    const int w = mask.width(), h = mask.height();
    if (vertices.empty() || w == 0 || h == 0) return false;
    std::vector<IntPoint> clipped;
    clipped.reserve(vertices.size());
    for (IntPoint p : vertices) clipped.push_back(clipToImage(p, w, h));

    // Work in a scratch grid over the polygon's box plus a one-pixel frame: the frame
    // is certainly outside, so a flood from it finds the outside and whatever it
    // cannot reach is enclosed. This needs no seed inside the outline and fills every
    // enclosed area of a self-crossing outline.
    int left = w, top = h, right = -1, bottom = -1;
    for (IntPoint p : clipped) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const int gw = right - left + 3, gh = bottom - top + 3;
    enum : uint8_t { Open = 0, Edge = 1, Outside = 2 };
    std::vector<uint8_t> grid(size_t(gw) * size_t(gh), Open);
    auto cell = [&](int gx, int gy) -> uint8_t& { return grid[size_t(gy) * gw + gx]; };

    for (size_t i = 0; i < clipped.size(); ++i) {
        IntPoint a = clipped[i], b = clipped[(i + 1) % clipped.size()];
        for (IntPoint p : stepEdge(a, b)) {
            cell(p.x - left + 1, p.y - top + 1) = Edge;
            mask.at(p.x, p.y) |= outlineBit | insideBit;
        }
    }

    // 4-connected flood of the outside: an 8-connected stepped edge stops it.
    std::vector<IntPoint> stack;
    stack.push_back({0, 0});
    cell(0, 0) = Outside;
    while (!stack.empty()) {
        IntPoint p = stack.back();
        stack.pop_back();
        const IntPoint next[4] = {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}};
        for (IntPoint q : next) {
            if (q.x < 0 || q.y < 0 || q.x >= gw || q.y >= gh) continue;
            uint8_t& c = cell(q.x, q.y);
            if (c != Open) continue;
            c = Outside;
            stack.push_back(q);
        }
    }
    for (int gy = 1; gy < gh - 1; ++gy)
        for (int gx = 1; gx < gw - 1; ++gx)
            if (cell(gx, gy) == Open) mask.at(gx + left - 1, gy + top - 1) |= insideBit;
    return true;
}

} // namespace zx
