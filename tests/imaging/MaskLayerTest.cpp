#include "imaging/MaskLayer.h"
#include "imaging/MaskBoxBlur.h"
#include "imaging/TraceOutline.h"

#include "MaskTestUtil.h"

#include <gtest/gtest.h>

using namespace zx;
using namespace zx::test;

TEST(MaskLayer, SelectAllOnOnePixelIsSelectedAndOutline) {
    RasterImage m = makeMaskLayer(1, 1);
    selectAll(m);
    EXPECT_EQ(m.at(0, 0), 0xFFu | MaskBit::Selected | MaskBit::Outline);
}

TEST(MaskLayer, SelectAllOutlinesTheBorderOnly) {
    RasterImage m = makeMaskLayer(4, 3);
    m.at(1, 1) = 0x40 | MaskBit::PendingSelected;
    selectAll(m);
    EXPECT_EQ(rowsOf(m, MaskBit::Outline), (std::vector<std::string>{"####", "#..#", "####"}));
    EXPECT_EQ(countBit(m, MaskBit::Selected), 12);
    EXPECT_EQ(m.at(1, 1), 0x40u | MaskBit::Selected) << "mask value kept, old flags gone";
}

TEST(MaskLayer, SelectInverseTwiceRestoresTheFlagsExactly) {
    RasterImage m = maskFromRows({"..##", ".##.", "...."});
    traceOutline(m);
    m.at(3, 2) |= MaskBit::PendingOutline;
    const RasterImage before = m;
    selectInverse(m);
    EXPECT_EQ(rowsOf(m, MaskBit::Selected), (std::vector<std::string>{"##..", "#..#", "####"}));
    EXPECT_EQ(rowsOf(m, MaskBit::Outline), rowsOf(before, MaskBit::Outline)) << "outline stays";
    selectInverse(m);
    EXPECT_EQ(m, before);
}

TEST(MaskLayer, DeselectClearsEveryFlagButKeepsValues) {
    RasterImage m(2, 1);
    m.at(0, 0) = 0xFF37;
    m.at(1, 0) = 0x0A00;
    deselect(m);
    EXPECT_EQ(m.at(0, 0), 0x37u);
    EXPECT_EQ(m.at(1, 0), 0u);
}

TEST(MaskLayer, SelectVisibleNeedsMaskAndAlphaAndDropsLonePixels) {
    RasterImage m(5, 3, 0);
    RasterImage subject(5, 3, 0xFF102030);
    // A visible 2x2 block, one pixel hidden by the subject's alpha, one lone pixel.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) m.at(x, y) = 200 | MaskBit::Outline;
    m.at(2, 0) = 255;
    subject.at(2, 0) = 0x0F102030; // alpha 15: not visible
    m.at(4, 2) = 16;               // visible but alone
    m.at(3, 2) = 15;               // mask below 16
    selectVisible(m, &subject);
    EXPECT_EQ(rowsOf(m, MaskBit::Selected), (std::vector<std::string>{"##...", "##...", "....."}));
    EXPECT_EQ(rowsOf(m, MaskBit::Outline), rowsOf(m, MaskBit::Selected));
    EXPECT_EQ(m.at(4, 2), 16u) << "the lone pixel keeps its value, loses its flags";
    EXPECT_EQ(m.at(0, 0) & 0xFF, 200u);
}

TEST(MaskLayer, TraceOutlineFollowsOuterAndHoleBoundaries) {
    RasterImage m = maskFromRows({
        ".......",
        ".#####.",
        ".#####.",
        ".##.##.",
        ".#####.",
        ".#####.",
        ".......",
    });
    traceOutline(m);
    // The outer border, and around the hole the four pixels beside it: the follower
    // steps diagonally past the ring's corners.
    EXPECT_EQ(rowsOf(m, MaskBit::Outline), (std::vector<std::string>{
                                               ".......",
                                               ".#####.",
                                               ".#.#.#.",
                                               ".##.##.",
                                               ".#.#.#.",
                                               ".#####.",
                                               ".......",
                                           }));
    EXPECT_EQ(countBit(m, MaskBit::Selected), 24) << "tracing never changes a region";
}

