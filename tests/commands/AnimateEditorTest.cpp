#include "commands/AnimateEditor.h"

#include "anim/AnimationRecord.h"
#include "commands/RegionMenu.h"
#include "commands/Workspace.h"
#include "platform/RecordingPrompter.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {
namespace {

PointerEvent at(double x, double y, Modifiers keys = {}) {
    PointerEvent e;
    e.x = x;
    e.y = y;
    e.keys = keys;
    return e;
}

struct AnimateFixture : ::testing::Test {
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};
    AnimateEditor editor{ws};

    AnimateFixture() {
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
        ws.setPanel(AnimationMode::Animate, &editor);
        EXPECT_TRUE(ws.addPictureAsImage(RasterImage(200, 100, 0xFF808080u), "grey.png"));
        EXPECT_TRUE(ws.switchMode(AnimationMode::Animate));
    }
    AnimationModel& model() { return editor.model(); }
    AnimObject& object(int slot) { return model().object(slot); }
    std::vector<std::string> labels() { return ws.project().history.labels(); }

    void click(double x, double y, Modifiers keys = {}) {
        editor.pointerMove(at(x, y, keys));
        editor.pointerPress(at(x, y, keys));
        editor.pointerRelease(at(x, y, keys));
    }
    void drag(std::vector<std::pair<double, double>> path) {
        editor.pointerMove(at(path[0].first, path[0].second));
        editor.pointerPress(at(path[0].first, path[0].second));
        for (const auto& [x, y] : path) editor.pointerMove(at(x, y));
        editor.pointerRelease(at(path.back().first, path.back().second));
    }
    // A rectangle selection on the start image made into an object.
    int meshRectangle(int x0, int y0, int x1, int y1) {
        editor.setView(AnimateView::Start);
        editor.setTool(ToolKind::Rectangle);
        drag({{x0, y0}, {x1, y1}});
        EXPECT_TRUE(editor.keyPress(EditorKey::Enter));
        return model().selectedObject;
    }
    int addDot(double x, double y) {
        editor.setView(AnimateView::Start);
        editor.setTool(ToolKind::Dots);
        click(x, y);
        return int(object(model().selectedObject).points.size()) - 1;
    }
    // The record the image holds is the model as the editor shows it.
    void expectModelMatchesRecord() {
        ASSERT_TRUE(ws.currentImage()->animation);
        EXPECT_EQ(*ws.currentImage()->animation, writeAnimationRecord(model()));
    }
};

TEST_F(AnimateFixture, DotAddedAndDraggedInTheEndViewMovesTheMeshAndUndoesExactly) {
    ASSERT_TRUE(editor.initRegions(RegionMode::FullImage));
    ASSERT_EQ(model().objectCount, 1);
    const int dot = addDot(50, 50);
    ASSERT_EQ(object(0).userDotCount(), 1);
    EXPECT_EQ(editor.prompt(), "Drag to move dot. Dbl Click to remove dot");
    const std::vector<uint32_t> withDot = *ws.currentImage()->animation;

    editor.setView(AnimateView::End);
    drag({{50, 50}, {70, 50}, {100, 50}});
    EXPECT_EQ(editor.positionText(), "Screen= end x= 100 y= 50");
    const AnimPoint& moved = object(0).points[size_t(dot)];
    EXPECT_EQ(moved.end.x, 100);
    EXPECT_EQ(moved.start.x, 50);
    for (int v = 0; v < object(0).vertexCount; ++v) {
        const AnimPoint& p = object(0).points[size_t(v)];
        EXPECT_DOUBLE_EQ(p.end.x - p.start.x, 50);
        EXPECT_DOUBLE_EQ(p.end.y, p.start.y);
    }
    expectModelMatchesRecord();
    ASSERT_EQ(labels().back(), "Move Dot");

    const std::vector<uint32_t> afterMove = *ws.currentImage()->animation;
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(*ws.currentImage()->animation, withDot);
    EXPECT_EQ(object(0).points[size_t(dot)].end.x, 50);
    ASSERT_TRUE(ws.redo());
    EXPECT_EQ(*ws.currentImage()->animation, afterMove);
    expectModelMatchesRecord();

    // a double click clears the dot; undo brings it back
    editor.doubleClick(at(100, 50));
    EXPECT_EQ(object(0).userDotCount(), 0);
    EXPECT_EQ(labels().back(), "Clear Dot");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(object(0).userDotCount(), 1);
}

