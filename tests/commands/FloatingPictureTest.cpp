#include "commands/FloatingPicture.h"
#include "ImageEditFixture.h"
#include "commands/GeometryCommands.h"
#include "commands/ImageEditSelection.h"
#include "commands/SelectionPixels.h"
#include "imaging/MaskLayer.h"

#include <cmath>

namespace zx {
namespace {

constexpr double kReach = 2;

// A picture whose every pixel differs, opaque.
RasterImage varied(int w, int h) {
    RasterImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.at(x, y) = 0xFF000000u | uint32_t(x * 40) << 8 | uint32_t(y * 50);
    return p;
}

double side(const FloatingPicture& f, int i) {
    const FloatPoint a = f.quad()[size_t(i)], b = f.quad()[size_t(i + 1) % 4];
    return std::hypot(b.x - a.x, b.y - a.y);
}

TEST(FloatingPicture, DragsMoveResizeTurnAndDistortWithoutFolding) {
    FloatingPicture f(varied(12, 8), "Paste", 60, 40);
    EXPECT_FALSE(f.reduced());
    EXPECT_EQ(f.quad()[0], (FloatPoint{24, 16}));
    const FloatingPicture::Quad home = f.quad();

    // Inside: a move by whole pixels; the placed picture is the picture itself.
    ASSERT_EQ(f.handleAt(27, 18, kReach), FloatingHandle::Inside);
    ASSERT_TRUE(f.press(27, 18, kReach));
    f.move(32, 14);
    f.release();
    PlacedPicture placed = f.placed();
    EXPECT_EQ(placed.picture, f.picture());
    EXPECT_EQ(placed.left, 29);
    EXPECT_EQ(placed.top, 12);

    // A corner keeps the proportions and the opposite corner.
    const FloatPoint opposite = f.quad()[0];
    ASSERT_EQ(f.handleAt(f.quad()[2].x, f.quad()[2].y, kReach), FloatingHandle::Corner);
    ASSERT_TRUE(f.press(f.quad()[2].x, f.quad()[2].y, kReach));
    f.move(f.quad()[2].x + 6, f.quad()[2].y + 1);
    f.release();
    EXPECT_EQ(f.quad()[0], opposite);
    EXPECT_NEAR(side(f, 0) / side(f, 1), 12.0 / 8.0, 1e-9);
    EXPECT_GT(side(f, 0), 12);

    // A side moves one way only.
    f.resetPosition();
    EXPECT_EQ(f.quad(), home);
    const FloatPoint right = {(home[1].x + home[2].x) / 2, (home[1].y + home[2].y) / 2};
    ASSERT_EQ(f.handleAt(right.x, right.y, kReach), FloatingHandle::Side);
    ASSERT_TRUE(f.press(right.x, right.y, kReach));
    f.move(right.x + 4, right.y + 3);
    EXPECT_NEAR(side(f, 0), 16, 1e-9);
    EXPECT_NEAR(side(f, 1), 8, 1e-9);

    // A quarter turn about the centre swaps the extents.
    f.resetPosition();
    const FloatPoint c = f.rotationCentre();
    const FloatPoint outside{home[1].x + 3, home[1].y - 3};
    ASSERT_EQ(f.handleAt(outside.x, outside.y, kReach), FloatingHandle::Rotate);
    ASSERT_TRUE(f.press(outside.x, outside.y, kReach));
    f.move(c.x + (c.y - outside.y), c.y + (outside.x - c.x)); // 90° clockwise on screen
    f.release();
    placed = f.placed();
    ASSERT_EQ(placed.picture.width(), 8);
    ASSERT_EQ(placed.picture.height(), 12);
    // The picture's top-left pixel is now at the top right.
    EXPECT_EQ(placed.picture.at(7, 0), f.picture().at(0, 0));

    // Distort moves a corner alone and refuses to fold the quadrilateral.
    f.resetPosition();
    f.setShape(FloatingShape::Distort);
    ASSERT_TRUE(f.press(home[2].x, home[2].y, kReach));
    f.move(home[2].x + 5, home[2].y + 5);
    EXPECT_EQ(f.quad()[1], home[1]);
    EXPECT_EQ(f.quad()[2], (FloatPoint{home[2].x + 5, home[2].y + 5}));
    f.move(home[0].x - 3, home[0].y - 3); // beyond the opposite corner
    EXPECT_EQ(f.quad()[2], (FloatPoint{home[2].x + 5, home[2].y + 5}));
    const PlacedPicture distorted = f.placed();
    for (uint32_t p : distorted.picture.pixelVector()) // opaque inside, nothing invented
        EXPECT_TRUE(p == 0 || (p >> 24) > 0);
}

TEST(FloatingPicture, APictureLargerThanTheImageIsReducedToFitIt) {
    for (auto [w, h] : {std::pair{300, 10}, std::pair{10, 300}, std::pair{1, 1}}) {
        const FloatingPicture f(varied(w, h), "Paste", 20, 15);
        for (FloatPoint p : f.quad()) {
            EXPECT_GE(p.x, 0);
            EXPECT_LE(p.x, 20);
            EXPECT_GE(p.y, 0);
            EXPECT_LE(p.y, 15);
        }
        const PlacedPicture placed = f.placed();
        EXPECT_LE(placed.left + placed.picture.width(), 20);
        EXPECT_LE(placed.top + placed.picture.height(), 15);
        EXPECT_EQ(f.reduced(), w > 20 || h > 15);
    }
}

struct FloatingPaste : test::ImageEditFixture {
    void select(PixelRect r) {
        RasterImage& mask = *image().editLayer(kMaskLayer)->base;
        deselect(mask);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) mask.at(x, y) |= MaskBit::Selected;
    }
};

TEST_F(FloatingPaste, AnsweredQuestionMergesOrDropsAndUndoRestores) {
    addImage(30, 20);
    const auto before = layers();
    const int count = steps();
    ASSERT_TRUE(ws.pasteFloating(RasterImage(4, 4, 0xFF00FF00u), "Paste"));
    ws.floating.picture->nudge(-13, -8); // to (0, 0)
    prompter.answers = {Answer::No};
    ASSERT_TRUE(ws.switchMode(AnimationMode::Animate));
    EXPECT_EQ(prompter.texts().back(), "Apply Paste to Image?");
    EXPECT_EQ(steps(), count);
    EXPECT_EQ(layers(), before);

    ASSERT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    ASSERT_TRUE(ws.pasteFloating(RasterImage(4, 4, 0xFF00FF00u), "Paste"));
    ws.floating.picture->nudge(-13, -8);
    prompter.answers = {Answer::Yes};
    ASSERT_TRUE(ws.switchMode(AnimationMode::Animate));
    EXPECT_EQ(lastLabel(), "Merge Selection");
    EXPECT_EQ(layer(kSubjectLayer).at(3, 3), 0xFF00FF00u);
    EXPECT_EQ(layer(kSubjectLayer).at(4, 4), before[1].at(4, 4));
    EXPECT_FALSE(ws.floating.pending);
    expectUndoRedoExact(before);
}

TEST_F(FloatingPaste, CutCopyAndTheSelectionOutlineTravel) {
    addImage(12, 10);
    const auto before = layers();
    const int count = steps();
    EXPECT_FALSE(copySelectedPixels(image(), false)); // nothing selected
    ASSERT_TRUE(cutSelectedPixels(project(), project().currentImage, false));
    EXPECT_EQ(steps(), count);

    select({2, 3, 5, 7});
    image().editLayer(kMaskLayer)->base->at(2, 3) &= ~MaskBit::Selected; // a corner left out
    const RasterImage mask = layer(kMaskLayer);
    const std::optional<RasterImage> copied = copySelectedPixels(image(), false);
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->width(), 3);
    EXPECT_EQ(copied->height(), 4);
    EXPECT_EQ(copied->at(0, 0), 0u);
    EXPECT_EQ(copied->at(1, 1), before[1].at(3, 4));

    const auto selected = layers();
    ASSERT_TRUE(cutSelectedPixels(project(), project().currentImage, false));
    EXPECT_EQ(lastLabel(), "Cut");
    EXPECT_EQ(layer(kSubjectLayer).at(3, 4), 0u);
    EXPECT_EQ(layer(kSubjectLayer).at(2, 3), before[1].at(2, 3));
    expectUndoRedoExact(selected);

    ImageEditSelection tools(ws);
    const std::optional<RasterImage> outline = tools.copySelection();
    ASSERT_TRUE(outline);
    ASSERT_TRUE(tools.deselect());
    ASSERT_TRUE(tools.pasteSelection(*outline));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(isSelectedWord(layer(kMaskLayer).at(x, y)), isSelectedWord(mask.at(x, y)));
    EXPECT_EQ(lastLabel(), "Paste Selection");
}

} // namespace
} // namespace zx
