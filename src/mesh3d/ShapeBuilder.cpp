#include "mesh3d/ShapeBuilder.h"

#include "anim/AnimationModel.h"
#include "imaging/PolygonFill.h"
#include "mesh3d/ContourList.h"
#include "mesh3d/DistanceMap.h"
#include "mesh3d/HeightMap.h"
#include "mesh3d/ObjectMesh.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/RegionOutline.h"
#include "mesh3d/Skeleton.h"
#include "mesh3d/Triangulate.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace zx {

namespace {

// Buckets of point indices on a square grid over a box, for neighbour queries.
class PointBuckets {
public:
    PointBuckets(double left, double top, double right, double bottom, double cell) {
        left_ = left;
        top_ = top;
        cell_ = std::max(cell, 1e-3);
        // Keep the table to a few million cells whatever the box.
        for (;;) {
            cols_ = long(std::floor((right - left) / cell_)) + 1;
            rows_ = long(std::floor((bottom - top) / cell_)) + 1;
            if (double(cols_) * double(rows_) <= 4e6) break;
            cell_ *= 2;
        }
        cells_.resize(size_t(cols_) * size_t(rows_));
    }
    void add(double x, double y, int32_t index) {
        cells_[cellIndex(col(x), row(y))].push_back(index);
    }
    // Calls fn(index) for every point in the cells the box around (x, y) touches.
    template <class Fn> void near(double x, double y, double radius, Fn&& fn) const {
        const long c0 = col(x - radius), c1 = col(x + radius);
        const long r0 = row(y - radius), r1 = row(y + radius);
        for (long r = r0; r <= r1; ++r)
            for (long c = c0; c <= c1; ++c)
                for (int32_t i : cells_[cellIndex(c, r)]) fn(i);
    }
    double cell() const { return cell_; }

private:
    long col(double x) const {
        double c = std::floor((x - left_) / cell_);
        return long(std::clamp(c, 0.0, double(cols_ - 1)));
    }
    long row(double y) const {
        double r = std::floor((y - top_) / cell_);
        return long(std::clamp(r, 0.0, double(rows_ - 1)));
    }
    size_t cellIndex(long c, long r) const { return size_t(r) * size_t(cols_) + size_t(c); }

    double left_ = 0, top_ = 0, cell_ = 1;
    long cols_ = 1, rows_ = 1;
    std::vector<std::vector<int32_t>> cells_;
};

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive pixel bounds
    bool empty() const { return right < left; }
    double diagonal() const { return std::hypot(right - left + 1.0, bottom - top + 1.0); }
};

Box regionBox(const RasterImage& mask) {
    Box b{mask.width(), mask.height(), -1, -1};
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (mask.at(x, y) & kMaskInside) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

bool insidePixel(const RasterImage& mask, double x, double y) {
    if (!(x >= 0 && y >= 0 && x < mask.width() && y < mask.height())) return false;
    return mask.at(int(x), int(y)) & kMaskInside;
}

// The vertices of one build, merged by exact position as they are added (the same
// rule as the vertex registry: equal x and y make the same vertex). A hash on the
// exact coordinates keeps this constant-time however densely the points crowd into
// one pixel, which the registry's pixel-based hash does not.
class VertexList {
public:
    // Index of the vertex at (x, y), adding it when new; -1 past the vertex limit.
    int add(double x, double y, int32_t flags) {
        const Key key{bitsOf(x), bitsOf(y)};
        auto found = index_.find(key);
        if (found != index_.end()) return found->second;
        if (int(xs.size()) >= kMaxObjectVertices) return -1;
        index_.emplace(key, int(xs.size()));
        xs.push_back(x);
        ys.push_back(y);
        flags_.push_back(flags);
        return int(xs.size()) - 1;
    }
    int size() const { return int(xs.size()); }

    std::vector<double> xs, ys;
    std::vector<int32_t> flags_;

private:
    struct Key {
        uint64_t x, y;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            uint64_t h = k.x * 0x9E3779B97F4A7C15ull ^ (k.y + 0x632BE59BD9B4E019ull);
            h ^= h >> 29;
            return size_t(h * 0xBF58476D1CE4E5B9ull);
        }
    };
    // -0.0 and 0.0 are the same position.
    static uint64_t bitsOf(double v) {
        if (v == 0) v = 0;
        uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    }

    std::unordered_map<Key, int, KeyHash> index_;
};

void announce(Progress* progress, Prompter& prompter, std::string_view text) {
    if (progress) progress->setDetail(text);
    prompter.status(text);
}

bool cancelled(Progress* progress) {
    return progress && progress->cancelled();
}

