#include "mesh3d/PointGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zx {

namespace {

double cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

// Andrew's monotone chain over the valid points.
std::vector<int32_t> convexHull(const std::vector<double>& xs, const std::vector<double>& ys,
                                const std::vector<uint8_t>& valid) {
    std::vector<int32_t> order;
    for (size_t i = 0; i < xs.size(); ++i)
        if (valid[i]) order.push_back(int32_t(i));
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return xs[a] < xs[b] || (xs[a] == xs[b] && ys[a] < ys[b]);
    });
    if (order.size() < 3) return order;
    std::vector<int32_t> hull(order.size() * 2);
    size_t k = 0;
    auto turn = [&](int32_t o, int32_t a, int32_t b) {
        return cross(xs[a] - xs[o], ys[a] - ys[o], xs[b] - xs[o], ys[b] - ys[o]);
    };
    for (int32_t p : order) {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], p) <= 0) --k;
        hull[k++] = p;
    }
    for (size_t i = order.size() - 1, lower = k + 1; i-- > 0;) {
        const int32_t p = order[i];
        while (k >= lower && turn(hull[k - 2], hull[k - 1], p) <= 0) --k;
        hull[k++] = p;
    }
    hull.resize(k > 1 ? k - 1 : k);
    return hull;
}

} // namespace

void PointGrid::build(const std::vector<double>& xs, const std::vector<double>& ys,
                      const std::vector<uint8_t>& valid) {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    size_t n = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        if (!valid[i]) continue;
        minX = std::min(minX, xs[i]);
        maxX = std::max(maxX, xs[i]);
        minY = std::min(minY, ys[i]);
        maxY = std::max(maxY, ys[i]);
        ++n;
    }
    cols_ = rows_ = 0;
    start_.clear();
    items_.clear();
    hullX_.clear();
    hullY_.clear();
    hullBuilt_ = false;
    if (n == 0) return;
    const double w = maxX - minX, h = maxY - minY;
    // About two points to a cell; a flat or tiny set still gets a usable cell size.
    double cell = std::sqrt(2.0 * w * h / double(n));
    cell = std::max({cell, std::max(w, h) / double(n), 1e-9});
    const double limit = 4.0 * double(n) + 16; // the cell count stays linear in n
    double cols = std::floor(w / cell) + 1, rows = std::floor(h / cell) + 1;
    while (cols * rows > limit) {
        cell *= 1.5;
        cols = std::floor(w / cell) + 1;
        rows = std::floor(h / cell) + 1;
    }
    x0_ = minX;
    y0_ = minY;
    cell_ = cell;
    inv_ = 1.0 / cell;
    cols_ = int(cols);
    rows_ = int(rows);
    start_.assign(size_t(cols_) * rows_ + 1, 0);
    for (size_t i = 0; i < xs.size(); ++i)
        if (valid[i]) ++start_[size_t(cellY(ys[i])) * cols_ + cellX(xs[i]) + 1];
    for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    items_.resize(n);
    std::vector<int32_t> fill(start_.begin(), start_.end() - 1);
    for (size_t i = 0; i < xs.size(); ++i)
        if (valid[i]) items_[fill[size_t(cellY(ys[i])) * cols_ + cellX(xs[i])]++] = int32_t(i);
    xs_ = &xs;
    ys_ = &ys;
    valid_ = &valid;
}

int PointGrid::cellX(double x) const {
    const double c = std::floor((x - x0_) * inv_);
    return c <= 0 ? 0 : c >= cols_ - 1 ? cols_ - 1 : int(c);
}

int PointGrid::cellY(double y) const {
    const double c = std::floor((y - y0_) * inv_);
    return c <= 0 ? 0 : c >= rows_ - 1 ? rows_ - 1 : int(c);
}

bool PointGrid::anyPointLeftOf(double sx, double sy, double ex, double ey) const {
    // The largest value of a linear function over a point set is taken at a vertex of
    // its convex hull.
    if (!hullBuilt_) {
        // Needed only for sides with nothing near them; most sets never ask.
        for (int32_t h : convexHull(*xs_, *ys_, *valid_)) {
            hullX_.push_back((*xs_)[h]);
            hullY_.push_back((*ys_)[h]);
        }
        hullBuilt_ = true;
    }
    for (size_t k = 0; k < hullX_.size(); ++k)
        if (ex * (hullY_[k] - sy) - ey * (hullX_[k] - sx) > 0) return true;
    return false;
}

int32_t PointGrid::nearest(int32_t i, const std::vector<double>& xs, const std::vector<double>& ys,
                           bool distinct) const {
    if (cols_ == 0) return -1;
    const double px = xs[i], py = ys[i];
    const int cx = cellX(px), cy = cellY(py);
    const int maxRing = std::max(cols_, rows_);
    int32_t best = -1;
    double bestD = std::numeric_limits<double>::infinity();
    for (int k = 0; k <= maxRing; ++k) {
        // Every point outside the rings so far is at least (k - 1) cells away... the
        // ring k is at least k - 1 whole cells from the point.
        if (best >= 0) {
            const double reach = (k - 1) * cell_;
            if (reach > 0 && reach * reach > bestD) break;
        }
        for (int gy = cy - k; gy <= cy + k; ++gy) {
            if (gy < 0 || gy >= rows_) continue;
            const bool edgeRow = gy == cy - k || gy == cy + k;
            for (int gx = cx - k; gx <= cx + k; gx += (edgeRow ? 1 : 2 * k)) {
                if (gx >= 0 && gx < cols_) {
                    const int c = gy * cols_ + gx;
                    for (int32_t q = start_[c]; q < start_[c + 1]; ++q) {
                        const int32_t j = items_[q];
                        if (j == i) continue;
                        const double dx = xs[j] - px, dy = ys[j] - py;
                        const double d = dx * dx + dy * dy;
                        if (distinct && d == 0) continue;
                        if (d < bestD || (d == bestD && j < best)) {
                            bestD = d;
                            best = j;
                        }
                    }
                }
                if (k == 0) break;
            }
        }
    }
    return best;
}

