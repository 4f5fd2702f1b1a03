// The Animate view as the user edits: the selected object outlined by the preview
// filler without the outline reaching the record, the frame following a drag before
// it is recorded, the refusal to select on a modified start image, and the
// "Use Perspective" box.

#include "commands/AnimateViewFrame.h"
#include "commands/AnimateEditor.h"

#include "anim/AnimationRecord.h"
#include "commands/ApplyScript.h"
#include "commands/Workspace.h"
#include "platform/RecordingPrompter.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zx {
namespace {

constexpr uint32_t kOutline = 0xFFFFFF00u;

PointerEvent at(double x, double y) {
    PointerEvent e;
    e.x = x;
    e.y = y;
    return e;
}

long long countPixels(const RasterImage& picture, uint32_t colour) {
    const auto& p = picture.pixelVector();
    return std::count(p.begin(), p.end(), colour);
}

struct ViewFrameFixture : ::testing::Test {
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};
    AnimateEditor editor{ws};

    ViewFrameFixture() {
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
        ws.setPanel(AnimationMode::Animate, &editor);
        EXPECT_TRUE(ws.addPictureAsImage(RasterImage(200, 100, 0xFF808080u), "grey.png"));
        EXPECT_TRUE(ws.switchMode(AnimationMode::Animate));
        EXPECT_TRUE(editor.initRegions(RegionMode::FullImage));
    }
    AnimationModel& model() { return editor.model(); }
    RasterImage viewFrame(int frame) {
        return renderAnimateViewFrame(ws.project(), model(), ws.project().currentImage, frame,
                                      RenderQuality::Low);
    }
    int addDot(double x, double y) {
        editor.setView(AnimateView::Start);
        editor.setTool(ToolKind::Dots);
        editor.pointerMove(at(x, y));
        editor.pointerPress(at(x, y));
        editor.pointerRelease(at(x, y));
        return int(model().object(0).points.size()) - 1;
    }
};

TEST_F(ViewFrameFixture, SelectedObjectIsOutlinedInTheViewOnlyAndNeverInTheRecord) {
    model().selectedObject = 0; // as a click on it would
    const std::vector<uint32_t> record = *ws.currentImage()->animation;
    const RasterImage outlined = viewFrame(0);
    ASSERT_EQ(outlined.width(), 200);
    EXPECT_GT(countPixels(outlined, kOutline), 100);

    // the editor's model and the stored record carry no highlight
    for (const MeshTriangle& t : model().object(0).triangles)
        EXPECT_EQ(t.flags & TriangleFlag::Highlight, 0);
    EXPECT_EQ(writeAnimationRecord(model()), record);
    EXPECT_EQ(*ws.currentImage()->animation, record);

    ProjectFrameRequest request;
    request.view = FrameView::Image;
    AnimationModel scene;
    ASSERT_TRUE(loadImageScene(*ws.currentImage(), scene, {}));
    Result<RasterImage> exported = renderProjectFrame(ws.project(), scene, request);
    ASSERT_TRUE(exported);
    EXPECT_EQ(countPixels(*exported, kOutline), 0);

    // without a selection the view is the frame as rendered for export
    model().selectedObject = -1;
    const RasterImage plain = viewFrame(0);
    EXPECT_EQ(countPixels(plain, kOutline), 0);
    EXPECT_EQ(plain.pixelVector(), exported->pixelVector());
}

TEST_F(ViewFrameFixture, HighlightFollowsTheSelectionAcrossObjects) {
    AnimationModel m = model();
    m.object(1) = m.object(0);
    m.objectCount = 2;
    setObjectHighlight(m, 1);
    auto lit = [&](int slot) {
        const auto& ts = m.object(slot).triangles;
        return std::all_of(ts.begin(), ts.end(),
                           [](const MeshTriangle& t) { return t.flags & TriangleFlag::Highlight; });
    };
    auto dark = [&](int slot) {
        const auto& ts = m.object(slot).triangles;
        return std::none_of(ts.begin(), ts.end(), [](const MeshTriangle& t) {
            return t.flags & TriangleFlag::Highlight;
        });
    };
    EXPECT_TRUE(lit(1) && dark(0));
    setObjectHighlight(m, 0);
    EXPECT_TRUE(lit(0) && dark(1));
    setObjectHighlight(m, -1);
    EXPECT_TRUE(dark(0) && dark(1));
}

