// The private scene of one project image: masked subject, background, animation.

#include "render/ImageScene.h"
#include "SilentTestPrompter.h"
#include "anim/AnimationRecord.h"
#include "storage/PhotoImport.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TEST(ImageScene, MaskTakesPixelsAwayOrScalesTheirAlpha) {
    RasterImage subject(4, 1, 0xFF112233u);
    subject.at(3, 0) = 0x00445566u;
    RasterImage mask(4, 1, 0);
    mask.at(1, 0) = 0xABCD0080u; // only the low byte counts
    mask.at(2, 0) = 255;
    mask.at(3, 0) = 200;
    RasterImage out = maskedSubject(subject, &mask);
    EXPECT_EQ(out.at(0, 0), 0u);
    EXPECT_EQ(out.at(1, 0), 0x80112233u);
    EXPECT_EQ(out.at(2, 0), 0xFF112233u);
    EXPECT_EQ(out.at(3, 0), 0x00445566u) << "a transparent pixel keeps its words";
    RasterImage other(3, 1, 0);
    EXPECT_EQ(maskedSubject(subject, &other), subject);
    EXPECT_EQ(maskedSubject(subject, nullptr), subject);
}

TEST(ImageScene, SceneTakesSubjectBackgroundAndAnimation) {
    RasterImage photo(16, 12, 0xFF808080u);
    auto image = buildPhotoImage(photo, "p.png", 7);
    AnimationModel source;
    source.setStartImage(photo);
    source.addObject(testing::silentPrompter());
    source.addObject(testing::silentPrompter());
    image->animation = writeAnimationRecord(source);

    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(*image, scene).isOk());
    EXPECT_EQ(scene.objectCount, 2);
    EXPECT_EQ(scene.lastFrameIndex, 7);
    EXPECT_EQ(scene.startWidth, 16);
    EXPECT_EQ(scene.startImage.at(3, 3), 0xFF808080u);
    EXPECT_FALSE(scene.background) << "the photograph's background layer is empty";

    image->setLayerPicture(kBackgroundLayer, RasterImage(16, 12, 0xFF0000FFu));
    image->animation.reset();
    ASSERT_TRUE(loadImageScene(*image, scene).isOk());
    EXPECT_EQ(scene.objectCount, 0) << "the scene is cleared first";
    ASSERT_TRUE(scene.background);
    EXPECT_EQ(scene.background->at(0, 0), 0xFF0000FFu);

    // A record cut short: the objects read before the cut stay, and the caller hears.
    auto words = writeAnimationRecord(source);
    words.resize(words.size() - 3);
    image->animation = words;
    EXPECT_FALSE(loadImageScene(*image, scene).isOk());
    EXPECT_EQ(scene.lastFrameIndex, 7);
}

} // namespace
} // namespace zx
