#include "render/ProjectVertices.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

constexpr int kMaxFaceNormals = 32;

} // namespace

void projectVertices(AnimationModel& model, int slot) {
    RenderSettings& rs = model.renderSettings;
    AnimObject& o = model.object(slot);
    const int n = drawableVertexCount(o);
    const double a = rs.turn, b = rs.tilt;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);

    const bool identity =
        rs.perspective == 0 && a == 0 && b == 0 && rs.shiftX == 0 && rs.shiftY == 0;
    if (!identity) {
        const double cx = model.startWidth / 2.0, cy = model.startHeight / 2.0;
        const double D = rs.cameraDistance;
        const double r = std::max(cx, cy);
        for (int i = 0; i < n; ++i) {
            Vec3& p = o.points[size_t(i)].current;
            const double dx = p.x - cx, dy = p.y - cy;
            const double z1 = p.z * ca - dx * sa;
            double x1 = dx * ca + p.z * sa;
            const double z2 = z1 * cb + dy * sb;
            double y1 = dy * cb - z1 * sb;
            if (rs.perspective) {
                double depth = D - z2;
                // A point in the eye's plane would divide by zero; it lands far away.
                if (std::fabs(depth) < 1e-9) depth = 1e-9;
                x1 = 8 * r * x1 / depth;
                y1 = 8 * r * y1 / depth;
            }
            p = {cx + x1 + rs.shiftX, cy + y1 + rs.shiftY, z2};
        }
    }

    const Vec3& L = rs.baseLight;
    if (rs.lightFollowsCamera) {
        rs.light = L;
    } else {
        const double x = L.x * ca + L.z * sa;
        const double z = L.z * ca - L.x * sa;
        rs.light = {x, L.y * cb - z * sb, L.y * sb + z * cb};
    }
}

void computeVertexNormals(AnimationModel& model, int slot, std::vector<Vec3>& normals) {
    AnimObject& o = model.object(slot);
    const int n = drawableVertexCount(o);
    normals.assign(size_t(n), Vec3{});
    std::vector<uint8_t> counts(size_t(n), 0);
    for (const MeshTriangle& t : o.triangles) {
        if (t.flags < 0) continue;
        bool valid = true;
        for (int k = 0; k < 3; ++k) valid = valid && t.v[k] >= 0 && t.v[k] < n;
        if (!valid) continue;
        for (int k = 0; k < 3; ++k) {
            Vec3& p = o.points[size_t(t.v[k])].current;
            p.x += model.rng.jitter();
            p.y += model.rng.jitter();
        }
        const Vec3& p0 = o.points[size_t(t.v[0])].current;
        const Vec3 face =
            cross(o.points[size_t(t.v[1])].current - p0, o.points[size_t(t.v[2])].current - p0);
        if (!(length(face) >= 1e-9)) continue;
        for (int k = 0; k < 3; ++k) {
            const size_t v = size_t(t.v[k]);
            if (counts[v] >= kMaxFaceNormals) continue;
            ++counts[v];
            normals[v] = normals[v] + face;
        }
    }
    const Vec3& fallback = model.renderSettings.defaultNormal;
    for (int i = 0; i < n; ++i) {
        const double len = length(normals[size_t(i)]);
        if (counts[size_t(i)] == 0 || !(len > 0) || !std::isfinite(len)) {
            normals[size_t(i)] = fallback;
        } else {
            const Vec3& s = normals[size_t(i)];
            normals[size_t(i)] = {s.x / len, s.y / len, s.z / len};
        }
    }
}

double flatOffset(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& light,
                  double backLight, double ambient, double m) {
    const Vec3 N = cross(p1 - p0, p2 - p0);
    const double lengths = length(N) * length(light);
    double c = lengths < 1e-9 ? 1.0 : dot(N, light) / lengths;
    if (c < 0) c = std::fabs(c * backLight);
    const double offset = (c + ambient) * m;
    return std::isfinite(offset) ? std::trunc(offset) : 0.0;
}

} // namespace zx
