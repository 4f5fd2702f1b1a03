#include "mesh3d/Triangulate.h"

#include "platform/Progress.h"
#include "platform/Rng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>

using namespace zx;

namespace {

using TriangleKey = std::array<int32_t, 3>;

// A triangle as its sorted vertex indices, so that two triangulations compare as sets.
std::set<TriangleKey> triangleSet(const std::vector<MeshTriangle>& tris) {
    std::set<TriangleKey> out;
    for (const MeshTriangle& t : tris) {
        TriangleKey k = {t.v[0], t.v[1], t.v[2]};
        std::sort(k.begin(), k.end());
        out.insert(k);
    }
    return out;
}

double signedArea2(const std::vector<Vec3>& p, const MeshTriangle& t) {
    const Vec3 &a = p[t.v[0]], &b = p[t.v[1]], &c = p[t.v[2]];
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

std::vector<Vec3> jitteredGrid(int side, double spacing, Rng& rng) {
    std::vector<Vec3> pts;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pts.push_back({x * spacing + rng.uniform() * spacing * 0.8,
                           y * spacing + rng.uniform() * spacing * 0.8, 0});
    return pts;
}

std::vector<Vec3> uniformPoints(int n, double size, Rng& rng) {
    std::vector<Vec3> pts;
    for (int i = 0; i < n; ++i) pts.push_back({rng.uniform() * size, rng.uniform() * size, 0});
    return pts;
}

class DetailRecorder : public Progress {
public:
    void setDetail(std::string_view d) override { details.emplace_back(d); }
    std::vector<std::string> details;
};

} // namespace

TEST(Triangulate, ThreePointsGiveOneTriangleWithClosedHullSides) {
    std::vector<Vec3> pts = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    auto r = triangulate(pts, edges, tris, nullptr, nullptr);
    ASSERT_TRUE(r);
    ASSERT_EQ(*r, 1);
    ASSERT_EQ(tris.size(), 1u);
    EXPECT_EQ(edges.size(), 3u);
    for (const MeshEdge& e : edges) {
        EXPECT_LT(e[0], e[1]);
        EXPECT_EQ(e[2], 0);
        EXPECT_EQ(e[3], 0);
    }
    EXPECT_EQ(tris[0].flags, 0);
    EXPECT_EQ(tris[0].material, 0);
}

TEST(Triangulate, FewerThanThreeValidPointsGiveNothing) {
    std::vector<Vec3> pts = {{0, 0, 0}, {10, 0, 0}, {kFarPoint, kFarPoint, 0}};
    std::vector<MeshEdge> edges = {{1, 2, 3, 4}};
    std::vector<MeshTriangle> tris(3);
    auto r = triangulate(pts, edges, tris, nullptr, nullptr);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, 0);
    EXPECT_TRUE(tris.empty());
    EXPECT_TRUE(edges.empty());
}

TEST(Triangulate, DeletedPointsAppearInNoTriangle) {
    Rng rng(7);
    std::vector<Vec3> pts = uniformPoints(200, 100, rng);
    for (int i = 0; i < 200; i += 7) pts[i] = {kFarPoint, kFarPoint, 0};
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    ASSERT_TRUE(triangulate(pts, edges, tris, nullptr, nullptr));
    ASSERT_FALSE(tris.empty());
    for (const MeshTriangle& t : tris)
        for (int k = 0; k < 3; ++k) EXPECT_NE(t.v[k] % 7, 0);
    for (const MeshEdge& e : edges) {
        EXPECT_NE(e[0] % 7, 0);
        EXPECT_NE(e[1] % 7, 0);
    }
}

