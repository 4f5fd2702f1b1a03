// The movie frame builder: the frame list's layout, the workers' handshake and the
// frames they code, compared with direct renders of the same records.

#include "render/MovieFrameBuilder.h"
#include "render/FrameRenderer.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace zx {
namespace {

RasterImage pattern(int w, int h, int seed) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = 0xFF000000u | uint32_t((x * 7 + seed) & 0xFF) << 16 |
                           uint32_t((y * 5) & 0xFF) << 8 | uint32_t((x + y + seed) & 0xFF);
    return img;
}

// A 32 × 24 movie of images of the given durations; the first has a background layer
// and a camera that zooms in over its frames.
Project movie(std::initializer_list<int> durations) {
    Project p;
    p.movieWidth = 32;
    p.movieHeight = 24;
    int seed = 0;
    for (int duration : durations) {
        auto image = buildPhotoImage(pattern(20, 30, seed), "i.png", duration, CanvasColour::Black);
        if (seed == 0) image->setLayerPicture(kBackgroundLayer, pattern(20, 30, 99));
        p.images.append(std::move(image));
        seed += 40;
    }
    CameraValueBlock cameras;
    for (const CameraFrame& f : projectMovieFrames(p)) cameras.push_back(f.camera);
    if (cameras.size() > 1) {
        cameras.back().zoom = 2;
        cameras.back().lookX = 3;
        cameras.back().tagBits = cameras.front().tagBits;
    }
    p.cameraValues = cameras;
    return p;
}

// Records which frames the workers rendered, per image.
struct RenderLog {
    std::mutex mutex;
    std::map<std::pair<int, int>, int> renders;
    void add(int image, int frame) {
        std::lock_guard lock(mutex);
        ++renders[{image, frame}];
    }
    int count(int image, int frame) {
        std::lock_guard lock(mutex);
        return renders[{image, frame}];
    }
};

bool allCoded(const MovieFrameList& list, int from, int to) {
    for (int i = from; i < to; ++i)
        if (!list.coded(i)) return false;
    return true;
}

bool waitUntilCoded(const MovieFrameList& list, int from, int to) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!allCoded(list, from, to)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void waitUntilIdle(BuilderEntry& entry) {
    while (entry.state() != WorkerState::Idle) std::this_thread::yield();
}

// Frame `index` rendered straight from the project with a scene of its own.
RasterImage directRender(const Project& project, const CameraFrame& record) {
    AnimationModel scene;
    EXPECT_TRUE(loadImageScene(project.images[record.imageIndex], scene));
    applyProjectLight(project, scene, RenderQuality(record.quality));
    std::optional<RasterImage> picture =
        renderFrame(scene, record, project.images[record.imageIndex].duration());
    EXPECT_TRUE(picture);
    for (uint32_t& p : picture->pixelVector()) p |= 0xFF000000u;
    return std::move(*picture);
}

TEST(MovieFrameList, RecordsInMovieOrderWithFirstFramesAndDoubledAtMaximum) {
    const Project project = movie({3, 1, 2});
    for (RenderQuality quality : {RenderQuality::Medium, RenderQuality::Maximum}) {
        MovieFrameBuilder builder;
        FrameLayoutSettings layout;
        layout.quality = quality;
        ASSERT_TRUE(builder.rebuildMovieFrameList(project, layout));
        const MovieFrameList& list = builder.frames();
        ASSERT_EQ(list.size(), 6);
        EXPECT_EQ(builder.entryCount(), 3);
        const int factor = quality == RenderQuality::Maximum ? 2 : 1;
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < project.images[j].duration(); ++k) {
                const CameraFrame& r = list[list.firstFrame(j) + k];
                EXPECT_EQ(r.imageIndex, j);
                EXPECT_EQ(r.frameIndex, k);
                EXPECT_EQ(r.firstFrame, k == 0 ? 1 : 0);
                EXPECT_EQ(r.width, 32 * factor);
                EXPECT_EQ(r.height, 24 * factor);
                EXPECT_EQ(r.imageWidth, 20);
                // The same cameras the project's own movie frames have.
                EXPECT_EQ(r.camera,
                          projectMovieFrames(project)[size_t(list.firstFrame(j) + k)].camera);
            }
        }
        // Whatever the quality, a frame leaves at the movie size.
        std::optional<RasterImage> frame = builder.getMovieFrameImage(project, 5);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->width(), 32);
        EXPECT_EQ(frame->height(), 24);
    }
}

