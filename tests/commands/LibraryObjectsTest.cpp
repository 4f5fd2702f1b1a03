#include "commands/LibraryObjects.h"
#include "SilentTestPrompter.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "anim/Deformation.h"
#include "commands/DemoScene.h"
#include "commands/LibraryEditing.h"
#include "commands/ProjectSaving.h"
#include "commands/Workspace.h"
#include "platform/RecordingPrompter.h"
#include "render/ImageScene.h"
#include "storage/GzContainer.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("zx-libobj-" + std::to_string(::getpid()));
    TempFolder() {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

// The demo image at a small size: a swaying 3D head and a lifted side object.
std::unique_ptr<ProjectImage> smallDemo(int frames) {
    DemoOptions options;
    options.durationFrames = frames;
    options.meshDefinition = 0;
    return buildDemoImage(demoPicture(160, 120), "demo.png", options, nullptr,
                          testing::silentPrompter());
}

struct WorkspaceWithImage : ::testing::Test {
    TempFolder folder;
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};
    ModePanel panels[5];

    WorkspaceWithImage() {
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
        for (int m = 0; m < 5; ++m) ws.setPanel(AnimationMode(m), &panels[m]);
        EXPECT_TRUE(ws.addPictureAsImage(RasterImage(160, 120, 0xFF204060u), "plain.png"));
        EXPECT_TRUE(ws.switchMode(AnimationMode::Animate));
    }

    fs::path savedDemo(int frames) {
        auto demo = smallDemo(frames);
        EXPECT_TRUE(demo && demo->animation);
        SaveAnimationOptions options;
        options.prompter = &prompter;
        const fs::path file = folder.path / "demo.zxl";
        EXPECT_EQ(saveImageAnimationAsLibrary(*demo, file, options).value(), file.string());
        return file;
    }
};

TEST_F(WorkspaceWithImage, SavedAnimationKeepsEveryVisibleObjectAndItsMotion) {
    auto demo = smallDemo(6);
    ASSERT_TRUE(demo);
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(*demo, scene).isOk());
    int visibleVertices = 0;
    for (int s = 0; s < scene.objectCount; ++s)
        if (!scene.object(s).hidden) visibleVertices += scene.object(s).vertexCount;

    const fs::path file = savedDemo(6);
    EXPECT_EQ(prompter.statuses.back(), "Ready");
    ASSERT_TRUE(readLibraryThumbnail(file).has_value());

    AnimationModel loaded;
    loaded.startWidth = 160;
    loaded.startHeight = 120;
    LibraryLoadOptions lo;
    lo.prompter = &prompter;
    ASSERT_EQ(loadLibraryObject(loaded, file.string(), LibraryLoadMode::NewObject, -1, lo), 0);
    const AnimObject& o = loaded.object(0);
    EXPECT_EQ(o.vertexCount, visibleVertices);
    EXPECT_EQ(o.library->lastFrame, 6);
    // The demo sways its head: some vertices carry a recorded path of 7 frames, and
    // the path moves them.
    int moving = 0;
    for (const auto& path : o.library->motion)
        if (!path.empty()) {
            ASSERT_EQ(path.size(), 7u);
            double far = 0;
            for (const Vec3& v : path)
                far = std::max({far, std::abs(v.x - path[0].x), std::abs(v.y - path[0].y)});
            moving += far > 0.5;
        }
    EXPECT_GT(moving, 100);
}

TEST_F(WorkspaceWithImage, LoadObjectIsOneUndoableStep) {
    const fs::path file = savedDemo(4);
    ProjectImage* image = ws.currentImage();
    ASSERT_FALSE(image->animation.has_value());

    ASSERT_EQ(loadObjectIntoCurrentImage(ws, file, {}).value(), 0);
    ASSERT_TRUE(image->animation.has_value());
    EXPECT_EQ(ws.project().history.labels().back(), kLoadObjectLabel);
    EXPECT_EQ(ws.undoMenuText(), "Undo Load Object\tCtrl+Z");
    const auto afterLoad = image->animation;

    // The record names the file; the scene reads the mesh back from it.
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(*image, scene).isOk());
    ASSERT_EQ(scene.objectCount, 1);
    EXPECT_TRUE(scene.object(0).isLibrary());
    EXPECT_GT(scene.object(0).vertexCount, 0);
    EXPECT_EQ(libraryNamesInProject(ws.project()), std::vector<std::string>{file.string()});

    // A second object goes into the next slot.
    ASSERT_EQ(loadObjectIntoCurrentImage(ws, file, {}).value(), 1);
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(image->animation, afterLoad);
    ASSERT_TRUE(ws.undo());
    EXPECT_FALSE(image->animation.has_value());
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(image->animation, afterLoad);
}

