#include "mesh3d/RegionOutline.h"
#include "mesh3d/DistanceMap.h"

#include "mesh3d/MaskShapes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

using testing::discMask;
using testing::kIn;
using testing::rectMask;
using testing::ringMask;

TEST(RegionOutline, OnePixelIsADiamondThroughItsEdgeMidpoints) {
    auto loops = traceRegionOutlines(rectMask(6, 6, 2, 3, 3, 4));
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0], (OutlineLoop{{2, 3.5}, {2.5, 4}, {3, 3.5}, {2.5, 3}}));
    EXPECT_DOUBLE_EQ(outlineArea2(loops[0]), -1.0); // counter-clockwise on screen
}

TEST(RegionOutline, RingHasAnOuterLoopAndAHole) {
    auto loops = traceRegionOutlines(ringMask(60, 60, 30, 30, 10, 20));
    ASSERT_EQ(loops.size(), 2u);
    int outer = 0, holes = 0;
    double area = 0;
    for (auto& l : loops) {
        double a = outlineArea2(l) / 2;
        (a < 0 ? outer : holes)++;
        area += -a;
    }
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(holes, 1);
    EXPECT_NEAR(area, M_PI * (400 - 100), 40);
    EXPECT_FALSE(outlinesSelfIntersect(loops));
}

TEST(RegionOutline, DiagonalNeighboursShareOneLoop) {
    RasterImage m(8, 8, 0);
    for (int i = 1; i < 7; ++i) m.at(i, i) = kIn;
    auto loops = traceRegionOutlines(m);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_FALSE(outlinesSelfIntersect(loops));
    EXPECT_LT(outlineArea2(loops[0]), 0);
}

TEST(RegionOutline, RegionsOnTheImageBorderAndEmptyMasks) {
    auto loops = traceRegionOutlines(RasterImage(5, 3, kIn));
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_NEAR(-outlineArea2(loops[0]) / 2, 15 - 0.5, 1e-9); // four corners cut
    for (auto p : loops[0]) {
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 5);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 3);
    }
    EXPECT_TRUE(traceRegionOutlines(RasterImage(5, 5, 0)).empty());
    EXPECT_TRUE(traceRegionOutlines(RasterImage()).empty());
}

TEST(RegionOutline, SimplifyingKeepsTheShapeAndNeverCrosses) {
    RasterImage disc = discMask(120, 120, 60, 60, 50);
    auto raw = traceRegionOutlines(disc);
    ASSERT_EQ(raw.size(), 1u);
    OutlineLoop simple = simplifyOutline(raw[0], 0.8);
    EXPECT_LT(simple.size(), raw[0].size() / 8);
    EXPECT_NEAR(outlineArea2(simple), outlineArea2(raw[0]), 0.01 * std::abs(outlineArea2(raw[0])));
    EXPECT_FALSE(outlinesSelfIntersect({simple}));

    // A comb of one-pixel teeth one pixel apart: the teeth must stay apart.
    RasterImage comb = rectMask(40, 30, 2, 20, 38, 24);
    for (int x = 3; x < 37; x += 2)
        for (int y = 3; y < 20; ++y) comb.at(x, y) = kIn;
    auto combLoops = traceRegionOutlines(comb);
    for (auto& l : combLoops) l = simplifyOutline(l, kSafeTolerance);
    EXPECT_FALSE(outlinesSelfIntersect(combLoops));
    // A coarse tolerance on a one-pixel line backs off instead of collapsing it.
    auto line = traceRegionOutlines(rectMask(60, 9, 3, 4, 57, 5));
    ASSERT_EQ(line.size(), 1u);
    OutlineLoop kept = simplifyOutline(line[0], 5.0);
    EXPECT_GE(kept.size(), 4u);
    EXPECT_NEAR(outlineArea2(kept), outlineArea2(line[0]), 2.0);

    OutlineLoop fine = subdivideOutline(simple, 3.0);
    for (size_t i = 0; i < fine.size(); ++i) {
        auto a = fine[i], b = fine[(i + 1) % fine.size()];
        EXPECT_LE(std::hypot(b.x - a.x, b.y - a.y), 3.0 + 1e-9);
    }
    EXPECT_DOUBLE_EQ(outlineArea2(fine), outlineArea2(simple));
}

TEST(RegionOutline, SelfIntersectionTestFindsCrossingsAndFolds) {
    OutlineLoop square{{0, 0}, {0, 4}, {4, 4}, {4, 0}};
    EXPECT_FALSE(outlinesSelfIntersect({square}));
    OutlineLoop bowTie{{0, 0}, {4, 4}, {4, 0}, {0, 4}};
    EXPECT_TRUE(outlinesSelfIntersect({bowTie}));
    OutlineLoop folded{{0, 0}, {4, 0}, {2, 0}, {2, 3}};
    EXPECT_TRUE(outlinesSelfIntersect({folded}));
    OutlineLoop inner{{1, 1}, {1, 2}, {2, 2}, {2, 1}};
    EXPECT_FALSE(outlinesSelfIntersect({square, inner}));
    OutlineLoop across{{-1, 2}, {5, 2}, {5, 3}};
    EXPECT_TRUE(outlinesSelfIntersect({square, across}));
}

TEST(DistanceMap, MeasuresTheWayToTheEdge) {
    DistanceMap disc = buildDistanceMap(discMask(100, 100, 50, 50, 30));
    // The tip of the cone is sampled between pixel centres: within 5 %.
    EXPECT_NEAR(disc.maximum(), 30, 1.5);
    EXPECT_NEAR(disc.sample(50, 50), 30, 1.5);
    EXPECT_NEAR(disc.sample(65, 50), 15, 1.0);
    EXPECT_NEAR(disc.sample(20.0, 50), 0.0, 0.6);
    EXPECT_EQ(disc.sample(3, 3), 0.0);

    DistanceMap line = buildDistanceMap(rectMask(30, 10, 2, 4, 28, 5));
    EXPECT_FLOAT_EQ(line.at(10, 4), 0.5f);
    EXPECT_FLOAT_EQ(line.at(10, 3), 0.0f);
    // Outside the image counts as outside.
    DistanceMap full = buildDistanceMap(RasterImage(9, 9, kIn));
    EXPECT_FLOAT_EQ(full.at(4, 4), 4.5f);
    EXPECT_FLOAT_EQ(full.at(0, 4), 0.5f);

    DistanceMap empty = buildDistanceMap(RasterImage(10, 10, 0));
    EXPECT_TRUE(empty.values.empty());
    EXPECT_EQ(empty.sample(5, 5), 0.0);
    EXPECT_EQ(empty.sample(1e300, -1e300), 0.0);
}

} // namespace
} // namespace zx
