#include "anim/Deformation.h"

#include "anim/AnimationModel.h"
#include "anim/BoneTransform.h"
#include "anim/EffectTables.h"
#include "anim/TimeCurve.h"
#include "platform/Prompter.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace zx {

namespace {

constexpr uint32_t kContourEnd = 0x80008000u;

bool validSlot(const AnimationModel& model, int slot) {
    return slot >= 0 && slot < model.objectCount && slot < kMaxObjects;
}

bool validPoint(const AnimObject& object, int point) {
    return point >= 0 && size_t(point) < object.points.size();
}

// Number of mesh vertices that really exist in the points array.
int meshVertexCount(const AnimObject& object) {
    const int n = object.vertexCount;
    if (n <= 0) return 0;
    return size_t(n) > object.points.size() ? int(object.points.size()) : n;
}

bool boneUsable(const AnimObject& object, int boneIndex) {
    if (boneIndex < 0 || size_t(boneIndex) >= object.bones.size()) return false;
    const Bone& bone = object.bones[size_t(boneIndex)];
    return validPoint(object, bone.dotA) && validPoint(object, bone.dotB);
}

bool updates(const AnimPoint& point, bool selectedOnly) {
    return !selectedOnly || point.isSelected();
}

// ---------------------------------------------------------------- bones

void computeBoneTransforms(AnimObject& object, double p) {
    for (size_t i = 0; i < object.bones.size(); ++i) {
        Bone& bone = object.bones[i];
        if (!boneUsable(object, int(i))) {
            bone.transform = kIdentity4;
            continue;
        }
        const AnimPoint& a = object.points[size_t(bone.dotA)];
        const AnimPoint& b = object.points[size_t(bone.dotB)];
        bone.transform = boneTransform(bone, boneRestPosition(b, bone), trajectoryPosition(a, p),
                                       trajectoryPosition(b, p));
    }
}

// The dot two bones share, with the far dot of each; false when they share none.
bool sharedDot(const Bone& first, const Bone& second, int& joint, int& farFirst, int& farSecond) {
    if (first.dotA == second.dotA || first.dotA == second.dotB) {
        joint = first.dotA;
        farFirst = first.dotB;
    } else if (first.dotB == second.dotA || first.dotB == second.dotB) {
        joint = first.dotB;
        farFirst = first.dotA;
    } else {
        return false;
    }
    farSecond = second.dotA == joint ? second.dotB : second.dotA;
    return true;
}

Vec3 correctAtJoint(const AnimObject& object, const Bone& bone1, const Bone& bone2,
                    const AnimPoint& vertex, const Vec3& blended, double p) {
    int joint = -1, farQ = -1, farR = -1;
    if (!sharedDot(bone1, bone2, joint, farQ, farR)) return blended;
    if (!validPoint(object, joint) || !validPoint(object, farQ) || !validPoint(object, farR))
        return blended;
    const AnimPoint& j = object.points[size_t(joint)];
    if (j.jointValue == 0) return blended;
    const AnimPoint& q = object.points[size_t(farQ)];
    const AnimPoint& r = object.points[size_t(farR)];
    JointCorrectionInput in;
    // Rest vectors follow the rest frame of the vertex's primary bone.
    in.jointRest = boneRestPosition(j, bone1);
    in.farQRest = boneRestPosition(q, bone1);
    in.farRRest = boneRestPosition(r, bone2);
    in.vertexRest = boneRestPosition(vertex, bone1);
    in.jointNow = trajectoryPosition(j, p);
    in.farQNow = trajectoryPosition(q, p);
    in.farRNow = trajectoryPosition(r, p);
    in.vertexNow = blended;
    in.jointValue = j.jointValue;
    return applyJointCorrection(in);
}

void solveVerticesByBones(AnimObject& object, int n, double p, bool selectedOnly) {
    computeBoneTransforms(object, p);
    for (int v = 0; v < n; ++v) {
        AnimPoint& vertex = object.points[size_t(v)];
        if (!updates(vertex, selectedOnly)) continue;
        // Indices that name no usable bone count as none.
        int b1 = boneUsable(object, vertex.bone1) ? vertex.bone1 : -1;
        int b2 = boneUsable(object, vertex.bone2) ? vertex.bone2 : -1;
        if (b1 < 0) {
            b1 = b2;
            b2 = -1;
        }
        if (b1 < 0) {
            vertex.current = vertex.start;
            continue;
        }
        const Bone& bone1 = object.bones[size_t(b1)];
        const Vec3 onBone1 = transformPoint(bone1.transform, boneRestPosition(vertex, bone1));
        if (b2 < 0 || b2 == b1) {
            vertex.current = onBone1;
            continue;
        }
        const Bone& bone2 = object.bones[size_t(b2)];
        const Vec3 onBone2 = transformPoint(bone2.transform, boneRestPosition(vertex, bone2));
        double w = vertex.boneWeight;
        if (!(w >= 0)) w = 0; // also NaN
        if (w > 1) w = 1;
        const Vec3 blended = lerp(onBone2, onBone1, w);
        vertex.current = correctAtJoint(object, bone1, bone2, vertex, blended, p);
    }
}

// ---------------------------------------------------------------- spin mode

// The contour pixel of a coordinate (rounded half away from zero); false for a value
// that no 16-bit contour point can hold.
bool pixelOf(double v, int& out) {
    if (!(v > -40000 && v < 40000)) return false;
    out = roundHalfAway(v);
    return true;
}

// Slides the leading outline vertices along the object's outline contour by
// spin · p · (m − 2) contour steps while the object follows its single dot. Returns
// false when the object has no usable contour; the caller then translates the mesh.
bool solveSpin(AnimObject& object, int n, double p, const Vec3& dotNow, const Vec3& dotStart,
               bool selectedOnly) {
    const auto& contour = object.outline;
    size_t points = 0; // contour points before the terminator
    while (points < contour.size() && contour[points] != kContourEnd) ++points;
    if (points < 2) return false;
    const double m = double(points + 1); // word count, terminator included
    const double steps = double(object.spin) * p * (m - 2);
    const double dx = dotNow.x - dotStart.x, dy = dotNow.y - dotStart.y, dz = dotNow.z - dotStart.z;

    size_t searchFrom = 0;
    bool onOutline = true;
    for (int v = 0; v < n; ++v) {
        AnimPoint& vertex = object.points[size_t(v)];
        size_t index = 0;
        if (onOutline) {
            onOutline = vertex.isMeshVertex();
            if (onOutline) {
                int rx = 0, ry = 0;
                size_t k = points;
                if (pixelOf(vertex.start.x, rx) && pixelOf(vertex.start.y, ry)) {
                    k = searchFrom;
                    while (k < points &&
                           !(curvePointX(contour[k]) == rx && curvePointY(contour[k]) == ry))
                        ++k;
                }
                onOutline = k < points;
                index = k;
                searchFrom = k;
            }
        }
        if (!updates(vertex, selectedOnly)) continue;
        if (!onOutline) {
            // Vertices past the outline walk (the interior, or an outline out of order)
            // go with the dot rather than keep a stale position from another frame.
            vertex.current = {vertex.start.x + dx, vertex.start.y + dy, vertex.start.z + dz};
            continue;
        }
        double d = steps + double(index);
        if (!std::isfinite(d)) d = double(index);
        // Whole steps wrap around the closed contour; the floor keeps the fraction in
        // 0 … 1 for a backward spin too, so vertices stay on the outline.
        const double whole = std::floor(d);
        const double f = d - whole;
        double k = std::fmod(whole, m - 1);
        if (k < 0) k += m - 1;
        size_t i = size_t(k);
        if (i >= points) i = 0;
        const uint32_t a = contour[i];
        const uint32_t b = i + 1 < points ? contour[i + 1] : contour[0];
        vertex.current.x = (1 - f) * curvePointX(a) + f * curvePointX(b) + dx;
        vertex.current.y = (1 - f) * curvePointY(a) + f * curvePointY(b) + dy;
        vertex.current.z = dotNow.z;
    }
    return true;
}

// ---------------------------------------------------------------- ordinary objects

void solveOrdinary(AnimObject& object, double p, bool selectedOnly) {
    const int n = meshVertexCount(object);
    for (size_t i = size_t(n); i < object.points.size(); ++i) {
        AnimPoint& dot = object.points[i];
        if (updates(dot, selectedOnly)) dot.current = trajectoryPosition(dot, p);
    }
    if (n == 0) return;

    if (object.points.size() - size_t(n) == 1) {
        const AnimPoint& dot = object.points[size_t(n)];
        const Vec3 now = trajectoryPosition(dot, p);
        const float spin = object.spin;
        if (!object.is3d() && spin != 0 && spin != 1000 && std::isfinite(spin) &&
            solveSpin(object, n, p, now, dot.start, selectedOnly))
            return;
        const Vec3 d = now - dot.start;
        for (int v = 0; v < n; ++v) {
            AnimPoint& vertex = object.points[size_t(v)];
            if (updates(vertex, selectedOnly)) vertex.current = vertex.start + d;
        }
        return;
    }
    solveVerticesByBones(object, n, p, selectedOnly);
}

// ---------------------------------------------------------------- library objects

struct GeometricEffects {
    float scale = 1, rotation = 0, horizontalRotation = 0, verticalRotation = 0;
    float x = 0, y = 0, z = 0, inflation = 1;
    double pivotX = 0, pivotY = 0;
};

int32_t truncToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return int32_t(-2147483647 - 1);
    return int32_t(v);
}

