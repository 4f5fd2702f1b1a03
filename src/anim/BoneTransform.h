#pragma once
// The rigid-plus-scale motion of one bone between its rest pose and a frame, and the
// joint correction that fills the crease where two bones meet.

#include "anim/AnimPoint.h"
#include "anim/Bone.h"

namespace zx {

// Where a point sits in a bone's rest frame: its start position when the bone measures
// from start positions (flag 0x40), otherwise its texture position.
inline const Vec3& boneRestPosition(const AnimPoint& point, const Bone& bone) {
    return (bone.flags & BoneFlag::FromStart) ? point.start : point.texture;
}

// The transform of a bone whose rest end B sits at `restB` and whose dots are now at
// `a` and `b`: turn about z so that the bone points from b towards a again, tilt it
// out of the image plane to follow a.z − b.z, scale it by the bone's length against
// its rest length (3D length for a fixed bone, length in the image plane for an
// elastic one), all about the rest position of B, and finally carry that pivot to b.
//
// Turning about the rest position of B (rather than about the origin and then adding
// the displacement of B) is what makes a turned bone still hold its own dots: the
// rest dots map onto a and b exactly whenever they lie at equal depth.
Matrix4 boneTransform(const Bone& bone, const Vec3& restB, const Vec3& a, const Vec3& b);

// Applies a row-major 4 × 4 matrix to (x, y, z, 1).
inline Vec3 transformPoint(const Matrix4& m, const Vec3& p) {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
            m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

// Rest orientation of a bone from B towards A in the image plane, within 0 … 2π, and
// its rest length (3D for a fixed bone, in the image plane for an elastic one).
double boneRestAngle(const Vec3& restA, const Vec3& restB);
double boneRestLength(const Bone& bone, const Vec3& restA, const Vec3& restB);

// Inputs of the joint correction of one vertex hanging on two bones that meet at the
// joint dot J; Q and R are the far dots of the two bones.
struct JointCorrectionInput {
    Vec3 jointRest, jointNow;
    Vec3 farQRest, farQNow;
    Vec3 farRRest, farRNow;
    Vec3 vertexRest;       // the vertex in the rest frame
    Vec3 vertexNow;        // the blended position of the two bones
    double jointValue = 0; // the joint dot's skin fill
};

// Pushes a vertex lying inside the bend of a joint back out along J→V by
// 2·j·(1 − |c|)·|d| (c: cosine of J→V against the normal of the plane J, Q, R; d: how
// much the part of J→V that runs across the two bones shrank or grew). A vertex
// outside the angle between the bones is returned unchanged.
Vec3 applyJointCorrection(const JointCorrectionInput& in);

} // namespace zx
