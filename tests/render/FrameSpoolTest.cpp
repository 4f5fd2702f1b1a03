// The frame spool: nameless spool files with their index, workers that render every
// frame of an image ahead, and the hand-over that restarts, cancels and ends them.

#include "render/FrameSpool.h"
#include "cli/MovingRectangle.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/PhotoImport.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace zx {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

RasterImage pattern(int w, int h, int seed) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = 0xFF000000u | uint32_t((x * 7 + seed) & 0xFF) << 16 |
                           uint32_t((y * 5) & 0xFF) << 8 | uint32_t((x + y + seed) & 0xFF);
    return img;
}

// An image whose rectangle slides `shift` pixels to the right over its frames.
std::unique_ptr<ProjectImage> slidingImage(int w, int h, int duration, double shift = 12) {
    RasterImage picture = pattern(w, h, 3);
    auto image = buildPhotoImage(picture, "s.png", duration, CanvasColour::Black);
    image->animation =
        testing::movingRectangleRecord(picture, 4, 4, w / 2, h / 2, {8, 8, 0}, {8 + shift, 8, 0});
    return image;
}

bool waitFor(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A folder of its own for one test's spool files, removed afterwards.
struct SpoolFolder {
    fs::path path;
    SpoolFolder() {
        path = fs::temp_directory_path() /
               ("zx-spool-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~SpoolFolder() { fs::remove_all(path); }
    bool empty() const { return fs::is_empty(path); }
};

FrameSpool::Options inFolder(const fs::path& folder) {
    FrameSpool::Options options;
    options.folder = folder;
    return options;
}

RasterImage rendered(const Project& project, int image, int frame, RenderQuality quality) {
    AnimationModel scene;
    EXPECT_TRUE(loadImageScene(project.images[image], scene));
    ProjectFrameRequest request;
    request.image = image;
    request.frame = frame;
    request.view = FrameView::Image;
    request.quality = quality;
    return std::move(renderProjectFrame(project, scene, request)).value();
}

// Counts, per image, how often the workers wrote frame 0 (once per job started).
struct JobLog {
    std::atomic<int> starts[2] = {0, 0};
    FrameSpool::FrameWritten hook() {
        return [this](int image, int frame) {
            if (frame == 0 && image < 2) ++starts[image];
        };
    }
};

TEST(SpoolFile, CancelInAWriteStopsWithinOnePieceAndLeavesTheIndexAsItWas) {
    SpoolFolder folder;
    Result<std::unique_ptr<SpoolFile>> created = SpoolFile::create(folder.path);
    ASSERT_TRUE(created);
    SpoolFile& file = **created;
    EXPECT_TRUE(folder.empty()) << "a spool file has no name";

    const std::vector<uint8_t> small{1, 2, 3, 4, 5};
    std::vector<uint8_t> large(3 * SpoolFile::kPieceSize + 17);
    for (size_t i = 0; i < large.size(); ++i) large[i] = uint8_t(i * 31);
    ASSERT_TRUE(file.append(0, 3, small));

    const std::atomic<int32_t> cancel{1};
    EXPECT_TRUE(file.append(1, 3, large, &cancel).isCancelled());
    EXPECT_EQ(file.framesWritten(), 1);
    EXPECT_LE(file.sizeOnDisk(), small.size() + SpoolFile::kPieceSize);
    EXPECT_FALSE(file.read(1, 3));
    EXPECT_EQ(file.append(2, 3, small).code(), StatusCode::Refused) << "frames go in order";

    ASSERT_TRUE(file.append(1, 3, large));
    EXPECT_EQ(file.read(0, 3)->bytes, small);
    EXPECT_EQ(file.read(1, 3)->bytes, large);
    EXPECT_FALSE(file.read(1, 4)) << "another job's frame count";
    EXPECT_EQ(file.append(3, 3, small).code(), StatusCode::Refused) << "past the frame count";

    // Frame 0 starts the next job over the stale bytes.
    const uint64_t generation = file.read(0, 3)->generation;
    ASSERT_TRUE(file.append(0, 2, large));
    EXPECT_EQ(file.framesWritten(), 1);
    EXPECT_NE(file.read(0, 2)->generation, generation);
    EXPECT_EQ(file.read(0, 2)->bytes, large);
    EXPECT_TRUE(folder.empty());
}

TEST(FrameSpool, SpooledFramesAreTheRenderedFramesAndStillsRepeatEveryTile) {
    SpoolFolder folder;
    Project project;
    project.images.append(slidingImage(40, 30, 4));
    project.images.append(buildPhotoImage(pattern(37, 20, 9), "still.png", 3, CanvasColour::Blue));
    for (RenderQuality quality : {RenderQuality::Medium, RenderQuality::Maximum}) {
        FrameSpool spool(inFolder(folder.path));
        spool.submit(project, 0, quality);
        spool.submit(project, 1, quality);
        ASSERT_TRUE(waitFor([&] { return spool.progress().complete; }));
        EXPECT_EQ(spool.progress().frames, 5 + 4);
        EXPECT_EQ(spool.progress().framesDone, 5 + 4);
        EXPECT_TRUE(folder.empty());
        for (int k = 0; k <= 4; ++k)
            EXPECT_EQ(*spool.getFrame(0, k), rendered(project, 0, k, quality)) << k;
        EXPECT_NE(*spool.getFrame(0, 0), *spool.getFrame(0, 4)) << "the rectangle moves";
        EXPECT_FALSE(spool.getFrame(0, 5));
        const int tiles = ((37 + 15) / 16) * ((20 + 15) / 16);
        for (int k = 0; k <= 3; ++k) {
            EXPECT_EQ(*spool.getFrame(1, k), *project.images[1].layerPicture(kSubjectLayer));
            if (k > 0) {
                EXPECT_EQ(spool.entry(1)->file->read(k, 4)->bytes.size(), 8u + tiles);
            }
        }
    }
    EXPECT_TRUE(folder.empty());
}

// The sample's astronaut has a volume whose shading differs from frame to frame.
TEST(FrameSpool, SpooledFramesOfTheSampleAreItsRenderedFrames) {
    std::unique_ptr<Project> project =
        loadProject(ZX_SAMPLES_DIR "/sample.zxp", testing::silentPrompter());
    ASSERT_TRUE(project);
    project->images[0].setDuration(5);
    FrameSpool spool;
    spool.submit(*project, 0, RenderQuality::Medium);
    ASSERT_TRUE(waitFor([&] { return spool.isComplete(0); }));
    for (int k = 0; k <= 5; ++k)
        EXPECT_EQ(*spool.getFrame(0, k), rendered(*project, 0, k, RenderQuality::Medium)) << k;
}

TEST(FrameSpool, FramesAreReadableOnceWrittenWhileTheJobRuns) {
    Project project;
    project.images.append(slidingImage(32, 32, 5));
    std::atomic<bool> release{false};
    FrameSpool::Options options;
    options.frameWritten = [&release](int, int frame) {
        if (frame == 1)
            while (!release) std::this_thread::yield();
    };
    FrameSpool spool(options);
    spool.submit(project, 0, RenderQuality::Low);
    ASSERT_TRUE(waitFor([&] { return spool.entry(0)->framesDone() == 2; }));
    EXPECT_TRUE(spool.getFrame(0, 1));
    EXPECT_FALSE(spool.getFrame(0, 2));
    EXPECT_FALSE(spool.isComplete(0));
    release = true;
    ASSERT_TRUE(waitFor([&] { return spool.isComplete(0); }));
    EXPECT_EQ(*spool.getFrame(0, 5), rendered(project, 0, 5, RenderQuality::Low));
}

TEST(FrameSpool, OnlyAChangedSourceRestartsAJob) {
    Project project;
    project.images.append(slidingImage(32, 24, 3));
    project.images.append(slidingImage(32, 24, 3, 5));
    JobLog log;
    FrameSpool::Options options;
    options.frameWritten = log.hook();
    FrameSpool spool(options);
    auto submitBoth = [&] {
        for (int i = 0; i < 2; ++i) spool.submit(project, i, RenderQuality::Low);
        return waitFor([&] { return spool.progress().complete; });
    };
    ASSERT_TRUE(submitBoth());
    ASSERT_TRUE(submitBoth());
    EXPECT_EQ(log.starts[0] + log.starts[1], 2) << "the same source twice";

    // A new animation restarts its image only, and the frames follow it.
    project.images[1].animation =
        testing::movingRectangleRecord(pattern(32, 24, 3), 2, 2, 20, 20, {4, 4, 0}, {4, 14, 0});
    ASSERT_TRUE(submitBoth());
    EXPECT_EQ(log.starts[0].load(), 1);
    EXPECT_EQ(log.starts[1].load(), 2);
    EXPECT_EQ(*spool.getFrame(1, 3), rendered(project, 1, 3, RenderQuality::Low));

    // So does a new duration, through resizeAll, and a new quality.
    project.images[0].setDuration(6);
    spool.resizeAll(project);
    ASSERT_TRUE(waitFor([&] { return spool.progress().complete; }));
    EXPECT_EQ(log.starts[0].load(), 2);
    EXPECT_EQ(log.starts[1].load(), 2);
    EXPECT_EQ(*spool.getFrame(0, 6), rendered(project, 0, 6, RenderQuality::Low));
    EXPECT_EQ(*spool.getFrame(0, 2), rendered(project, 0, 2, RenderQuality::Low));
    // From a resubmit on, no frame of the old job is handed out.
    project.images[0].animation =
        testing::movingRectangleRecord(pattern(32, 24, 3), 2, 2, 20, 20, {4, 4, 0}, {4, 14, 0});
    spool.submit(project, 0, RenderQuality::Low);
    for (int k = 0; k <= 6; ++k) {
        if (std::optional<RasterImage> frame = spool.getFrame(0, k)) {
            EXPECT_EQ(*frame, rendered(project, 0, k, RenderQuality::Low)) << k;
        }
    }
    ASSERT_TRUE(waitFor([&] { return spool.progress().complete; }));
    spool.submit(project, 0, RenderQuality::High);
    ASSERT_TRUE(waitFor([&] { return spool.progress().complete; }));
    EXPECT_EQ(log.starts[0].load(), 4);

    // An inactive spool takes nothing.
    spool.setActive(false);
    project.images[1].setDuration(9);
    spool.resizeAll(project);
    spool.submit(project, 1, RenderQuality::High);
    EXPECT_EQ(log.starts[1].load(), 2);
    EXPECT_FALSE(spool.getFrame(1, 9));
}

TEST(FrameSpool, StopAllWithEveryWorkerBusyEndsThemPromptlyAndLeavesNoFile) {
    SpoolFolder folder;
    Project project;
    for (int i = 0; i < 3; ++i) project.images.append(slidingImage(900, 700, 400, 300));
    // Each worker may finish the frame it is drawing, no more: the bound is a few
    // frames' time (three workers share the cores), far below the hundreds queued.
    auto before = Clock::now();
    (void)rendered(project, 0, 1, RenderQuality::Maximum);
    const auto oneFrame = Clock::now() - before;
    FrameSpool spool(inFolder(folder.path));
    for (int i = 0; i < 3; ++i) spool.submit(project, i, RenderQuality::Maximum);
    ASSERT_TRUE(waitFor([&] { return spool.entry(2)->started(); }));
    EXPECT_FALSE(spool.progress().complete);
    before = Clock::now();
    spool.stopAll();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2) + 8 * oneFrame);
    EXPECT_EQ(spool.entryCount(), 0);
    EXPECT_TRUE(folder.empty());
    // A stopped spool starts anew on the next submit.
    project.images[0].setDuration(1);
    spool.submit(project, 0, RenderQuality::Low);
    EXPECT_TRUE(waitFor([&] { return spool.isComplete(0); }));
}

} // namespace
} // namespace zx
