#include "storage/History.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

constexpr auto kEdit = AnimationMode::ImageEdit;
constexpr auto kAnimate = AnimationMode::Animate;

HistoryStep durationStep(int image, int duration, AnimationMode mode = kEdit) {
    HistoryStep s = HistoryStep::projectStep(StepKind::Timeline, StepType::Duration,
                                             kImageDurationLabel, mode, image, false);
    s.duration = duration;
    return s;
}

HistoryStep panelStep(AnimationMode mode, const char* label, int image = 0) {
    return HistoryStep::panelStep(mode, label, image, false, 0);
}

History::Context at(AnimationMode mode, int image = 0, bool background = false) {
    return {mode, image, background};
}

TEST(History, SameDurationTwiceRecordsOneStep) {
    History h;
    EXPECT_TRUE(h.record(durationStep(0, 50), at(kEdit)).recorded);
    History::Outcome second = h.record(durationStep(0, 50), at(kEdit));
    EXPECT_FALSE(second.recorded);
    EXPECT_TRUE(second.markModified);
    EXPECT_EQ(h.size(), 1);
    EXPECT_TRUE(h.record(durationStep(0, 60), at(kEdit)).recorded);
    EXPECT_EQ(h.size(), 2);
    // The same duration on another image is a change of its own (after the selection).
    h.record(durationStep(1, 60), at(kEdit, 1));
    EXPECT_EQ(h.labels(), (std::vector<std::string>{
                              std::string(kImageDurationLabel), std::string(kImageDurationLabel),
                              std::string(kSelectImageLabel), std::string(kImageDurationLabel)}));
}

TEST(History, ModeChangeInsertsModeStepBeforeTheEdit) {
    History h;
    h.record(panelStep(kEdit, "Select All"), at(kEdit));
    h.record(panelStep(kAnimate, "Move Dot"), at(kAnimate));
    ASSERT_EQ(h.size(), 3);
    EXPECT_EQ(h[1].label, "Animate Mode");
    EXPECT_EQ(h[1].kind, StepKind::Project);
    EXPECT_EQ(h[1].type, StepType::ModeChange);
    EXPECT_EQ(h[1].mode(), kAnimate);
    EXPECT_EQ(h.position(), 2);

    // One undo returns to the mode change, the next to the edit.
    EXPECT_TRUE(h.stepBack());
    EXPECT_EQ(h.undoStep()->label, "Animate Mode");
    EXPECT_TRUE(h.stepBack());
    EXPECT_EQ(h.undoStep()->label, "Select All");
}

TEST(History, SelectionChangeInsertsSelectStepExceptForImageListSteps) {
    History h;
    h.record(panelStep(kEdit, "Select All", 0), at(kEdit, 0));
    h.record(panelStep(kEdit, "Deselect", 2), at(kEdit, 2));
    EXPECT_EQ(h[1].label, kSelectImageLabel);
    EXPECT_EQ(h[1].image, 2);
    // Choosing the background row counts as a selection change too.
    h.record(panelStep(kEdit, "Erase", 2), at(kEdit, 2, true));
    EXPECT_EQ(h[3].label, kSelectImageLabel);
    EXPECT_TRUE(h[3].backgroundSelected);

    History g;
    g.record(panelStep(kEdit, "Select All", 0), at(kEdit, 0));
    g.record(HistoryStep::projectStep(StepKind::Project, StepType::RemoveImage, kRemoveImageLabel,
                                      kEdit, 3, false),
             at(kEdit, 3));
    EXPECT_EQ(g.labels(), (std::vector<std::string>{"Select All", std::string(kRemoveImageLabel)}));
}

TEST(History, RecordingAfterUndoDiscardsUndoneSteps) {
    History h;
    h.record(panelStep(kEdit, "A"), at(kEdit));
    h.record(panelStep(kEdit, "B"), at(kEdit));
    h.record(panelStep(kEdit, "C"), at(kEdit));
    h.stepBack();
    h.stepBack();
    EXPECT_TRUE(h.canRedo(true, false));
    EXPECT_EQ(h.redoMenuText(true), "Redo B\tCtrl+Y");
    h.record(panelStep(kEdit, "D"), at(kEdit));
    EXPECT_EQ(h.labels(), (std::vector<std::string>{"A", "D"}));
    EXPECT_FALSE(h.canRedo(true, false));
    EXPECT_EQ(h.redoMenuText(false), "Redo\tCtrl+Y");
    EXPECT_FALSE(h.stepForward());
}

