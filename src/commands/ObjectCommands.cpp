#include "commands/ObjectCommands.h"

#include "anim/BoneAssignment.h"
#include "anim/Deformation.h"
#include "anim/TimeCurve.h"
#include "platform/Prompter.h"

#include <cmath>
#include <numbers>
#include <set>

namespace zx {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr float kTrackedSpin = 1000;

// A command that does not apply: nothing changed, nothing to tell.
Status notApplicable() {
    return Status::refused({});
}

bool isOrdinary(const AnimObject& o) {
    return !o.isLibrary() && !(o.kindFlags & ObjectKind::ConductorBox);
}

// The binding pair (0 or 1) that uses an own dot, or a parent dot; −1 for none.
int pairUsingOwnDot(const ObjectBinding& b, int ownDot) {
    if (b.ownDot1 == ownDot) return 0;
    if (b.ownDot2 == ownDot) return 1;
    return -1;
}
int pairUsingParentDot(const ObjectBinding& b, int parentDot) {
    if (b.parentDot1 == parentDot) return 0;
    if (b.parentDot2 == parentDot) return 1;
    return -1;
}

// Takes one pair out of an object's binding; the second pair moves up, and with no
// pair left the object is unbound.
void dropBindingPair(AnimObject& child, int pair) {
    ObjectBinding& b = child.binding;
    const int own = pair == 0 ? b.ownDot1 : b.ownDot2;
    if (own >= 0 && own < int(child.points.size()))
        child.points[size_t(own)].flags &= ~PointFlag::BindingDot;
    if (pair == 0) {
        b.ownDot1 = b.ownDot2;
        b.parentDot1 = b.parentDot2;
    }
    b.ownDot2 = b.parentDot2 = -1;
    if (b.ownDot1 == -1) b = ObjectBinding{};
}

void shiftIndex(int32_t& index, int removed) {
    if (index > removed) --index;
}

// Removes a user dot with every bone and binding pair that uses it; indices after it
// move down by one everywhere they are named.
void eraseUserDot(AnimationModel& model, int slot, int point) {
    AnimObject& o = model.object(slot);
    std::erase_if(o.bones, [&](const Bone& b) { return b.dotA == point || b.dotB == point; });
    for (Bone& b : o.bones) shiftIndex(b.dotA, point), shiftIndex(b.dotB, point);
    if (int pair = pairUsingOwnDot(o.binding, point); pair >= 0) dropBindingPair(o, pair);
    shiftIndex(o.binding.ownDot1, point);
    shiftIndex(o.binding.ownDot2, point);
    for (int s = 0; s < model.objectCount; ++s) {
        AnimObject& child = model.object(s);
        if (s == slot || child.binding.parentObject != slot) continue;
        if (int pair = pairUsingParentDot(child.binding, point); pair >= 0)
            dropBindingPair(child, pair);
        shiftIndex(child.binding.parentDot1, point);
        shiftIndex(child.binding.parentDot2, point);
    }
    o.points.erase(o.points.begin() + point);
}

// The object and every object bound to it, directly or through a chain of bindings.
std::set<int> boundFamily(const AnimationModel& model, int slot) {
    std::set<int> family{slot};
    for (bool grew = true; grew;) {
        grew = false;
        for (int s = 0; s < model.objectCount; ++s) {
            const int parent = model.object(s).binding.parentObject;
            if (isBound(model.object(s)) && family.count(parent) && family.insert(s).second)
                grew = true;
        }
    }
    return family;
}

bool bindingReaches(const AnimationModel& model, int from, int target) {
    for (int s = from, steps = 0; s >= 0 && steps <= kMaxObjects; ++steps) {
        if (s == target) return true;
        const AnimObject& o = model.object(s);
        s = isBound(o) ? o.binding.parentObject : -1;
        if (s >= model.objectCount) return false;
    }
    return false;
}

Status zOutOfRange(double z) {
    if (std::isfinite(z) && std::abs(z) <= kMaxZ) return Status::ok();
    return Status::refused(std::string(kValueOutOfRange));
}

} // namespace

bool validObject(const AnimationModel& model, int slot) {
    return slot >= 0 && slot < model.objectCount && slot < kMaxObjects;
}

bool validUserDot(const AnimationModel& model, int slot, int point) {
    if (!validObject(model, slot)) return false;
    const AnimObject& o = model.object(slot);
    return point >= o.vertexCount && point < int(o.points.size());
}

bool validBone(const AnimationModel& model, int slot, int bone) {
    return validObject(model, slot) && bone >= 0 && bone < int(model.object(slot).bones.size());
}

bool isBound(const AnimObject& object) {
    return object.binding.bound() && object.binding.parentObject >= 0;
}

bool isTracked(const AnimObject& object) {
    return object.spin == kTrackedSpin;
}