// Halves outline edges that have another outline point inside the circle over
// them, until none has (or the edges get very short). Such an edge is then an edge
// of the Delaunay triangulation of the outline points.
void conformOutline(std::vector<OutlineLoop>& loops, double cell) {
    for (int pass = 0; pass < 24; ++pass) {
        double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
        size_t count = 0;
        for (auto& loop : loops)
            for (auto p : loop) {
                l = std::min(l, p.x), t = std::min(t, p.y);
                r = std::max(r, p.x), b = std::max(b, p.y);
                ++count;
            }
        if (count == 0) return;
        PointBuckets buckets(l, t, r, b, cell);
        std::vector<std::pair<size_t, size_t>> ids;
        for (size_t li = 0; li < loops.size(); ++li)
            for (size_t i = 0; i < loops[li].size(); ++i) {
                buckets.add(loops[li][i].x, loops[li][i].y, int32_t(ids.size()));
                ids.emplace_back(li, i);
            }
        bool split = false;
        std::vector<OutlineLoop> next(loops.size());
        for (size_t li = 0; li < loops.size(); ++li) {
            const OutlineLoop& loop = loops[li];
            const size_t n = loop.size();
            for (size_t i = 0; i < n; ++i) {
                const OutlinePoint a = loop[i], bpt = loop[(i + 1) % n];
                next[li].push_back(a);
                const double mx = (a.x + bpt.x) / 2, my = (a.y + bpt.y) / 2;
                const double r2 =
                    ((bpt.x - a.x) * (bpt.x - a.x) + (bpt.y - a.y) * (bpt.y - a.y)) / 4;
                if (r2 < 0.01) continue; // a fifth of a pixel: leave it
                bool crowded = false;
                buckets.near(mx, my, std::sqrt(r2), [&](int32_t id) {
                    auto [ol, oi] = ids[size_t(id)];
                    if (ol == li && (oi == i || oi == (i + 1) % n)) return;
                    const OutlinePoint p = loops[ol][oi];
                    const double dx = p.x - mx, dy = p.y - my;
                    if (dx * dx + dy * dy < r2 * (1 - 1e-9)) crowded = true;
                });
                if (crowded) {
                    next[li].push_back({mx, my});
                    split = true;
                }
            }
        }
        loops = std::move(next);
        if (!split) return;
    }
}

} // namespace

double optimizeSpacing(int32_t definition, double diagonal) {
    const double c = diagonal / (definition == 0 ? 128.0 : definition == 1 ? 256.0 : 512.0);
    const double d = std::max(1.0, c * c);
    return std::min(d, definition == 0 ? 32.0 : definition == 1 ? 16.0 : 4.0);
}

int optimizeVertices(std::vector<AnimPoint>& vertices, int32_t definition, double diagonal) {
    const double d = optimizeSpacing(definition, diagonal);
    size_t start = 0;
    while (start < vertices.size() && !(vertices[start].flags & PointFlag::Interior)) ++start;
    if (start >= vertices.size()) return 0;
    double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
    for (size_t i = start; i < vertices.size(); ++i) {
        l = std::min(l, vertices[i].texture.x), t = std::min(t, vertices[i].texture.y);
        r = std::max(r, vertices[i].texture.x), b = std::max(b, vertices[i].texture.y);
    }
    // Far-off points (deleted vertices parked far away) must not blow up the grid.
    if (!(r - l < 1e7 && b - t < 1e7)) return 0;
    PointBuckets buckets(l, t, r, b, std::max(d, 1.0));
    for (size_t i = start; i < vertices.size(); ++i)
        buckets.add(vertices[i].texture.x, vertices[i].texture.y, int32_t(i));
    int removed = 0;
    const double d2 = d * d;
    for (size_t j = start; j < vertices.size(); ++j) {
        const AnimPoint& pj = vertices[j];
        if (pj.flags & PointFlag::Deleted) continue;
        buckets.near(pj.texture.x, pj.texture.y, d, [&](int32_t k) {
            AnimPoint& pk = vertices[size_t(k)];
            if (size_t(k) == j || (pk.flags & (PointFlag::Deleted | PointFlag::Protected))) return;
            const double dx = pk.texture.x - pj.texture.x, dy = pk.texture.y - pj.texture.y;
            const double dz = pk.texture.z - pj.texture.z;
            if (dx * dx + dy * dy + dz * dz <= d2) {
                pk.flags |= PointFlag::Deleted;
                ++removed;
            }
        });
    }
    return removed;
}

namespace {

constexpr int32_t kInnerFlags = PointFlag::NewMeshVertex;
constexpr int32_t kOutlineFlags =
    PointFlag::NewMeshVertex | PointFlag::Outline | PointFlag::Protected;

uint64_t edgeKey(int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    return (uint64_t(uint32_t(a)) << 32) | uint32_t(b);
}

// The inner points the curves run to: the skeleton branches sampled every
// `spacing` (pixel centres), or one point in the middle of the region.
std::vector<OutlinePoint> innerPoints(const std::vector<uint32_t>& skeleton,
                                      const RasterImage& mask, const Box& box,
                                      const DistanceMap& distance, double spacing) {
    std::vector<OutlinePoint> out;
    if (skeleton.size() > 8) {
        size_t i = 0;
        while (i < skeleton.size()) {
            ++i; // the branch code
            std::vector<OutlinePoint> run;
            for (; i < skeleton.size() && skeleton[i] != kPointListEnd; ++i)
                run.push_back({(skeleton[i] & 0xFFFF) + 0.5, (skeleton[i] >> 16) + 0.5});
            ++i;
            if (run.empty()) continue;
            out.push_back(run.front());
            double along = 0;
            for (size_t k = 1; k < run.size(); ++k) {
                along += std::hypot(run[k].x - run[k - 1].x, run[k].y - run[k - 1].y);
                if (along >= spacing || k + 1 == run.size()) {
                    out.push_back(run[k]);
                    along = 0;
                }
            }
        }
        if (!out.empty()) return out;
    }
    // The middle of the box can lie outside a ring or a crescent; the deepest pixel
    // of the region never does.
    OutlinePoint centre{(box.left + box.right + 1) / 2.0, (box.top + box.bottom + 1) / 2.0};
    if (insidePixel(mask, centre.x, centre.y)) return {centre};
    float best = -1;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x)
            if ((mask.at(x, y) & kMaskInside) && distance.at(x, y) > best) {
                best = distance.at(x, y);
                centre = {x + 0.5, y + 0.5};
            }
    return {centre};
}

