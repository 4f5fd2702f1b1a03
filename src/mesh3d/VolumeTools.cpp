#include "mesh3d/VolumeTools.h"

#include "imaging/PolygonFill.h"
#include "mesh3d/HeightMap.h"
#include "mesh3d/ShapeBuilder.h"
#include "mesh3d/Skeleton.h"
#include "mesh3d/Triangulate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zx {

std::string_view volumeToolLabel(VolumeTool tool) {
    switch (tool) {
    case VolumeTool::Spherical:
        return "Dig/grow Spherical";
    case VolumeTool::Bicubic:
        return "Dig/grow Bicubic";
    case VolumeTool::Bilinear:
        return "Dig/grow Bilinear";
    case VolumeTool::Constant:
        return "Dig/grow Constant";
    case VolumeTool::TiltPlane:
        return "Tilt Plane";
    default:
        return {};
    }
}

std::string volumeUndoLabel(VolumeTool tool, ToolSide side, bool bothSurfaces) {
    std::string label(volumeToolLabel(tool));
    if (bothSurfaces && tool != VolumeTool::TiltPlane) {
        switch (side) {
        case ToolSide::FrontAndBack:
            label += " Front+Back";
            break;
        case ToolSide::Front:
            label += " Front";
            break;
        case ToolSide::Back:
            label += " Back";
            break;
        }
    }
    return label;
}

namespace {

int meshVertexCount(const AnimObject& object) {
    return std::clamp(object.vertexCount, 0, int(object.points.size()));
}

// Half away from zero, as every pixel rounding of the program.
long roundPixel(double v) {
    return v > 0 ? long(v + 0.5) : long(v - 0.49999);
}

bool selectedAt(const RasterImage& mask, double x, double y) {
    if (!(std::abs(x) < 1e9 && std::abs(y) < 1e9)) return false;
    const long px = roundPixel(x), py = roundPixel(y);
    return px >= 0 && py >= 0 && px < mask.width() && py < mask.height() &&
           (mask.at(int(px), int(py)) & kMaskInside);
}

void fillStroke(RasterImage& mask, const VolumeSelection::Stroke& stroke) {
    RasterImage drawn(mask.width(), mask.height(), 0);
    std::vector<IntPoint> polygon;
    for (auto p : stroke.points) polygon.push_back({p.x, p.y});
    fillPolygon(drawn, polygon, 0x100, kMaskInside);
    uint32_t* out = mask.pixels();
    const uint32_t* in = drawn.pixels();
    for (size_t i = 0; i < mask.pixelCount(); ++i) {
        if (!(in[i] & kMaskInside)) continue;
        if (stroke.mode == SelectMode::Remove)
            out[i] &= ~kMaskInside;
        else
            out[i] |= kMaskInside;
    }
}

bool collectVertices(const AnimObject& object, VolumeSelection& selection) {
    selection.vertices.clear();
    selection.outlineEdge = -1;
    const int count = meshVertexCount(object);
    std::vector<char> chosen(size_t(count), 0);
    for (int i = 0; i < count; ++i) {
        const AnimPoint& p = object.points[size_t(i)];
        if (p.flags & PointFlag::Deleted) continue;
        if (selectedAt(selection.mask, p.texture.x, p.texture.y)) {
            selection.vertices.push_back(i);
            chosen[size_t(i)] = 1;
        }
    }
    int outlineEdges = 0;
    for (size_t e = 0; e < object.edges.size(); ++e) {
        const auto& edge = object.edges[e];
        if (edge[EdgeField::Outer] != 1) continue;
        const int32_t a = edge[EdgeField::Lower], b = edge[EdgeField::Higher];
        if (a < 0 || b < 0 || a >= count || b >= count) continue;
        if (chosen[size_t(a)] && chosen[size_t(b)]) {
            ++outlineEdges;
            selection.outlineEdge = int32_t(e);
        }
    }
    if (outlineEdges != 1) selection.outlineEdge = -1;
    return !selection.vertices.empty();
}

// Fills every lasso again into a fresh mask.
void replay(VolumeSelection& selection, int width, int height) {
    selection.mask = RasterImage(width, height, 0);
    for (const auto& stroke : selection.strokes) fillStroke(selection.mask, stroke);
}

} // namespace

