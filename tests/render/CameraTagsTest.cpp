// Camera tags: interpolation, tag commands, mouse and button limits, panel refresh.

#include "render/CameraTags.h"
#include "render/MoviePanelSettings.h"
#include "storage/Project.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace zx {
namespace {

// Two images of 10 frames each: 200 × 100 and 100 × 400.
MovieFrames twoImages() {
    MovieFrames frames;
    for (int k = 0; k < 10; ++k) frames.push_back(makeCameraFrame(64, 48, 200, 100, 0, k, {}));
    for (int k = 0; k < 10; ++k) frames.push_back(makeCameraFrame(64, 48, 100, 400, 1, k, {}));
    ensureFirstFrameTags(frames);
    interpolateCameraTags(frames, {});
    return frames;
}

TagCurveShapes allShapes(TagCurveShape s) {
    return {s, s, s, s};
}

TEST(CameraTags, OnlyFrameZeroTaggedGivesEveryFrameItsValues) {
    MovieFrames frames = twoImages();
    const TagCurveShapes shapes{};
    ASSERT_TRUE(setZoomTag(frames, shapes, 0, 1.5));
    ASSERT_TRUE(setLookAtTag(frames, shapes, 0, 3, -4));
    EXPECT_EQ(frames[0].camera.tagBits, kAllCameraTags);
    for (const CameraFrame& f : frames) {
        EXPECT_FLOAT_EQ(f.camera.zoom, 1.5f);
        EXPECT_FLOAT_EQ(f.camera.lookX, 3);
        EXPECT_FLOAT_EQ(f.camera.lookY, -4);
        // Relative distance 4 of each frame's own image.
        EXPECT_NEAR(f.relativeDistance(), 4.0, 1e-6);
    }
    EXPECT_FLOAT_EQ(frames[15].camera.distance, 1600);
}

TEST(CameraTags, ShapesBetweenTwoTagsAcrossImages) {
    MovieFrames frames = twoImages();
    // Zoom 1 at frame 5 and 2 at frame 15, in the next image: the walk crosses it.
    auto shapes = allShapes(TagCurveShape::SlowFast);
    setZoomTag(frames, shapes, 5, 1);
    setZoomTag(frames, shapes, 15, 2);
    EXPECT_FLOAT_EQ(frames[10].camera.zoom, 1.25f);
    EXPECT_FLOAT_EQ(frames[19].camera.zoom, 2.0f);
    for (auto [shape, expected] : {std::pair{TagCurveShape::Linear, 1.5},
                                   {TagCurveShape::FastSlow, 1 + std::sqrt(0.5)},
                                   {TagCurveShape::SlowFastSlow, 1.5}}) {
        shapes = allShapes(shape);
        interpolateCameraTags(frames, shapes);
        EXPECT_NEAR(frames[10].camera.zoom, expected, 1e-6);
    }
    // SlowFastSlow at a quarter: (3 − 0.5) × 0.0625.
    EXPECT_NEAR(shapeFraction(TagCurveShape::SlowFastSlow, 0.25), 0.15625, 1e-12);
}

TEST(CameraTags, OrbitInterpolatesInDegreesAndDistanceRelatively) {
    MovieFrames frames = twoImages();
    const TagCurveShapes shapes{};
    setOrbitTag(frames, shapes, 10, 30, -10);
    EXPECT_NEAR(frames[5].camera.turn, 15 * std::numbers::pi / 180, 1e-6);
    EXPECT_NEAR(frames[5].camera.tilt, -5 * std::numbers::pi / 180, 1e-6);
    setDistanceTag(frames, shapes, 10, 8);
    // Halfway from relative 4 to 8, in image 0's pixels.
    EXPECT_NEAR(frames[5].relativeDistance(), 6, 1e-5);
    EXPECT_NEAR(frames[5].camera.distance, 1200, 1e-3);
    EXPECT_NEAR(frames[12].camera.distance, 8 * 400, 1e-3);
}

TEST(CameraTags, ChangedFramesLoseTheirPicturesAndFirstFramesTheirImages) {
    MovieFrames frames = twoImages();
    for (CameraFrame& f : frames) f.cachedFrame = std::make_unique<PackedImage>();
    const TagCurveShapes shapes{};
    // A tag with the value a frame already has changes nothing.
    setZoomTag(frames, shapes, 11, 1);
    for (const CameraFrame& f : frames) EXPECT_TRUE(f.cachedFrame);
    // Zoom 2 from frame 12 on: frames 0 … 11 keep their values and pictures.
    setZoomTag(frames, shapes, 12, 2);
    EXPECT_TRUE(frames[11].cachedFrame);
    EXPECT_FALSE(frames[12].cachedFrame);
    EXPECT_FALSE(frames[19].cachedFrame);
    EXPECT_TRUE(frames[10].cachedFrame);
    // A change on an image's first frame takes the whole image's pictures.
    for (CameraFrame& f : frames) f.cachedFrame = std::make_unique<PackedImage>();
    setTagBit(frames, shapes, 10, CameraTagKind::LookAt, true);
    setLookAtTag(frames, shapes, 10, 1, 1);
    EXPECT_FALSE(frames[10].cachedFrame);
    EXPECT_FALSE(frames[11].cachedFrame);
    EXPECT_TRUE(frames[9].cachedFrame == nullptr) << "frames before approach the new value";
    EXPECT_TRUE(frames[0].cachedFrame);
}

TEST(CameraTags, TagCommandsAndTheirLabels) {
    MovieFrames frames = twoImages();
    const TagCurveShapes shapes{};
    EXPECT_FALSE(eraseTag(frames, shapes, 0)) << "frame 0 keeps its tags";
    EXPECT_EQ(frames[0].camera.tagBits, kAllCameraTags);
    EXPECT_FALSE(setTagBit(frames, shapes, 0, CameraTagKind::Zoom, false));

    auto step = setZoomTag(frames, shapes, 4, 3);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->label, "Zoom Tag");
    EXPECT_FLOAT_EQ(step->before[4].zoom, 1.0f);
    setLookAtTag(frames, shapes, 4, 7, 8);

