#pragma once
// A point of an animated object: one of its mesh vertices (the first vertexCount
// points) or one of its user dots (the rest).

#include "anim/Vec3.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zx {

// A drawn trajectory: samples equally spaced in progress (sample k is the position
// at progress k / (n − 1)). The third value is kept by the file, never evaluated.
struct TrajectorySample {
    float x = 0, y = 0, w = 0;
    bool operator==(const TrajectorySample&) const = default;
};
using DotTrajectory = std::vector<TrajectorySample>;

// The bits of AnimPoint::flags, for user dots and mesh vertices alike.
struct PointFlag {
    static constexpr int32_t MeshVertex = 0x01;  // created by the mesh builder
    static constexpr int32_t BindingDot = 0x02;  // one of the own dots of a binding
    static constexpr int32_t Outline = 0x08;     // mesh vertex on the object's outline
    static constexpr int32_t Joint = 0x20;       // shared by two bones
    static constexpr int32_t Interior = 0x40;    // mesh vertex made by a builder (not a user dot)
    static constexpr int32_t BackSurface = 0x80; // mesh vertex of a solid's mirrored back surface
    static constexpr int32_t Protected = 0x400;  // mesh vertex kept by the vertex thinning
    static constexpr int32_t Selected = 0x1000;
    static constexpr int32_t SmoothAction = 0x4000;
    // Bit 31 means one thing on a user dot and another on a mesh vertex.
    static constexpr int32_t On3dMesh = int32_t(0x80000000u); // dot added to a 3D object
    static constexpr int32_t Deleted = int32_t(0x80000000u);  // mesh vertex dropped by a builder
    // Every vertex a mesh builder makes carries these, besides its kind bits.
    static constexpr int32_t NewMeshVertex = MeshVertex | Interior;
};

struct AnimPoint {
    int32_t flags = 0;
    int32_t keptAfterFlags = 0;              // kept by the file
    Vec3 texture;                            // where the point samples the start image
    int32_t keptAfterTexture = 0;            // kept by the file
    Vec3 start;                              // position at progress 0
    Vec3 current;                            // written by the deformation solver; not stored
    Vec3 scratch;                            // not stored
    Vec3 end;                                // position at progress 1 (straight trajectory)
    std::optional<DotTrajectory> trajectory; // none = straight from start to end
    int32_t bone1 = -1;
    int32_t bone2 = -1;
    // The word after bone 2: the joint dot of a vertex hanging on two bones (or the
    // single user dot the mesh follows).
    int32_t jointDot = -1;
    float boneWeight = 0;        // share of bone 1
    int32_t keptAfterWeight = 0; // kept by the file
    float interaction = 0;       // the object's joint interaction, copied in
    float jointValue = 0;        // the object's skin fill, copied in

    bool isMeshVertex() const { return flags & PointFlag::MeshVertex; }
    bool isSelected() const { return flags & PointFlag::Selected; }
};

} // namespace zx
