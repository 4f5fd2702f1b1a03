#include "commands/LightTool.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

TEST(LightTool, DragsMoveReshapeAndResizeTheLight) {
    LightTool tool(LightEllipse::openingCircle({0, 0, 40, 20})); // centre (20, 10), radius 60
    for (const LightPoint& p : tool.outline())
        EXPECT_NEAR(std::hypot(p.x - 20, p.y - 10), 60, 1e-9);
    EXPECT_EQ(tool.outline().size(), 129u);
    EXPECT_EQ(tool.prompt(30, 10), "Drag to move light");
    EXPECT_EQ(tool.handleAt(200, 200), LightHandle::None);
    EXPECT_FALSE(tool.move(25, 10));

    tool.press(30, 10); // inside: moves
    ASSERT_TRUE(tool.move(33, 14));
    tool.release();
    EXPECT_NEAR(tool.light().centreX, 23 * 8, 1e-9);
    EXPECT_NEAR(tool.light().centreY, 14 * 8, 1e-9);

    const LightPoint end = tool.handles()[2]; // the long axis' end: resize
    EXPECT_EQ(tool.prompt(end.x, end.y), "Drag handle to adjust light");
    tool.press(end.x, end.y);
    tool.move(23, 14 + 30); // straight down, 30 pixels from the centre
    tool.release();
    EXPECT_NEAR(tool.light().semiMajor, 30 * 8, 1e-9);

    // The focus handle (on the centre while the light is a circle) wins over it.
    EXPECT_EQ(tool.prompt(23, 14), "Drag to change light shape");
    tool.press(23, 14);
    tool.move(23 + 100, 14); // beyond the outline: held inside it
    tool.release();
    EXPECT_LT(tool.light().focalDistance(), tool.light().semiMajor);
    EXPECT_NEAR(tool.light().orientation(), 0, 1e-12);
    for (const LightPoint& p : tool.outline()) // still an ellipse around both foci
        EXPECT_NEAR(std::hypot(p.x * 8 - tool.light().centreX - tool.light().focusX,
                               p.y * 8 - tool.light().centreY - tool.light().focusY) +
                        std::hypot(p.x * 8 - tool.light().centreX + tool.light().focusX,
                                   p.y * 8 - tool.light().centreY + tool.light().focusY),
                    2 * tool.light().semiMajor, 1e-6);
}

} // namespace
} // namespace zx
