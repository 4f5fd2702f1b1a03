#include "commands/GeometryCommands.h"
#include "ImageEditFixture.h"
#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "imaging/MaskLayer.h"

namespace zx {
namespace {

struct GeometryCommands : test::ImageEditFixture {
    void select(PixelRect r) {
        RasterImage& mask = *image().editLayer(kMaskLayer)->base;
        deselect(mask);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) mask.at(x, y) |= MaskBit::Selected;
    }
    // Every picture and mask layer has the image's size.
    void expectOneSize(int w, int h) {
        EXPECT_EQ(image().width(), w);
        EXPECT_EQ(image().height(), h);
        for (const RasterImage& l : layers()) {
            EXPECT_EQ(l.width(), w);
            EXPECT_EQ(l.height(), h);
        }
    }
    // An animation with one dot at (x, y).
    void animateDotAt(double x, double y) {
        SilentPrompter silent;
        AnimationModel model;
        AnimPoint dot;
        dot.start = dot.texture = dot.end = {x, y, 0};
        model.object(model.addObject(silent)).points = {dot};
        image().animation = writeAnimationRecord(model);
    }
    Vec3 dotStart() {
        AnimationModel model;
        readAnimationRecord(model, *image().animation);
        return model.object(0).points[0].start;
    }
};

TEST_F(GeometryCommands, CropNeedsSixteenPixelsEachWay) {
    const int i = addImage(40, 30);
    select({5, 4, 20, 20}); // 15 x 16
    const int count = steps();
    EXPECT_EQ(cropToSelection(project(), i, prompter).code(), StatusCode::Refused);
    EXPECT_EQ(prompter.texts().back(), kCropTooSmallMessage);
    EXPECT_EQ(steps(), count);
    expectOneSize(40, 30);

    select({5, 4, 21, 20});
    const auto before = layers();
    const uint32_t corner = layer(kSubjectLayer).at(5, 4);
    ASSERT_TRUE(cropToSelection(project(), i, prompter));
    expectOneSize(16, 16);
    EXPECT_EQ(layer(kSubjectLayer).at(0, 0), corner);
    EXPECT_EQ(lastLabel(), "Crop");
    expectUndoRedoExact(before);
}

TEST_F(GeometryCommands, EveryCommandKeepsTheLayersOneSizeOnOddShapes) {
    const int i = addImage(9, 8);
    ASSERT_TRUE(setCanvasSize(project(), i, 9, 4096, CanvasAnchor::Centre, {}, prompter));
    expectOneSize(9, 4096);
    EXPECT_EQ(layer(kSubjectLayer).at(0, (4096 - 8) / 2), 0xFF000000u);
    ASSERT_TRUE(rotateImage(project(), i, Rotation::Clockwise90, prompter));
    expectOneSize(4096, 9);
    ASSERT_TRUE(mirrorImage(project(), i, true, prompter));
    ASSERT_TRUE(setImageSize(project(), i, 4096, 17, prompter));
    expectOneSize(4096, 17);
    const auto before = layers();
    ASSERT_TRUE(rotateImage(project(), i, Rotation::Half, prompter));
    expectUndoRedoExact(before);

    const int count = steps();
    EXPECT_EQ(setCanvasSize(project(), i, 4097, 17, CanvasAnchor::TopLeft, {}, prompter).code(),
              StatusCode::Refused);
    EXPECT_EQ(setImageSize(project(), i, 7, 17, prompter).code(), StatusCode::Refused);
    EXPECT_EQ(prompter.texts().back(), kImageTooSmallMessage);
    EXPECT_TRUE(setCanvasSize(project(), i, 4096, 17, CanvasAnchor::TopLeft, {}, prompter));
    EXPECT_EQ(steps(), count);
    expectOneSize(4096, 17);
}

TEST_F(GeometryCommands, CanvasCentringHalvesDownwards) {
    const int i = addImage(100, 100);
    const RasterImage subject = layer(kSubjectLayer);
    ASSERT_TRUE(setCanvasSize(project(), i, 101, 101, CanvasAnchor::Centre, {}, prompter));
    EXPECT_EQ(layer(kSubjectLayer).at(99, 99), subject.at(99, 99));
    EXPECT_EQ(layer(kSubjectLayer).at(100, 100), 0u);
    ASSERT_TRUE(setCanvasSize(project(), i, 0, 0, CanvasAnchor::Visible, PixelRect{10, 20, 60, 70},
                              prompter));
    expectOneSize(50, 50);
    EXPECT_EQ(layer(kSubjectLayer).at(0, 0), subject.at(10, 20));
}

TEST_F(GeometryCommands, TheAnimationMovesWithThePixelsOnlyWhenAskedTo) {
    const int i = addImage(40, 30);
    animateDotAt(10, 20);
    const auto record = image().animation;
    const auto before = layers();
    const int count = steps();
    prompter.answers = {Answer::Cancel};
    EXPECT_TRUE(rotateImage(project(), i, Rotation::Clockwise90, prompter).isCancelled());
    EXPECT_EQ(prompter.texts().back(), kFixAnimationQuestion);
    EXPECT_EQ(layers(), before);
    EXPECT_EQ(image().animation, record);
    EXPECT_EQ(steps(), count);

    prompter.answers = {Answer::No};
    ASSERT_TRUE(rotateImage(project(), i, Rotation::Clockwise90, prompter));
    EXPECT_EQ(image().animation, record);
    prompter.answers = {Answer::Yes};
    ASSERT_TRUE(rotateImage(project(), i, Rotation::CounterClockwise90, prompter));
    EXPECT_EQ(layers(), before);
    EXPECT_EQ(dotStart().x, 20); // (x, y) -> (y, 30 - x) on the 30 x 40 picture
    EXPECT_EQ(dotStart().y, 20);
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(image().animation, record);
}

TEST_F(GeometryCommands, BackgroundsAreErasedAndCarriedToFollowingImages) {
    const int first = addImage(20, 20);
    addImage(12, 10);
    addImage(30, 30);
    addImage(8, 8);
    image(2).setLayerPicture(kBackgroundLayer, RasterImage(30, 30, 0xFF0000FFu));
    const RasterImage bg(20, 20, 0xFF00FF00u);
    image(first).setLayerPicture(kBackgroundLayer, bg);
    image(first).setLayerName(kBackgroundLayer, "sky");
    project().currentImage = first;

    ASSERT_TRUE(extendBackground(project(), first));
    EXPECT_EQ(layer(kBackgroundLayer, 1), reframePicture(bg, 12, 10, 0, 0));
    EXPECT_EQ(image(1).layer(kBackgroundLayer)->name, "sky");
    EXPECT_EQ(layer(kBackgroundLayer, 2).at(0, 0), 0xFF0000FFu); // had its own: the run stops
    EXPECT_EQ(layer(kBackgroundLayer, 3), RasterImage(8, 8));
    EXPECT_EQ(project().history.steps().back().type, StepType::ExtendBackground);
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(layer(kBackgroundLayer, 1), RasterImage(12, 10));

    const int position = project().history.position();
    ASSERT_TRUE(eraseBackground(project(), first));
    EXPECT_EQ(layer(kBackgroundLayer, first), RasterImage(20, 20));
    ASSERT_TRUE(eraseBackground(project(), first)); // already empty
    EXPECT_EQ(project().history.position(), position + 1);
}

TEST_F(GeometryCommands, AMergedPictureLiesOverTheSubjectAndShows) {
    const int i = addImage(10, 10);
    RasterImage& mask = *image().editLayer(kMaskLayer)->base;
    mask.at(2, 2) &= ~MaskBit::Value; // hidden under the mask
    const RasterImage subject = layer(kSubjectLayer);
    RasterImage floating(30, 3, 0x80FF0000u); // wider than the image
    floating.at(1, 0) = 0;
    ASSERT_TRUE(mergeFloatingPicture(project(), i, floating, 1, 2, false));
    EXPECT_EQ(lastLabel(), "Merge Selection");
    EXPECT_EQ(layer(kSubjectLayer).at(2, 2), floating.at(1, 0) | subject.at(2, 2));
    EXPECT_EQ(maskValue(layer(kMaskLayer).at(2, 2)), 0u); // nothing was laid there
    const uint32_t merged = layer(kSubjectLayer).at(5, 3);
    EXPECT_EQ(merged >> 24, 255u);
    EXPECT_EQ((merged >> 16) & 0xFF, (255u * 128 + ((subject.at(5, 3) >> 16) & 0xFF) * 127) / 255);
    EXPECT_EQ(layer(kSubjectLayer).at(0, 2), subject.at(0, 2));
    EXPECT_EQ(layer(kSubjectLayer).at(5, 5), subject.at(5, 5));
    EXPECT_EQ(maskValue(layer(kMaskLayer).at(3, 2)), 255u);
}

} // namespace
} // namespace zx