bool canSpin(const AnimObject& object) {
    return isOrdinary(object) && object.vertexCount > 0 &&
           (object.userDotCount() == 1 || object.bones.size() == 1);
}

std::string_view cancelSpinLabel(const AnimObject& object) {
    return object.is3d() ? "Cancel Spin" : "Cancel Track/Spin";
}

void refreshObjectPose(AnimationModel& model, int slot) {
    AnimObject& o = model.object(slot);
    if (o.isLibrary()) return;
    if (o.vertexCount > 0) {
        assignVerticesToBones(model, slot);
        return;
    }
    rebuildBoneNetwork(o);
    computeRestPose(model, slot);
}

Result<int> addUserDot(AnimationModel& model, int slot, Vec3 texture, Vec3 start, Vec3 end,
                       bool smoothAction) {
    if (!validObject(model, slot) || !isOrdinary(model.object(slot))) return notApplicable();
    if (!isFinite(texture) || !isFinite(start) || !isFinite(end))
        return Status::refused(std::string(kValueOutOfRange));
    AnimObject& o = model.object(slot);
    AnimPoint dot;
    dot.texture = texture;
    dot.start = dot.current = start;
    dot.end = end;
    if (smoothAction) dot.flags |= PointFlag::SmoothAction;
    if (o.is3d()) dot.flags |= PointFlag::On3dMesh;
    o.points.push_back(dot);
    o.spin = 0;
    model.selectedObject = slot;
    refreshObjectPose(model, slot);
    return int(o.points.size()) - 1;
}

EditResult clearDot(AnimationModel& model, int slot, int point) {
    if (!validObject(model, slot)) return notApplicable();
    AnimObject& o = model.object(slot);
    if (point >= 0 && point < o.vertexCount) {
        if (!o.points[size_t(point)].trajectory) return notApplicable();
        o.points[size_t(point)].trajectory.reset();
        return std::string("Clear Dot");
    }
    if (!validUserDot(model, slot, point)) return notApplicable();
    eraseUserDot(model, slot, point);
    refreshObjectPose(model, slot);
    return std::string("Clear Dot");
}

EditResult resetDot(AnimationModel& model, int slot, int point) {
    if (!validUserDot(model, slot, point)) return notApplicable();
    AnimObject& o = model.object(slot);
    AnimPoint& dot = o.points[size_t(point)];
    dot.end = dot.start;
    dot.trajectory.reset();
    o.spin = 0;
    refreshObjectPose(model, slot);
    return std::string("Reset Dot");
}

EditResult clearUserDots(AnimationModel& model, int slot) {
    if (!validObject(model, slot) || model.object(slot).userDotCount() <= 0) return notApplicable();
    AnimObject& o = model.object(slot);
    for (int p = int(o.points.size()) - 1; p >= o.vertexCount; --p) eraseUserDot(model, slot, p);
    refreshObjectPose(model, slot);
    return std::string("Clear User Dots");
}

EditResult toggleSmoothAction(AnimationModel& model, int slot, int point) {
    if (!validUserDot(model, slot, point)) return notApplicable();
    int32_t& flags = model.object(slot).points[size_t(point)].flags;
    flags ^= PointFlag::SmoothAction;
    refreshObjectPose(model, slot);
    return std::string((flags & PointFlag::SmoothAction) ? "Smooth Action"
                                                         : "Remove Smooth Action");
}

EditResult setDotZ(AnimationModel& model, int slot, int point, double z) {
    if (!validUserDot(model, slot, point)) return notApplicable();
    if (Status s = zOutOfRange(z); !s) return s;
    AnimPoint& dot = model.object(slot).points[size_t(point)];
    dot.start.z = dot.end.z = z;
    refreshObjectPose(model, slot);
    return std::string(kZModificationLabel);
}

EditResult setObjectZ(AnimationModel& model, int slot, double z) {
    if (!validObject(model, slot)) return notApplicable();
    if (Status s = zOutOfRange(z); !s) return s;
    ObjectEffect& distance = model.object(slot).effects[EffectSlot::Distance];
    distance.startValue = float(z);
    distance.table.clear();
    distance.points.clear();
    return std::string(kZModificationLabel);
}

EditResult setJointValue(AnimationModel& model, int slot, int point, double value) {
    if (!validUserDot(model, slot, point)) return notApplicable();
    if (!std::isfinite(value)) return Status::refused(std::string(kValueOutOfRange));
    model.object(slot).points[size_t(point)].jointValue = float(value);
    computeRestPose(model, slot);
    return std::string("Joint Properties");
}