TEST_F(WorkspaceWithImage, SaveAsIntoAnotherFolderKeepsTheLibraryObjectsReachable) {
    const fs::path first = folder.path / "first", second = folder.path / "second";
    fs::create_directories(first);
    fs::create_directories(second);
    ASSERT_TRUE(saveProjectFile(ws.project(), first / "p.zxp", prompter));
    const fs::path library = first / "demo.zxl";
    fs::rename(savedDemo(3), library);
    ASSERT_EQ(loadObjectIntoCurrentImage(ws, library, {}).value(), 0);
    ASSERT_TRUE(saveProjectFile(ws.project(), first / "p.zxp", prompter));
    ASSERT_TRUE(saveProjectFile(ws.project(), second / "p.zxp", prompter));

    auto moved = loadProject(second / "p.zxp", prompter);
    ASSERT_TRUE(moved);
    LibraryLoadOptions options;
    options.projectFolder = second;
    options.prompter = &prompter;
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(*moved->images.at(0), scene, options).isOk());
    ASSERT_EQ(scene.objectCount, 1);
    EXPECT_GT(scene.object(0).vertexCount, 0) << "the library file was found from the new folder";
}

TEST_F(WorkspaceWithImage, DamagedOrMissingFilesChangeNothing) {
    const fs::path bad = folder.path / "bad.zxl";
    std::ofstream(bad) << "not a library";
    const size_t steps = ws.project().history.labels().size();
    EXPECT_FALSE(loadObjectIntoCurrentImage(ws, bad, {}).isOk());
    ASSERT_FALSE(prompter.entries.empty());
    EXPECT_EQ(prompter.entries.back().text, LibraryMessage::CannotRead);
    EXPECT_FALSE(ws.currentImage()->animation.has_value());
    EXPECT_EQ(ws.project().history.labels().size(), steps);

    // A missing file asks to locate it; No ends without a change.
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(loadObjectIntoCurrentImage(ws, folder.path / "gone.zxl", {}).isOk());
    EXPECT_NE(prompter.entries.back().text.find("Cannot find this library file"),
              std::string::npos);
    EXPECT_FALSE(ws.currentImage()->animation.has_value());

    // An image whose record is damaged is not rewritten over.
    const fs::path good = savedDemo(2);
    ws.currentImage()->animation = std::vector<uint32_t>{5, 1, 2};
    EXPECT_FALSE(loadObjectIntoCurrentImage(ws, good, {}).isOk());
    EXPECT_EQ(ws.currentImage()->animation, (std::vector<uint32_t>{5, 1, 2}));
}

TEST(LibraryNames, RelativeInsideTheProjectFolderElseAbsolute) {
    EXPECT_EQ(libraryNameForProject("/p/proj/objs/a.zxl", "/p/proj"), "objs/a.zxl");
    EXPECT_EQ(libraryNameForProject("/p/other/a.zxl", "/p/proj"), "/p/other/a.zxl");
    EXPECT_EQ(libraryNameForProject("/p/other/a.zxl", ""), "/p/other/a.zxl");
}

TEST(AnimationRecordSteps, CarryBothRecordsAndAnImageWithout) {
    Settings settings;
    Project project = Project::fromSettings(settings);
    project.images.append(std::make_unique<ProjectImage>());
    const std::vector<uint32_t> after = {3, 0xDEADBEEF, 7, 0x01020304};
    HistoryStep s = animationRecordStep("Load Object", 0, false, std::nullopt, after);
    EXPECT_EQ(s.kind, StepKind::Animate);
    ASSERT_TRUE(applyAnimationRecordStep(project, s, false));
    EXPECT_EQ(project.images.at(0)->animation, after);
    ASSERT_TRUE(applyAnimationRecordStep(project, s, true));
    EXPECT_FALSE(project.images.at(0)->animation.has_value());
    // Other steps are left to their own code.
    EXPECT_FALSE(applyAnimationRecordStep(
        project, HistoryStep::panelStep(AnimationMode::Animate, "Move Dot", 0, false, 0), true));
}

} // namespace
} // namespace zx

namespace zx {
namespace {

std::vector<uint8_t> libraryContent(const fs::path& file) {
    ContainerContent c = readGzContainer(file, kLibraryMagic);
    EXPECT_EQ(c.status, ContainerStatus::Ok) << file;
    return c.data;
}

TEST_F(WorkspaceWithImage, OneObjectSavedAloneLoadsBackWithItsMeshAndMotion) {
    auto demo = smallDemo(6);
    ASSERT_TRUE(demo);
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(*demo, scene).isOk());
    const int slot = 0;
    const AnimObject& saved = scene.object(slot);
    ASSERT_GT(scene.objectCount, 1);

