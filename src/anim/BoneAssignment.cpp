#include "anim/BoneAssignment.h"

#include "anim/AnimationModel.h"
#include "anim/BoneTransform.h"
#include "anim/Deformation.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace zx {

namespace {

bool validPoint(const AnimObject& object, int point) {
    return point >= 0 && size_t(point) < object.points.size();
}

bool boneUsable(const AnimObject& object, const Bone& bone) {
    return validPoint(object, bone.dotA) && validPoint(object, bone.dotB);
}

bool inNetwork(const AnimObject& object, const Bone& bone) {
    return boneUsable(object, bone) && !(bone.flags & BoneFlag::Detached);
}

bool sharesDot(const Bone& bone, int dot) {
    return bone.dotA == dot || bone.dotB == dot;
}

int meshVertexCount(const AnimObject& object) {
    const int n = object.vertexCount;
    if (n <= 0) return 0;
    return size_t(n) > object.points.size() ? int(object.points.size()) : n;
}

int outlineVertexCount(const AnimObject& object, int n) {
    return std::clamp(object.outlineVertexCount, 0, n);
}

struct SegmentDistance {
    float distance = 0;
    int32_t sides = 0;
    float along = 0;
};

// Distance in the image plane from a vertex to a bone's segment, all in the bone's
// rest frame.
SegmentDistance measure(const AnimObject& object, const Bone& bone, const AnimPoint& vertex) {
    const Vec3& a = boneRestPosition(object.points[size_t(bone.dotA)], bone);
    const Vec3& b = boneRestPosition(object.points[size_t(bone.dotB)], bone);
    const Vec3& v = boneRestPosition(vertex, bone);
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double len2 = ex * ex + ey * ey;
    double u = len2 > 0 ? ((v.x - a.x) * ex + (v.y - a.y) * ey) / len2 : 0;
    if (!std::isfinite(u)) u = 0;
    SegmentDistance out;
    out.along = float(u);
    out.sides = (u < 0 ? OutlineSide::BeyondA : 0) | (u > 1 ? OutlineSide::BeyondB : 0);
    const double c = std::clamp(u, 0.0, 1.0);
    const double d = std::hypot(v.x - (a.x + c * ex), v.y - (a.y + c * ey));
    out.distance = std::isfinite(d) ? float(d) : 3.4e38f; // broken positions lose every race
    return out;
}

struct Assignment {
    int32_t bone1 = -1, bone2 = -1, joint = -1;
    float weight = 0;
};

void store(AnimPoint& vertex, const Assignment& a) {
    vertex.bone1 = a.bone1;
    vertex.bone2 = a.bone2;
    vertex.jointDot = a.joint;
    vertex.boneWeight = a.weight;
}

// The one or two bones of a vertex, given its distance to every bone of the network.
// `distanceOf(bone)` returns false for a bone that has no distance for this vertex.
template <class DistanceOf>
Assignment chooseBones(const AnimObject& object, DistanceOf distanceOf) {
    const auto& bones = object.bones;
    int c = -1;
    SegmentDistance dc;
    for (size_t i = 0; i < bones.size(); ++i) {
        SegmentDistance d;
        if (!distanceOf(int(i), d)) continue;
        if (c < 0 || d.distance < dc.distance) c = int(i), dc = d;
    }
    Assignment out;
    if (c < 0) return out;
    out.bone1 = c;

    // The nearest of the bones that share a dot with c.
    const Bone& primary = bones[size_t(c)];
    int g = -1;
    SegmentDistance dg;
    for (size_t i = 0; i < bones.size(); ++i) {
        if (int(i) == c) continue;
        const Bone& other = bones[i];
        if (!sharesDot(other, primary.dotA) && !sharesDot(other, primary.dotB)) continue;
        SegmentDistance d;
        if (!distanceOf(int(i), d)) continue;
        if (g < 0 || d.distance < dg.distance) g = int(i), dg = d;
    }
    if (g < 0) return out;
    const Bone& second = bones[size_t(g)];
    const int joint = sharesDot(second, primary.dotA) ? primary.dotA : primary.dotB;

    // Side rule: a vertex past c's end at the joint that still lies alongside g belongs
    // first to g, even when c's segment end is nearer (the inside of a sharp bend).
    const int32_t cEnd = joint == primary.dotA ? OutlineSide::BeyondA : OutlineSide::BeyondB;
    const int32_t gEnd = joint == second.dotA ? OutlineSide::BeyondA : OutlineSide::BeyondB;
    int b1 = c, b2 = g;
    double d1 = dc.distance, d2 = dg.distance;
    if ((dc.sides & cEnd) && !(dg.sides & gEnd)) {
        std::swap(b1, b2);
        std::swap(d1, d2);
    }
    out.bone1 = b1;

    double b = validPoint(object, joint) ? object.points[size_t(joint)].interaction : 1.0;
    if (!(b > 1) || b == 1) b = 1.0001; // an interaction of 1 (or a broken one) blends nothing
    if (d1 <= d2 * b && d2 <= d1 * b) {
        out.bone2 = b2;
        out.joint = joint;
        double w = 0.5;
        if (d1 > 0 && d2 > 0) w = 0.5 - std::log(d1 / d2) / (2 * std::log(b));
        out.weight = float(std::clamp(w, 0.0, 1.0));
    }
    return out;
}

// Every vertex from m to n − 1 (the interior) takes the bones of the outline vertex
// nearest to it by start position (squared distance in x and y; the lower index wins a
// tie).
void copyFromNearestOutline(AnimObject& object, int m, int n) {
    std::vector<int> order(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i) order[size_t(i)] = i;
    auto xOf = [&](int i) { return object.points[size_t(i)].start.x; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const double xa = xOf(a), xb = xOf(b);
        return xa < xb || (std::isnan(xb) && !std::isnan(xa));
    });
    for (int v = m; v < n; ++v) {
        AnimPoint& vertex = object.points[size_t(v)];
        const double vx = vertex.start.x, vy = vertex.start.y;
        int best = -1;
        double bestD = 0;
        auto consider = [&](int i) {
            const AnimPoint& o = object.points[size_t(i)];
            const double dx = o.start.x - vx, dy = o.start.y - vy;
            const double d = dx * dx + dy * dy;
            if (!(d == d)) return;
            if (best < 0 || d < bestD || (d == bestD && i < best)) best = i, bestD = d;
        };
        if (std::isnan(vx) || std::isnan(vy)) {
            for (int i = 0; i < m; ++i) consider(i);
        } else {
            // Walk outwards in x from the vertex; stop once the x gap alone exceeds the
            // best distance found.
            const auto mid = std::lower_bound(order.begin(), order.end(), vx,
                                              [&](int i, double x) { return xOf(i) < x; });
            for (auto it = mid; it != order.end(); ++it) {
                const double dx = xOf(*it) - vx;
                if (best >= 0 && dx * dx > bestD) break;
                consider(*it);
            }
            for (auto it = mid; it != order.begin();) {
                --it;
                const double dx = xOf(*it) - vx;
                if (best >= 0 && dx * dx > bestD) break;
                consider(*it);
            }
        }
        Assignment a;
        if (best >= 0) {
            const AnimPoint& from = object.points[size_t(best)];
            a = {from.bone1, from.bone2, from.jointDot, from.boneWeight};
        }
        store(vertex, a);
    }
}

