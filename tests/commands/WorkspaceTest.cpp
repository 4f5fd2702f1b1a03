#include "commands/Workspace.h"
#include "commands/ImageSnapshot.h"
#include "platform/RecordingPrompter.h"
#include "storage/PhotoImport.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

struct TestPanel : ModePanel {
    bool allowLeave = true;
    int entered = 0, left = 0, undone = 0, redone = 0;
    std::vector<std::pair<int, int>> durations;
    bool canLeave(Prompter&) override { return allowLeave; }
    void enter() override { ++entered; }
    void leave() override { ++left; }
    void undo(const HistoryStep&) override { ++undone; }
    void redo(const HistoryStep&) override { ++redone; }
    void durationChanged(int o, int n) override { durations.emplace_back(o, n); }
};

struct WorkspaceFixture : ::testing::Test {
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};
    TestPanel panels[5];

    WorkspaceFixture() {
        settings.fps = 25;
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
        for (int m = 0; m < 5; ++m) ws.setPanel(AnimationMode(m), &panels[m]);
    }
    void addImages(int n) {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(ws.addPictureAsImage(RasterImage(16 + i, 16, 0xFF000000u + i),
                                             "img" + std::to_string(i) + ".png"));
    }
    std::vector<std::string> labels() { return ws.project().history.labels(); }
};

TEST_F(WorkspaceFixture, ModeSwitchingAsksTheLeaveTestAndPlaceholderStandsIn) {
    EXPECT_EQ(ws.mode(), AnimationMode::ImageEdit);
    ASSERT_NE(ws.currentImage(), nullptr);
    EXPECT_EQ(ws.currentImage(), &ws.placeholder());
    EXPECT_EQ(ws.placeholder().width(), 640);

    panels[0].allowLeave = false;
    EXPECT_FALSE(ws.switchMode(AnimationMode::Animate));
    EXPECT_EQ(ws.mode(), AnimationMode::ImageEdit);
    panels[0].allowLeave = true;

    // choosing Image Edit again re-initialises it; other modes do nothing
    const int before = panels[0].entered;
    EXPECT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_EQ(panels[0].entered, before + 1);

    addImages(1);
    EXPECT_TRUE(ws.switchMode(AnimationMode::Movie));
    EXPECT_EQ(ws.currentImage(), nullptr); // Movie mode has no current image
    EXPECT_EQ(ws.project().currentImage, -1);
    EXPECT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_EQ(ws.currentImage(), &ws.placeholder());
    EXPECT_EQ(prompter.statuses.back(), "Ready");
}

TEST_F(WorkspaceFixture, FloatingEditQuestionsAndCancel) {
    ws.floating.pending = true;
    ws.floating.isPaste = true;
    ws.floating.background = true;
    prompter.answers = {Answer::Cancel};
    EXPECT_FALSE(ws.switchMode(AnimationMode::Animate));
    EXPECT_EQ(ws.mode(), AnimationMode::ImageEdit);
    EXPECT_TRUE(ws.floating.pending);
    EXPECT_EQ(prompter.texts().back(), "Paste to Background?");
    EXPECT_EQ(prompter.entries.back().buttons, Buttons::YesNoCancel);

    int applied = 0;
    ws.hooks.applyFloatingEdit = [&](const FloatingEdit&) { ++applied; };
    ws.floating.isPaste = false;
    ws.floating.operationName = "Hue/Saturation";
    prompter.answers = {Answer::Yes};
    EXPECT_TRUE(ws.switchMode(AnimationMode::Animate));
    EXPECT_EQ(prompter.texts().back(), "Apply Hue/Saturation to Image?");
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(ws.floating.pending);

    // entering Image Edit does not ask; No discards
    ws.floating = {true, false, "", {}, false};
    prompter.clear();
    EXPECT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_TRUE(prompter.entries.empty());
    prompter.answers = {Answer::No};
    EXPECT_TRUE(ws.switchMode(AnimationMode::ImageAlign));
    EXPECT_EQ(prompter.texts().back(), "Apply Paste to Image?");
    EXPECT_EQ(applied, 1);
}

