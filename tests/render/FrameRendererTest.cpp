// Whole frames of small scenes built in code, checked pixel by pixel.

#include "render/FrameRenderer.h"
#include "SilentTestPrompter.h"
#include "anim/CurveLibrary.h"
#include "anim/TimeCurve.h"
#include "render/FramePasses.h"
#include "render/PixelMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zx {
namespace {

constexpr int kW = 64, kH = 48;

uint32_t patternPixel(int x, int y) {
    return 0xFF000000u | uint32_t(x * 3) << 16 | uint32_t(y * 5) << 8 | uint32_t((x + y) & 0xFF);
}

RasterImage pattern(int w, int h) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = patternPixel(x, y);
    return img;
}

AnimPoint vertexAt(double x, double y) {
    AnimPoint p;
    p.flags = PointFlag::MeshVertex;
    p.texture = p.start = p.end = {x, y, 0};
    return p;
}

// A textured rectangle cut from the start image: four vertices, two triangles.
int addRectangle(AnimationModel& model, double l, double t, double r, double b) {
    const int slot = model.addObject(testing::silentPrompter());
    AnimObject& o = model.object(slot);
    o.points = {vertexAt(l, t), vertexAt(r, t), vertexAt(r, b), vertexAt(l, b)};
    o.vertexCount = 4;
    MeshTriangle a, c;
    a.v[0] = 0, a.v[1] = 1, a.v[2] = 2;
    c.v[0] = 0, c.v[1] = 2, c.v[2] = 3;
    o.triangles = {a, c};
    return slot;
}

CameraFrame flatCamera(int w, int h, RenderQuality q = RenderQuality::Low) {
    CameraFrame f = makeCameraFrame(w, h, kW, kH, 0, 0, {});
    f.camera.distance = 0; // parallel projection: the image as it is
    f.quality = int32_t(q);
    return f;
}

struct Scene {
    AnimationModel model;
    Scene() {
        model.setStartImage(pattern(kW, kH));
        model.lastFrameIndex = 10;
    }
};

TEST(FrameRenderer, EmptyImageShowsTheBackgroundColourOfItsMode) {
    Scene s;
    for (auto [mode, colour] : {std::pair{0, 0xFF000000u},
                                {1, 0xFF000080u},
                                {2, 0xFF008000u},
                                {3, 0xFFFFFFFFu},
                                {4, 0xFFB0B0C0u},
                                {-1, 0xFFB0B0C0u}}) {
        CameraFrame f = flatCamera(8, 6);
        f.backgroundMode = mode;
        auto img = renderFrameAt(s.model, f, 0);
        ASSERT_TRUE(img);
        EXPECT_EQ(img->width(), 8);
        EXPECT_EQ(img->at(3, 2), colour) << mode;
        EXPECT_EQ(img->at(7, 5), colour) << mode;
    }
}

TEST(FrameRenderer, UnmovedRectangleShowsItsTexelsExactly) {
    for (auto q : {RenderQuality::Low, RenderQuality::Medium}) {
        Scene s;
        addRectangle(s.model, 10, 8, 30, 20);
        CameraFrame f = flatCamera(kW, kH, q);
        f.backgroundMode = 0;
        auto img = renderFrameAt(s.model, f, 0);
        ASSERT_TRUE(img);
        EXPECT_EQ(img->at(10, 8), patternPixel(10, 8));
        EXPECT_EQ(img->at(20, 15), patternPixel(20, 15));
        EXPECT_EQ(img->at(29, 19), patternPixel(29, 19));
        EXPECT_EQ(img->at(9, 8), 0xFF000000u);
        EXPECT_EQ(img->at(31, 15), 0xFF000000u);
        EXPECT_EQ(img->at(20, 21), 0xFF000000u);
    }
}

TEST(FrameRenderer, ShowObjectsOffDrawsOnlyTheBackground) {
    Scene s;
    addRectangle(s.model, 10, 8, 30, 20);
    CameraFrame f = flatCamera(kW, kH);
    f.showObjects = 0;
    f.backgroundMode = 3;
    auto img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(20, 15), 0xFFFFFFFFu);
}

