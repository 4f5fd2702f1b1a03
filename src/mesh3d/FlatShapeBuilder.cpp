#include "mesh3d/FlatShapeBuilder.h"

#include "mesh3d/DistanceMap.h"
#include "mesh3d/HeightMap.h"
#include "mesh3d/MeshBuildContext.h"
#include "mesh3d/ObjectMesh.h"
#include "mesh3d/PointGrid.h"
#include "mesh3d/RegionOutline.h"
#include "platform/Prompter.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

// Crack points of the traced outline beyond which the region is too complex to mesh:
// even simplified it would pass the vertex limit, and tracing more is wasted time.
constexpr size_t kMaxOutlinePoints = size_t(VertexRegistry::kMaxVertices) * 4;

// Whether point p lies inside or on the circle over the edge a-b as diameter.
bool onOrInsideEdgeCircle(const OutlinePoint& p, const OutlinePoint& a, const OutlinePoint& b,
                          double slack) {
    const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
    const double r2 = ((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)) / 4;
    const double dx = p.x - mx, dy = p.y - my;
    return dx * dx + dy * dy <= r2 * slack + 1e-9;
}

// Halves the outline edges that another outline point encroaches on until none does
// (or the edges are too short to matter). Returns false past the vertex limit.
bool splitEncroachedEdges(std::vector<OutlineLoop>& loops) {
    for (int pass = 0; pass < 40; ++pass) {
        std::vector<double> xs, ys;
        for (const OutlineLoop& l : loops)
            for (const OutlinePoint& p : l) {
                xs.push_back(p.x);
                ys.push_back(p.y);
            }
        if (xs.size() > size_t(VertexRegistry::kMaxVertices)) return false;
        std::vector<uint8_t> valid(xs.size(), 1);
        PointGrid grid;
        grid.build(xs, ys, valid);
        bool changed = false;
        size_t base = 0;
        for (OutlineLoop& loop : loops) {
            const size_t n = loop.size();
            OutlineLoop out;
            out.reserve(n);
            for (size_t i = 0; i < n; ++i) {
                const OutlinePoint a = loop[i], b = loop[(i + 1) % n];
                out.push_back(a);
                const double len = std::hypot(b.x - a.x, b.y - a.y);
                if (len < 0.02) continue;
                bool encroached = false;
                const int32_t ia = int32_t(base + i), ib = int32_t(base + (i + 1) % n);
                grid.forEachNear((a.x + b.x) / 2, (a.y + b.y) / 2, len / 2 + 1e-6, [&](int32_t j) {
                    if (encroached || j == ia || j == ib) return;
                    encroached = onOrInsideEdgeCircle({xs[j], ys[j]}, a, b, 1.0 + 1e-9);
                });
                if (encroached) {
                    out.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2});
                    changed = true;
                }
            }
            base += n;
            loop = std::move(out);
        }
        if (!changed) break;
    }
    return true;
}

// The pixel edges between inside and outside: as many points as the traced outline
// will have, counted without tracing it.
size_t countBoundaryCracks(const RasterImage& mask) {
    const int w = mask.width(), h = mask.height();
    auto in = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && (mask.at(x, y) & kMaskInside);
    };
    size_t n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (in(x, y))
                n += size_t(!in(x - 1, y)) + !in(x + 1, y) + !in(x, y - 1) + !in(x, y + 1);
    return n;
}

} // namespace

double flatVertexSpacing(int32_t definition, double innerRadius) {
    return std::max(2.0, innerRadius / samplesPerCurve(definition));
}

