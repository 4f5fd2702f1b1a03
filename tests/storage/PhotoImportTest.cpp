#include "storage/PhotoImport.h"

#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

RasterImage photo(int w, int h) {
    return RasterImage(w, h, 0xFF336699u);
}

TEST(PhotoImport, SixLayersInOrder) {
    RasterImage p = photo(20, 10);
    p.at(0, 0) = 0x80FFFFFFu;
    p.at(2, 0) = 0x00FFFFFFu;
    auto img = buildPhotoImage(p, "cat.png", 75, CanvasColour::Green);
    ASSERT_EQ(img->layerCount(), 6);
    EXPECT_EQ(img->width(), 20);
    EXPECT_EQ(img->height(), 10);
    EXPECT_EQ(img->duration(), 75);
    EXPECT_EQ(img->canvasColour, CanvasColour::Green);
    EXPECT_FALSE(img->layer(0)->hasPicture());
    const ImageLayer& bg = *img->layer(1);
    EXPECT_EQ(bg.kind, LayerKind::Picture);
    EXPECT_EQ(bg.name, "");
    EXPECT_EQ(*bg.picture(), RasterImage(20, 10, 0));
    EXPECT_EQ(img->layer(2)->name, "cat.png");
    EXPECT_EQ(*img->layerPicture(2), p);
    const ImageLayer& mask = *img->layer(3);
    EXPECT_EQ(mask.kind, LayerKind::Mask);
    // A half-transparent pixel is shown by the mask; its softness stays in its alpha.
    EXPECT_EQ(mask.picture()->at(0, 0), 0xFFu);
    EXPECT_EQ(mask.picture()->at(1, 0), 0xFFu);
    EXPECT_EQ(mask.picture()->at(2, 0), 0u);
    EXPECT_EQ(img->layer(4)->kind, LayerKind::Picture);
    EXPECT_FALSE(img->layer(4)->hasPicture());
    EXPECT_EQ(img->layer(5)->kind, LayerKind::Animation);
}

TEST(PhotoImport, ResizeQuestionIsAskedOnceAndYesReducesLaterPicturesSilently) {
    RecordingPrompter prompter;
    PhotoImportSession session;
    PhotoLimits limits{.maxSize = 100};
    auto a = preparePhoto(photo(400, 200), limits, session, prompter);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->width(), 100);
    EXPECT_EQ(a->height(), 50);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Resize image for best performance?"}));
    auto b = preparePhoto(photo(150, 300), limits, session, prompter);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->height(), 100);
    EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST(PhotoImport, NoKeepsTheSizeWithoutAskingAgain) {
    RecordingPrompter prompter;
    prompter.answers.push_back(Answer::No);
    PhotoImportSession session;
    PhotoLimits limits{.maxSize = 100};
    EXPECT_EQ(preparePhoto(photo(400, 200), limits, session, prompter)->width(), 400);
    EXPECT_EQ(preparePhoto(photo(300, 200), limits, session, prompter)->width(), 300);
    EXPECT_EQ(prompter.entries.size(), 1u);
    session.reset();
    preparePhoto(photo(300, 200), limits, session, prompter);
    EXPECT_EQ(prompter.entries.size(), 2u);
}

TEST(PhotoImport, NoQuestionWhenNotNeeded) {
    RecordingPrompter prompter;
    PhotoImportSession session;
    // No limit, within the limit, the caller keeps the size, or the current mask is
    // already larger than the limit.
    EXPECT_EQ(preparePhoto(photo(2000, 20), {.maxSize = -1}, session, prompter)->width(), 2000);
    EXPECT_EQ(preparePhoto(photo(100, 100), {.maxSize = 100}, session, prompter)->width(), 100);
    EXPECT_EQ(preparePhoto(photo(300, 20), {.maxSize = 100, .keepSize = true}, session, prompter)
                  ->width(),
              300);
    RasterImage bigMask(150, 10);
    EXPECT_EQ(
        preparePhoto(photo(300, 20), {.maxSize = 100, .currentMask = &bigMask}, session, prompter)
            ->width(),
        300);
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(session.resize, PhotoImportSession::Resize::NotAsked);
}

TEST(PhotoImport, OverSizeQuestion) {
    RecordingPrompter prompter;
    PhotoImportSession session;
    prompter.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(preparePhoto(photo(5000, 100), {.maxSize = -1}, session, prompter));
    EXPECT_EQ(prompter.entries.back().text, "Image size too big (max = 4096)\nResize it?");
    EXPECT_EQ(prompter.entries.back().buttons, Buttons::OkCancel);
    auto ok = preparePhoto(photo(5000, 100), {.maxSize = -1}, session, prompter);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->width(), 3000);
    EXPECT_EQ(ok->height(), 60);
}

TEST(PhotoImport, SmallestAccepted) {
    RecordingPrompter prompter;
    PhotoImportSession session;
    EXPECT_TRUE(preparePhoto(photo(8, 8), {}, session, prompter));
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_FALSE(preparePhoto(photo(7, 100), {}, session, prompter));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Image too small (minimum = 8 x 8), cannot load!"}));
}

TEST(PhotoImport, UndoLabels) {
    EXPECT_EQ(importUndoLabel("astronaut.png"), "Import Subject Image");
    EXPECT_EQ(importUndoLabel("[Clipboard]"), "Add Clipboard Image");
    EXPECT_EQ(importUndoLabel("[Blank]"), "Add Blank Image");
    EXPECT_EQ(photoLayerName("/a/b/c.JPG"), "c.JPG");
}

} // namespace
} // namespace zx
