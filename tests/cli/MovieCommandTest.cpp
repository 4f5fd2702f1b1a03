// The movie subcommands of zelvotrix-cli on a tiny project of two images (the first
// animated, a zoom tag on the whole movie): export-movie read back with ffprobe,
// render-movie split into ranges against one run, export-image against render-movie
// and render, import-video, and exports that fail or are interrupted.

#include "MovingRectangle.h"
#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "output/OutputTestSupport.h"
#include "platform/RecordingPrompter.h"
#include "platform/SafeFile.h"
#include "render/CameraTags.h"
#include "storage/ImageFile.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zx {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;
using test::ToolRun;

constexpr int kW = 32, kH = 24, kFps = 10;
constexpr int kFrames = 4 + 3; // the two images' durations

RasterImage photo(int seed) {
    RasterImage p(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            p.at(x, y) = 0xFF000000u | uint32_t(x * 7 + seed) << 16 | uint32_t(y * 9) << 8 |
                         uint32_t((x + y + seed) & 0xFF);
    return p;
}

// A rectangle of the photograph that moves 12 pixels right over the image's frames.
std::vector<uint32_t> movingRectangle(const RasterImage& picture) {
    return testing::movingRectangleRecord(picture, 4, 4, 12, 14, {8, 9, 0}, {20, 9, 0});
}

class MovieCommands : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(dir_ / "settings.conf") << "[Settings]\nVideoRender=1\nJPEGquality=3\n";
        Project p;
        p.movieWidth = kW;
        p.movieHeight = kH;
        p.fps = kFps;
        auto first = buildPhotoImage(photo(0), "first.png", 4, CanvasColour::Black);
        first->animation = movingRectangle(photo(0));
        p.images.append(std::move(first));
        p.images.append(buildPhotoImage(photo(90), "second.png", 3, CanvasColour::Black));
        MovieFrames frames = layoutMovieFrames(p, {});
        ensureFirstFrameTags(frames);
        setZoomTag(frames, {}, 0, 1.5);
        p.cameraValues = snapshotCameraValues(frames);
        RecordingPrompter prompter;
        ASSERT_TRUE(saveProject(p, project_, prompter));
    }

    // Runs zelvotrix-cli with the test's settings; `before` goes ahead of it (a
    // wrapper such as env or timeout).
    ToolRun cli(std::vector<std::string> args, std::vector<std::string> before = {}) {
        std::vector<std::string> argv = std::move(before);
        argv.insert(argv.end(),
                    {ZX_CLI_PATH, "--yes", "--settings", (dir_ / "settings.conf").string()});
        argv.insert(argv.end(), args.begin(), args.end());
        return test::runTool(argv);
    }

    static std::string bytesOf(const fs::path& path) {
        const auto bytes = readWholeFile(path);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size())
                     : std::string();
    }
    static RasterImage picture(const fs::path& path) {
        auto image = loadImage(path, nullptr);
        return image ? *image : RasterImage();
    }

    ScratchFolder dir_;
    const fs::path project_ = dir_ / "movie.zxp";
};

TEST_F(MovieCommands, ExportedMoviesHaveTheirFramesSizeAndRate) {
    for (const char* name : {"m.avi", "m.wmv", "m.mov", "m.flv", "m.mp4"}) {
        SCOPED_TRACE(name);
        const ToolRun run = cli({"export-movie", project_.string(), "-o", (dir_ / name).string()});
        ASSERT_EQ(run.status, 0) << run.output;
        const auto facts = test::probeFacts(dir_ / name);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->frames, kFrames);
        EXPECT_EQ(facts->width, kW);
        EXPECT_EQ(facts->height, kH);
        EXPECT_EQ(facts->frameRate, "10/1");
    }
    // Markers 2 … 5 and one second and one frame of black, rendered at Maximum (twice
    // the size, halved): still the movie size.
    const fs::path cut = dir_ / "cut.avi";
    const ToolRun run = cli({"export-movie", project_.string(), "-o", cut.string(), "--markers",
                             "2:5", "--black-trailer", "--max-quality"});
    ASSERT_EQ(run.status, 0) << run.output;
    const auto facts = test::probeFacts(cut);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->frames, 4 + kFps + 1);
    EXPECT_EQ(facts->width, kW);
}

