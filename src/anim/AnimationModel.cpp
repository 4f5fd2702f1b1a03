#include "anim/AnimationModel.h"

#include "platform/Prompter.h"

#include <algorithm>
#include <utility>

namespace zx {

namespace {

void resetEffects(AnimObject& o) {
    for (int i = 0; i < kEffectCount; ++i) {
        ObjectEffect& e = o.effects[i];
        e.startValue = defaultEffectValue(i);
        e.table = {};
        e.points = {};
        e.curveKind = 0;
    }
}

// The name of a library file without its folder. Stored names may come from either
// kind of path separator.
std::string_view baseName(std::string_view path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

} // namespace

AnimationModel::AnimationModel() {
    // The size word of the record follows the start image (4 × its larger side).
    headerWords[19] = 4 * std::max(startWidth, startHeight);
    for (int i = 0; i < kMaxObjects; ++i) clearSlot(i);
}

void AnimationModel::clearSlot(int slot, bool keepGeometry, bool keepIdentity) {
    if (slot < 0 || slot >= kMaxObjects) return;
    AnimObject& o = objects_[slot];
    if (keepIdentity && o.isLibrary()) {
        // A library object keeps everything it was loaded with; only its effects
        // go back to their defaults.
        resetEffects(o);
        return;
    }
    AnimObject fresh;
    if (keepGeometry) {
        fresh.textureRect = o.textureRect;
        fresh.secondRect = o.secondRect;
        fresh.boxRect = o.boxRect;
    }
    fresh.ownLastFrame = lastFrameIndex;
    fresh.settingWord = defaultSettingWord;
    resetEffects(fresh);
    o = std::move(fresh);
}

void AnimationModel::freeSlot(int slot) {
    if (slot < 0 || slot >= kMaxObjects) return;
    // Move everything out first so the storage really goes away, not only its size.
    AnimObject released = std::move(objects_[slot]);
    objects_[slot] = AnimObject{};
    clearSlot(slot);
}

int AnimationModel::addObject(Prompter& prompter) {
    if (objectCount >= kMaxObjects) {
        prompter.message(kTooManyObjectsMessage);
        return -1;
    }
    int slot = objectCount++;
    freeSlot(slot);
    return slot;
}

void AnimationModel::removeObject(int slot) {
    if (slot < 0 || slot >= objectCount) return;
    if (objectCount == 1) {
        clearAll();
        return;
    }
    for (int i = slot; i + 1 < objectCount; ++i) objects_[i] = std::move(objects_[i + 1]);
    --objectCount;
    freeSlot(objectCount);

    // Bindings name their parent by slot number: follow the shift, and drop the
    // bindings whose parent went away, so no object ends up following a stranger.
    for (int i = 0; i < objectCount; ++i) {
        ObjectBinding& b = objects_[i].binding;
        if (b.parentObject == slot) {
            for (int dot : {b.ownDot1, b.ownDot2})
                if (dot >= 0 && dot < int(objects_[i].points.size()))
                    objects_[i].points[dot].flags &= ~PointFlag::BindingDot;
            b = ObjectBinding{};
        } else if (b.parentObject > slot) {
            --b.parentObject;
        }
    }
    if (selectedObject == slot)
        selectedObject = -1;
    else if (selectedObject > slot)
        --selectedObject;
}

void AnimationModel::clearAll() {
    // Slots past the count are cleared whenever they are left or handed out, so only
    // the used ones need freeing.
    for (int i = 0; i < objectCount; ++i) freeSlot(i);
    objectCount = 0;
    selectedObject = -1;
}

std::string AnimationModel::objectTypeText(int slot) const {
    if (slot < 0 || slot >= kMaxObjects) return {};
    const AnimObject& o = objects_[slot];
    if (o.isLibrary()) {
        std::string s(baseName(o.name));
        s += " [";
        if (o.is3d()) s += "3d ";
        s += "library object]";
        return s;
    }
    if (o.kindFlags & ObjectKind::ConductorBox) return "Conductor Box";
    if (o.kindFlags & ObjectKind::UserRegion) return "User defined Region";
    return o.is3d() ? "3d Region" : "Region";
}

void AnimationModel::setStartImage(RasterImage image) {
    startImage = std::move(image);
    startWidth = startImage.width();
    startHeight = startImage.height();
    headerWords[19] = 4 * std::max(startWidth, startHeight);
}

} // namespace zx
