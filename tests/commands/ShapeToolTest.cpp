#include "commands/ShapeTool.h"
#include "ImageEditFixture.h"
#include "commands/AnimateEditor.h"
#include "commands/ApplyScript.h"
#include "commands/ImageEditSelection.h"
#include "commands/TextTool.h"
#include "imaging/MaskLayer.h"
#include "imaging/PixelChannels.h"

namespace zx {
namespace {

using ShapeTools = test::ImageEditFixture;

const PaintColour kRed = PaintColour::rgb(255, 0, 0);

void drag(ShapeTool& tool, IntPoint from, IntPoint to) {
    tool.press(from);
    tool.move({(from.x + to.x) / 2, (from.y + to.y) / 2});
    tool.release(to);
}

ShapeSettings hard(ShapeKind kind, int width = 1) {
    ShapeSettings s;
    s.kind = kind;
    s.width = width;
    s.featherIndex = 0;
    s.colour = kRed;
    return s;
}

TEST_F(ShapeTools, ADraggedShapeWaitsForApplyThenIsOneStepThatUndoesExactly) {
    addImage(40, 30);
    selectAll(*image().editLayer(kMaskLayer)->base);
    const auto before = layers();
    const int count = steps();
    ShapeTool tool(ws);
    tool.setSettings(hard(ShapeKind::FilledRectangle));
    drag(tool, {30, 20}, {10, 5});
    EXPECT_EQ(layers(), before); // nothing painted yet
    EXPECT_EQ(tool.prompt(), "TopL=(10,5) BottomR=(30,20)");
    ASSERT_TRUE(tool.apply(false));
    EXPECT_FALSE(tool.shape()); // done with
    EXPECT_EQ(steps(), count + 1);
    EXPECT_EQ(lastLabel(), "Shape");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool in = x >= 10 && x <= 30 && y >= 5 && y <= 20;
            EXPECT_EQ(layer(kSubjectLayer).at(x, y) == kRed.pixel(), in) << x << "," << y;
        }
    expectUndoRedoExact(before);
    EXPECT_FALSE(tool.apply(false)); // nothing waiting
    EXPECT_EQ(steps(), count + 1);
}

TEST_F(ShapeTools, HandlesMoveEndsAndCornersAndTheBodyMovesTheWhole) {
    addImage(60, 40);
    ShapeTool tool(ws);
    tool.setSettings(hard(ShapeKind::Line));
    drag(tool, {5, 5}, {25, 15});
    EXPECT_EQ(tool.prompt(), "Start=5,5 end=25,15");
    drag(tool, {26, 14}, {40, 30}); // near the end's handle
    EXPECT_EQ(tool.shape()->start, (IntPoint{5, 5}));
    EXPECT_EQ(tool.shape()->end, (IntPoint{39, 31}));
    drag(tool, {22, 18}, {24, 20}); // on the line: all of it moves
    EXPECT_EQ(tool.shape()->start, (IntPoint{7, 7}));
    EXPECT_EQ(tool.shape()->end, (IntPoint{41, 33}));

    tool.setSettings(hard(ShapeKind::Ellipse));
    ASSERT_EQ(tool.handles().size(), 4u);
    drag(tool, {7, 33}, {2, 36}); // the corner at start's column and end's row
    EXPECT_EQ(tool.shape()->start, (IntPoint{2, 7}));
    EXPECT_EQ(tool.shape()->end, (IntPoint{41, 36}));
    drag(tool, {55, 2}, {58, 6}); // away from it: a new shape
    EXPECT_EQ(tool.shape()->start, (IntPoint{55, 2}));
    EXPECT_EQ(tool.shape()->end, (IntPoint{58, 6}));
    tool.cancel(); // Esc
    EXPECT_FALSE(tool.shape());
    EXPECT_TRUE(tool.handles().empty());
}

TEST_F(ShapeTools, ShapesPaintOnlyTheSelectionAndTheBackgroundWhenItIsEdited) {
    addImage(40, 30);
    RasterImage& mask = *image().editLayer(kMaskLayer)->base;
    deselect(mask);
    const int count = steps();
    ShapeTool tool(ws);
    tool.setSettings(hard(ShapeKind::Line, 5));
    drag(tool, {-10, 15}, {60, 15}); // across and beyond the picture
    EXPECT_FALSE(tool.apply(false)); // nothing selected: nothing to paint, no step
    EXPECT_TRUE(tool.shape());
    EXPECT_EQ(steps(), count);

    for (int y = 0; y < 30; ++y)
        for (int x = 20; x < 40; ++x) mask.at(x, y) |= MaskBit::Selected;
    image().setLayerPicture(kBackgroundLayer, RasterImage(40, 30, 0));
    const auto before = layers();
    ASSERT_TRUE(tool.apply(true));
    EXPECT_EQ(lastLabel(), "Background Shape");
    EXPECT_EQ(layer(kSubjectLayer), before[1]);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(layer(kBackgroundLayer).at(x, y) != 0, x >= 20 && y >= 13 && y <= 17)
                << x << "," << y;
    expectUndoRedoExact(before);
}

TEST_F(ShapeTools, TextIsPlacedMovedAndPaintedByItsCoverage) {
    addImage(40, 30);
    selectAll(*image().editLayer(kMaskLayer)->base);
    const auto before = layers();
    TextTool text(ws);
    RasterImage drawing(6, 4, 0);
    for (int x = 0; x < 6; ++x) drawing.at(x, 1) = 0xFF000000u; // a one-row stroke
    text.setDrawing(drawing);
    EXPECT_FALSE(text.apply(kRed, false)); // not placed yet
    text.press({10, 10});
    text.release({10, 10});
    text.press({12, 11}); // on the box: drag it by (5, 3)
    text.move({15, 12});
    text.release({17, 14});
    ASSERT_TRUE(text.box());
    EXPECT_EQ(std::tuple(text.box()->left, text.box()->top), std::tuple(15, 13));
    ASSERT_TRUE(text.apply(kRed, false));
    EXPECT_EQ(lastLabel(), "Text");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(layer(kSubjectLayer).at(x, y) != before[1].at(x, y),
                      y == 14 && x >= 15 && x < 21);
    expectUndoRedoExact(before);
    text.setDrawing({}); // the text emptied: the box goes
    EXPECT_FALSE(text.box());
}

TEST_F(ShapeTools, ScriptsDrawShapesAndRefuseWhatTheyCannot) {
    addImage(40, 30);
    selectAll(*image().editLayer(kMaskLayer)->base);
    ImageEditSelection selection(ws);
    AnimateEditor animate(ws);
    ScriptPrompter script;
    ApplySession session(ws, animate, script);
    session.setImageEdit(&selection);
    const auto op = [](ApplyOp::Kind kind, std::string text = {}) {
        ApplyOp o;
        o.kind = kind;
        o.text = std::move(text);
        return o;
    };
    using K = ApplyOp::Kind;
    ASSERT_TRUE(session.run(op(K::Mode, "edit")));
    EXPECT_FALSE(session.run(op(K::Command, "APPLY"))); // no shape tool chosen
    ApplyOp tool = op(K::Tool, "Filled Ellipse");
    tool.values = {{"Width", 2}, {"Smoothing", 0}, {"Green", 255}};
    ASSERT_TRUE(session.run(tool));
    EXPECT_FALSE(session.run(op(K::Command, "APPLY"))); // nothing drawn yet
    ApplyOp dragOp = op(K::Drag);
    dragOp.points = {{5, 5}, {15, 12}, {25, 19}};
    ASSERT_TRUE(session.run(dragOp));
    const int count = steps();
    ASSERT_TRUE(session.run(op(K::Command, "APPLY")));
    EXPECT_EQ(steps(), count + 1);
    EXPECT_EQ(layer(kSubjectLayer).at(15, 12), PaintColour::rgb(0, 255, 0).pixel());
    ASSERT_TRUE(session.run(dragOp));
    ASSERT_TRUE(session.run(op(K::Key, "Escape")));
    EXPECT_FALSE(session.run(op(K::Command, "APPLY")));
    EXPECT_EQ(steps(), count + 1);

    ApplyOp wide = op(K::Tool, "Line");
    wide.values = {{"Width", 500}};
    EXPECT_FALSE(session.run(wide));
    const Status text = session.run(op(K::Tool, "Text"));
    EXPECT_FALSE(text);
    EXPECT_FALSE(text.message().empty());
}

} // namespace
} // namespace zx