TEST_F(WorkspaceFixture, DurationUndoRedoAndOneStepForTheSameValueTwice) {
    addImages(2);
    ASSERT_EQ(ws.project().currentImage, 1);
    const int original = ws.project().images[1].duration();
    EXPECT_EQ(original, 75); // 3 s at 25 fps
    ASSERT_TRUE(ws.setImageDuration(40, false));
    const int steps = ws.project().history.size();
    ASSERT_TRUE(ws.setImageDuration(40, false));
    EXPECT_EQ(ws.project().history.size(), steps);
    EXPECT_EQ(labels().back(), "Image Duration");
    EXPECT_EQ(ws.undoMenuText(), "Undo Image Duration\tCtrl+Z");
    EXPECT_EQ(ws.redoMenuText(), "Redo\tCtrl+Y");

    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().images[1].duration(), original);
    EXPECT_EQ(ws.redoMenuText(), "Redo Image Duration\tCtrl+Y");
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(ws.project().images[1].duration(), 40);

    // all images at once, one step, undone together
    ASSERT_TRUE(ws.setImageDuration(10, true));
    EXPECT_EQ(labels().back(), "All Images Durations");
    EXPECT_EQ(ws.project().images[0].duration(), 10);
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().images[0].duration(), 75);
    EXPECT_EQ(ws.project().images[1].duration(), 40);
}

TEST_F(WorkspaceFixture, DurationChangeInAnimateModeTellsThePanelAndComesBack) {
    addImages(1);
    ASSERT_TRUE(ws.switchMode(AnimationMode::Animate));
    ASSERT_TRUE(ws.setImageDuration(30, false));
    EXPECT_EQ(ws.mode(), AnimationMode::Animate);
    ASSERT_EQ(panels[2].durations.size(), 1u);
    EXPECT_EQ(panels[2].durations[0], std::make_pair(75, 30));
    EXPECT_EQ(ws.project().images[0].duration(), 30);
}

TEST_F(WorkspaceFixture, ModeStepsLetUndoWalkBackThroughNavigation) {
    addImages(1);
    ws.record(HistoryStep::panelStep(AnimationMode::ImageEdit, "Select All", 0, false, 0));
    ASSERT_TRUE(ws.switchMode(AnimationMode::Animate));
    ws.record(HistoryStep::panelStep(AnimationMode::Animate, "Move Dot", 0, false, 0));
    auto l = labels();
    ASSERT_GE(l.size(), 3u);
    EXPECT_EQ(l[l.size() - 2], "Animate Mode");
    EXPECT_EQ(l.back(), "Move Dot");

    ASSERT_TRUE(ws.undo()); // the edit
    EXPECT_EQ(ws.mode(), AnimationMode::Animate);
    EXPECT_EQ(panels[2].undone, 1);
    ASSERT_TRUE(ws.undo()); // the mode change
    EXPECT_EQ(ws.mode(), AnimationMode::ImageEdit);
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(ws.mode(), AnimationMode::Animate);

    // recording after undos drops what could have been redone
    ASSERT_TRUE(ws.undo());
    ws.record(HistoryStep::panelStep(AnimationMode::ImageEdit, "Deselect", 0, false, 0));
    EXPECT_FALSE(ws.canRedo());
}

TEST_F(WorkspaceFixture, UndoRefusedWhileAFloatingEditIsPending) {
    addImages(1);
    ws.floating.pending = true;
    EXPECT_FALSE(ws.canUndo());
    EXPECT_EQ(ws.undoMenuText(), "Undo\tCtrl+Z");
    EXPECT_FALSE(ws.undo());
}

TEST_F(WorkspaceFixture, ImageListChangesAreUndoable) {
    addImages(3);
    EXPECT_EQ(labels().back(), "Import Subject Image");
    ASSERT_TRUE(ws.removeImage(1));
    EXPECT_EQ(ws.project().imageCount(), 2);
    EXPECT_EQ(labels().back(), "Remove Image");
    ASSERT_TRUE(ws.undo());
    ASSERT_EQ(ws.project().imageCount(), 3);
    EXPECT_EQ(ws.project().images[1].layer(kSubjectLayer)->name, "img1.png");
    EXPECT_EQ(ws.project().images[1].width(), 17);
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(ws.project().imageCount(), 2);
    EXPECT_EQ(ws.project().images[1].layer(kSubjectLayer)->name, "img2.png");

    ASSERT_TRUE(ws.moveImage(0, 1));
    EXPECT_EQ(ws.project().images[0].layer(kSubjectLayer)->name, "img2.png");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().images[0].layer(kSubjectLayer)->name, "img0.png");

    ASSERT_TRUE(ws.selectImage(0));
    ASSERT_TRUE(ws.addCopy());
    ASSERT_EQ(ws.project().imageCount(), 3);
    EXPECT_EQ(ws.project().images[2].layer(kSubjectLayer)->name, "img0.png[Copy_3]");
    EXPECT_EQ(labels().back(), "Add a Copy");
    ASSERT_TRUE(ws.addCopy()); // a copy of the copy drops the old suffix
    EXPECT_EQ(ws.project().images[3].layer(kSubjectLayer)->name, "img0.png[Copy_4]");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().imageCount(), 3);
}

