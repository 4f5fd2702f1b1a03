#include "mesh3d/MeshBuildContext.h"

#include "platform/Prompter.h"
#include "platform/Rng.h"

namespace zx {

int samplesPerCurve(int32_t definition) {
    return definition == 0 ? 8 : definition == 1 ? 16 : 32;
}

MeshBuildContext::MeshBuildContext(Prompter& prompter)
    : prompter_(prompter), registry_(std::make_unique<VertexRegistry>()) {}

int32_t MeshBuildContext::addVertex(double x, double y, double z, int32_t kindBits) {
    if (failed_) return -1;
    const int32_t found = registry_->find(x, y, z, xs_, ys_);
    if (found >= 0) return found;
    if (int(vertices.size()) >= VertexRegistry::kMaxVertices) {
        // The registry keeps one slot free so that every probe ends; past this the
        // object is too big for it.
        failed_ = true;
        prompter_.message(kVertexLimitMessage);
        return -1;
    }
    const int32_t index = int32_t(vertices.size());
    AnimPoint p;
    p.flags = PointFlag::NewMeshVertex | kindBits;
    p.texture = p.start = p.end = p.current = {x, y, z};
    vertices.push_back(p);
    curveEnd.push_back(-1);
    xs_.push_back(x);
    ys_.push_back(y);
    registry_->insert(x, y, z, index);
    return index;
}

std::vector<int32_t> MeshBuildContext::sampleCurve(const Vec3& start, int32_t end, int n,
                                                   Rng& rng) {
    std::vector<int32_t> curve;
    if (end < 0 || end >= int32_t(vertices.size()) || n < 2) return curve;
    const Vec3 e = vertices[end].texture;
    const double dx = (e.x - start.x) / n, dy = (e.y - start.y) / n, dz = (e.z - start.z) / n;
    for (int k = 0; k <= n - 2; ++k) {
        double x = start.x + k * dx, y = start.y + k * dy;
        if (k > 0) {
            x += rng.jitter();
            y += rng.jitter();
        }
        const int32_t v = addVertex(x, y, start.z + k * dz, 0);
        if (v < 0) return {};
        curveEnd[v] = end;
        curve.push_back(v);
    }
    curve.push_back(-1);
    curve.push_back(end);
    return curve;
}

} // namespace zx