Result<FlatVertices> buildFlatVertices(AnimationModel& model, int slot, const RasterImage& mask,
                                       Prompter& prompter, int maskLeft, int maskTop) {
    const Status tooComplex = Status::failed(std::string(kVertexLimitMessage));
    // A region with a very long outline (noise, a checkerboard) is refused before its
    // outline is traced: it could not be meshed within the vertex limit anyway.
    if (countBoundaryCracks(mask) > kMaxOutlinePoints) {
        prompter.message(kVertexLimitMessage);
        return tooComplex;
    }
    std::vector<OutlineLoop> traced = traceRegionOutlines(mask);
    if (traced.empty()) return Status::refused({}, "the region is empty");

    const DistanceMap distance = buildDistanceMap(mask);
    const double spacing =
        flatVertexSpacing(model.object(slot).settingWord, double(distance.maximum()));

    // Half a pixel keeps every inside pixel centre covered; where separate loops would
    // then cross (a hole near the border), fall back to the tolerance that cannot.
    std::vector<OutlineLoop> loops;
    for (const OutlineLoop& l : traced) loops.push_back(simplifyOutline(l, 0.5));
    if (outlinesSelfIntersect(loops)) {
        loops.clear();
        for (const OutlineLoop& l : traced) loops.push_back(simplifyOutline(l, kSafeTolerance));
    }
    for (OutlineLoop& l : loops) l = subdivideOutline(l, spacing);
    if (!splitEncroachedEdges(loops)) {
        prompter.message(kVertexLimitMessage);
        return tooComplex;
    }

    MeshBuildContext ctx(prompter);
    Rng& rng = model.rng;
    const int32_t outlineKind = PointFlag::Outline | PointFlag::Protected;
    for (const OutlineLoop& loop : loops) {
        std::vector<int32_t> run;
        run.reserve(loop.size());
        for (const OutlinePoint& p : loop) {
            const int32_t v = ctx.addVertex(p.x + maskLeft + rng.jitter(),
                                            p.y + maskTop + rng.jitter(), 0, outlineKind);
            if (v < 0) return tooComplex; // told by the context
            if (run.empty() || run.back() != v) run.push_back(v);
        }
        appendContourRun(ctx.contour, run, true);
    }
    const int outlineCount = ctx.vertexCount();

    // The outline edges by their midpoints, to keep lattice points out of the
    // circles over them (with a tenth to spare for the jitter).
    std::vector<double> mx, my, half;
    for (const OutlineLoop& loop : loops)
        for (size_t i = 0; i < loop.size(); ++i) {
            const OutlinePoint a = loop[i], b = loop[(i + 1) % loop.size()];
            mx.push_back((a.x + b.x) / 2);
            my.push_back((a.y + b.y) / 2);
            half.push_back(std::hypot(b.x - a.x, b.y - a.y) / 2);
        }
    double maxHalf = 0;
    for (double hv : half) maxHalf = std::max(maxHalf, hv);
    PointGrid edgeGrid;
    const std::vector<uint8_t> edgeValid(mx.size(), 1);
    edgeGrid.build(mx, my, edgeValid);

    // A triangular lattice: rows h * sqrt(3) / 2 apart, every other row shifted by
    // h / 2, kept at least h / 2 from the region's edge.
    const double rowStep = spacing * std::sqrt(3.0) / 2;
    const double minDepth = spacing / 2;
    const double x0 = distance.left, y0 = distance.top;
    const int rows = int(distance.height / rowStep) + 1;
    const int cols = int(distance.width / spacing) + 1;
    for (int r = 0; r <= rows; ++r) {
        const double y = y0 + r * rowStep;
        for (int c = 0; c <= cols; ++c) {
            const double x = x0 + c * spacing + ((r & 1) ? spacing / 2 : 0);
            if (distance.sample(x, y) < minDepth) continue;
            bool encroaches = false;
            edgeGrid.forEachNear(x, y, maxHalf * 1.1 + 1e-6, [&](int32_t k) {
                if (encroaches) return;
                const double dx = x - mx[k], dy = y - my[k];
                const double reach = half[k] * 1.1 + 1e-6;
                encroaches = dx * dx + dy * dy <= reach * reach;
            });
            if (encroaches) continue;
            if (ctx.addVertex(x + maskLeft + rng.jitter(), y + maskTop + rng.jitter(), 0, 0) < 0)
                return tooComplex;
        }
    }

    AnimObject& o = model.object(slot);
    replaceMeshVertices(model, slot, std::move(ctx.vertices), outlineCount);
    objectContourList(o) = std::move(ctx.contour);
    o.flag3d = 0;
    // The outer outline as pixels, for spin mode.
    o.outline.clear();
    for (const OutlinePoint& p : loops.front()) {
        const uint32_t px = uint32_t(std::clamp(std::lround(p.x + maskLeft), 0l, 0x7FFFl));
        const uint32_t py = uint32_t(std::clamp(std::lround(p.y + maskTop), 0l, 0x7FFFl));
        o.outline.push_back(px | (py << 16));
    }
    o.outline.push_back(0x80008000u);
    return FlatVertices{o.vertexCount, outlineCount};
}

} // namespace zx
