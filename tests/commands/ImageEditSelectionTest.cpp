#include "commands/ImageEditSelection.h"
#include "commands/SelectionHistory.h"
#include "platform/RecordingPrompter.h"
#include "storage/PhotoImport.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zx {
namespace {

struct ForwardingPanel : ModePanel {
    ImageEditSelection* selection = nullptr;
    bool busy() const override { return selection->busy(); }
    void undo(const HistoryStep& s) override { selection->undo(s); }
    void redo(const HistoryStep& s) override { selection->redo(s); }
};

int selectedCount(const RasterImage& m) {
    return int(std::ranges::count_if(m.pixelVector(), isSelectedWord));
}

// A 40 x 30 photograph: light grey background, a dark 10 x 10 square at (20, 10).
RasterImage photo() {
    RasterImage p(40, 30, 0xFFC8C8C8u);
    for (int y = 10; y < 20; ++y)
        for (int x = 20; x < 30; ++x) p.at(x, y) = 0xFF202020u;
    return p;
}

struct SelectionFixture : ::testing::Test {
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};
    ForwardingPanel panel;
    ImageEditSelection sel{ws};

    SelectionFixture() {
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
        panel.selection = &sel;
        ws.setPanel(AnimationMode::ImageEdit, &panel);
    }
    void addPhoto() { ASSERT_TRUE(ws.addPictureAsImage(photo(), "photo.png")); }
    const RasterImage& mask() { return *sel.mask(); }
    std::string lastLabel() { return ws.project().history.undoStep()->label; }
    void drag(IntPoint a, IntPoint b, bool shift = false, bool ctrl = false) {
        sel.press({a, shift, ctrl});
        sel.move({{(a.x + b.x) / 2, a.y}, shift, ctrl});
        sel.release({b, shift, ctrl});
    }
};

TEST_F(SelectionFixture, EveryToolRecordsOneStepAndUndoRedoRestoreTheMaskExactly) {
    addPhoto();
    std::vector<RasterImage> states{mask()};
    std::vector<std::string> labels;
    auto stepDone = [&] {
        states.push_back(mask());
        labels.push_back(lastLabel());
    };

    drag({2, 2}, {15, 12});
    stepDone();
    EXPECT_EQ(selectedCount(mask()), 14 * 11);

    // Shift adds to the panel's New selection; the lasso's points come from moves
    sel.setTool(SelectionTool::FreeHandLasso);
    sel.press({{2, 20}, true, false});
    for (IntPoint p : {IntPoint{12, 20}, IntPoint{12, 28}}) sel.move({p, true, false});
    sel.release({{2, 28}, true, false});
    stepDone();
    EXPECT_GT(selectedCount(mask()), 14 * 11 + 9 * 7);

    // A line lasso closes on a click near its first corner
    sel.setTool(SelectionTool::LineLasso);
    sel.setType(SelectionType::Add);
    for (IntPoint p : {IntPoint{30, 2}, IntPoint{38, 2}, IntPoint{38, 8}}) sel.press({p});
    EXPECT_TRUE(sel.busy());
    EXPECT_EQ(sel.strokeOutline().size(), 4u); // three corners and the rubber band
    const int steps = ws.project().history.size();
    sel.press({{34, 8}}); // 4 pixels off in x but 6 in y: one more corner
    EXPECT_EQ(ws.project().history.size(), steps);
    sel.press({{31, 3}});
    EXPECT_FALSE(sel.busy());
    stepDone();

    sel.selectAll();
    stepDone();
    // The cleaner takes the dark square out of the selection
    sel.setTool(SelectionTool::MagicBackgroundCleaner);
    sel.move({{25, 15}});
    sel.press({{25, 15}});
    stepDone();
    EXPECT_FALSE(isSelectedWord(mask().at(25, 15)));
    EXPECT_EQ(maskValue(mask().at(25, 15)), 0u);
    EXPECT_TRUE(isSelectedWord(mask().at(5, 5)));

    EXPECT_EQ(labels,
              (std::vector<std::string>{"Rectangular Marquee (Auto Mask)",
                                        "Free Hand Lasso (Auto Mask)", "Line Lasso (Auto Mask)",
                                        "Select All", "Magic Bgrd Cleaner (auto-mask)"}));
    for (int i = int(states.size()) - 2; i >= 0; --i) {
        ASSERT_TRUE(ws.undo());
        EXPECT_EQ(mask(), states[size_t(i)]) << "after undoing step " << i;
    }
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(ws.redo());
        EXPECT_EQ(mask(), states[i]) << "after redoing step " << i;
    }
}

TEST_F(SelectionFixture, DraggingTheSelectionMovesItsFlagsByTheOffset) {
    addPhoto();
    drag({4, 4}, {9, 8});
    const RasterImage before = mask();
    sel.move({{6, 6}});
    EXPECT_EQ(sel.prompt(), "Drag to move selection");
    sel.press({{6, 6}});
    sel.move({{9, 8}});
    EXPECT_EQ(sel.prompt(), "dx= 3 dy= 2");
    EXPECT_EQ(sel.selectionOffset(), (IntPoint{3, 2}));
    sel.release({{9, 8}});
    EXPECT_EQ(lastLabel(), "Move Selection (auto mask)");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t was = inside(before, x - 3, y - 2) ? before.at(x - 3, y - 2) : 0;
            ASSERT_EQ(mask().at(x, y) & MaskBit::SelectionBits, was & MaskBit::SelectionBits);
        }
}

