#pragma once
// Lighting Effects: a soft elliptical light laid over the picture, brightening (or
// colouring) inside the ellipse and moving everything by the ambience.

#include "imaging/Adjustments.h"

namespace zx {

// The light's shape, in eighths of a pixel. The first focus lies at `focusOffset`
// from the centre, the second opposite it.
struct LightEllipse {
    double centreX = 0, centreY = 0;
    double focusX = 0, focusY = 0; // offset of the first focus from the centre
    double semiMajor = 8;          // A

    // A circle over the middle of an area of the picture, as the dialog opens.
    static LightEllipse openingCircle(const PixelRect& visible);
    double focalDistance() const; // c
    double eccentricity() const;  // c / A
    double orientation() const;   // θ, radians
};

// "Light color" buttons 0..6: white, red, green, blue, yellow, cyan, magenta.
enum class LightColour : int { White, Red, Green, Blue, Yellow, Cyan, Magenta };

struct LightingSettings {
    int intensity = 50; // 0..100
    int focus = 50;     // 0..100
    int ambience = 0;   // -100..100
    int shine = 0;      // -100..100, "Matt" to "Shiny"
    LightColour colour = LightColour::White;
};

void lightingEffects(const RasterImage& source, RasterImage& picture, const LightEllipse& light,
                     const LightingSettings& settings, int pivot, const AdjustTarget& target = {});

} // namespace zx