TEST_F(AnimateFixture, TrajectoryIsDrawnFromStartToEndAndAClickStraightensIt) {
    ASSERT_TRUE(editor.initRegions(RegionMode::FullImage));
    const int dot = addDot(20, 50);
    editor.setView(AnimateView::End);
    drag({{20, 50}, {120, 50}});
    editor.setView(AnimateView::Current);
    editor.setCurrentFrame(0);
    editor.pointerMove(at(20, 50));
    EXPECT_EQ(editor.prompt(), "Drag to draw trajectory");

    drag({{20, 50}, {50, 20}, {80, 10}, {110, 30}, {120, 50}});
    const AnimPoint& p = object(0).points[size_t(dot)];
    ASSERT_TRUE(p.trajectory);
    EXPECT_EQ(labels().back(), "Dot Trajectory");
    EXPECT_FLOAT_EQ(p.trajectory->front().x, 20);
    EXPECT_FLOAT_EQ(p.trajectory->back().x, 120);
    float highest = 50;
    for (const TrajectorySample& s : *p.trajectory) highest = std::min(highest, s.y);
    EXPECT_LT(highest, 15); // the path went up through (80, 10)

    editor.pointerMove(at(20, 50));
    EXPECT_EQ(editor.prompt(), "Click for linear trajectory");
    click(20, 50);
    EXPECT_FALSE(object(0).points[size_t(dot)].trajectory);
    ASSERT_TRUE(ws.undo());
    EXPECT_TRUE(object(0).points[size_t(dot)].trajectory);
}

TEST_F(AnimateFixture, BonesAreAddedBentTurnedAndRemoved) {
    ASSERT_TRUE(editor.initRegions(RegionMode::FullImage));
    const int a = addDot(40, 50);
    const int b = addDot(140, 50);
    editor.setTool(ToolKind::Bones);
    click(40, 50);
    click(140, 50);
    ASSERT_EQ(object(0).bones.size(), 1u);
    EXPECT_EQ(object(0).bones[0].dotA, a);
    EXPECT_EQ(object(0).bones[0].dotB, b);
    EXPECT_EQ(labels().back(), "Add Bone");

    // bending: the far dot's end moves in the end view
    editor.setView(AnimateView::End);
    drag({{140, 50}, {140, 90}});
    EXPECT_EQ(object(0).points[size_t(b)].end.y, 90);
    EXPECT_EQ(labels().back(), "Move Dot");

    editor.pointerMove(at(90, 70)); // the bent bone's middle
    EXPECT_EQ(editor.prompt(), "Dbl Click to remove bone. Right click for bone options");
    const double angle = object(0).bones[0].restAngle;
    for (int turn = 0; turn < 2; ++turn) {
        const auto menu = editor.rightClick(at(90, 70));
        ASSERT_TRUE(findRegionMenuEntry(menu, "Elastic Bone"));
        EXPECT_EQ(findRegionMenuEntry(menu, "Elastic Bone")->checked, !settings.boneDefaultFixed);
        ASSERT_TRUE(chooseRegionMenuEntry(menu, "Change Bone Orientation"));
    }
    EXPECT_NEAR(std::remainder(object(0).bones[0].restAngle - angle, 2 * std::numbers::pi), 0,
                1e-9);
    EXPECT_EQ(object(0).bones[0].dotA, a);

    editor.doubleClick(at(90, 70));
    EXPECT_TRUE(object(0).bones.empty());
    EXPECT_EQ(labels().back(), "Remove Bone");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(object(0).bones.size(), 1u);
    expectModelMatchesRecord();
}