TEST(MaskLayer, TraceOutlineOfASolidBlockLeavesItsInsideUnflagged) {
    RasterImage m = maskFromRows({"#####", "#####", "#####", "#####"});
    traceOutline(m);
    EXPECT_EQ(rowsOf(m, MaskBit::Outline),
              (std::vector<std::string>{"#####", "#...#", "#...#", "#####"}));
}

TEST(MaskLayer, TraceOutlineHandlesDiagonalChainsAndBigLayersWithoutHanging) {
    RasterImage m(300, 300, 0xFF);
    for (int i = 0; i < 300; ++i) m.at(i, i) |= MaskBit::Selected; // one diagonal line
    traceOutline(m);
    EXPECT_EQ(countBit(m, MaskBit::Outline), 300);
    EXPECT_EQ(countBit(m, MaskBit::Selected), 300);
}

TEST(MaskLayer, TraceOutlineWithCustomBitsTouchesNothingElse) {
    RasterImage m = maskFromRows({"...", ".#.", "..."});
    for (uint32_t& w : m.pixelVector())
        w = (w & MaskBit::Selected) ? 0xFF | MaskBit::PendingSelected : 0xFF;
    m.at(0, 0) |= MaskBit::Selected;
    traceOutline(m, MaskBit::PendingSelected, MaskBit::PendingOutline);
    EXPECT_EQ(countBit(m, MaskBit::PendingSelected), 0) << "a lone pending pixel drops out";
    EXPECT_EQ(m.at(0, 0), 0xFFu | MaskBit::Selected);
}

TEST(MaskBoxBlur, RadiusZeroDoesNothingAndOnlyValueBitsChange) {
    RasterImage m(3, 3, MaskBit::Selected);
    m.at(1, 1) = 255 | MaskBit::Selected;
    RasterImage copy = m;
    maskBoxBlur(m, 0);
    EXPECT_EQ(m, copy);
    maskBoxBlur(m, 1);
    EXPECT_EQ(m.at(1, 1), 28u | MaskBit::Selected); // 255 / 9
    EXPECT_EQ(m.at(0, 0) & 0xFF, 28u);
    for (uint32_t w : m.pixelVector()) EXPECT_TRUE(w & MaskBit::Selected);

    // At a corner the missing row and column repeat the centre's, so the corner
    // pixel counts four times.
    RasterImage corner(3, 3, 0);
    corner.at(0, 0) = 255;
    maskBoxBlur(corner, 1);
    EXPECT_EQ(corner.at(0, 0), 255u * 4 / 9);
    EXPECT_EQ(corner.at(1, 0), 255u * 2 / 9);
    EXPECT_EQ(corner.at(2, 2), 0u);
}

TEST(MaskBoxBlur, UniformLayerKeepsItsValueUpToTheBorder) {
    RasterImage m(6, 4, 200);
    maskBoxBlur(m, 3);
    for (uint32_t w : m.pixelVector()) EXPECT_EQ(w, 200u);
}

