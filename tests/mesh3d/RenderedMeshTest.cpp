#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/RegionObjects.h"
#include "render/FrameRenderer.h"

#include "SampleRegions.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zx;
using namespace zx::test;

namespace {

// Frame 0 of the model seen straight on: output the size of the image, no zoom,
// look-at the centre, no background picture, black behind.
CameraFrame straightOn(const AnimationModel& model) {
    CameraFrame f;
    f.width = f.imageWidth = model.startWidth;
    f.height = f.imageHeight = model.startHeight;
    f.showBackground = 0;
    f.backgroundMode = 0;
    f.quality = 0;
    return f;
}

int channelDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

} // namespace

// A region meshed flat and rendered at frame 0 gives back the masked subject: every
// pixel of the region (off its one-pixel border) shows its own photo pixel, and
// nothing is drawn away from the region.
TEST(RenderedMesh, FlatObjectReproducesTheMaskedSubject) {
    std::optional<SampleCut> cut = cutSample("chelsea.png", 440, 80);
    ASSERT_TRUE(cut);
    const int w = cut->photo.width(), h = cut->photo.height();
    AnimationModel model;
    model.defaultSettingWord = 1;
    model.startWidth = w;
    model.startHeight = h;
    // The texture: the subject seen through its mask.
    model.startImage = cut->photo;
    for (size_t i = 0; i < cut->photo.pixelCount(); ++i)
        if (!(cut->region.pixels()[i] & 0x200)) model.startImage.pixels()[i] &= 0x00FFFFFFu;
    SilentPrompter silent;
    initDotsToRegions(model, cut->region, RegionMode::Contours, silent);
    const Result<RebuildCounts> built = rebuildMeshes(model, RebuildOptions(silent));
    ASSERT_TRUE(built);
    ASSERT_GT(built->built, 0);

    std::optional<RasterImage> frame = renderFrame(model, straightOn(model), 25);
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->width(), w);
    ASSERT_EQ(frame->height(), h);
    auto inRegion = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && (cut->region.at(x, y) & 0x200);
    };
    long long checked = 0, wrong = 0, stray = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool band = false, near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!inRegion(x + dx, y + dy)) band = true;
                    if (inRegion(x + dx, y + dy)) near = true;
                }
            if (inRegion(x, y) && !band) {
                ++checked;
                if (channelDifference(frame->at(x, y), cut->photo.at(x, y)) > 1) ++wrong;
            } else if (!near) {
                if (frame->at(x, y) != 0xFF000000u) ++stray;
            }
        }
    EXPECT_GT(checked, 100000);
    EXPECT_EQ(wrong, 0) << "of " << checked;
    EXPECT_EQ(stray, 0);
}