TEST_F(MovieCommands, FramesRenderedInRangesMakeTheSameMovie) {
    const fs::path whole = dir_ / "whole", pieces = dir_ / "pieces";
    ToolRun run = cli({"render-movie", project_.string(), "-o", whole.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    // Three ranges, each a fresh run; the middle one crosses from image 0 to image 1.
    for (const char* range : {"0:1", "2:5", "6:6"}) {
        run = cli({"render-movie", project_.string(), "--frames", range, "-o", pieces.string()});
        ASSERT_EQ(run.status, 0) << run.output;
    }
    for (int i = 0; i < kFrames; ++i) {
        const std::string name = "frame_0000" + std::to_string(i) + ".png";
        ASSERT_FALSE(bytesOf(whole / name).empty()) << name;
        EXPECT_EQ(bytesOf(whole / name), bytesOf(pieces / name)) << name;
    }
    EXPECT_FALSE(fs::exists(whole / "frame_00007.png"));

    // Put together they are the movie the project exports.
    const fs::path assembled = dir_ / "assembled.avi", direct = dir_ / "direct.avi";
    run = cli({"export-movie", "--from-frames", pieces.string(), "-o", assembled.string(), "--fps",
               std::to_string(kFps)});
    ASSERT_EQ(run.status, 0) << run.output;
    run = cli({"export-movie", project_.string(), "-o", direct.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(bytesOf(assembled), bytesOf(direct));

    // A hole in the frames is found before anything is written.
    fs::remove(pieces / "frame_00003.png");
    const fs::path holed = dir_ / "holed.mp4";
    run = cli({"export-movie", "--from-frames", pieces.string(), "-o", holed.string()});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("frame_00003.png is missing"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(holed));
}

TEST_F(MovieCommands, AnyNumberOfWorkersMakesTheSameMovie) {
    const fs::path one = dir_ / "one.avi", three = dir_ / "three.avi";
    const fs::path frames1 = dir_ / "f1", frames4 = dir_ / "f4";
    ASSERT_EQ(cli({"export-movie", project_.string(), "-o", one.string()}).status, 0);
    ASSERT_EQ(
        cli({"export-movie", project_.string(), "-o", three.string(), "--workers", "3"}).status, 0);
    EXPECT_EQ(bytesOf(one), bytesOf(three));
    ASSERT_EQ(cli({"render-movie", project_.string(), "-o", frames1.string()}).status, 0);
    ASSERT_EQ(
        cli({"render-movie", project_.string(), "-o", frames4.string(), "--workers", "4"}).status,
        0);
    for (int i = 0; i < kFrames; ++i) {
        const std::string name = "frame_0000" + std::to_string(i) + ".png";
        EXPECT_EQ(bytesOf(frames1 / name), bytesOf(frames4 / name)) << name;
    }
}

TEST_F(MovieCommands, AnExportedImageIsTheMovieFrame) {
    const fs::path frames = dir_ / "frames", still = dir_ / "still.png", jpeg = dir_ / "s.jpg";
    ASSERT_EQ(
        cli({"render-movie", project_.string(), "--frames", "5", "-o", frames.string()}).status, 0);
    ToolRun run = cli({"export-image", project_.string(), "--frame", "5", "-o", still.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    const RasterImage frame = picture(frames / "frame_00005.png");
    ASSERT_EQ(frame.width(), kW);
    EXPECT_EQ(picture(still).pixelVector(), frame.pixelVector());
    // Movie frame 5 is frame 1 of image 1, as render draws it at the same quality.
    const fs::path rendered = dir_ / "rendered.png";
    run = cli({"render", project_.string(), "--image", "1", "--frame", "1", "--quality", "1", "-o",
               rendered.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(picture(rendered).pixelVector(), frame.pixelVector());

    run = cli({"export-image", project_.string(), "--frame", "5", "-o", jpeg.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(picture(jpeg).width(), kW);

    run = cli({"export-image", project_.string(), "--frame", "7", "-o", still.string() + "2"});
    EXPECT_NE(run.status, 0);
    run = cli({"export-image", project_.string(), "--frame", "0", "-o", (dir_ / "x.bmp").string()});
    EXPECT_NE(run.output.find("Invalid file extension, expected .jpg or .png"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "x.bmp"));
}

TEST_F(MovieCommands, AVideoBecomesAProjectOfItsFirstFrame) {
    const fs::path video = dir_ / "clip one.mov";
    ASSERT_TRUE(test::makeTestVideo(video, "48x40", 25, 1));
    const fs::path made = dir_ / "made.zxp", viaNew = dir_ / "new.zxp";
    ToolRun run = cli({"import-video", video.string(), "-o", made.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    run = cli({"info", made.string()});
    EXPECT_NE(run.output.find("48 x 40"), std::string::npos) << run.output;
    // `new` takes videos too.
    run = cli({"new", video.string(), "-o", viaNew.string()});
    ASSERT_EQ(run.status, 0) << run.output;

    std::ofstream(dir_ / "junk.mp4") << "no video in here";
    for (const char* name : {"junk.mp4", "missing.mp4"}) {
        run = cli({"import-video", (dir_ / name).string(), "-o", (dir_ / "bad.zxp").string()});
        EXPECT_NE(run.status, 0);
        EXPECT_FALSE(fs::exists(dir_ / "bad.zxp"));
    }
    EXPECT_NE(run.output.find("missing.mp4"), std::string::npos) << run.output;
    run = cli({"import-video", (dir_ / "junk.mp4").string(), "-o", (dir_ / "bad.zxp").string()});
    EXPECT_NE(run.output.find("Not a valid video file, or format not supported"), std::string::npos)
        << run.output;
}

TEST_F(MovieCommands, FailedOrInterruptedExportsLeaveNoFile) {
    ScratchFolder temporary;
    const fs::path out = dir_ / "out.mp4";
    // No encoder: the AVI export still works, the others fail and leave nothing.
    ToolRun run =
        cli({"export-movie", project_.string(), "-o", out.string()},
            {"env", "ZX_FFMPEG=/nonexistent/ffmpeg", "TMPDIR=" + temporary.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Video conversion failed!!!"), std::string::npos) << run.output;

    // An encoder that hangs, interrupted as Ctrl+C would.
    const fs::path hanging = dir_ / "hanging-encoder";
    std::ofstream(hanging) << "#!/bin/sh\nexec sleep 60\n";
    fs::permissions(hanging, fs::perms::owner_all);
    const auto started = std::chrono::steady_clock::now();
    run = cli({"export-movie", project_.string(), "-o", out.string()},
              {"timeout", "--preserve-status", "-s", "INT", "2", "env",
               "ZX_FFMPEG=" + hanging.string(), "TMPDIR=" + temporary.path().string()});
    EXPECT_EQ(run.status, 130) << run.output;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));

    fs::remove(hanging);
    EXPECT_EQ(dir_.names(), (std::vector<std::string>{"movie.zxp", "settings.conf"}));
    EXPECT_TRUE(temporary.names().empty());
}

} // namespace
} // namespace zx
