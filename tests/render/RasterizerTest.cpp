// Pixel-exact checks of the triangle filler on small targets.

#include "render/Rasterizer.h"
#include "render/PixelMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zx {
namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

struct Target {
    RasterImage colour;
    DepthRaster depth;
    Target(int w, int h) : colour(w, h, 0), depth(w, h) {}
};

TriangleRaster solidTriangle(Target& t, Vec3 a, Vec3 b, Vec3 c, uint32_t rgb) {
    TriangleRaster tri;
    tri.screen = {a, b, c};
    tri.colour = &t.colour;
    tri.depth = &t.depth;
    tri.solidColour = rgb;
    return tri;
}

TriangleRaster texturedTriangle(Target& t, const RasterImage& tex, Vec3 a, Vec3 b, Vec3 c) {
    TriangleRaster tri;
    tri.screen = {a, b, c};
    tri.tex = {TexturePoint{a.x, a.y}, TexturePoint{b.x, b.y}, TexturePoint{c.x, c.y}};
    tri.texture = &tex;
    tri.colour = &t.colour;
    tri.depth = &t.depth;
    return tri;
}

std::vector<std::string> coverage(const RasterImage& img) {
    std::vector<std::string> rows;
    for (int y = 0; y < img.height(); ++y) {
        std::string r;
        for (int x = 0; x < img.width(); ++x) r += alphaOf(img.at(x, y)) ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

TEST(Rasterizer, SolidTriangleCoversItsSpans) {
    Target t(8, 6);
    ASSERT_TRUE(rasterizeTriangle(solidTriangle(t, {0, 0, 0}, {4, 0, 0}, {0, 4, 0}, kRed)));
    const std::vector<std::string> expected = {"#####...", "####....", "###.....",
                                               "##......", "#.......", "........"};
    EXPECT_EQ(coverage(t.colour), expected);
    EXPECT_EQ(t.colour.at(2, 1), 0xFFFF0000u);
    // Depth 0 everywhere drawn, with the border flag on the triangle's outline only.
    EXPECT_EQ(t.depth.at(0, 0), 1);
    EXPECT_EQ(t.depth.at(1, 1), 0);
    EXPECT_EQ(t.depth.at(3, 1), 1);
    EXPECT_EQ(t.depth.at(5, 5), DepthRaster::kFar);
}

TEST(Rasterizer, TriangleOnOneRowDrawsFromLeftmostToRightmost) {
    Target t(8, 3);
    ASSERT_TRUE(rasterizeTriangle(solidTriangle(t, {2, 1, 0}, {6, 1, 0}, {4, 1, 0}, kRed)));
    EXPECT_EQ(coverage(t.colour), (std::vector<std::string>{"........", "..#####.", "........"}));
    Target u(8, 3);
    ASSERT_TRUE(rasterizeTriangle(solidTriangle(u, {5, 1, 0}, {3, 1, 0}, {1, 1, 0}, kRed)));
    EXPECT_EQ(coverage(u.colour), (std::vector<std::string>{"........", ".#####..", "........"}));
}

TEST(Rasterizer, NearerTriangleWinsWhicheverIsDrawnFirst) {
    for (bool nearFirst : {true, false}) {
        Target t(6, 6);
        auto near = solidTriangle(t, {0, 0, 2}, {5, 0, 2}, {0, 5, 2}, kRed);
        auto far = solidTriangle(t, {0, 0, 1}, {5, 0, 1}, {0, 5, 1}, kBlue);
        if (nearFirst) {
            rasterizeTriangle(near);
            rasterizeTriangle(far);
        } else {
            rasterizeTriangle(far);
            rasterizeTriangle(near);
        }
        EXPECT_EQ(t.colour.at(1, 1), 0xFFFF0000u) << nearFirst;
        EXPECT_EQ(t.depth.at(1, 1) & ~1, 2 * 65536) << nearFirst;
    }
}

TEST(Rasterizer, HalfTransparentPixelIsBlendedUnderTheNearerOne) {
    Target t(8, 8);
    RasterImage half(8, 8, 0x80FF0000u);
    rasterizeTriangle(texturedTriangle(t, half, {0, 0, 3}, {7, 0, 3}, {0, 7, 3}));
    ASSERT_EQ(t.colour.at(1, 1), 0x80FF0000u);
    rasterizeTriangle(solidTriangle(t, {0, 0, 1}, {7, 0, 1}, {0, 7, 1}, kBlue));
    // Interior: the farther opaque blue shows through what the red lets pass.
    EXPECT_EQ(t.colour.at(1, 1), 0xFF80007Fu);
    // The depth stays the nearer one.
    EXPECT_EQ(t.depth.at(1, 1) & ~1, 3 * 65536);
    // The last pixel of each span and the last row keep the nearer pixel alone.
    EXPECT_EQ(t.colour.at(7, 0), 0x80FF0000u);
    EXPECT_EQ(t.colour.at(6, 0), 0xFF80007Fu);
    EXPECT_EQ(t.colour.at(0, 7), 0x80FF0000u);
    // Behind an opaque pixel nothing changes at all.
    Target u(8, 8);
    rasterizeTriangle(solidTriangle(u, {0, 0, 3}, {7, 0, 3}, {0, 7, 3}, kRed));
    const int32_t before = u.depth.at(1, 1);
    rasterizeTriangle(solidTriangle(u, {0, 0, 1}, {7, 0, 1}, {0, 7, 1}, kBlue));
    EXPECT_EQ(u.colour.at(1, 1), 0xFFFF0000u);
    EXPECT_EQ(u.depth.at(1, 1), before);
}

TEST(Rasterizer, SharedEdgeOfTwoTrianglesIsNotBlendedTwice) {
    Target t(8, 8);
    RasterImage half(8, 8, 0x80FF0000u);
    // Two halves of a square, sharing the diagonal from (7, 0) to (0, 7).
    rasterizeTriangle(texturedTriangle(t, half, {0, 0, 0}, {7, 0, 0}, {0, 7, 0}));
    rasterizeTriangle(texturedTriangle(t, half, {7, 0, 0}, {7, 7, 0}, {0, 7, 0}));
    for (int i = 0; i <= 7; ++i) EXPECT_EQ(t.colour.at(7 - i, i), 0x80FF0000u) << i;
    // Off the edge, a pixel drawn once keeps the texel as it is.
    EXPECT_EQ(t.colour.at(6, 6), 0x80FF0000u);
}

TEST(Rasterizer, OpacityAndFaintTexelsDrawNothing) {
    Target t(6, 6);
    auto tri = solidTriangle(t, {0, 0, 1}, {5, 0, 1}, {0, 5, 1}, kRed);
    tri.opacity = 0;
    rasterizeTriangle(tri);
    EXPECT_EQ(t.colour.at(1, 1), 0u);
    EXPECT_EQ(t.depth.at(1, 1), DepthRaster::kFar);
    // alpha 1 × opacity 255 < 256.
    RasterImage faint(6, 6, 0x01FFFFFFu);
    auto tex = texturedTriangle(t, faint, {0, 0, 1}, {5, 0, 1}, {0, 5, 1});
    tex.opacity = 255;
    rasterizeTriangle(tex);
    EXPECT_EQ(t.colour.at(1, 1), 0u);
    EXPECT_EQ(t.depth.at(1, 1), DepthRaster::kFar);
    // Opacity 128 halves the alpha.
    auto halfOpacity = solidTriangle(t, {0, 0, 1}, {5, 0, 1}, {0, 5, 1}, kRed);
    halfOpacity.opacity = 128;
    rasterizeTriangle(halfOpacity);
    EXPECT_EQ(t.colour.at(1, 1), 0x7FFF0000u);
}

TEST(Rasterizer, NearestTexelsAndTextureBounds) {
    RasterImage tex(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) tex.at(x, y) = 0xFF000000u | uint32_t(y * 16 + x);
    Target t(8, 8);
    // Texture coordinates equal to the positions; the triangle reaches past the texture.
    rasterizeTriangle(texturedTriangle(t, tex, {0, 0, 0}, {7, 0, 0}, {0, 7, 0}));
    EXPECT_EQ(t.colour.at(2, 1), 0xFF000012u);
    EXPECT_EQ(t.colour.at(3, 3), 0xFF000033u);
    EXPECT_EQ(t.colour.at(4, 0), 0u) << "past the texture's right edge shows nothing";
    EXPECT_EQ(t.depth.at(4, 0), DepthRaster::kFar);
}

TEST(Rasterizer, BilinearSampleAtTheEdgeTakesColourFromPresentTexels) {
    RasterImage tex(2, 1);
    tex.at(0, 0) = 0xFF102030u;
    tex.at(1, 0) = 0xFF405060u;
    uint32_t out = 0;
    ASSERT_TRUE(sampleBilinear(tex, 0.5, 0.0, out));
    EXPECT_EQ(out, 0xFF283848u);
    // j = width − 1: the missing neighbours read as transparent without darkening.
    ASSERT_TRUE(sampleBilinear(tex, 1.5, 0.0, out));
    EXPECT_EQ(out, 0x7F405060u);
    // Left of the texture: the missing texel takes its neighbour's colour.
    ASSERT_TRUE(sampleBilinear(tex, -0.5, 0.0, out));
    EXPECT_EQ(out, 0x7F102030u);
    EXPECT_FALSE(sampleBilinear(tex, 2.0, 0.0, out));
    EXPECT_FALSE(sampleBilinear(tex, -1.5, 0.0, out));
    EXPECT_FALSE(sampleBilinear(tex, std::nan(""), 0.0, out));

    RasterImage clear(3, 3, 0x00FFFFFFu);
    ASSERT_TRUE(sampleBilinear(clear, 1.5, 1.5, out));
    EXPECT_EQ(out, 0u) << "four transparent neighbours give a transparent pixel";

    // A transparent neighbour lends its alpha only, never black.
    RasterImage mixed(2, 2, 0);
    mixed.at(0, 0) = 0xFFFF0000u;
    ASSERT_TRUE(sampleBilinear(mixed, 0.5, 0.5, out));
    EXPECT_EQ(redOf(out), 255u);
    EXPECT_EQ(alphaOf(out), 63u);
}

TEST(Rasterizer, BrokenCoordinatesNeverWriteOutsideTheTarget) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Target t(5, 5);
    RasterImage tex(4, 4, 0xFF00FF00u);
    rasterizeTriangle(solidTriangle(t, {nan, 0, 0}, {4, 0, 0}, {0, 4, 0}, kRed));
    rasterizeTriangle(solidTriangle(t, {0, 0, 0}, {inf, 0, 0}, {0, 4, 0}, kRed));
    EXPECT_EQ(coverage(t.colour)[1], ".....");
    // Enormous but finite: clamped, drawn where it meets the target.
    rasterizeTriangle(
        solidTriangle(t, {-1e15, -1e15, 1e12}, {1e15, -1e15, -1e12}, {0, 1e15, 0}, kRed));
    auto tex2 = texturedTriangle(t, tex, {-3e9, 2, 0}, {3e9, 2, 0}, {1, 3e9, 0});
    tex2.tex = {TexturePoint{nan, 0}, TexturePoint{1e300, 0}, TexturePoint{0, -1e300}};
    rasterizeTriangle(tex2);
    EXPECT_EQ(t.colour.width(), 5);
    // An empty texture or missing targets draw nothing.
    RasterImage empty;
    Target u(5, 5);
    rasterizeTriangle(texturedTriangle(u, empty, {0, 0, 0}, {4, 0, 0}, {0, 4, 0}));
    EXPECT_EQ(u.colour.at(0, 0), 0u);
    TriangleRaster none;
    EXPECT_TRUE(rasterizeTriangle(none));
}

TEST(Rasterizer, CancelStopsBeforeTheFirstRow) {
    Target t(6, 6);
    std::atomic<int32_t> stop{1};
    EXPECT_FALSE(rasterizeTriangle(solidTriangle(t, {0, 0, 0}, {5, 0, 0}, {0, 5, 0}, kRed), &stop));
    EXPECT_EQ(t.colour.at(0, 0), 0u);
}

TEST(Rasterizer, SmoothShadingUsesAmbientSpecularAndBackLight) {
    Target t(6, 6);
    auto tri = solidTriangle(t, {0, 0, 0}, {5, 0, 0}, {0, 5, 0}, 0x808080);
    tri.smooth = 1;
    tri.intensity = 100;
    tri.light = {0, 0, -1};
    tri.normals = {Vec3{0, 0, -1}, Vec3{0, 0, -1}, Vec3{0, 0, -1}};
    tri.ambient = -0.5;
    tri.specular = 10;
    rasterizeTriangle(tri);
    // cos 1: 10 + truncate(100 × 0.5) = 60 brighter.
    EXPECT_EQ(t.colour.at(1, 1), 0xFFBCBCBCu);

    Target u(6, 6);
    tri.colour = &u.colour;
    tri.depth = &u.depth;
    tri.normals = {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}};
    tri.backLight = 0.25;
    rasterizeTriangle(tri);
    // Facing away: cos −1 × 0.25, no highlight: truncate(100 × (−0.5 + 0.25)) = −25.
    EXPECT_EQ(t.colour.at(1, 1), 0xFFBCBCBCu);
    EXPECT_EQ(u.colour.at(1, 1), 0xFF676767u);
}

