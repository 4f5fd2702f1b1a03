// The Animate view's selections, drawn on the start image for the mesh commands:
// free hand (the pointer's path), segment (a click per corner, closed by a double
// click or Enter, dropped by Escape), rectangle and ellipse (a drag from corner to
// corner). A drag inside a closed selection moves it.

#include "commands/AnimateEditor.h"
#include "commands/AnimateTool.h"
#include "commands/Workspace.h"
#include "platform/Prompter.h"

#include <cmath>
#include <numbers>

namespace zx {

namespace {

constexpr int kEllipseCorners = 48;

IntPoint pixel(const PointerEvent& e) {
    return {int(std::lround(e.x)), int(std::lround(e.y))};
}

bool finite(const PointerEvent& e) {
    return std::isfinite(e.x) && std::isfinite(e.y);
}

bool insidePolygon(const std::vector<IntPoint>& poly, double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const IntPoint a = poly[i], b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / double(b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

std::vector<IntPoint> boxOutline(IntPoint a, IntPoint b, bool ellipse) {
    if (!ellipse) return {a, {b.x, a.y}, b, {a.x, b.y}};
    const double cx = (a.x + b.x) / 2.0, cy = (a.y + b.y) / 2.0;
    const double rx = std::abs(b.x - a.x) / 2.0, ry = std::abs(b.y - a.y) / 2.0;
    std::vector<IntPoint> out;
    for (int i = 0; i < kEllipseCorners; ++i) {
        const double angle = 2 * std::numbers::pi * i / kEllipseCorners;
        out.push_back({int(std::lround(cx + rx * std::cos(angle))),
                       int(std::lround(cy + ry * std::sin(angle)))});
    }
    return out;
}

class SelectionTool : public AnimateTool {
public:
    SelectionTool(ToolKind kind, std::vector<IntPoint> open) : kind_(kind) {
        if (kind == ToolKind::Segment) points_ = std::move(open);
    }

    void hover(AnimateEditor& editor, const PointerEvent& e) override {
        if (editor.view() != AnimateView::Start) {
            editor.setPrompt(kUseStartImagePrompt);
        } else if (!points_.empty()) {
            editor.setPrompt("Click to define selection segment. Dbl click or [enter] to end. "
                             "[ESC] to cancel");
        } else if (editor.selectionClosed() && insidePolygon(editor.selection(), e.x, e.y)) {
            editor.setPrompt("Drag to move selection. Right click for more options");
        } else {
            editor.setPrompt(idlePrompt());
        }
    }

    void press(AnimateEditor& editor, const PointerEvent& e) override {
        if (editor.view() != AnimateView::Start || !finite(e)) return;
        if (kind_ == ToolKind::Segment && !points_.empty()) {
            points_.push_back(pixel(e));
            editor.setSelection(points_, false);
            return;
        }
        if (editor.selectionClosed() && insidePolygon(editor.selection(), e.x, e.y)) {
            moving_ = editor.selection();
            anchor_ = pixel(e);
            return;
        }
        if (editor.startImageModified()) {
            editor.workspace().prompter().message(kModifiedStartImageMessage);
            return;
        }
        points_ = {pixel(e)};
        editor.setSelection(points_, false);
    }

    void move(AnimateEditor& editor, const PointerEvent& e) override {
        if (!finite(e)) return;
        if (!moving_.empty()) {
            std::vector<IntPoint> moved = moving_;
            for (IntPoint& p : moved) p.x += pixel(e).x - anchor_.x, p.y += pixel(e).y - anchor_.y;
            editor.setSelection(std::move(moved), true);
        } else if (kind_ == ToolKind::FreeHand && !points_.empty()) {
            points_.push_back(pixel(e));
            editor.setSelection(points_, false);
        } else if (boxKind() && !points_.empty()) {
            editor.setSelection(boxOutline(points_.front(), pixel(e), kind_ == ToolKind::Ellipse),
                                false);
        }
    }

    void release(AnimateEditor& editor, const PointerEvent& e) override {
        if (!moving_.empty()) {
            moving_.clear();
            return;
        }
        if (points_.empty() || kind_ == ToolKind::Segment) return;
        if (boxKind() && finite(e)) {
            editor.setSelection(boxOutline(points_.front(), pixel(e), kind_ == ToolKind::Ellipse),
                                true);
        } else {
            editor.setSelection(points_, true);
        }
        if (!editor.selectionClosed()) editor.clearSelection();
        points_.clear();
    }

    void doubleClick(AnimateEditor& editor, const PointerEvent&) override { closeSegment(editor); }

    bool key(AnimateEditor& editor, EditorKey key) override {
        if (kind_ != ToolKind::Segment || points_.empty()) return false;
        if (key == EditorKey::Enter) return closeSegment(editor);
        if (key != EditorKey::Escape) return false;
        points_.clear();
        editor.clearSelection();
        return true;
    }

    bool busy() const override { return !points_.empty() || !moving_.empty(); }

private:
    bool boxKind() const { return kind_ == ToolKind::Rectangle || kind_ == ToolKind::Ellipse; }

    bool closeSegment(AnimateEditor& editor) {
        if (kind_ != ToolKind::Segment || points_.empty()) return false;
        // The double click's own press added its spot a second time.
        if (points_.size() > 1 && points_.back() == points_[points_.size() - 2]) points_.pop_back();
        editor.setSelection(points_, true);
        if (!editor.selectionClosed()) editor.clearSelection();
        points_.clear();
        return true;
    }

    std::string_view idlePrompt() const {
        switch (kind_) {
        case ToolKind::FreeHand:
            return "Draw free hand selection";
        case ToolKind::Segment:
            return "Click to define selection segment";
        case ToolKind::Ellipse:
            return "Draw elliptical selection";
        default:
            return "Draw rectangular selection";
        }
    }

    ToolKind kind_;
    std::vector<IntPoint> points_; // the selection being drawn
    std::vector<IntPoint> moving_; // the closed selection as it was when a move began
    IntPoint anchor_;
};

} // namespace

std::unique_ptr<AnimateTool> makeSelectionTool(ToolKind kind, std::vector<IntPoint> open) {
    return std::make_unique<SelectionTool>(kind, std::move(open));
}

} // namespace zx