TEST_F(SelectionFixture, CommandsThatChangeNothingRecordNothing) {
    EXPECT_FALSE(sel.selectAll()); // no image: the placeholder is not edited
    addPhoto();
    const int steps = ws.project().history.size();
    const RasterImage start = mask();
    EXPECT_FALSE(sel.grow()); // empty selection
    EXPECT_FALSE(sel.previousSelection());
    sel.setAutoMask(false);   // auto mask would hide the unselected pixels
    drag({-20, 5}, {-2, 25}); // beside the image
    sel.setType(SelectionType::Subtract);
    drag({2, 2}, {8, 8}); // subtracting from nothing
    sel.setTool(SelectionTool::MagicBackgroundCleaner);
    sel.press({{25, 15}}); // the cleaner only reaches selected pixels
    EXPECT_EQ(ws.project().history.size(), steps);
    EXPECT_EQ(mask(), start);
}

TEST_F(SelectionFixture, LineLassoClosesOnADoubleClickAndCancelDropsItsCorners) {
    addPhoto();
    sel.setTool(SelectionTool::LineLasso);
    sel.setAutoMask(false);
    for (IntPoint p : {IntPoint{2, 2}, IntPoint{20, 2}}) sel.press({p});
    sel.cancel();
    EXPECT_FALSE(sel.busy());
    EXPECT_TRUE(sel.strokeOutline().empty());
    for (IntPoint p : {IntPoint{2, 2}, IntPoint{20, 2}, IntPoint{20, 20}}) sel.press({p});
    sel.doubleClick({{20, 20}});
    EXPECT_FALSE(sel.busy());
    EXPECT_TRUE(isSelectedWord(mask().at(15, 8)));  // inside the triangle
    EXPECT_FALSE(isSelectedWord(mask().at(5, 15))); // outside it
}

TEST_F(SelectionFixture, OnePixelImageSurvivesEveryToolAndUndoesToItsStart) {
    // Import refuses pictures this small; a stored project may still hold one.
    ws.project().images.insert(
        0, buildPhotoImage(RasterImage(1, 1, 0xFF808080u), "dot.png", 25, CanvasColour{}));
    ASSERT_TRUE(ws.selectImage(0));
    const RasterImage start = mask();
    const int steps = ws.project().history.size();
    for (int t = 0; t < 5; ++t) {
        sel.setTool(SelectionTool(t));
        drag({-3, -3}, {4, 2}, t % 2 == 0, t == 2);
        sel.doubleClick({{0, 0}});
        sel.press({{0, 0}});
        sel.release({{1, 1}});
        sel.cancel();
    }
    sel.selectVisible();
    sel.grow();
    sel.shrink();
    sel.selectInverse();
    sel.previousSelection();
    sel.setFeather(3);
    sel.showOutside();
    sel.sendToBackground();
    EXPECT_GT(ws.project().history.size(), steps);
    while (ws.canUndo() && ws.project().history.undoStep()->kind == StepKind::ImageEdit)
        ASSERT_TRUE(ws.undo());
    EXPECT_EQ(*maskOf(ws.project().images[0]), start);
}

TEST_F(SelectionFixture, PreviousSelectionTogglesBetweenTheLastTwoSelections) {
    addPhoto();
    sel.setAutoMask(false);
    drag({2, 2}, {10, 10});
    const RasterImage first = mask();
    drag({20, 5}, {30, 25});
    const RasterImage second = mask();
    ASSERT_TRUE(sel.previousSelection());
    EXPECT_EQ(mask(), first);
    ASSERT_TRUE(sel.previousSelection());
    EXPECT_EQ(mask(), second);
}

TEST_F(SelectionFixture, SendToBackgroundIsUndoneByteForByte) {
    addPhoto();
    ProjectImage& img = *ws.currentImage();
    const RasterImage background = *img.layerPicture(kBackgroundLayer);
    const std::string name = img.layer(kBackgroundLayer)->name;
    drag({18, 8}, {31, 21}); // auto mask: 255 inside, 0 outside
    ASSERT_TRUE(sel.sendToBackground());
    const RasterImage cut = *img.layerPicture(kBackgroundLayer);
    EXPECT_EQ(cut.at(25, 15) >> 24, 0u);
    EXPECT_EQ(img.layer(kBackgroundLayer)->name, img.layer(kSubjectLayer)->name + ".b");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(*img.layerPicture(kBackgroundLayer), background);
    EXPECT_EQ(img.layer(kBackgroundLayer)->name, name);
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(*img.layerPicture(kBackgroundLayer), cut);
}

} // namespace
} // namespace zx
