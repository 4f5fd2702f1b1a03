// The mesh commands of the Animate panel: objects from the image's regions, the
// selection mesh commands, the mesh definition, conductor boxes. Each builds with
// the panel's progress and records one step with its label.

#include "commands/AnimateEditor.h"

#include "commands/Workspace.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/SelectionMesh.h"
#include "platform/Progress.h"
#include "storage/Settings.h"

#include <algorithm>

namespace zx {

namespace {

inline constexpr std::string_view kAddConductorBoxLabel = "Add Conductor Box";
// The box made around the pointer: a quarter of the image wide (at least this), and
// this high on either side of the pointer.
constexpr int kMinBoxWidth = 64;
constexpr int kBoxHalfHeight = 16;

// The visible part of the image's subject as a region mask; the whole subject shows
// when there is no mask layer.
RasterImage imageRegionMask(const ProjectImage& image) {
    const int w = image.width(), h = image.height();
    const RasterImage* subject = image.layerPicture(kSubjectLayer);
    const RasterImage* mask = image.layerPicture(kMaskLayer);
    if (subject && (subject->width() != w || subject->height() != h || subject->isDescriptor()))
        subject = nullptr;
    if (mask && (mask->width() != w || mask->height() != h)) mask = nullptr;
    const RasterImage full(w, h, 0xFF);
    return visibleRegionMask(mask ? *mask : full, subject);
}

bool sameRegion(const AnimObject& a, const AnimObject& b) {
    return a.ownedMasks[kRegionMaskSlot] &&
           a.ownedMasks[kRegionMaskSlot] == b.ownedMasks[kRegionMaskSlot];
}

// Drops the new objects (from `firstNew` on) whose region an older object has, so a
// region command run twice makes no second object for a region.
void dropRepeatedRegions(AnimationModel& model, int firstNew) {
    for (int slot = model.objectCount - 1; slot >= firstNew; --slot)
        for (int old = 0; old < firstNew; ++old)
            if (sameRegion(model.object(old), model.object(slot))) {
                model.removeObject(slot);
                break;
            }
}

EditResult labelOf(const Result<SelectionMeshChange>& change) {
    if (!change) return change.status();
    return std::string(change->label);
}

} // namespace

std::unique_ptr<Progress> AnimateEditor::startProgress() const {
    if (makeProgress)
        if (std::unique_ptr<Progress> p = makeProgress()) return p;
    return std::make_unique<NullProgress>();
}

Status AnimateEditor::initRegions(RegionMode mode) {
    const ProjectImage* image = workspace_.currentImage();
    if (!image) return Status::refused("No image is selected");
    const RasterImage regions = imageRegionMask(*image);
    const std::unique_ptr<Progress> progress = startProgress();
    return apply([&](AnimationModel& m) -> EditResult {
        const int kept = m.objectCount;
        m.defaultSettingWord = workspace_.settings().contourDef;
        initDotsToRegions(m, regions, mode, workspace_.prompter());
        dropRepeatedRegions(m, kept);
        RebuildOptions rebuild(workspace_.prompter(), progress.get());
        rebuild.firstSlot = kept;
        Result<RebuildCounts> built = rebuildMeshes(m, rebuild);
        if (!built) return built.status();
        if (m.objectCount == kept) return Status::refused({});
        return std::string(initDotsLabel(mode));
    });
}

Status AnimateEditor::clearAllMeshes() {
    return apply([](AnimationModel& m) { return clearAllRegions(m); });
}

bool AnimateEditor::selectionTouchesMesh() const {
    if (!selectionClosed_) return false;
    return objectTouchedBySelection(model_, selection_) >= 0;
}

Status AnimateEditor::selectionMeshCommand(std::string_view label) {
    if (!selectionClosed_) return Status::refused("There is no closed selection");
    const std::vector<IntPoint> polygon = selection_;
    const std::unique_ptr<Progress> progress = startProgress();
    RebuildOptions rebuild(workspace_.prompter(), progress.get());
    Status done = apply([&](AnimationModel& m) -> EditResult {
        if (label == kConvertToMeshLabel) return labelOf(convertToMesh(m, polygon, rebuild));
        const int slot = objectTouchedBySelection(m, polygon);
        if (slot < 0) return Status::refused({});
        if (label == kSplitMeshLabel) return labelOf(splitMesh(m, slot, polygon, rebuild));
        if (label == kCutMeshLabel) return labelOf(cutMesh(m, slot, polygon, rebuild));
        if (label == kAddToMeshLabel) return labelOf(addToMesh(m, slot, polygon, rebuild));
        return Status::refused({});
    });
    if (done) clearSelection();
    return done;
}

Status AnimateEditor::changeMeshDefinition(int step) {
    const int slot = model_.selectedObject;
    const std::unique_ptr<Progress> progress = startProgress();
    RebuildOptions rebuild(workspace_.prompter(), progress.get());
    return apply([&](AnimationModel& m) -> EditResult {
        if (!validObject(m, slot) || !zx::changeMeshDefinition(m, slot, step, rebuild))
            return Status::refused({});
        return std::string(step > 0 ? kIncreaseDefinitionLabel : kDecreaseDefinitionLabel);
    });
}

Status AnimateEditor::addConductorBox(double x, double y) {
    std::vector<IntPoint> outline = selectionClosed_ ? selection_ : std::vector<IntPoint>{};
    const bool boxMode = outline.empty();
    if (boxMode) {
        if (!insideImage(x, y)) return Status::refused({});
        const int w = std::max(kMinBoxWidth, model_.startWidth / 4);
        const int px = int(x), py = int(y);
        const IntPoint a{px - w / 4, py - kBoxHalfHeight}, b{px + 3 * w / 4, py + kBoxHalfHeight};
        outline = {a, {b.x, a.y}, b, {a.x, b.y}};
    }
    const std::unique_ptr<Progress> progress = startProgress();
    RebuildOptions rebuild(workspace_.prompter(), progress.get());
    Status done = apply([&](AnimationModel& m) -> EditResult {
        Result<SelectionMeshChange> made = convertToMesh(m, outline, rebuild);
        if (!made) return made.status();
        // One dot in the middle, for objects to bind to and the pointer to drag.
        const IntRect r = m.object(made->slot).textureRect;
        const Vec3 centre{(r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, 0};
        Result<int> dot = addUserDot(m, made->slot, centre, centre, centre, false);
        if (!dot) return dot.status();
        AnimObject& box = m.object(made->slot);
        box.kindFlags = (box.kindFlags & ~ObjectKind::UserRegion) | ObjectKind::ConductorBox;
        box.secondModeRegion = boxMode ? 1 : 0;
        box.hidden = 1;
        return std::string(kAddConductorBoxLabel);
    });
    if (done && !boxMode) clearSelection();
    return done;
}

} // namespace zx
