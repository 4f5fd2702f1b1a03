#pragma once
// The triangle filler: one textured (or solid) triangle into a colour raster with
// depth test, per-pixel or flat shading, behind-pixel blending and the seam rule.
// rasterizeTriangle is the frame renderer's; rasterizeTrianglePreview is the
// interactive views' variant with a pixel step, a clip rectangle and the selection
// highlight.

#include "anim/AnimPoint.h"
#include "render/CancelFlag.h"
#include "render/DepthRaster.h"
#include "render/EdgeMask.h"
#include "storage/RasterImage.h"

#include <array>
#include <cstdint>

namespace zx {

inline constexpr uint32_t kTexturedTriangle = 0xFFFFFFFFu;

struct TexturePoint {
    double u = 0, v = 0; // pixels of the texture
};

// Set-up of one triangle; every field is set before each call.
struct TriangleRaster {
    std::array<Vec3, 3> screen;      // projected positions, sorted so y0 <= y1 <= y2
    std::array<TexturePoint, 3> tex; // texture coordinates in the same order
    const RasterImage* texture = nullptr;
    RasterImage* colour = nullptr; // receives the pixels
    DepthRaster* depth = nullptr;  // same size as the colour target
    int32_t filtered = 0;          // 0 nearest texel; else bilinear and EdgeMask writing
    int32_t smooth = 0;            // 1: per-pixel normals and lighting
    int32_t opacity = 256;         // 0 … 256; 256 = as the texture
    double intensity = 0;          // light intensity (smooth) or the flat offset (flat)
    int32_t brightness = 0;
    double specular = 0;
    // 0xRRGGBB of a solid triangle (flags bit 30; in the previews also the selection
    // highlight, bit 29), or kTexturedTriangle.
    uint32_t solidColour = kTexturedTriangle;
    std::array<Vec3, 3> normals; // smooth mode only
    Vec3 light{0, 0, -1};
    double backLight = 0;
    double ambient = -1.0;
    EdgeMask* edgeMask = nullptr;
    // Preview variant only.
    PixelRect clip; // right and bottom exclusive
    int step = 1;   // every step-th row and column
    // The selection highlight (flags bit 29): the triangle's outline in this opaque
    // colour, its inside drawn as usual; 0 for none.
    uint32_t highlight = 0;
};

// Fills one triangle. Polls `cancel` before each row; returns false when it was set.
bool rasterizeTriangle(const TriangleRaster& tri, CancelFlag cancel = nullptr);

// The preview filler: the same pixels as rasterizeTriangle at step 1, every step-th
// row and column otherwise, limited to the clip rectangle.
void rasterizeTrianglePreview(const TriangleRaster& tri);

// Alpha-aware bilinear sample at (u, v): transparent neighbours lend no colour.
// False when the point lies outside the texture or every neighbour is transparent.
bool sampleBilinear(const RasterImage& texture, double u, double v, uint32_t& out);

} // namespace zx