    step = copyPreviousTag(frames, shapes, 9);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->label, "Copy previous Tag");
    EXPECT_EQ(frames[9].camera.tagBits, kAllCameraTags);
    EXPECT_FLOAT_EQ(frames[9].camera.zoom, 3.0f);
    EXPECT_FLOAT_EQ(frames[9].camera.lookX, 7.0f);
    // Across images the distance keeps its relative value.
    step = copyPreviousTag(frames, shapes, 13);
    EXPECT_NEAR(frames[13].relativeDistance(), 4.0, 1e-6);

    EXPECT_EQ(setTagBit(frames, shapes, 9, CameraTagKind::Zoom, false)->label, "Remove Zoom Tag");
    EXPECT_EQ(frames[9].camera.tagBits, kAllCameraTags & ~4);
    EXPECT_EQ(setTagBit(frames, shapes, 9, CameraTagKind::Distance, true)->label,
              "Camera Distance Tag");

    EXPECT_EQ(eraseTag(frames, shapes, 4)->label, "Erase Tag");
    EXPECT_EQ(frames[4].camera.tagBits, 0);

    setZoomTag(frames, shapes, 0, 5);
    step = eraseAllTags(frames, shapes);
    EXPECT_EQ(step->label, "Erase All Tags");
    for (size_t j = 1; j < frames.size(); ++j) EXPECT_EQ(frames[j].camera.tagBits, 0);
    EXPECT_EQ(frames[0].camera.tagBits, kAllCameraTags);
    for (const CameraFrame& f : frames) {
        EXPECT_FLOAT_EQ(f.camera.zoom, 1.0f);
        EXPECT_FLOAT_EQ(f.camera.lookX, 0.0f);
    }

    TagCurveShapes editable{};
    EXPECT_EQ(
        setTagCurveShape(frames, editable, CameraTagKind::Zoom, TagCurveShape::SlowFast)->label,
        "Tags curves shapes");
    EXPECT_EQ(editable[2], TagCurveShape::SlowFast);
}