TEST(FrameRenderer, HiddenObjectsAndBrokenMeshesDrawNothing) {
    Scene s;
    const int hidden = addRectangle(s.model, 0, 0, 20, 20);
    s.model.object(hidden).hidden = 1;
    const int broken = addRectangle(s.model, 30, 0, 50, 20);
    AnimObject& o = s.model.object(broken);
    o.triangles[0].v[1] = 99; // index past the mesh
    o.triangles[1].v[2] = -5; // negative index
    o.vertexCount = 1000;     // more than the points it has
    const int nan = addRectangle(s.model, 0, 25, 20, 45);
    s.model.object(nan).points[1].start.x = std::numeric_limits<double>::quiet_NaN();
    s.model.object(nan).points[2].start.y = 1e300;
    for (auto q : {RenderQuality::Low, RenderQuality::High}) {
        CameraFrame f = flatCamera(kW, kH, q);
        auto img = renderFrameAt(s.model, f, 0);
        ASSERT_TRUE(img);
        EXPECT_EQ(img->at(10, 10), 0xFF000000u);
        EXPECT_EQ(img->at(40, 10), 0xFF000000u);
    }
}

TEST(FrameRenderer, BackgroundLayerThroughTheCameraWindow) {
    Scene s;
    s.model.background = pattern(kW, kH);
    CameraFrame f = flatCamera(kW, kH);
    f.backgroundMode = 3;
    auto img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(0, 0), patternPixel(0, 0));
    EXPECT_EQ(img->at(63, 47), patternPixel(63, 47));

    // Zoom 2 shows the middle half: output (0, 0) samples image point (16, 12).
    f.camera.zoom = 2;
    img = renderFrameAt(s.model, f, 0);
    EXPECT_EQ(img->at(0, 0), patternPixel(16, 12));
    EXPECT_EQ(img->at(2, 4), patternPixel(17, 14));

    // Looking 5 pixels right moves the window; what falls outside keeps the colour.
    f.camera.zoom = 1;
    f.camera.lookX = 5;
    img = renderFrameAt(s.model, f, 0);
    EXPECT_EQ(img->at(0, 0), patternPixel(5, 0));
    EXPECT_EQ(img->at(60, 0), 0xFFFFFFFFu);

    // Parallax: a turn with a background field shifts by turn / field × max(W, H).
    f.camera.lookX = 0;
    f.camera.turn = 0.5f;
    f.backgroundField = 16.0f;
    img = renderFrameAt(s.model, f, 0);
    EXPECT_EQ(img->at(0, 0), patternPixel(2, 0));
    EXPECT_EQ(img->at(61, 0), patternPixel(63, 0));
    EXPECT_EQ(img->at(62, 0), 0xFFFFFFFFu);

    // Background off.
    f.showBackground = 0;
    img = renderFrameAt(s.model, f, 0);
    EXPECT_EQ(img->at(10, 10), 0xFFFFFFFFu);
}

TEST(FrameRenderer, HalfTransparentBackgroundIsLaidOverTheColour) {
    Scene s;
    s.model.background = RasterImage(kW, kH, 0x80FF0000u);
    CameraFrame f = flatCamera(kW, kH, RenderQuality::Medium);
    f.backgroundMode = 1;
    auto img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    // p = 255 × 127 / 255 = 127; red (255 × 128) / 255, blue (128 × 127) / 255.
    EXPECT_EQ(img->at(5, 5), 0xFF80003Fu);
}

