#pragma once
// A uniform bucket grid over a point set, so that the triangulator and the mesh
// builder find the points near a place without looking at every point.

#include <cstdint>
#include <vector>

namespace zx {

class PointGrid {
public:
    // Buckets the points whose `valid` entry is set, about two to a cell. The grid
    // keeps referring to the three vectors, which must outlive it unchanged.
    void build(const std::vector<double>& xs, const std::vector<double>& ys,
               const std::vector<uint8_t>& valid);

    // The valid point nearest to point i (not i itself), ties to the lower index; -1
    // when i is the only one. With `distinct`, points at i's very position are
    // passed over.
    int32_t nearest(int32_t i, const std::vector<double>& xs, const std::vector<double>& ys,
                    bool distinct = false) const;

    // The third point of the Delaunay triangle on the left of s -> t: among the
    // points strictly on the left, the one whose circle through s and t leaves every
    // other such point outside (the lowest index on exact ties). -1 when no point
    // lies on the left.
    int32_t delaunayPoint(int32_t s, int32_t t, const std::vector<double>& xs,
                          const std::vector<double>& ys) const;

    // Calls fn(index) for every point in the cells that meet the disc of radius r
    // around (cx, cy); fn filters by exact distance itself.
    template <class Fn> void forEachNear(double cx, double cy, double r, Fn&& fn) const;

    bool empty() const { return cols_ == 0; }

private:
    int cellX(double x) const;
    int cellY(double y) const;
    bool anyPointLeftOf(double sx, double sy, double ex, double ey) const;

    double x0_ = 0, y0_ = 0, cell_ = 1, inv_ = 1;
    int cols_ = 0, rows_ = 0;
    std::vector<int32_t> start_; // cols * rows + 1 offsets into items_
    std::vector<int32_t> items_; // point indices, ascending within a cell
    const std::vector<double>* xs_ = nullptr;
    const std::vector<double>* ys_ = nullptr;
    const std::vector<uint8_t>* valid_ = nullptr;
    // Convex hull of the valid points, made on first use.
    mutable std::vector<double> hullX_, hullY_;
    mutable bool hullBuilt_ = false;
};

template <class Fn> void PointGrid::forEachNear(double cx, double cy, double r, Fn&& fn) const {
    if (cols_ == 0 || !(r >= 0)) return;
    const int ax = cellX(cx - r), bx = cellX(cx + r);
    const int ay = cellY(cy - r), by = cellY(cy + r);
    for (int gy = ay; gy <= by; ++gy)
        for (int gx = ax; gx <= bx; ++gx) {
            const int c = gy * cols_ + gx;
            for (int32_t k = start_[c]; k < start_[c + 1]; ++k) fn(items_[k]);
        }
}

} // namespace zx