TEST_F(ViewFrameFixture, ViewFollowsADotWhileItIsDraggedBeforeAnyStepIsRecorded) {
    addDot(50, 50);
    editor.setView(AnimateView::End);
    const int last = ws.currentImage()->duration();
    const RasterImage before = viewFrame(last);
    const size_t steps = ws.project().history.labels().size();

    editor.pointerMove(at(50, 50));
    editor.pointerPress(at(50, 50));
    editor.pointerMove(at(90, 50));
    EXPECT_TRUE(editor.busy());
    const RasterImage dragging = viewFrame(last);
    EXPECT_NE(dragging.pixelVector(), before.pixelVector());
    EXPECT_EQ(ws.project().history.labels().size(), steps);

    editor.pointerRelease(at(90, 50));
    EXPECT_EQ(ws.project().history.labels().back(), "Move Dot");
    EXPECT_EQ(viewFrame(last).pixelVector(), dragging.pixelVector());
}

TEST_F(ViewFrameFixture, SelectionOnAModifiedStartImageIsRefusedUntilItIsUndone) {
    addDot(50, 50);
    editor.setView(AnimateView::End);
    editor.pointerMove(at(50, 50));
    editor.pointerPress(at(50, 50));
    editor.pointerMove(at(80, 60));
    editor.pointerRelease(at(80, 60));
    EXPECT_FALSE(editor.startImageModified()); // moving dots leaves the start image alone

    editor.setView(AnimateView::End);
    ASSERT_TRUE(
        editor.apply([&](AnimationModel& m) { return setAsStartImage(m, 0, 1.0, ws.prompter()); }));
    EXPECT_TRUE(editor.startImageModified());
    EXPECT_TRUE(editor.captionState().imageModified);

    auto startSelection = [&] {
        editor.setView(AnimateView::Start);
        editor.setTool(ToolKind::Rectangle);
        editor.pointerMove(at(10, 10));
        editor.pointerPress(at(10, 10));
        editor.pointerMove(at(40, 40));
        editor.pointerRelease(at(40, 40));
        return editor.selectionClosed();
    };
    prompter.clear();
    EXPECT_FALSE(startSelection());
    EXPECT_TRUE(editor.selection().empty());
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(kModifiedStartImageMessage)});

    ASSERT_TRUE(ws.undo());
    EXPECT_FALSE(editor.startImageModified());
    EXPECT_TRUE(startSelection());
}

TEST_F(ViewFrameFixture, UsePerspectiveIsAStepOfItsOwnFromTheScriptTable) {
    const auto& table = applyCommands();
    auto row = std::find_if(table.begin(), table.end(),
                            [](const ApplyCommand& c) { return c.name == "Use Perspective"; });
    ASSERT_NE(row, table.end());
    ApplyContext context{ws, editor};
    const std::vector<uint32_t> before = *ws.currentImage()->animation;

    ASSERT_TRUE(row->run(context, {}));
    EXPECT_TRUE(perspectiveView(model()));
    EXPECT_EQ(ws.project().history.labels().back(), "Change Perspective");
    EXPECT_NE(*ws.currentImage()->animation, before);

    ASSERT_TRUE(ws.undo());
    EXPECT_FALSE(perspectiveView(model()));
    EXPECT_EQ(*ws.currentImage()->animation, before);
    ASSERT_TRUE(ws.redo());
    EXPECT_TRUE(perspectiveView(model()));
}

} // namespace
} // namespace zx
