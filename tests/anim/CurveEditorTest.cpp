#include "anim/CurveEditor.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

std::vector<uint32_t> pts(std::initializer_list<std::pair<int, int>> p) {
    std::vector<uint32_t> out;
    for (auto [x, y] : p) out.push_back(packCurvePoint(x, y));
    return out;
}

TEST(CurveEditor, ClicksCreateSetAndInsert) {
    CurveEditor e;
    e.press(300, 100);
    EXPECT_EQ(e.curve.points, pts({{0, 100}, {512, 100}}));
    e.press(0, 40); // the first point: only its height
    EXPECT_EQ(e.curve.points, pts({{0, 40}, {512, 100}}));
    EXPECT_EQ(e.held, 0);
    e.release();
    e.press(200, 300);
    EXPECT_EQ(e.curve.points, pts({{0, 40}, {200, 300}, {512, 100}}));
    EXPECT_EQ(e.held, 1);
    e.release();
    e.press(200, 10); // same x: sets that point
    EXPECT_EQ(e.curve.points, pts({{0, 40}, {200, 10}, {512, 100}}));
    e.press(700, -5); // clamped to the grid
    EXPECT_EQ(e.curve.points.back(), packCurvePoint(512, 0));
}

TEST(CurveEditor, DragMovesAndMerges) {
    CurveEditor e(TimeCurve{1, pts({{0, 0}, {100, 100}, {300, 300}, {512, 512}})});
    e.held = 0;
    e.drag(50, 70); // end points move only vertically
    EXPECT_EQ(e.curve.points[0], packCurvePoint(0, 70));
    e.held = 2;
    e.drag(250, 200);
    EXPECT_EQ(e.curve.points[2], packCurvePoint(250, 200));
    e.drag(100, 150); // reaches the left neighbour: merged into it
    EXPECT_EQ(e.curve.points, pts({{0, 70}, {100, 150}, {512, 512}}));
    EXPECT_EQ(e.held, 1);
    e.drag(600, 20); // passes the right end point: merged into it
    EXPECT_EQ(e.curve.points, pts({{0, 70}, {512, 20}}));
    EXPECT_EQ(e.held, 1);
}

TEST(CurveEditor, DoubleClickRemovesOnlyInteriorPoints) {
    CurveEditor e(TimeCurve{0, pts({{0, 0}, {256, 512}, {512, 0}})});
    e.held = 0;
    EXPECT_FALSE(e.doubleClick());
    e.held = 2;
    EXPECT_FALSE(e.doubleClick());
    e.held = 1;
    EXPECT_TRUE(e.doubleClick());
    EXPECT_EQ(e.curve.points, pts({{0, 0}, {512, 0}}));
    EXPECT_FALSE(isValidCurveName(""));
    EXPECT_FALSE(isValidCurveName("<new curve>"));
    EXPECT_TRUE(isValidCurveName("Mine"));
}

} // namespace
} // namespace zx
