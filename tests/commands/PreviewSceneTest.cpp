// The "3D Preview" picture: a private copy of the animation seen through the
// dialog's camera, drawn by the preview filler.
#include "commands/PreviewScene.h"
#include "SilentTestPrompter.h"

#include "commands/DemoScene.h"
#include "render/FramePasses.h"
#include "storage/ImageFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zx {
namespace {

constexpr uint32_t kCanvas = 0xFF000000u;

// One flat square object covering the middle of a 100 × 100 red picture.
void squareScene(AnimationModel& model) {
    model.setStartImage(RasterImage(100, 100, 0xFFC02020u));
    model.lastFrameIndex = 10;
    const int slot = model.addObject(testing::silentPrompter());
    AnimObject& o = model.object(slot);
    o.textureRect = {25, 25, 75, 75};
    const double corners[4][2] = {{25, 25}, {75, 25}, {75, 75}, {25, 75}};
    for (const auto& c : corners) {
        AnimPoint p;
        p.flags = PointFlag::MeshVertex;
        p.texture = p.start = p.end = p.current = {c[0], c[1], 0};
        o.points.push_back(p);
    }
    o.vertexCount = 4;
    o.outlineVertexCount = 4;
    MeshTriangle a, b;
    a.v[0] = 0, a.v[1] = 1, a.v[2] = 2;
    b.v[0] = 0, b.v[1] = 2, b.v[2] = 3;
    o.triangles = {a, b};
}

PreviewCamera frontCamera(int side) {
    PreviewCamera c = PreviewCamera::forImage(side, side);
    c.turnDeg = 0;
    c.tiltDeg = 0;
    c.lightIntensity = 0;
    return c;
}

long countNot(const RasterImage& r, uint32_t colour) {
    long n = 0;
    for (uint32_t p : r.pixelVector()) n += (p | 0xFF000000u) != (colour | 0xFF000000u) ? 1 : 0;
    return n;
}

TEST(PreviewScene, FrontViewShowsTheObjectCentredAndFitted) {
    AnimationModel model;
    squareScene(model);
    const RasterImage r = PreviewScene::renderModel(model, 0, frontCamera(100), 200, 100, kCanvas,
                                                    RenderQuality::Low);
    ASSERT_EQ(r.width(), 200);
    ASSERT_EQ(r.height(), 100);
    // The 100 × 100 picture is fitted into the 100-pixel height with a margin, the
    // square (its middle half) lands in the middle of the view.
    EXPECT_EQ(r.at(100, 50), 0xFFC02020u);
    EXPECT_EQ(r.at(5, 50), kCanvas);
    EXPECT_EQ(r.at(100, 5), kCanvas);
    const long drawn = countNot(r, kCanvas);
    EXPECT_NEAR(drawn, 40 * 40, 200); // 50 px × 0.8
    // The model's own positions are not the view's: the next render is the same.
    EXPECT_EQ(PreviewScene::renderModel(model, 0, frontCamera(100), 200, 100, kCanvas,
                                        RenderQuality::Low),
              r);
}

TEST(PreviewScene, TurningAFlatObjectEdgeOnHidesIt) {
    AnimationModel model;
    squareScene(model);
    PreviewCamera camera = frontCamera(100);
    camera.perspective = false;
    const long front =
        countNot(PreviewScene::renderModel(model, 0, camera, 160, 160, kCanvas, RenderQuality::Low),
                 kCanvas);
    camera.turnDeg = 60;
    const long turned =
        countNot(PreviewScene::renderModel(model, 0, camera, 160, 160, kCanvas, RenderQuality::Low),
                 kCanvas);
    camera.turnDeg = 90;
    const long edgeOn =
        countNot(PreviewScene::renderModel(model, 0, camera, 160, 160, kCanvas, RenderQuality::Low),
                 kCanvas);
    // cos 60° halves the width; edge-on leaves at most a line
    EXPECT_NEAR(double(turned) / front, 0.5, 0.08);
    EXPECT_LE(edgeOn, 90);
}

TEST(PreviewScene, ShadingDarkensASurfaceTurnedFromTheLight) {
    AnimationModel model;
    squareScene(model);
    PreviewCamera camera = frontCamera(100);
    camera.turnDeg = 50;
    const uint32_t unlit =
        PreviewScene::renderModel(model, 0, camera, 120, 120, kCanvas, RenderQuality::Medium)
            .at(60, 60);
    camera.press("Maximum Shading");
    const uint32_t lit =
        PreviewScene::renderModel(model, 0, camera, 120, 120, kCanvas, RenderQuality::Medium)
            .at(60, 60);
    EXPECT_EQ(unlit, 0xFFC02020u);
    EXPECT_LT((lit >> 16) & 0xFF, 0xC0u);
}

TEST(PreviewScene, CoarseStepRepeatsTheComputedPixels) {
    AnimationModel model;
    squareScene(model);
    const PreviewCamera camera = frontCamera(100);
    const RasterImage full =
        PreviewScene::renderModel(model, 0, camera, 120, 120, kCanvas, RenderQuality::Low, 1);
    const RasterImage coarse =
        PreviewScene::renderModel(model, 0, camera, 120, 120, kCanvas, RenderQuality::Low, 4);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) {
            // every 4th pixel is the full picture's; the rest copy their block's corner
            ASSERT_EQ(coarse.at(x, y), full.at(x - x % 4, y - y % 4)) << x << "," << y;
        }
}

TEST(PreviewScene, DemoImageTurnsWithoutTouchingTheImage) {
    auto photo = loadImage(ZX_SAMPLES_DIR "/astronaut.png", nullptr);
    ASSERT_TRUE(photo);
    DemoOptions options;
    options.durationFrames = 20;
    options.meshDefinition = 0;
    auto image =
        buildDemoImage(*photo, "astronaut.png", options, nullptr, testing::silentPrompter());
    ASSERT_TRUE(image);
    const auto record = *image->animation;
    PreviewScene scene(*image, 5, {});
    EXPECT_EQ(scene.objectCount(), 2);
    PreviewCamera camera = scene.openingCamera();
    EXPECT_EQ(camera.distance, 4.0 * 512);
    const uint32_t canvas = backgroundColour(int32_t(image->canvasColour)) | 0xFF000000u;
    const RasterImage opening = scene.render(camera, 400, 300);
    EXPECT_GT(countNot(opening, canvas), 4000);
    camera.press("Front <-> Rear View");
    const RasterImage rear = scene.render(camera, 400, 300);
    // From behind, the flat cut-out and the back of the inflated head: still drawn,
    // but not the picture seen from the front.
    EXPECT_GT(countNot(rear, canvas), 1000);
    EXPECT_NE(rear, opening);
    EXPECT_EQ(*image->animation, record);
}

} // namespace
} // namespace zx
