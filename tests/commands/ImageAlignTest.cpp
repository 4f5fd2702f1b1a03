#include "commands/ImageAlign.h"
#include "ImageEditFixture.h"
#include "LandscapePicture.h"
#include "imaging/SimilarityTransform.h"

namespace zx {
namespace {

PointerEvent at(double x, double y) {
    PointerEvent e;
    e.x = x, e.y = y;
    return e;
}

struct ImageAlignTest : test::ImageEditFixture {
    ImageAlign align{ws};
    ImageAlignTest() {
        ws.setPanel(AnimationMode::ImageAlign, &align);
        ws.switchMode(AnimationMode::ImageAlign);
    }
    int addPicture(const RasterImage& p) {
        EXPECT_TRUE(ws.addPictureAsImage(p, "photo.png", true));
        return project().currentImage;
    }
};

TEST_F(ImageAlignTest, TheWizardNeedsAnImageOf192PixelsEachWay) {
    addImage(191, 400);
    EXPECT_EQ(align.openWizard().code(), StatusCode::Refused);
    EXPECT_EQ(prompter.texts().back(), kAlignTooSmallMessage);
    EXPECT_FALSE(align.wizardOpen());

    addImage(192, 300);
    ASSERT_TRUE(align.openWizard());
    EXPECT_EQ((*align.boxes())[0], (AlignBox{64, 64}));
    EXPECT_EQ((*align.boxes())[1], (AlignBox{128, 236}));
}

// The second image is the first one turned, scaled and moved; ALIGN finds the
// transform that brings it back over the first.
TEST_F(ImageAlignTest, AlignUndoesTheMoveBetweenTwoPictures) {
    const RasterImage first = test::landscapePicture(320, 240);
    addPicture(first);
    Similarity moved;
    moved.scale = 1.02, moved.angle = 0.03, moved.centre = {160, 120}, moved.shift = {4.5, -3};
    const PixelMap m = moved.map();
    addPicture(transformPicture(first, m, 320, 240, false, 0));
    ASSERT_TRUE(align.openWizard());
    // Boxes dragged (on the picture as shown) onto two places of the picture.
    align.pointerPress(at(64.5, 64.5));
    align.pointerRelease(at(90.5, 70.5));
    align.pointerPress(at(256.5, 176.5));
    align.pointerRelease(at(230.5, 160.5));
    EXPECT_EQ((*align.boxes())[0], (AlignBox{90, 70}));
    ASSERT_TRUE(align.align());
    // The found map carries every point of the moved picture back to where it was.
    const PixelMap found = align.pictureMap();
    for (auto [x, y] : {std::pair{100.0, 80.0}, {200.0, 150.0}, {160.0, 120.0}}) {
        const double mx = m.mapX(x, y), my = m.mapY(x, y);
        EXPECT_NEAR(found.mapX(mx, my), x, 0.5);
        EXPECT_NEAR(found.mapY(mx, my), y, 0.5);
    }

    // Boxes on one spot cannot give a direction.
    align.reset();
    align.pointerPress(at(230.5, 160.5));
    align.pointerRelease(at(90.5, 70.5));
    const AlignTransform before = align.transform();
    prompter.clear();
    EXPECT_FALSE(align.align());
    EXPECT_TRUE(prompter.saw(kAlignBoxesTooCloseMessage));
    EXPECT_EQ(align.transform(), before);
}

TEST_F(ImageAlignTest, ApplyResamplesAllLayersAndUndoPutsThemBack) {
    addPicture(test::landscapePicture(200, 200));
    const auto before = layers();
    align.setTransform({12, -20, 1.1, 7.5});
    ASSERT_TRUE(align.keyPress(EditorKey::Enter));
    EXPECT_FALSE(align.pending());
    EXPECT_EQ(lastLabel(), kAlignStepLabel);
    EXPECT_NE(layers()[1], before[1]);
    expectUndoRedoExact(before);
    EXPECT_EQ(ws.mode(), AnimationMode::ImageAlign);
}

TEST_F(ImageAlignTest, LeavingWithAPendingTransformAsks) {
    addPicture(test::landscapePicture(200, 200));
    const auto before = layers();
    const int count = steps();
    align.setTransform({8, 0, 1, 0});

    prompter.answers = {Answer::Cancel};
    EXPECT_FALSE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_TRUE(prompter.saw(kApplyTransformQuestion));
    EXPECT_EQ(ws.mode(), AnimationMode::ImageAlign);
    EXPECT_TRUE(align.pending());

    prompter.answers = {Answer::No};
    ASSERT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_EQ(layers(), before);
    EXPECT_EQ(steps(), count);

    ws.switchMode(AnimationMode::ImageAlign);
    align.pointerPress(at(50, 50)); // the Shift tool: one pixel right
    align.pointerRelease(at(51, 50));
    EXPECT_EQ(align.transform().shiftX, kEighths);
    prompter.answers = {Answer::Yes};
    ASSERT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_EQ(layer(kSubjectLayer).at(1, 5), before[1].at(0, 5));
}

} // namespace
} // namespace zx
