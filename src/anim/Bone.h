#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zx {

struct BoneFlag {
    static constexpr int32_t Fixed = 1;        // clear: elastic
    static constexpr int32_t Detached = 8;     // left out of the bone network
    static constexpr int32_t FromStart = 0x40; // rest positions are the start positions
};

// Row-major 4 × 4 matrix acting on column vectors (x, y, z, 1).
using Matrix4 = std::array<double, 16>;
inline constexpr Matrix4 kIdentity4 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct Bone {
    int32_t flags = 0;
    int32_t dotA = -1, dotB = -1; // user dots of the object
    double restLength = 0;
    double restAngle = 0;             // radians, 0 … 2π
    double keptC = 0, keptD = 0;      // kept by the file
    Matrix4 transform = kIdentity4;   // rest frame → current frame; recomputed per frame
    std::vector<int32_t> neighboursA; // other bones sharing dot A
    std::vector<int32_t> neighboursB; // other bones sharing dot B
    // One record per outline vertex, six words (distance and side bits; see the
    // vertex-to-bone assignment).
    std::vector<std::array<int32_t, 6>> outlineRecords;

    bool isFixed() const { return flags & BoneFlag::Fixed; }
};

} // namespace zx
