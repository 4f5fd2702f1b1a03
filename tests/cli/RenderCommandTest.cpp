// zelvotrix-cli render on projects built here: exact pixels of the written frames,
// the frame range, the end pose, and refusals of bad arguments.

#include "MovingRectangle.h"
#include "SilentTestPrompter.h"
#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "platform/RecordingPrompter.h"
#include "render/CameraTags.h"
#include "storage/ImageFile.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zx {
namespace {

namespace fs = std::filesystem;

constexpr int kW = 64, kH = 48;

uint32_t patternPixel(int x, int y) {
    return 0xFF000000u | uint32_t(x * 3) << 16 | uint32_t(y * 5) << 8 | uint32_t((x + y) & 0xFF);
}

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("zx_render_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // One photograph image of duration 10 holding a rectangle cut from it (10..18 ×
    // 8..20) whose single dot moves 40 pixels right along a straight line.
    fs::path writeProject(bool withTags = false) {
        RasterImage photo(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) photo.at(x, y) = patternPixel(x, y);
        Project p;
        p.movieWidth = kW;
        p.movieHeight = kH;
        p.canvasColour = CanvasColour::Black; // every image takes the project's
        auto image = buildPhotoImage(photo, "photo.png", 10, CanvasColour::Black);

        image->animation =
            testing::movingRectangleRecord(photo, 10, 8, 18, 20, {14, 14, 0}, {54, 14, 0});
        p.images.append(std::move(image));

        if (withTags) {
            MovieFrames frames = layoutMovieFrames(p, {});
            ensureFirstFrameTags(frames);
            setZoomTag(frames, {}, 0, 2); // the whole movie at zoom 2
            p.cameraValues = snapshotCameraValues(frames);
        }
        RecordingPrompter prompter;
        const fs::path path = dir_ / "scene.zxp";
        EXPECT_TRUE(saveProject(p, path, prompter));
        return path;
    }

    // Runs `render` (or another subcommand) with the test's own settings; stdout and
    // stderr go to files, so neither is a terminal.
    int run(const std::string& args, const std::string& subcommand = "render") {
        if (!fs::exists(dir_ / "settings.conf")) writeSettings("");
        const std::string cmd = std::string(ZX_CLI_PATH) + " --settings " +
                                (dir_ / "settings.conf").string() + " " + subcommand + " " + args +
                                " >" + (dir_ / "stdout.txt").string() + " 2>" +
                                (dir_ / "stderr.txt").string();
        return std::system(cmd.c_str());
    }

    void writeSettings(const std::string& lines) {
        std::ofstream(dir_ / "settings.conf") << "[Settings]\n" << lines;
    }

    std::string fileText(const fs::path& path) {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string stderrText() { return fileText(dir_ / "stderr.txt"); }
    std::string stdoutText() { return fileText(dir_ / "stdout.txt"); }

    RasterImage readPicture(const fs::path& path) {
        auto img = loadImage(path, nullptr);
        EXPECT_TRUE(img) << path;
        return img ? *img : RasterImage();
    }

    fs::path dir_;
};

TEST_F(RenderCommand, FramesShowTheObjectWhereItsDotTakesIt) {
    const fs::path project = writeProject();
    const fs::path first = dir_ / "first.png", last = dir_ / "end.png", half = dir_ / "half.png";
    ASSERT_EQ(run(project.string() + " --image 0 --frame 0 --quality 0 -o " + first.string()), 0)
        << stderrText();
    ASSERT_EQ(run(project.string() + " --image 0 --frame 5 --quality 1 -o " + half.string()), 0);
    // Frame 10 of a 10-frame image is the end pose.
    ASSERT_EQ(run(project.string() + " --image 0 --frame 10 --quality 0 -o " + last.string()), 0);

    RasterImage a = readPicture(first), e = readPicture(last), h = readPicture(half);
    ASSERT_EQ(a.width(), kW);
    ASSERT_EQ(a.height(), kH);
    // The object over the black canvas; the transparent background layer adds nothing.
    EXPECT_EQ(a.at(12, 10), patternPixel(12, 10));
    EXPECT_EQ(e.at(52, 10), patternPixel(12, 10));
    EXPECT_EQ(e.at(12, 10), 0xFF000000u);
    EXPECT_EQ(h.at(32, 10), patternPixel(12, 10));
    EXPECT_EQ(h.at(12, 10), 0xFF000000u);
}

TEST_F(RenderCommand, CameraTagsOfTheProjectAreUsed) {
    const fs::path project = writeProject(true);
    const fs::path out = dir_ / "zoomed.png";
    ASSERT_EQ(run(project.string() + " --image 0 --frame 0 --quality 0 -o " + out.string()), 0)
        << stderrText();
    RasterImage z = readPicture(out);
    // Zoom 2 about the image centre: image point (16, 12) lands on pixel 0, so the
    // rectangle's texel (12, 10) is at ((12 − 16) × 2, …) — outside; (16, 12) at 0.
    EXPECT_EQ(z.at(0, 0), patternPixel(16, 12));
    EXPECT_EQ(z.at(2, 0), patternPixel(17, 12));
}

TEST_F(RenderCommand, SizeQualityJpegAndAllFrames) {
    const fs::path project = writeProject();
    const fs::path big = dir_ / "big.png", jpg = dir_ / "frame.jpg";
    ASSERT_EQ(
        run(project.string() + " --image 0 --frame 0 --quality 3 --size 128x96 -o " + big.string()),
        0)
        << stderrText();
    RasterImage b = readPicture(big);
    EXPECT_EQ(b.width(), 128);
    EXPECT_EQ(b.height(), 96);
    EXPECT_EQ(b.at(0, 0) >> 24, 0xFFu) << "frames are written opaque";
    ASSERT_EQ(run(project.string() + " --image 0 --frame 3 --quality 1 -o " + jpg.string()), 0);
    EXPECT_EQ(readPicture(jpg).width(), kW);

    const fs::path frames = dir_ / "frames";
    ASSERT_EQ(run(project.string() + " --image 0 --quality 0 --all-frames " + frames.string()), 0)
        << stderrText();
    int count = 0;
    for (const auto& entry : fs::directory_iterator(frames))
        count += entry.path().extension() == ".png";
    EXPECT_EQ(count, 10);
    EXPECT_TRUE(fs::exists(frames / "frame_00000.png"));
    EXPECT_TRUE(fs::exists(frames / "frame_00009.png"));

    const fs::path bare = dir_ / "bare.png";
    ASSERT_EQ(run(project.string() + " --image 0 --quality 0 --no-objects -o " + bare.string()), 0);
    EXPECT_EQ(readPicture(bare).at(12, 10), 0xFF000000u);
}

TEST_F(RenderCommand, BadArgumentsFailWithoutWriting) {
    const fs::path project = writeProject();
    const fs::path out = dir_ / "x.png";
    EXPECT_NE(run(project.string() + " --image 3 -o " + out.string()), 0);
    EXPECT_NE(stderrText().find("no image 3"), std::string::npos);
    EXPECT_NE(run(project.string() + " --image 0 --frame 11 -o " + out.string()), 0);
    EXPECT_NE(run(project.string() + " --image 0 --frame -1 -o " + out.string()), 0);
    EXPECT_NE(run(project.string() + " --image 0 --quality 4 -o " + out.string()), 0);
    EXPECT_NE(run(project.string() + " --image 0 --size 0x10 -o " + out.string()), 0);
    EXPECT_NE(run(project.string() + " --image 0 --size 5000x100 -o " + out.string()), 0);
    EXPECT_NE(run(project.string() + " --image 0 -o " + (dir_ / "x.bmp").string()), 0);
    EXPECT_NE(run(project.string() + " --image 0"), 0);
    EXPECT_FALSE(fs::exists(out));

    const fs::path junk = dir_ / "junk.zxp";
    std::ofstream(junk) << "not a project";
    EXPECT_NE(run(junk.string() + " --image 0 -o " + out.string()), 0);
    EXPECT_NE(stderrText().find("Not a valid Zelvotrix project"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

// The bounding box of the pixels that differ from `canvas`: left, top, right, bottom.
std::array<int, 4> extent(const RasterImage& r, uint32_t canvas) {
    std::array<int, 4> box{r.width(), r.height(), -1, -1};
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (r.at(x, y) != canvas)
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                       std::max(box[3], y)};
    return box;
}

TEST_F(RenderCommand, SizeScalesTheWholeFrameInsteadOfCuttingIt) {
    const fs::path project = writeProject();
    const fs::path normal = dir_ / "normal.png", twice = dir_ / "twice.png",
                   square = dir_ / "square.png";
    const std::string frame0 = project.string() + " --image 0 --frame 0 --quality 0";
    ASSERT_EQ(run(frame0 + " -o " + normal.string()), 0) << stderrText();
    ASSERT_EQ(run(frame0 + " --size 128x96 -o " + twice.string()), 0) << stderrText();
    ASSERT_EQ(run(frame0 + " --size 32x32 -o " + square.string()), 0) << stderrText();
    const RasterImage a = readPicture(normal), b = readPicture(twice), c = readPicture(square);
    ASSERT_EQ(b.width(), 128);
    ASSERT_EQ(c.height(), 32);

    // The same frame at twice the size is the same picture at twice the scale.
    int differing = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) differing += b.at(2 * x, 2 * y) != a.at(x, y);
    EXPECT_LE(differing, kW * kH / 100) << "only the object's edge pixels may round apart";

    // In a square output the whole image shows at half scale between bands of canvas,
    // and the object where that puts it.
    const auto box = extent(a, 0xFF000000u), small = extent(c, 0xFF000000u);
    ASSERT_GE(box[2], 0);
    const int band = (32 - kH / 2) / 2;
    EXPECT_NEAR(small[0], box[0] / 2, 1);
    EXPECT_NEAR(small[1], band + box[1] / 2, 1);
    EXPECT_NEAR(small[2], box[2] / 2, 1);
    EXPECT_NEAR(small[3], band + box[3] / 2, 1);
}

TEST_F(RenderCommand, TheSamplePictureIsSeenWholeInTheMovieFrame) {
    const fs::path out = dir_ / "sample.png";
    ASSERT_EQ(run(std::string(ZX_SAMPLES_DIR) + "/sample.zxp --image 0 --frame 0 --quality 0 -o " +
                  out.string()),
              0)
        << stderrText();
    const RasterImage r = readPicture(out);
    ASSERT_EQ(r.width(), 640);
    ASSERT_EQ(r.height(), 480);
    // The 512 × 512 picture over the grid canvas: fitted to the frame's height, square.
    const auto box = extent(r, 0xFFB0B0C0u);
    EXPECT_EQ(box[1], 0);
    EXPECT_EQ(box[3], 479);
    EXPECT_NEAR(box[2] - box[0], box[3] - box[1], 1);
    EXPECT_NEAR(box[0] + box[2], 639, 1) << "centred";
}

TEST_F(RenderCommand, JpegFollowsTheQualitySetting) {
    const fs::path project = writeProject();
    const std::string frame = project.string() + " --image 0 --frame 0 --quality 1 -o ";
    writeSettings("JPEGquality=0\n");
    ASSERT_EQ(run(frame + (dir_ / "low.jpg").string()), 0) << stderrText();
    writeSettings("JPEGquality=3\n");
    ASSERT_EQ(run(frame + (dir_ / "high.jpg").string()), 0) << stderrText();
    EXPECT_LT(fs::file_size(dir_ / "low.jpg"), fs::file_size(dir_ / "high.jpg"));
}

TEST_F(RenderCommand, LibraryFileIsRefusedAsResaveAndMeshRefuseIt) {
    const fs::path library = dir_ / "object.zxl", out = dir_ / "out.zxp";
    std::ofstream(library) << "not read";
    EXPECT_NE(run(library.string() + " --image 0 -o " + (dir_ / "x.png").string()), 0);
    const std::string rendered = stderrText();
    EXPECT_NE(run(library.string() + " " + out.string(), "resave"), 0);
    EXPECT_EQ(rendered, stderrText());
    EXPECT_NE(run(library.string() + " --image 0 -o " + out.string(), "mesh"), 0);
    EXPECT_EQ(rendered, stderrText());
}

TEST_F(RenderCommand, AllFramesEndsWithALineAndRefusesASingleFrame) {
    const fs::path project = writeProject();
    const fs::path frames = dir_ / "frames";
    EXPECT_NE(run(project.string() + " --image 0 --frame 3 --all-frames " + frames.string()), 0);
    EXPECT_FALSE(fs::exists(frames));
    ASSERT_EQ(run(project.string() + " --image 0 --quality 0 --all-frames " + frames.string()), 0)
        << stderrText();
    EXPECT_EQ(stdoutText(), "wrote 10 frames to " + frames.string() + "\n");
}

} // namespace
} // namespace zx
