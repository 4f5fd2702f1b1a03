#pragma once
// The Animate view's current frame while the user edits: the editor's own model
// (with a drag under way, before any step is recorded) rendered through the
// interactive views' filler, the selected object's triangles outlined. The
// highlight goes on a copy of the model, so it never reaches the animation record,
// the undo steps, the project file or a movie.

#include "anim/AnimationModel.h"
#include "render/RenderQuality.h"
#include "storage/RasterImage.h"

namespace zx {

class Project;

// Sets the selection highlight (triangle flags bit 29) on every triangle of `slot`
// and clears it on every other object; no slot (−1) clears it everywhere.
void setObjectHighlight(AnimationModel& model, int slot);

// Frame `frame` of image `image` as the editor's `model` has it now, at the image's
// size and `quality`, with the project's light and its selected object highlighted;
// an opaque picture, or an empty one when the frame cannot be rendered.
RasterImage renderAnimateViewFrame(const Project& project, const AnimationModel& model, int image,
                                   int frame, RenderQuality quality);

} // namespace zx