// True when the straight way from s to e stays on inside pixels (the first steps
// off the outline are not checked: outline points sit on pixel edges).
bool reaches(const RasterImage& mask, double sx, double sy, double ex, double ey) {
    const double len = std::hypot(ex - sx, ey - sy);
    const long steps = long(std::ceil(len / 0.5));
    for (long k = 1; k <= steps; ++k) {
        const double t = double(k) / double(steps);
        if (t * len < 0.75) continue;
        if (!insidePixel(mask, sx + t * (ex - sx), sy + t * (ey - sy))) return false;
    }
    return true;
}

// The nearest inner vertex the outline vertex s reaches, or -1.
int curveEnd(const VertexList& vl, const PointBuckets& inner, int s, const RasterImage& mask,
             double maxRadius) {
    const double sx = vl.xs[size_t(s)], sy = vl.ys[size_t(s)];
    std::vector<std::pair<double, int32_t>> candidates;
    for (double radius = inner.cell();; radius *= 2) {
        candidates.clear();
        inner.near(sx, sy, radius, [&](int32_t i) {
            const double d = std::hypot(vl.xs[size_t(i)] - sx, vl.ys[size_t(i)] - sy);
            if (d <= radius) candidates.emplace_back(d, i);
        });
        if (!candidates.empty() || radius > maxRadius) break;
    }
    std::sort(candidates.begin(), candidates.end());
    const size_t tries = std::min<size_t>(candidates.size(), 16);
    for (size_t k = 0; k < tries; ++k) {
        const int e = candidates[k].second;
        if (reaches(mask, sx, sy, vl.xs[size_t(e)], vl.ys[size_t(e)])) return e;
    }
    return -1;
}

// Keeps the triangles inside the outline: those reached from the inner side of an
// outline edge without crossing another outline edge. A triangle whose middle lies
// well away from every inside pixel is never entered, so a gap in the outline
// cannot let the whole hull in.
std::vector<MeshTriangle> insideTriangles(const std::vector<MeshTriangle>& triangles,
                                          const std::vector<Vec3>& points,
                                          const std::vector<std::vector<int32_t>>& loops,
                                          const RasterImage& mask) {
    std::unordered_map<uint64_t, std::vector<int32_t>> byEdge;
    byEdge.reserve(triangles.size() * 2);
    for (size_t t = 0; t < triangles.size(); ++t)
        for (int k = 0; k < 3; ++k)
            byEdge[edgeKey(triangles[t].v[k], triangles[t].v[(k + 1) % 3])].push_back(int32_t(t));
    std::unordered_map<uint64_t, char> outlineEdges;
    for (auto& loop : loops)
        for (size_t i = 0; i < loop.size(); ++i)
            outlineEdges[edgeKey(loop[i], loop[(i + 1) % loop.size()])] = 1;

    auto nearRegion = [&](const MeshTriangle& t) {
        double cx = 0, cy = 0;
        for (int k = 0; k < 3; ++k) cx += points[size_t(t.v[k])].x, cy += points[size_t(t.v[k])].y;
        cx /= 3, cy /= 3;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (insidePixel(mask, cx + dx, cy + dy)) return true;
        return false;
    };

    std::vector<char> inside(triangles.size(), 0);
    std::vector<int32_t> queue;
    for (auto& loop : loops)
        for (size_t i = 0; i < loop.size(); ++i) {
            const int32_t a = loop[i], b = loop[(i + 1) % loop.size()];
            auto found = byEdge.find(edgeKey(a, b));
            if (found == byEdge.end()) continue;
            const Vec3 &pa = points[size_t(a)], &pb = points[size_t(b)];
            for (int32_t t : found->second) {
                const MeshTriangle& tri = triangles[size_t(t)];
                int32_t c = tri.v[0] + tri.v[1] + tri.v[2] - a - b;
                const Vec3& pc = points[size_t(c)];
                const double side = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
                // The inside lies on the screen-left of an outline edge.
                if (side < 0 && !inside[size_t(t)]) {
                    inside[size_t(t)] = 1;
                    queue.push_back(t);
                }
            }
        }
    while (!queue.empty()) {
        const int32_t t = queue.back();
        queue.pop_back();
        const MeshTriangle& tri = triangles[size_t(t)];
        for (int k = 0; k < 3; ++k) {
            const uint64_t key = edgeKey(tri.v[k], tri.v[(k + 1) % 3]);
            if (outlineEdges.count(key)) continue;
            for (int32_t u : byEdge[key])
                if (!inside[size_t(u)] && nearRegion(triangles[size_t(u)])) {
                    inside[size_t(u)] = 1;
                    queue.push_back(u);
                }
        }
    }
    std::vector<MeshTriangle> kept;
    for (size_t t = 0; t < triangles.size(); ++t)
        if (inside[t]) kept.push_back(triangles[t]);
    return kept;
}

