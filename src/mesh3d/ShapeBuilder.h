#pragma once
// The 3D shape builder: gives a region a rounded volume built from its outline.
//
// How a region becomes a solid, in the order of the progress texts:
//
// "Building Skeleton..."  The region's mask is thinned to its skeleton (Skeleton.h).
//
// "Building Surface..."   The outline is traced through the midpoints of the pixel
//   edges around the region (RegionOutline.h), simplified, and cut into edges no
//   longer than the outline spacing h = g / (2 n), at least 1 and at most the
//   radius of the largest disc inside the region, where g is the diagonal of the
//   region's box and n the samples per curve of the mesh definition (8, 16, 32).
//   Outline edges that another outline point comes close to (inside the circle over
//   the edge) are halved until none does, so that every outline edge is also an
//   edge of the Delaunay triangulation and no triangle can cross the outline. The
//   outline points become the first vertices (protected, flag 0x408 besides 0x41).
//   The skeleton branches, sampled every h, give the inner vertices; a skeleton of
//   eight entries or fewer gives one inner vertex at the centre of the region's box
//   (or, when that lies outside the region, at its deepest pixel).
//
// "Building surface curves..."  Every outline vertex starts one curve, which ends
//   at the nearest inner vertex that it can reach in a straight line without leaving
//   the region. Each curve is sampled into n - 1 vertices: the outline vertex itself,
//   then the points k / n of the way for k = 1 .. n - 2, each nudged by the model's
//   jitter. Curves from the whole outline towards the whole skeleton fan out over
//   the region and cover it.
//
// "Optimizing..."  Inner vertices inside the circle over an outline edge are dropped
//   (they would break that edge out of the triangulation), then vertices closer
//   than the definition's spacing threshold to an earlier vertex are dropped.
//
// Then the vertices are triangulated with the outline as constraint (four far
// corners added for the triangulation only keep outline points off the hull),
// triangles outside the outline are removed, and every vertex takes its depth from
// the inflation height map at its position, mixed with the distance to the region's
// edge by the blend percentage (clamped to 0 .. 100); outline vertices stay at depth
// 0. A vertex's depth is thus that of the surface-curve point it was sampled at. A
// solid also gets a back surface: every inner vertex mirrored to the negative depth
// (flag 0x80), sharing the outline and any vertex left at depth 0, with its
// triangles turned the other way round. Front triangles come first, then their
// mirrored twins in the same order.

#include "anim/AnimPoint.h"
#include "mesh3d/MeshBuildContext.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/VertexRegistry.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimationModel;
class Progress;
class Prompter;

// The back surface's vertices carry this flag besides MeshVertexFlag::New; outline
// vertices (MeshVertexFlag::Outline | Protected) belong to both surfaces.
struct SurfaceVertex {
    static constexpr int32_t Back = 0x80;
};

// Vertices one object may have (the vertex registry's capacity less one).
inline constexpr int kMaxObjectVertices = VertexRegistry::kMaxVertices;
inline constexpr std::string_view kInitFlat3dLabel = "Init Flat 3d";

struct ShapeBuildOptions {
    int32_t definition = 1; // the object's mesh definition level
    double blend = 0;       // percent of the distance depth mixed in, 0 … 100
    bool solid = true;      // add the mirrored back surface
};

// The builder's settings while the 3D builder panel is open, with the copy last
// built with, so that a setting moved back and forth costs no rebuild and a changed
// blend only recomputes the depths.
struct ShapeBuilderSettings {
    ShapeBuildOptions current;
    std::optional<ShapeBuildOptions> lastUsed;

    enum class Work { None, Depth, Mesh };
    Work pending() const {
        if (!lastUsed || lastUsed->definition != current.definition ||
            lastUsed->solid != current.solid)
            return Work::Mesh;
        return lastUsed->blend != current.blend ? Work::Depth : Work::None;
    }
    void markUsed() { lastUsed = current; }
};

struct ShapeBuildResult {
    bool ok = false;
    bool cancelled = false;
    int vertices = 0;
    int triangles = 0;
};

// Gives object `slot` a 3D volume built from `mask` (image-sized, inside flag
// 0x200): replaces its mesh vertices, triangles, edge set and contour list, keeps its
// user dots (their indices move with the new vertex count, in bones and bindings
// too), sets its 3D flag and, when it has none yet, keeps the mask as its region. On
// failure (empty region, too many vertices, cancelled) the object is left as it was.
// Uses the model's jitter. The work is done on the region's box, so a small region
// of a large image costs little.
ShapeBuildResult build3dObject(AnimationModel& model, int slot, const RasterImage& mask,
                               const ShapeBuildOptions& options, Progress* progress,
                               Prompter* prompter);

// The same for a region given as a closed polygon of image points (x | (y << 16),
// ended by 0x80008000 or by the end of the list), filled as a lasso selection is.
ShapeBuildResult build3dObjectFromOutline(AnimationModel& model, int slot,
                                          std::span<const uint32_t> outline,
                                          const ShapeBuildOptions& options, Progress* progress,
                                          Prompter* prompter);

// The shape builder as the rebuild of all meshes calls it for 3D objects: each object
// at its own mesh definition level (AnimObject::settingWord), with the blend and the
// solid choice of `options`.
VolumeBuilder shapeVolumeBuilder(ShapeBuildOptions options, Progress* progress, Prompter* prompter);

// Recomputes the depth of every vertex of a built object from the height map of its
// region (or of `mask` when given), mixed with the distance depth by `blend` percent
// (for a changed blend setting, without rebuilding the mesh). Back-surface vertices
// get the negated depth. False when the object has no vertices or no region.
bool applyDepth(AnimationModel& model, int slot, double blend, const RasterImage* mask = nullptr);

// The optimizing step on a vertex list: marks vertices closer than the definition's
// threshold for an object of box diagonal `diagonal` as deleted. Returns how many.
int optimizeVertices(std::vector<AnimPoint>& vertices, int32_t definition, double diagonal);
// The threshold itself.
double optimizeSpacing(int32_t definition, double diagonal);

// The view images of the 3D builder: up to five picture files, the first of which is
// the front view (the others may be empty).
inline constexpr int kMaxViewImages = 5;
inline constexpr std::string_view kViewImageFilter = "Image files (*.jpg, *png)|*.jpg; *.png||";
inline constexpr std::string_view kFrontViewRequired = "At least a front view is required";
// True when the dialog may close: a front view is given. Otherwise tells the user
// kFrontViewRequired (the dialog stays open).
bool acceptViewImages(std::span<const std::string> paths, Prompter* prompter);

// Replaces the first object's mesh by a flat grid over its rectangle (the whole
// image; an object covering the image is added when there is none). Returns false
// when no object can be added. The caller records the step kInitFlat3dLabel.
bool buildFullImageMesh(AnimationModel& model, int32_t definition, Prompter* prompter);

} // namespace zx
