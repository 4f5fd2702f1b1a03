#include "mesh3d/DistanceMap.h"

#include "mesh3d/HeightMap.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zx {

namespace {

// Stands for "no outside pixel on this line yet"; finite so the envelope arithmetic
// stays exact. The box's border is always outside, so it never survives.
constexpr double kFar = 1e20;

// One-dimensional squared distance transform of f (Felzenszwalb and Huttenlocher):
// the lower envelope of the parabolas rooted at every sample.
void transform1d(const std::vector<double>& f, std::vector<double>& d, std::vector<int>& v,
                 std::vector<double>& z) {
    const int n = int(f.size());
    const double inf = std::numeric_limits<double>::infinity();
    int k = 0;
    v[0] = 0;
    z[0] = -inf;
    z[1] = inf;
    for (int q = 1; q < n; ++q) {
        auto meet = [&](int p) {
            return ((f[q] + double(q) * q) - (f[p] + double(p) * p)) / (2.0 * q - 2.0 * p);
        };
        double s = meet(v[k]);
        while (s <= z[k]) s = meet(v[--k]); // z[0] is -inf, so k stays >= 0
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = inf;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q) ++k;
        const double diff = q - v[k];
        d[q] = diff * diff + f[v[k]];
    }
}

} // namespace

float DistanceMap::at(int x, int y) const {
    x -= left;
    y -= top;
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return values[size_t(y) * size_t(width) + size_t(x)];
}

double DistanceMap::sample(double x, double y) const {
    if (!(std::abs(x) < 1e9 && std::abs(y) < 1e9)) return 0.0;
    const double px = x - 0.5, py = y - 0.5; // pixel centres sit at +0.5
    const double fx0 = std::floor(px), fy0 = std::floor(py);
    const int i = int(fx0), j = int(fy0);
    const double fx = px - fx0, fy = py - fy0;
    return (1 - fy) * ((1 - fx) * at(i, j) + fx * at(i + 1, j)) +
           fy * ((1 - fx) * at(i, j + 1) + fx * at(i + 1, j + 1));
}

float DistanceMap::maximum() const {
    float m = 0;
    for (float v : values) m = std::max(m, v);
    return m;
}

DistanceMap buildDistanceMap(const RasterImage& mask) {
    DistanceMap map;
    const std::optional<PixelRect> box = insideBounds(mask);
    if (!box) return map;
    const int x0 = box->left, y0 = box->top, x1 = box->right - 1, y1 = box->bottom - 1;
    map.left = x0 - 1;
    map.top = y0 - 1;
    map.width = x1 - x0 + 3;
    map.height = y1 - y0 + 3;
    const int w = map.width, h = map.height;
    std::vector<double> grid(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int ix = x + map.left, iy = y + map.top;
            const bool in = ix >= 0 && iy >= 0 && ix < mask.width() && iy < mask.height() &&
                            (mask.at(ix, iy) & kMaskInside);
            grid[size_t(y) * w + x] = in ? kFar : 0.0;
        }
    const int longest = std::max(w, h);
    std::vector<double> f, d;
    std::vector<int> v(static_cast<size_t>(longest));
    std::vector<double> z(static_cast<size_t>(longest) + 1);
    f.resize(size_t(h));
    d.resize(size_t(h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) f[y] = grid[size_t(y) * w + x];
        transform1d(f, d, v, z);
        for (int y = 0; y < h; ++y) grid[size_t(y) * w + x] = d[y];
    }
    f.resize(size_t(w));
    d.resize(size_t(w));
    for (int y = 0; y < h; ++y) {
        std::copy_n(grid.begin() + ptrdiff_t(size_t(y) * w), w, f.begin());
        transform1d(f, d, v, z);
        std::copy_n(d.begin(), w, grid.begin() + ptrdiff_t(size_t(y) * w));
    }
    map.values.resize(grid.size());
    for (size_t i = 0; i < grid.size(); ++i)
        map.values[i] = grid[i] > 0 ? float(std::max(0.0, std::sqrt(grid[i]) - 0.5)) : 0.0f;
    return map;
}

} // namespace zx
