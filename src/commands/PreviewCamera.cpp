#include "commands/PreviewCamera.h"

#include <algorithm>
#include <numbers>

namespace zx {

PreviewCamera PreviewCamera::forImage(int width, int height) {
    PreviewCamera c;
    const double m = std::max(1, std::max(width, height));
    c.distance = 4 * m;
    c.minDistance = 0.5 * m;
    c.maxDistance = 20 * m;
    return c;
}

bool PreviewCamera::press(std::string_view b, bool* viewChanged) {
    bool view = true;
    if (b == "Top/Left View")
        turnDeg = 45, tiltDeg = -45;
    else if (b == "Bottom/Left View")
        turnDeg = 45, tiltDeg = 45;
    else if (b == "Top/Right View")
        turnDeg = -45, tiltDeg = -45;
    else if (b == "Bottom/Right View")
        turnDeg = -45, tiltDeg = 45;
    else if (b == "Front <-> Rear View")
        tiltDeg = 0, turnDeg = turnDeg == 180 ? 0 : 180;
    else if (b == "Left <-> Right View")
        tiltDeg = 0, turnDeg = turnDeg == -90 ? 90 : -90;
    else if (b == "Top <-> Bottom View")
        turnDeg = 0, tiltDeg = tiltDeg == -90 ? 90 : -90;
    else {
        view = false;
        if (b == "No Shading")
            lightIntensity = 0;
        else if (b == "Soft Shading")
            lightIntensity = 40;
        else if (b == "Strong Shading")
            lightIntensity = 128;
        else if (b == "Maximum Shading")
            lightIntensity = 256;
        else if (b == "Top/Left Light")
            lightX = 1, lightY = 1, lightZ = -1;
        else if (b == "Top/Right Light")
            lightX = -1, lightY = 1, lightZ = -1;
        else if (b == "Front Light")
            lightX = 0, lightY = 0, lightZ = -1;
        else if (b == "Bottom/Left Light")
            lightX = 1, lightY = -1, lightZ = -1;
        else if (b == "Bottom/Right Light")
            lightX = -1, lightY = -1, lightZ = -1;
        else
            return false;
    }
    if (viewChanged) *viewChanged = view;
    return true;
}

double PreviewCamera::turnRadians() const {
    return turnDeg * std::numbers::pi / 180;
}
double PreviewCamera::tiltRadians() const {
    return tiltDeg * std::numbers::pi / 180;
}

void PreviewCamera::setDistance(double d) {
    distance = maxDistance > minDistance ? std::clamp(d, minDistance, maxDistance) : d;
}

} // namespace zx
