#pragma once
// One object slot of an AnimationModel: the object's own fields (in the storage
// order of the animation record) and, per slot, its points, triangles, bones and
// time-curve data. The per-slot arrays live in the slot itself rather than in
// parallel tables; removing a slot moves everything it owns with it.

#include "anim/AnimPoint.h"
#include "anim/Bone.h"
#include "anim/MeshTriangle.h"
#include "anim/ObjectBinding.h"
#include "anim/ObjectEffect.h"
#include "storage/RasterImage.h"
#include "storage/RunLengthImage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zx {

struct IntRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const IntRect&) const = default;
};

struct ObjectKind {
    static constexpr int32_t UserRegion = 4; // made from a selection, not a contour
    static constexpr int32_t ConductorBox = 8;
    static constexpr int32_t InvertLight = 0x10;
};

// What a library file (.zxl) gives an object besides its points and triangles.
struct LibraryOpacity {
    enum class Kind { None, Constant, Table } kind = Kind::None;
    float value = 1;
    std::vector<float> table; // 513 entries for Kind::Table
};

struct LibraryObjectData {
    std::string path; // the library file, as loaded
    int32_t width = 0, height = 0;
    int32_t lastFrame = 0;                            // the library animation's last frame index
    std::vector<std::optional<RasterImage>> textures; // texture table (entry 0: thumbnail)
    std::vector<LibraryOpacity> opacities;            // one per texture
    std::vector<std::string> materials;               // one per texture
    // Recorded motion, per vertex: empty for a vertex that does not move, else
    // lastFrame + 1 positions.
    std::vector<std::vector<Vec3>> motion;
    // Per vertex: the index of its texture in `textures`, as the file gave it (not
    // checked against the table).
    std::vector<int32_t> vertexTextures;
    // How the file grouped the texture entries (each group: its pictures, then its
    // opacities, then its material names): one group for an object saved alone; the
    // thumbnail's entry, then one group per object for a whole animation. Saving the
    // object alone keeps that layout. Empty: one group.
    std::vector<int32_t> textureGroups;
};

// A curve of the 3D shape builder: from an outline vertex to an inner vertex, with
// the vertices sampled along it (negative entries: no vertex at that step).
struct SurfaceCurve {
    int32_t start = -1;
    int32_t end = -1;
    std::vector<int32_t> points;
    bool inUse = true;
    bool operator==(const SurfaceCurve&) const = default;
};

struct AnimObject {
    // --- the seventeen leading words, in storage order
    int32_t libraryFlag = 0;
    int32_t flag3d = 0;
    std::array<int32_t, 3> clearedWords = {-1, -1, 0}; // kept by the file
    int32_t kindFlags = 0;
    int32_t outlineVertexCount = 0;
    int32_t outlineKept = 0; // kept by the file
    int32_t vertexCount = 0;
    IntRect textureRect;
    IntRect secondRect; // kept by the file
    // --- not stored
    IntRect boxRect; // reference box of a library object (scaling pivot)
    // --- effects, binding, state
    std::array<ObjectEffect, kEffectCount> effects; // by storage slot
    ObjectBinding binding;
    int32_t hidden = 0;
    int32_t curveKind = 0; // 0 spline, 1 linear
    int32_t reverse = 0;
    int32_t invert = 0;
    std::string name; // library file name of a library object
    // --- library objects
    int32_t recordedFrameCount = 0;
    float speed = 1.0f;
    int32_t loop = 0;
    int32_t recordedFirstWord = 0; // first word of the recorded-animation array (stored)
    float timeOffset = 0;
    int32_t ownLastFrame = 0;
    std::shared_ptr<const LibraryObjectData> library;
    // --- 3D builder state
    std::array<int32_t, 3> builderWords = {0, 0, 0};
    // --- ordinary objects
    int32_t secondModeRegion = 0; // created by the region tool in its second mode
    int32_t settingWord = 0;      // taken from the settings when the slot is cleared
    std::array<std::optional<RunLengthImage>, 2> ownedMasks; // stored run-length coded
    float jointInteraction = 1.25f;
    float skinFill = 0;
    float spin = 0; // 0 none, 1000 tracked mode, else spin mode

    // --- per-slot arrays
    std::vector<AnimPoint> points; // mesh vertices first, then user dots
    std::vector<MeshTriangle> triangles;
    std::vector<std::array<int32_t, 4>> edges;        // written by the mesh builder
    std::array<std::vector<int32_t>, 3> builderLists; // written by the mesh builder
    std::vector<Bone> bones;
    std::vector<int32_t> curveTable;   // 513 entries when set
    std::vector<uint32_t> curvePoints; // packed x | y << 16
    // The object's outline contour (packed x | y << 16, ended by 0x80008000), used by
    // spin mode; filled by the mesh builder.
    std::vector<uint32_t> outline;
    // The 3D volume of a 3D object, from its last build: the skeleton list and the
    // surface curves its vertices were sampled from. Not part of the animation
    // record; a loaded object keeps its depths in its points and rebuilds these when
    // its shape is built again.
    std::vector<uint32_t> skeleton;
    std::vector<SurfaceCurve> surfaceCurves;

    bool isLibrary() const { return libraryFlag != 0; }
    bool is3d() const { return flag3d != 0; }
    int userDotCount() const { return int(points.size()) - vertexCount; }
};

} // namespace zx
