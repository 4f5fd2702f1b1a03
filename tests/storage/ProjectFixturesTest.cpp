// The golden projects in tests/fixtures are written by this program. Their chunk
// streams must stay exactly what the writer makes of the projects built here; set
// ZX_UPDATE_FIXTURES=1 to write them again after a deliberate format change.

#include "GoldenFiles.h"
#include "platform/RecordingPrompter.h"
#include "storage/GzContainer.h"
#include "storage/PhotoImport.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace zx {
namespace {

namespace fs = std::filesystem;

RasterImage pattern(int w, int h, uint32_t seed) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = 0xFF000000u | ((uint32_t(x) * 13 + seed) % 256) << 16 |
                           ((uint32_t(y) * 29 + seed) % 256) << 8 | uint32_t((x ^ y) * 3 % 256);
    return img;
}

// Two images: one with an animation record, a cut-out mask, a half-transparent
// background and an opacity; camera values for 3 frames.
Project goldenTwoImages() {
    Project p;
    p.movieWidth = 320;
    p.movieHeight = 200;
    p.fps = 12;
    p.mode = AnimationMode::Animate;
    p.canvasColour = CanvasColour::Black;
    p.zoom = -1;
    p.movieWords[MoviePanelWords::FollowCamera] = 1;
    p.movieWords[MoviePanelWords::LightTurn] = 50;
    p.timelineWords[TimelineWords::StripScale] = 4;
    p.timelineWords[TimelineWords::ShowSubject] = 1;
    p.timelineWords[TimelineWords::ShowBackground] = 1;
    p.imageEditWords[ImageEditWords::HistoryWord] = 2;
    p.selectionWords[SelectionToolWords::CurrentTool] = 1;
    p.toolWords[ToolWords::FirstPaired] = 8;
    p.alignWords = {1, 0};

    RasterImage subject = pattern(40, 24, 7);
    for (int y = 0; y < 24; ++y)
        for (int x = 30; x < 40; ++x) subject.at(x, y) = 0;
    auto a = buildPhotoImage(subject, "subject.png", 36);
    RasterImage background(40, 24, 0);
    for (int x = 0; x < 40; ++x) background.at(x, 0) = 0xFF204060u;
    a->setLayerPicture(kBackgroundLayer, background);
    a->setLayerOpacity(kSubjectLayer, 200);
    a->animation = std::vector<uint32_t>(22, 0);
    (*a->animation)[0] = 21;
    p.images.append(std::move(a));
    p.images.append(buildPhotoImage(pattern(19, 33, 99), "second.jpg", 24));
    p.currentImage = 0;
    p.cameraValues = CameraValueBlock{{3, 160, 100, 1, 0, 0, 500, 0},
                                      {0, 170, 100, 1.5f, 0.25f, 0, 500, 0},
                                      {1, 180, 90, 2, 0.5f, -0.1f, 450, 0}};
    return p;
}

void checkGolden(const char* name, const Project& project) {
    fs::path file = fs::path(ZX_FIXTURES_DIR) / name;
    std::optional<std::vector<uint8_t>> built = buildProjectChunks(project);
    ASSERT_TRUE(built);
    if (testing::updateGoldenFiles()) {
        ASSERT_TRUE(writeGzContainer(file, kProjectMagic, *built));
    }
    ContainerContent stored = readGzContainer(file, kProjectMagic);
    ASSERT_EQ(stored.status, ContainerStatus::Ok) << file;
    EXPECT_EQ(stored.data, *built) << name << " no longer matches what the writer makes";

    // Loading the file and saving it again gives the same stream.
    RecordingPrompter prompter;
    std::unique_ptr<Project> loaded = loadProject(file, prompter);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(buildProjectChunks(*loaded), stored.data);
}

// A run under continuous integration never rewrites a golden file, even with the
// update switch left on; elsewhere only the switch set to 1 does.
TEST(ProjectFixtures, UpdateSwitchIsIgnoredUnderCi) {
    const auto keep = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const std::optional<std::string> ci = keep("CI"), update = keep("ZX_UPDATE_FIXTURES");
    setenv("ZX_UPDATE_FIXTURES", "1", 1);
    setenv("CI", "true", 1);
    EXPECT_FALSE(testing::updateGoldenFiles());
    unsetenv("CI");
    EXPECT_TRUE(testing::updateGoldenFiles());
    setenv("ZX_UPDATE_FIXTURES", "yes", 1);
    EXPECT_FALSE(testing::updateGoldenFiles());
    for (const auto& [name, value] : {std::pair{"CI", ci}, std::pair{"ZX_UPDATE_FIXTURES", update}})
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

TEST(ProjectFixtures, GoldenTwoImages) {
    checkGolden("golden-two-images.zxp", goldenTwoImages());
}

TEST(ProjectFixtures, GoldenEmpty) {
    Project p;
    p.currentImage = -1;
    checkGolden("golden-empty.zxp", p);
}

} // namespace
} // namespace zx
