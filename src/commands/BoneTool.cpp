// The bone tool: a click on a dot, then on another dot of the same object, joins them
// with a bone; dragging a dot bends the bones at it; a double click on a bone removes
// it.

#include "commands/AnimateTool.h"
#include "commands/DotDrag.h"
#include "commands/Workspace.h"
#include "storage/Settings.h"

namespace zx {

namespace {

class BoneTool : public AnimateTool {
public:
    void hover(AnimateEditor& editor, const PointerEvent& e) override {
        const ObjectPart bone = editor.boneAt(e.x, e.y);
        const ObjectPart dot = editor.dotAt(e.x, e.y);
        if (dot.valid()) {
            editor.setHot(dot, {});
            editor.setPrompt("Click to add bone");
        } else if (bone.valid()) {
            editor.setHot({}, bone);
            editor.setPrompt("Dbl Click to remove bone. Right click for bone options");
        }
    }

    void press(AnimateEditor& editor, const PointerEvent& e) override {
        const ObjectPart dot = editor.dotAt(e.x, e.y);
        if (!dot.valid()) {
            first_ = {};
            return;
        }
        if (!editor.lockMouseSelect) editor.model().selectedObject = dot.slot;
        if (first_.valid() && first_.slot == dot.slot && first_.index != dot.index) {
            const ObjectPart a = first_;
            first_ = {};
            const bool fixed = editor.workspace().settings().boneDefaultFixed != 0;
            (void)editor.apply(
                [&](AnimationModel& m) { return addBone(m, a.slot, a.index, dot.index, fixed); });
            return;
        }
        first_ = dot;
        drag_.begin(editor, dot, e);
    }

    void move(AnimateEditor& editor, const PointerEvent& e) override { drag_.move(editor, e); }

    void release(AnimateEditor& editor, const PointerEvent&) override {
        // A drag bends; only a click starts a bone.
        if (drag_.moved()) first_ = {};
        drag_.finish(editor);
    }

    void doubleClick(AnimateEditor& editor, const PointerEvent& e) override {
        first_ = {};
        const ObjectPart bone = editor.boneAt(e.x, e.y);
        if (!bone.valid() || editor.dotAt(e.x, e.y).valid()) return;
        (void)editor.apply([&](AnimationModel& m) { return removeBone(m, bone.slot, bone.index); });
    }

    bool busy() const override { return drag_.active(); }

private:
    ObjectPart first_; // the bone's first dot, once clicked
    DotDrag drag_;
};

} // namespace

std::unique_ptr<AnimateTool> makeBoneTool() {
    return std::make_unique<BoneTool>();
}

} // namespace zx