TEST(Rasterizer, EdgeMaskWeighsSurfacesSeenEdgeOn) {
    Target t(6, 6);
    EdgeMask mask(6, 6);
    auto tri = solidTriangle(t, {0, 0, 0}, {5, 0, 0}, {0, 5, 0}, kRed);
    tri.filtered = 1;
    tri.smooth = 1;
    tri.edgeMask = &mask;
    tri.normals = {Vec3{1, 0, 0}, Vec3{1, 0, 0}, Vec3{1, 0, 0}};
    rasterizeTriangle(tri);
    EXPECT_EQ(mask.at(1, 1), 255); // (0.25 − 0) × 1020
    tri.normals = {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}};
    tri.screen = {Vec3{0, 0, 1}, Vec3{5, 0, 1}, Vec3{0, 5, 1}};
    rasterizeTriangle(tri);
    EXPECT_EQ(mask.at(1, 1), 0);
}

TEST(Rasterizer, PreviewAtFullSizeMatchesTheFrameFiller) {
    RasterImage tex(16, 16);
    for (int i = 0; i < 256; ++i) tex.pixelVector()[size_t(i)] = 0xFF000000u | uint32_t(i * 997);
    Target a(16, 16), b(16, 16);
    auto tri = texturedTriangle(a, tex, {1.3, 0.2, 1}, {14.6, 5.5, 2}, {3.1, 15.2, 3});
    tri.filtered = 1;
    rasterizeTriangle(tri);
    tri.colour = &b.colour;
    tri.depth = &b.depth;
    tri.clip = {0, 0, 16, 16};
    tri.step = 1;
    rasterizeTrianglePreview(tri);
    EXPECT_EQ(a.colour, b.colour);

    // Step 2 inside a clip rectangle: only even pixels, only inside the clip.
    Target c(16, 16);
    tri.colour = &c.colour;
    tri.depth = &c.depth;
    tri.clip = {3, 3, 12, 12};
    tri.step = 2;
    rasterizeTrianglePreview(tri);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 3 && x < 12 && y >= 3 && y < 12 && x % 2 == 0 && y % 2 == 0;
            if (!inside) {
                EXPECT_EQ(c.colour.at(x, y), 0u) << x << "," << y;
            } else if (a.colour.at(x, y) != 0) {
                EXPECT_EQ(c.colour.at(x, y), a.colour.at(x, y)) << x << "," << y;
            }
        }
}

