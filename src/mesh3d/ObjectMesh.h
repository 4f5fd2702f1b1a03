#pragma once
// Putting a built mesh into an object slot, and the single-object triangulation that
// every mesh builder and the selection mesh commands end with.

#include "anim/AnimationModel.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <vector>

namespace zx {

class Progress;

// Replaces the object's mesh vertices, keeping its user dots behind the new ones.
// Every reference to a user dot moves with it: the object's bones and binding dots,
// the parent dots of objects bound to it, and the joint dots of its points. The
// triangles and the edge set are cleared (they named the old vertices), and so are
// the bone assignments of the new vertices (the mesh rebuilds assign them again once
// the triangles are in place).
void replaceMeshVertices(AnimationModel& model, int slot, std::vector<AnimPoint> vertices,
                         int outlineVertexCount);

// The image positions of the object's mesh vertices for triangulation: a deleted
// vertex (flag bit 31) becomes the far point (1e8, 1e8, 0).
std::vector<Vec3> meshPointPositions(const AnimObject& object);

// Triangulates the object's mesh vertices. With `useContours` the object's contour
// list seeds the triangulation (only the outline edges certain to be Delaunay edges,
// so that no two triangles can overlap), the triangles outside the outline are
// removed and the outer edges marked by the mask; without, the closest pair seeds it,
// triangles over no inside pixel of `mask` are culled and the outer edges are marked
// by the triangles. `mask` (whose pixel (0, 0) lies at image point (maskLeft,
// maskTop)) defaults to the object's region. Returns the number of triangles, or
// cancelled (the triangles found so far are kept).
Result<int> buildObjectMesh(AnimationModel& model, int slot, bool useContours,
                            const RasterImage* mask, Progress* progress, int maskLeft = 0,
                            int maskTop = 0);

} // namespace zx
