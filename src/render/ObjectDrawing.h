#pragma once
// Draws the objects of one frame into the frame's object raster: deformation to the
// frame's time, projection, camera window, normals and the triangles, either straight
// into the frame or, for library objects, through their own layer with material
// opacity, textures and post effects.

#include "anim/AnimationModel.h"
#include "render/CancelFlag.h"
#include "render/DepthRaster.h"
#include "render/EdgeMask.h"
#include "render/Rasterizer.h"
#include "render/RenderScratch.h"
#include "storage/RasterImage.h"

#include <vector>

namespace zx {

// A library object's texture entry of material `material` (of material 0 when the
// material is not in its table); null for other objects and empty entries. It may be
// a video texture's descriptor.
const RasterImage* libraryTextureEntry(const AnimObject& o, int material);
// The picture a triangle of material `material` of object `o` is textured from: a
// library object's own texture of that material (of material 0 when the material is
// not in its table), else the image's start picture; null when that holds no pixels.
const RasterImage* materialTexture(const AnimationModel& model, const AnimObject& o, int material);

// A library material's opacity at animation time t.
double libraryOpacityAt(const LibraryOpacity& o, double t);

class ObjectDrawing {
public:
    // Draws into the scratch's object and depth rasters (already cleared).
    ObjectDrawing(AnimationModel& model, RenderScratch& scratch, EdgeMask* mask);

    int quality = 0;
    double t = 0;
    double zoomForEffects = 1;
    // Camera window: screen = windowScale × (image position − window corner).
    double windowScale = 1;
    double windowLeft = 0, windowTop = 0;
    // Above 0: the interactive previews' filler, every previewStep-th row and column
    // within the raster, instead of the frame filler.
    int previewStep = 0;

    // Draws object `slot`; false when cancelled.
    bool drawObject(int slot, CancelFlag cancel);

private:
    bool drawTriangles(int slot, RasterImage& colour, DepthRaster& depth, bool layer,
                       CancelFlag cancel);
    bool drawLayer(int slot, CancelFlag cancel);
    void applyWindow(int slot);

    AnimationModel& model_;
    RenderScratch& scratch_;
    RasterImage& colour_;
    DepthRaster& depth_;
    EdgeMask* mask_;
    TriangleRaster tri_;
    std::vector<Vec3>& normals_;
};

} // namespace zx