// The edge set of a triangle list: lower, higher, outer flag (1 when only one
// triangle has the edge), 0.
std::vector<MeshEdge> edgeSet(const std::vector<MeshTriangle>& triangles) {
    std::unordered_map<uint64_t, int32_t> index;
    std::vector<MeshEdge> edges;
    std::vector<int> uses;
    for (const MeshTriangle& t : triangles)
        for (int k = 0; k < 3; ++k) {
            const int32_t a = t.v[k], b = t.v[(k + 1) % 3];
            auto [it, added] = index.emplace(edgeKey(a, b), int32_t(edges.size()));
            if (added) {
                edges.push_back({std::min(a, b), std::max(a, b), 0, 0});
                uses.push_back(0);
            }
            ++uses[size_t(it->second)];
        }
    for (size_t i = 0; i < edges.size(); ++i) edges[i][EdgeField::Outer] = uses[i] == 1 ? 1 : 0;
    return edges;
}

double depthAt(const HeightMap& heights, const DistanceMap& distance, double blend, double x,
               double y) {
    double z = 0;
    sampleHeight(heights, x, y, z);
    if (blend != 0 && std::isfinite(blend)) {
        const double a = std::clamp(blend, 0.0, 100.0) / 100.0;
        z = a * distance.sample(x, y) + (1 - a) * z;
    }
    return std::max(0.0, z);
}

void setPosition(AnimPoint& p, double x, double y, double z) {
    p.texture = p.start = p.end = p.current = Vec3{x, y, z};
}

// Puts a new mesh in place of the object's old one; the user dots stay behind the
// vertices, and everything naming them follows.
void replaceMesh(AnimationModel& model, int slot, std::vector<AnimPoint> vertices,
                 std::vector<MeshTriangle> triangles, std::vector<MeshEdge> edges,
                 ContourList contour, int outlineCount) {
    replaceMeshVertices(model, slot, std::move(vertices), outlineCount);
    AnimObject& o = model.object(slot);
    o.triangles = std::move(triangles);
    o.edges = std::move(edges);
    objectContourList(o) = std::move(contour);
}

} // namespace

namespace {

// The build of one shape, stage by stage in the order of ShapeBuilder.h: the region
// cut to its box, its skeleton and outline, the outline, inner and surface-curve
// vertices, the optimizing step, the constrained triangulation, the depths, the
// back surface, and the move back to image coordinates. Each stage that can fail
// returns why; the vertex limit and cancelling end the build with the object as it
// was.
struct ShapeBuild {
    ShapeBuild(Rng& rng, Progress* progress) : rng(rng), progress(progress) {}

    Rng& rng;
    Progress* progress;
    // The region's box grown by one pixel: the working mask and its place in the image.
    RasterImage mask;
    int left = 0, top = 0;
    Box box; // the region's box inside `mask`
    double diagonal = 0;
    int samples = 0; // per surface curve
    double spacing = 0;

    std::vector<uint32_t> skeleton;
    std::optional<DistanceMap> distance;
    std::vector<OutlineLoop> loops;
    VertexList vertexList;
    std::vector<std::vector<int32_t>> loopIndices;
    int outlineCount = 0;
    std::vector<int32_t> inner;
    std::vector<SurfaceCurve> curves;

