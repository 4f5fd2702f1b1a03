#pragma once
// What one application of a hand tool does to the pixels under its kernel (a "dab"),
// the Paint Bucket's flood, and shapes and text painted the brush's way. The stroke that moves the
// dabs along the pointer and records the history lives with the commands.

#include "imaging/BrushKernel.h"
#include "imaging/Coverage.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <string>

namespace zx {

// The colour of the brush and the bucket, kept as the platform's colour reference:
// red in bits 0-7, green 8-15, blue 16-23.
struct PaintColour {
    uint32_t colourRef = 0;

    static PaintColour rgb(int red, int green, int blue);
    int red() const { return int(colourRef & 0xFF); }
    int green() const { return int((colourRef >> 8) & 0xFF); }
    int blue() const { return int((colourRef >> 16) & 0xFF); }
    // As an opaque picture pixel.
    uint32_t pixel() const;
    // "r,g,b", as the panel shows it.
    std::string text() const;
    bool operator==(const PaintColour&) const = default;
};

// The brush's "Mode:": Lighten paints only pixels darker than the colour, Darken only
// lighter ones.
enum class BrushMode : int { Normal = 0, Lighten = 1, Darken = 2 };

// A dab centred on (x, y); cells beyond the picture are skipped. `flow` is 1..100.
struct Dab {
    const BrushKernel& kernel;
    int x = 0, y = 0;
    int flow = 50;
};

// Alpha (or, on a mask layer, the mask value) scaled down by the kernel and flow.
void eraseDab(RasterImage& picture, const Dab& dab);
void eraseMaskDab(RasterImage& mask, const Dab& dab);
// Mask values raised by the kernel and flow.
void revealDab(RasterImage& mask, const Dab& dab);

// Brush/Pencil over the selected pixels of `mask`. On the subject (`subjectMask`
// true) painted pixels become opaque and the stroke shows through the mask instead.
void brushDab(RasterImage& picture, RasterImage& mask, const Dab& dab, PaintColour colour,
              BrushMode mode, bool subjectMask);
// A drawn shape or text in the colour over the selected pixels of `mask`: each pixel
// as the brush paints it (mode Normal) at the coverage's weight. Returns the pixels
// it touched.
PixelRect paintCoverage(RasterImage& picture, RasterImage& mask, const Coverage& coverage,
                        PaintColour colour, bool subjectMask);
// The 3 x 3 mean blended in over selected, visible pixels (and, on the subject,
// pixels the mask does not hide fully).
void blurDab(RasterImage& picture, const RasterImage& mask, const Dab& dab, bool subjectMask);

// The Paint Bucket: from a selected pixel, floods the connected selected pixels that
// match it within the tolerance (1..100; 100 takes them all) with the colour, opaque.
// Returns the number of pixels filled.
long long bucketFill(RasterImage& picture, const RasterImage& mask, int x, int y, int tolerance,
                     PaintColour colour);

// The mean colour of the 1, 9 or 25 pixels around (x, y) (`sampleSize` 1, 3 or 5),
// those inside the picture.
PaintColour pickColour(const RasterImage& picture, int x, int y, int sampleSize);

} // namespace zx
