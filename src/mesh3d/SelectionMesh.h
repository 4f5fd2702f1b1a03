#pragma once
// The selection mesh commands of Animate mode: a closed selection polygon drawn on
// the start image becomes a new object ("Convert to Mesh"), or changes the region of
// an object it touches:
// - "Split Mesh": the part of the object inside the polygon becomes a new object
//   (with the object's settings, no dots); the rest stays in the object with its
//   dots and bones.
// - "Cut Mesh": the part inside the polygon is taken out of the object.
// - "Add to Mesh": the polygon's area is added to the object's region.
// Each rebuilds the affected objects' meshes at their definition (flat, or through
// the shape builder for a 3D object) and reports the command's text as undo label.
// A command that would leave an object without any region does nothing.

#include "anim/AnimationModel.h"
#include "imaging/PolygonFill.h"
#include "mesh3d/RebuildMeshes.h"
#include "platform/Status.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace zx {

inline constexpr std::string_view kConvertToMeshLabel = "Convert to Mesh";
inline constexpr std::string_view kSplitMeshLabel = "Split Mesh";
inline constexpr std::string_view kCutMeshLabel = "Cut Mesh";
inline constexpr std::string_view kAddToMeshLabel = "Add to Mesh";
inline constexpr uint32_t kSelectionEnd = 0x80008000u;

// The points of a packed selection list (x | y << 16, signed 16-bit halves) up to its
// terminator 0x80008000.
std::vector<IntPoint> unpackSelectionPolygon(std::span<const uint32_t> packed);

struct SelectionMeshChange {
    std::string_view label; // the undo step's label
    int slot = -1;          // the new object (Convert, Split) or the changed one
};

// A new user-defined region (kind 4) from the polygon, made the selected object.
// Refused after "Maximum number of regions/objects reached!!!" when 256 objects exist,
// and for a polygon of fewer than three corners (a repeated closing point not
// counted). Each command is refused when it would change nothing or leave an object
// without a region, and fails when the new region gives no mesh; the model is then
// as it was.
Result<SelectionMeshChange> convertToMesh(AnimationModel& model, std::span<const IntPoint> polygon,
                                          const RebuildOptions& options);

// The object the polygon touches: the selected object when it does, else the first
// in slot order whose region has a pixel inside the polygon; -1 for none.
int objectTouchedBySelection(const AnimationModel& model, std::span<const IntPoint> polygon);

Result<SelectionMeshChange> splitMesh(AnimationModel& model, int slot,
                                      std::span<const IntPoint> polygon,
                                      const RebuildOptions& options);
Result<SelectionMeshChange> cutMesh(AnimationModel& model, int slot,
                                    std::span<const IntPoint> polygon,
                                    const RebuildOptions& options);
Result<SelectionMeshChange> addToMesh(AnimationModel& model, int slot,
                                      std::span<const IntPoint> polygon,
                                      const RebuildOptions& options);

} // namespace zx