EditResult addBone(AnimationModel& model, int slot, int dotA, int dotB, bool fixed) {
    if (dotA == dotB || !validUserDot(model, slot, dotA) || !validUserDot(model, slot, dotB))
        return notApplicable();
    AnimObject& o = model.object(slot);
    for (const Bone& b : o.bones)
        if ((b.dotA == dotA && b.dotB == dotB) || (b.dotA == dotB && b.dotB == dotA))
            return notApplicable();
    Bone bone;
    bone.flags = fixed ? BoneFlag::Fixed : 0;
    bone.dotA = dotA;
    bone.dotB = dotB;
    o.bones.push_back(bone);
    o.spin = 0;
    refreshObjectPose(model, slot);
    return std::string(kAddBoneLabel);
}

EditResult toggleBoneType(AnimationModel& model, int slot, int bone) {
    if (!validBone(model, slot, bone)) return notApplicable();
    AnimObject& o = model.object(slot);
    o.bones[size_t(bone)].flags ^= BoneFlag::Fixed;
    o.spin = 0;
    refreshObjectPose(model, slot);
    return std::string("Bone Type");
}

bool canChangeBoneOrientation(const AnimationModel& model, int slot, int bone) {
    if (!validBone(model, slot, bone)) return false;
    const auto& bones = model.object(slot).bones;
    const int newStart = bones[size_t(bone)].dotB;
    for (size_t b = 0; b < bones.size(); ++b)
        if (int(b) != bone && bones[b].dotA == newStart) return false;
    return true;
}

EditResult changeBoneOrientation(AnimationModel& model, int slot, int bone) {
    if (!canChangeBoneOrientation(model, slot, bone)) return notApplicable();
    Bone& b = model.object(slot).bones[size_t(bone)];
    std::swap(b.dotA, b.dotB);
    std::swap(b.neighboursA, b.neighboursB);
    b.restAngle = std::fmod(b.restAngle + std::numbers::pi, kTwoPi);
    refreshObjectPose(model, slot);
    return std::string("Bone Orientation");
}

EditResult removeBone(AnimationModel& model, int slot, int bone) {
    if (!validBone(model, slot, bone)) return notApplicable();
    AnimObject& o = model.object(slot);
    o.bones.erase(o.bones.begin() + bone);
    o.spin = 0;
    // Every vertex is assigned afresh, which renumbers their bone indices.
    refreshObjectPose(model, slot);
    return std::string("Remove Bone");
}

EditResult toggleInvertLight(AnimationModel& model, int slot) {
    if (!validObject(model, slot)) return notApplicable();
    int32_t& kind = model.object(slot).kindFlags;
    kind ^= ObjectKind::InvertLight;
    return std::string((kind & ObjectKind::InvertLight) ? "Invert Light" : "Restore Light");
}

EditResult setSpin(AnimationModel& model, int slot, double value) {
    if (!validObject(model, slot) || !canSpin(model.object(slot))) return notApplicable();
    if (!std::isfinite(value) || value == 0 || std::abs(value) >= kTrackedSpin)
        return Status::refused(std::string(kValueOutOfRange));
    AnimObject& o = model.object(slot);
    if (o.bones.size() == 1 && !o.is3d()) {
        o.spin = kTrackedSpin;
        refreshObjectPose(model, slot);
        return std::string("Set Track/Spin");
    }
    o.spin = float(value);
    return std::string("Set Spin");
}

EditResult cancelSpin(AnimationModel& model, int slot) {
    if (!validObject(model, slot) || model.object(slot).spin == 0) return notApplicable();
    model.object(slot).spin = 0;
    refreshObjectPose(model, slot);
    return std::string(cancelSpinLabel(model.object(slot)));
}

EditResult setOriginalSize(AnimationModel& model, int slot) {
    if (!validObject(model, slot) || !model.object(slot).isLibrary()) return notApplicable();
    ObjectEffect& scale = model.object(slot).effects[EffectSlot::Scale];
    scale.startValue = 1;
    scale.table.clear();
    return std::string("Set Object to Original Size");
}

EditResult cloneObject(AnimationModel& model, int slot, Prompter& prompter) {
    if (!validObject(model, slot) || !model.object(slot).isLibrary()) return notApplicable();
    const int copy = model.addObject(prompter);
    if (copy < 0) return Status::refused(std::string(kTooManyObjectsMessage));
    model.object(copy) = model.object(slot);
    model.selectedObject = copy;
    return std::string("Clone Object");
}

EditResult resetAnimation(AnimationModel& model, int slot, bool toStartImage) {
    if (!validObject(model, slot)) return notApplicable();
    AnimObject& o = model.object(slot);
    if (o.isLibrary()) {
        model.clearSlot(slot, true, true);
        return std::string("Reset Animation");
    }
    for (AnimPoint& p : o.points) {
        if (toStartImage) p.start = p.texture;
        p.end = p.start;
        p.trajectory.reset();
    }
    o.spin = 0;
    refreshObjectPose(model, slot);
    return std::string("Reset Animation");
}

