#pragma once
// Checks that a built mesh is a proper triangulation of its outline in the image
// plane: all front triangles turn the same way, each inner edge is shared by exactly
// two of them, the edges used once are exactly the outline edges, and their areas
// add up to the area the outline encloses (so none overlaps another and none is
// missing).

#include "anim/AnimObject.h"
#include "mesh3d/ContourList.h"
#include "mesh3d/ShapeBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace zx::testing {

inline double signedArea2(const AnimObject& o, int a, int b, int c) {
    const Vec3 &pa = o.points[size_t(a)].texture, &pb = o.points[size_t(b)].texture,
               &pc = o.points[size_t(c)].texture;
    return (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
}

inline bool isBack(const AnimObject& o, int v) {
    return o.points[size_t(v)].flags & PointFlag::BackSurface;
}

// The region the contour encloses (outer loops less holes).
inline double contourArea(const AnimObject& o) {
    double sum = 0;
    for (const ContourRun& run : contourRuns(objectContourList(o))) {
        const auto& idx = run.indices;
        for (size_t i = 0; i < idx.size(); ++i) {
            const Vec3 &a = o.points[size_t(idx[i])].texture,
                       &b = o.points[size_t(idx[(i + 1) % idx.size()])].texture;
            sum += a.x * b.y - b.x * a.y;
        }
    }
    return -sum / 2;
}

// A solid lists its front triangles first, then the same number turned round for the
// back; `solid` says which kind the object is.
inline void expectProperFrontMesh(const AnimObject& o, bool solid = false) {
    ASSERT_GT(o.vertexCount, 0);
    ASSERT_LE(o.vertexCount, int(o.points.size()));
    double area = 0;
    int front = 0;
    std::map<std::pair<int, int>, int> uses;
    if (solid) {
        ASSERT_EQ(o.triangles.size() % 2, 0u);
    }
    const size_t frontCount = solid ? o.triangles.size() / 2 : o.triangles.size();
    for (size_t i = 0; i < o.triangles.size(); ++i) {
        const MeshTriangle& t = o.triangles[i];
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(t.v[k], 0);
            ASSERT_LT(t.v[k], o.vertexCount);
        }
        const bool back = isBack(o, t.v[0]) || isBack(o, t.v[1]) || isBack(o, t.v[2]);
        EXPECT_EQ(back && i < frontCount, false) << "back vertex in front triangle " << i;
        if (i >= frontCount) {
            // The back triangle mirrors front triangle i - frontCount.
            const MeshTriangle& f = o.triangles[i - frontCount];
            for (int k = 0; k < 3; ++k) {
                const Vec3& pb = o.points[size_t(t.v[k])].texture;
                const Vec3& pf = o.points[size_t(f.v[k == 0 ? 0 : 3 - k])].texture;
                EXPECT_EQ(pb.x, pf.x);
                EXPECT_EQ(pb.y, pf.y);
                EXPECT_EQ(pb.z, -pf.z);
            }
            continue;
        }
        ++front;
        const double a2 = signedArea2(o, t.v[0], t.v[1], t.v[2]);
        EXPECT_LT(a2, 0) << "inverted or empty triangle " << t.v[0] << " " << t.v[1] << " "
                         << t.v[2];
        area += -a2 / 2;
        for (int k = 0; k < 3; ++k) {
            int a = t.v[k], b = t.v[(k + 1) % 3];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    }
    ASSERT_GT(front, 0);
    std::set<std::pair<int, int>> outline;
    forEachContourEdge(objectContourList(o), [&](int32_t a, int32_t b) {
        outline.insert({std::min(a, b), std::max(a, b)});
    });
    for (auto& [edge, n] : uses) {
        EXPECT_LE(n, 2) << edge.first << "-" << edge.second;
        if (n == 1) {
            EXPECT_TRUE(outline.count(edge)) << "open edge " << edge.first << "-" << edge.second;
        }
    }
    for (auto& edge : outline) EXPECT_EQ(uses[edge], 1) << "outline edge " << edge.first;
    const double enclosed = contourArea(o);
    EXPECT_NEAR(area, enclosed, 1e-6 * enclosed + 1e-6);
}

} // namespace zx::testing
