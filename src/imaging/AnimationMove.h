#pragma once
// Moving an image's animation data with its pixels: when a crop, a new canvas, a
// resize, a turn or a mirror moves the picture, the objects' outlines, meshes, dots,
// trajectories and bones go the same way.

#include "imaging/ImageGeometry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zx {

class AnimationModel;

// Every position of the model mapped; bones take the new length and direction of
// their rest vector. The start size becomes width x height.
void moveAnimation(AnimationModel& model, const PixelMap& map, int width, int height);

// The same on a stored animation record; none when the record is corrupted.
std::optional<std::vector<uint32_t>>
moveAnimationRecord(std::span<const uint32_t> record, const PixelMap& map, int width, int height);

} // namespace zx