    const fs::path file = folder.path / "head.zxl";
    SaveAnimationOptions options;
    options.prompter = &prompter;
    ASSERT_EQ(saveImageObjectAsLibrary(*demo, slot, file, options).value(), file.string());
    EXPECT_FALSE(saveImageObjectAsLibrary(*demo, scene.objectCount, file, options).isOk());
    // With several objects the user picks: the whole animation, the selected one, or none.
    prompter.answers = {Answer::Yes, Answer::No, Answer::Cancel};
    EXPECT_EQ(chooseObjectToSave(*demo, slot, prompter), -1);
    EXPECT_EQ(chooseObjectToSave(*demo, slot, prompter), slot);
    EXPECT_EQ(chooseObjectToSave(*demo, slot, prompter), std::nullopt);

    AnimationModel loaded;
    ASSERT_EQ(loadLibraryObject(loaded, file.string(), LibraryLoadMode::NewObject, -1, {}), 0);
    const AnimObject& o = loaded.object(0);
    ASSERT_EQ(o.vertexCount, saved.vertexCount);
    ASSERT_EQ(o.triangles.size(), saved.triangles.size());
    for (size_t i = 0; i < o.triangles.size(); ++i)
        for (int j = 0; j < 3; ++j) ASSERT_EQ(o.triangles[i].v[j], saved.triangles[i].v[j]);
    // No thumbnail entry: the object's own texture is entry 0, and is the thumbnail.
    ASSERT_EQ(o.library->textures.size(), 1u);
    EXPECT_EQ(readLibraryThumbnail(file), o.library->textures[0]);

    // Each recorded frame is where the deformation put the vertex at that frame.
    const IntRect box = saved.textureRect;
    for (int f : {0, 3, 6}) {
        computeFrame(scene, f / 6.0, prompter);
        for (int i = 0; i < o.vertexCount; i += 7) {
            const auto& path = o.library->motion[size_t(i)];
            const Vec3 at = path.empty() ? o.points[size_t(i)].start : path[size_t(f)];
            const Vec3 want = scene.object(slot).points[size_t(i)].current;
            ASSERT_NEAR(at.x, want.x - std::max(0, box.left), 1e-3) << f << ' ' << i;
            ASSERT_NEAR(at.y, want.y - std::max(0, box.top), 1e-3) << f << ' ' << i;
        }
    }
}

TEST_F(WorkspaceWithImage, EditLibraryThenSavingBackRewritesTheSameFile) {
    const fs::path whole = savedDemo(5);
    const int before = ws.project().imageCount();
    const int index = openLibraryForEditing(ws, whole, {}).value();
    EXPECT_EQ(index, before);
    EXPECT_EQ(ws.project().currentImage, index);
    EXPECT_EQ(ws.mode(), AnimationMode::Animate);
    EXPECT_EQ(ws.undoMenuText(), "Undo Edit Library\tCtrl+Z");
    const ProjectImage& image = ws.project().images[index];
    EXPECT_EQ(imageObjectCount(image), 1);
    const auto record = image.animation;
    // The image's picture is the library's thumbnail, and the object knows its file.
    EXPECT_EQ(*image.layerPicture(kSubjectLayer), readLibraryThumbnail(whole).value());
    EXPECT_EQ(imageObjectLibraryFile(image, 0, ws.project().folder), whole);
    EXPECT_EQ(chooseObjectToSave(image, 0, prompter), 0);

    // Nothing changed: saved back, the whole animation's file comes out word for word,
    // and so does a file saved from one object.
    SaveAnimationOptions options;
    const fs::path back = folder.path / "back.zxl";
    ASSERT_TRUE(saveImageObjectAsLibrary(image, 0, back, options).isOk());
    EXPECT_EQ(libraryContent(back), libraryContent(whole));

    auto demo = smallDemo(5);
    const fs::path one = folder.path / "one.zxl", oneBack = folder.path / "one-back.zxl";
    ASSERT_TRUE(saveImageObjectAsLibrary(*demo, 1, one, options).isOk());
    const int second = openLibraryForEditing(ws, one, {}).value();
    ASSERT_TRUE(saveImageObjectAsLibrary(ws.project().images[second], 0, oneBack, options).isOk());
    EXPECT_EQ(libraryContent(oneBack), libraryContent(one));

    // Each opening is one step.
    ASSERT_TRUE(ws.undo());
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().imageCount(), before);
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(ws.project().imageCount(), before + 1);
    EXPECT_EQ(ws.project().images[index].animation, record);
}

TEST_F(WorkspaceWithImage, EditLibraryOfABadFileAddsNothing) {
    const fs::path bad = folder.path / "bad.zxl";
    std::ofstream(bad) << "not a library";
    const int before = ws.project().imageCount();
    const size_t steps = ws.project().history.labels().size();
    EXPECT_FALSE(openLibraryForEditing(ws, bad, {}).isOk());
    EXPECT_EQ(ws.project().imageCount(), before);
    EXPECT_EQ(ws.project().history.labels().size(), steps);
}

} // namespace
} // namespace zx
