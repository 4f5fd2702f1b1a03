#pragma once
// Removing what lies outside an object's region after triangulation, and marking the
// outer edges of the edge set.

#include "anim/AnimPoint.h"
#include "anim/MeshTriangle.h"
#include "mesh3d/ContourList.h"
#include "mesh3d/Triangulate.h"
#include "storage/RasterImage.h"

#include <span>
#include <vector>

namespace zx {

// From the last triangle to the first: a triangle none of whose covered mask pixels
// (rows and spans as the triangle filler rounds them, clipped to the mask) has the
// inside flag 0x200 is deleted. Returns how many were deleted.
int cullTriangles(std::vector<MeshTriangle>& triangles, std::span<const Vec3> positions,
                  const RasterImage& mask);

// Deletes the triangles whose centre lies outside the closed runs of the contour
// (even-odd, so holes count as outside). Once the outline edges are edges of the
// triangulation every triangle is wholly inside or wholly outside. Returns how many.
int removeTrianglesOutsideContour(std::vector<MeshTriangle>& triangles,
                                  std::span<const Vec3> positions, const ContourList& contour);

enum class OuterEdgeMode { Mask, Triangles };

// Uses the third field of each edge as the outer flag (1 = outer). Mask mode: outer
// when the truncated midpoint of its two image positions lies outside the mask or on
// a pixel without 0x200; an edge that no triangle uses is outer too. Triangle mode:
// outer when no triangle holds both its vertices (all edges when there is none).
void markOuterEdges(std::vector<MeshEdge>& edges, std::span<const Vec3> positions,
                    const std::vector<MeshTriangle>& triangles, const RasterImage* mask,
                    OuterEdgeMode mode);

// The contour edges whose circle over the edge as diameter holds no other point: the
// ones certain to be edges of the Delaunay triangulation. The result is a contour
// list with the others left out (their runs broken), for seeding the triangulation
// without letting a non-Delaunay edge make triangles overlap.
ContourList delaunaySafeContour(const ContourList& contour, std::span<const Vec3> positions);

} // namespace zx
