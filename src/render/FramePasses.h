#pragma once
// The whole-raster passes of the frame renderer: background, layer merge,
// composition, silhouette smoothing and halving.

#include "anim/AnimationModel.h"
#include "render/CameraFrame.h"
#include "render/DepthRaster.h"
#include "render/EdgeMask.h"
#include "storage/RasterImage.h"

#include <cstdint>

namespace zx {

// Flat colour of a background mode: 0 black, 1 navy, 2 green, 3 white, else grey-blue.
uint32_t backgroundColour(int32_t mode);

// Draws the model's background picture through the frame's camera window (with the
// parallax of the background field) over `raster`. Nothing when there is none.
void drawBackground(const AnimationModel& model, const CameraFrame& frame, RasterImage& raster);

// Merges an object layer into the frame: a layer pixel at least as near as the frame
// goes over it and takes its depth; a farther one goes under a frame pixel that is
// not opaque.
void mergeLayer(const RasterImage& layerColour, const DepthRaster& layerDepth,
                RasterImage& frameColour, DepthRaster& frameDepth);

// Lays `objects` over `background` pixel by pixel (same sizes).
void compositeOver(RasterImage& background, const RasterImage& objects);

// Softens silhouette pixels by their mask weight with the mean of their surroundings.
void smoothSilhouettes(RasterImage& raster, const EdgeMask& mask);

// Factor 2: a raster of half width and height, each pixel the mean of four, alpha 0.
// Any other factor returns the raster unchanged.
RasterImage halveImage(RasterImage raster, int factor);

} // namespace zx