TEST(Triangulate, ContourRunsSeedTheirEdgesOpenOrClosed) {
    // Seven points; with only the contour's points near each other the seeds decide
    // which edges exist first, and the closing code decides whether 6-4 is a seed.
    std::vector<Vec3> pts = {{kFarPoint, kFarPoint, 0},
                             {kFarPoint, kFarPoint, 0},
                             {kFarPoint, kFarPoint, 0},
                             {kFarPoint, kFarPoint, 0},
                             {0, 0, 0},
                             {10, 0, 0},
                             {5, 8, 0}};
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    ContourList closed = {4, 5, 6, -1};
    ASSERT_TRUE(triangulate(pts, edges, tris, &closed, nullptr));
    ASSERT_GE(edges.size(), 3u);
    EXPECT_EQ((std::array<int32_t, 2>{edges[0][0], edges[0][1]}), (std::array<int32_t, 2>{4, 5}));
    EXPECT_EQ((std::array<int32_t, 2>{edges[1][0], edges[1][1]}), (std::array<int32_t, 2>{5, 6}));
    EXPECT_EQ((std::array<int32_t, 2>{edges[2][0], edges[2][1]}), (std::array<int32_t, 2>{4, 6}));
    EXPECT_EQ(tris.size(), 1u);

    // Only two seeds: the third edge is found by completion, after them.
    ContourList open = {4, 5, 6, -2};
    ASSERT_TRUE(triangulate(pts, edges, tris, &open, nullptr));
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0][0], 4);
    EXPECT_EQ(edges[0][1], 5);
    EXPECT_EQ(edges[1][0], 5);
    EXPECT_EQ(edges[1][1], 6);
    EXPECT_EQ(tris.size(), 1u);
}

TEST(Triangulate, ForEachContourEdgeSkipsRepeatedCloseCodes) {
    ContourList list = {4, 5, 6, -1, -1, 7, 8, -2, 9};
    std::vector<std::pair<int, int>> got;
    forEachContourEdge(list, [&](int a, int b) { got.push_back({a, b}); });
    std::vector<std::pair<int, int>> want = {{4, 5}, {5, 6}, {6, 4}, {7, 8}};
    EXPECT_EQ(got, want);
}

TEST(Triangulate, GridSearchGivesTheScanResultOnRandomSets) {
    Rng rng(42);
    for (int round = 0; round < 6; ++round) {
        std::vector<Vec3> pts = round % 2 ? uniformPoints(300 + round * 100, 500, rng)
                                          : jitteredGrid(20 + round, 7, rng);
        std::vector<MeshEdge> e1, e2;
        std::vector<MeshTriangle> t1, t2;
        ASSERT_TRUE(triangulate(pts, e1, t1, nullptr, nullptr, FacetSearch::Grid));
        ASSERT_TRUE(triangulate(pts, e2, t2, nullptr, nullptr, FacetSearch::Scan));
        EXPECT_EQ(triangleSet(t1), triangleSet(t2)) << "round " << round;
        EXPECT_EQ(t1.size(), t2.size());
    }
}

TEST(Triangulate, WithAContourGridMatchesScan) {
    // A jittered square ring of outline points around jittered inner points.
    Rng rng(3);
    std::vector<Vec3> pts;
    ContourList contour;
    for (int k = 0; k < 40; ++k) {
        const double a = k * 2 * 3.14159265358979 / 40;
        pts.push_back(
            {100 + 80 * std::cos(a) + rng.jitter(), 100 + 80 * std::sin(a) + rng.jitter(), 0});
        contour.push_back(k);
    }
    contour.push_back(-1);
    for (int i = 0; i < 150; ++i) {
        const double a = rng.uniform() * 6.283, r = 60 * std::sqrt(rng.uniform());
        pts.push_back({100 + r * std::cos(a), 100 + r * std::sin(a), 0});
    }
    std::vector<MeshEdge> e1, e2;
    std::vector<MeshTriangle> t1, t2;
    ASSERT_TRUE(triangulate(pts, e1, t1, &contour, nullptr, FacetSearch::Grid));
    ASSERT_TRUE(triangulate(pts, e2, t2, &contour, nullptr, FacetSearch::Scan));
    EXPECT_EQ(triangleSet(t1), triangleSet(t2));
    // A convex point set: 2n - 2 - h triangles.
    EXPECT_EQ(int(t1.size()), 2 * int(pts.size()) - 2 - 40);
}