TEST(FrameRenderer, MaximumRendersTwiceTheSizeAndHalves) {
    Scene s;
    addRectangle(s.model, 10, 8, 30, 20);
    CameraFrame f = flatCamera(2 * kW, 2 * kH, RenderQuality::Maximum);
    f.backgroundMode = 0;
    auto img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    ASSERT_EQ(img->width(), kW);
    ASSERT_EQ(img->height(), kH);
    // Output (20, 15) is the mean of the samples at image points 20 and 20.5 across,
    // 15 and 15.5 down: red (60 + 61 + 60 + 61) / 4, green (75 + 75 + 77 + 77) / 4,
    // blue 35 from all four; alpha 0 after the halving.
    EXPECT_EQ(img->at(20, 15), 0x003C4C23u);
    EXPECT_EQ(img->at(2, 2), 0u);

    // An odd output size loses its last column and row.
    f.width = 2 * kW + 1;
    f.height = 2 * kH + 1;
    img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width(), kW);
    EXPECT_EQ(img->height(), kH);
}

TEST(FrameRenderer, HalveImageAveragesFourPixels) {
    RasterImage r(3, 2);
    r.at(0, 0) = 0xFF000004u;
    r.at(1, 0) = 0xFF000008u;
    r.at(0, 1) = 0xFF010003u;
    r.at(1, 1) = 0xFF030000u;
    r.at(2, 0) = 0xFFFFFFFFu;
    RasterImage h = halveImage(r, 2);
    ASSERT_EQ(h.width(), 1);
    ASSERT_EQ(h.height(), 1);
    EXPECT_EQ(h.at(0, 0), 0x00010003u);
    EXPECT_EQ(halveImage(r, 1), r);
}

TEST(FrameRenderer, OversizedFrameRecordIsRefused) {
    Scene s;
    CameraFrame f = flatCamera(100000, 100000);
    EXPECT_FALSE(renderFrameAt(s.model, f, 0));
    f = flatCamera(-5, 10);
    auto img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    EXPECT_TRUE(img->empty());
}

TEST(FrameRenderer, CancelBeforeTheCallReturnsNothing) {
    Scene s;
    addRectangle(s.model, 10, 8, 30, 20);
    std::atomic<int32_t> stop{1};
    EXPECT_FALSE(renderFrameAt(s.model, flatCamera(kW, kH), 0, &stop));
    // With no objects to poll between, an empty image still renders.
    Scene empty;
    EXPECT_TRUE(renderFrameAt(empty.model, flatCamera(kW, kH), 0, &stop));
}

TEST(FrameRenderer, RendersOfOneFrameAreIdentical) {
    Scene s;
    addRectangle(s.model, 10, 8, 30, 20);
    s.model.object(0).points[2].start.z = 12; // a bent surface, so normals matter
    s.model.renderSettings.lightIntensity = 90;
    s.model.renderSettings.smoothShading = 1;
    CameraFrame f = makeCameraFrame(kW, kH, kW, kH, 0, 3, {});
    f.quality = int32_t(RenderQuality::High);
    f.camera.turn = 0.3f;
    auto a = renderFrame(s.model, f, 10);
    auto b = renderFrame(s.model, f, 10);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
}

// A rectangle whose single dot moves 50 pixels right along a straight trajectory.
Scene movingRectangle() {
    Scene s;
    const int slot = addRectangle(s.model, 4, 8, 12, 20);
    AnimPoint dot;
    dot.texture = dot.start = {8, 14, 0};
    dot.end = {58, 14, 0};
    s.model.object(slot).points.push_back(dot);
    return s;
}

TEST(FrameRenderer, DotMovesTheRectangleAlongItsTrajectory) {
    Scene s = movingRectangle();
    CameraFrame f = flatCamera(kW, kH);
    auto end = renderFrameAt(s.model, f, 1.0);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->at(55, 10), patternPixel(5, 10));
    EXPECT_EQ(end->at(10, 10), 0xFF000000u);

    // Under "Smooth" a quarter of the time is 15.625 % of the way: 7.8125 pixels,
    // so the left edge at 11.8125 rounds to pixel 12.
    const auto& curves = builtInCurves();
    setObjectCurve(s.model.object(0), {curves[1].linear, curves[1].points});
    auto quarter = renderFrameAt(s.model, f, 0.25);
    ASSERT_TRUE(quarter);
    EXPECT_EQ(quarter->at(11, 10), 0xFF000000u);
    EXPECT_NE(quarter->at(12, 10), 0xFF000000u);
    EXPECT_NE(quarter->at(20, 10), 0xFF000000u); // right edge 19.8125 rounds to 20
    EXPECT_EQ(quarter->at(21, 10), 0xFF000000u);
}