void assignVertices(AnimObject& object) {
    const int n = meshVertexCount(object);
    if (n == 0) return;
    const size_t dots = object.points.size() - size_t(n);
    Assignment fixed;
    bool same = true;
    if (dots == 1) {
        fixed.joint = n; // the mesh translates with that one dot
    } else if (dots >= 2 && object.bones.size() == 1) {
        fixed.bone1 = 0;
    } else if (dots >= 2 && object.bones.size() >= 2) {
        same = false;
    }
    if (same) {
        for (int v = 0; v < n; ++v) store(object.points[size_t(v)], fixed);
        return;
    }

    const int m = outlineVertexCount(object, n);
    if (m == 0) {
        // No outline vertices known: every vertex measures its own distances.
        for (int v = 0; v < n; ++v) {
            AnimPoint& vertex = object.points[size_t(v)];
            store(vertex, chooseBones(object, [&](int b, SegmentDistance& d) {
                      const Bone& bone = object.bones[size_t(b)];
                      if (!inNetwork(object, bone)) return false;
                      d = measure(object, bone, vertex);
                      return true;
                  }));
        }
        return;
    }
    for (int j = 0; j < m; ++j) {
        store(object.points[size_t(j)], chooseBones(object, [&](int b, SegmentDistance& d) {
                  const Bone& bone = object.bones[size_t(b)];
                  if (!inNetwork(object, bone) || size_t(j) >= bone.outlineRecords.size())
                      return false;
                  const OutlineRecord& r = bone.outlineRecords[size_t(j)];
                  d.distance = outlineRecordDistance(r);
                  d.sides = outlineRecordSides(r);
                  return true;
              }));
    }
    copyFromNearestOutline(object, m, n);
}

} // namespace

