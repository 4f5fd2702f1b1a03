#include "mesh3d/HeightMap.h"

#include "mesh3d/MaskShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zx {
namespace {

using testing::discMask;
using testing::kIn;
using testing::rectMask;

TEST(HeightMap, DiscIsADomeOfItsRadius) {
    for (double r : {25.0, 40.0}) {
        RasterImage mask = discMask(100, 100, 50, 50, r);
        HeightMap map = buildHeightMap(mask);
        ASSERT_EQ(map.width, 100);
        ASSERT_EQ(map.height, 100);
        float peak = 0;
        for (float v : map.values) peak = std::max(peak, v);
        EXPECT_NEAR(map.at(50, 50), r, 0.05 * r);
        EXPECT_NEAR(peak, r, 0.05 * r);
        // The rim: the leftmost inside pixel of the middle row starts every chord.
        int rim = 0;
        while (!(mask.at(rim, 50) & kIn)) ++rim;
        EXPECT_LT(map.at(rim, 50), 0.1 * r);
        // Halfway out the dome follows the circle: sqrt(r^2 - (r/2)^2).
        EXPECT_NEAR(map.at(50 + int(r / 2), 50), std::sqrt(0.75) * r, 0.08 * r);
        EXPECT_EQ(map.at(2, 2), 0.0f);
    }
}

TEST(HeightMap, ThinLinesAndTinyRegionsStayFlat) {
    RasterImage line = rectMask(40, 20, 3, 10, 37, 11);
    for (float v : buildHeightMap(line).values) EXPECT_EQ(v, 0.0f);
    RasterImage diagonal(20, 20, 0);
    for (int i = 2; i < 18; ++i) diagonal.at(i, i) = kIn;
    for (float v : buildHeightMap(diagonal).values) EXPECT_EQ(v, 0.0f);
    RasterImage dot = rectMask(5, 5, 2, 2, 3, 3);
    for (float v : buildHeightMap(dot).values) EXPECT_EQ(v, 0.0f);
}

TEST(HeightMap, EmptyAndDegenerateMasks) {
    HeightMap empty = buildHeightMap(RasterImage(30, 20, 0));
    ASSERT_EQ(empty.values.size(), 600u);
    for (float v : empty.values) EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(buildHeightMap(RasterImage()).values.empty());
    HeightMap single = buildHeightMap(RasterImage(1, 1, kIn));
    ASSERT_EQ(single.values.size(), 1u);
    EXPECT_EQ(single.values[0], 0.0f);
}

TEST(HeightMap, RegionTouchingTheBorderEndsItsChordsThere) {
    // A band filling the whole width: the vertical chords (height 21) bound it.
    RasterImage band = rectMask(60, 41, 0, 10, 60, 31);
    HeightMap map = buildHeightMap(band);
    EXPECT_NEAR(map.at(30, 20), 10.5, 0.1);
    EXPECT_EQ(map.at(30, 5), 0.0f);
    // Every pixel of a fully inside mask is reached and finite.
    HeightMap full = buildHeightMap(RasterImage(17, 9, kIn));
    for (float v : full.values) {
        EXPECT_GE(v, 0.0f);
        EXPECT_LT(v, 10.0f);
    }
}

TEST(HeightMap, SampleHeightInterpolatesInsideAndCopiesOnTheEdges) {
    HeightMap map;
    map.width = 4;
    map.height = 3;
    map.values = {0, 1, 2,  3, //
                  4, 5, 6,  7, //
                  8, 9, 10, 11};
    double z = -1;
    ASSERT_TRUE(sampleHeight(map, 1.5, 1.5, z));
    EXPECT_DOUBLE_EQ(z, 7.5); // bilinear in a linear field
    ASSERT_TRUE(sampleHeight(map, 1.25, 1.0, z));
    EXPECT_DOUBLE_EQ(z, 5.25);
    // First column and last row: the pixel's own value, no interpolation.
    ASSERT_TRUE(sampleHeight(map, 0.9, 1.5, z));
    EXPECT_DOUBLE_EQ(z, 4.0);
    ASSERT_TRUE(sampleHeight(map, 1.5, 2.7, z));
    EXPECT_DOUBLE_EQ(z, 9.0);
    ASSERT_TRUE(sampleHeight(map, 3.2, 0.5, z)); // last column
    EXPECT_DOUBLE_EQ(z, 3.0);
    // Outside the map z is left alone, also for absurd coordinates.
    z = 42;
    EXPECT_FALSE(sampleHeight(map, 4.0, 1.0, z));
    EXPECT_FALSE(sampleHeight(map, 1.0, -1.5, z));
    EXPECT_FALSE(sampleHeight(map, 1e300, 1.0, z));
    EXPECT_FALSE(sampleHeight(map, std::numeric_limits<double>::quiet_NaN(), 1.0, z));
    EXPECT_FALSE(sampleHeight(HeightMap{}, 0.0, 0.0, z));
    EXPECT_EQ(z, 42);
}

} // namespace
} // namespace zx
