#include "imaging/SimilarityTransform.h"
#include "imaging/BlockMatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {
namespace {

// A smooth, non-repeating picture: block matching and bilinear sampling both see
// contrast everywhere.
RasterImage landscape(int w, int h) {
    RasterImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = 127 + 60 * std::sin(x * 0.21 + std::cos(y * 0.05)) +
                             60 * std::cos(y * 0.17 + 0.03 * x * std::sin(x * 0.011));
            const int g = std::clamp(int(v), 0, 255);
            p.at(x, y) =
                0xFF000000u | uint32_t(g) << 16 | uint32_t(255 - g) << 8 | uint32_t(x % 256);
        }
    return p;
}

TEST(SimilarityTransform, TwoPointPairsGiveBackTheSimilarityThatMovedThem) {
    Similarity known;
    known.scale = 1.3, known.angle = -0.4, known.centre = {50, 40}, known.shift = {7.25, -3.5};
    const PixelMap m = known.map();
    const PointF a{12, 80}, b{150, 33};
    const PointF ma{m.mapX(a.x, a.y), m.mapY(a.x, a.y)}, mb{m.mapX(b.x, b.y), m.mapY(b.x, b.y)};
    const auto found = similarityFromPairs(a, b, ma, mb, known.centre, 1e-5);
    ASSERT_TRUE(found);
    EXPECT_NEAR(found->scale, known.scale, 1e-9);
    EXPECT_NEAR(found->angle, known.angle, 1e-9);
    EXPECT_NEAR(found->shift.x, known.shift.x, 1e-9);
    EXPECT_NEAR(found->shift.y, known.shift.y, 1e-9);

    // The inverse map carries the moved points back.
    const PixelMap back = inverseMap(m);
    EXPECT_NEAR(back.mapX(ma.x, ma.y), a.x, 1e-9);
    EXPECT_NEAR(back.mapY(mb.x, mb.y), b.y, 1e-9);

    EXPECT_FALSE(similarityFromPairs(a, {a.x + 5e-6, a.y}, ma, mb, {}, 1e-5));
    EXPECT_FALSE(similarityFromPairs(a, b, ma, ma, {}, 1e-5));
}

TEST(SimilarityTransform, WholePixelMovesAndQuarterTurnsResampleExactly) {
    const RasterImage p = landscape(40, 40);
    Similarity s;
    s.shift = {3, -2};
    const RasterImage moved = transformPicture(p, s.map(), 40, 40, false, 0);
    EXPECT_EQ(moved, reframePicture(p, 40, 40, 3, -2));
    EXPECT_EQ(transformPicture(p, s.map(), 40, 40, true, 7), reframePicture(p, 40, 40, 3, -2, 7));

    s = {};
    s.angle = std::numbers::pi / 2, s.centre = {20, 20};
    EXPECT_EQ(transformPicture(p, s.map(), 40, 40, false, 0),
              rotatePicture(p, Rotation::Clockwise90));
}

TEST(BlockMatch, FindsThePatchWhereAMovedPictureShowsIt) {
    const RasterImage p = landscape(160, 140);
    const RasterImage moved = reframePicture(p, 160, 140, 5, -3);
    const auto at = matchBlock(p, 60, 70, moved);
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->x, 65.5, 0.05);
    EXPECT_NEAR(at->y, 67.5, 0.05);

    // Half a pixel is found below the pixel.
    Similarity half;
    half.shift = {0.5, 0};
    const auto sub = matchBlock(p, 60, 70, transformPicture(p, half.map(), 160, 140, false, 0));
    ASSERT_TRUE(sub);
    EXPECT_NEAR(sub->x, 61.0, 0.2);
    EXPECT_NEAR(sub->y, 70.5, 0.2);

    EXPECT_FALSE(matchBlock(p, 3, 70, moved)); // the patch does not fit
}

} // namespace
} // namespace zx
