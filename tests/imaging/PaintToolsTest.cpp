#include "imaging/PaintTools.h"
#include "MaskTestUtil.h"
#include "imaging/MaskLayer.h"
#include "imaging/PixelChannels.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

RasterImage allSelected(int w, int h) {
    RasterImage m = makeMaskLayer(w, h);
    selectAll(m);
    return m;
}

// The pixels whose alpha a full-flow eraser dab at (x, y) removes.
std::vector<std::string> eraserFootprint(const BrushKernel& k, int x, int y) {
    RasterImage p(9, 9, 0xFF808080u);
    eraseDab(p, {k, x, y, 100});
    std::vector<std::string> rows;
    for (int yy = 0; yy < 9; ++yy) {
        std::string r;
        for (int xx = 0; xx < 9; ++xx) r += alphaOf(p.at(xx, yy)) == 0 ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

TEST(BrushKernel, ShapesAreSymmetricAndRoundEdgesAreHalfWeight) {
    const auto one = BrushKernel::build(BrushShape::SolidSquare, 1, 0);
    EXPECT_EQ(one.weights, std::vector<int32_t>{kFullWeight});
    for (BrushShape shape : {BrushShape::SolidRound, BrushShape::SoftSquare, BrushShape::SoftRound})
        for (int size : {5, 12}) {
            const auto k = BrushKernel::build(shape, size, 2);
            ASSERT_EQ(k.n, size + 4);
            for (int i = 0; i < k.n; ++i)
                for (int j = 0; j < k.n; ++j) {
                    EXPECT_EQ(k.at(i, j), k.at(j, i));
                    EXPECT_EQ(k.at(i, j), k.at(k.n - 1 - i, j));
                    EXPECT_LE(k.at(i, j), k.at(k.centre(), k.centre()));
                }
        }
    // Size 12, no feathering: r = 6, and the edge weight sits exactly where the cell
    // centre is within one squared pixel of the circle.
    const auto round = BrushKernel::build(BrushShape::SolidRound, 12, 0);
    int edge = 0;
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j) {
            const double d2 = (6 - i - 0.5) * (6 - i - 0.5) + (6 - j - 0.5) * (6 - j - 0.5);
            const bool onCircle = std::abs(d2 - 36) < 1;
            edge += onCircle;
            EXPECT_EQ(round.at(j, i) == kFullWeight / 2, onCircle);
        }
    EXPECT_GT(edge, 0);
    EXPECT_EQ(round.at(0, 0), 0);
}

TEST(PaintTools, EraserFootprintsAreCentredOnTheCursor) {
    EXPECT_EQ(eraserFootprint(BrushKernel::build(BrushShape::SolidSquare, 1, 0), 4, 4)[4],
              "....#....");
    const auto three = eraserFootprint(BrushKernel::build(BrushShape::SolidSquare, 3, 0), 4, 4);
    EXPECT_EQ(three, (std::vector<std::string>{".........", ".........", ".........", "...###...",
                                               "...###...", "...###...", ".........", ".........",
                                               "........."}));
    // At a corner the cells beyond the picture are skipped.
    EXPECT_EQ(eraserFootprint(BrushKernel::build(BrushShape::SolidSquare, 3, 0), 0, 0)[0],
              "##.......");
    // Half flow halves alpha; the mask eraser and the revealer work on mask values.
    RasterImage p(3, 3, 0xFF000000u);
    const auto k = BrushKernel::build(BrushShape::SolidSquare, 1, 0);
    eraseDab(p, {k, 1, 1, 50});
    EXPECT_EQ(alphaOf(p.at(1, 1)), 127);
    RasterImage m = allSelected(3, 3);
    eraseMaskDab(m, {k, 1, 1, 100});
    EXPECT_EQ(maskValue(m.at(1, 1)), 0u);
    EXPECT_TRUE(isSelectedWord(m.at(1, 1)));
    revealDab(m, {k, 1, 1, 50});
    EXPECT_EQ(maskValue(m.at(1, 1)), 128u);
}

TEST(PaintTools, TheBrushPaintsOnlySelectedPixelsItsModeAllows) {
    const auto k = BrushKernel::build(BrushShape::SolidSquare, 3, 0);
    RasterImage picture(6, 3, makePixel(255, 100, 100, 100));
    picture.at(1, 1) = 0; // transparent: takes the colour outright
    RasterImage mask = test::maskFromRows({"##....", "##....", "##...."});
    const RasterImage untouched = picture;
    RasterImage m2 = mask;
    brushDab(picture, m2, {k, 1, 1, 100}, PaintColour::rgb(0, 0, 0), BrushMode::Lighten, false);
    EXPECT_EQ(picture.at(0, 0), untouched.at(0, 0)); // nothing is darker than black
    EXPECT_EQ(picture.at(1, 1), PaintColour::rgb(0, 0, 0).pixel());

    picture = untouched;
    brushDab(picture, mask, {k, 1, 1, 100}, PaintColour::rgb(200, 40, 0), BrushMode::Normal, true);
    EXPECT_EQ(picture.at(0, 0), makePixel(255, 200, 40, 0));
    EXPECT_EQ(picture.at(2, 1), untouched.at(2, 1)); // not selected
    EXPECT_EQ(maskValue(mask.at(1, 1)), 255u);       // the painted pixel shows
}

TEST(PaintTools, TheBucketFloodsConnectedSelectedLookalikes) {
    // Two grey areas split by a dark column; the right one is partly unselected.
    RasterImage picture(7, 3, makePixel(255, 120, 120, 120));
    for (int y = 0; y < 3; ++y) picture.at(3, y) = makePixel(255, 10, 10, 10);
    picture.at(1, 1) = makePixel(255, 130, 125, 110); // close to the start colour
    const RasterImage mask = test::maskFromRows({"######.", "######.", "######."});
    const PaintColour red = PaintColour::rgb(255, 0, 0);

    RasterImage p = picture;
    EXPECT_EQ(bucketFill(p, mask, 0, 0, 5, red), 9); // 12 / 255 tolerance: the left area
    EXPECT_EQ(p.at(1, 1), red.pixel());
    EXPECT_EQ(p.at(3, 0), picture.at(3, 0));
    EXPECT_EQ(p.at(4, 0), picture.at(4, 0));

    p = picture;
    EXPECT_EQ(bucketFill(p, mask, 0, 0, 100, red), 18); // every connected selected pixel
    EXPECT_EQ(p.at(6, 0), picture.at(6, 0));
    EXPECT_EQ(bucketFill(p, mask, 6, 1, 100, red), 0); // unselected start
}

TEST(PaintTools, TheBlurToolBlendsTheNeighbourhoodMean) {
    RasterImage picture(5, 5, makePixel(255, 0, 0, 0));
    picture.at(2, 2) = makePixel(255, 90, 90, 90);
    const RasterImage mask = allSelected(5, 5);
    const auto k = BrushKernel::build(BrushShape::SolidSquare, 3, 0);
    blurDab(picture, mask, {k, 2, 2, 100}, true);
    EXPECT_EQ(redOf(picture.at(2, 2)), (90 + 3) / 9);
    EXPECT_EQ(redOf(picture.at(1, 1)), (90 + 3) / 9);
    EXPECT_EQ(redOf(picture.at(0, 0)), 0);
}

TEST(PaintTools, PickingAveragesTheSampleInsideThePicture) {
    RasterImage p(4, 4, makePixel(255, 10, 20, 30));
    p.at(0, 0) = makePixel(255, 50, 20, 30);
    EXPECT_EQ(pickColour(p, 0, 0, 1).text(), "50,20,30");
    EXPECT_EQ(pickColour(p, 0, 0, 3), PaintColour::rgb(20, 20, 30)); // 4 pixels inside
}

} // namespace
} // namespace zx
