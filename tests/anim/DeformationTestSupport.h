#pragma once
// Builders for small animated objects used by the deformation and effect tests, and
// the comparison of positions they share.

#include "SilentTestPrompter.h"
#include "anim/AnimationModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace zx::testing {

inline std::unique_ptr<AnimationModel> makeModel(int lastFrame = 10) {
    auto model = std::make_unique<AnimationModel>();
    model->lastFrameIndex = lastFrame;
    return model;
}

inline AnimPoint vertexAt(double x, double y, double z = 0) {
    AnimPoint p;
    p.flags = PointFlag::MeshVertex;
    p.texture = p.start = p.end = p.current = {x, y, z};
    return p;
}

inline AnimPoint dotAt(Vec3 start, Vec3 end) {
    AnimPoint p;
    p.texture = p.start = p.current = start;
    p.end = end;
    return p;
}

// Adds an object whose mesh vertices are `vertices`, followed by `dots`.
inline AnimObject& addObject(AnimationModel& model, std::vector<AnimPoint> vertices,
                             std::vector<AnimPoint> dots = {}) {
    const int slot = model.addObject(testing::silentPrompter());
    AnimObject& o = model.object(slot);
    o.vertexCount = int(vertices.size());
    o.points = std::move(vertices);
    for (auto& d : dots) o.points.push_back(d);
    return o;
}

inline Bone boneBetween(int a, int b, int32_t flags = 0) {
    Bone bone;
    bone.dotA = a;
    bone.dotB = b;
    bone.flags = flags;
    return bone;
}

inline void expectNear(const Vec3& a, const Vec3& b, double eps = 1e-9) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

} // namespace zx::testing