GeometricEffects geometricEffects(const AnimObject& object, double t) {
    const EffectValues values = evaluateEffects(object, t);
    GeometricEffects g;
    g.scale = values[EffectSlot::Scale];
    g.rotation = values[EffectSlot::Rotation];
    g.horizontalRotation = values[EffectSlot::HorizontalRotation];
    g.verticalRotation = values[EffectSlot::VerticalRotation];
    g.x = values[EffectSlot::HorizontalPosition];
    g.y = values[EffectSlot::VerticalPosition];
    g.z = values[EffectSlot::Distance];
    g.inflation = values[EffectSlot::Inflation];
    const IntRect& box = object.boxRect;
    const double s = g.scale;
    // The pivot is the scaled box's middle, halved in integers.
    g.pivotX = truncToInt(box.left + s * (double(box.right) - box.left)) / 2;
    g.pivotY = truncToInt(box.top + s * (double(box.bottom) - box.top)) / 2;
    return g;
}

// Scale, the three rotations about the pivot and the translations; inflation is the
// caller's business.
void placeWithEffects(const GeometricEffects& g, Vec3& p) {
    if (g.scale != 1) {
        p.x *= g.scale;
        p.y *= g.scale;
        p.z *= g.scale;
    }
    if (g.rotation != 0) {
        const double c = std::cos(g.rotation), s = std::sin(g.rotation);
        const double dx = p.x - g.pivotX, dy = p.y - g.pivotY;
        p.x = g.pivotX + dx * c - dy * s;
        p.y = g.pivotY + dx * s + dy * c;
    }
    if (g.horizontalRotation != 0) {
        // Turned like the camera turns the scene: x into z.
        const double c = std::cos(g.horizontalRotation), s = std::sin(g.horizontalRotation);
        const double dx = p.x - g.pivotX, z = p.z;
        p.x = g.pivotX + dx * c + z * s;
        p.z = z * c - dx * s;
    }
    if (g.verticalRotation != 0) {
        // Tilted like the camera tilts the scene: y into z.
        const double c = std::cos(g.verticalRotation), s = std::sin(g.verticalRotation);
        const double dy = p.y - g.pivotY, z = p.z;
        p.y = g.pivotY + dy * c - z * s;
        p.z = z * c + dy * s;
    }
    p.x += g.x;
    p.y += g.y;
    p.z += g.z;
}

