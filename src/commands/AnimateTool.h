#pragma once
// A mouse tool of the Animate view: a state machine fed pointer events in image
// pixels. It reads and changes the editor's model through the editor, which records
// the steps; what it keeps between events is only the gesture under way.

#include "commands/PointerEvent.h"

#include "imaging/PolygonFill.h"

#include <memory>
#include <vector>

namespace zx {

class AnimateEditor;
enum class ToolKind;

class AnimateTool {
public:
    virtual ~AnimateTool() = default;
    virtual void press(AnimateEditor&, const PointerEvent&) {}
    virtual void move(AnimateEditor&, const PointerEvent&) {}
    virtual void release(AnimateEditor&, const PointerEvent&) {}
    virtual void doubleClick(AnimateEditor&, const PointerEvent&) {}
    // Enter and Escape while the tool has a gesture open; false when not taken.
    virtual bool key(AnimateEditor&, EditorKey) { return false; }
    // Sets the editor's hot dot or bone and prompt for the spot under the pointer.
    virtual void hover(AnimateEditor&, const PointerEvent&) {}
    // A gesture is under way (a drag, an open segment selection).
    virtual bool busy() const { return false; }
};

// Dots: add a dot, drag it, draw its trajectory, double-click to clear it.
std::unique_ptr<AnimateTool> makeDotTool();
// Bones: click two dots of one object to join them; drag a dot to bend; double-click a
// bone to remove it.
std::unique_ptr<AnimateTool> makeBoneTool();
// Free-hand, segment, rectangle and ellipse selections on the start image; a segment
// selection goes on from the corners of an open selection.
std::unique_ptr<AnimateTool> makeSelectionTool(ToolKind kind, std::vector<IntPoint> open = {});

// How near the pointer must come to a dot or a bone, in image pixels.
inline constexpr double kDotHitRadius = 6;
inline constexpr double kBoneHitDistance = 4;

} // namespace zx
