#pragma once
// Working rasters of the frame renderer, kept by a caller that renders frame after
// frame (a builder worker, the export loop) so that each frame refills them instead
// of allocating and faulting in fresh pages. They hold nothing between frames that a
// later frame reads: every frame starts from cleared rasters.

#include "anim/AnimPoint.h"
#include "imaging/ObjectPostEffects.h"
#include "render/DepthRaster.h"
#include "render/EdgeMask.h"
#include "storage/RasterImage.h"

#include <algorithm>
#include <vector>

namespace zx {

struct RenderScratch {
    RasterImage objects;     // the frame's object colour raster
    DepthRaster depth;       // the frame's depth raster
    EdgeMask mask;           // silhouette weights (High and Maximum)
    RasterImage layerColour; // a library object's own layer
    DepthRaster layerDepth;
    std::vector<Vec3> normals; // vertex normals of the object being drawn
    PostEffectScratch postEffects;

    // Gives up every buffer (after a cancelled frame nothing stays allocated).
    void release() { *this = RenderScratch(); }
};

// Resizes a raster to w × h and fills it.
inline void resetRaster(RasterImage& r, int w, int h, uint32_t fill) {
    if (r.width() == w && r.height() == h)
        std::fill(r.pixelVector().begin(), r.pixelVector().end(), fill);
    else
        r = RasterImage(w, h, fill);
}

inline void resetDepth(DepthRaster& d, int w, int h, int32_t fill) {
    if (d.width() == w && d.height() == h)
        d.fill(fill);
    else
        d = DepthRaster(w, h, fill);
}

inline void resetMask(EdgeMask& m, int w, int h) {
    if (m.width() == w && m.height() == h)
        m.clear();
    else
        m = EdgeMask(w, h);
}

} // namespace zx