TEST(Triangulate, TrianglesAreConsistentlyOrientedAndTileTheHull) {
    Rng rng(11);
    std::vector<Vec3> pts = jitteredGrid(30, 5, rng);
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    ASSERT_TRUE(triangulate(pts, edges, tris, nullptr, nullptr));
    double area = 0;
    for (const MeshTriangle& t : tris) {
        const double a2 = signedArea2(pts, t);
        EXPECT_LT(a2, 0) << "every triangle (s, u, t) turns the same way";
        area += -a2 / 2;
    }
    // Euler: a triangulation of n points with h on the hull has 2n - 2 - h triangles
    // and 3n - 3 - h edges.
    const int n = int(pts.size());
    const int h = 2 * n - 2 - int(tris.size());
    EXPECT_EQ(int(edges.size()), 3 * n - 3 - h);
    EXPECT_GT(h, 3);
    EXPECT_GT(area, 0);
}

TEST(Triangulate, ReportsProgressEveryHundredTriangles) {
    Rng rng(5);
    std::vector<Vec3> pts = jitteredGrid(12, 4, rng); // 144 points, about 250 triangles
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    DetailRecorder progress;
    ASSERT_TRUE(triangulate(pts, edges, tris, nullptr, &progress));
    ASSERT_EQ(progress.details.size(), tris.size() / 100);
    EXPECT_EQ(progress.details[0], "Building mesh, 100 triangles so far...");
    EXPECT_EQ(progress.details[1], "Building mesh, 200 triangles so far...");
}

TEST(Triangulate, FarApartPointsWithoutContourGiveNothing) {
    std::vector<Vec3> pts = {{0, 0, 0}, {5000, 0, 0}, {0, 5000, 0}};
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    EXPECT_EQ(*triangulate(pts, edges, tris, nullptr, nullptr), 0);
}

TEST(Triangulate, CollinearPointsGiveNoTriangle) {
    std::vector<Vec3> pts;
    for (int i = 0; i < 10; ++i) pts.push_back({double(i), 2.0 * i, 0});
    std::vector<MeshEdge> edges;
    std::vector<MeshTriangle> tris;
    EXPECT_EQ(*triangulate(pts, edges, tris, nullptr, nullptr), 0);
    EXPECT_EQ(*triangulate(pts, edges, tris, nullptr, nullptr, FacetSearch::Scan), 0);
}

TEST(Triangulate, DegenerateSetsEndWithinTheirBound) {
    // An exact grid (every four neighbours on one circle), repeated points, NaNs and
    // far-off values: the triangulation must end, name valid points only and stay
    // within the bound a planar triangulation has.
    std::vector<Vec3> pts;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) pts.push_back({double(x), double(y), 0});
    pts.push_back({5, 5, 0});
    pts.push_back({5, 5, 1});
    pts.push_back({std::nan(""), 3, 0});
    pts.push_back({1e300, -1e300, 0});
    for (FacetSearch search : {FacetSearch::Grid, FacetSearch::Scan}) {
        std::vector<MeshEdge> edges;
        std::vector<MeshTriangle> tris;
        const ContourList square = {0, 29, 899, 870, -1};
        for (const ContourList* c : {static_cast<const ContourList*>(nullptr), &square}) {
            ASSERT_TRUE(triangulate(pts, edges, tris, c, nullptr, search));
            EXPECT_GT(tris.size(), 0u);
            EXPECT_LE(tris.size(), pts.size() * 4 + 64);
            for (const MeshTriangle& t : tris)
                for (int k = 0; k < 3; ++k) {
                    ASSERT_GE(t.v[k], 0);
                    ASSERT_LT(t.v[k], 902) << "NaN and far-off points take no part";
                }
        }
    }
}
