#include "mesh3d/ObjectMesh.h"

#include "mesh3d/ContourList.h"
#include "mesh3d/MeshBuildContext.h"
#include "mesh3d/MeshCull.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/Triangulate.h"

#include <algorithm>

namespace zx {

void replaceMeshVertices(AnimationModel& model, int slot, std::vector<AnimPoint> vertices,
                         int outlineVertexCount) {
    AnimObject& o = model.object(slot);
    const int oldCount = std::clamp(o.vertexCount, 0, int(o.points.size()));
    const int newCount = int(vertices.size());
    const int delta = newCount - oldCount;
    auto shiftDot = [&](int32_t& index) {
        if (index >= oldCount) index += delta;
    };
    std::vector<AnimPoint> points = std::move(vertices);
    for (AnimPoint& p : points) {
        p.bone1 = p.bone2 = -1;
        p.jointDot = -1;
        p.boneWeight = 0;
    }
    points.insert(points.end(), std::make_move_iterator(o.points.begin() + oldCount),
                  std::make_move_iterator(o.points.end()));
    for (size_t i = size_t(newCount); i < points.size(); ++i) shiftDot(points[i].jointDot);
    o.points = std::move(points);
    for (Bone& b : o.bones) {
        shiftDot(b.dotA);
        shiftDot(b.dotB);
        b.outlineRecords.clear(); // built from the old outline
    }
    shiftDot(o.binding.ownDot1);
    shiftDot(o.binding.ownDot2);
    for (int s = 0; s < model.objectCount; ++s) {
        ObjectBinding& b = model.object(s).binding;
        if (s == slot || b.parentObject != slot) continue;
        shiftDot(b.parentDot1);
        shiftDot(b.parentDot2);
    }
    o.vertexCount = newCount;
    o.outlineVertexCount = std::clamp(outlineVertexCount, 0, newCount);
    o.triangles.clear();
    o.edges.clear();
}

std::vector<Vec3> meshPointPositions(const AnimObject& object) {
    const int n = std::clamp(object.vertexCount, 0, int(object.points.size()));
    std::vector<Vec3> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const AnimPoint& p = object.points[i];
        out[i] = (p.flags & PointFlag::Deleted) ? Vec3{kFarPoint, kFarPoint, 0} : p.texture;
    }
    return out;
}

Result<int> buildObjectMesh(AnimationModel& model, int slot, bool useContours,
                            const RasterImage* mask, Progress* progress, int maskLeft,
                            int maskTop) {
    AnimObject& o = model.object(slot);
    std::optional<RegionCrop> crop;
    if (!mask) {
        crop = objectRegionCrop(o);
        if (crop) {
            mask = &crop->mask;
            maskLeft = crop->left;
            maskTop = crop->top;
        }
    }
    const std::vector<Vec3> positions = meshPointPositions(o);
    // The mask tests read the mask in its own pixels.
    std::vector<Vec3> onMask = positions;
    if (maskLeft != 0 || maskTop != 0)
        for (Vec3& p : onMask)
            if (p.x != kFarPoint) {
                p.x -= maskLeft;
                p.y -= maskTop;
            }
    Status made;
    const ContourList& contour = objectContourList(o);
    if (useContours && contour.size() > 2) {
        const ContourList seeds = delaunaySafeContour(contour, positions);
        made = triangulate(positions, o.edges, o.triangles, seeds.size() > 2 ? &seeds : nullptr,
                           progress)
                   .status();
        removeTrianglesOutsideContour(o.triangles, positions, contour);
        markOuterEdges(o.edges, onMask, o.triangles, mask, OuterEdgeMode::Mask);
    } else {
        made = triangulate(positions, o.edges, o.triangles, nullptr, progress).status();
        if (mask) cullTriangles(o.triangles, onMask, *mask);
        markOuterEdges(o.edges, onMask, o.triangles, mask, OuterEdgeMode::Triangles);
    }
    if (!made) return made;
    return int(o.triangles.size());
}

} // namespace zx
