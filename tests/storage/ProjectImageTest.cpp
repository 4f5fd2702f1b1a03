#include "storage/ProjectImage.h"

#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TEST(ProjectImage, NewImageHasOnlyThePlaceholder) {
    ProjectImage img;
    EXPECT_EQ(img.width(), 100);
    EXPECT_EQ(img.height(), 100);
    EXPECT_EQ(img.width2, 100);
    EXPECT_EQ(img.duration(), 25);
    EXPECT_EQ(img.currentFrame(), 0);
    EXPECT_EQ(img.layerCount(), 1);
    EXPECT_FALSE(img.layer(0)->hasPicture());
    EXPECT_FALSE(img.animation);
    EXPECT_EQ(img.roleLayer(), 0);
}

TEST(ProjectImage, SettersIgnoreOutOfRangeIndexes) {
    ProjectImage img;
    img.addPictureLayer(RasterImage(4, 4), "a");
    for (int bad : {0, 2, -1, 99}) {
        EXPECT_FALSE(img.setLayerOpacity(bad, 10));
        EXPECT_FALSE(img.setLayerPicture(bad, RasterImage(2, 2)));
        EXPECT_FALSE(img.setLayerOffset(bad, 1, 1));
        EXPECT_FALSE(img.setLayerWordA(bad, 5));
        EXPECT_FALSE(img.setLayerRole(bad, 3));
        EXPECT_EQ(img.editLayer(bad), nullptr);
    }
    EXPECT_EQ(img.layerCount(), 2);
    EXPECT_EQ(img.roleLayer(), 0);
    EXPECT_FALSE(img.layer(0)->hasPicture());
}

TEST(ProjectImage, OpacityIsClampedAndChangesMarkTheLayer) {
    ProjectImage img;
    int i = img.addPictureLayer(RasterImage(4, 4), "a");
    img.editLayer(i)->dirty = false;
    img.composite = RasterImage(1, 1);
    EXPECT_TRUE(img.setLayerOpacity(i, 300));
    EXPECT_EQ(img.layer(i)->opacity, 255);
    EXPECT_TRUE(img.layer(i)->dirty);
    EXPECT_FALSE(img.composite);
    img.setLayerOpacity(i, -5);
    EXPECT_EQ(img.layer(i)->opacity, 0);
}

TEST(ProjectImage, AnimationLayerRefusesAPicture) {
    ProjectImage img;
    int a = img.addAnimationLayer();
    EXPECT_FALSE(img.setLayerPicture(a, RasterImage(3, 3)));
    EXPECT_FALSE(img.setLayerWorkingPicture(a, RasterImage(3, 3)));
    EXPECT_FALSE(img.layer(a)->hasPicture());
    int m = img.addMaskLayer(std::nullopt, 4);
    EXPECT_EQ(img.layer(m)->name, "<alpha>");
    EXPECT_EQ(img.layer(m)->wordA, 4);
    EXPECT_TRUE(img.setLayerPicture(m, RasterImage(3, 3)));
}

TEST(ProjectImage, WorkingPictureTakesPrecedence) {
    ProjectImage img;
    int i = img.addPictureLayer(RasterImage(2, 2, 1), "a");
    img.setLayerWorkingPicture(i, RasterImage(2, 2, 2));
    EXPECT_EQ(img.layerPicture(i)->at(0, 0), 2u);
    img.setLayerPicture(i, RasterImage(2, 2, 3));
    EXPECT_EQ(img.layerPicture(i)->at(0, 0), 3u);
}

TEST(ProjectImage, RoleThreeIsHeldByOneLayer) {
    ProjectImage img;
    for (int i = 0; i < 4; ++i) img.addPictureLayer(RasterImage(2, 2), "l");
    img.setLayerRole(2, 3);
    EXPECT_EQ(img.roleLayer(), 2);
    img.setLayerRole(3, 3);
    EXPECT_EQ(img.roleLayer(), 3);
    EXPECT_EQ(img.layer(2)->role, 0);
    img.setLayerRole(3, 1);
    EXPECT_EQ(img.roleLayer(), 0);
    EXPECT_EQ(img.layer(3)->role, 1);
    // Replacing the holder drops the index.
    img.setLayerRole(4, 3);
    img.setPictureLayer(4, RasterImage(2, 2), "new");
    EXPECT_EQ(img.roleLayer(), 0);
}

