#include "commands/ObjectHandles.h"

#include "anim/Deformation.h"
#include "anim/TimeCurve.h"
#include "commands/AnimateEditor.h"
#include "platform/Prompter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zx {

namespace {

constexpr double kHandleRadius = 6;
// Radians of horizontal or vertical rotation per pixel dragged.
constexpr double kRotationPerPixel = 0.01;
constexpr double kMinScale = 0.01, kMaxScale = 100;

struct Box {
    double left, top, right, bottom;
};

std::optional<Box> currentBox(const AnimObject& o) {
    if (o.points.empty()) return std::nullopt;
    Box b{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
          std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const AnimPoint& p : o.points) {
        b.left = std::min(b.left, p.current.x);
        b.top = std::min(b.top, p.current.y);
        b.right = std::max(b.right, p.current.x);
        b.bottom = std::max(b.bottom, p.current.y);
    }
    return b;
}

// Sets an effect's value at the start; a curve through points keeps its first point
// on it.
void setEffectStart(ObjectEffect& effect, float value) {
    effect.startValue = value;
    if (effect.points.empty()) return;
    effect.points.front().y = value;
    effect.table.resize(513);
    sampleEffectCurve(effect.points, effect.curveKind, effect.table);
}

std::string_view handleLabel(HandleKind kind) {
    switch (kind) {
    case HandleKind::Move:
        return "Move Object";
    case HandleKind::Zoom:
        return "Zoom Object";
    case HandleKind::Rotate:
        return "Rotate Object";
    case HandleKind::HorizontalRotation:
        return "Horizontal Rotation";
    case HandleKind::VerticalRotation:
        return "Vertical Rotation";
    default:
        return {};
    }
}

} // namespace

std::vector<HandleSpot> objectHandles(const AnimationModel& model, int slot) {
    if (slot < 0 || slot >= model.objectCount || !model.object(slot).isLibrary()) return {};
    const auto b = currentBox(model.object(slot));
    if (!b) return {};
    const double cx = (b->left + b->right) / 2, cy = (b->top + b->bottom) / 2;
    return {{HandleKind::Move, cx, cy},
            {HandleKind::Editor, b->left, b->top},
            {HandleKind::Rotate, b->right, b->top},
            {HandleKind::Zoom, b->right, b->bottom},
            {HandleKind::HorizontalRotation, b->right, cy},
            {HandleKind::VerticalRotation, cx, b->bottom}};
}

HandleKind handleAt(const AnimationModel& model, int slot, double x, double y) {
    for (const HandleSpot& h : objectHandles(model, slot))
        if (std::hypot(h.x - x, h.y - y) < kHandleRadius) return h.kind;
    return HandleKind::None;
}

std::string_view handlePrompt(HandleKind kind) {
    switch (kind) {
    case HandleKind::Move:
        return "Drag to move the object";
    case HandleKind::Zoom:
        return "Drag to zoom the object";
    case HandleKind::Rotate:
        return "Drag to rotate the object";
    case HandleKind::Editor:
        return "Click to Open object editor";
    case HandleKind::HorizontalRotation:
        return "Drag for horizontal rotation";
    case HandleKind::VerticalRotation:
        return "Drag for vertical rotation";
    case HandleKind::None:
        break;
    }
    return {};
}

bool HandleDrag::begin(AnimateEditor& editor, const PointerEvent& e) {
    const AnimationModel& model = editor.model();
    const int slot = model.selectedObject;
    const HandleKind kind = handleAt(model, slot, e.x, e.y);
    if (kind == HandleKind::None) return false;
    if (kind == HandleKind::Editor) {
        if (editor.openObjectEditor) editor.openObjectEditor(slot);
        return true;
    }
    const std::vector<HandleSpot> spots = objectHandles(model, slot);
    kind_ = kind;
    slot_ = slot;
    original_ = model.object(slot).effects;
    centreX_ = spots.front().x;
    centreY_ = spots.front().y;
    pressX_ = e.x;
    pressY_ = e.y;
    moved_ = false;
    return true;
}

void HandleDrag::move(AnimateEditor& editor, const PointerEvent& e) {
    if (!active() || !std::isfinite(e.x) || !std::isfinite(e.y)) return;
    AnimObject& o = editor.model().object(slot_);
    o.effects = original_;
    const double dx = e.x - pressX_, dy = e.y - pressY_;
    auto shift = [&](int slot, double by) {
        setEffectStart(o.effects[size_t(slot)], float(original_[size_t(slot)].startValue + by));
    };
    switch (kind_) {
    case HandleKind::Move:
        shift(EffectSlot::HorizontalPosition, dx);
        shift(EffectSlot::VerticalPosition, dy);
        break;
    case HandleKind::Zoom: {
        const double from = std::hypot(pressX_ - centreX_, pressY_ - centreY_);
        const double to = std::hypot(e.x - centreX_, e.y - centreY_);
        const double scale = original_[EffectSlot::Scale].startValue * (from > 0 ? to / from : 1);
        setEffectStart(o.effects[EffectSlot::Scale],
                       float(std::clamp(scale, kMinScale, kMaxScale)));
        break;
    }
    case HandleKind::Rotate:
        shift(EffectSlot::Rotation, std::atan2(e.y - centreY_, e.x - centreX_) -
                                        std::atan2(pressY_ - centreY_, pressX_ - centreX_));
        break;
    case HandleKind::HorizontalRotation:
        shift(EffectSlot::HorizontalRotation, dx * kRotationPerPixel);
        break;
    case HandleKind::VerticalRotation:
        shift(EffectSlot::VerticalRotation, dy * kRotationPerPixel);
        break;
    default:
        break;
    }
    moved_ = moved_ || dx != 0 || dy != 0;
    SilentPrompter quiet;
    computeObject(editor.model(), slot_, editor.viewTime(), {}, quiet);
}

void HandleDrag::finish(AnimateEditor& editor) {
    if (!active()) return;
    const HandleKind kind = kind_;
    kind_ = HandleKind::None;
    if (moved_) (void)editor.commitLabel(handleLabel(kind));
}

} // namespace zx