TEST(MovieFrameBuilder, DurationOneImageIsOneFrameCodedWithoutReference) {
    const Project project = movie({1});
    MovieFrameBuilder builder;
    ASSERT_TRUE(builder.rebuildMovieFrameList(project, {}));
    ASSERT_EQ(builder.frames().size(), 1);
    builder.buildAll(project);
    ASSERT_TRUE(waitUntilCoded(builder.frames(), 0, 1));
    // A coding with reference blocks cannot be decoded without its reference.
    std::optional<RasterImage> decoded = unpackImage(*builder.frames().coded(0));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*builder.getMovieFrameImage(project, 0), directRender(project, builder.frames()[0]));
}

TEST(MovieFrameBuilder, BuiltAndOnDemandFramesEqualDirectRendersOfTheirRecords) {
    const Project project = movie({4, 3});
    MovieFrameBuilder builder;
    FrameLayoutSettings layout;
    layout.quality = RenderQuality::Medium;
    ASSERT_TRUE(builder.rebuildMovieFrameList(project, layout));
    const MovieFrameList& list = builder.frames();
    // Frame 2 of image 0 asked for before any worker ran: built here, with its frame 0.
    const int asked = list.indexOf(0, 2);
    const PackedImage* onDemand = builder.getCodedFrame(project, asked);
    ASSERT_TRUE(onDemand);
    EXPECT_TRUE(list.coded(list.firstFrame(0)));
    EXPECT_FALSE(list.coded(list.indexOf(0, 1)));

    RenderLog log;
    for (int j = 0; j < 2; ++j)
        builder.entry(j)->setRenderedHook([&log](int image, int frame) { log.add(image, frame); });
    builder.buildAll(project);
    ASSERT_TRUE(waitUntilCoded(list, 0, list.size()));
    // The worker skipped what the main thread built, and kept it.
    EXPECT_EQ(log.count(0, 0), 0);
    EXPECT_EQ(log.count(0, 2), 0);
    EXPECT_EQ(log.count(0, 1), 1);
    EXPECT_EQ(list.coded(asked), onDemand);
    for (int i = 0; i < list.size(); ++i)
        EXPECT_EQ(*builder.getMovieFrameImage(project, i), directRender(project, list[i])) << i;
    // And what the command line renders for the same frame.
    ProjectFrameRequest request;
    request.image = 1;
    request.frame = 2;
    request.quality = RenderQuality::Medium;
    EXPECT_EQ(*renderProjectFrame(project, *builder.entry(1)->scene, request),
              *builder.getMovieFrameImage(project, list.indexOf(1, 2)));
}

TEST(MovieFrameBuilder, WorkersSharingAnImageSplitItsFramesAndCodeTheSame) {
    const Project project = movie({7, 3});
    MovieFrameBuilder single, shared({}, 3);
    ASSERT_TRUE(single.rebuildMovieFrameList(project, {}));
    ASSERT_TRUE(shared.rebuildMovieFrameList(project, {}));
    EXPECT_EQ(shared.entryCount(), 2);
    single.buildImage(project, 0);
    shared.buildImage(project, 0, 4); // frame 0, then 4 … 6
    ASSERT_TRUE(waitUntilCoded(single.frames(), 0, 7));
    ASSERT_TRUE(waitUntilCoded(shared.frames(), 4, 7));
    for (int lane = 0; lane < 3; ++lane) waitUntilIdle(*shared.entry(0, lane));
    EXPECT_TRUE(shared.imageBuilt(0, 4));
    EXPECT_FALSE(shared.imageBuilt(0));
    EXPECT_FALSE(single.imageBuilt(1)); // image 1 only on demand
    for (int i = 0; i < single.frames().size(); ++i)
        EXPECT_EQ(*shared.getMovieFrameImage(project, i), *single.getMovieFrameImage(project, i))
            << i;
    // Every worker of an image ends with it.
    shared.destroyAll();
    EXPECT_EQ(shared.entry(0, 2), nullptr);
}