int32_t PointGrid::delaunayPoint(int32_t s, int32_t t, const std::vector<double>& xs,
                                 const std::vector<double>& ys) const {
    if (cols_ == 0) return -1;
    const double sx = xs[s], sy = ys[s];
    const double ex = xs[t] - sx, ey = ys[t] - sy;
    const double mx = sx + ex / 2, my = sy + ey / 2;
    const double len2 = ex * ex + ey * ey;
    const double quarter = len2 / 4;

    // For a point p on the left, the circle through s, t and p has its centre at
    // m + mu * n (m the midpoint, n the left normal); the circles of the points on
    // the left are nested by mu, so the Delaunay point is the one of smallest mu.
    int32_t best = -1;
    double bestMu = std::numeric_limits<double>::infinity();
    auto consider = [&](int32_t j) {
        if (j == s || j == t) return;
        const double d = ex * (ys[j] - sy) - ey * (xs[j] - sx);
        if (!(d > 0)) return;
        const double px = xs[j] - mx, py = ys[j] - my;
        const double mu = (px * px + py * py - quarter) / (2 * d);
        if (mu < bestMu || (mu == bestMu && j < best)) {
            bestMu = mu;
            best = j;
        }
    };
    auto scanCell = [&](int gx, int gy) {
        const int c = gy * cols_ + gx;
        for (int32_t k = start_[c]; k < start_[c + 1]; ++k) consider(items_[k]);
    };
    // Whether any part of a cell lies strictly on the left of s -> t.
    auto cellReachesLeft = [&](int gx, int gy) {
        const double cx = x0_ + (ey > 0 ? gx : gx + 1) * cell_;
        const double cy = y0_ + (ex > 0 ? gy + 1 : gy) * cell_;
        return ex * (cy - sy) - ey * (cx - sx) > 0;
    };

    // Rings of cells around the likely apex (half an edge length out on the left),
    // until the best circle so far lies inside the rings or two rings are done.
    const double ox = mx - ey / 2, oy = my + ex / 2;
    const int cx0 = cellX(ox), cy0 = cellY(oy);
    const int maxRing = std::max(cols_, rows_);
    double ccx = 0, ccy = 0, r = 0;
    int ring = 0;
    for (;; ++ring) {
        for (int gy = cy0 - ring; gy <= cy0 + ring; ++gy) {
            if (gy < 0 || gy >= rows_) continue;
            const bool fullRow = gy == cy0 - ring || gy == cy0 + ring;
            const int step = fullRow || ring == 0 ? 1 : 2 * ring;
            for (int gx = cx0 - ring; gx <= cx0 + ring; gx += step)
                if (gx >= 0 && gx < cols_ && cellReachesLeft(gx, gy)) scanCell(gx, gy);
        }
        if (best >= 0) {
            ccx = mx - bestMu * ey;
            ccy = my + bestMu * ex;
            r = std::sqrt(quarter + bestMu * bestMu * len2);
            const double reach = std::sqrt((ccx - ox) * (ccx - ox) + (ccy - oy) * (ccy - oy)) + r;
            if (ring * cell_ >= reach) return best; // every point in the circle was seen
            if (ring >= 2 || ring >= maxRing) break;
        } else {
            if (ring >= maxRing) return -1;
            if (ring == 2 && !anyPointLeftOf(sx, sy, ex, ey)) return -1;
        }
    }

    // Every point with a smaller mu lies inside the current circle, on the left:
    // look at the cells of that lens that the rings have not covered.
    if (!std::isfinite(r) || !std::isfinite(ccx) || !std::isfinite(ccy)) {
        for (int gy = 0; gy < rows_; ++gy)
            for (int gx = 0; gx < cols_; ++gx)
                if (cellReachesLeft(gx, gy)) scanCell(gx, gy);
        return best;
    }
    const int gyA = cellY(ccy - r), gyB = cellY(ccy + r);
    for (int gy = gyA; gy <= gyB; ++gy) {
        const double bandA = y0_ + gy * cell_, bandB = bandA + cell_;
        // The circle's extent across this band of rows.
        const double dy = ccy < bandA ? bandA - ccy : ccy > bandB ? ccy - bandB : 0.0;
        if (dy > r) continue;
        const double half = std::sqrt(r * r - dy * dy);
        double lo = ccx - half, hi = ccx + half;
        // The left half-plane's extent across the band.
        if (ey > 0) {
            hi = std::min(hi, sx + ex * ((ex > 0 ? bandB : bandA) - sy) / ey);
        } else if (ey < 0) {
            lo = std::max(lo, sx + ex * ((ex > 0 ? bandB : bandA) - sy) / ey);
        } else if (!(ex * ((ex > 0 ? bandB : bandA) - sy) > 0)) {
            continue;
        }
        if (lo > hi) continue;
        const int gxA = cellX(lo), gxB = cellX(hi);
        const bool inRings = gy >= cy0 - ring && gy <= cy0 + ring;
        for (int gx = gxA; gx <= gxB; ++gx) {
            if (inRings && gx >= cx0 - ring && gx <= cx0 + ring) continue;
            scanCell(gx, gy);
        }
    }
    return best;
}

} // namespace zx
