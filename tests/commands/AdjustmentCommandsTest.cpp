#include "commands/AdjustmentCommands.h"
#include "ImageEditFixture.h"
#include "imaging/MaskLayer.h"

namespace zx {
namespace {

using AdjustmentCommands = test::ImageEditFixture;

TEST_F(AdjustmentCommands, EachActionRecordsOneStepThatUndoesExactly) {
    const int i = addImage(23, 17);
    const std::vector<std::function<Status()>> actions = {
        [&] { return adjustWhiteBalance(project(), i, 10, 10, {}); },
        [&] { return adjustAutoLevels(project(), i, {}); },
        [&] { return adjustBrightnessContrast(project(), i, 12, -30, {}); },
        [&] {
            return adjustColor(project(), i, {5, -7, 9}, {});
        },
        [&] { return adjustHueSaturation(project(), i, 20, 10, -5, {}); },
        [&] { return adjustBlurSharpen(project(), i, -40, {}); },
        [&] { return adjustLighting(project(), i, {}, std::nullopt, {}); },
    };
    for (const auto& action : actions) {
        const auto before = layers();
        const int count = steps();
        ASSERT_TRUE(action());
        EXPECT_EQ(steps(), count + 1) << lastLabel();
        EXPECT_NE(layers(), before) << lastLabel();
        expectUndoRedoExact(before);
    }
}

// A preview changes neither the image nor the history; over its area it is the action.
TEST_F(AdjustmentCommands, APreviewIsTheActionOverItsAreaAndRecordsNothing) {
    const int i = addImage(23, 17);
    const auto before = layers();
    const int count = steps();
    RasterImage previewed;
    const AdjustPreview preview{PixelRect{4, 3, 15, 11}, 1, &previewed};
    AdjustOptions options;
    options.preview = &preview;
    ASSERT_TRUE(adjustHueSaturation(project(), i, 40, 10, -5, options));
    EXPECT_EQ(steps(), count);
    EXPECT_EQ(layers(), before);
    ASSERT_TRUE(adjustHueSaturation(project(), i, 40, 10, -5, {}));
    const RasterImage& adjusted = layer(kSubjectLayer);
    ASSERT_EQ(previewed.width(), adjusted.width());
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 23; ++x) {
            const bool inside = x >= 4 && x < 15 && y >= 3 && y < 11;
            EXPECT_EQ(previewed.at(x, y), inside ? adjusted.at(x, y) : before[1].at(x, y));
        }
}

// A dialog's cache gives every preview what a preview without it gives, whatever
// changed in between (values, "Apply to Selection", feathering).
TEST_F(AdjustmentCommands, CachedPreviewsEqualFreshOnes) {
    const int i = addImage(23, 17);
    RasterImage& mask = *image().editLayer(kMaskLayer)->base;
    deselect(mask);
    for (int y = 3; y < 12; ++y)
        for (int x = 5; x < 16; ++x) mask.at(x, y) |= MaskBit::Selected;
    AdjustCache cache;
    for (int brightness : {20, -35})
        for (bool selected : {false, true, false})
            for (int feather : {0, 2}) {
                RasterImage cached, fresh;
                AdjustPreview preview{std::nullopt, 1, &cached, &cache};
                AdjustOptions options;
                options.applyToSelection = selected;
                options.featherIndex = feather;
                options.preview = &preview;
                ASSERT_TRUE(adjustBrightnessContrast(project(), i, brightness, 30, options));
                preview = {std::nullopt, 1, &fresh, nullptr};
                ASSERT_TRUE(adjustBrightnessContrast(project(), i, brightness, 30, options));
                EXPECT_EQ(cached, fresh) << brightness << selected << feather;
            }
}

TEST_F(AdjustmentCommands, NothingToChangeRecordsNoStep) {
    const int i = addImage(12, 12);
    RasterImage* mask = &image().editLayer(kMaskLayer)->base.value();
    deselect(*mask);
    const int count = steps();
    AdjustOptions selected;
    selected.applyToSelection = true;
    EXPECT_TRUE(adjustColor(project(), i, {40, 0, 0}, selected)); // empty selection
    EXPECT_TRUE(adjustColor(project(), i, {0, 0, 0}, {}));        // no change
    EXPECT_TRUE(adjustWhiteBalance(project(), i, 0, 0, {}));      // at the edge
    EXPECT_TRUE(adjustAutoLevels(project(), 7, {}));              // no such image
    EXPECT_EQ(steps(), count);

    // A one-pixel picture: too few pixels for levels, no neighbours to sharpen against.
    image().setLayerPicture(kSubjectLayer, RasterImage(1, 1, 0xFF336699u));
    EXPECT_TRUE(adjustAutoLevels(project(), i, {}));
    EXPECT_TRUE(adjustBlurSharpen(project(), i, 80, {}));
    EXPECT_EQ(steps(), count);
}

TEST_F(AdjustmentCommands, TheBackgroundIsEditedUnderItsOwnName) {
    const int i = addImage(10, 10);
    image().setLayerPicture(kBackgroundLayer, RasterImage(10, 10, 0xFF204060u));
    const RasterImage subject = layer(kSubjectLayer);
    AdjustOptions background;
    background.background = true;
    ASSERT_TRUE(adjustColor(project(), i, {10, 10, 10}, background));
    EXPECT_EQ(lastLabel(), "Background Color Adjust");
    EXPECT_EQ(layer(kBackgroundLayer).at(3, 3), 0xFF2A4A6Au);
    EXPECT_EQ(layer(kSubjectLayer), subject);
}

} // namespace
} // namespace zx
