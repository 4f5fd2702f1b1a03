#include "render/MoviePanelSettings.h"

#include "storage/Project.h"

#include <cmath>
#include <numbers>

namespace zx {

float MoviePanelSettings::backgroundFieldRadians() const {
    return float(backgroundField * std::numbers::pi / 180.0);
}

MoviePanelSettings MoviePanelSettings::fromWords(const MoviePanelWords& words) {
    MoviePanelSettings s;
    bool any = false;
    for (int32_t w : words.words) any = any || w != 0;
    if (!any) return s;
    s.lightShading = words[MoviePanelWords::LightShading];
    s.backgroundField = words[MoviePanelWords::BackgroundField];
    s.ambient = words[MoviePanelWords::Ambient];
    s.reflection = words[MoviePanelWords::Reflection];
    s.backLight = words[MoviePanelWords::BackLight];
    s.leftButtonOrbit = words[MoviePanelWords::MouseModes] & 1;
    s.rightButtonDolly = (words[MoviePanelWords::MouseModes] >> 1) & 1;
    s.lightTurn = words[MoviePanelWords::LightTurn];
    s.lightTilt = words[MoviePanelWords::LightTilt];
    s.followCamera = words[MoviePanelWords::FollowCamera];
    return s;
}

void MoviePanelSettings::toWords(MoviePanelWords& words) const {
    words[MoviePanelWords::LightShading] = lightShading;
    words[MoviePanelWords::BackgroundField] = backgroundField;
    words[MoviePanelWords::Ambient] = ambient;
    words[MoviePanelWords::Reflection] = reflection;
    words[MoviePanelWords::BackLight] = backLight;
    words[MoviePanelWords::MouseModes] = (leftButtonOrbit ? 1 : 0) | (rightButtonDolly ? 2 : 0);
    words[MoviePanelWords::LightTurn] = lightTurn;
    words[MoviePanelWords::LightTilt] = lightTilt;
    words[MoviePanelWords::FollowCamera] = followCamera;
}

void refreshRenderSettings(RenderSettings& settings, const MoviePanelSettings& panel,
                           RenderQuality quality) {
    settings.lightIntensity = 3 * panel.lightShading;
    // The factor is 5.1 held in single precision (5.0999999) and the product taken in
    // double, so ambient 100 gives 254, not 255.
    settings.brightness = int32_t(double(panel.ambient - 50) * double(5.1f));
    settings.specular = panel.reflection;
    settings.backLight = panel.backLight * 0.01;
    settings.lightFollowsCamera = panel.followCamera;
    settings.smoothShading = quality > RenderQuality::Low ? 1 : 0;
    const double b = (panel.lightTurn - 50) * std::numbers::pi / 100;
    const double c = (panel.lightTilt - 50) * std::numbers::pi / 100;
    settings.baseLight = {-std::sin(b), std::sin(c) * std::cos(b), -std::cos(b) * std::cos(c)};
    settings.light = settings.baseLight;
}

} // namespace zx
