#include "imaging/Adjustments.h"
#include "MaskTestUtil.h"
#include "imaging/LightingEffects.h"
#include "imaging/PixelChannels.h"
#include "imaging/SelectionWeight.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace zx {
namespace {

uint32_t rgb(int r, int g, int b) {
    return makePixel(255, r, g, b);
}

// A picture whose pixels follow f(x, y).
template <typename F> RasterImage paint(int w, int h, F f) {
    RasterImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = f(x, y);
    return p;
}

TEST(Adjustments, LevelsStretchEachChannelAndAConstantOneGoesToAnEnd) {
    // Red 50 / 100 / 150 in equal shares; green constant; 60 pixels (threshold 10).
    const RasterImage src =
        paint(60, 1, [](int x, int) { return rgb(50 + 50 * (x / 20), 77, 255 - x); });
    const auto stats = pictureStatistics(src);
    EXPECT_EQ(stats[StatChannel::Red].low, 50);
    EXPECT_EQ(stats[StatChannel::Red].range, 100);
    EXPECT_EQ(stats[StatChannel::Green].range, 1);
    RasterImage out;
    autoLevels(src, out, stats);
    EXPECT_EQ(redOf(out.at(0, 0)), 0);
    EXPECT_EQ(redOf(out.at(20, 0)), 127);
    EXPECT_EQ(redOf(out.at(59, 0)), 255);
    for (uint32_t p : out.pixelVector()) EXPECT_TRUE(greenOf(p) == 0 || greenOf(p) == 255);
    // Contrast stretches all channels alike, by the luminance levels.
    autoContrast(src, out, stats);
    const auto& l = stats[StatChannel::Luminance];
    EXPECT_EQ(greenOf(out.at(5, 0)), clampChannel((77 - l.low) * 255 / l.range));
}

TEST(Adjustments, WhiteBalanceBringsTheClickedMeansTogether) {
    const RasterImage grey(9, 9, rgb(90, 90, 90));
    EXPECT_EQ(whiteBalanceShift(grey, 4, 4), (std::array<int, 3>{0, 0, 0}));
    EXPECT_FALSE(whiteBalanceShift(grey, 1, 4)); // the square leaves the picture
    RasterImage tinted(9, 9, rgb(200, 180, 160));
    tinted.at(0, 0) = rgb(10, 250, 255);
    const auto shift = whiteBalanceShift(tinted, 4, 4);
    ASSERT_TRUE(shift);
    EXPECT_EQ(*shift, (std::array<int, 3>{-40, -20, 0}));
    RasterImage out;
    whiteBalance(tinted, out, *shift);
    EXPECT_EQ(out.at(4, 4), rgb(160, 160, 160));
    EXPECT_EQ(out.at(0, 0), rgb(0, 230, 255)); // clamped
    tinted.at(5, 5) = 0x00FFFFFF;              // a transparent pixel in the square
    EXPECT_FALSE(whiteBalanceShift(tinted, 4, 4));
}

TEST(Adjustments, NeutralDialogValuesReproduceTheSource) {
    const RasterImage src = paint(
        7, 5, [](int x, int y) { return makePixel(40 * y, 30 * x, 255 - 20 * x, 17 * (x + y)); });
    RasterImage out;
    brightnessContrast(src, out, 0, 0, 111);
    EXPECT_EQ(out, src);
    hueSaturation(src, out, 0, 0, 0);
    EXPECT_EQ(out, src);
    blurSharpen(src, out, 0);
    EXPECT_EQ(out, src);
    brightnessContrast(src, out, 10, 100, 100); // contrast 100 doubles the distance
    EXPECT_EQ(out.at(1, 0), makePixel(0, clampChannel(100 + (30 - 100) * 2 + 10),
                                      clampChannel(100 + 135 * 2 + 10), 10 + 100 + (17 - 100) * 2));
}

TEST(Adjustments, HueTurnsPureColoursAroundTheCircle) {
    const RasterImage src = paint(3, 1, [](int x, int) {
        return std::array{rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)}[size_t(x)];
    });
    RasterImage out;
    hueSaturation(src, out, 100, 0, 0); // +180°
    EXPECT_EQ(out.at(0, 0), rgb(0, 255, 255));
    EXPECT_EQ(out.at(1, 0), rgb(255, 0, 255));
    EXPECT_EQ(out.at(2, 0), rgb(255, 255, 0));
    hueSaturation(src, out, 0, -100, -100);
    EXPECT_EQ(out.at(0, 0), rgb(0, 0, 0));
}

TEST(Adjustments, BlurOfAnImpulseIsTheKernelTimesItself) {
    const auto taps = blurKernel(-100);
    EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0), 65536, 4); // each tap rounded
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(taps[k], taps[8 - k]);
        EXPECT_LT(taps[k], taps[k + 1]);
    }
    RasterImage src(15, 15, rgb(0, 0, 0));
    src.at(7, 7) = rgb(255, 255, 255);
    RasterImage out;
    blurSharpen(src, out, -100);
    for (int y = 3; y <= 11; ++y)
        for (int x = 3; x <= 11; ++x) {
            const int64_t want =
                (255 * int64_t(taps[size_t(x - 3)]) * taps[size_t(y - 3)] + (1ll << 31)) >> 32;
            EXPECT_EQ(redOf(out.at(x, y)), want) << x << "," << y;
        }
    EXPECT_EQ(out.at(0, 0), rgb(0, 0, 0));
}

