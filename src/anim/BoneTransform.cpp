#include "anim/BoneTransform.h"

#include <cmath>
#include <numbers>

namespace zx {

namespace {

constexpr double kPi = std::numbers::pi;

bool allFinite(const Matrix4& m) {
    for (double v : m)
        if (!std::isfinite(v)) return false;
    return true;
}

// Signed angle from u to v in the image plane, −π … π.
double planarAngle(const Vec3& u, const Vec3& v) {
    return std::atan2(u.x * v.y - u.y * v.x, u.x * v.x + u.y * v.y);
}

// The direction that runs across two bones leaving J along q and r: the bisector of
// their directions, which points into the bend. When the bones are in line the
// bisector vanishes; any direction at right angles to the bones then measures the
// thickness of the limb equally well (only the length of the component is used).
Vec3 acrossDirection(const Vec3& q, const Vec3& r) {
    const Vec3 uq = unit(q);
    const Vec3 bisector = uq + unit(r);
    if (length(bisector) > 1e-9) return unit(bisector);
    const Vec3 normal = cross(q, r);
    if (length(normal) > 1e-12) return unit(cross(normal, uq));
    const Vec3 planar{-uq.y, uq.x, 0};
    if (length(planar) > 1e-12) return unit(planar);
    return {1, 0, 0};
}

} // namespace

double boneRestAngle(const Vec3& restA, const Vec3& restB) {
    double angle = std::atan2(restA.y - restB.y, restA.x - restB.x);
    if (!std::isfinite(angle)) return 0;
    if (angle < 0) angle += 2 * kPi;
    return angle;
}

double boneRestLength(const Bone& bone, const Vec3& restA, const Vec3& restB) {
    const Vec3 d = restA - restB;
    const double l = bone.isFixed() ? length(d) : std::hypot(d.x, d.y);
    return std::isfinite(l) ? l : 0;
}

Matrix4 boneTransform(const Bone& bone, const Vec3& restB, const Vec3& a, const Vec3& b) {
    const Vec3 d = a - b; // from B towards A, the way the rest angle is measured
    const double planar = std::hypot(d.x, d.y);
    const double full = length(d);

    // 1. Turn about z so the bone points along its current direction in the image plane.
    const double turn = std::atan2(d.y, d.x) - bone.restAngle;
    const double ct = std::cos(turn), st = std::sin(turn);

    // 2. Tilt out of the image plane about the horizontal axis across the bone,
    //    (−dy, dx, 0) for the direction B − A, so that the bone rises towards A by dz.
    double tilt = 0;
    if (full > 0) {
        const double ratio = d.z / full;
        tilt = std::fabs(d.z) > full ? (d.z > 0 ? kPi / 2 : -kPi / 2) : std::asin(ratio);
    }
    double kx = 0, ky = -1; // axis for a bone that stands straight along z
    if (planar > 0) {
        kx = d.y / planar;
        ky = -d.x / planar;
    }
    const double c = std::cos(tilt), s = std::sin(tilt), v = 1 - c;
    // Axis–angle rotation with axis (kx, ky, 0).
    const double t00 = c + kx * kx * v, t01 = kx * ky * v, t02 = ky * s;
    const double t10 = kx * ky * v, t11 = c + ky * ky * v, t12 = -kx * s;
    const double t20 = -ky * s, t21 = kx * s, t22 = c;

    // 3. Uniform scale by the current length against the rest length.
    const double current = bone.isFixed() ? full : planar;
    const double scale = bone.restLength > 0 ? current / bone.restLength : 1.0;

    // Linear part = scale · tilt · turn.
    const double r00 = scale * (t00 * ct + t01 * st), r01 = scale * (-t00 * st + t01 * ct);
    const double r10 = scale * (t10 * ct + t11 * st), r11 = scale * (-t10 * st + t11 * ct);
    const double r20 = scale * (t20 * ct + t21 * st), r21 = scale * (-t20 * st + t21 * ct);
    const double r02 = scale * t02, r12 = scale * t12, r22 = scale * t22;

    // 4. About the rest position of B, then carried to B's current position.
    Matrix4 m = {r00, r01, r02, b.x - (r00 * restB.x + r01 * restB.y + r02 * restB.z),
                 r10, r11, r12, b.y - (r10 * restB.x + r11 * restB.y + r12 * restB.z),
                 r20, r21, r22, b.z - (r20 * restB.x + r21 * restB.y + r22 * restB.z),
                 0,   0,   0,   1};
    if (!allFinite(m)) {
        // Broken coordinates: keep the vertices where they rest instead of spreading
        // NaN through the mesh and the rasteriser.
        return kIdentity4;
    }
    return m;
}

Vec3 applyJointCorrection(const JointCorrectionInput& in) {
    if (in.jointValue == 0 || !std::isfinite(in.jointValue)) return in.vertexNow;
    const Vec3 qNow = in.farQNow - in.jointNow;
    const Vec3 rNow = in.farRNow - in.jointNow;
    const Vec3 vNow = in.vertexNow - in.jointNow;

    // Only a vertex inside the angle between the bones (the inner side of the bend)
    // is squeezed by blending; judge that by the signed angles from J→Q in the plane.
    const double toR = planarAngle(qNow, rNow);
    const double toV = planarAngle(qNow, vNow);
    const bool inside = toR >= 0 ? (toV >= 0 && toV <= toR) : (toV <= 0 && toV >= toR);
    if (!inside) return in.vertexNow;

    const double vLength = length(vNow);
    if (!(vLength > 0)) return in.vertexNow;

    const Vec3 normal = cross(qNow, rNow);
    const double normalLength = length(normal);
    const double cosNormal = normalLength > 0 ? dot(vNow, normal) / (vLength * normalLength) : 0;

    const Vec3 qRest = in.farQRest - in.jointRest;
    const Vec3 rRest = in.farRRest - in.jointRest;
    const Vec3 vRest = in.vertexRest - in.jointRest;
    const double acrossRest = std::fabs(dot(vRest, acrossDirection(qRest, rRest)));
    const double acrossNow = std::fabs(dot(vNow, acrossDirection(qNow, rNow)));
    const double change = acrossNow - acrossRest;

    const double push = 2 * double(in.jointValue) * (1 - std::fabs(cosNormal)) * std::fabs(change);
    if (!std::isfinite(push)) return in.vertexNow;
    return in.jointNow + vNow * (1 + push / vLength);
}

} // namespace zx
