#pragma once
// The Animate mode's panel without windows: it owns the editable AnimationModel of
// the current image and the mouse tool chosen, turns pointer events (image pixels of
// the view shown) into changes of the model, says what the status bar shows and what
// the view highlights, and records one undo step per change with the command's label.
// The app's view and the command-line `apply` drive it alike.
//
// Every change goes through apply(): the command works on the model, the frame is
// recomputed, the model is written into the image's animation record and a
// whole-record step (record before and after, the selected object before and after)
// is recorded. A command that refuses leaves the model and the history as they were.

#include "anim/AnimationModel.h"
#include "commands/ModePanel.h"
#include "commands/ObjectCommands.h"
#include "commands/ObjectHandles.h"
#include "commands/PointerEvent.h"
#include "commands/ViewLayout.h"
#include "imaging/PolygonFill.h"
#include "mesh3d/RegionObjects.h"
#include "platform/Status.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class Progress;
class Workspace;
class AnimateTool;
struct RegionMenuEntry;

// The "Use Perspective" box, kept in setting word 4 of the animation record.
inline constexpr size_t kPerspectiveWord = 4;
inline bool perspectiveView(const AnimationModel& model) {
    return model.headerWords[kPerspectiveWord] != 0;
}

// The panel's tools, by the text of their buttons.
enum class ToolKind { None, Dots, Bones, FreeHand, Segment, Rectangle, Ellipse };
// Which image the pointer works on.
enum class AnimateView { Current = 0, Start = 1, End = 2 };

inline constexpr std::string_view kBindingPrompt = "Click on a dot to bind object";
inline constexpr std::string_view kUseStartImagePrompt =
    "Please use start image to define selection";
inline constexpr std::string_view kModifiedStartImageMessage =
    "Cannot define a selection on a modified start image...";

std::string_view toolButtonText(ToolKind tool);
std::optional<ToolKind> toolFromButtonText(std::string_view text);
bool isSelectionTool(ToolKind tool);

// A dot (user dot index) or bone of an object; slot −1 for none.
struct ObjectPart {
    int slot = -1;
    int index = -1;
    bool valid() const { return slot >= 0 && index >= 0; }
    bool operator==(const ObjectPart&) const = default;
};

class AnimateEditor : public ModePanel {
public:
    explicit AnimateEditor(Workspace& workspace);
    ~AnimateEditor() override;

    AnimationModel& model() { return model_; }
    const AnimationModel& model() const { return model_; }
    Workspace& workspace() { return workspace_; }
    // Gives each mesh command its progress display (none: no progress shown).
    std::function<std::unique_ptr<Progress>()> makeProgress;
    // Run after every change the app must show (redraw, caption, status bar).
    std::function<void()> changed;
    // The editor handle of a library object was clicked (the app opens the effect
    // editor on the slot).
    std::function<void(int slot)> openObjectEditor;
    // "Time curve..." > "Select..." on an object (the app opens the curve editor).
    std::function<void(int slot)> openTimeCurveEditor;

    // ---- tool, view, frame ------------------------------------------------------
    ToolKind tool() const { return tool_; }
    // Clears the hot dot and bone and an open selection (kept between the two
    // free-form selection tools), then recomputes.
    void setTool(ToolKind tool);
    AnimateView view() const { return view_; }
    void setView(AnimateView view);
    int currentFrame() const { return model_.currentFrameIndex; }
    void setCurrentFrame(int frame);
    bool lockMouseSelect = false;
    // The normalised time of the view shown: 0 start, 1 end, else the current frame's.
    double viewTime() const;

    // ---- pointer ------------------------------------------------------------------
    void pointerMove(const PointerEvent& e);
    void pointerPress(const PointerEvent& e);
    void pointerRelease(const PointerEvent& e);
    void doubleClick(const PointerEvent& e);
    // The region menu for the spot clicked, built afresh.
    std::vector<RegionMenuEntry> rightClick(const PointerEvent& e);
    // False when the key means nothing now.
    bool keyPress(EditorKey key);