bool hasBackSurface(const AnimObject& object) {
    const int count = meshVertexCount(object);
    for (int i = 0; i < count; ++i)
        if (object.points[size_t(i)].flags & PointFlag::BackSurface) return true;
    return false;
}

std::vector<uint32_t> VolumeSelection::packedLasso(int width, int height) const {
    std::vector<uint32_t> out;
    if (!strokes.empty() && width > 0 && height > 0)
        for (auto p : strokes.back().points) {
            const uint32_t x = uint32_t(std::clamp(p.x, 0, std::min(width - 1, 0x7FFF)));
            const uint32_t y = uint32_t(std::clamp(p.y, 0, std::min(height - 1, 0x7FFF)));
            out.push_back(x | (y << 16));
        }
    out.push_back(kPointListEnd);
    return out;
}

bool selectVolume(const AnimObject& object, int width, int height,
                  std::span<const LassoPoint> lasso, SelectMode mode, VolumeSelection& selection) {
    if (width <= 0 || height <= 0) {
        selection.clear();
        return false;
    }
    if (mode != SelectMode::New && selection.strokes.empty()) {
        if (mode == SelectMode::Remove) return false;
        mode = SelectMode::New;
    }
    if (lasso.size() < 3) {
        if (mode == SelectMode::New) selection.clear();
        return !selection.vertices.empty();
    }
    VolumeSelection::Stroke stroke{{lasso.begin(), lasso.end()}, mode};
    if (mode == SelectMode::New) selection.strokes.clear();
    selection.strokes.push_back(std::move(stroke));
    if (mode == SelectMode::New || selection.mask.width() != width ||
        selection.mask.height() != height)
        replay(selection, width, height);
    else
        fillStroke(selection.mask, selection.strokes.back());
    return collectVertices(object, selection);
}

bool moveVolumeSelection(const AnimObject& object, int width, int height, int dx, int dy,
                         VolumeSelection& selection) {
    if (selection.strokes.empty() || width <= 0 || height <= 0) return false;
    // Lasso points stay within 16 bits however far the selection is dragged.
    auto move = [](int v, int d) { return int(std::clamp<long>(long(v) + d, -0x8000, 0xFFFF)); };
    for (auto& stroke : selection.strokes)
        for (auto& p : stroke.points) p = {move(p.x, dx), move(p.y, dy)};
    replay(selection, width, height);
    return collectVertices(object, selection);
}

double falloffWeight(const RasterImage& mask, VolumeTool tool, double cx, double cy, double vx,
                     double vy) {
    if (std::abs(vx - cx) <= 0.1 && std::abs(vy - cy) <= 0.1) return 1.0;
    const double len = std::hypot(vx - cx, vy - cy);
    if (!(len < 1e9) || !(std::abs(vx) < 1e9 && std::abs(vy) < 1e9)) return 0.0;
    const double ux = (vx - cx) / len, uy = (vy - cy) / len;
    auto inside = [&](long x, long y) {
        return x >= 0 && y >= 0 && x < mask.width() && y < mask.height() &&
               (mask.at(int(x), int(y)) & kMaskInside);
    };
    // Walk the ray outward from the vertex pixel by pixel; B is where it enters the
    // first pixel outside the selection.
    long ix = long(std::floor(vx)), iy = long(std::floor(vy));
    double toBorder = 0;
    if (inside(ix, iy)) {
        const double inf = std::numeric_limits<double>::infinity();
        const long stepX = ux > 0 ? 1 : ux < 0 ? -1 : 0, stepY = uy > 0 ? 1 : uy < 0 ? -1 : 0;
        double nextX = ux > 0 ? (double(ix) + 1 - vx) / ux : ux < 0 ? (vx - double(ix)) / -ux : inf;
        double nextY = uy > 0 ? (double(iy) + 1 - vy) / uy : uy < 0 ? (vy - double(iy)) / -uy : inf;
        const double deltaX = ux != 0 ? 1 / std::abs(ux) : inf;
        const double deltaY = uy != 0 ? 1 / std::abs(uy) : inf;
        const long maxSteps = long(mask.width()) + mask.height() + 4;
        for (long step = 0; step < maxSteps; ++step) {
            if (nextX < nextY) {
                ix += stepX;
                toBorder = nextX;
                nextX += deltaX;
            } else {
                iy += stepY;
                toBorder = nextY;
                nextY += deltaY;
            }
            if (!inside(ix, iy)) break;
        }
    }
    const double r = std::clamp(toBorder / (len + toBorder), 0.0, 1.0);
    switch (tool) {
    case VolumeTool::Spherical:
        return std::sqrt(1 - (1 - r) * (1 - r));
    case VolumeTool::Bicubic:
        return r * r * (3 - 2 * r);
    case VolumeTool::Bilinear:
        return r;
    default:
        return 1.0;
    }
}