TEST(ProjectImage, DurationAndCurrentFrame) {
    ProjectImage img;
    img.setCurrentFrame(30);
    EXPECT_EQ(img.currentFrame(), 25);
    img.setCurrentFrame(-3);
    EXPECT_EQ(img.currentFrame(), 0);
    img.setCurrentFrame(20);
    img.setDuration(10);
    EXPECT_EQ(img.duration(), 10);
    EXPECT_EQ(img.currentFrame(), 10);
    img.setDuration(0);
    EXPECT_EQ(img.duration(), 1);
}

TEST(ProjectImage, PlaceLayerFillsGapsToKeepIndexes) {
    ProjectImage img;
    ImageLayer mask;
    mask.kind = LayerKind::Mask;
    EXPECT_TRUE(img.placeLayer(3, mask));
    EXPECT_EQ(img.layerCount(), 4);
    EXPECT_EQ(img.layer(1)->kind, LayerKind::Picture);
    EXPECT_EQ(img.layer(3)->kind, LayerKind::Mask);
    EXPECT_FALSE(img.placeLayer(0, ImageLayer{}));
}

TEST(ProjectImage, NormaliseTakesTheLargestPictureAndPads) {
    ProjectImage img;
    img.addPictureLayer(RasterImage(10, 5, 0xFF0000FFu), "a");
    img.addPictureLayer(RasterImage(4, 8, 0xFF00FF00u), "b");
    img.addMaskLayer(RasterImage(4, 8, 200));
    img.addAnimationLayer();
    // A picture placed with an offset (flag 0) widens the image.
    img.setLayerOffset(2, 3, 0);
    RecordingPrompter prompter;
    ASSERT_TRUE(img.normaliseLayerSizes(prompter));
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(img.width(), 10);
    EXPECT_EQ(img.height(), 8);
    EXPECT_EQ(img.layerPicture(1)->height(), 8);
    EXPECT_EQ(img.layerPicture(1)->at(9, 7), 0u);
    EXPECT_EQ(img.layerPicture(2)->width(), 10);
    EXPECT_EQ(img.layerPicture(2)->at(3, 7), 0xFF00FF00u);
    EXPECT_EQ(img.layerPicture(3)->at(3, 3), 200u);
    EXPECT_EQ(img.layerPicture(3)->at(8, 3), 0u);
    EXPECT_FALSE(img.layer(4)->hasPicture());

    // With the flag set the offset does not count.
    ProjectImage other;
    other.addPictureLayer(RasterImage(6, 6), "a");
    other.setLayerOffset(1, 50, 50);
    other.setLayerPlacement(1, 1);
    ASSERT_TRUE(other.normaliseLayerSizes(prompter));
    EXPECT_EQ(other.width(), 6);
}

TEST(ProjectImage, NormaliseRefusesMoreThan4096) {
    ProjectImage img;
    img.addPictureLayer(RasterImage(4097, 10), "wide");
    img.addPictureLayer(RasterImage(20, 20), "small");
    RecordingPrompter prompter;
    EXPECT_FALSE(img.normaliseLayerSizes(prompter));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Resulting image is more than 4096 pixels on one side\n"
                                        "Operation cannot be completed"}));
    EXPECT_EQ(img.layerPicture(2)->width(), 20);
    EXPECT_EQ(img.width(), 100);

    ProjectImage edge;
    edge.addPictureLayer(RasterImage(4090, 10), "a");
    edge.setLayerOffset(1, 7, 0);
    EXPECT_FALSE(edge.normaliseLayerSizes(prompter));
}

} // namespace
} // namespace zx
