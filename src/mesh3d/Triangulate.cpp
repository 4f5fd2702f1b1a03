#include "mesh3d/Triangulate.h"

#include "mesh3d/PointGrid.h"
#include "platform/Progress.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace zx {

bool usablePoint(const Vec3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) < kFarPoint &&
           std::fabs(p.y) < kFarPoint;
}

namespace {

// The edges by their lower vertex: a list per vertex, threaded through the edges.
// A Delaunay vertex has about six edges, three of them as the lower end, so a
// look-up walks a few entries that lie close together.
class EdgeIndex {
public:
    explicit EdgeIndex(size_t vertices) : first_(vertices, -1) {}
    int32_t find(const std::vector<MeshEdge>& edges, int32_t a, int32_t b) const {
        if (a > b) std::swap(a, b);
        if (a < 0 || size_t(a) >= first_.size()) return -1;
        for (int32_t e = first_[a]; e >= 0; e = next_[e])
            if (edges[e][EdgeField::Higher] == b) return e;
        return -1;
    }
    // Registers edge `index`, whose lower vertex is `lower`.
    void insert(int32_t lower, int32_t index) {
        if (size_t(index) >= next_.size()) next_.resize(size_t(index) + 1, -1);
        next_[index] = first_[lower];
        first_[lower] = index;
    }
    void reserve(size_t edges) { next_.reserve(edges); }

private:
    std::vector<int32_t> first_;
    std::vector<int32_t> next_;
};

class Triangulator {
public:
    Triangulator(std::span<const Vec3> points, std::vector<MeshEdge>& edges,
                 std::vector<MeshTriangle>& triangles, Progress* progress, FacetSearch search)
        : edges_(edges), triangles_(triangles), progress_(progress), search_(search),
          index_(points.size()) {
        xs_.resize(points.size());
        ys_.resize(points.size());
        valid_.resize(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            xs_[i] = points[i].x;
            ys_[i] = points[i].y;
            valid_[i] = usablePoint(points[i]);
            if (valid_[i]) ++validCount_;
        }
    }

    int validCount() const { return validCount_; }

    Result<int> run(const ContourList* contour) {
        edges_.clear();
        triangles_.clear();
        if (validCount_ < 3) return 0;
        if (search_ == FacetSearch::Grid) grid_.build(xs_, ys_, valid_);
        edges_.reserve(size_t(validCount_) * 4);
        index_.reserve(size_t(validCount_) * 4);
        triangles_.reserve(size_t(validCount_) * 2);

        if (contour && contour->size() > 2) {
            forEachContourEdge(*contour, [&](int32_t a, int32_t b) {
                if (a == b || !isValid(a) || !isValid(b)) return;
                addEdge(a, b, -1, -1);
            });
        } else {
            auto pair = closestPair();
            if (pair.first < 0) return 0; // nothing close enough to start from
            addEdge(pair.first, pair.second, -1, -1);
        }

        // A Delaunay triangulation has fewer than 2n triangles; the cap only stops a
        // degenerate input from growing without end.
        const size_t triangleCap = size_t(validCount_) * 4 + 64;
        for (size_t i = 0; i < edges_.size(); ++i) {
            if (edges_[i][EdgeField::Left] == -1) completeFacet(i, true);
            if (edges_[i][EdgeField::Right] == -1) completeFacet(i, false);
            if (cancelled_ || triangles_.size() > triangleCap) break;
        }
        for (MeshEdge& e : edges_) e[EdgeField::Left] = e[EdgeField::Right] = 0;
        if (cancelled_) return Status::cancelled();
        return int(triangles_.size());
    }

private:
    bool isValid(int32_t i) const { return i >= 0 && size_t(i) < valid_.size() && valid_[i]; }

    void addEdge(int32_t a, int32_t b, int32_t faceA, int32_t faceB) {
        if (index_.find(edges_, a, b) >= 0) return; // an edge is never added twice
        if (a > b) {
            std::swap(a, b);
            std::swap(faceA, faceB);
        }
        index_.insert(a, int32_t(edges_.size()));
        edges_.push_back({a, b, faceA, faceB});
    }

