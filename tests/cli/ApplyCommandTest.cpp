// zelvotrix-cli apply: scripts of user operations replayed on a real project file,
// checked through the frames `render` draws of the result, and refusals that leave
// nothing saved.

#include "LandscapePicture.h"
#include "platform/RecordingPrompter.h"
#include "storage/ImageFile.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zx {
namespace {

namespace fs = std::filesystem;

constexpr int kW = 96, kH = 64, kFrames = 10;

uint32_t patternPixel(int x, int y) {
    return 0xFF000000u | uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t((x + y) & 0xFF);
}

class ApplyCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("zx_apply_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "settings.conf") << "[Settings]\n";
        writeProject();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // One photograph without animation, shown at its own size as the movie.
    void writeProject() {
        RasterImage photo(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) photo.at(x, y) = patternPixel(x, y);
        Project p;
        p.movieWidth = kW;
        p.movieHeight = kH;
        p.canvasColour = CanvasColour::Black;
        p.images.append(buildPhotoImage(photo, "photo.png", kFrames, CanvasColour::Black));
        RecordingPrompter prompter;
        ASSERT_TRUE(saveProject(p, project(), prompter));
    }
    fs::path project() const { return dir_ / "in.zxp"; }

    int run(const std::string& subcommand, const std::string& args) {
        const std::string cmd = std::string(ZX_CLI_PATH) + " --settings " +
                                (dir_ / "settings.conf").string() + " " + subcommand + " " + args +
                                " >" + (dir_ / "stdout.txt").string() + " 2>" +
                                (dir_ / "stderr.txt").string();
        return std::system(cmd.c_str());
    }
    int apply(const std::string& ops, const std::string& output = {}) {
        std::ofstream(dir_ / "ops.json") << ops;
        return run("apply", project().string() + " --ops " + (dir_ / "ops.json").string() +
                                (output.empty() ? "" : " -o " + (dir_ / output).string()));
    }
    RasterImage render(const std::string& file, int frame) {
        const fs::path out = dir_ / ("frame" + std::to_string(frame) + ".png");
        EXPECT_EQ(run("render", (dir_ / file).string() + " --image 0 --quality 0 --frame " +
                                    std::to_string(frame) + " -o " + out.string()),
                  0)
            << text("stderr.txt");
        auto picture = loadImage(out, nullptr);
        return picture ? *picture : RasterImage();
    }
    std::string text(const std::string& name) {
        std::ifstream in(dir_ / name);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
};

// A rectangle made an object, a dot added in it and dragged 50 px right on the end view.
const std::string kMoveScript = R"([
  {"mode": "animate"}, {"image": 0}, {"view": "start"}, {"tool": "Rectangle"},
  {"drag": [[10, 10], [40, 40]]}, {"key": "Enter"},
  {"tool": "Dots"}, {"click": [25, 25]},
  {"view": "end"}, {"drag": [[25, 25], [50, 25], [75, 25]]}
])";

TEST_F(ApplyCommand, DotDraggedFiftyPixelsRightMovesTheObjectAtTheLastFrame) {
    ASSERT_EQ(apply(kMoveScript, "out.zxp"), 0) << text("stderr.txt");
    const RasterImage first = render("out.zxp", 0);
    const RasterImage last = render("out.zxp", kFrames);
    ASSERT_EQ(first.width(), kW);
    for (int y = 14; y <= 36; y += 11)
        for (int x = 14; x <= 36; x += 11) {
            EXPECT_EQ(first.at(x, y), patternPixel(x, y)) << x << "," << y;
            EXPECT_EQ(last.at(x + 50, y), patternPixel(x, y)) << x << "," << y;
            EXPECT_EQ(last.at(x, y), 0xFF000000u) << x << "," << y;
        }

    // Without -o the run says what it would have recorded.
    ASSERT_EQ(apply(kMoveScript), 0);
    EXPECT_NE(text("stdout.txt").find("Convert to Mesh, Add Dot, Move Dot"), std::string::npos);

    // Undone, the move is gone: the last frame shows the object where it started.
    std::string undone = kMoveScript;
    undone.replace(undone.rfind(']'), 1, ", {\"undo\": 1}]");
    ASSERT_EQ(apply(undone, "undone.zxp"), 0) << text("stderr.txt");
    EXPECT_EQ(render("undone.zxp", kFrames).at(25, 25), patternPixel(25, 25));
}

