// Projection, vertex normals and the flat brightness offset.

#include "render/ProjectVertices.h"
#include "SilentTestPrompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace zx {
namespace {

AnimationModel modelWithPoints(std::initializer_list<Vec3> points) {
    AnimationModel m;
    m.startWidth = 200;
    m.startHeight = 100;
    const int slot = m.addObject(testing::silentPrompter());
    AnimObject& o = m.object(slot);
    for (const Vec3& p : points) {
        AnimPoint a;
        a.flags = PointFlag::MeshVertex;
        a.current = p;
        o.points.push_back(a);
    }
    o.vertexCount = int(o.points.size());
    return m;
}

TEST(ProjectVertices, NoCameraLeavesPositionsAsTheyAre) {
    AnimationModel m = modelWithPoints({{10.25, 20.5, 3}});
    projectVertices(m, 0);
    EXPECT_EQ(m.object(0).points[0].current, (Vec3{10.25, 20.5, 3}));
}

TEST(ProjectVertices, DefaultDistanceKeepsDepthZeroAtScale) {
    AnimationModel m = modelWithPoints({{10, 20, 0}, {150, 90, 0}, {100, 50, 50}});
    m.renderSettings.perspective = 1;
    m.renderSettings.cameraDistance = 4 * 200;
    projectVertices(m, 0);
    const auto& p = m.object(0).points;
    EXPECT_NEAR(p[0].current.x, 10, 1e-9);
    EXPECT_NEAR(p[0].current.y, 20, 1e-9);
    EXPECT_NEAR(p[1].current.x, 150, 1e-9);
    // The centre stays; a point nearer the eye is only moved in depth.
    EXPECT_NEAR(p[2].current.x, 100, 1e-9);
    EXPECT_NEAR(p[2].current.z, 50, 1e-9);
}

TEST(ProjectVertices, TurnRotatesAboutTheImageCentreAndTurnsTheLight) {
    AnimationModel m = modelWithPoints({{110, 50, 0}, {100, 50, 10}});
    m.renderSettings.turn = std::numbers::pi / 2;
    m.renderSettings.baseLight = {0, 0, -1};
    projectVertices(m, 0);
    const auto& p = m.object(0).points;
    // dx = 10 at depth 0 turns into depth −10 on the axis.
    EXPECT_NEAR(p[0].current.x, 100, 1e-9);
    EXPECT_NEAR(p[0].current.z, -10, 1e-9);
    // Depth 10 on the axis turns into 10 to the right.
    EXPECT_NEAR(p[1].current.x, 110, 1e-9);
    EXPECT_NEAR(m.renderSettings.light.x, -1, 1e-9);
    EXPECT_NEAR(m.renderSettings.light.z, 0, 1e-9);

    AnimationModel follow = modelWithPoints({{110, 50, 0}});
    follow.renderSettings.turn = std::numbers::pi / 2;
    follow.renderSettings.lightFollowsCamera = 1;
    projectVertices(follow, 0);
    EXPECT_EQ(follow.renderSettings.light, (Vec3{0, 0, -1}));
}

TEST(ProjectVertices, PointInTheEyePlaneStaysFinite) {
    AnimationModel m = modelWithPoints({{120, 50, 800}});
    m.renderSettings.perspective = 1;
    m.renderSettings.cameraDistance = 800;
    projectVertices(m, 0);
    EXPECT_TRUE(std::isfinite(m.object(0).points[0].current.x));
}

TEST(VertexNormals, FlatMeshFacesOneWayAndLoneVerticesTakeTheDefault) {
    AnimationModel m = modelWithPoints({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {50, 50, 0}});
    MeshTriangle t;
    t.v[0] = 0, t.v[1] = 1, t.v[2] = 2;
    m.object(0).triangles = {t, t};
    MeshTriangle hidden = t;
    hidden.flags = TriangleFlag::Hidden;
    hidden.v[2] = 3;
    MeshTriangle broken = t;
    broken.v[1] = 77;
    m.object(0).triangles.push_back(hidden);
    m.object(0).triangles.push_back(broken);
    std::vector<Vec3> normals;
    computeVertexNormals(m, 0, normals);
    ASSERT_EQ(normals.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(normals[size_t(i)].x, 0, 1e-6);
        EXPECT_NEAR(normals[size_t(i)].z, 1, 1e-6);
    }
    EXPECT_EQ(normals[3], m.renderSettings.defaultNormal);
    // The jitter stays in the positions, below 1e-6 on x and y only.
    const Vec3& p = m.object(0).points[1].current;
    EXPECT_NE(p.x, 10);
    EXPECT_NEAR(p.x, 10, 2e-6);
    EXPECT_EQ(p.z, 0);
    EXPECT_EQ(m.object(0).points[3].current, (Vec3{50, 50, 0}));
}

TEST(VertexNormals, SameSeedSameJitter) {
    AnimationModel a = modelWithPoints({{0, 0, 0}, {10, 0, 0}, {0, 10, 5}});
    MeshTriangle t;
    t.v[0] = 0, t.v[1] = 1, t.v[2] = 2;
    a.object(0).triangles = {t};
    AnimationModel b = a;
    std::vector<Vec3> na, nb;
    computeVertexNormals(a, 0, na);
    computeVertexNormals(b, 0, nb);
    EXPECT_EQ(na, nb);
    EXPECT_EQ(a.object(0).points[2].current, b.object(0).points[2].current);
}

TEST(FlatOffset, FacingTheLightRightAnglesAndAway) {
    const Vec3 p0{0, 0, 0}, p1{10, 0, 0}, p2{0, 10, 0}; // normal (0, 0, 100)
    EXPECT_EQ(flatOffset(p0, p1, p2, {0, 0, 1}, 0.75, -1.0, 60), 0);
    EXPECT_EQ(flatOffset(p0, p1, p2, {1, 0, 0}, 0.75, -1.0, 60), -60);
    // Facing away: |cos × back light| = 0.75, so (0.75 − 1) × 60.
    EXPECT_EQ(flatOffset(p0, p1, p2, {0, 0, -1}, 0.75, -1.0, 60), -15);
    // Ambient −0.5 (brightness −128) lifts a surface seen edge-on.
    EXPECT_EQ(flatOffset(p0, p1, p2, {1, 0, 0}, 0.75, -0.5, 60), -30);
    // A degenerate triangle counts as facing the light.
    EXPECT_EQ(flatOffset(p0, p0, p0, {1, 0, 0}, 0.75, -1.0, 60), 0);
}

} // namespace
} // namespace zx