    std::vector<AnimPoint> vertices;
    ContourList contour;
    std::vector<MeshTriangle> triangles;
    std::vector<MeshEdge> edges;
};

Status vertexLimit() {
    return Status::failed(std::string(kVertexLimitMessage));
}

Status cancelIfAsked(const ShapeBuild& b) {
    return cancelled(b.progress) ? Status::cancelled() : Status::ok();
}

// Works on the region's box grown by one pixel. Outside the image counts as outside
// as much as an outside pixel does, so the chords, the skeleton and the outline are
// those of the whole mask, shifted.
void cropToRegion(ShapeBuild& b, const RasterImage& imageMask, const Box& imageBox,
                  int32_t definition) {
    b.left = std::max(0, imageBox.left - 1), b.top = std::max(0, imageBox.top - 1);
    const int right = std::min(imageMask.width() - 1, imageBox.right + 1);
    const int bottom = std::min(imageMask.height() - 1, imageBox.bottom + 1);
    b.mask = RasterImage(right - b.left + 1, bottom - b.top + 1, 0);
    for (int y = 0; y < b.mask.height(); ++y)
        for (int x = 0; x < b.mask.width(); ++x)
            b.mask.at(x, y) = imageMask.at(x + b.left, y + b.top) & kMaskInside;
    b.box = {imageBox.left - b.left, imageBox.top - b.top, imageBox.right - b.left,
             imageBox.bottom - b.top};
    b.diagonal = b.box.diagonal();
    b.samples = samplesPerCurve(definition);
}

// The outline loops, simplified as far as they stay apart, cut to the spacing and
// halved where another outline point crowds an edge.
void traceSurfaceOutline(ShapeBuild& b) {
    b.distance = buildDistanceMap(b.mask);
    b.spacing = std::clamp(b.diagonal / (2.0 * b.samples), 1.0,
                           std::max(1.0, double(b.distance->maximum())));
    const std::vector<OutlineLoop> traced = traceRegionOutlines(b.mask);
    std::vector<OutlineLoop> simple;
    for (double tolerance = std::max(kSafeTolerance, b.spacing / 8);;
         tolerance = std::max(kSafeTolerance, tolerance / 2)) {
        simple.clear();
        for (auto& loop : traced) simple.push_back(simplifyOutline(loop, tolerance));
        if (tolerance <= kSafeTolerance || !outlinesSelfIntersect(simple)) break;
    }
    b.loops.clear();
    for (auto& loop : simple) b.loops.push_back(subdivideOutline(loop, b.spacing));
    conformOutline(b.loops, b.spacing);
}

// The outline points become the first vertices; loops that shrink below three
// vertices are dropped.
Status placeOutlineVertices(ShapeBuild& b) {
    for (auto& loop : b.loops) {
        std::vector<int32_t> indices;
        for (auto p : loop) {
            const int v =
                b.vertexList.add(p.x + b.rng.jitter(), p.y + b.rng.jitter(), kOutlineFlags);
            if (v < 0) return vertexLimit();
            if (indices.empty() || indices.back() != v) indices.push_back(v);
        }
        while (indices.size() > 1 && indices.back() == indices.front()) indices.pop_back();
        if (indices.size() >= 3) b.loopIndices.push_back(std::move(indices));
    }
    b.outlineCount = b.vertexList.size();
    if (b.loopIndices.empty()) return Status::refused({}, "the region has no outline");
    return Status::ok();
}

Status placeInnerVertices(ShapeBuild& b) {
    for (auto p : innerPoints(b.skeleton, b.mask, b.box, *b.distance, b.spacing)) {
        const int v = b.vertexList.add(p.x + b.rng.jitter(), p.y + b.rng.jitter(), kInnerFlags);
        if (v < 0) return vertexLimit();
        if (v >= b.outlineCount) b.inner.push_back(v);
    }
    return cancelIfAsked(b);
}

// One curve from every outline vertex to the nearest inner vertex it reaches, sampled
// into samples - 1 vertices.
Status sampleSurfaceCurves(ShapeBuild& b) {
    if (b.inner.empty()) return Status::ok();
    VertexList& vl = b.vertexList;
    const Box& box = b.box;
    PointBuckets innerBuckets(box.left - 1, box.top - 1, box.right + 2, box.bottom + 2, b.spacing);
    for (int32_t i : b.inner) innerBuckets.add(vl.xs[size_t(i)], vl.ys[size_t(i)], i);
    const int n = b.samples;
    for (int s = 0; s < b.outlineCount; ++s) {
        const int e = curveEnd(vl, innerBuckets, s, b.mask, b.diagonal);
        if (e < 0) continue;
        SurfaceCurve curve;
        curve.start = s;
        curve.end = e;
        const double sx = vl.xs[size_t(s)], sy = vl.ys[size_t(s)];
        const double ex = vl.xs[size_t(e)], ey = vl.ys[size_t(e)];
        curve.points.push_back(s);
        for (int k = 1; k <= n - 2; ++k) {
            const double t = double(k) / n;
            const int v = vl.add(sx + t * (ex - sx) + b.rng.jitter(),
                                 sy + t * (ey - sy) + b.rng.jitter(), kInnerFlags);
            if (v < 0) return vertexLimit();
            curve.points.push_back(v);
        }
        curve.points.push_back(-1);
        curve.points.push_back(e);
        b.curves.push_back(std::move(curve));
        if ((s & 255) == 0 && cancelled(b.progress)) return Status::cancelled();
    }
    return Status::ok();
}

// Inner vertices too close to an outline edge would keep it out of the triangulation;
// the outline alone covers that strip.
void dropVerticesNearOutline(ShapeBuild& b) {
    const Box& box = b.box;
    PointBuckets all(box.left - 1, box.top - 1, box.right + 2, box.bottom + 2, b.spacing);
    std::vector<AnimPoint>& vertices = b.vertices;
    for (size_t i = size_t(b.outlineCount); i < vertices.size(); ++i)
        all.add(vertices[i].texture.x, vertices[i].texture.y, int32_t(i));
    for (auto& loop : b.loopIndices)
        for (size_t i = 0; i < loop.size(); ++i) {
            const Vec3 a = vertices[size_t(loop[i])].texture;
            const Vec3 c = vertices[size_t(loop[(i + 1) % loop.size()])].texture;
            const double mx = (a.x + c.x) / 2, my = (a.y + c.y) / 2;
            const double r = std::hypot(c.x - a.x, c.y - a.y) / 2 * 1.02 + 0.02;
            all.near(mx, my, r, [&](int32_t k) {
                AnimPoint& p = vertices[size_t(k)];
                if (std::hypot(p.texture.x - mx, p.texture.y - my) < r)
                    p.flags |= PointFlag::Deleted;
            });
        }
}

// The optimizing step, then the deleted vertices go (the outline ones come first and
// are never deleted) and the curves follow the new indices.
Status optimizeShapeVertices(ShapeBuild& b, int32_t definition) {
    const VertexList& vl = b.vertexList;
    std::vector<AnimPoint> vertices(size_t(vl.size()));
    for (size_t i = 0; i < vertices.size(); ++i) {
        vertices[i].flags = vl.flags_[i];
        setPosition(vertices[i], vl.xs[i], vl.ys[i], 0);
    }
    b.vertices = std::move(vertices);
    dropVerticesNearOutline(b);
    optimizeVertices(b.vertices, definition, b.diagonal);

    std::vector<int32_t> remap(b.vertices.size(), -1);
    std::vector<AnimPoint> kept;
    for (size_t i = 0; i < b.vertices.size(); ++i)
        if (!(b.vertices[i].flags & PointFlag::Deleted)) {
            remap[i] = int32_t(kept.size());
            kept.push_back(b.vertices[i]);
        }
    b.vertices = std::move(kept);
    for (SurfaceCurve& c : b.curves) {
        c.start = remap[size_t(c.start)];
        c.end = remap[size_t(c.end)];
        for (int32_t& p : c.points)
            if (p >= 0) p = remap[size_t(p)];
    }
    for (auto& loop : b.loopIndices) appendContourRun(b.contour, loop, true);
    return cancelIfAsked(b);
}

// The triangulation with the outline as constraint, cut to the triangles inside it.
Status triangulateShape(ShapeBuild& b) {
    std::vector<Vec3> points;
    points.reserve(b.vertices.size() + 4);
    for (const AnimPoint& p : b.vertices) points.push_back(p.texture);
    // Four far corners around everything: no outline point is then on the hull, where
    // a straight run of nearly collinear points (a region along the image border)
    // would give slivers with circles too large to compare reliably. The corners
    // only make triangles outside the region, which are dropped below.
    const Box& box = b.box;
    const double margin = std::max(8.0, b.diagonal / 4);
    const double l = box.left - margin, t = box.top - margin;
    const double r = box.right + 1 + margin, bottom = box.bottom + 1 + margin;
    for (Vec3 corner : {Vec3{l, t, 0}, Vec3{l, bottom, 0}, Vec3{r, bottom, 0}, Vec3{r, t, 0}})
        points.push_back({corner.x + b.rng.jitter(), corner.y + b.rng.jitter(), 0});

    std::vector<MeshEdge> triangulatorEdges;
    std::vector<MeshTriangle> triangles;
    const Result<int> made =
        triangulate(points, triangulatorEdges, triangles, &b.contour, b.progress);
    if (!made) return made.status();
    b.triangles = insideTriangles(triangles, points, b.loopIndices, b.mask);
    for (const MeshTriangle& tri : b.triangles)
        for (int k = 0; k < 3; ++k)
            if (tri.v[k] >= int(b.vertices.size())) // cannot happen: flood stops at the outline
                return Status::failed({}, "a triangle reached a far corner");
    if (b.triangles.empty()) return Status::refused({}, "no triangle inside the region");
    b.edges = edgeSet(b.triangles);
    return Status::ok();
}

void setShapeDepths(ShapeBuild& b, double blend) {
    const HeightMap heights = buildHeightMap(b.mask);
    for (AnimPoint& p : b.vertices) {
        const double z = (p.flags & PointFlag::Outline)
                             ? 0.0
                             : depthAt(heights, *b.distance, blend, p.texture.x, p.texture.y);
        setPosition(p, p.texture.x, p.texture.y, z);
    }
}

// Every vertex off the image plane gets a mirrored twin; the twins' triangles turn
// the other way round, and the edges between twins join the edge set.
Status addBackSurface(ShapeBuild& b) {
    std::vector<AnimPoint>& vertices = b.vertices;
    const size_t front = vertices.size();
    std::vector<int32_t> twin(front);
    for (size_t i = 0; i < front; ++i) {
        // The outline, and any point left in the image plane, serve both surfaces.
        if ((vertices[i].flags & PointFlag::Outline) || vertices[i].texture.z == 0) {
            twin[i] = int32_t(i);
            continue;
        }
        if (int(vertices.size()) >= kMaxObjectVertices) return vertexLimit();
        AnimPoint back = vertices[i];
        back.flags |= PointFlag::BackSurface;
        setPosition(back, back.texture.x, back.texture.y, -vertices[i].texture.z);
        twin[i] = int32_t(vertices.size());
        vertices.push_back(back);
    }
    const size_t frontTriangles = b.triangles.size();
    for (size_t t = 0; t < frontTriangles; ++t) {
        const MeshTriangle& f = b.triangles[t];
        MeshTriangle m = f;
        m.v[0] = twin[size_t(f.v[0])];
        m.v[1] = twin[size_t(f.v[2])];
        m.v[2] = twin[size_t(f.v[1])];
        b.triangles.push_back(m);
    }
    const size_t frontEdges = b.edges.size();
    for (size_t e = 0; e < frontEdges; ++e) {
        const int32_t a = twin[size_t(b.edges[e][0])], c = twin[size_t(b.edges[e][1])];
        if (a == b.edges[e][0] && c == b.edges[e][1]) continue; // shared outline edge
        b.edges.push_back({std::min(a, c), std::max(a, c), 0, 0});
    }
    return Status::ok();
}

// Vertices and skeleton into image coordinates; the skeleton run by run (a code,
// points, the terminator), dropped when a point no longer fits its 15 bits.
void moveToImage(ShapeBuild& b) {
    for (AnimPoint& p : b.vertices)
        setPosition(p, p.texture.x + b.left, p.texture.y + b.top, p.texture.z);
    const std::vector<uint32_t>& skeleton = b.skeleton;
    std::vector<uint32_t> shifted;
    bool fits = true;
    for (size_t i = 0; i < skeleton.size();) {
        shifted.push_back(skeleton[i++]);
        for (; i < skeleton.size() && skeleton[i] != kPointListEnd; ++i) {
            const uint32_t x = (skeleton[i] & 0xFFFF) + uint32_t(b.left);
            const uint32_t y = (skeleton[i] >> 16) + uint32_t(b.top);
            fits = fits && x <= 0x7FFF && y <= 0x7FFF;
            shifted.push_back(x | (y << 16));
        }
        shifted.push_back(kPointListEnd);
        ++i;
    }
    b.skeleton = fits ? std::move(shifted) : std::vector<uint32_t>{};
}

MeshSize commitShape(AnimationModel& model, int slot, ShapeBuild& b, const RasterImage& imageMask,
                     const Box& imageBox) {
    const MeshSize size{int(b.vertices.size()), int(b.triangles.size())};
    replaceMesh(model, slot, std::move(b.vertices), std::move(b.triangles), std::move(b.edges),
                std::move(b.contour), b.outlineCount);
    AnimObject& o = model.object(slot);
    o.flag3d = 1;
    o.skeleton = std::move(b.skeleton);
    o.surfaceCurves = std::move(b.curves);
    if (o.textureRect.right <= o.textureRect.left || o.textureRect.bottom <= o.textureRect.top)
        o.textureRect = {imageBox.left, imageBox.top, imageBox.right + 1, imageBox.bottom + 1};
    if (!o.ownedMasks[kRegionMaskSlot]) setObjectRegionMask(o, imageMask);
    return size;
}

// The stages from the skeleton to the finished mesh, with the progress texts.
Status buildShape(ShapeBuild& b, const ShapeBuildOptions& options, Prompter& prompter) {
    announce(b.progress, prompter, kBuildingSkeleton);
    b.skeleton = buildSkeleton(b.mask);
    if (Status s = cancelIfAsked(b); !s) return s;

    announce(b.progress, prompter, kBuildingSurface);
    traceSurfaceOutline(b);
    if (Status s = placeOutlineVertices(b); !s) return s;
    if (Status s = placeInnerVertices(b); !s) return s;

    announce(b.progress, prompter, kBuildingSurfaceCurves);
    if (Status s = sampleSurfaceCurves(b); !s) return s;

    announce(b.progress, prompter, kOptimizing);
    if (Status s = optimizeShapeVertices(b, options.definition); !s) return s;
    if (Status s = triangulateShape(b); !s) return s;
    setShapeDepths(b, options.blend);
    if (options.solid) {
        if (Status s = addBackSurface(b); !s) return s;
    }
    moveToImage(b);
    return Status::ok();
}

} // namespace

