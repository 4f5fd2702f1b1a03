// The built-in demo animation: cut, meshed, animated, and visibly moving when
// rendered; and the speed test built on it.
#include "commands/DemoScene.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "imaging/MaskLayer.h"
#include "platform/RecordingPrompter.h"
#include "render/FrameRenderer.h"
#include "render/ImageScene.h"
#include "render/MoviePanelSettings.h"
#include "storage/ImageFile.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace zx {
namespace {

int channelOf(uint32_t p, int shift) {
    return int((p >> shift) & 0xFF);
}

// Mean absolute difference of the colour channels inside a rectangle.
double meanDifference(const RasterImage& a, const RasterImage& b, int x0, int y0, int x1, int y1) {
    double sum = 0;
    long n = 0;
    for (int y = std::max(0, y0); y < std::min({y1, a.height(), b.height()}); ++y)
        for (int x = std::max(0, x0); x < std::min({x1, a.width(), b.width()}); ++x) {
            for (int s : {0, 8, 16})
                sum += std::abs(channelOf(a.at(x, y), s) - channelOf(b.at(x, y), s));
            n += 3;
        }
    return n ? sum / n : 0;
}

class DemoImage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        photo_ = new RasterImage(*loadImage(ZX_SAMPLES_DIR "/astronaut.png", nullptr));
        DemoOptions options;
        options.durationFrames = 24;
        image_ = buildDemoImage(*photo_, "astronaut.png", options, nullptr, prompter_).release();
    }
    static void TearDownTestSuite() {
        delete image_;
        delete photo_;
    }

    // Frame k of the image at its own size, as the Animate view renders it.
    static RasterImage renderDemoFrame(int k) {
        AnimationModel scene;
        EXPECT_TRUE(loadImageScene(*image_, scene).isOk());
        refreshRenderSettings(scene.renderSettings, MoviePanelSettings{}, RenderQuality::Medium);
        FrameLayoutSettings layout;
        layout.quality = RenderQuality::Medium;
        CameraFrame camera = makeCameraFrame(image_->width(), image_->height(), scene.startWidth,
                                             scene.startHeight, 0, k, layout);
        auto frame = renderFrameAt(scene, camera, double(k) / image_->duration());
        EXPECT_TRUE(frame);
        return frame ? *frame : RasterImage();
    }

    static inline RasterImage* photo_ = nullptr;
    static inline ProjectImage* image_ = nullptr;
    static inline RecordingPrompter prompter_;
};

TEST_F(DemoImage, CutsTwoSubjectsAndFillsTheirPlaceInTheBackground) {
    ASSERT_NE(image_, nullptr);
    EXPECT_TRUE(prompter_.entries.empty());
    const RasterImage& mask = *image_->layerPicture(kMaskLayer);
    const int w = image_->width(), h = image_->height();
    // The head and the shuttle show; the flag on the left and the corners do not.
    EXPECT_EQ(maskValue(mask.at(int(kDemoHead.cx * w), int(kDemoHead.cy * h))), 255u);
    EXPECT_EQ(maskValue(mask.at(int(kDemoSide.cx * w), int(kDemoSide.cy * h))), 255u);
    EXPECT_EQ(maskValue(mask.at(20, 200)), 0u);
    EXPECT_EQ(maskValue(mask.at(w - 1, h - 1)), 0u);
    // Where the shuttle stood, the background holds the wall: grey, not the white
    // shuttle, and the rest of the background is the photograph itself.
    const RasterImage& background = *image_->layerPicture(kBackgroundLayer);
    const uint32_t behindShuttle = background.at(int(kDemoSide.cx * w), int(0.15 * h));
    EXPECT_LT(channelOf(behindShuttle, 16), 235);
    EXPECT_EQ(background.at(20, 200) | 0xFF000000u, photo_->at(20, 200) | 0xFF000000u);
    EXPECT_EQ(background.at(20, 200) >> 24, 255u);
}

