#pragma once
// renderFrame: one frame of one animated project image, through its camera, as a
// new picture. Deforms every object to the frame's time, projects it, fills its
// triangles with depth test and shading, and lays the result over the background.

#include "anim/AnimationModel.h"
#include "render/CameraFrame.h"
#include "render/CancelFlag.h"
#include "render/RenderScratch.h"
#include "storage/RasterImage.h"

#include <optional>

namespace zx {

// Renders frame `frame.frameIndex` of an animation of `frameCount` frames, at
// normalised time frameIndex / frameCount. The model's RenderSettings must have been
// refreshed from the panel values first. Returns a picture of the frame's output
// size (halved at Maximum), or none when `cancel` was set; no raster outlives a
// cancelled call. A caller that renders many frames passes its own `scratch` to keep
// the working rasters between calls; a cancelled call releases them.
std::optional<RasterImage> renderFrame(AnimationModel& model, const CameraFrame& frame,
                                       int frameCount, CancelFlag cancel = nullptr,
                                       RenderScratch* scratch = nullptr);

// The same at an explicit normalised time t (0 … 1).
std::optional<RasterImage> renderFrameAt(AnimationModel& model, const CameraFrame& frame, double t,
                                         CancelFlag cancel = nullptr,
                                         RenderScratch* scratch = nullptr);

// The same through the interactive views' filler, which also outlines the triangles
// that carry the selection highlight (flags bit 29). Empty when nothing can be drawn.
RasterImage renderPreviewFrame(AnimationModel& model, const CameraFrame& frame, double t);

} // namespace zx