bool VolumeStroke::begin(const AnimObject& object, const VolumeSelection& selection,
                         VolumeTool tool, ToolSide side, double centreX, double centreY) {
    active_ = false;
    vertices_.clear();
    z0_.clear();
    weights_.clear();
    if (tool == VolumeTool::None || selection.vertices.empty()) return false;
    tool_ = tool;
    side_ = side;
    cx_ = centreX;
    cy_ = centreY;
    bothSurfaces_ = hasBackSurface(object);
    const int count = meshVertexCount(object);
    for (int32_t i : selection.vertices) {
        if (i < 0 || i >= count) continue;
        const AnimPoint& p = object.points[size_t(i)];
        vertices_.push_back(i);
        z0_.push_back(p.start.z);
        // The weights depend only on the selection and the centre: worked out once,
        // not on every pointer move.
        weights_.push_back(falloffWeight(selection.mask, tool, cx_, cy_, p.texture.x, p.texture.y));
    }
    active_ = !vertices_.empty();
    return active_;
}

void VolumeStroke::setDepth(AnimObject& object, size_t entry, double z) const {
    AnimPoint& p = object.points[size_t(vertices_[entry])];
    p.texture.z = p.start.z = p.end.z = p.current.z = z;
}

void VolumeStroke::apply(AnimObject& object, double dx, double dy) const {
    // A broken drag vector would turn every depth into a NaN.
    if (!active_ || !std::isfinite(dx) || !std::isfinite(dy)) return;
    const int count = meshVertexCount(object);
    for (size_t e = 0; e < vertices_.size(); ++e) {
        if (vertices_[e] >= count) break;
        const AnimPoint& p = object.points[size_t(vertices_[e])];
        if (!(p.flags & PointFlag::MeshVertex)) break;
        if (!(p.flags & PointFlag::Interior)) continue;
        const bool back = p.flags & PointFlag::BackSurface;
        const bool outline = p.flags & PointFlag::Outline;
        if (tool_ == VolumeTool::TiltPlane) {
            // The plane rises along the drag, through the centre, with slope
            // 0.01 x the drag length: z = 0.01 (V - C) . (dx, dy). On a solid the
            // outline is shared with the back surface and stays put.
            if (back || (bothSurfaces_ && outline)) continue;
            const double z = 0.01 * ((p.texture.x - cx_) * dx + (p.texture.y - cy_) * dy);
            setDepth(object, e, std::max(0.0, z));
            continue;
        }
        const double z0 = z0_[e], w = weights_[e];
        if (side_ == ToolSide::FrontAndBack && outline && z0 == 0) continue;
        if (!back) {
            if (side_ == ToolSide::Back) continue;
            setDepth(object, e, std::max(0.0, z0 - w * dy));
        } else {
            if (side_ == ToolSide::Front) continue;
            setDepth(object, e, std::min(0.0, z0 + w * dy));
        }
    }
}

std::string VolumeStroke::commit(AnimObject& object) {
    if (!active_) return {};
    active_ = false;
    return volumeUndoLabel(tool_, side_, bothSurfaces_);
}

void VolumeStroke::cancel(AnimObject& object) {
    if (!active_) return;
    const int count = meshVertexCount(object);
    for (size_t e = 0; e < vertices_.size(); ++e)
        if (vertices_[e] < count) setDepth(object, e, z0_[e]);
    active_ = false;
}

} // namespace zx