TEST_F(WorkspaceFixture, PastedAndBlankImages) {
    ASSERT_TRUE(ws.pasteToNewImage(RasterImage(20, 10, 0x80FFFFFF)));
    EXPECT_EQ(labels().back(), "Add Clipboard Image");
    EXPECT_TRUE(ws.project().modified);
    const ProjectImage& img = ws.project().images[0];
    EXPECT_EQ(img.layer(kSubjectLayer)->name, "[Clipboard]");
    EXPECT_EQ(img.layerCount(), 6);
    EXPECT_EQ(img.layer(kMaskLayer)->kind, LayerKind::Mask);
    EXPECT_EQ(img.layerPicture(kMaskLayer)->at(0, 0), 0xFFu); // softness stays in alpha
    EXPECT_EQ(ws.proposedBlankSize(), std::make_pair(20, 10));

    ASSERT_TRUE(ws.switchMode(AnimationMode::Animate));
    ASSERT_TRUE(ws.addBlankImage(32, 24));
    EXPECT_EQ(ws.mode(), AnimationMode::ImageEdit);
    EXPECT_EQ(ws.project().images[1].layerPicture(kSubjectLayer)->at(5, 5), 0u);

    EXPECT_FALSE(ws.addPictureAsImage(RasterImage(7, 100), "tiny.png"));
    EXPECT_EQ(prompter.texts().back(), "Image too small (minimum = 8 x 8), cannot load!");
}

TEST_F(WorkspaceFixture, LargePicturesAreOfferedAReductionOnce) {
    settings.maxSize = 64;
    prompter.answers = {Answer::Yes};
    ASSERT_TRUE(ws.addPictureAsImage(RasterImage(128, 32, 0xFF000000), "big.png"));
    EXPECT_EQ(ws.project().images[0].width(), 64);
    EXPECT_EQ(prompter.texts().back(), "Resize image for best performance?");
    prompter.clear();
    ASSERT_TRUE(ws.addPictureAsImage(RasterImage(256, 32, 0xFF000000), "big2.png"));
    EXPECT_TRUE(prompter.entries.empty()); // after a Yes, reduced silently
    EXPECT_EQ(ws.project().images[1].width(), 64);
    ws.clearResizeAnswer();
    prompter.answers = {Answer::No};
    ASSERT_TRUE(ws.addPictureAsImage(RasterImage(256, 32, 0xFF000000), "big3.png"));
    EXPECT_EQ(ws.project().images[2].width(), 256);
}

TEST_F(WorkspaceFixture, SelectionStepsAndJumps) {
    addImages(2);
    ASSERT_TRUE(ws.selectImage(0));
    ws.record(HistoryStep::panelStep(AnimationMode::ImageEdit, "Deselect", 0, false, 0));
    auto l = labels();
    EXPECT_EQ(l[l.size() - 2], "Select Image");
    EXPECT_EQ(l.back(), "Deselect");
    // undoing the edit returns to the image it was made on, then to the earlier one
    ASSERT_TRUE(ws.selectImage(1));
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().currentImage, 0);
    ASSERT_TRUE(ws.jumpTo(-1)); // all the way back, imports included
    EXPECT_EQ(ws.project().history.position(), -1);
    EXPECT_EQ(ws.project().imageCount(), 0); // both imports undone
    ASSERT_TRUE(ws.jumpTo(ws.project().history.size() - 1));
    EXPECT_EQ(ws.project().imageCount(), 2);
    EXPECT_EQ(ws.project().currentImage, 0);
}

