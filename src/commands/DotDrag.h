#pragma once
// Dragging one user dot in the Animate view: on the start image the dot's start (and
// its place on the picture) follows the pointer, on the current-frame and end views
// its end position does. The model changes live; the release records "Move Dot".

#include "commands/AnimateEditor.h"

namespace zx {

class DotDrag {
public:
    void begin(AnimateEditor& editor, ObjectPart dot, const PointerEvent& e);
    void move(AnimateEditor& editor, const PointerEvent& e);
    // Records the step when the dot moved; a drag that went nowhere records nothing.
    void finish(AnimateEditor& editor);
    bool active() const { return dot_.valid(); }
    bool moved() const { return moved_; }

private:
    ObjectPart dot_;
    AnimPoint original_;
    double pressX_ = 0, pressY_ = 0;
    bool moved_ = false;
};

} // namespace zx