void solveLibrary(const AnimationModel& model, AnimObject& object, double t,
                  const ComputeOptions& options) {
    const double p = objectProgress(object, model.lastFrameIndex, t);
    for (size_t i = 0; i < object.points.size(); ++i) {
        AnimPoint& point = object.points[i];
        if (updates(point, options.selectedOnly))
            point.current = recordedPosition(object, int(i), p);
    }
    if (options.skipEffects) return;
    const GeometricEffects g = geometricEffects(object, t);
    const bool inflate = object.is3d() && g.inflation != 1 && !options.selectedOnly;
    for (AnimPoint& point : object.points) {
        if (!updates(point, options.selectedOnly)) continue;
        if (inflate) point.current.z *= g.inflation;
        placeWithEffects(g, point.current);
    }
}

// ---------------------------------------------------------------- bindings

// A rigid motion in the image plane: turn about a pivot, then translate.
struct BindingMotion {
    bool turns = false;
    double pivotX = 0, pivotY = 0, cosA = 1, sinA = 0;
    Vec3 shift;

    void apply(Vec3& p) const {
        if (turns) {
            const double dx = p.x - pivotX, dy = p.y - pivotY;
            p.x = pivotX + dx * cosA - dy * sinA;
            p.y = pivotY + dx * sinA + dy * cosA;
        }
        p.x += shift.x;
        p.y += shift.y;
        p.z += shift.z;
    }
};

