#pragma once
// The bone network of an object and the assignment of its mesh vertices to bones:
// which one or two bones every vertex hangs on, the joint it bends around and the
// share of each bone.

#include <array>
#include <cstdint>

namespace zx {

class AnimationModel;
struct AnimObject;

// An outline record of a bone (one per outline vertex, six words):
//   word 0: the distance from the outline vertex to the bone's segment, in the image
//           plane and in rest positions, as the bits of a float;
//   word 1: side bits — bit 0 the vertex lies beyond end A (its projection onto the
//           bone falls before A), bit 1 beyond end B (after B);
//   word 2: that projection parameter (0 at A, 1 at B), as the bits of a float;
//   word 3: the outline vertex's index; words 4 and 5: 0.
using OutlineRecord = std::array<int32_t, 6>;
struct OutlineSide {
    static constexpr int32_t BeyondA = 1;
    static constexpr int32_t BeyondB = 2;
};

float outlineRecordDistance(const OutlineRecord& record);
int32_t outlineRecordSides(const OutlineRecord& record);
OutlineRecord makeOutlineRecord(float distance, int32_t sides, float along, int32_t vertex);

// Rebuilds an ordinary object's bone network: each bone's rest angle and rest length
// from its dots' rest positions, the dots' interaction and joint values from the
// object's joint interaction and skin fill (joint value 0 on a 3D object), the lists
// of neighbour bones at either end, the joint flag (0x20) on dots shared by bones, and
// each bone's outline records. Bones marked as left out of the network (flag 8) get no
// neighbours and no records.
void rebuildBoneNetwork(AnimObject& object);

// Assigns every mesh vertex of an ordinary object to its bones (bone 1, bone 2, joint
// dot, weight) from a freshly rebuilt network, then recomputes the rest pose. Library
// objects are left alone.
void assignVerticesToBones(AnimationModel& model, int slot);

} // namespace zx
