#include "commands/AnimateEditor.h"

#include "anim/AnimationRecord.h"
#include "anim/Deformation.h"
#include "anim/TimeCurve.h"
#include "commands/AnimateTool.h"
#include "commands/LibraryObjects.h"
#include "commands/RegionMenu.h"
#include "commands/Workspace.h"
#include "render/ImageScene.h"
#include "storage/Settings.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zx {

namespace {

struct ToolName {
    ToolKind tool;
    std::string_view text;
};
constexpr std::array<ToolName, 6> kToolNames = {{{ToolKind::Dots, "Dots"},
                                                 {ToolKind::Bones, "Bones"},
                                                 {ToolKind::FreeHand, "Free Hand"},
                                                 {ToolKind::Segment, "Segment"},
                                                 {ToolKind::Rectangle, "Rectangle"},
                                                 {ToolKind::Ellipse, "Ellipse"}}};

std::string_view viewWord(AnimateView view) {
    switch (view) {
    case AnimateView::Start:
        return "start";
    case AnimateView::End:
        return "end";
    case AnimateView::Current:
        break;
    }
    return "current";
}

int roundPixel(double v) {
    return roundHalfAway(v);
}

// Barycentric weights of (x, y) in the triangle a, b, c; none outside it.
std::optional<std::array<double, 3>> barycentric(const Vec3& a, const Vec3& b, const Vec3& c,
                                                 double x, double y) {
    const double det = (b.y - c.y) * (a.x - c.x) + (c.x - b.x) * (a.y - c.y);
    if (std::abs(det) < 1e-12) return std::nullopt;
    const double w0 = ((b.y - c.y) * (x - c.x) + (c.x - b.x) * (y - c.y)) / det;
    const double w1 = ((c.y - a.y) * (x - c.x) + (a.x - c.x) * (y - c.y)) / det;
    const double w2 = 1 - w0 - w1;
    constexpr double eps = -1e-9;
    if (w0 < eps || w1 < eps || w2 < eps) return std::nullopt;
    return std::array<double, 3>{w0, w1, w2};
}

double segmentDistance(const Vec3& a, const Vec3& b, double x, double y) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double f = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
    f = std::clamp(f, 0.0, 1.0);
    return std::hypot(a.x + f * dx - x, a.y + f * dy - y);
}

// Objects in the order the pointer meets them: the selected one first, then from the
// top slot down; only the selected one while the selection is locked.
std::vector<int> pickOrder(const AnimationModel& model, bool locked) {
    std::vector<int> order;
    if (validObject(model, model.selectedObject)) order.push_back(model.selectedObject);
    if (locked) return order;
    for (int s = model.objectCount - 1; s >= 0; --s)
        if (s != model.selectedObject) order.push_back(s);
    return order;
}

} // namespace

std::string_view toolButtonText(ToolKind tool) {
    for (const ToolName& n : kToolNames)
        if (n.tool == tool) return n.text;
    return {};
}

std::optional<ToolKind> toolFromButtonText(std::string_view text) {
    for (const ToolName& n : kToolNames)
        if (n.text == text) return n.tool;
    return std::nullopt;
}

bool isSelectionTool(ToolKind tool) {
    return tool == ToolKind::FreeHand || tool == ToolKind::Segment || tool == ToolKind::Rectangle ||
           tool == ToolKind::Ellipse;
}

AnimateEditor::AnimateEditor(Workspace& workspace) : workspace_(workspace) {}
AnimateEditor::~AnimateEditor() = default;

// ---------------------------------------------------------------- image and record

void AnimateEditor::loadCurrentImage() {
    clearSelection();
    setTool(tool_); // a fresh tool, with nothing under way
    const ProjectImage* image = workspace_.currentImage();
    if (!image) {
        model_.clearAll();
        return;
    }
    LibraryLoadOptions library;
    library.prompter = &workspace_.prompter();
    library.projectFolder = workspace_.project().folder;
    library.libraryFolder = workspace_.settings().libDir;
    library.relocations = &workspace_.libraryRelocations;
    (void)loadImageScene(*image, model_, library);
    model_.defaultSettingWord = workspace_.settings().contourDef;
    model_.currentFrameIndex = std::clamp(model_.currentFrameIndex, 0, model_.lastFrameIndex);
    recompute();
}

void AnimateEditor::reload() {
    const int selected = model_.selectedObject;
    const ProjectImage* image = workspace_.currentImage();
    model_.clearAll();
    if (image && image->animation && !image->animation->empty()) {
        LibraryLoadOptions library;
        library.projectFolder = workspace_.project().folder;
        library.libraryFolder = workspace_.settings().libDir;
        library.relocations = &workspace_.libraryRelocations;
        (void)loadAnimationRecord(model_, *image->animation, library);
    }
    model_.selectedObject = validObject(model_, selected) ? selected : -1;
    hotDot_ = hotBone_ = {};
    recompute();
}