EditResult toggleHidden(AnimationModel& model, int slot) {
    if (!validObject(model, slot)) return notApplicable();
    AnimObject& o = model.object(slot);
    if (o.kindFlags & ObjectKind::ConductorBox) return notApplicable(); // always hidden
    o.hidden = o.hidden ? 0 : 1;
    return std::string(o.hidden ? "Hide Region/Object" : "Show Region/Object");
}

EditResult showAllObjects(AnimationModel& model) {
    bool changed = false;
    for (int s = 0; s < model.objectCount; ++s) {
        AnimObject& o = model.object(s);
        if ((o.kindFlags & ObjectKind::ConductorBox) || !o.hidden) continue;
        o.hidden = 0;
        changed = true;
    }
    if (!changed) return notApplicable();
    return std::string("Show All Regions");
}

EditResult setAsStartImage(AnimationModel& model, int slot, double t, Prompter& prompter) {
    if (!validObject(model, slot)) return notApplicable();
    computeFrame(model, t, prompter);
    for (int s : boundFamily(model, slot)) {
        AnimObject& o = model.object(s);
        if (o.isLibrary()) {
            model.clearSlot(s, true, true);
            continue;
        }
        for (AnimPoint& p : o.points) {
            p.start = p.current;
            p.trajectory.reset();
        }
        o.spin = 0;
        refreshObjectPose(model, s);
    }
    return std::string("Set as Start Image");
}

EditResult removeObjectCommand(AnimationModel& model, int slot) {
    if (!validObject(model, slot)) return notApplicable();
    const AnimObject& o = model.object(slot);
    std::string label = o.isLibrary()                              ? "Remove Object"
                        : (o.kindFlags & ObjectKind::ConductorBox) ? "Remove Conductor Box"
                                                                   : "Remove Region";
    model.removeObject(slot);
    return label;
}

EditResult clearAllRegions(AnimationModel& model) {
    if (model.objectCount == 0) return notApplicable();
    model.clearAll();
    return std::string("Clear All Regions");
}

EditResult removeBinding(AnimationModel& model, int slot) {
    if (!validObject(model, slot) || !isBound(model.object(slot))) return notApplicable();
    AnimObject& o = model.object(slot);
    while (o.binding.bound()) dropBindingPair(o, 0);
    return std::string("Remove binding");
}

EditResult bindObject(AnimationModel& model, int child, int childDot, int parent, int parentDot) {
    if (child == parent || !validUserDot(model, child, childDot) ||
        !validUserDot(model, parent, parentDot) || !isOrdinary(model.object(child)))
        return notApplicable();
    if (bindingReaches(model, parent, child))
        return Status::refused(std::string(kBindingLoopMessage));
    AnimObject& o = model.object(child);
    ObjectBinding& b = o.binding;
    // A second pair joins a first one on the same parent; a pair on the same dots, a
    // third pair or another parent starts the binding afresh.
    if (b.parentObject != parent || b.ownDot2 != -1 || b.ownDot1 == childDot ||
        b.parentDot1 == parentDot) {
        while (b.bound()) dropBindingPair(o, 0);
    }
    if (b.ownDot1 == -1) {
        b.ownDot1 = childDot;
        b.parentDot1 = parentDot;
    } else {
        b.ownDot2 = childDot;
        b.parentDot2 = parentDot;
    }
    b.parentObject = parent;
    o.points[size_t(childDot)].flags |= PointFlag::BindingDot;
    return std::string("Binding");
}

EditResult setTimeCurve(AnimationModel& model, int slot, CurveChoice choice) {
    if (!validObject(model, slot)) return notApplicable();
    switch (choice) {
    case CurveChoice::Linear:
        setObjectCurve(model.object(slot), linearCommandCurve());
        return std::string("Linear Time Curve");
    case CurveChoice::Reverse:
        setObjectCurve(model.object(slot), reverseCommandCurve());
        return std::string("Reverse Time Curve");
    case CurveChoice::Alternate:
        setObjectCurve(model.object(slot), alternateCommandCurve());
        return std::string("Alternate Time Curve");
    }
    return notApplicable();
}

std::optional<CurveChoice> currentCurveChoice(const AnimObject& object) {
    if (object.reverse || object.invert) return std::nullopt;
    const TimeCurve curve{object.curveKind, object.curvePoints};
    if (curve == linearCommandCurve()) return CurveChoice::Linear;
    if (curve == reverseCommandCurve()) return CurveChoice::Reverse;
    if (curve == alternateCommandCurve()) return CurveChoice::Alternate;
    return std::nullopt;
}

bool selectNextObject(AnimationModel& model) {
    if (model.objectCount < 2) return false;
    model.selectedObject = (model.selectedObject + 1) % model.objectCount;
    if (model.selectedObject < 0) model.selectedObject = 0;
    return true;
}

} // namespace zx