using VisitedFlags = std::array<uint8_t, kMaxObjects>;

void removeBinding(AnimObject& object) {
    ObjectBinding& b = object.binding;
    for (int dot : {b.ownDot1, b.ownDot2})
        if (validPoint(object, dot)) object.points[size_t(dot)].flags &= ~PointFlag::BindingDot;
    b.ownDot1 = -1;
    b.ownDot2 = -1;
    b.parentObject = -1;
}

// The motion that object `slot` takes from its parent at time t, following the chain
// of parents. False when the object ends up without a usable binding.
bool findBindingMotion(AnimationModel& model, int slot, double t, VisitedFlags& visited,
                       Prompter& prompter, BindingMotion& motion) {
    AnimObject& object = model.object(slot);
    if (visited[size_t(slot)]) {
        // The chain came back here: this object closes the loop and loses its binding.
        prompter.message(kBindingLoopMessage);
        removeBinding(object);
        return false;
    }
    visited[size_t(slot)] = 1;
    if (!object.binding.bound()) return false;

    const ObjectBinding binding = object.binding;
    const int parent = binding.parentObject;
    if (!validSlot(model, parent)) return false;
    const AnimObject& parentObject = model.object(parent);
    if (!validPoint(parentObject, binding.parentDot1)) return false;
    const bool twoPairs = binding.parentDot2 != -1 && validPoint(parentObject, binding.parentDot2);

    Vec3 rest1 = pointPositionAtTime(model, parent, binding.parentDot1, 0);
    Vec3 now1 = pointPositionAtTime(model, parent, binding.parentDot1, t);
    Vec3 rest2, now2;
    if (twoPairs) {
        rest2 = pointPositionAtTime(model, parent, binding.parentDot2, 0);
        now2 = pointPositionAtTime(model, parent, binding.parentDot2, t);
    }

    if (parentObject.binding.bound()) {
        // The parent moves with its own parent: its dots are where that motion puts
        // them. At time 0 every binding motion is the identity, so the rest positions
        // stay as they are.
        BindingMotion parentMotion;
        if (findBindingMotion(model, parent, t, visited, prompter, parentMotion)) {
            parentMotion.apply(now1);
            if (twoPairs) parentMotion.apply(now2);
        }
        // The loop may have closed at this very object.
        if (!object.binding.bound()) return false;
    }

    motion = {};
    motion.shift = now1 - rest1;
    if (twoPairs) {
        const double a = std::atan2(now2.y - now1.y, now2.x - now1.x) -
                         std::atan2(rest2.y - rest1.y, rest2.x - rest1.x);
        if (a != 0 && std::isfinite(a)) {
            motion.turns = true;
            motion.pivotX = rest1.x;
            motion.pivotY = rest1.y;
            motion.cosA = std::cos(a);
            motion.sinA = std::sin(a);
        }
    }
    return true;
}

void computeBound(AnimationModel& model, int slot, double t, const ComputeOptions& options,
                  Prompter& prompter) {
    ComputeOptions own = options;
    own.ignoreBinding = true;
    computeObject(model, slot, t, own, prompter);

    VisitedFlags visited{};
    BindingMotion motion;
    if (!findBindingMotion(model, slot, t, visited, prompter, motion)) return;
    for (AnimPoint& point : model.object(slot).points)
        if (updates(point, options.selectedOnly)) motion.apply(point.current);
}

} // namespace

// ---------------------------------------------------------------- interfaces

