#include "imaging/ObjectPostEffects.h"

#include "anim/AnimObject.h"
#include "anim/EffectTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace zx {
namespace {

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

const PixelRect kAll{0, 0, 1 << 20, 1 << 20};

TEST(PostEffects, ChannelOffsetsClampAndSkipTransparentPixels) {
    RasterImage layer(2, 1);
    layer.at(0, 0) = argb(200, 100, 150, 200);
    layer.at(1, 0) = argb(0, 16, 32, 48); // transparent: never touched
    PostEffectValues v;
    v.red = 0.5f;
    v.green = -1;
    v.blue = 0.3f;
    applyObjectPostEffects(layer, v, kAll);
    EXPECT_EQ(layer.at(0, 0), argb(200, 200, 0, 255));
    EXPECT_EQ(layer.at(1, 0), argb(0, 16, 32, 48));
}

TEST(PostEffects, ClipBoxAndStepLimitTheVisitedPixels) {
    RasterImage layer(6, 4, argb(255, 10, 10, 10));
    PostEffectValues v;
    v.red = 0.05f; // +10
    applyObjectPostEffects(layer, v, {1, 1, 5, 4}, 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool visited = x >= 2 && x < 5 && x % 2 == 0 && y == 2;
            EXPECT_EQ(layer.at(x, y) >> 16 & 0xFF, visited ? 20u : 10u) << x << "," << y;
        }
}

TEST(PostEffects, BrightnessAndContrast) {
    RasterImage layer(3, 1);
    layer.at(0, 0) = argb(255, 0, 128, 250);
    layer.at(1, 0) = argb(255, 0, 128, 250);
    layer.at(2, 0) = argb(255, 100, 128, 160);
    PostEffectValues v;
    v.brightness = 0.1f; // +20
    applyObjectPostEffects(layer, v, {0, 0, 1, 1});
    EXPECT_EQ(layer.at(0, 0), argb(255, 20, 148, 255));
    v.brightness = 0;
    v.contrast = -1; // everything to the middle grey
    applyObjectPostEffects(layer, v, {1, 0, 2, 1});
    EXPECT_EQ(layer.at(1, 0), argb(255, 128, 128, 128));
    v.contrast = 1; // distances from 128 doubled
    applyObjectPostEffects(layer, v, {2, 0, 3, 1});
    EXPECT_EQ(layer.at(2, 0), argb(255, 72, 128, 192));
}

TEST(PostEffects, HueTurnsAndSaturationFades) {
    RasterImage layer(4, 1);
    layer.at(0, 0) = argb(255, 255, 0, 0);
    layer.at(1, 0) = argb(255, 255, 0, 0);
    layer.at(2, 0) = argb(90, 200, 100, 50);
    layer.at(3, 0) = argb(255, 200, 100, 50);
    PostEffectValues v;
    v.hue = 2.0f / 3; // +120 degrees: red to green
    applyObjectPostEffects(layer, v, {0, 0, 1, 1});
    EXPECT_EQ(layer.at(0, 0), argb(255, 0, 255, 0));
    v.hue = -2.0f / 3; // −120 degrees wraps to 240: blue
    applyObjectPostEffects(layer, v, {1, 0, 2, 1});
    EXPECT_EQ(layer.at(1, 0), argb(255, 0, 0, 255));
    v.hue = 0;
    v.saturation = -1; // grey at the colour's value
    applyObjectPostEffects(layer, v, {2, 0, 3, 1});
    EXPECT_EQ(layer.at(2, 0), argb(90, 200, 200, 200));
    // Half a turn gives the complementary colour at the same value and saturation;
    // brightness (+10) comes after the hue step.
    v.hue = 1;
    v.saturation = 0;
    v.brightness = 0.05f;
    applyObjectPostEffects(layer, v, {3, 0, 4, 1});
    EXPECT_EQ(layer.at(3, 0), argb(255, 60, 160, 210));

    // Values from a damaged record: huge or not numbers at all.
    for (float bad : {1e30f, -1e30f, std::nanf("")}) {
        PostEffectValues w;
        w.hue = w.saturation = w.red = w.contrast = w.blur = bad;
        w.blurScale = bad;
        RasterImage any(5, 5, argb(255, 1, 2, 3));
        applyObjectPostEffects(any, w, kAll);
        EXPECT_EQ(any.at(2, 2) >> 24, 255u);
    }
}

// A 40 × 40 layer: an opaque 20 × 20 square of one colour in the middle.
RasterImage square(uint32_t colour) {
    RasterImage layer(40, 40);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x) layer.at(x, y) = colour;
    return layer;
}

PostEffectValues blurOf(double radius) {
    PostEffectValues v;
    v.blur = float(radius / 37.5);
    return v;
}

TEST(PostEffects, BlurSoftensEdgesWithoutDarkeningOrSpreading) {
    for (double radius : {1.5, 4.0, 12.0, 30.0}) {
        RasterImage layer = square(argb(255, 200, 40, 90));
        applyObjectPostEffects(layer, blurOf(radius), kAll);
        // Transparent surroundings stay untouched.
        EXPECT_EQ(layer.at(9, 20), 0u) << radius;
        EXPECT_EQ(layer.at(0, 0), 0u) << radius;
        // Colours stay as they were (no black bleeding in from the transparent
        // surroundings); the edge fades in alpha only.
        EXPECT_EQ(layer.at(20, 20) & 0xFFFFFF, 0xC8285Au) << radius;
        const uint32_t edge = layer.at(10, 20);
        EXPECT_LT(edge >> 24, 255u) << radius;
        EXPECT_GT(edge >> 24, 0u) << radius;
        EXPECT_EQ(edge & 0xFFFFFF, 0xC8285Au) << radius;
        EXPECT_LE(edge >> 24, layer.at(20, 20) >> 24) << radius;
    }
    // A small blur, run at full resolution, keeps the middle opaque and is symmetric.
    RasterImage layer = square(argb(255, 200, 40, 90));
    applyObjectPostEffects(layer, blurOf(1.5), kAll);
    EXPECT_EQ(layer.at(20, 20), argb(255, 200, 40, 90));
    EXPECT_EQ(layer.at(10, 20), layer.at(29, 20));
    EXPECT_EQ(layer.at(20, 10), layer.at(20, 29));
    EXPECT_EQ(layer.at(10, 20), layer.at(20, 10));
}

