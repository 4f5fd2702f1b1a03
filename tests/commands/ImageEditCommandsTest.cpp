#include "commands/ImageEditCommands.h"
#include "ImageEditFixture.h"
#include "imaging/MaskLayer.h"

#include <set>

namespace zx {
namespace {

using ImageEditCommands = test::ImageEditFixture;

TEST_F(ImageEditCommands, EveryEntryRunsWithItsInitialValuesAndKeepsTheLayersInStep) {
    std::set<std::string_view> names;
    for (const ImageEditCommand& c : imageEditCommands()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_EQ(findImageEditCommand(c.name), &c);
        const int i = addImage(40, 32);
        RasterImage& mask = *image().editLayer(kMaskLayer)->base;
        for (int y = 4; y < 28; ++y)
            for (int x = 6; x < 30; ++x) mask.at(x, y) |= MaskBit::Selected;
        const Status s = runImageEditCommand(c, project(), i, {}, prompter);
        EXPECT_NE(s.code(), StatusCode::Failed) << c.name;
        for (const RasterImage& l : layers()) {
            EXPECT_EQ(l.width(), image().width()) << c.name;
            EXPECT_EQ(l.height(), image().height()) << c.name;
        }
    }
    EXPECT_EQ(findImageEditCommand("brightness/contrast..."),
              findImageEditCommand("Brightness/Contrast..."));
    EXPECT_EQ(findImageEditCommand("Undo"), nullptr);
}

TEST_F(ImageEditCommands, ValuesAreCheckedBeforeAnythingChanges) {
    const int i = addImage(20, 20);
    const auto* bc = findImageEditCommand("Brightness/Contrast...");
    ASSERT_NE(bc, nullptr);
    const auto before = layers();
    const int count = steps();
    EXPECT_EQ(runImageEditCommand(*bc, project(), i, {{"Brightness", 101}}, prompter).code(),
              StatusCode::Refused);
    EXPECT_EQ(runImageEditCommand(*bc, project(), i, {{"Brightness:", 10}}, prompter).code(),
              StatusCode::Refused);
    EXPECT_EQ(layers(), before);
    EXPECT_EQ(steps(), count);

    ASSERT_TRUE(runImageEditCommand(*bc, project(), i, {{"Brightness", 20}}, prompter));
    EXPECT_EQ(lastLabel(), "Brightness and Contrast");
    ASSERT_TRUE(runImageEditCommand(*findImageEditCommand("Image Size..."), project(), i,
                                    {{"Width", 30}, {"Keep Proportions", 1}}, prompter));
    EXPECT_EQ(image().height(), 30);
    EXPECT_EQ(runImageEditCommand(*findImageEditCommand("Canvas Size..."), project(), i,
                                  {{"Width", 5000}}, prompter)
                  .message(),
              kImageTooLargeMessage);
}

} // namespace
} // namespace zx
