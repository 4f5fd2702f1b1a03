#include "commands/PaintStroke.h"
#include "ImageEditFixture.h"
#include "imaging/MaskLayer.h"
#include "imaging/PixelChannels.h"

namespace zx {
namespace {

using PaintStrokes = test::ImageEditFixture;

PaintSettings pencil(PaintTool tool) {
    PaintSettings s;
    s.tool = tool;
    s.size = 1;
    s.featherIndex = 0;
    s.flow = 100;
    s.applyToMask = false;
    return s;
}

TEST_F(PaintStrokes, ADragLeavesNoGapsAndIsOneStep) {
    const int i = addImage(20, 12);
    const auto before = layers();
    const int count = steps();
    PaintStroke stroke(project(), i, pencil(PaintTool::Eraser));
    ASSERT_TRUE(stroke.press(2, 2));
    stroke.move(9, 5); // a slanted jump of 7 x 3 pixels
    stroke.move(15, 5);
    EXPECT_TRUE(stroke.release());
    EXPECT_EQ(steps(), count + 1);
    EXPECT_EQ(lastLabel(), "Subject Erase Tool");
    int erased = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) erased += alphaOf(layer(kSubjectLayer).at(x, y)) == 0;
    EXPECT_EQ(erased, 14); // one pixel per column from x = 2 to 15
    for (int x = 2; x <= 15; ++x) {
        int inColumn = 0;
        for (int y = 0; y < 12; ++y) inColumn += alphaOf(layer(kSubjectLayer).at(x, y)) == 0;
        EXPECT_EQ(inColumn, 1) << x;
    }
    expectUndoRedoExact(before);
}

TEST_F(PaintStrokes, AStepKeepsOnlyTheRectangleTheStrokeChanged) {
    const int i = addImage(200, 150);
    PaintSettings s = pencil(PaintTool::Eraser);
    s.size = 3;
    PaintStroke stroke(project(), i, s);
    ASSERT_TRUE(stroke.press(100, 100));
    stroke.move(104, 100);
    ASSERT_TRUE(stroke.release());
    const auto* patches = project().history.steps().back().payloadAs<step_payload::ImagePatches>();
    ASSERT_NE(patches, nullptr);
    ASSERT_EQ(patches->patches.size(), 1u); // the subject; the mask is untouched
    const auto& p = patches->patches[0];
    EXPECT_EQ(p.layer, kSubjectLayer);
    EXPECT_EQ(std::tuple(p.left, p.top, p.before.width(), p.before.height()),
              std::tuple(99, 99, 7, 3));
    EXPECT_EQ(stroke.changed().width(), 7);
}

TEST_F(PaintStrokes, TheMaskEraserHidesAndDeselects) {
    const int i = addImage(10, 10);
    selectAll(*image().editLayer(kMaskLayer)->base);
    PaintSettings s = pencil(PaintTool::Eraser);
    s.applyToMask = true;
    s.size = 3;
    PaintStroke stroke(project(), i, s);
    const RasterImage subject = layer(kSubjectLayer);
    ASSERT_TRUE(stroke.press(5, 5));
    EXPECT_TRUE(stroke.release());
    EXPECT_EQ(lastLabel(), "Subject Mask Erase Tool");
    EXPECT_EQ(layer(kSubjectLayer), subject);
    EXPECT_EQ(maskValue(layer(kMaskLayer).at(5, 5)), 0u);
    EXPECT_FALSE(isSelectedWord(layer(kMaskLayer).at(5, 5))); // selection rebuilt from the mask
    EXPECT_TRUE(isSelectedWord(layer(kMaskLayer).at(1, 1)));
}

TEST_F(PaintStrokes, StrokesThatChangeNothingRecordNoStep) {
    const int i = addImage(10, 10);
    deselect(*image().editLayer(kMaskLayer)->base);
    const int count = steps();
    PaintStroke brush(project(), i, pencil(PaintTool::Brush));
    ASSERT_TRUE(brush.press(3, 3)); // nothing selected: the brush paints nothing
    brush.move(8, 8);
    EXPECT_FALSE(brush.release());
    PaintStroke outside(project(), i, pencil(PaintTool::Eraser));
    ASSERT_TRUE(outside.press(-5, -5));
    EXPECT_FALSE(outside.release());
    PaintSettings reveal = pencil(PaintTool::Revealer);
    reveal.background = true;
    EXPECT_FALSE(PaintStroke(project(), i, reveal).press(3, 3));
    EXPECT_EQ(steps(), count);
}

TEST_F(PaintStrokes, FillAndDrawnPicturesOnTheBackgroundTakeItsNames) {
    const int i = addImage(10, 10);
    image().setLayerPicture(kBackgroundLayer, RasterImage(10, 10, 0xFF101010u));
    selectAll(*image().editLayer(kMaskLayer)->base);
    PaintSettings fill = pencil(PaintTool::Bucket);
    fill.background = true;
    fill.colour = PaintColour::rgb(1, 2, 3);
    PaintStroke bucket(project(), i, fill);
    ASSERT_TRUE(bucket.press(4, 4));
    EXPECT_TRUE(bucket.release());
    EXPECT_EQ(lastLabel(), "Background Fill Tool");
    EXPECT_EQ(layer(kBackgroundLayer), RasterImage(10, 10, 0xFF010203u));

    ASSERT_TRUE(applyDrawnPicture(project(), i, RasterImage(2, 2, 0xFFFFFFFFu), 9, 9, true,
                                  PaintHistoryName::Text));
    EXPECT_EQ(lastLabel(), "Background Text");
    EXPECT_EQ(layer(kBackgroundLayer).at(9, 9), 0xFFFFFFFFu);
    EXPECT_EQ(layer(kBackgroundLayer).at(8, 9), 0xFF010203u);
}

} // namespace
} // namespace zx
