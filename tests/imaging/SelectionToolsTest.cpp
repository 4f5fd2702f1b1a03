#include "imaging/SelectionTools.h"
#include "imaging/PolygonFill.h"

#include "MaskTestUtil.h"

#include <gtest/gtest.h>

using namespace zx;
using namespace zx::test;

TEST(SelectionTools, LassoModifierKeysFollowTheTable) {
    using T = SelectionType;
    struct Row {
        T panel, none, ctrl, shift;
    };
    const Row table[] = {{T::New, T::New, T::Subtract, T::Add},
                         {T::Add, T::Add, T::Subtract, T::New},
                         {T::Subtract, T::Subtract, T::Add, T::New},
                         {T::Intersect, T::Intersect, T::Add, T::New}};
    for (const Row& r : table) {
        EXPECT_EQ(effectiveLassoType(r.panel, false, false), r.none);
        EXPECT_EQ(effectiveLassoType(r.panel, true, false), r.ctrl);
        EXPECT_EQ(effectiveLassoType(r.panel, false, true), r.shift);
        EXPECT_EQ(effectiveLassoType(r.panel, true, true), r.shift);
    }
}

TEST(SelectionTools, RectangleIsNormalisedClippedAndOutlined) {
    RasterImage m = makeMaskLayer(6, 5);
    ASSERT_TRUE(selectRectangle(m, {4, 3}, {1, -7}, SelectionType::New));
    EXPECT_EQ(rowsOf(m, MaskBit::Selected),
              (std::vector<std::string>{".####.", ".####.", ".####.", ".####.", "......"}));
    EXPECT_EQ(rowsOf(m, MaskBit::Outline),
              (std::vector<std::string>{".####.", ".#..#.", ".#..#.", ".####.", "......"}));
}

TEST(SelectionTools, ClickWithoutExtentSelectsAllOnlyForNew) {
    RasterImage m = makeMaskLayer(4, 4);
    EXPECT_TRUE(selectRectangle(m, {2, 2}, {2, 2}, SelectionType::New));
    EXPECT_EQ(countBit(m, MaskBit::Selected), 16);
    RasterImage n = makeMaskLayer(4, 4);
    EXPECT_FALSE(selectRectangle(n, {1, 1}, {3, 1}, SelectionType::Add)) << "zero height";
    EXPECT_FALSE(selectEllipse(n, {1, 1}, {1, 3}, SelectionType::Subtract));
    EXPECT_FALSE(selectPolygon(n, std::vector<IntPoint>{{0, 0}, {3, 3}}, SelectionType::Intersect));
    EXPECT_EQ(countBit(n, MaskBit::SelectionBits), 0);
    EXPECT_TRUE(selectPolygon(n, std::vector<IntPoint>{{0, 0}, {3, 3}}, SelectionType::New));
    EXPECT_EQ(countBit(n, MaskBit::Selected), 16);
}

TEST(SelectionTools, SubtractingARectangleOutsideTheSelectionChangesNothing) {
    RasterImage m = makeMaskLayer(10, 8);
    selectRectangle(m, {1, 1}, {4, 5}, SelectionType::New);
    const RasterImage before = m;
    ASSERT_TRUE(selectRectangle(m, {6, 1}, {9, 7}, SelectionType::Subtract));
    EXPECT_EQ(m, before);
}

TEST(SelectionTools, NewSelectionReplacesAndAddJoins) {
    RasterImage m = makeMaskLayer(10, 4);
    selectRectangle(m, {0, 0}, {2, 2}, SelectionType::New);
    selectRectangle(m, {6, 1}, {8, 3}, SelectionType::New);
    EXPECT_EQ(rowsOf(m, MaskBit::Selected),
              (std::vector<std::string>{"..........", "......###.", "......###.", "......###."}));
    selectRectangle(m, {0, 0}, {2, 2}, SelectionType::Add);
    EXPECT_EQ(countBit(m, MaskBit::Selected), 18);
    EXPECT_EQ(countBit(m, MaskBit::PendingSelected | MaskBit::PendingOutline), 0);
    // Each part has its own traced outline: 8 border pixels of a 3x3 block, twice.
    EXPECT_EQ(countBit(m, MaskBit::Outline), 16);
}

TEST(SelectionTools, EllipseIsFilledAndSymmetric) {
    RasterImage m = makeMaskLayer(41, 21);
    ASSERT_TRUE(selectEllipse(m, {0, 0}, {40, 20}, SelectionType::New));
    EXPECT_TRUE(m.at(20, 10) & MaskBit::Selected);
    EXPECT_FALSE(m.at(0, 0) & MaskBit::Selected);
    EXPECT_FALSE(m.at(40, 20) & MaskBit::Selected);
    EXPECT_TRUE(m.at(0, 10) & MaskBit::Outline);
    EXPECT_TRUE(m.at(20, 0) & MaskBit::Outline);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 41; ++x)
            EXPECT_EQ(bool(m.at(x, y) & MaskBit::Selected),
                      bool(m.at(40 - x, y) & MaskBit::Selected))
                << x << "," << y;
    const int selected = countBit(m, MaskBit::Selected);
    EXPECT_NEAR(selected, 3.14159 * 20.5 * 10.5, 40);
    EXPECT_EQ(ellipsePolygon({0, 0}, {40, 20}).size(), 256u);
}

