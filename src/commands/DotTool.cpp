// The dot tool: a click inside an object adds a dot, a drag moves one, a drag on the
// current frame from a dot that moves draws its trajectory, a click on a dot with a
// drawn trajectory makes it straight again, a double click clears the dot.

#include "commands/AnimateTool.h"
#include "commands/DotDrag.h"
#include "commands/Workspace.h"
#include "storage/Settings.h"

#include <cmath>

namespace zx {

namespace {

// Samples of a drawn trajectory, equally spaced along the path drawn.
constexpr int kTrajectorySamples = 32;

bool isConductor(const AnimationModel& model, int slot) {
    return model.object(slot).kindFlags & ObjectKind::ConductorBox;
}

// The path from the dot's start through the pointer's path to its end, resampled at
// equal distances.
DotTrajectory resamplePath(const std::vector<Vec3>& path) {
    std::vector<double> along(path.size(), 0);
    for (size_t i = 1; i < path.size(); ++i)
        along[i] = along[i - 1] + std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    DotTrajectory samples;
    size_t k = 1;
    for (int s = 0; s < kTrajectorySamples; ++s) {
        const double at = along.back() * s / (kTrajectorySamples - 1);
        while (k + 1 < path.size() && along[k] < at) ++k;
        const double span = along[k] - along[k - 1];
        const double f = span > 0 ? std::clamp((at - along[k - 1]) / span, 0.0, 1.0) : 1.0;
        const Vec3 p = lerp(path[k - 1], path[k], f);
        samples.push_back({float(p.x), float(p.y), 0});
    }
    return samples;
}

class DotTool : public AnimateTool {
public:
    void hover(AnimateEditor& editor, const PointerEvent& e) override {
        const AnimationModel& model = editor.model();
        const ObjectPart dot = editor.dotAt(e.x, e.y);
        if (dot.valid()) {
            editor.setHot(dot, {});
            const AnimPoint& p = model.object(dot.slot).points[size_t(dot.index)];
            if (isConductor(model, dot.slot))
                editor.setPrompt("Drag to move Conductor");
            else if (drawsTrajectory(editor, p))
                editor.setPrompt("Drag to draw trajectory");
            else if (editor.view() == AnimateView::Current && p.trajectory)
                editor.setPrompt("Click for linear trajectory");
            else
                editor.setPrompt("Drag to move dot. Dbl Click to remove dot");
            return;
        }
        if (slotForNewDot(editor, e) >= 0) editor.setPrompt("Click to add dot");
    }

    void press(AnimateEditor& editor, const PointerEvent& e) override {
        const ObjectPart dot = editor.dotAt(e.x, e.y);
        if (!dot.valid()) {
            addDot(editor, e);
            return;
        }
        if (!editor.lockMouseSelect) editor.model().selectedObject = dot.slot;
        const AnimPoint& p = editor.model().object(dot.slot).points[size_t(dot.index)];
        if (drawsTrajectory(editor, p)) {
            traced_ = dot;
            path_ = {p.start, {e.x, e.y, 0}};
        } else if (editor.view() == AnimateView::Current && p.trajectory) {
            straighten_ = dot;
        } else {
            drag_.begin(editor, dot, e);
        }
    }

    void move(AnimateEditor& editor, const PointerEvent& e) override {
        if (traced_.valid() && std::isfinite(e.x) && std::isfinite(e.y))
            path_.push_back({e.x, e.y, 0});
        drag_.move(editor, e);
    }

    void release(AnimateEditor& editor, const PointerEvent& e) override {
        drag_.finish(editor);
        if (traced_.valid()) finishTrajectory(editor, e);
        if (straighten_.valid()) {
            const ObjectPart dot = straighten_;
            straighten_ = {};
            if (editor.dotAt(e.x, e.y) == dot) {
                editor.model().object(dot.slot).points[size_t(dot.index)].trajectory.reset();
                (void)editor.commitLabel(kDotTrajectoryLabel);
            }
        }
    }

    void doubleClick(AnimateEditor& editor, const PointerEvent& e) override {
        const ObjectPart dot = editor.dotAt(e.x, e.y);
        if (!dot.valid()) return;
        (void)editor.apply([&](AnimationModel& m) { return clearDot(m, dot.slot, dot.index); });
    }

    bool busy() const override { return drag_.active() || traced_.valid(); }

private:
    static bool drawsTrajectory(const AnimateEditor& editor, const AnimPoint& p) {
        return editor.view() == AnimateView::Current && !p.trajectory && p.start != p.end;
    }

    static int slotForNewDot(const AnimateEditor& editor, const PointerEvent& e) {
        if (editor.view() == AnimateView::End || !editor.insideImage(e.x, e.y)) return -1;
        const int slot = editor.objectAt(e.x, e.y);
        if (slot < 0 || isConductor(editor.model(), slot) ||
            editor.model().object(slot).isLibrary())
            return -1;
        return slot;
    }

    static void addDot(AnimateEditor& editor, const PointerEvent& e) {
        const int slot = slotForNewDot(editor, e);
        if (slot < 0) return;
        const auto place = editor.dotPlace(slot, e.x, e.y);
        if (!place) return;
        const bool smooth = editor.workspace().settings().smoothAction != 0;
        (void)editor.apply([&](AnimationModel& m) -> EditResult {
            Result<int> added =
                addUserDot(m, slot, place->texture, place->start, place->end, smooth);
            if (!added) return added.status();
            return std::string(kAddDotLabel);
        });
    }

    void finishTrajectory(AnimateEditor& editor, const PointerEvent& e) {
        const ObjectPart dot = traced_;
        traced_ = {};
        if (std::isfinite(e.x) && std::isfinite(e.y)) path_.push_back({e.x, e.y, 0});
        AnimPoint& p = editor.model().object(dot.slot).points[size_t(dot.index)];
        path_.push_back(p.end);
        if (path_.size() < 5) return; // no move between press and release: a click
        p.trajectory = resamplePath(path_);
        (void)editor.commitLabel(kDotTrajectoryLabel);
    }

    DotDrag drag_;
    ObjectPart traced_;
    ObjectPart straighten_;
    std::vector<Vec3> path_;
};

} // namespace

std::unique_ptr<AnimateTool> makeDotTool() {
    return std::make_unique<DotTool>();
}

} // namespace zx