void AnimateEditor::recompute() {
    SilentPrompter quiet; // a binding loop is refused when it is made
    computeFrame(model_, viewTime(), quiet);
}

void AnimateEditor::notifyChanged() {
    if (changed) changed();
}

double AnimateEditor::viewTime() const {
    switch (view_) {
    case AnimateView::Start:
        return 0;
    case AnimateView::End:
        return 1;
    case AnimateView::Current:
        break;
    }
    return frameTime(model_.currentFrameIndex, model_.lastFrameIndex);
}

// ---------------------------------------------------------------- changes

Status AnimateEditor::rollBack(Status why) {
    reload();
    if (!why.message().empty()) workspace_.prompter().message(why.message());
    notifyChanged();
    return why;
}

Status AnimateEditor::apply(const std::function<EditResult(AnimationModel&)>& command) {
    if (!workspace_.hasSelectedImage()) return Status::refused("No image is selected");
    binding_ = {}; // choosing another command ends a binding in progress
    EditResult result = command(model_);
    if (!result) return rollBack(result.status());
    return commitLabel(*result);
}

Status AnimateEditor::commitLabel(std::string_view label) {
    ProjectImage* image = workspace_.currentImage();
    if (!image || !workspace_.hasSelectedImage())
        return rollBack(Status::refused("No image is selected"));
    std::vector<uint32_t> after = writeAnimationRecord(model_);
    recompute();
    if (image->animation == after) {
        notifyChanged();
        return Status::ok();
    }
    HistoryStep step =
        animationRecordStep(std::string(label), workspace_.project().currentImage,
                            workspace_.backgroundSelected(), image->animation, after);
    step.indexWord = committedSelection_;
    step.indexWord2 = model_.selectedObject;
    committedSelection_ = model_.selectedObject;
    image->animation = std::move(after);
    workspace_.record(std::move(step));
    notifyChanged();
    return Status::ok();
}

void AnimateEditor::undo(const HistoryStep& step) {
    if (step.kind != StepKind::Animate || step.type != kAnimationRecordStepType) return;
    reload();
    model_.selectedObject = validObject(model_, step.indexWord) ? step.indexWord : -1;
    committedSelection_ = model_.selectedObject;
    notifyChanged();
}

void AnimateEditor::redo(const HistoryStep& step) {
    if (step.kind != StepKind::Animate || step.type != kAnimationRecordStepType) return;
    reload();
    model_.selectedObject = validObject(model_, step.indexWord2) ? step.indexWord2 : -1;
    committedSelection_ = model_.selectedObject;
    notifyChanged();
}

void AnimateEditor::enter() {
    loadCurrentImage();
    committedSelection_ = model_.selectedObject;
}

void AnimateEditor::imageChanged() {
    enter();
}

bool AnimateEditor::busy() const {
    return handles_.active() || (toolState_ && toolState_->busy());
}

void AnimateEditor::durationChanged(int, int newFrames) {
    model_.lastFrameIndex = std::max(1, newFrames);
    model_.currentFrameIndex = std::min(model_.currentFrameIndex, model_.lastFrameIndex);
    recompute();
}

// ---------------------------------------------------------------- tool, view, frame

void AnimateEditor::setTool(ToolKind tool) {
    // An open selection goes on with the other free-form tool; any other change of
    // tool drops it (a closed selection stays for the mesh commands).
    auto freeForm = [](ToolKind t) { return t == ToolKind::FreeHand || t == ToolKind::Segment; };
    const bool keepOpen = freeForm(tool_) && freeForm(tool) && !selectionClosed_;
    tool_ = tool;
    hotDot_ = hotBone_ = {};
    binding_ = {};
    if (!keepOpen && !selectionClosed_) selection_.clear();
    switch (tool) {
    case ToolKind::Dots:
        toolState_ = makeDotTool();
        break;
    case ToolKind::Bones:
        toolState_ = makeBoneTool();
        break;
    case ToolKind::None:
        toolState_.reset();
        break;
    default:
        toolState_ =
            makeSelectionTool(tool, selectionClosed_ ? std::vector<IntPoint>{} : selection_);
    }
    recompute();
}

void AnimateEditor::setView(AnimateView view) {
    view_ = view;
    hotDot_ = hotBone_ = {};
    recompute();
    notifyChanged();
}

void AnimateEditor::setCurrentFrame(int frame) {
    model_.currentFrameIndex = std::clamp(frame, 0, model_.lastFrameIndex);
    recompute();
    notifyChanged();
}