TEST(Rasterizer, HighlightOutlinesThePreviewTriangleAtEveryStepAndNeverTheFrame) {
    RasterImage tex(16, 16);
    for (int i = 0; i < 256; ++i) tex.pixelVector()[size_t(i)] = 0xFF000000u | uint32_t(i * 997);
    constexpr uint32_t outline = 0x00FF00u;
    Target plain(16, 16);
    auto tri = texturedTriangle(plain, tex, {1.3, 0.2, 1}, {14.6, 5.5, 2}, {3.1, 15.2, 3});
    tri.filtered = 1;
    rasterizeTriangle(tri);
    tri.highlight = outline;
    Target frame(16, 16);
    tri.colour = &frame.colour, tri.depth = &frame.depth;
    rasterizeTriangle(tri); // the frame filler ignores the highlight
    EXPECT_EQ(frame.colour, plain.colour);

    for (int step : {1, 2, 4}) {
        Target lit(16, 16);
        tri.colour = &lit.colour, tri.depth = &lit.depth;
        tri.clip = {0, 0, 16, 16};
        tri.step = step;
        rasterizeTrianglePreview(tri);
        int outlined = 0, inside = 0;
        for (int y = 0; y < 16; ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < 16; ++x) {
                if (lit.colour.at(x, y) == 0) continue;
                if (first < 0) first = x;
                last = x;
                if (lit.colour.at(x, y) == (outline | 0xFF000000u))
                    ++outlined;
                else if (lit.colour.at(x, y) == plain.colour.at(x, y))
                    ++inside;
            }
            if (first < 0) continue;
            // each drawn row starts and ends on the outline
            EXPECT_EQ(lit.colour.at(first, y), outline | 0xFF000000u) << step << " " << y;
            EXPECT_EQ(lit.colour.at(last, y), outline | 0xFF000000u) << step << " " << y;
        }
        EXPECT_GT(outlined, 0);
        if (step == 1) {
            EXPECT_GT(inside, 0); // the inside keeps its texture
        }
    }
}

} // namespace
} // namespace zx

namespace zx {
namespace {

TEST(PixelMath, ChannelOffsetsClampAndKeepAlpha) {
    EXPECT_EQ(addToChannels(0x80102030u, 10), 0x801A2A3Au);
    EXPECT_EQ(addToChannels(0x80F02030u, 20), 0x80FF3444u);
    EXPECT_EQ(addToChannels(0xFF102030u, -0x18), 0xFF000818u);
    EXPECT_EQ(addToChannels(0xFF102030u, -1000), 0xFF000000u);
    EXPECT_EQ(addToChannels(0x00102030u, 1000), 0x00FFFFFFu);
    EXPECT_EQ(addToChannels(0x7F102030u, 0), 0x7F102030u);
}

} // namespace
} // namespace zx
