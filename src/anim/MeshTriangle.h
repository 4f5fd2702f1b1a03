#pragma once

#include <cstdint>

namespace zx {

namespace TriangleFlag {
// Renderer bits of MeshTriangle::flags.
inline constexpr int32_t Hidden = 1;
inline constexpr int32_t SolidColour = 2;
inline constexpr int32_t Highlight = 4;
inline constexpr int32_t Transparent = 8;
} // namespace TriangleFlag

struct MeshTriangle {
    int32_t flags = 0;
    int32_t v[3] = {0, 0, 0}; // indices into the object's points, below vertexCount
    int32_t material = 0;     // material / texture index of the object; not in the record
    int32_t builderA = 0;     // used by the mesh builder
    int32_t builderB = 0;
    bool operator==(const MeshTriangle&) const = default;
};

} // namespace zx