// Holds the worker after frame `frame` until a command is posted, so that the command
// is taken at the next frame boundary; returns once the worker is held.
void buildHeldAfter(MovieFrameBuilder& builder, const Project& project, RenderLog& log, int frame) {
    BuilderEntry* entry = builder.entry(0);
    std::atomic<bool> held{false};
    entry->setRenderedHook([entry, &log, &held, frame](int image, int rendered) {
        log.add(image, rendered);
        if (rendered != frame || log.count(image, rendered) != 1) return;
        held = true;
        while (!entry->commandPending()) std::this_thread::yield();
    });
    builder.buildAll(project);
    while (!held) std::this_thread::yield();
}

TEST(MovieFrameBuilder, BuildDuringABuildIsTakenAndTheBuildGoesOnWhileStopEndsIt) {
    const Project project = movie({6});
    {
        MovieFrameBuilder builder;
        ASSERT_TRUE(builder.rebuildMovieFrameList(project, {}));
        RenderLog log;
        buildHeldAfter(builder, project, log, 1);
        builder.entry(0)->post(BuilderCommand::Build, 0);
        ASSERT_TRUE(waitUntilCoded(builder.frames(), 0, 6));
        for (int k = 0; k < 6; ++k) EXPECT_EQ(log.count(0, k), 1) << k;
    }
    MovieFrameBuilder builder;
    ASSERT_TRUE(builder.rebuildMovieFrameList(project, {}));
    RenderLog log;
    buildHeldAfter(builder, project, log, 1);
    builder.stopImage(0);
    // Stopped after the frame it was on; the rest waits for the next build.
    EXPECT_TRUE(allCoded(builder.frames(), 0, 2));
    EXPECT_FALSE(builder.frames().coded(2));
    EXPECT_EQ(builder.entry(0)->state(), WorkerState::Idle);
    builder.buildAll(project);
    ASSERT_TRUE(waitUntilCoded(builder.frames(), 0, 6));
    EXPECT_EQ(log.count(0, 2), 1);
}

TEST(MovieFrameBuilder, FrameZeroLostWhileFrameIsRenderedRestartsFromFrameZero) {
    const Project project = movie({4});
    MovieFrameBuilder builder;
    ASSERT_TRUE(builder.rebuildMovieFrameList(project, {}));
    MovieFrameList& list = builder.frames();
    RenderLog log;
    builder.entry(0)->setRenderedHook([&log, &list](int image, int frame) {
        log.add(image, frame);
        if (frame == 2 && log.count(image, 2) == 1) list.dropCoded(list.firstFrame(image));
    });
    builder.buildAll(project);
    ASSERT_TRUE(waitUntilCoded(list, 0, 4));
    waitUntilIdle(*builder.entry(0));
    EXPECT_EQ(log.count(0, 0), 2);
    EXPECT_EQ(log.count(0, 1), 1); // still coded: skipped on the second pass
    EXPECT_EQ(log.count(0, 2), 2);
    EXPECT_EQ(log.count(0, 3), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(*builder.getMovieFrameImage(project, i), directRender(project, list[i])) << i;
}

TEST(MovieFrameBuilder, PauseResumeAndDestroyWhileBuildingEndEveryWorker) {
    const Project project = movie({12, 12, 12});
    MovieFrameBuilder builder;
    ASSERT_TRUE(builder.rebuildMovieFrameList(project, {}));
    builder.buildAll(project);
    builder.pauseAll();
    for (int j = 0; j < 3; ++j) {
        // Paused inside its build, or already done with it: either way not rendering.
        EXPECT_EQ(builder.entry(j)->state(), WorkerState::Idle) << j;
    }
    builder.resumeAll();
    builder.destroyAll();
    EXPECT_EQ(builder.entryCount(), 0);
    // Quitting again, or with nothing running, is harmless.
    builder.destroyAll();
}

} // namespace
} // namespace zx
