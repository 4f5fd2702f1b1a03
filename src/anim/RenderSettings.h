#pragma once
// The renderer's settings, kept with the AnimationModel being rendered. The movie
// panel and the 3D preview fill them before a model is rendered; the renderer
// itself writes the camera fields and the per-object light.

#include "anim/AnimPoint.h"

#include <cstdint>

namespace zx {

struct RenderSettings {
    int32_t perspective = 0;    // 1: perspective projection with the camera distance
    int32_t cameraDistance = 0; // eye distance from the image plane, image pixels
    double turn = 0;            // rotation about the vertical axis, radians
    double tilt = 0;            // rotation about the horizontal axis, radians
    double shiftX = 0, shiftY = 0;
    Vec3 baseLight{0, 0, -1};   // light direction as the user set it
    Vec3 light{0, 0, -1};       // light used for the current object
    int32_t lightIntensity = 0; // 0 = no shading
    int32_t brightness = 0;     // −255 … 255, added to every channel
    int32_t specular = 0;       // highlight strength, 0 = none
    double backLight = 0.75;    // factor on the cosine of surfaces facing away
    int32_t lightFollowsCamera = 0;
    int32_t smoothShading = 0;
    // Normal of a vertex that belongs to no visible triangle: facing the default
    // front light, so such a vertex is lit like a surface seen straight on.
    Vec3 defaultNormal{0, 0, -1};
};

} // namespace zx