TEST(Adjustments, SharpenOvershootsAtAnEdgeAndKeepsFlatAreas) {
    const RasterImage src =
        paint(12, 4, [](int x, int) { return x < 6 ? rgb(50, 50, 50) : rgb(150, 150, 150); });
    RasterImage out;
    blurSharpen(src, out, 100);
    EXPECT_EQ(out.at(0, 1), src.at(0, 1));
    EXPECT_EQ(out.at(11, 1), src.at(11, 1));
    EXPECT_LT(redOf(out.at(5, 1)), 50);
    EXPECT_GT(redOf(out.at(6, 1)), 150);
}

TEST(Adjustments, APreviewComputesTheSamePixelsAsTheWholePicture) {
    const RasterImage src = paint(37, 29, [](int x, int y) {
        return makePixel(255, (x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) * 5 % 256);
    });
    using Adjust = std::function<void(RasterImage&, const AdjustTarget&)>;
    const std::vector<Adjust> adjustments = {
        [&](RasterImage& out, const AdjustTarget& t) { blurSharpen(src, out, -60, t); },
        [&](RasterImage& out, const AdjustTarget& t) { blurSharpen(src, out, 70, t); },
        [&](RasterImage& out, const AdjustTarget& t) { hueSaturation(src, out, 40, -20, 9, t); },
        [&](RasterImage& out, const AdjustTarget& t) {
            lightingEffects(src, out, LightEllipse::openingCircle({0, 0, 20, 20}), {}, 90, t);
        },
    };
    for (const Adjust& adjust : adjustments) {
        RasterImage whole, preview;
        adjust(whole, {});
        AdjustTarget t;
        t.area = PixelRect{3, 5, 30, 27};
        t.step = 4;
        adjust(preview, t);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) {
                const bool computed =
                    x >= 3 && x < 30 && y >= 5 && y < 27 && (x - 3) % 4 == 0 && (y - 5) % 4 == 0;
                EXPECT_EQ(preview.at(x, y), computed ? whole.at(x, y) : src.at(x, y));
            }
    }
}

TEST(Adjustments, SelectionLimitsAndFeathersTheEffect) {
    const RasterImage src(12, 12, rgb(100, 100, 100));
    std::vector<std::string> rows(12, std::string(12, '.'));
    for (int y = 3; y < 9; ++y) rows[size_t(y)] = "...######...";
    const RasterImage mask = test::maskFromRows(rows);
    for (int feather : {0, 2}) {
        const RasterImage weight = selectionWeight(mask, feather);
        AdjustTarget t;
        t.weight = &weight;
        RasterImage out;
        colorBalance(src, out, 100, 0, 0, t);
        EXPECT_EQ(out.at(6, 6), rgb(200, 100, 100));
        EXPECT_EQ(out.at(0, 0), src.at(0, 0));
        EXPECT_EQ(out.at(11, 6), src.at(11, 6));
        const int edge = redOf(out.at(2, 6)); // just outside the selection
        if (feather == 0)
            EXPECT_EQ(edge, 100);
        else
            EXPECT_TRUE(edge > 100 && edge < 200) << edge;
        out = RasterImage();
        blurSharpen(src, out, -50, t); // a flat picture blurs to itself inside too
        EXPECT_EQ(out, src);
    }
}

TEST(Adjustments, TheSelectionWeightIsRebuiltOnlyWhenTheSelectionChanges) {
    RasterImage mask = test::maskFromRows({"......", ".###..", ".###..", "......"});
    SelectionWeight cache;
    EXPECT_EQ(cache.of(mask, 1), selectionWeight(mask, 1));
    mask.at(0, 0) &= ~MaskBit::Value; // a mask value, not the selection
    cache.of(mask, 1);
    EXPECT_EQ(cache.builds(), 1);
    mask.at(4, 2) |= MaskBit::Selected;
    EXPECT_EQ(cache.of(mask, 1), selectionWeight(mask, 1));
    EXPECT_EQ(cache.of(mask, 2), selectionWeight(mask, 2));
    EXPECT_EQ(cache.builds(), 3);
}

TEST(Adjustments, LightingBrightensInsideAndShiftsOutsideByTheAmbience) {
    const RasterImage src(40, 40, rgb(100, 100, 100));
    LightEllipse light = LightEllipse::openingCircle({10, 10, 20, 20}); // centre (15, 15)
    light.semiMajor = 8 * 8;                                            // radius 8 pixels
    LightingSettings s;
    s.intensity = 100;
    s.ambience = -30;
    s.colour = LightColour::Red;
    RasterImage out;
    lightingEffects(src, out, light, s, 100);
    EXPECT_EQ(out.at(35, 35), rgb(70, 70, 70));
    EXPECT_GT(redOf(out.at(15, 15)), 100);
    EXPECT_GT(redOf(out.at(15, 15)), redOf(out.at(20, 15)));
    EXPECT_GT(redOf(out.at(15, 15)), greenOf(out.at(15, 15))); // only red is lit
}

} // namespace
} // namespace zx
