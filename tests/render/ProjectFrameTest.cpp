// Frames of project images as every caller renders them: the framing that fits the
// whole image into any output, the movie's frames and cameras, and the refusals.

#include "render/ProjectFrame.h"
#include "render/ImageScene.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

uint32_t patternPixel(int x, int y) {
    return 0xFF000000u | uint32_t((x * 3) & 0xFF) << 16 | uint32_t((y * 5) & 0xFF) << 8 |
           uint32_t((x + y) & 0xFF);
}

RasterImage pattern(int w, int h) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = patternPixel(x, y);
    return img;
}

// A movie of 64 × 48 holding a tall image (40 × 60, duration 4) whose background
// layer is the pattern, then a wide one (80 × 20, duration 3).
ProjectFrameRequest request(int image, int frame, int width = 0, int height = 0) {
    ProjectFrameRequest r;
    r.image = image;
    r.frame = frame;
    r.width = width;
    r.height = height;
    return r;
}

Project tallAndWide() {
    Project p;
    p.movieWidth = 64;
    p.movieHeight = 48;
    auto tall = buildPhotoImage(pattern(40, 60), "tall.png", 4, CanvasColour::Black);
    tall->setLayerPicture(kBackgroundLayer, pattern(40, 60));
    p.images.append(std::move(tall));
    p.images.append(buildPhotoImage(pattern(80, 20), "wide.png", 3, CanvasColour::Black));
    return p;
}

TEST(FrameWindow, WholeImageFitsAnyOutputAndScalesWithIt) {
    for (auto [w, h] : {std::pair{40, 60}, {80, 20}, {64, 48}, {512, 512}}) {
        for (auto [fw, fh] : {std::pair{64, 48}, {640, 480}, {32, 90}}) {
            const CameraFrame frame = makeCameraFrame(fw, fh, w, h, 0, 0, {});
            const FrameWindow a = frameWindow(frame, w, h);
            // All of the image in view, touching two opposite sides of the output.
            EXPECT_GE(a.outputX(0), -1e-9);
            EXPECT_GE(a.outputY(0), -1e-9);
            EXPECT_LE(a.outputX(w), fw + 1e-9);
            EXPECT_LE(a.outputY(h), fh + 1e-9);
            const bool fillsWidth = std::abs(a.outputX(w) - a.outputX(0) - fw) < 1e-9;
            const bool fillsHeight = std::abs(a.outputY(h) - a.outputY(0) - fh) < 1e-9;
            EXPECT_TRUE(fillsWidth || fillsHeight) << w << "x" << h << " in " << fw << "x" << fh;
            // Centred.
            EXPECT_NEAR(a.outputX(w / 2.0), fw / 2.0, 1e-9);
            EXPECT_NEAR(a.outputY(h / 2.0), fh / 2.0, 1e-9);

            // Three times the output: the same image points at three times the place.
            CameraFrame big = makeCameraFrame(3 * fw, 3 * fh, w, h, 0, 0, {});
            big.camera.zoom = 1.5f;
            big.camera.lookX = 4;
            CameraFrame small = makeCameraFrame(fw, fh, w, h, 0, 0, {});
            small.camera = big.camera;
            const FrameWindow b = frameWindow(big, w, h), s = frameWindow(small, w, h);
            EXPECT_NEAR(b.scale, 3 * s.scale, 1e-9);
            EXPECT_NEAR(b.left, s.left, 1e-9);
            EXPECT_NEAR(b.top, s.top, 1e-9);
        }
    }
}

TEST(ProjectFrame, MovieFramesMapToImageFramesAndTheirCameras) {
    Project p = tallAndWide();
    const MovieFrames frames = projectMovieFrames(p);
    ASSERT_EQ(frames.size(), 7u);
    for (int m = 0; m < 7; ++m) {
        const auto at = locateMovieFrame(p, m);
        ASSERT_TRUE(at);
        EXPECT_EQ(movieFrameIndex(frames, at->image, at->frame), m);
    }
    EXPECT_FALSE(locateMovieFrame(p, 7));
    EXPECT_FALSE(locateMovieFrame(p, -1));

    // A zoom tag on the last frame of image 0: the end pose keeps that frame's camera.
    MovieFrames tagged = projectMovieFrames(p);
    setZoomTag(tagged, {}, 3, 2.0);
    p.cameraValues = snapshotCameraValues(tagged);
    EXPECT_FLOAT_EQ(movieCamera(p, 0, 3).zoom, 2.0f);
    EXPECT_EQ(movieCamera(p, 0, 4), movieCamera(p, 0, 3));
    EXPECT_FLOAT_EQ(movieCamera(p, 0, 0).zoom, 1.0f);
}

TEST(ProjectFrame, RequestsOutsideTheProjectAreRefused) {
    const Project p = tallAndWide();
    auto refused = [&](ProjectFrameRequest r) {
        const Status s = checkFrameRequest(p, r);
        return s.code() == StatusCode::Refused && !s.message().empty();
    };
    EXPECT_TRUE(refused(request(2, 0)));
    EXPECT_TRUE(refused(request(-1, 0)));
    EXPECT_TRUE(refused(request(1, 4)));
    EXPECT_TRUE(refused(request(1, -1)));
    EXPECT_TRUE(refused(request(0, 0, 5000, 100)));
    EXPECT_TRUE(refused(request(0, 0, 64, 0)));
    EXPECT_TRUE(checkFrameRequest(p, request(1, 3)).isOk()) << "the end pose";

    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(p.images[0], scene).isOk());
    EXPECT_EQ(renderProjectFrame(p, scene, request(5, 0)).status().code(), StatusCode::Refused);
}

TEST(ProjectFrame, SameFrameAtTwoSizesAgreesAfterScaling) {
    const Project p = tallAndWide();
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(p.images[0], scene).isOk());
    const Result<RasterImage> small = renderProjectFrame(p, scene, request(0, 2));
    const Result<RasterImage> big = renderProjectFrame(p, scene, request(0, 2, 128, 96));
    ASSERT_TRUE(small && big);
    ASSERT_EQ(small->width(), 64);
    ASSERT_EQ(big->width(), 128);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(big->at(2 * x, 2 * y), small->at(x, y)) << x << "," << y;

    // The whole tall image in view: fitted to the height (scale 0.8), centred across.
    EXPECT_EQ(small->at(32, 0), patternPixel(20, 0));
    EXPECT_EQ(small->at(32, 47), patternPixel(20, 58));
    EXPECT_EQ(small->at(15, 24), 0xFF000000u) << "the canvas beside the image";
}

TEST(ProjectFrame, ImageViewAtTheImageSizeAndMaximumComesBackOpaque) {
    const Project p = tallAndWide();
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(p.images[0], scene).isOk());
    ProjectFrameRequest maximum = request(0, 0);
    maximum.quality = RenderQuality::Maximum;
    maximum.view = FrameView::Image;
    const Result<RasterImage> image = renderProjectFrame(p, scene, maximum);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 40);
    EXPECT_EQ(image->height(), 60);
    maximum.view = FrameView::Movie;
    const Result<RasterImage> movie = renderProjectFrame(p, scene, maximum);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->width(), 64);
    EXPECT_EQ(movie->height(), 48);
    for (const RasterImage* r : {&*image, &*movie})
        for (uint32_t px : r->pixelVector()) ASSERT_EQ(px >> 24, 0xFFu);
}

} // namespace
} // namespace zx