TEST(PostEffects, SmallBlurSpreadsAPointEvenly) {
    RasterImage layer(9, 9, argb(255, 0, 0, 0));
    layer.at(4, 4) = argb(255, 255, 255, 255);
    applyObjectPostEffects(layer, blurOf(2.0), kAll);
    const uint32_t centre = layer.at(4, 4) & 0xFF;
    const uint32_t side = layer.at(5, 4) & 0xFF;
    EXPECT_LT(centre, 255u);
    EXPECT_GT(side, 0u);
    EXPECT_LT(side, centre);
    for (auto [x, y] : {std::pair{3, 4}, {4, 3}, {4, 5}}) EXPECT_EQ(layer.at(x, y) & 0xFF, side);
    // Beyond the 5 taps nothing changes, and the picture's edge does not fade.
    EXPECT_EQ(layer.at(0, 0), argb(255, 0, 0, 0));
    EXPECT_EQ(layer.at(8, 4), argb(255, 0, 0, 0));
}

// Largest channel difference between two layers.
int largestDifference(const RasterImage& a, const RasterImage& b) {
    int worst = 0;
    for (size_t i = 0; i < a.pixelCount(); ++i)
        for (int s = 0; s < 32; s += 8)
            worst = std::max(
                worst, std::abs(int(a.pixels()[i] >> s & 0xFF) - int(b.pixels()[i] >> s & 0xFF)));
    return worst;
}

TEST(PostEffects, BlurHasNoJumpAtTheBandBorders) {
    RasterImage pattern(96, 96);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            pattern.at(x, y) =
                ((x / 6 + y / 6) % 2) ? argb(255, 255, 255, 255) : argb(255, 0, 0, 0);
    for (double border : {2.5, 5.0, 7.5, 15.0, 17.5, 35.0}) {
        RasterImage below = pattern, above = pattern;
        applyObjectPostEffects(below, blurOf(border - 0.001), kAll);
        applyObjectPostEffects(above, blurOf(border + 0.001), kAll);
        EXPECT_LE(largestDifference(below, above), 3) << border;
    }
}

TEST(PostEffects, BlurOnAPreviewGridTouchesOnlyItsPixels) {
    RasterImage layer = square(argb(255, 50, 60, 70));
    layer.at(16, 16) = argb(255, 250, 250, 250);
    PostEffectScratch scratch;
    applyObjectPostEffects(layer, blurOf(3.0), kAll, 2, &scratch);
    EXPECT_EQ(layer.at(15, 16), argb(255, 50, 60, 70)); // odd column: not on the grid
    EXPECT_GT(layer.at(14, 16) & 0xFF, 70u);            // its grid neighbour brightened
    EXPECT_LT(layer.at(16, 16) & 0xFF, 250u);
}

TEST(PostEffects, ClipBoxGrowsWithTheBlur) {
    PixelRect box = postEffectClipBox(10.4, 20.6, 30.5, 40.2, 0, 100, 100);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 21);
    EXPECT_EQ(box.right, 32);
    EXPECT_EQ(box.bottom, 41);
    box = postEffectClipBox(10, 20, 30, 40, 3.0, 100, 100);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.right, 41);
    box = postEffectClipBox(10, 20, 30, 40, 20.0, 60, 60);
    EXPECT_EQ(box.right, 60);
    EXPECT_EQ(box.bottom, 60);
    EXPECT_TRUE(postEffectClipBox(std::nan(""), 0, 5, 5, 0, 10, 10).empty());
    EXPECT_TRUE(postEffectClipBox(200, 200, 300, 300, 0, 10, 10).empty());
}

TEST(PostEffects, ValuesOfAnObjectAndItsBlurRadius) {
    AnimObject o;
    for (int i = 0; i < kEffectCount; ++i) o.effects[size_t(i)].startValue = defaultEffectValue(i);
    o.effects[EffectSlot::Scale].startValue = 2;
    storeEffectEnds(o.effects[EffectSlot::Scale], 2, 4);
    o.effects[EffectSlot::Blur].startValue = 0.2f;
    o.effects[EffectSlot::Green].startValue = -0.5f;
    const PostEffectValues v = postEffectValues(o, 1.0, 1.5);
    EXPECT_EQ(v.green, -0.5f);
    EXPECT_DOUBLE_EQ(v.blurScale, 3.0); // twice its start size, seen at zoom 1.5
    EXPECT_NEAR(blurRadius(v), 0.6 * 37.5, 1e-5);
    EXPECT_TRUE(hasPostEffects(v));
    PostEffectValues strong = v;
    strong.blur = 0.9f;
    EXPECT_EQ(blurRadius(strong), 37.5);
    EXPECT_FALSE(hasPostEffects(PostEffectValues{}));
}

} // namespace
} // namespace zx