TEST(CameraTags, MouseAndButtonLimits) {
    // Zoom follows start − dy × 0.001: dragging up (dy < 0) zooms in up to 20.
    EXPECT_DOUBLE_EQ(dragZoom(1, -100000), 20);
    EXPECT_DOUBLE_EQ(dragZoom(1, 100000), 0.001);
    EXPECT_NEAR(dragZoom(1, 250), 0.75, 1e-12);
    EXPECT_DOUBLE_EQ(dragDolly(4, 100000), 0.5);
    EXPECT_DOUBLE_EQ(dragDolly(4, -100000), 20);
    EXPECT_NEAR(dragDolly(4, -36), 5, 1e-12);
    auto look = dragLookAt({10, 20}, 8, -4, 2);
    EXPECT_DOUBLE_EQ(look.x, 14);
    EXPECT_DOUBLE_EQ(look.y, 18);
    auto orbit = dragOrbit({10, 0}, 8, -4);
    EXPECT_DOUBLE_EQ(orbit.turnDegrees, 8);
    EXPECT_DOUBLE_EQ(orbit.tiltDegrees, -1);

    EXPECT_DOUBLE_EQ(zoomInValue(19.9), 20);
    EXPECT_NEAR(zoomInValue(1), 1.01, 1e-12);
    EXPECT_DOUBLE_EQ(zoomOutValue(0.001), 0.001);
    EXPECT_DOUBLE_EQ(dollyInValue(0.5), 0.5);
    EXPECT_DOUBLE_EQ(dollyOutValue(19.99), 20);
    auto moved = arrowLookAt({0, 0}, ArrowDirection::Right, 640, 480);
    EXPECT_DOUBLE_EQ(moved.x, 10);
    moved = arrowLookAt(moved, ArrowDirection::Up, 640, 480);
    EXPECT_DOUBLE_EQ(moved.y, -7.5);
    EXPECT_DOUBLE_EQ(arrowOrbit({0, 0}, ArrowDirection::Down).tiltDegrees, 1);

    MovieFrames frames = twoImages();
    const TagCurveShapes shapes{};
    setZoomTag(frames, shapes, 3, 4);
    EXPECT_EQ(resetZoom(frames, shapes, 3)->label, "Reset Zoom");
    EXPECT_FLOAT_EQ(frames[3].camera.zoom, 1);
    EXPECT_EQ(resetCameraDistance(frames, shapes, 3)->label, "Reset Camera Distance");
    EXPECT_EQ(lookAtImageCenter(frames, shapes, 3)->label, "Look At Image Center");
    EXPECT_EQ(resetMoveCamera(frames, shapes, 3)->label, "Reset Move Camera");
    EXPECT_EQ(frames[3].camera.tagBits, kAllCameraTags);
}

TEST(CameraTags, StoredValuesComeBackAndBrokenOnesTakeDefaults) {
    MovieFrames frames = twoImages();
    const TagCurveShapes shapes{};
    setZoomTag(frames, shapes, 6, 2);
    setOrbitTag(frames, shapes, 14, 20, 5);
    const CameraValueBlock saved = snapshotCameraValues(frames);

    MovieFrames fresh = twoImages();
    applyCameraValues(fresh, saved, shapes);
    EXPECT_EQ(snapshotCameraValues(fresh), saved);

    CameraValueBlock broken = saved;
    broken[6].zoom = std::nanf("");
    broken[0].tagBits = 0;
    broken.resize(8); // fewer records than frames
    MovieFrames other = twoImages();
    applyCameraValues(other, broken, shapes);
    EXPECT_EQ(other[0].camera.tagBits, kAllCameraTags);
    EXPECT_FLOAT_EQ(other[6].camera.zoom, 1.0f);
    EXPECT_TRUE(std::isfinite(other[19].camera.zoom));
}

TEST(CameraTags, LayoutFollowsImagesDurationsAndQuality) {
    Project p;
    p.movieWidth = 320;
    p.movieHeight = 240;
    p.images.append(std::make_unique<ProjectImage>(200, 100, 3));
    p.images.append(std::make_unique<ProjectImage>(50, 60, 2));
    FrameLayoutSettings settings;
    settings.quality = RenderQuality::Maximum;
    MovieFrames frames = layoutMovieFrames(p, settings);
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[0].width, 640);
    EXPECT_EQ(frames[3].imageIndex, 1);
    EXPECT_EQ(frames[3].frameIndex, 0);
    EXPECT_EQ(frames[3].firstFrame, 1);
    EXPECT_EQ(frames[4].imageWidth, 50);
    EXPECT_EQ(movieFrameIndex(frames, 1, 1), 4);
    EXPECT_EQ(movieFrameIndex(frames, 2, 0), -1);
}