TEST_F(AnimateFixture, BindingFollowsTheParentDotAndClearingADotRenumbersWhatNamesIt) {
    const int parent = meshRectangle(10, 10, 60, 60);
    const int child = meshRectangle(100, 10, 150, 60);
    ASSERT_EQ(model().objectCount, 2);
    const int parentDot = addDot(30, 30);
    const int spare = addDot(130, 20);
    const int childDot = addDot(120, 30);

    editor.setTool(ToolKind::Dots);
    auto menu = editor.rightClick(at(120, 30));
    ASSERT_TRUE(chooseRegionMenuEntry(menu, "Binding"));
    EXPECT_TRUE(editor.bindingInProgress());
    editor.pointerMove(at(30, 30));
    EXPECT_EQ(editor.prompt(), "Click on a dot to bind object");
    click(30, 30);
    EXPECT_EQ(labels().back(), "Binding");
    const ObjectBinding bound = object(child).binding;
    EXPECT_EQ(bound.parentObject, parent);
    EXPECT_EQ(bound.ownDot1, childDot);
    EXPECT_EQ(bound.parentDot1, parentDot);
    menu = editor.rightClick(at(120, 30));
    EXPECT_TRUE(findRegionMenuEntry(menu, "Binding")->checked);

    // the child's dot before the bound one goes: the binding names the dot by its new index
    editor.doubleClick(at(130, 20));
    EXPECT_EQ(object(child).binding.ownDot1, spare);
    EXPECT_TRUE(object(child).points[size_t(spare)].flags & PointFlag::BindingDot);

    ASSERT_TRUE(ws.undo());
    ASSERT_TRUE(ws.undo());
    EXPECT_FALSE(object(child).binding.bound());
}

TEST_F(AnimateFixture, SpinRemoveAndKeysRecordTheirStepsAndUndo) {
    meshRectangle(10, 10, 60, 60);
    meshRectangle(100, 10, 150, 60);
    addDot(30, 30);
    auto menu = editor.rightClick(at(30, 30));
    EXPECT_EQ(chooseRegionMenuEntry(menu, "Spin Mode...").code(), StatusCode::Refused);
    ASSERT_TRUE(chooseRegionMenuEntry(menu, "Spin Mode...", {{"Spin", 2}}));
    EXPECT_EQ(object(0).spin, 2);
    EXPECT_EQ(labels().back(), "Set Spin");
    menu = editor.rightClick(at(30, 30));
    ASSERT_TRUE(chooseRegionMenuEntry(menu, "Cancel Track/Spin"));
    EXPECT_EQ(object(0).spin, 0);

    // Tab wraps; Delete removes the selected object; undo puts it and the selection back
    model().selectedObject = 1;
    EXPECT_TRUE(editor.keyPress(EditorKey::Tab));
    EXPECT_EQ(model().selectedObject, 0);
    ASSERT_TRUE(editor.keyPress(EditorKey::Delete));
    EXPECT_EQ(model().objectCount, 1);
    EXPECT_EQ(labels().back(), "Remove Region");
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(model().objectCount, 2);
    EXPECT_EQ(model().selectedObject, 0);
    EXPECT_EQ(object(0).userDotCount(), 1);

    EXPECT_TRUE(editor.keyPress(EditorKey::L));
    EXPECT_EQ(currentFrameCaption(editor.captionState()),
              "Current Frame - Selected Region: User defined Region  [LOCK]");
    menu = editor.rightClick(at(120, 30)); // locked: the selection stays
    EXPECT_EQ(model().selectedObject, 0);
    EXPECT_TRUE(findRegionMenuEntry(menu, "Lock Mouse Select")->checked);
}

