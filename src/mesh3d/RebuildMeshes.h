#pragma once
// The rebuild of every object's mesh from its region, as when regions become
// animated objects: outline and vertices for every object ("Building contours..."),
// then the triangulation ("Building Mesh..."), and objects left without a triangle
// are removed.

#include "anim/AnimationModel.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <functional>
#include <string_view>

namespace zx {

class Progress;
class Prompter;

inline constexpr std::string_view kBuildShapeTitle = "Building 3d shape, please wait....";
inline constexpr std::string_view kBuildingContours = "Building contours...";
inline constexpr std::string_view kBuildingMesh = "Building Mesh...";

// Builds a whole 3D object from its image-sized region mask (the shape builder).
using VolumeBuilder =
    std::function<Status(AnimationModel& model, int slot, const RasterImage& mask)>;

struct RebuildOptions {
    explicit RebuildOptions(Prompter& prompter, Progress* progress = nullptr)
        : prompter(prompter), progress(progress) {}

    Prompter& prompter;           // messages, and the status bar mirroring the detail
    Progress* progress = nullptr; // may be none
    // Used for the objects whose 3D flag is set; without it they are built flat.
    VolumeBuilder volumeBuilder;
    // Objects in slots before this one are left as they are (the ones a region
    // command found in place, 3D volumes and hand-made meshes included).
    int firstSlot = 0;
};

struct RebuildCounts {
    int built = 0;   // objects that ended with triangles
    int removed = 0; // objects removed for having none
};

// Rebuilds every object from options.firstSlot on that has a region (library objects
// and objects without a region keep their mesh), removes those that end with no
// triangle, and resets the selection. Cancelled when the progress was cancelled (objects without a
// triangle are removed all the same).
Result<RebuildCounts> rebuildMeshes(AnimationModel& model, const RebuildOptions& options);

// Rebuilds one object from its region (as after a change of its mesh definition).
// False when it has no region or ended without a triangle (it is then kept as is).
bool rebuildObjectMesh(AnimationModel& model, int slot, const RebuildOptions& options);

// Steps the object's mesh definition by `step` within 0..2 and rebuilds its mesh.
// False when the level would not change or the rebuild failed (the level and mesh
// then stay as they were).
bool changeMeshDefinition(AnimationModel& model, int slot, int step, const RebuildOptions& options);

// Marks (flag bit 31) every mesh vertex whose image position (u, v, w) equals that of
// an earlier vertex of the object. Returns how many.
int markDuplicateVertices(AnimObject& object);

} // namespace zx