Result<MeshSize> build3dObject(AnimationModel& model, int slot, const RasterImage& imageMask,
                               const ShapeBuildOptions& options, Progress* progress,
                               Prompter& prompter) {
    if (slot < 0 || slot >= model.objectCount || imageMask.isDescriptor() || imageMask.empty())
        return Status::refused({}, "no such object, or no region mask");
    const Box imageBox = regionBox(imageMask);
    if (imageBox.empty()) return Status::refused({}, "the region is empty");
    ShapeBuild b(model.rng, progress);
    cropToRegion(b, imageMask, imageBox, options.definition);
    Status built = buildShape(b, options, prompter);
    if (!built) {
        if (!built.message().empty()) prompter.message(built.message());
        return built;
    }
    return commitShape(model, slot, b, imageMask, imageBox);
}

Result<MeshSize> build3dObjectFromOutline(AnimationModel& model, int slot,
                                          std::span<const uint32_t> outline,
                                          const ShapeBuildOptions& options, Progress* progress,
                                          Prompter& prompter) {
    std::vector<IntPoint> polygon;
    for (uint32_t word : outline) {
        if (word == kPointListEnd) break;
        polygon.push_back({int(word & 0xFFFF), int(word >> 16)});
    }
    if (polygon.size() < 3 || model.startWidth <= 0 || model.startHeight <= 0)
        return Status::refused({}, "the outline has fewer than three points");
    RasterImage mask(model.startWidth, model.startHeight, 0);
    fillPolygon(mask, polygon, MaskBit::Outline, kMaskInside);
    return build3dObject(model, slot, mask, options, progress, prompter);
}