TEST_F(AnimateFixture, RegionMenuFollowsTheStateInItsOrder) {
    auto texts = [](const std::vector<RegionMenuEntry>& menu) {
        std::vector<std::string> out;
        for (const auto& e : menu) out.emplace_back(e.label());
        return out;
    };
    auto menu = editor.rightClick(at(5, 5));
    EXPECT_EQ(texts(menu), (std::vector<std::string>{"Lock Mouse Select", "Select Next Object",
                                                     "Set as Start Image", "Add Conductor Box"}));
    EXPECT_FALSE(menu[1].enabled);

    meshRectangle(10, 10, 60, 60);
    editor.setTool(ToolKind::Rectangle);
    drag({{5, 5}, {30, 30}}); // overlaps the object: the mesh commands join in
    menu = editor.rightClick(at(20, 20));
    const auto t = texts(menu);
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(
        std::vector<std::string>(t.begin(), t.begin() + 4),
        (std::vector<std::string>{"Convert to Mesh", "Split Mesh", "Cut Mesh", "Add to Mesh"}));
    const RegionMenuEntry* curves = findRegionMenuEntry(menu, "Time curve...");
    ASSERT_TRUE(curves);
    ASSERT_TRUE(chooseRegionMenuEntry(menu, "Alternate"));
    menu = editor.rightClick(at(20, 20));
    EXPECT_TRUE(findRegionMenuEntry(menu, "Alternate")->checked);
    EXPECT_FALSE(findRegionMenuEntry(menu, "Linear")->checked);

    ASSERT_TRUE(chooseRegionMenuEntry(menu, "Hide Region/Object"));
    EXPECT_EQ(labels().back(), "Hide Region/Object");
    menu = editor.rightClick(at(20, 20));
    EXPECT_TRUE(findRegionMenuEntry(menu, "Hide Region/Object")->checked);
    EXPECT_EQ(chooseRegionMenuEntry(menu, "Remove Bone").code(), StatusCode::Refused);
}

TEST_F(AnimateFixture, ConductorBoxStaysHiddenAndRefusalsRecordNothing) {
    editor.pointerMove(at(100, 50));
    ASSERT_TRUE(editor.addConductorBox(100, 50));
    ASSERT_EQ(model().objectCount, 1);
    EXPECT_TRUE(object(0).kindFlags & ObjectKind::ConductorBox);
    EXPECT_TRUE(object(0).hidden);
    EXPECT_FALSE(toggleHidden(model(), 0));
    EXPECT_FALSE(showAllObjects(model()));
    EXPECT_TRUE(object(0).hidden);

    const int steps = ws.project().history.size();
    const std::vector<uint32_t> record = *ws.currentImage()->animation;
    const int dot = object(0).vertexCount;
    EXPECT_FALSE(editor.apply([&](AnimationModel& m) { return setDotZ(m, 0, dot, 5000); }));
    EXPECT_FALSE(editor.apply([&](AnimationModel& m) { return setDotZ(m, 0, dot, NAN); }));
    EXPECT_TRUE(prompter.saw("Value out of range"));
    EXPECT_FALSE(editor.apply([&](AnimationModel& m) { return clearDot(m, 7, 0); }));
    EXPECT_EQ(ws.project().history.size(), steps);
    EXPECT_EQ(*ws.currentImage()->animation, record);
    EXPECT_EQ(writeAnimationRecord(model()), record);
}