// ---------------------------------------------------------------- pointer

void AnimateEditor::setHot(ObjectPart dot, ObjectPart bone) {
    hotDot_ = dot;
    hotBone_ = bone;
}

void AnimateEditor::updatePrompt(const PointerEvent& e) {
    if (bindingInProgress()) {
        setHot(dotAt(e.x, e.y), {});
        prompt_ = kBindingPrompt;
        return;
    }
    prompt_ = kReadyStatus;
    setHot({}, {});
    if (toolState_) toolState_->hover(*this, e);
    const HandleKind handle = handleAt(model_, model_.selectedObject, e.x, e.y);
    if (handle != HandleKind::None) prompt_ = handlePrompt(handle);
}

void AnimateEditor::pointerMove(const PointerEvent& e) {
    pointerX_ = e.x;
    pointerY_ = e.y;
    if (handles_.active())
        handles_.move(*this, e);
    else if (busy())
        toolState_->move(*this, e);
    else
        updatePrompt(e);
}

void AnimateEditor::pointerPress(const PointerEvent& e) {
    pointerX_ = e.x;
    pointerY_ = e.y;
    if (bindingInProgress()) {
        finishBinding(e);
        return;
    }
    if (handles_.begin(*this, e)) return;
    if (toolState_) toolState_->press(*this, e);
}

void AnimateEditor::pointerRelease(const PointerEvent& e) {
    if (handles_.active())
        handles_.finish(*this);
    else if (toolState_)
        toolState_->release(*this, e);
    updatePrompt(e);
}

void AnimateEditor::doubleClick(const PointerEvent& e) {
    if (toolState_) toolState_->doubleClick(*this, e);
    updatePrompt(e);
}

std::vector<RegionMenuEntry> AnimateEditor::rightClick(const PointerEvent& e) {
    pointerX_ = e.x;
    pointerY_ = e.y;
    if (!busy()) updatePrompt(e);
    if (!lockMouseSelect) {
        const int hot = hotObject();
        const int under = hot >= 0 ? hot : objectAt(e.x, e.y);
        if (under >= 0) model_.selectedObject = under;
    }
    return buildRegionMenu(*this);
}

bool AnimateEditor::finishBinding(const PointerEvent& e) {
    const ObjectPart parent = dotAt(e.x, e.y);
    if (!parent.valid() || parent.slot == binding_.slot) return false;
    const ObjectPart child = binding_;
    binding_ = {};
    (void)apply([&](AnimationModel& m) {
        return bindObject(m, child.slot, child.index, parent.slot, parent.index);
    });
    return true;
}

Status AnimateEditor::startBinding(int slot, int dot) {
    if (!validUserDot(model_, slot, dot)) return Status::refused({});
    binding_ = {slot, dot};
    prompt_ = kBindingPrompt;
    notifyChanged();
    return Status::ok();
}

bool AnimateEditor::keyPress(EditorKey key) {
    if (toolState_ && toolState_->key(*this, key)) return true;
    const int selected = model_.selectedObject;
    switch (key) {
    case EditorKey::Enter:
        return selectionClosed_ && selectionMeshCommand("Convert to Mesh").isOk();
    case EditorKey::Escape:
        if (!bindingInProgress() && selection_.empty()) return false;
        binding_ = {};
        clearSelection();
        return true;
    case EditorKey::Delete:
        return apply([&](AnimationModel& m) { return removeObjectCommand(m, selected); }).isOk();
    case EditorKey::Insert:
        return apply([&](AnimationModel& m) {
                   return cloneObject(m, selected, workspace_.prompter());
               })
            .isOk();
    case EditorKey::Tab:
        return selectNext().isOk();
    case EditorKey::L:
        lockMouseSelect = !lockMouseSelect;
        notifyChanged();
        return true;
    }
    return false;
}

Status AnimateEditor::selectNext() {
    if (!selectNextObject(model_)) return Status::refused({});
    notifyChanged();
    return Status::ok();
}

Status AnimateEditor::setDisableBindings(bool disabled) {
    return apply([&](AnimationModel& m) -> EditResult {
        m.headerWords[3] = disabled ? 1 : 0;
        return std::string("Change Binding View");
    });
}

Status AnimateEditor::setUsePerspective(bool on) {
    return apply([&](AnimationModel& m) -> EditResult {
        m.headerWords[kPerspectiveWord] = on ? 1 : 0;
        return std::string("Change Perspective");
    });
}

void AnimateEditor::setSelection(std::vector<IntPoint> polygon, bool closed) {
    selection_ = std::move(polygon);
    selectionClosed_ = closed && selection_.size() >= 3;
    notifyChanged();
}