TEST_F(WorkspaceFixture, LeaveTestGuardsSelectionAndProjectChanges) {
    addImages(2);
    panels[0].allowLeave = false;
    EXPECT_FALSE(ws.selectImage(0));
    EXPECT_EQ(ws.project().currentImage, 1);
    EXPECT_FALSE(ws.readyToLeaveProject());
    EXPECT_FALSE(ws.removeImage(1));
    EXPECT_EQ(ws.project().imageCount(), 2);
    // Movie mode selects frames' images without asking
    panels[0].allowLeave = true;
    ASSERT_TRUE(ws.switchMode(AnimationMode::Movie));
    panels[3].allowLeave = false;
    EXPECT_TRUE(ws.selectImage(0, false, false));
    EXPECT_EQ(ws.project().currentImage, 0);
}

TEST_F(WorkspaceFixture, DurationDragWithoutChangeRecordsNothing) {
    addImages(1);
    const int steps = ws.project().history.size();
    EXPECT_TRUE(ws.finishDurationDrag(ws.project().images[0].duration()));
    EXPECT_EQ(ws.project().history.size(), steps);
    ws.project().images[0].setDuration(12); // what the drag did on screen
    EXPECT_TRUE(ws.finishDurationDrag(75));
    EXPECT_EQ(ws.project().images[0].duration(), 12);
    EXPECT_EQ(labels().back(), "Image Duration");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().images[0].duration(), 75);
    // nothing to set without a selected image, or in an empty project for all
    ASSERT_TRUE(ws.switchMode(AnimationMode::Movie));
    EXPECT_FALSE(ws.setImageDuration(10, false));
}

TEST_F(WorkspaceFixture, RemovingTheLastImageLeavesThePlaceholder) {
    addImages(1);
    ASSERT_TRUE(ws.removeImage(0));
    EXPECT_EQ(ws.project().imageCount(), 0);
    EXPECT_EQ(ws.currentImage(), &ws.placeholder());
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().imageCount(), 1);
    EXPECT_EQ(ws.project().currentImage, 0);
    EXPECT_FALSE(ws.removeImage(5));
    EXPECT_FALSE(ws.moveImage(0, 0));
}

TEST_F(WorkspaceFixture, ALoadedProjectEntersItsStoredModeAfresh) {
    auto loaded = std::make_unique<Project>();
    loaded->images.append(std::make_unique<ProjectImage>(50, 40, 10));
    loaded->images.append(std::make_unique<ProjectImage>(50, 40, 10));
    loaded->currentImage = 9; // clamped to the last image
    loaded->mode = AnimationMode::Animate;
    const int entries = panels[2].entered;
    ws.replaceProject(std::move(loaded));
    EXPECT_EQ(ws.mode(), AnimationMode::Animate);
    EXPECT_EQ(panels[2].entered, entries + 1);
    EXPECT_EQ(ws.project().currentImage, 1);
    EXPECT_EQ(prompter.statuses.back(), "Ready");
}

TEST(ImageSnapshot, RoundTripKeepsEveryLayer) {
    RasterImage pic(20, 18);
    for (size_t i = 0; i < pic.pixelCount(); ++i) pic.pixels()[i] = 0xFF000000u | uint32_t(i * 977);
    auto img = buildPhotoImage(pic, "photo.jpg", 33, CanvasColour::Blue);
    img->animation = std::vector<uint32_t>{2, 7, 9};
    img->setLayerOpacity(4, 99);
    auto back = restoreImage(snapshotImage(*img));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->layerCount(), 6);
    EXPECT_EQ(back->duration(), 33);
    EXPECT_EQ(back->canvasColour, CanvasColour::Blue);
    EXPECT_EQ(*back->animation, (std::vector<uint32_t>{2, 7, 9}));
    EXPECT_EQ(*back->layerPicture(kSubjectLayer), pic);
    EXPECT_EQ(*back->layerPicture(kMaskLayer), *img->layerPicture(kMaskLayer));
    EXPECT_EQ(back->layer(4)->opacity, 99);
    EXPECT_EQ(back->layer(5)->kind, LayerKind::Animation);
    // a damaged snapshot is refused, never read past its end
    auto snap = snapshotImage(*img);
    snap.resize(snap.size() / 2);
    EXPECT_FALSE(restoreImage(snap));
}

} // namespace
} // namespace zx