// The leftmost column and the count of pixels away from the black canvas.
std::pair<int, int> covered(const RasterImage& frame) {
    int left = frame.width(), count = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (frame.at(x, y) != 0xFF000000u) left = std::min(left, x), ++count;
    return {left, count};
}

// The animation saved as a library object comes back as one object that moves the
// same 50 px; undone, the image is as it was.
TEST_F(ApplyCommand, AnAnimationSavedAsAnObjectLoadsBackAndUndoes) {
    const std::string library = (dir_ / "moved.zxl").string();
    std::string save = kMoveScript;
    save.replace(save.rfind(']'), 1,
                 R"(, {"command": "Save As Object...", "file": ")" + library + "\"}]");
    ASSERT_EQ(apply(save, "saved.zxp"), 0) << text("stderr.txt");
    const std::string load =
        R"([{"mode": "animate"}, {"command": "Load Object...", "file": ")" + library + "\"}";
    ASSERT_EQ(apply(load + "]", "loaded.zxp"), 0) << text("stderr.txt");
    const auto [firstLeft, firstCount] = covered(render("loaded.zxp", 0));
    const auto [lastLeft, lastCount] = covered(render("loaded.zxp", kFrames));
    EXPECT_GT(firstCount, 0);
    EXPECT_EQ(lastCount, firstCount);
    EXPECT_EQ(lastLeft, firstLeft + 50);

    ASSERT_EQ(apply(load + R"(, {"undo": 1}])", "undone.zxp"), 0) << text("stderr.txt");
    EXPECT_EQ(render("undone.zxp", kFrames), render("in.zxp", kFrames));
    EXPECT_NE(apply(R"([{"command": "Load Object...", "file": "none.zxl"}])"), 0);
}

TEST_F(ApplyCommand, AnOperationThatCannotApplyStopsTheRunAndSavesNothing) {
    const std::string start = R"([{"mode": "animate"}, {"tool": "Dots"}, )";
    const std::pair<std::string, std::string> bad[] = {
        {R"({"click": [500, 10]})", "outside the image"},
        {R"({"command": "Make Coffee"})", "Unknown command"},
        {R"({"right_click": [5, 5], "menu": "Remove Bone"})", "Remove Bone"},
        {R"({"command": "Remove"})", "No object is selected"},
        {R"({"tool": "Lasso"})", "Unknown tool"},
        {R"({"click": [1, 2], "drag": [[1, 2], [3, 4]]})", "more than one"},
    };
    for (const auto& [op, reason] : bad) {
        EXPECT_EQ(apply(start + op + "]", "never.zxp"), 1 << 8) << op;
        const std::string err = text("stderr.txt");
        EXPECT_NE(err.find("Operation 2"), std::string::npos) << err;
        EXPECT_NE(err.find(reason), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(dir_ / "never.zxp")) << op;
    }
    // Editing before the mode is chosen is refused too.
    EXPECT_NE(apply(R"([{"click": [5, 5]}])", "never.zxp"), 0);

    ASSERT_EQ(run("apply", "--list"), 0);
    const std::string list = text("stdout.txt");
    for (const char* name : {"Regions Contours", "Convert to Mesh", "Spin Mode...", "\"Spin\"",
                             "Dots", "APPLY", "Filled Ellipse", "Smoothing"})
        EXPECT_NE(list.find(name), std::string::npos) << name;
}