TEST(MaskLayer, ShowInsideWithoutFeatherIsHardAndOutsideIsItsInverse) {
    RasterImage m = maskFromRows({"......", ".####.", ".####.", "......"});
    for (uint32_t& w : m.pixelVector()) w = (w & ~0xFFu) | 77;
    showInsideSelection(m, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(m.at(x, y) & 0xFF, (m.at(x, y) & MaskBit::Selected) ? 255u : 0u);
    showOutsideSelection(m, 0);
    for (uint32_t w : m.pixelVector()) EXPECT_EQ(w & 0xFF, (w & MaskBit::Selected) ? 0u : 255u);
    showInsideSelection(m, 1);
    EXPECT_GT(m.at(1, 1) & 0xFF, 0u);
    EXPECT_LT(m.at(1, 1) & 0xFF, 255u) << "feathered edge";
    showAll(m);
    for (uint32_t w : m.pixelVector()) EXPECT_EQ(w & 0xFF, 255u);
}

TEST(MaskLayer, GrowAndShrinkMoveTheEdgeByOnePixel) {
    RasterImage empty = makeMaskLayer(5, 5);
    growSelection(empty);
    EXPECT_EQ(countBit(empty, MaskBit::Selected), 0);

    RasterImage m =
        maskFromRows({".......", ".......", "..###..", "..###..", "..###..", ".......", "......."});
    for (uint32_t& w : m.pixelVector()) w = (w & ~0xFFu) | 99;
    growSelection(m);
    EXPECT_EQ(rowsOf(m, MaskBit::Selected),
              (std::vector<std::string>{".......", ".#####.", ".#####.", ".#####.", ".#####.",
                                        ".#####.", "......."}));
    EXPECT_EQ(rowsOf(m, MaskBit::Outline),
              (std::vector<std::string>{".......", ".#####.", ".#...#.", ".#...#.", ".#...#.",
                                        ".#####.", "......."}));
    shrinkSelection(m);
    shrinkSelection(m);
    EXPECT_EQ(countBit(m, MaskBit::Selected), 0) << "a lone pixel drops out of the selection";
    for (uint32_t w : m.pixelVector()) EXPECT_EQ(w & 0xFF, 99u) << "mask values are kept";
}

TEST(MaskLayer, ShrinkOnSelectAllRemovesTheImageBorder) {
    RasterImage m = makeMaskLayer(5, 4);
    selectAll(m);
    shrinkSelection(m);
    EXPECT_EQ(rowsOf(m, MaskBit::Selected),
              (std::vector<std::string>{".....", ".###.", ".###.", "....."}));
    growSelection(m);
    EXPECT_EQ(countBit(m, MaskBit::Selected), 20);
}

TEST(MaskLayer, MoveSelectionShiftsFlagsAndLosesWhatLeaves) {
    RasterImage m = maskFromRows({"##..", "##..", "...."});
    traceOutline(m);
    m.at(0, 0) = (m.at(0, 0) & ~0xFFu) | 5;
    moveSelection(m, 3, 1);
    EXPECT_EQ(rowsOf(m, MaskBit::Selected), (std::vector<std::string>{"....", "...#", "...#"}));
    EXPECT_EQ(m.at(0, 0), 5u) << "values stay where they were";
}

TEST(MaskLayer, CombineRulesForAddSubtractIntersect) {
    auto layer = [] {
        RasterImage m = maskFromRows({"###...", "###...", "###...", "......"});
        traceOutline(m);
        return m;
    };
    auto pending = [](RasterImage& m) {
        for (int y = 1; y < 4; ++y)
            for (int x = 2; x < 5; ++x) m.at(x, y) |= MaskBit::PendingSelected;
    };
    RasterImage add = layer();
    pending(add);
    combinePendingSelection(add, SelectionType::Add);
    EXPECT_EQ(rowsOf(add, MaskBit::Selected),
              (std::vector<std::string>{"###...", "#####.", "#####.", "..###."}));
    EXPECT_EQ(countBit(add, MaskBit::PendingSelected | MaskBit::PendingOutline), 0);

    RasterImage sub = layer();
    pending(sub);
    combinePendingSelection(sub, SelectionType::Subtract);
    EXPECT_EQ(rowsOf(sub, MaskBit::Selected),
              (std::vector<std::string>{"###...", "##....", "##....", "......"}));
    EXPECT_EQ(rowsOf(sub, MaskBit::Outline), rowsOf(sub, MaskBit::Selected));

    RasterImage both = layer();
    pending(both);
    combinePendingSelection(both, SelectionType::Intersect);
    EXPECT_EQ(rowsOf(both, MaskBit::Selected),
              (std::vector<std::string>{"......", "..#...", "..#...", "......"}));
    EXPECT_EQ(countBit(both, MaskBit::PendingSelected), 0);
}
