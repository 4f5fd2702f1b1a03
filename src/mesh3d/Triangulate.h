#pragma once
// Delaunay triangulation by edge completion. Starting from seed edges (the outline,
// or the closest pair of points), every open side of every edge is closed by the
// point on that side whose circle through the edge holds no other point of that
// side; the new edges are completed in turn until no side is open.

#include "anim/AnimPoint.h"
#include "anim/MeshTriangle.h"
#include "mesh3d/ContourList.h"
#include "platform/Status.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zx {

class Progress;

// A point whose x is this value takes no part (a deleted vertex).
inline constexpr double kFarPoint = 1e8;
// Whether a point takes part: not the far point, and not beyond it or undefined
// either (such values are no image position, and would overflow the circle tests).
bool usablePoint(const Vec3& p);

// Working record of the triangulator, also the object's edge set afterwards:
// lower vertex, higher vertex, left face, right face (left and right seen from the
// lower toward the higher vertex). Faces: -1 not yet known, 0 outside, 1 triangle.
// After MarkOuterEdges the third field is the outer flag.
using MeshEdge = std::array<int32_t, 4>;
struct EdgeField {
    static constexpr int Lower = 0, Higher = 1, Left = 2, Right = 3;
    static constexpr int Outer = 2;
};

// How CompleteFacet finds the third point of a facet. Both give the same triangles
// for points in general position; Scan looks at every point for every open side
// (quadratic) and serves as the reference.
enum class FacetSearch { Grid, Scan };

// Replaces `triangles` and `edges` by the triangulation of `points` (x, y used).
// With a contour list of more than 2 entries its edges are the seeds; otherwise the
// closest pair of valid points closer than 4472 pixels (coincident points make no
// edge, so they are passed over). Fewer than 3 valid points
// give nothing. Every 100 triangles the progress detail reads "Building mesh, N
// triangles so far...". Finally every face field is 0. Returns the number of
// triangles, or cancelled (the triangles found so far stay).
Result<int> triangulate(std::span<const Vec3> points, std::vector<MeshEdge>& edges,
                        std::vector<MeshTriangle>& triangles, const ContourList* contour,
                        Progress* progress, FacetSearch search = FacetSearch::Grid);

} // namespace zx