TEST(History, LoadStepsAreAppendedAsIsAndCannotBeUndone) {
    History h;
    HistoryStep load =
        HistoryStep::projectStep(StepKind::Project, StepType::LoadVideoData, kLoadVideoDataLabel,
                                 AnimationMode::None, -1, false);
    History::Outcome out = h.record(load, at(kAnimate));
    EXPECT_TRUE(out.recorded);
    EXPECT_FALSE(out.markModified);
    EXPECT_TRUE(out.rebuildMovieFrames);
    EXPECT_EQ(h.size(), 1);
    EXPECT_FALSE(h.canUndo(true, false));
    EXPECT_EQ(h.undoMenuText(h.canUndo(true, false)), "Undo\tCtrl+Z");

    // A real edit after it is undoable, with its mode step in front.
    h.record(panelStep(kAnimate, "Move Dot", -1), at(kAnimate, -1));
    EXPECT_EQ(h.labels(), (std::vector<std::string>{std::string(kLoadVideoDataLabel),
                                                    "Animate Mode", "Move Dot"}));
    EXPECT_TRUE(h.canUndo(true, false));
    EXPECT_EQ(h.undoMenuText(true), "Undo Move Dot\tCtrl+Z");
    EXPECT_FALSE(h.canUndo(false, false));
    EXPECT_FALSE(h.canUndo(true, true));
}

TEST(History, PanelStepsWithDifferentContentAreKept) {
    History h;
    HistoryStep a = panelStep(kAnimate, "Move Dot");
    a.animation = std::vector<uint32_t>{21, 0};
    HistoryStep b = a;
    h.record(a, at(kAnimate));
    EXPECT_FALSE(h.record(a, at(kAnimate)).recorded);
    b.animation = std::vector<uint32_t>{21, 1};
    EXPECT_TRUE(h.record(b, at(kAnimate)).recorded);

    // Type 14 compares only the mask.
    HistoryStep m = panelStep(kEdit, "Brush", 0);
    m.type = 14;
    m.mask = RunLengthImage{{1, 1, 7}};
    m.pictureB = PackedImage{{1, 2, 3}};
    History g;
    g.record(m, at(kEdit));
    HistoryStep m2 = m;
    m2.pictureB = PackedImage{{9}};
    EXPECT_FALSE(g.record(m2, at(kEdit)).recorded);
    m2.mask = RunLengthImage{{1, 1, 8}};
    EXPECT_TRUE(g.record(m2, at(kEdit)).recorded);
}

TEST(History, ImageListStepsNeverCoalesce) {
    History h;
    HistoryStep copy = HistoryStep::projectStep(StepKind::Project, StepType::AddCopy, kAddCopyLabel,
                                                kEdit, 0, false);
    h.record(copy, at(kEdit));
    EXPECT_TRUE(h.record(copy, at(kEdit)).recorded);
    EXPECT_EQ(h.size(), 2);
}

TEST(History, InvalidPositionsDoNothing) {
    History h;
    EXPECT_FALSE(h.stepBack());
    EXPECT_FALSE(h.stepForward());
    EXPECT_EQ(h.undoStep(), nullptr);
    EXPECT_EQ(h.redoStep(), nullptr);
    EXPECT_EQ(h.undoMenuText(true), "Undo\tCtrl+Z");
    h.record(panelStep(kEdit, "A"), at(kEdit));
    h.clear();
    EXPECT_EQ(h.position(), -1);
    EXPECT_TRUE(h.empty());
}

TEST(History, TargetImageFallsBackToTheLastImage) {
    HistoryStep s;
    s.image = 7;
    EXPECT_EQ(History::targetImage(s, 3), 2);
    EXPECT_EQ(History::targetImage(s, 0), -1);
    s.image = 1;
    EXPECT_EQ(History::targetImage(s, 3), 1);
}

} // namespace
} // namespace zx