Vec3 trajectoryPosition(const AnimPoint& dot, double p) {
    if (!(p >= 0 && p <= 1.0000001)) return kNoPosition;
    // A drawn trajectory without samples is no drawing at all: the dot goes straight.
    if (dot.trajectory && !dot.trajectory->empty()) {
        const DotTrajectory& samples = *dot.trajectory;
        const size_t n = samples.size();
        if (n == 1) return {0, 0, 0};
        Vec3 out;
        if (p >= 0.9999999) {
            // The end of the drawn path; reading sample ⌊p·(n − 1)⌋ here would step
            // back one sample just short of p = 1.
            out.x = samples[n - 1].x;
            out.y = samples[n - 1].y;
        } else {
            const double q = p * double(n - 1);
            size_t k = size_t(q);
            if (k > n - 2) k = n - 2;
            const double f = q - double(k);
            out.x = samples[k].x * (1 - f) + samples[k + 1].x * f;
            out.y = samples[k].y * (1 - f) + samples[k + 1].y * f;
        }
        out.z = dot.start.z == dot.end.z ? dot.start.z : dot.start.z * (1 - p) + dot.end.z * p;
        return out;
    }
    return lerp(dot.start, dot.end, p);
}

Vec3 recordedPosition(const AnimObject& object, int point, double p) {
    if (!validPoint(object, point)) return {};
    const AnimPoint& pt = object.points[size_t(point)];
    if (!object.library || size_t(point) >= object.library->motion.size()) return pt.start;
    const std::vector<Vec3>& frames = object.library->motion[size_t(point)];
    if (frames.empty()) return pt.start;
    const size_t n = frames.size();
    // The first recorded frame is the start position kept as floats: at the start the
    // vertex stands exactly where the file placed it.
    if (!(p > 0)) return pt.start;
    if (n == 1) return frames[0];
    if (p >= 1) return frames[n - 1];
    const double q = p * double(n - 1);
    size_t k = size_t(q);
    if (k > n - 2) k = n - 2;
    return lerp(frames[k], frames[k + 1], q - double(k));
}

Vec3 pointPositionAtTime(const AnimationModel& model, int slot, int point, double t) {
    if (!validSlot(model, slot)) return {};
    const AnimObject& object = model.object(slot);
    if (!validPoint(object, point)) return {};
    const double p = objectProgress(object, model.lastFrameIndex, t);
    if (!object.isLibrary()) return trajectoryPosition(object.points[size_t(point)], p);
    Vec3 pos = recordedPosition(object, point, p);
    placeWithEffects(geometricEffects(object, t), pos);
    return pos;
}

void computeObject(AnimationModel& model, int slot, double t, const ComputeOptions& options,
                   Prompter& prompter) {
    if (!validSlot(model, slot)) return;
    AnimObject& object = model.object(slot);
    if (object.binding.bound() && !model.bindingsDisabled() && !options.ignoreBinding) {
        computeBound(model, slot, t, options, prompter);
        return;
    }
    if (object.isLibrary()) {
        solveLibrary(model, object, t, options);
        return;
    }
    // An ordinary object's effects do not move its points; the renderer applies them.
    solveOrdinary(object, objectProgress(object, model.lastFrameIndex, t), options.selectedOnly);
}

void computeFrame(AnimationModel& model, double t, Prompter& prompter) {
    for (int slot = 0; slot < model.objectCount && slot < kMaxObjects; ++slot)
        computeObject(model, slot, t, {}, prompter);
}

void computeRestPose(AnimationModel& model, int slot) {
    if (!validSlot(model, slot)) return;
    AnimObject& object = model.object(slot);
    if (object.isLibrary()) return;
    // The bone edits that call this (type, orientation, a new bone) change what the
    // rest length and angle must be: a fixed bone measures in 3D, an elastic one in the
    // image plane.
    for (Bone& bone : object.bones) {
        if (!validPoint(object, bone.dotA) || !validPoint(object, bone.dotB)) continue;
        const Vec3& restA = boneRestPosition(object.points[size_t(bone.dotA)], bone);
        const Vec3& restB = boneRestPosition(object.points[size_t(bone.dotB)], bone);
        bone.restAngle = boneRestAngle(restA, restB);
        bone.restLength = boneRestLength(bone, restA, restB);
    }
    solveOrdinary(object, 1.0, false);
    const int n = meshVertexCount(object);
    for (int v = 0; v < n; ++v) object.points[size_t(v)].end = object.points[size_t(v)].current;
}

} // namespace zx