TEST_F(DemoImage, HasAThreeDHeadOnABoneAndALiftingSideObject) {
    ASSERT_NE(image_, nullptr);
    ASSERT_TRUE(image_->animation);
    AnimationModel model;
    ASSERT_TRUE(readAnimationRecord(model, *image_->animation));
    ASSERT_EQ(model.objectCount, 2);
    int head = -1, side = -1;
    for (int i = 0; i < 2; ++i) (model.object(i).is3d() ? head : side) = i;
    ASSERT_GE(head, 0);
    ASSERT_GE(side, 0);
    const AnimObject& h = model.object(head);
    EXPECT_GT(h.vertexCount, 30);
    EXPECT_GT(h.triangles.size(), 30u);
    EXPECT_EQ(h.userDotCount(), 2);
    ASSERT_EQ(h.bones.size(), 1u);
    EXPECT_GT(h.bones[0].restLength, 10);
    // a real volume: vertices in front of and behind the picture plane
    double front = 0, back = 0;
    for (int i = 0; i < h.vertexCount; ++i) {
        front = std::max(front, h.points[size_t(i)].start.z);
        back = std::min(back, h.points[size_t(i)].start.z);
    }
    EXPECT_GT(front, 5);
    EXPECT_LT(back, -5);
    // every head vertex hangs on the bone
    for (int i = 0; i < h.vertexCount; ++i) ASSERT_EQ(h.points[size_t(i)].bone1, 0) << i;
    EXPECT_TRUE(h.points[size_t(h.vertexCount)].trajectory);
    EXPECT_EQ(h.curveTable.size(), 513u);
    const AnimObject& s = model.object(side);
    EXPECT_EQ(s.userDotCount(), 1);
    EXPECT_GT(s.triangles.size(), 10u);
    EXPECT_EQ(s.curveTable.size(), 513u);
}

TEST_F(DemoImage, RenderedFramesMoveAndTheLoopCloses) {
    ASSERT_NE(image_, nullptr);
    const int w = image_->width(), h = image_->height();
    const RasterImage first = renderDemoFrame(0);
    const RasterImage quarter = renderDemoFrame(image_->duration() / 4);
    const RasterImage half = renderDemoFrame(image_->duration() / 2);
    const RasterImage last = renderDemoFrame(image_->duration());
    // At the start the cut-out pieces sit where they were cut: the frame is the photo.
    EXPECT_LT(meanDifference(first, *photo_, 0, 0, w, h), 6.0);
    // A quarter in, the head has swayed to its widest: its top moved.
    const int headTop = int((kDemoHead.cy - kDemoHead.ry) * h);
    const int headLeft = int((kDemoHead.cx - kDemoHead.rx) * w);
    const int headRight = int((kDemoHead.cx + kDemoHead.rx) * w);
    EXPECT_GT(meanDifference(first, quarter, headLeft, headTop, headRight, headTop + 60), 8.0);
    // Half way the side object is at the top of its lift: where it stood is wall now.
    const int sideLeft = int((kDemoSide.cx - kDemoSide.rx) * w);
    const int sideRight = int((kDemoSide.cx + kDemoSide.rx) * w);
    const int sideBottom = int((kDemoSide.cy + kDemoSide.ry) * h);
    EXPECT_GT(meanDifference(first, half, sideLeft, sideBottom - 60, sideRight, sideBottom), 8.0);
    // The sway and the lift both return: the last frame is the first.
    EXPECT_LT(meanDifference(first, last, 0, 0, w, h), 0.5);
}

TEST(DemoScene, FillTakesEachRowFromItsNeighbours) {
    RasterImage picture(6, 2, 0xFFFF0000u);
    picture.at(0, 0) = 0xFF000000u;
    picture.at(5, 0) = 0xFFFFFFFFu;
    picture.at(0, 1) = 0xFF000000u;
    picture.at(5, 1) = 0xFFFFFFFFu;
    std::vector<uint8_t> region(12, 0);
    for (int x = 1; x <= 4; ++x) region[size_t(x)] = region[size_t(6 + x)] = 1;
    fillFromSurroundings(picture, region);
    // black to white across the hole, rising steadily; the edges stay
    EXPECT_EQ(picture.at(0, 0), 0xFF000000u);
    EXPECT_EQ(picture.at(5, 0), 0xFFFFFFFFu);
    int previous = -1;
    for (int x = 1; x <= 4; ++x) {
        const uint32_t p = picture.at(x, 0);
        EXPECT_EQ(channelOf(p, 16), channelOf(p, 0)); // grey, no red left
        EXPECT_GT(channelOf(p, 8), previous);
        previous = channelOf(p, 8);
    }
    // A row filled from edge to edge has nothing to take from and stays.
    RasterImage full(3, 1, 0xFF123456u);
    fillFromSurroundings(full, std::vector<uint8_t>(3, 1));
    EXPECT_EQ(full.at(1, 0), 0xFF123456u);
    // A region of the wrong size is refused.
    fillFromSurroundings(full, std::vector<uint8_t>(2, 1));
    EXPECT_EQ(full.at(1, 0), 0xFF123456u);
}

