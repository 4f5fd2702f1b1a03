#pragma once

#include <cstdint>

namespace zx {

struct TriangleFlag {
    // Renderer bits of MeshTriangle::flags, as the animation record and the library
    // files store them.
    static constexpr int32_t Hidden = int32_t(0x80000000u); // never drawn (negative word)
    static constexpr int32_t SolidColour = 0x40000000;      // low 24 bits are the RGB to draw
    static constexpr int32_t Highlight = 0x20000000;        // selection highlight (previews)
    static constexpr int32_t TransparencyMask = 0x1F000000; // transparency step 0 … 31
    static constexpr int TransparencyShift = 24;
};

struct MeshTriangle {
    int32_t flags = 0;
    int32_t v[3] = {0, 0, 0}; // indices into the object's points, below vertexCount
    int32_t material = 0;     // material / texture index of the object; not in the record
    int32_t builderA = 0;     // used by the mesh builder
    int32_t builderB = 0;
    bool operator==(const MeshTriangle&) const = default;
};

} // namespace zx
