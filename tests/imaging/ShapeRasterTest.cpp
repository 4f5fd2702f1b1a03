#include "imaging/ShapeRaster.h"
#include "imaging/MaskLayer.h"
#include "imaging/PaintTools.h"
#include "imaging/PixelChannels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>

namespace zx {
namespace {

constexpr int kW = 40, kH = 30;

using Pixels = std::set<std::pair<int, int>>;

// The pixels of full weight, and of any weight.
Pixels fullPixels(const Coverage& c) {
    Pixels out;
    for (int y = c.area.top; y < c.area.bottom; ++y)
        for (int x = c.area.left; x < c.area.right; ++x)
            if (c.at(x, y) == 255) out.insert({x, y});
    return out;
}
Pixels touchedPixels(const Coverage& c) {
    Pixels out;
    for (int y = c.area.top; y < c.area.bottom; ++y)
        for (int x = c.area.left; x < c.area.right; ++x)
            if (c.at(x, y) > 0) out.insert({x, y});
    return out;
}

Pixels drawn(ShapeKind kind, IntPoint a, IntPoint b, int width, int feather = 0) {
    return fullPixels(rasteriseShape({kind, a, b, width, feather}, kW, kH));
}

bool inBox(std::pair<int, int> p, int l, int t, int r, int b) {
    return p.first >= l && p.first <= r && p.second >= t && p.second <= b;
}

TEST(ShapeRaster, BoxesFillTheirBoxAndOutlinesAreWidthThickInside) {
    // Corners given in any order name the same box of pixels 5..20 x 4..15.
    const Pixels filled = drawn(ShapeKind::FilledRectangle, {20, 4}, {5, 15}, 1);
    EXPECT_EQ(filled.size(), 16u * 12u);
    for (auto p : filled) EXPECT_TRUE(inBox(p, 5, 4, 20, 15));
    for (int width : {1, 2, 3}) {
        const Pixels outline = drawn(ShapeKind::Rectangle, {5, 4}, {20, 15}, width);
        for (auto p : outline) {
            EXPECT_TRUE(inBox(p, 5, 4, 20, 15));
            EXPECT_FALSE(inBox(p, 5 + width, 4 + width, 20 - width, 15 - width)) << width;
        }
        EXPECT_EQ(outline.size(), 16u * 12u - (16u - 2 * width) * (12u - 2 * width)) << width;
    }
    // Too small for a hole: the outline is the filled box.
    EXPECT_EQ(drawn(ShapeKind::Rectangle, {5, 5}, {8, 7}, 3),
              drawn(ShapeKind::FilledRectangle, {5, 5}, {8, 7}, 3));
    // One pixel.
    EXPECT_EQ(drawn(ShapeKind::Rectangle, {7, 7}, {7, 7}, 1), (Pixels{{7, 7}}));
}

TEST(ShapeRaster, EllipsesStayInTheirBoxAreSymmetricAndOutlinesAreHollow) {
    const int l = 4, t = 3, r = 30, b = 22;
    const Pixels filled = drawn(ShapeKind::FilledEllipse, {l, t}, {r, b}, 1);
    const Pixels ring = drawn(ShapeKind::Ellipse, {l, t}, {r, b}, 2);
    for (const Pixels& s : {filled, ring})
        for (auto [x, y] : s) {
            EXPECT_TRUE(inBox({x, y}, l, t, r, b));
            EXPECT_TRUE(s.count({l + r - x, y}) && s.count({x, t + b - y})) << x << "," << y;
            EXPECT_TRUE(filled.count({x, y}));
        }
    const int cx = (l + r) / 2, cy = (t + b) / 2;
    EXPECT_TRUE(filled.count({cx, cy}));
    EXPECT_FALSE(ring.count({cx, cy}));
    EXPECT_FALSE(filled.count({l, t})); // the box's corner lies outside the curve
    // The ends of both axes are on the ring, and it is as thick as asked across them.
    for (auto p : {std::pair{l, cy}, std::pair{l + 1, cy}, std::pair{cx, t}, std::pair{cx, t + 1}})
        EXPECT_TRUE(ring.count(p));
    EXPECT_FALSE(ring.count({l + 2, cy}));
}

TEST(ShapeRaster, LinesAreWidthThickAcrossAndThinLinesHaveNoGaps) {
    for (int width : {1, 2, 3, 4, 7}) {
        const Pixels line = drawn(ShapeKind::Line, {5, 12}, {30, 12}, width);
        int across = 0;
        for (int y = 0; y < kH; ++y) across += line.count({15, y});
        EXPECT_EQ(across, width);
        const Pixels upright = drawn(ShapeKind::Line, {12, 3}, {12, 25}, width);
        across = 0;
        for (int x = 0; x < kW; ++x) across += upright.count({x, 15});
        EXPECT_EQ(across, width);
    }
    // Slanted one-pixel lines: every column (or row, for steep ones) between the ends
    // has a pixel, and none strays more than a pixel from the true line.
    for (IntPoint end : {IntPoint{33, 9}, IntPoint{9, 27}, IntPoint{34, 27}, IntPoint{20, 2}}) {
        const IntPoint start{3, 4};
        const Pixels line = drawn(ShapeKind::Line, start, end, 1);
        const bool flat = std::abs(end.x - start.x) >= std::abs(end.y - start.y);
        for (int i = flat ? std::min(start.x, end.x) : std::min(start.y, end.y);
             i <= (flat ? std::max(start.x, end.x) : std::max(start.y, end.y)); ++i) {
            int hits = 0;
            for (auto [x, y] : line) hits += (flat ? x : y) == i;
            EXPECT_GE(hits, 1) << end.x << "," << end.y << " at " << i;
        }
        const double dx = end.x - start.x, dy = end.y - start.y, length = std::hypot(dx, dy);
        for (auto [x, y] : line)
            EXPECT_LE(std::abs((x - start.x) * dy - (y - start.y) * dx) / length, 1.0);
    }
}

TEST(ShapeRaster, SmoothingAddsOnlyAFadingFringeOutsideTheShape) {
    for (ShapeKind kind : {ShapeKind::Line, ShapeKind::Rectangle, ShapeKind::FilledEllipse}) {
        const ShapeOutline hard{kind, {8, 6}, {28, 20}, 3, 0};
        const Pixels solid = fullPixels(rasteriseShape(hard, kW, kH));
        EXPECT_EQ(touchedPixels(rasteriseShape(hard, kW, kH)), solid);
        for (int f = 1; f <= 3; ++f) {
            ShapeOutline soft = hard;
            soft.featherIndex = f;
            const Coverage c = rasteriseShape(soft, kW, kH);
            EXPECT_EQ(fullPixels(c), solid);
            const Pixels touched = touchedPixels(c);
            EXPECT_GT(touched.size(), solid.size());
            const int fringe = shapeFeatherPixels(f);
            for (auto [x, y] : touched) { // no fringe pixel lies much farther than the fringe
                bool near = false;
                for (auto [sx, sy] : solid)
                    near =
                        near || (std::abs(sx - x) <= fringe + 1 && std::abs(sy - y) <= fringe + 1);
                EXPECT_TRUE(near) << x << "," << y;
            }
        }
    }
}

TEST(ShapeRaster, ShapesOffThePictureAreClippedToIt) {
    for (ShapeKind kind : {ShapeKind::Line, ShapeKind::Rectangle, ShapeKind::FilledRectangle,
                           ShapeKind::Ellipse, ShapeKind::FilledEllipse}) {
        const Coverage part = rasteriseShape({kind, {-15, -9}, {kW + 20, 12}, 5, 3}, kW, kH);
        EXPECT_GE(part.area.left, 0);
        EXPECT_GE(part.area.top, 0);
        EXPECT_LE(part.area.right, kW);
        EXPECT_LE(part.area.bottom, kH);
        EXPECT_FALSE(touchedPixels(part).empty());
        const Coverage away = rasteriseShape({kind, {-900, -900}, {-800, -850}, 5, 3}, kW, kH);
        EXPECT_TRUE(touchedPixels(away).empty());
        const Coverage huge = rasteriseShape(
            {kind, {-2000000000, -2000000000}, {2000000000, 2000000000}, 100, 3}, kW, kH);
        EXPECT_LE(huge.area.width() * huge.area.height(), kW * kH);
    }
}

TEST(PaintCoverage, PaintsSelectedPixelsByWeightAndLeavesTheRestByteForByte) {
    RasterImage subject(kW, kH, 0xFF204060u);
    RasterImage mask = makeMaskLayer(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW / 2; ++x) mask.at(x, y) |= MaskBit::Selected; // the left half
    const RasterImage subjectBefore = subject, maskBefore = mask;
    // Text as a drawn picture: full, half and no coverage side by side, laid across the
    // selection's edge and over the picture's right border.
    RasterImage text(30, 3, 0);
    for (int x = 0; x < 30; ++x) {
        text.at(x, 0) = 0xFF000000u;
        text.at(x, 1) = 0x80000000u;
    }
    const PaintColour red = PaintColour::rgb(255, 0, 0);
    const PixelRect touched =
        paintCoverage(subject, mask, Coverage::fromAlpha(text, 15, 5), red, true);
    EXPECT_EQ(std::tuple(touched.left, touched.top, touched.right, touched.bottom),
              std::tuple(15, 5, kW / 2, 7));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool painted = x >= 15 && x < kW / 2 && (y == 5 || y == 6);
            if (!painted) {
                EXPECT_EQ(subject.at(x, y), subjectBefore.at(x, y)) << x << "," << y;
                EXPECT_EQ(mask.at(x, y), maskBefore.at(x, y)) << x << "," << y;
            }
        }
    EXPECT_EQ(subject.at(16, 5), red.pixel());
    const uint32_t half = subject.at(16, 6);
    EXPECT_GT(redOf(half), 0x20);
    EXPECT_LT(redOf(half), 0xFF);
    EXPECT_LT(blueOf(half), 0x60);
    EXPECT_EQ(maskValue(mask.at(16, 6)), 255u); // painted pixels show through the mask

    // On the background the coverage raises alpha instead.
    RasterImage background(kW, kH, 0);
    paintCoverage(background, mask, Coverage::fromAlpha(text, 0, 0), red, false);
    EXPECT_EQ(background.at(3, 0), red.pixel());
    EXPECT_EQ(alphaOf(background.at(3, 1)), 128);
    EXPECT_EQ(background.at(3, 2), 0u);
}

} // namespace
} // namespace zx
