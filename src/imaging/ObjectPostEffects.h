#pragma once
// The pixel effects of an object ("Red (*)" … "Blur (*)"), applied to the object's own
// layer after its triangles are drawn and before the layer is merged into the frame.
// They work inside a clip box, only on pixels that are not fully transparent, and on
// every step-th pixel in x and y (step 1 for final frames, larger for previews).

#include "storage/RasterImage.h"

#include <cstdint>
#include <vector>

namespace zx {

struct AnimObject;

struct PostEffectValues {
    float red = 0, green = 0, blue = 0; // −1 … 1, ±200 per channel
    float hue = 0;                      // −1 … 1, ±180 degrees
    float saturation = 0;               // −1 … 1
    float brightness = 0, contrast = 0; // −1 … 1
    float blur = 0;                     // 0 … 1
    // How large the object is on screen against its size at the start of its scale
    // effect (scale now / scale start value × the renderer's zoom); the blur radius
    // follows it.
    double blurScale = 1;
};

// The object's pixel effects at time t, seen at the given zoom.
PostEffectValues postEffectValues(const AnimObject& object, double t, double zoom);

// True when any of the effects would change a pixel.
bool hasPostEffects(const PostEffectValues& values);

// Blur radius in pixels: min(1, blur · blurScale) · 37.5; 0 without blur.
double blurRadius(const PostEffectValues& values);

// The box the effects work in: the bounding box of the object's points (right and
// bottom rounded and plus one), grown by 2, 10, 20 or 40 pixels for a blur radius from
// 0, 2.5, 7.5 or 17.5 on, and cut to the frame.
PixelRect postEffectClipBox(double minX, double minY, double maxX, double maxY, double radius,
                            int frameWidth, int frameHeight);

// Working memory of the blur, kept by a caller that applies effects frame after frame.
struct PostEffectScratch {
    std::vector<uint16_t> source, reduced, filtered, first, second;
    std::vector<uint32_t> rows;
};

// Applies, in order: red, green, blue; hue and saturation; brightness and contrast;
// blur. Pixels with alpha 0 are never written.
void applyObjectPostEffects(RasterImage& layer, const PostEffectValues& values,
                            const PixelRect& clip, int step = 1,
                            PostEffectScratch* scratch = nullptr);

} // namespace zx