TEST(DemoScene, ProjectAnimatesTheFirstPictureAndKeepsTheOthers) {
    Settings settings;
    RecordingPrompter prompter;
    std::vector<DemoPicture> pictures;
    pictures.push_back({demoPicture(320, 240), "first.png"});
    pictures.push_back({RasterImage(64, 48, 0xFF808080u), "second.png"});
    auto project = buildDemoProject(pictures, settings, nullptr, prompter);
    ASSERT_TRUE(project);
    ASSERT_EQ(project->imageCount(), 2);
    EXPECT_EQ(project->currentImage, 0);
    EXPECT_EQ(project->mode, AnimationMode::Animate);
    EXPECT_TRUE(project->images[0].animation);
    EXPECT_FALSE(project->images[1].animation);
    EXPECT_EQ(project->images[1].layerPicture(kSubjectLayer)->width(), 64);
    EXPECT_EQ(project->images[0].duration(), settings.defaultDurationFrames(project->fps));
    AnimationModel model;
    ASSERT_TRUE(readAnimationRecord(model, *project->images[0].animation));
    EXPECT_EQ(model.objectCount, 2);
    // Without pictures the built-in one is animated.
    auto builtIn = buildDemoProject({}, settings, nullptr, prompter);
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(builtIn->imageCount(), 1);
    EXPECT_EQ(builtIn->images[0].layer(kSubjectLayer)->name, kDemoPictureName);
    // A picture too small to cut is refused with a message.
    prompter.clear();
    EXPECT_FALSE(buildDemoImage(RasterImage(8, 8, 0xFF000000u), "tiny", {}, nullptr, prompter));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(demoPicture(), demoPicture());
}

// The demo's bone and dots are made as new ones are: fixed or elastic, with or
// without smooth action, as the settings say.
TEST(DemoScene, ProjectFollowsTheDefaultsForNewBonesAndDots) {
    for (const int on : {0, 1}) {
        Settings settings;
        settings.boneDefaultFixed = on;
        settings.smoothAction = on;
        SilentPrompter silent;
        auto project = buildDemoProject({}, settings, nullptr, silent);
        ASSERT_TRUE(project);
        AnimationModel model;
        ASSERT_TRUE(readAnimationRecord(model, *project->images[0].animation));
        int dots = 0, bones = 0;
        for (int slot = 0; slot < model.objectCount; ++slot) {
            for (const AnimPoint& p : model.object(slot).points) {
                if (p.flags & PointFlag::MeshVertex) continue;
                ++dots;
                EXPECT_EQ((p.flags & PointFlag::SmoothAction) != 0, on == 1);
            }
            for (const Bone& b : model.object(slot).bones) {
                ++bones;
                EXPECT_EQ(b.isFixed(), on == 1);
            }
        }
        EXPECT_GT(dots, 0);
        EXPECT_GT(bones, 0);
    }
}

TEST(DemoScene, SpeedTestScoresFramesPerSecond) {
    // Every reading of the clock advances it by 25 ms: each frame takes 25 ms.
    double now = 0;
    RenderSpeedTest test([&] { return now += 0.025; });
    EXPECT_EQ(test.framesPerSecond(), 0);
    int steps = 0;
    while (test.step()) ++steps;
    EXPECT_TRUE(test.finished());
    EXPECT_FALSE(test.step());
    EXPECT_EQ(test.framesRendered(), RenderSpeedTest::kFrames);
    EXPECT_EQ(steps, RenderSpeedTest::kFrames); // the first step builds the scene
    EXPECT_NEAR(test.framesPerSecond(), 40.0, 1e-6);
    EXPECT_EQ(RenderSpeedTest::pcSpeed(12.345), 1235);
    EXPECT_EQ(RenderSpeedTest::pcSpeed(-1), 0);
    EXPECT_EQ(RenderSpeedTest::pcSpeed(std::nan("")), 0);
    // A slow machine stops at the time limit rather than after every frame.
    double slow = 0;
    RenderSpeedTest slowTest([&] { return slow += 1.0; });
    while (slowTest.step()) {}
    EXPECT_EQ(slowTest.framesRendered(), 3);
    EXPECT_NEAR(slowTest.framesPerSecond(), 1.0, 1e-9);
}

} // namespace
} // namespace zx