    // The closest pair of valid points, the first pair found winning ties, closer
    // than sqrt(2e7) pixels; (-1, -1) when there is none.
    std::pair<int32_t, int32_t> closestPair() const {
        double best = 2e7;
        std::pair<int32_t, int32_t> pair{-1, -1};
        if (search_ == FacetSearch::Scan) {
            for (size_t i = 0; i < xs_.size(); ++i) {
                if (!valid_[i]) continue;
                for (size_t j = i + 1; j < xs_.size(); ++j) {
                    if (!valid_[j]) continue;
                    const double dx = xs_[j] - xs_[i], dy = ys_[j] - ys_[i];
                    const double d = dx * dx + dy * dy;
                    if (d < best && d > 0) {
                        best = d;
                        pair = {int32_t(i), int32_t(j)};
                    }
                }
            }
            return pair;
        }
        for (size_t i = 0; i < xs_.size(); ++i) {
            if (!valid_[i]) continue;
            int32_t j = grid_.nearest(int32_t(i), xs_, ys_, true);
            if (j < 0) continue;
            const double dx = xs_[j] - xs_[i], dy = ys_[j] - ys_[i];
            const double d = dx * dx + dy * dy;
            std::pair<int32_t, int32_t> candidate{std::min<int32_t>(int32_t(i), j),
                                                  std::max<int32_t>(int32_t(i), j)};
            if (d < best || (d == best && pair.first >= 0 && candidate < pair)) {
                best = d;
                pair = candidate;
            }
        }
        return pair;
    }

    // The reference search: every point for every open side.
    int32_t thirdPointByScan(int32_t s, int32_t t) const {
        const double sx = xs_[s], sy = ys_[s];
        const double ex = xs_[t] - sx, ey = ys_[t] - sy;
        const int32_t n = int32_t(xs_.size());
        int32_t u = -1;
        for (int32_t j = 0; j < n; ++j) {
            if (j == s || j == t || !valid_[j]) continue;
            if (ex * (ys_[j] - sy) - ey * (xs_[j] - sx) > 0) {
                u = j;
                break;
            }
        }
        if (u < 0) return -1;
        double cx = 0, cy = 0, r2 = 0;
        auto circle = [&](int32_t p) {
            const double ax = xs_[t] - sx, ay = ys_[t] - sy;
            const double bx = xs_[p] - sx, by = ys_[p] - sy;
            const double area2 = ax * by - ay * bx;
            if (!(area2 > 1e-9)) return;
            const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by;
            const double ox = (by * a2 - ay * b2) / (2 * area2);
            const double oy = (ax * b2 - bx * a2) / (2 * area2);
            cx = sx + ox;
            cy = sy + oy;
            r2 = ox * ox + oy * oy;
        };
        circle(u);
        for (int32_t j = u + 1; j < n; ++j) {
            if (j == s || j == t || !valid_[j]) continue;
            if (!(ex * (ys_[j] - sy) - ey * (xs_[j] - sx) > 0)) continue;
            const double dx = xs_[j] - cx, dy = ys_[j] - cy;
            if (dx * dx + dy * dy < r2) {
                u = j;
                circle(u);
            }
        }
        return u;
    }

    void completeFacet(size_t i, bool leftOpen) {
        const int32_t s = leftOpen ? edges_[i][EdgeField::Lower] : edges_[i][EdgeField::Higher];
        const int32_t t = leftOpen ? edges_[i][EdgeField::Higher] : edges_[i][EdgeField::Lower];
        const int field = leftOpen ? EdgeField::Left : EdgeField::Right;
        const int32_t u = search_ == FacetSearch::Grid ? grid_.delaunayPoint(s, t, xs_, ys_)
                                                       : thirdPointByScan(s, t);
        if (u < 0) {
            edges_[i][field] = 0;
            return;
        }
        edges_[i][field] = 1;
        closeSide(u, s);
        closeSide(t, u);
        MeshTriangle tri;
        tri.v[0] = s;
        tri.v[1] = u;
        tri.v[2] = t;
        triangles_.push_back(tri);
        if (triangles_.size() % 100 == 0 && progress_) {
            progress_->setDetail("Building mesh, " + std::to_string(triangles_.size()) +
                                 " triangles so far...");
            if (progress_->cancelled()) cancelled_ = true;
        }
    }

    // The new triangle lies on the left of a -> b: mark that side of the edge, or add
    // the edge with that side closed.
    void closeSide(int32_t a, int32_t b) {
        const int32_t k = index_.find(edges_, a, b);
        if (k < 0) {
            addEdge(a, b, 1, -1);
            return;
        }
        MeshEdge& e = edges_[k];
        const int field = e[EdgeField::Lower] == a ? EdgeField::Left : EdgeField::Right;
        if (e[field] == -1) e[field] = 1;
    }

    std::vector<MeshEdge>& edges_;
    std::vector<MeshTriangle>& triangles_;
    Progress* progress_;
    FacetSearch search_;
    EdgeIndex index_;
    PointGrid grid_;
    std::vector<double> xs_, ys_;
    std::vector<uint8_t> valid_;
    int validCount_ = 0;
    bool cancelled_ = false;
};

} // namespace

Result<int> triangulate(std::span<const Vec3> points, std::vector<MeshEdge>& edges,
                        std::vector<MeshTriangle>& triangles, const ContourList* contour,
                        Progress* progress, FacetSearch search) {
    Triangulator t(points, edges, triangles, progress, search);
    return t.run(contour);
}

} // namespace zx