void AnimateEditor::clearSelection() {
    selection_.clear();
    selectionClosed_ = false;
}

// ---------------------------------------------------------------- what the view shows

std::string AnimateEditor::positionText() const {
    if (!workspace_.currentImage()) return std::string(kReadyStatus);
    return "Screen= " + std::string(viewWord(view_)) +
           " x= " + std::to_string(roundPixel(pointerX_)) +
           " y= " + std::to_string(roundPixel(pointerY_));
}

int AnimateEditor::hotObject() const {
    if (hotDot_.valid()) return hotDot_.slot;
    if (hotBone_.valid()) return hotBone_.slot;
    return -1;
}

CaptionState AnimateEditor::captionState() const {
    CaptionState c;
    c.mouseSelectLocked = lockMouseSelect;
    c.imageModified = startImageModified();
    const int s = model_.selectedObject;
    if (!validObject(model_, s)) return c;
    (model_.object(s).isLibrary() ? c.selectedObject : c.selectedRegion) = model_.objectTypeText(s);
    return c;
}

// ---------------------------------------------------------------- hit tests

bool AnimateEditor::insideImage(double x, double y) const {
    return std::isfinite(x) && std::isfinite(y) && x >= 0 && y >= 0 && x < model_.startWidth &&
           y < model_.startHeight;
}

bool AnimateEditor::startImageModified() const {
    constexpr double kTolerance = 1e-3; // pixels; below what a pose could show
    for (int s = 0; s < model_.objectCount; ++s) {
        const AnimObject& o = model_.object(s);
        if (o.isLibrary()) continue; // its texture coordinates are its own picture's
        for (int v = 0; v < o.vertexCount && v < int(o.points.size()); ++v) {
            const AnimPoint& p = o.points[size_t(v)];
            if (std::abs(p.start.x - p.texture.x) > kTolerance ||
                std::abs(p.start.y - p.texture.y) > kTolerance)
                return true;
        }
    }
    return false;
}

ObjectPart AnimateEditor::dotAt(double x, double y) const {
    ObjectPart best;
    double bestDistance = kDotHitRadius;
    for (int s : pickOrder(model_, lockMouseSelect)) {
        const AnimObject& o = model_.object(s);
        if (o.hidden && !(o.kindFlags & ObjectKind::ConductorBox)) continue;
        for (int p = o.vertexCount; p < int(o.points.size()); ++p) {
            const Vec3& c = o.points[size_t(p)].current;
            const double d = std::hypot(c.x - x, c.y - y);
            if (d < bestDistance) best = {s, p}, bestDistance = d;
        }
        if (best.valid()) return best;
    }
    return best;
}

ObjectPart AnimateEditor::boneAt(double x, double y) const {
    for (int s : pickOrder(model_, lockMouseSelect)) {
        const AnimObject& o = model_.object(s);
        for (int b = 0; b < int(o.bones.size()); ++b) {
            const Bone& bone = o.bones[size_t(b)];
            if (!validUserDot(model_, s, bone.dotA) || !validUserDot(model_, s, bone.dotB))
                continue;
            if (segmentDistance(o.points[size_t(bone.dotA)].current,
                                o.points[size_t(bone.dotB)].current, x, y) < kBoneHitDistance)
                return {s, b};
        }
    }
    return {};
}

int AnimateEditor::objectAt(double x, double y) const {
    for (int s : pickOrder(model_, lockMouseSelect))
        if (!model_.object(s).hidden && dotPlace(s, x, y)) return s;
    return -1;
}

std::optional<AnimateEditor::DotPlace> AnimateEditor::dotPlace(int slot, double x, double y) const {
    if (!validObject(model_, slot)) return std::nullopt;
    const AnimObject& o = model_.object(slot);
    for (const MeshTriangle& t : o.triangles) {
        if (t.v[0] < 0 || t.v[1] < 0 || t.v[2] < 0 || t.v[0] >= o.vertexCount ||
            t.v[1] >= o.vertexCount || t.v[2] >= o.vertexCount)
            continue;
        const AnimPoint& a = o.points[size_t(t.v[0])];
        const AnimPoint& b = o.points[size_t(t.v[1])];
        const AnimPoint& c = o.points[size_t(t.v[2])];
        auto w = barycentric(a.current, b.current, c.current, x, y);
        if (!w) continue;
        auto mix = [&](Vec3 AnimPoint::*field) {
            return a.*field * (*w)[0] + b.*field * (*w)[1] + c.*field * (*w)[2];
        };
        return DotPlace{mix(&AnimPoint::texture), mix(&AnimPoint::start), mix(&AnimPoint::end)};
    }
    return std::nullopt;
}

} // namespace zx