TEST(PolygonFill, StepEdgeWalksTheLongerAxis) {
    std::vector<IntPoint> e = stepEdge({0, 0}, {4, 2});
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0], (IntPoint{0, 0}));
    EXPECT_EQ(e[1], (IntPoint{1, 1})) << "0.5 rounds up";
    EXPECT_EQ(e[4], (IntPoint{4, 2}));
    std::vector<IntPoint> v = stepEdge({3, 5}, {3, 1});
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[4], (IntPoint{3, 1}));
    EXPECT_EQ(stepEdge({2, 2}, {2, 2}).size(), 1u);
}

TEST(PolygonFill, FillsInteriorAndOutlineAndEveryLoopOfACrossing) {
    RasterImage m(12, 12, 0);
    const std::vector<IntPoint> bowTie = {{1, 1}, {10, 10}, {10, 1}, {1, 10}};
    ASSERT_TRUE(fillPolygon(m, bowTie, MaskBit::PendingOutline, MaskBit::PendingSelected));
    EXPECT_TRUE(m.at(8, 5) & MaskBit::PendingSelected) << "right lobe";
    EXPECT_TRUE(m.at(3, 5) & MaskBit::PendingSelected) << "left lobe";
    EXPECT_FALSE(m.at(5, 2) & MaskBit::PendingSelected) << "between the lobes, outside";
    EXPECT_TRUE(m.at(10, 5) & MaskBit::PendingOutline);
    EXPECT_TRUE(m.at(10, 5) & MaskBit::PendingSelected) << "outline pixels are inside too";
    EXPECT_FALSE(m.at(8, 5) & MaskBit::PendingOutline);
}

TEST(PolygonFill, VerticesOutsideTheLayerAreClipped) {
    RasterImage m(8, 6, 0);
    const std::vector<IntPoint> big = {{-50, -50}, {100, -50}, {100, 100}, {-50, 100}};
    ASSERT_TRUE(fillPolygon(m, big, MaskBit::Outline, MaskBit::Selected));
    EXPECT_EQ(countBit(m, MaskBit::Selected), 48);
    EXPECT_EQ(countBit(m, MaskBit::Outline), 2 * 8 + 2 * 4);
}

TEST(PolygonFill, TriangleInteriorMatchesItsArea) {
    RasterImage m(60, 60, 0);
    const std::vector<IntPoint> tri = {{5, 5}, {55, 5}, {5, 55}};
    fillPolygon(m, tri, MaskBit::Outline, MaskBit::Selected);
    const int n = countBit(m, MaskBit::Selected);
    EXPECT_NEAR(n, 51 * 52 / 2, 60);
    EXPECT_TRUE(m.at(10, 10) & MaskBit::Selected);
    EXPECT_FALSE(m.at(40, 40) & MaskBit::Selected);
}

TEST(SelectionTools, LineLassoClosesWithinFourPixelsOfTheFirstCorner) {
    LineLasso lasso;
    EXPECT_FALSE(lasso.click({10, 10}));
    EXPECT_FALSE(lasso.click({30, 10}));
    EXPECT_FALSE(lasso.click({12, 12})) << "only two corners so far: not closing";
    EXPECT_FALSE(lasso.click({30, 30}));
    EXPECT_FALSE(lasso.click({15, 14})) << "5 pixels away in x";
    EXPECT_EQ(lasso.corners().size(), 5u);
    EXPECT_TRUE(lasso.click({14, 6}));
    EXPECT_EQ(lasso.corners().size(), 5u) << "the closing click adds no corner";
}

TEST(SelectionTools, SquareDragKeepsTheShorterSideAndDirection) {
    EXPECT_EQ(squareDrag({10, 10}, {4, 30}), (IntPoint{4, 16}));
    EXPECT_EQ(squareDrag({10, 10}, {20, 13}), (IntPoint{13, 13}));
}

TEST(SelectionTools, PromptsAreTheToolTexts) {
    EXPECT_EQ(selectionToolPrompt(SelectionTool::RectangularMarquee),
              "Draw rectangular selection. Use Shift for square");
    EXPECT_EQ(selectionToolPrompt(SelectionTool::MagicBackgroundCleaner),
              "Click to mask highlighted area. Right click for settings");
}