TEST(MoviePanel, RenderSettingsRefresh) {
    MoviePanelSettings panel;
    RenderSettings rs;
    panel.ambient = 100;
    refreshRenderSettings(rs, panel, RenderQuality::Medium);
    EXPECT_EQ(rs.brightness, 254);
    panel.ambient = 0;
    refreshRenderSettings(rs, panel, RenderQuality::Low);
    EXPECT_EQ(rs.brightness, -254);
    EXPECT_EQ(rs.smoothShading, 0);
    panel.ambient = 50;
    panel.lightShading = 40;
    panel.backLight = 75;
    panel.reflection = 12;
    panel.lightTurn = 75; // b = π / 4
    panel.lightTilt = 50;
    refreshRenderSettings(rs, panel, RenderQuality::High);
    EXPECT_EQ(rs.brightness, 0);
    EXPECT_EQ(rs.lightIntensity, 120);
    EXPECT_EQ(rs.specular, 12);
    EXPECT_DOUBLE_EQ(rs.backLight, 0.75);
    EXPECT_EQ(rs.smoothShading, 1);
    EXPECT_NEAR(rs.baseLight.x, -std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(rs.baseLight.y, 0, 1e-12);
    EXPECT_NEAR(rs.baseLight.z, -std::sqrt(0.5), 1e-12);
    panel.lightTurn = 50;
    panel.lightTilt = 100; // c = π / 2: light from straight below
    refreshRenderSettings(rs, panel, RenderQuality::High);
    EXPECT_NEAR(rs.baseLight.y, 1, 1e-12);

    // Header words: a project that never set them gets the defaults; set words round-trip.
    MoviePanelWords words;
    const MoviePanelSettings defaults = MoviePanelSettings::fromWords(words);
    EXPECT_EQ(defaults.lightTurn, 50);
    EXPECT_EQ(defaults.backLight, 75);
    panel.followCamera = 1;
    panel.rightButtonDolly = 1;
    panel.toWords(words);
    const MoviePanelSettings back = MoviePanelSettings::fromWords(words);
    EXPECT_EQ(back.lightTilt, 100);
    EXPECT_EQ(back.reflection, 12);
    EXPECT_EQ(back.followCamera, 1);
    EXPECT_EQ(back.rightButtonDolly, 1);
    EXPECT_EQ(back.leftButtonOrbit, 0);
}

} // namespace
} // namespace zx

#include "platform/RecordingPrompter.h"
#include "storage/ProjectFile.h"

namespace zx {
namespace {

TEST(CameraTags, TagsSurviveTheProjectFileWithoutEnteringMovieMode) {
    Project p;
    for (auto [w, h, d] : {std::tuple{200, 100, 6}, {100, 400, 4}}) {
        auto image = std::make_unique<ProjectImage>(w, h, d);
        image->addPictureLayer(RasterImage(w, h), "");
        p.images.append(std::move(image));
    }
    MovieFrames frames = layoutMovieFrames(p, {});
    const TagCurveShapes shapes{};
    ensureFirstFrameTags(frames);
    setZoomTag(frames, shapes, 3, 2.5);
    setOrbitTag(frames, shapes, 8, 10, -20);
    p.cameraValues = snapshotCameraValues(frames);

    auto chunks = buildProjectChunks(p);
    ASSERT_TRUE(chunks);
    RecordingPrompter prompter;
    auto loaded = parseProject(*chunks, prompter);
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(loaded->cameraValues);
    // The loaded project was never in Movie mode; its frame list takes the values back.
    MovieFrames again = layoutMovieFrames(*loaded, {});
    applyCameraValues(again, *loaded->cameraValues, shapes);
    EXPECT_EQ(snapshotCameraValues(again), *p.cameraValues);
    EXPECT_FLOAT_EQ(again[5].camera.zoom, 2.5f);
    EXPECT_EQ(again[8].camera.tagBits, tagBit(CameraTagKind::MoveCamera));
}

} // namespace
} // namespace zx
