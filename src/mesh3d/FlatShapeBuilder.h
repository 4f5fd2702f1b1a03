#pragma once
// The flat mesh of a region: vertices along the region's outline and on a lattice
// inside it, at the spacing of the object's mesh definition.
//
// The outline runs through the midpoints of the pixel edges around the region
// (RegionOutline.h), simplified to half a pixel and cut into edges no longer than
// the spacing h = r / n, where r is the radius of the largest disc inside the region
// and n the samples per curve of the definition (8, 16, 32), h at least 2 pixels.
// So a region's mesh is as fine across as a surface curve from the outline to the
// centre would be. Outline edges that another outline point comes close to (inside
// or on the circle over the edge) are halved until none does; lattice points that
// would come that close are left out. Then every outline edge is an edge of the
// Delaunay triangulation and no triangle crosses the outline. Every vertex is
// nudged by the model's jitter so that no four lie exactly on one circle.

#include "anim/AnimationModel.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

namespace zx {

class Prompter;

// The spacing of a region's mesh vertices for a definition level and the radius of
// the largest disc inside the region.
double flatVertexSpacing(int32_t definition, double innerRadius);

struct FlatVertices {
    int vertices = 0;
    int outlineVertices = 0;
};

// Replaces the mesh vertices and contour list of object `slot` by those of `mask`'s
// inside region (flag 0x200; the mask's pixel (0, 0) lies at image point (maskLeft,
// maskTop)) at the object's definition (AnimObject::settingWord),
// keeping its user dots, and clears its 3D flag. Triangulation follows with
// buildObjectMesh. Leaves the object as it was when refused (an empty region) or
// failed (after telling "Shape is too complex, please retry with lower mesh
// definition").
Result<FlatVertices> buildFlatVertices(AnimationModel& model, int slot, const RasterImage& mask,
                                       Prompter& prompter, int maskLeft = 0, int maskTop = 0);

} // namespace zx