VolumeBuilder shapeVolumeBuilder(ShapeBuildOptions options, Progress* progress,
                                 Prompter& prompter) {
    return
        [options, progress, &prompter](AnimationModel& model, int slot, const RasterImage& mask) {
            ShapeBuildOptions own = options;
            own.definition = model.object(slot).settingWord;
            return build3dObject(model, slot, mask, own, progress, prompter).status();
        };
}

bool applyDepth(AnimationModel& model, int slot, double blend, const RasterImage* mask) {
    if (slot < 0 || slot >= model.objectCount) return false;
    AnimObject& o = model.object(slot);
    const int count = std::clamp(o.vertexCount, 0, int(o.points.size()));
    if (count == 0) return false;
    std::optional<RasterImage> region;
    if (!mask) {
        region = objectRegionMask(o);
        if (!region) return false;
        mask = &*region;
    }
    const HeightMap heights = buildHeightMap(*mask);
    const DistanceMap distance = buildDistanceMap(*mask);
    for (int i = 0; i < count; ++i) {
        AnimPoint& p = o.points[size_t(i)];
        double z = (p.flags & PointFlag::Outline)
                       ? 0.0
                       : depthAt(heights, distance, blend, p.texture.x, p.texture.y);
        if (p.flags & PointFlag::BackSurface) z = -z;
        p.texture.z = p.start.z = p.end.z = p.current.z = z;
    }
    return true;
}

