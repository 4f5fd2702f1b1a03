#pragma once
// The animation the command-line tests render: one rectangle of the start picture,
// meshed as two triangles, with a dot that takes it from `from` to `to` over the
// image's frames.

#include "SilentTestPrompter.h"
#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"

#include <cstdint>
#include <vector>

namespace zx::testing {

inline std::vector<uint32_t> movingRectangleRecord(const RasterImage& picture, double left,
                                                   double top, double right, double bottom,
                                                   Vec3 from, Vec3 to) {
    AnimationModel model;
    model.setStartImage(picture);
    AnimObject& o = model.object(model.addObject(silentPrompter()));
    auto vertex = [](double x, double y) {
        AnimPoint p;
        p.flags = PointFlag::MeshVertex;
        p.texture = p.start = p.end = {x, y, 0};
        return p;
    };
    o.points = {vertex(left, top), vertex(right, top), vertex(right, bottom), vertex(left, bottom)};
    o.vertexCount = 4;
    MeshTriangle a, b;
    a.v[0] = 0, a.v[1] = 1, a.v[2] = 2;
    b.v[0] = 0, b.v[1] = 2, b.v[2] = 3;
    o.triangles = {a, b};
    AnimPoint dot;
    dot.texture = dot.start = from;
    dot.end = to;
    o.points.push_back(dot);
    return writeAnimationRecord(model);
}

} // namespace zx::testing