TEST(FrameRenderer, LibraryObjectsGoThroughTheirLayerWithOpacityAndPixelEffects) {
    Scene s;
    const int slot = addRectangle(s.model, 10, 8, 30, 20);
    AnimObject& o = s.model.object(slot);
    o.libraryFlag = 1;
    o.effects[EffectSlot::Opacity].startValue = 0.5f;
    CameraFrame f = flatCamera(kW, kH);
    auto img = renderFrameAt(s.model, f, 0);
    ASSERT_TRUE(img);
    // Opacity truncate(0.5 × 256) = 128 gives alpha 127, laid over black:
    // red 60 × 127 / 255, green 75 × 127 / 255, blue 35 × 127 / 255.
    EXPECT_EQ(img->at(20, 15), 0xFF1D2511u);
    EXPECT_EQ(img->at(5, 5), 0xFF000000u);

    // A transparency step of 31 on a triangle hides it.
    o.triangles[0].flags = 31 << TriangleFlag::TransparencyShift;
    o.triangles[1].flags = 31 << TriangleFlag::TransparencyShift;
    img = renderFrameAt(s.model, f, 0);
    EXPECT_EQ(img->at(20, 15), 0xFF000000u);

    // The red effect adds 200 × its value to red, on the object's pixels only.
    o.triangles[0].flags = o.triangles[1].flags = 0;
    o.effects[EffectSlot::Opacity].startValue = 1;
    o.effects[EffectSlot::Red].startValue = 0.1f;
    img = renderFrameAt(s.model, f, 0);
    EXPECT_EQ(img->at(20, 15), patternPixel(20, 15) + (20u << 16));
    EXPECT_EQ(img->at(5, 5), 0xFF000000u);
}

TEST(FrameRenderer, MergeLayerKeepsTheNearerPixel) {
    RasterImage frame(2, 1, 0xFF0000FFu), layer(2, 1, 0xFFFF0000u);
    DepthRaster frameDepth(2, 1, 10 << 16), layerDepth(2, 1);
    layerDepth.at(0, 0) = 11 << 16; // nearer
    layerDepth.at(1, 0) = 9 << 16;  // farther, behind an opaque pixel
    mergeLayer(layer, layerDepth, frame, frameDepth);
    EXPECT_EQ(frame.at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(frameDepth.at(0, 0), 11 << 16);
    EXPECT_EQ(frame.at(1, 0), 0xFF0000FFu);
    EXPECT_EQ(frameDepth.at(1, 0), 10 << 16);
}

TEST(FrameRenderer, SmoothSilhouettesBlendsMarkedPixelsWithTheirSurroundings) {
    RasterImage img(7, 7, 0xFF000000u);
    img.at(3, 3) = 0xFF900000u;
    EdgeMask mask(7, 7);
    mask.at(3, 3) = 255;
    smoothSilhouettes(img, mask);
    // Full weight, in place: (2, 2) takes (144 + 3) / 9 = 16, (3, 2) and (4, 2) 18,
    // (2, 3) (16 + 18 + 144 + 3) / 9 = 20, and the centre, seeing all of them, 24.
    EXPECT_EQ(redOf(img.at(2, 2)), 16u);
    EXPECT_EQ(redOf(img.at(2, 3)), 20u);
    EXPECT_EQ(redOf(img.at(3, 3)), 24u);
    EXPECT_EQ(alphaOf(img.at(3, 3)), 255u);
    EXPECT_EQ(img.at(0, 0), 0xFF000000u);
}

} // namespace
} // namespace zx
