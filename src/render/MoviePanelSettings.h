#pragma once
// The Movie panel values the renderer uses: the light sliders and check, the "More
// Light Controls" values and the background field, with their places among the
// panel words of the project header, and the render settings refresh that turns
// them into a model's RenderSettings.

#include "anim/RenderSettings.h"
#include "render/RenderQuality.h"

#include <cstdint>

namespace zx {

struct MoviePanelWords;

struct MoviePanelSettings {
    int32_t lightShading = 0;     // "Light/Shading" 0 … 100
    int32_t lightTurn = 50;       // 0 … 100
    int32_t lightTilt = 50;       // 0 … 100
    int32_t followCamera = 0;     // "Follow Camera"
    int32_t ambient = 50;         // "Ambient" 0 … 100
    int32_t reflection = 0;       // "Reflection", kept doubled as the panel stores it
    int32_t backLight = 75;       // "BackLight" 0 … 100
    int32_t backgroundField = 0;  // "Bgrd Field" in degrees, 0 = no move
    int32_t leftButtonOrbit = 0;  // left button: 0 look at, 1 "Cam Angle"
    int32_t rightButtonDolly = 0; // right button: 0 "Zoom Mode", 1 "Move Cam"

    // The background field as the frames carry it, in radians.
    float backgroundFieldRadians() const;

    // The panel words of the project header. Words a project never set (all twelve
    // zero, as in a project made without the Movie panel) give the defaults.
    static MoviePanelSettings fromWords(const MoviePanelWords& words);
    void toWords(MoviePanelWords& words) const;
};

// Fills the model's light, brightness, specular, back light, follow-camera and
// smooth-shading settings from the panel values.
void refreshRenderSettings(RenderSettings& settings, const MoviePanelSettings& panel,
                           RenderQuality quality);

} // namespace zx
