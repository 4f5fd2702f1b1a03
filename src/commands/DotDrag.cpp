#include "commands/DotDrag.h"

#include "anim/Deformation.h"
#include "platform/Prompter.h"

namespace zx {

void DotDrag::begin(AnimateEditor& editor, ObjectPart dot, const PointerEvent& e) {
    if (!validUserDot(editor.model(), dot.slot, dot.index)) return;
    dot_ = dot;
    original_ = editor.model().object(dot.slot).points[size_t(dot.index)];
    pressX_ = e.x;
    pressY_ = e.y;
    moved_ = false;
}

void DotDrag::move(AnimateEditor& editor, const PointerEvent& e) {
    if (!active() || !std::isfinite(e.x) || !std::isfinite(e.y)) return;
    AnimationModel& model = editor.model();
    AnimPoint& p = model.object(dot_.slot).points[size_t(dot_.index)];
    const Vec3 d{e.x - pressX_, e.y - pressY_, 0};
    p = original_;
    if (editor.view() == AnimateView::Start) {
        // A dot not yet animated keeps still: its end goes with its start.
        if (original_.end == original_.start) p.end = original_.end + d;
        p.start = original_.start + d;
        p.texture = original_.texture + d;
    } else {
        p.end = original_.end + d;
    }
    moved_ = moved_ || d.x != 0 || d.y != 0;
    SilentPrompter quiet;
    computeObject(model, dot_.slot, editor.viewTime(), {}, quiet);
}

void DotDrag::finish(AnimateEditor& editor) {
    if (!active()) return;
    const int slot = dot_.slot;
    dot_ = {};
    if (!moved_) return;
    refreshObjectPose(editor.model(), slot);
    (void)editor.commitLabel(kMoveDotLabel);
}

} // namespace zx