float outlineRecordDistance(const OutlineRecord& record) {
    return std::bit_cast<float>(record[0]);
}

int32_t outlineRecordSides(const OutlineRecord& record) {
    return record[1];
}

OutlineRecord makeOutlineRecord(float distance, int32_t sides, float along, int32_t vertex) {
    return {std::bit_cast<int32_t>(distance), sides, std::bit_cast<int32_t>(along), vertex, 0, 0};
}

void rebuildBoneNetwork(AnimObject& object) {
    const int n = meshVertexCount(object);
    const int m = outlineVertexCount(object, n);
    auto& bones = object.bones;

    for (Bone& bone : bones) {
        if (!boneUsable(object, bone)) continue;
        for (int dot : {bone.dotA, bone.dotB})
            object.points[size_t(dot)].flags &= ~PointFlag::Joint;
    }
    for (size_t i = size_t(n); i < object.points.size(); ++i)
        object.points[i].flags &= ~PointFlag::Joint;

    for (size_t i = 0; i < bones.size(); ++i) {
        Bone& bone = bones[i];
        bone.neighboursA.clear();
        bone.neighboursB.clear();
        bone.outlineRecords.clear();
        if (!boneUsable(object, bone)) continue;
        AnimPoint& a = object.points[size_t(bone.dotA)];
        AnimPoint& b = object.points[size_t(bone.dotB)];
        const Vec3& restA = boneRestPosition(a, bone);
        const Vec3& restB = boneRestPosition(b, bone);
        bone.restAngle = boneRestAngle(restA, restB);
        bone.restLength = boneRestLength(bone, restA, restB);
        for (AnimPoint* dot : {&a, &b}) {
            dot->interaction = object.jointInteraction;
            dot->jointValue = object.is3d() ? 0.0f : object.skinFill;
        }
        if (bone.flags & BoneFlag::Detached) continue;

        for (size_t j = 0; j < bones.size(); ++j) {
            if (j == i || !inNetwork(object, bones[j])) continue;
            if (sharesDot(bones[j], bone.dotA)) bone.neighboursA.push_back(int32_t(j));
            if (sharesDot(bones[j], bone.dotB)) bone.neighboursB.push_back(int32_t(j));
        }
        if (!bone.neighboursA.empty()) a.flags |= PointFlag::Joint;
        if (!bone.neighboursB.empty()) b.flags |= PointFlag::Joint;

        bone.outlineRecords.reserve(size_t(m));
        for (int v = 0; v < m; ++v) {
            const SegmentDistance d = measure(object, bone, object.points[size_t(v)]);
            bone.outlineRecords.push_back(makeOutlineRecord(d.distance, d.sides, d.along, v));
        }
    }
}

void assignVerticesToBones(AnimationModel& model, int slot) {
    if (slot < 0 || slot >= model.objectCount || slot >= kMaxObjects) return;
    AnimObject& object = model.object(slot);
    if (object.isLibrary()) return;
    rebuildBoneNetwork(object);
    assignVertices(object);
    computeRestPose(model, slot);
}

} // namespace zx
