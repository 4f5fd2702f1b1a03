#pragma once
// Sculpting a 3D object by hand: a lasso selects part of the object in the image,
// and a drag with a volume tool digs the selected surface in or grows it out, with a
// fall-off from the point where the drag started to the selection's border, or
// tilts it as a plane.

#include "anim/AnimObject.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

enum class VolumeTool : int32_t {
    None = 0,
    Spherical = 1,
    Bicubic = 2,
    Bilinear = 3,
    Constant = 4,
    TiltPlane = 5,
};

enum class ToolSide : int32_t { FrontAndBack = 0, Front = 1, Back = 2 };

// "Dig/grow Spherical", ..., "Tilt Plane"; empty for None.
std::string_view volumeToolLabel(VolumeTool tool);
// The undo label of a stroke: the tool's label, plus " Front+Back", " Front" or
// " Back" for an object with both surfaces (never for Tilt Plane).
std::string volumeUndoLabel(VolumeTool tool, ToolSide side, bool bothSurfaces);
// True when some mesh vertex of the object lies on the back surface.
bool hasBackSurface(const AnimObject& object);

struct LassoPoint {
    int x = 0, y = 0;
    bool operator==(const LassoPoint&) const = default;
};

enum class SelectMode : int32_t { New = 0, Add = 1, Remove = 2 };

// The selection of the volume tools: the lassos drawn so far, the selection mask
// they fill (image-sized, inside flag 0x200), the mesh vertices inside it and the one
// outline edge they hold, if exactly one.
struct VolumeSelection {
    struct Stroke {
        std::vector<LassoPoint> points;
        SelectMode mode = SelectMode::New;
    };
    std::vector<Stroke> strokes;
    RasterImage mask;
    std::vector<int32_t> vertices; // in index order
    int32_t outlineEdge = -1;      // index into the object's edge set

    bool empty() const { return vertices.empty(); }
    void clear() { *this = VolumeSelection{}; }
    // The last lasso as stored: x | (y << 16), clamped to the image, then 0x80008000.
    std::vector<uint32_t> packedLasso(int width, int height) const;
};

// Selects with one lasso. New replaces the selection; Add and Remove change an
// existing one (without one they act as New and as nothing). A lasso of fewer than
// three points selects nothing (New) or changes nothing. Returns whether any vertex
// is selected afterwards.
bool selectVolume(const AnimObject& object, int width, int height,
                  std::span<const LassoPoint> lasso, SelectMode mode, VolumeSelection& selection);

// Shifts every lasso of the selection by (dx, dy) and selects again.
bool moveVolumeSelection(const AnimObject& object, int width, int height, int dx, int dy,
                         VolumeSelection& selection);

// The share of a drag a vertex at (vx, vy) takes: 1 at the centre (cx, cy), falling
// to 0 at the selection's border along the ray from the centre through the vertex,
// shaped by the tool (Constant and any other tool: 1 everywhere).
double falloffWeight(const RasterImage& selectionMask, VolumeTool tool, double cx, double cy,
                     double vx, double vy);

// One drag of a volume tool: begin fixes the tool, side and centre and takes the
// selected vertices' depths as their stored depths z0; every apply recomputes the
// edited depths z from z0; commit makes z the new z0.
class VolumeStroke {
public:
    // False (no stroke) without a tool, a selection or a valid object.
    bool begin(const AnimObject& object, const VolumeSelection& selection, VolumeTool tool,
               ToolSide side, double centreX, double centreY);
    // Recomputes the depths for the drag vector (dx, dy) in image pixels.
    void apply(AnimObject& object, double dx, double dy) const;
    // Ends the stroke; returns the undo label for the history step.
    std::string commit(AnimObject& object);
    // Ends the stroke and puts the stored depths back.
    void cancel(AnimObject& object);

    bool active() const { return active_; }

private:
    void setDepth(AnimObject& object, size_t entry, double z) const;

    bool active_ = false;
    VolumeTool tool_ = VolumeTool::None;
    ToolSide side_ = ToolSide::FrontAndBack;
    bool bothSurfaces_ = false;
    double cx_ = 0, cy_ = 0;
    std::vector<int32_t> vertices_;
    std::vector<double> z0_;
    std::vector<double> weights_;
};

} // namespace zx