// Image Edit: a marquee, then a brightness change applied to the selection only; two
// undos give back the photograph as it was.
TEST_F(ApplyCommand, ImageEditScriptsSelectAdjustAndUndo) {
    const std::string edit = R"([
      {"mode": "edit"}, {"image": 0}, {"tool": "Rectangular Marquee"},
      {"drag": [[10, 10], [40, 30]]},
      {"command": "Brightness/Contrast...", "values": {"Brightness": 60, "Apply to Selection": 1}})";
    ASSERT_EQ(apply(edit + "]", "edited.zxp"), 0) << text("stderr.txt");
    ASSERT_EQ(apply(edit + R"(, {"undo": 2}])", "undone.zxp"), 0) << text("stderr.txt");
    RecordingPrompter prompter;
    const auto picture = [&](const std::string& file) {
        std::unique_ptr<Project> p = loadProject(dir_ / file, prompter);
        EXPECT_TRUE(p);
        return p ? *p->images.at(0)->layerPicture(2) : RasterImage();
    };
    const RasterImage edited = picture("edited.zxp"), undone = picture("undone.zxp");
    ASSERT_EQ(edited.width(), kW);
    int inside = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            EXPECT_EQ(undone.at(x, y), patternPixel(x, y));
            const bool selected = x > 10 && x < 40 && y > 10 && y < 30;
            if (selected) inside += edited.at(x, y) != patternPixel(x, y);
            if (x < 9 || x > 41 || y < 9 || y > 31) {
                EXPECT_EQ(edited.at(x, y), patternPixel(x, y));
            }
        }
    EXPECT_GT(inside, 0);
    EXPECT_NE(apply(R"([{"mode": "edit"}, {"tool": "Paint Brush"}])"), 0);
}

// A picture file pasted, dragged by its inside and merged with Enter lands where it
// was dropped; a missing file stops the run.
TEST_F(ApplyCommand, APastedPictureIsDraggedAndMerged) {
    ASSERT_TRUE(savePng(dir_ / "green.png", RasterImage(20, 20, 0xFF00FF00u), nullptr));
    const std::string paste = R"([{"mode": "edit"}, {"image": 0},
      {"command": "Paste", "file": ")" +
                              (dir_ / "green.png").string() + R"("},
      {"drag": [[43, 27], [13, 7]]}, {"key": "Enter"}])";
    ASSERT_EQ(apply(paste, "pasted.zxp"), 0) << text("stderr.txt");
    RecordingPrompter prompter;
    std::unique_ptr<Project> p = loadProject(dir_ / "pasted.zxp", prompter);
    ASSERT_TRUE(p);
    const RasterImage& subject = *p->images.at(0)->layerPicture(2);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool pasted = x >= 8 && x < 28 && y >= 2 && y < 22;
            EXPECT_EQ(subject.at(x, y), pasted ? 0xFF00FF00u : patternPixel(x, y)) << x << "," << y;
        }
    EXPECT_NE(apply(R"([{"mode": "edit"}, {"command": "Paste", "file": "none.png"}])"), 0);
    // Left floating, the paste is neither merged nor lost silently: nothing is saved.
    const std::string floating = paste.substr(0, paste.rfind(", {\"key\"")) + "]";
    EXPECT_NE(apply(floating, "floating.zxp"), 0);
    EXPECT_FALSE(fs::exists(dir_ / "floating.zxp"));
}

