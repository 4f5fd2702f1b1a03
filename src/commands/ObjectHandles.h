#pragma once
// The transform handles around the selected library object: dragging one changes the
// object's effect start values (position, scale, rotations); the editor handle asks
// for the effect editor. Handles sit on the object's box as the view shows it: move
// in the middle, the editor at the top left corner, rotation at the top right, zoom
// at the bottom right, horizontal rotation on the right edge, vertical rotation on
// the bottom edge.

#include "anim/AnimationModel.h"
#include "commands/PointerEvent.h"

#include <string_view>
#include <vector>

namespace zx {

class AnimateEditor;

enum class HandleKind { None, Move, Zoom, Rotate, Editor, HorizontalRotation, VerticalRotation };

struct HandleSpot {
    HandleKind kind = HandleKind::None;
    double x = 0, y = 0;
};

// The handles of a library object (none for any other object).
std::vector<HandleSpot> objectHandles(const AnimationModel& model, int slot);
HandleKind handleAt(const AnimationModel& model, int slot, double x, double y);
std::string_view handlePrompt(HandleKind kind);

// One drag of a handle of the selected library object; live on the model, one undo
// step on release.
class HandleDrag {
public:
    // True when the press hit a handle (the drag then belongs to it).
    bool begin(AnimateEditor& editor, const PointerEvent& e);
    void move(AnimateEditor& editor, const PointerEvent& e);
    void finish(AnimateEditor& editor);
    bool active() const { return kind_ != HandleKind::None; }

private:
    HandleKind kind_ = HandleKind::None;
    int slot_ = -1;
    std::array<ObjectEffect, kEffectCount> original_;
    double centreX_ = 0, centreY_ = 0, pressX_ = 0, pressY_ = 0;
    bool moved_ = false;
};

} // namespace zx
