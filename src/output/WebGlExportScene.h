#pragma once
// What a WebGL page shows of an animated image, gathered from its scene: the mesh of
// every visible object (positions normalised to the larger image side, y up), each
// vertex's path over the animation, the triangles with the see-through ones last, and
// the records of the named objects with their effect tracks. The page's player reads
// the arrays as they are collected here.
//
// A vertex has one texture coordinate, but the triangles of a library object around
// it may be drawn from different textures (materials): such a vertex is written once
// per texture, the copies after the object's own vertices, so an object's vertices
// stay together.

#include "anim/AnimationModel.h"
#include "output/WebGlAtlas.h"

#include <array>
#include <string>
#include <vector>

namespace zx {

struct WebGlObjectRecord {
    std::string name; // UTF-8
    int firstVertex = 0;
    bool hasCentre = false;
    std::array<double, 3> centre{};
    int firstFace = 0, endFace = 0;
    // Effect keys with their value text ("{trajx:…}" or "{startvalue:…}"), in order.
    std::vector<std::pair<std::string, std::string>> effects;
};

struct WebGlScene {
    // Per vertex: x, y, z, trajectory index, normal x, y, z.
    std::vector<double> vertices;
    std::vector<double> texcoords; // u, v per vertex
    std::vector<int> triangles;    // three vertex indices each
    // Starts with one 0; a path of n points is n then n triples; an effect track of n
    // values is n then the n values.
    std::vector<double> trajectory{0};
    std::vector<WebGlObjectRecord> objects;
    int vertexCount() const { return int(vertices.size() / 7); }
};

struct WebGlSceneOptions {
    // The animation's last frame index: frame k is at time k / frames.
    int frames = 1;
    // Publish only this frame, as a still 3D object; -1 publishes the animation.
    int staticFrame = -1;
};

// The objects that are exported: every object that is not hidden.
bool exportsObject(const AnimObject& object);
// The slots of the exported objects, in order.
std::vector<int> exportedSlots(const AnimationModel& model);

// Gathers the scene. Deforms `model` to every frame (its current positions change).
WebGlScene collectWebGlScene(AnimationModel& model, const AtlasPlacement& atlas,
                             const WebGlSceneOptions& options);

} // namespace zx