bool acceptViewImages(std::span<const std::string> paths, Prompter& prompter) {
    if (!paths.empty() && !paths.front().empty()) return true;
    prompter.message(kFrontViewRequired);
    return false;
}

bool buildFullImageMesh(AnimationModel& model, int32_t definition, Prompter& prompter) {
    if (model.objectCount == 0) {
        const int slot = model.addObject(prompter);
        if (slot < 0) return false;
        model.object(slot).textureRect = {0, 0, model.startWidth, model.startHeight};
    }
    AnimObject& o = model.object(0);
    IntRect rect = o.textureRect;
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        rect = o.textureRect = {0, 0, model.startWidth, model.startHeight};
    const double w = double(rect.right) - rect.left, h = double(rect.bottom) - rect.top;
    if (!(w > 0 && h > 0)) return false;
    const double diagonal = std::sqrt(w * w + h * h);
    // Levels beyond the three offered take the nearest of them.
    const int level = std::clamp(definition, 0, 2);
    const double step = std::max(1.0, diagonal / (level == 0 ? 64.0 : level == 1 ? 122.0 : 244.0));
    // A picture much narrower than the spacing still gets one column (and row) of
    // cells rather than a division by zero.
    const int columns = std::max(1, int(w / step)), rows = std::max(1, int(h / step));

    std::vector<AnimPoint> vertices;
    vertices.reserve(size_t(columns + 1) * size_t(rows + 1));
    for (int m = 0; m <= rows; ++m)
        for (int k = 0; k <= columns; ++k) {
            AnimPoint p;
            p.flags = PointFlag::NewMeshVertex;
            if (m == 0 || k == 0 || m == rows || k == columns) p.flags |= PointFlag::Outline;
            const double x = rect.left + k * w / columns + model.rng.jitter();
            const double y = rect.top + m * h / rows + model.rng.jitter();
            setPosition(p, x, y, 0);
            vertices.push_back(p);
        }
    auto at = [&](int k, int m) { return int32_t(m * (columns + 1) + k); };
    std::vector<MeshTriangle> triangles;
    for (int m = 0; m < rows; ++m)
        for (int k = 0; k < columns; ++k) {
            MeshTriangle a, b;
            a.v[0] = at(k, m), a.v[1] = at(k, m + 1), a.v[2] = at(k + 1, m + 1);
            b.v[0] = at(k, m), b.v[1] = at(k + 1, m + 1), b.v[2] = at(k + 1, m);
            triangles.push_back(a);
            triangles.push_back(b);
        }
    // Around the border the way every outline runs: down the left side first.
    std::vector<int32_t> border;
    for (int m = 0; m < rows; ++m) border.push_back(at(0, m));
    for (int k = 0; k < columns; ++k) border.push_back(at(k, rows));
    for (int m = rows; m > 0; --m) border.push_back(at(columns, m));
    for (int k = columns; k > 0; --k) border.push_back(at(k, 0));
    ContourList contour;
    appendContourRun(contour, border, true);
    std::vector<MeshEdge> edges = edgeSet(triangles);
    replaceMesh(model, 0, std::move(vertices), std::move(triangles), std::move(edges),
                std::move(contour), 0);
    o.flag3d = 1;
    o.skeleton.clear();
    o.surfaceCurves.clear();
    return true;
}

} // namespace zx
