#pragma once
// The settings behind the "3D Preview" dialog's buttons: view angles, shading
// strength, light direction and camera distance.

#include <string_view>

namespace zx {

struct PreviewCamera {
    double turnDeg = 45;
    double tiltDeg = -45;
    int lightIntensity = 30; // until a shading button is pressed
    double lightX = 0, lightY = 0, lightZ = -1;
    bool perspective = true;
    double distance = 0;
    double minDistance = 0, maxDistance = 0;

    // The opening state for an image of the given size.
    static PreviewCamera forImage(int width, int height);

    // Applies the button with this caption; false for an unknown caption. View
    // buttons return through `viewChanged` (they start the dialog's timer; shading
    // and light buttons re-render at once).
    bool press(std::string_view button, bool* viewChanged = nullptr);

    double turnRadians() const;
    double tiltRadians() const;
    void setDistance(double d);
};

// The button captions in the dialog's order: views, shading, lights.
inline constexpr std::string_view kPreviewViewButtons[] = {
    "Top/Left View",       "Bottom/Left View",    "Top/Right View",     "Bottom/Right View",
    "Front <-> Rear View", "Left <-> Right View", "Top <-> Bottom View"};
inline constexpr std::string_view kPreviewShadingButtons[] = {"No Shading", "Soft Shading",
                                                              "Strong Shading", "Maximum Shading"};
inline constexpr std::string_view kPreviewLightButtons[] = {
    "Top/Left Light", "Top/Right Light", "Front Light", "Bottom/Left Light", "Bottom/Right Light"};

} // namespace zx