TEST_F(AnimateFixture, SelectionsAreDrawnOnTheStartImageOnly) {
    editor.setTool(ToolKind::Segment);
    editor.setView(AnimateView::End);
    editor.pointerMove(at(10, 10));
    EXPECT_EQ(editor.prompt(), "Please use start image to define selection");
    click(10, 10);
    EXPECT_TRUE(editor.selection().empty());

    editor.setView(AnimateView::Start);
    for (auto [x, y] : {std::pair{10, 10}, {60, 10}, {60, 50}}) click(x, y);
    EXPECT_TRUE(editor.busy());
    EXPECT_FALSE(editor.selectionClosed());
    EXPECT_TRUE(editor.keyPress(EditorKey::Escape));
    EXPECT_TRUE(editor.selection().empty());

    for (auto [x, y] : {std::pair{10, 10}, {60, 10}, {60, 50}, {10, 50}}) click(x, y);
    editor.doubleClick(at(10, 50));
    ASSERT_TRUE(editor.selectionClosed());
    EXPECT_EQ(editor.selection().size(), 4u);
    ASSERT_TRUE(editor.keyPress(EditorKey::Enter));
    EXPECT_EQ(model().objectCount, 1);
    EXPECT_EQ(labels().back(), "Convert to Mesh");
    EXPECT_TRUE(editor.selection().empty());
}

TEST_F(AnimateFixture, SetAsStartImageCarriesBoundObjectsAndResetGoesBackToThePicture) {
    const int parent = meshRectangle(10, 10, 60, 60);
    const int child = meshRectangle(100, 10, 150, 60);
    const int parentDot = addDot(30, 30);
    const int childDot = addDot(120, 30);
    ASSERT_TRUE(editor.apply(
        [&](AnimationModel& m) { return bindObject(m, child, childDot, parent, parentDot); }));
    editor.setView(AnimateView::End);
    drag({{30, 30}, {30, 70}});

    model().selectedObject = parent;
    const auto menu = editor.rightClick(at(30, 70));
    ASSERT_TRUE(chooseRegionMenuEntry(menu, "Set as Start Image"));
    // the end pose is the new start pose, for the parent and the child bound to it
    EXPECT_DOUBLE_EQ(object(parent).points[size_t(parentDot)].start.y, 70);
    EXPECT_DOUBLE_EQ(object(child).points[size_t(childDot)].start.y, 70);
    for (const AnimPoint& p : object(parent).points) EXPECT_DOUBLE_EQ(p.start.y - p.texture.y, 40);

    ASSERT_TRUE(editor.apply([&](AnimationModel& m) { return resetAnimation(m, parent, true); }));
    for (const AnimPoint& p : object(parent).points) {
        EXPECT_EQ(p.start, p.texture);
        EXPECT_EQ(p.end, p.start);
    }
}

TEST_F(AnimateFixture, LibraryObjectHandlesChangeItsEffectStartValues) {
    const int slot = meshRectangle(20, 20, 60, 60);
    AnimObject& o = object(slot);
    o.libraryFlag = 1; // as a library file would give it
    o.boxRect = o.textureRect;
    editor.recompute();
    const double cx = 40, cy = 40; // the middle of its box
    editor.pointerMove(at(cx, cy));
    EXPECT_EQ(editor.prompt(), "Drag to move the object");
    drag({{cx, cy}, {cx + 10, cy}, {cx + 20, cy + 5}});
    EXPECT_FLOAT_EQ(o.effects[EffectSlot::HorizontalPosition].startValue, 20);
    EXPECT_FLOAT_EQ(o.effects[EffectSlot::VerticalPosition].startValue, 5);
    EXPECT_EQ(labels().back(), "Move Object");

    // the zoom handle, at the moved box's corner, dragged to twice its distance
    const std::vector<HandleSpot> spots = objectHandles(model(), slot);
    const HandleSpot z = *std::find_if(
        spots.begin(), spots.end(), [](const HandleSpot& h) { return h.kind == HandleKind::Zoom; });
    const HandleSpot centre = spots.front();
    drag({{z.x, z.y}, {2 * z.x - centre.x, 2 * z.y - centre.y}});
    EXPECT_NEAR(o.effects[EffectSlot::Scale].startValue, 2, 1e-3);

    int opened = -1;
    editor.openObjectEditor = [&](int s) { opened = s; };
    const HandleSpot corner = objectHandles(model(), slot)[1];
    click(corner.x, corner.y);
    EXPECT_EQ(opened, slot);
}

} // namespace
} // namespace zx