    // ---- what the view shows ------------------------------------------------------
    // "Screen= start x= 10 y= 20", or "Ready" with no image.
    std::string positionText() const;
    const std::string& prompt() const { return prompt_; }
    double pointerX() const { return pointerX_; }
    double pointerY() const { return pointerY_; }
    ObjectPart hotDot() const { return hotDot_; }
    ObjectPart hotBone() const { return hotBone_; }
    int hotObject() const;
    // The selection drawn so far (closed once `selectionClosed`).
    const std::vector<IntPoint>& selection() const { return selection_; }
    bool selectionClosed() const { return selectionClosed_; }
    bool bindingInProgress() const { return binding_.valid(); }
    // What the view captions say of the selection: a library object by its name as
    // the selected object, any other object as the selected region; the lock.
    CaptionState captionState() const;

    // ---- changes ------------------------------------------------------------------
    // Runs a command on the model; records its step when it changed something.
    Status apply(const std::function<EditResult(AnimationModel&)>& command);
    // Runs an undoable change whose label is known before (a drag).
    Status commitLabel(std::string_view label);
    // The selected object's commands.
    Status startBinding(int slot, int dot);
    Status addConductorBox(double x, double y);
    Status setDisableBindings(bool disabled);
    // The "Use Perspective" box.
    Status setUsePerspective(bool on);
    Status selectNext();
    // "Full Image Rectangle", "Regions Contours", "Regions Rectangles".
    Status initRegions(RegionMode mode);
    Status clearAllMeshes();
    // "Convert to Mesh", "Split Mesh", "Cut Mesh", "Add to Mesh" on the closed selection.
    Status selectionMeshCommand(std::string_view label);
    bool selectionTouchesMesh() const;
    // Steps the selected object's mesh definition.
    Status changeMeshDefinition(int step);
    // The selection as a closed polygon of at least three corners (drawn by a tool).
    void setSelection(std::vector<IntPoint> polygon, bool closed);
    void clearSelection();

    // ---- hit tests in the view shown --------------------------------------------
    ObjectPart dotAt(double x, double y) const;
    ObjectPart boneAt(double x, double y) const;
    // The visible object under the pointer: the selected one when it is there, else
    // the topmost; only the selected one while the selection is locked.
    int objectAt(double x, double y) const;
    // Where a dot added at (x, y) of the view sits on object `slot`: texture, start and
    // end positions from the triangle under the pointer. None outside the object.
    struct DotPlace {
        Vec3 texture, start, end;
    };
    std::optional<DotPlace> dotPlace(int slot, double x, double y) const;
    bool insideImage(double x, double y) const;
    // The start image no longer shows the picture as it is: an object's start pose
    // was moved off its texture ("Set as Start Image"), so a selection drawn there
    // would not outline what the picture holds.
    bool startImageModified() const;

    // ---- ModePanel ----------------------------------------------------------------
    void enter() override;
    void imageChanged() override;
    bool busy() const override;
    void undo(const HistoryStep& step) override;
    void redo(const HistoryStep& step) override;
    void durationChanged(int oldFrames, int newFrames) override;

    // The prompt for the spot under the pointer (tools call this on every move).
    void setPrompt(std::string_view text) { prompt_ = text; }
    void setHot(ObjectPart dot, ObjectPart bone);
    // Recomputes every object at the view's time.
    void recompute();
    // Reads the image's record into the model again (after an undo or a refusal).
    void reload();

private:
    void loadCurrentImage();
    void notifyChanged();
    void updatePrompt(const PointerEvent& e);
    bool finishBinding(const PointerEvent& e);
    Status rollBack(Status why);
    std::unique_ptr<Progress> startProgress() const;

    Workspace& workspace_;
    AnimationModel model_;
    ToolKind tool_ = ToolKind::None;
    std::unique_ptr<AnimateTool> toolState_;
    HandleDrag handles_; // a drag of the selected library object's handles
    AnimateView view_ = AnimateView::Current;
    std::string prompt_;
    ObjectPart hotDot_, hotBone_;
    ObjectPart binding_;          // the child object and dot while a binding is in progress
    int committedSelection_ = -1; // the selected object when the last step was recorded
    std::vector<IntPoint> selection_;
    bool selectionClosed_ = false;
    double pointerX_ = -1, pointerY_ = -1;
};

} // namespace zx