// Image Align: the second photograph is the first moved 3 px right and 2 px up; the
// wizard's ALIGN and Enter put it back over the first. Too small a picture is refused.
TEST_F(ApplyCommand, ImageAlignScriptsMoveAPictureOntoThePreviousOne) {
    EXPECT_NE(apply(R"([{"mode": "align"}, {"command": "Image Align Wizard"}])"), 0);
    EXPECT_NE(text("stderr.txt").find("min size = 192x192"), std::string::npos);

    constexpr int w = 256, h = 200;
    const RasterImage first = test::landscapePicture(w, h);
    const RasterImage moved = test::landscapePicture(w, h, 3, -2);
    Project p;
    for (const RasterImage* photo : {&first, &moved})
        p.images.append(buildPhotoImage(*photo, "photo.png", kFrames, CanvasColour::Black));
    RecordingPrompter prompter;
    ASSERT_TRUE(saveProject(p, project(), prompter));

    const std::string align =
        R"([{"image": 1}, {"mode": "align"}, {"command": "Image Align Wizard"},
      {"drag": [[64.5, 64.5], [80.5, 90.5]]}, {"command": "ALIGN"}, {"command": "OK"})";
    EXPECT_NE(apply(align + "]", "never.zxp"), 0) << "an unapplied transform is not saved";
    EXPECT_FALSE(fs::exists(dir_ / "never.zxp"));
    ASSERT_EQ(apply(align + R"(, {"key": "Enter"}])", "aligned.zxp"), 0) << text("stderr.txt");
    std::unique_ptr<Project> out = loadProject(dir_ / "aligned.zxp", prompter);
    ASSERT_TRUE(out);
    const RasterImage& aligned = *out->images.at(1)->layerPicture(2);
    for (int y = 8; y < h - 8; y += 7)
        for (int x = 8; x < w - 8; x += 7)
            EXPECT_EQ(aligned.at(x, y), first.at(x, y)) << x << "," << y;
}

// Image Edit: a shape dragged, adjusted by a handle and applied over the selection; the
// text tool is refused, the tool having no fonts.
TEST_F(ApplyCommand, ShapeToolsDrawOverTheSelection) {
    const std::string ops = R"([
      {"mode": "edit"}, {"image": 0}, {"tool": "Rectangular Marquee"},
      {"drag": [[0, 0], [50, 63]]},
      {"tool": "Filled Rectangle", "values": {"Smoothing": 0, "Red": 255}},
      {"drag": [[30, 20], [60, 40]]}, {"drag": [[60, 40], [70, 44]]},
      {"command": "APPLY"}])";
    ASSERT_EQ(apply(ops, "shape.zxp"), 0) << text("stderr.txt");
    RecordingPrompter prompter;
    std::unique_ptr<Project> p = loadProject(dir_ / "shape.zxp", prompter);
    ASSERT_TRUE(p);
    const RasterImage& subject = *p->images.at(0)->layerPicture(2);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool painted = x >= 30 && x <= 48 && y >= 20 && y <= 44;
            const bool untouched = x < 29 || x > 52 || y < 19 || y > 45;
            if (painted) {
                EXPECT_EQ(subject.at(x, y), 0xFFFF0000u) << x << "," << y;
            }
            if (untouched) {
                EXPECT_EQ(subject.at(x, y), patternPixel(x, y)) << x << "," << y;
            }
        }
    // A hand tool: one brush stroke across the picture, undone again.
    const std::string brush = R"([{"mode": "edit"}, {"image": 0}, {"command": "Select All"},
      {"tool": "Brush/Pencil", "values": {"Size": 3, "Feathering": 0, "Flow": 100, "Blue": 255}},
      {"drag": [[10, 50], [80, 50]]})";
    ASSERT_EQ(apply(brush + "]", "brush.zxp"), 0) << text("stderr.txt");
    ASSERT_EQ(apply(brush + R"(, {"undo": 1}])", "unbrushed.zxp"), 0) << text("stderr.txt");
    std::unique_ptr<Project> brushed = loadProject(dir_ / "brush.zxp", prompter);
    std::unique_ptr<Project> undone = loadProject(dir_ / "unbrushed.zxp", prompter);
    ASSERT_TRUE(brushed && undone);
    EXPECT_EQ(brushed->images.at(0)->layerPicture(2)->at(45, 50), 0xFF0000FFu);
    EXPECT_EQ(brushed->images.at(0)->layerPicture(2)->at(45, 40), patternPixel(45, 40));
    EXPECT_EQ(undone->images.at(0)->layerPicture(2)->at(45, 50), patternPixel(45, 50));
    EXPECT_EQ(apply(R"([{"mode": "edit"}, {"tool": "Text"}])"), 1 << 8);
    EXPECT_NE(text("stderr.txt").find("fonts"), std::string::npos);
}

} // namespace
} // namespace zx
