#pragma once
// Per-object geometry steps of the frame renderer: the orbit and perspective
// projection of the current vertex positions, the per-vertex normals and the flat
// brightness offset of a triangle.

#include "anim/AnimationModel.h"

#include <vector>

namespace zx {

// Rotates the object's current vertex positions by the settings' turn and tilt about
// the image centre, applies the perspective and the screen shift, and derives the
// light for the object (turned with the scene unless it follows the camera).
void projectVertices(AnimationModel& model, int slot);

// The object's vertex normals, one per mesh vertex. Adds the model's tiny jitter to
// the positions of every visible triangle's vertices first, so that coincident
// vertices never give a zero-length face normal.
void computeVertexNormals(AnimationModel& model, int slot, std::vector<Vec3>& normals);

// Brightness offset of a flat-shaded triangle with vertices p0, p1, p2 (stored
// order) under light intensity m.
double flatOffset(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& light,
                  double backLight, double ambient, double m);

// Vertices the renderer may use: the mesh vertices that actually exist.
inline int drawableVertexCount(const AnimObject& o) {
    const int n = int(o.points.size());
    return o.vertexCount < 0 ? 0 : (o.vertexCount < n ? o.vertexCount : n);
}

} // namespace zx
