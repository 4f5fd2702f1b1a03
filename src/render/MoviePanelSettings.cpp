#include "render/MoviePanelSettings.h"

#include "storage/Project.h"

#include <cmath>
#include <numbers>

namespace zx {

// Where the values live among the panel words (the header keeps them in this order:
// M1, background field, M2 … M5, slider B, slider C, "Follow Camera", M6 … M8).
namespace {
constexpr int kLightShadingWord = MoviePanelWords::M1;
constexpr int kAmbientWord = MoviePanelWords::M2;
constexpr int kReflectionWord = MoviePanelWords::M3;
constexpr int kBackLightWord = MoviePanelWords::M4;
constexpr int kMouseModesWord = MoviePanelWords::M5; // bit 0 left orbit, bit 1 right dolly
constexpr int kLightTurnWord = MoviePanelWords::SliderB;
constexpr int kLightTiltWord = MoviePanelWords::SliderC;
} // namespace

float MoviePanelSettings::backgroundFieldRadians() const {
    return float(backgroundField * std::numbers::pi / 180.0);
}

MoviePanelSettings MoviePanelSettings::fromWords(const MoviePanelWords& words) {
    MoviePanelSettings s;
    bool any = false;
    for (int32_t w : words.words) any = any || w != 0;
    if (!any) return s;
    s.lightShading = words[kLightShadingWord];
    s.backgroundField = words[MoviePanelWords::BackgroundSlider];
    s.ambient = words[kAmbientWord];
    s.reflection = words[kReflectionWord];
    s.backLight = words[kBackLightWord];
    s.leftButtonOrbit = words[kMouseModesWord] & 1;
    s.rightButtonDolly = (words[kMouseModesWord] >> 1) & 1;
    s.lightTurn = words[kLightTurnWord];
    s.lightTilt = words[kLightTiltWord];
    s.followCamera = words[MoviePanelWords::FollowCamera];
    return s;
}

void MoviePanelSettings::toWords(MoviePanelWords& words) const {
    words[kLightShadingWord] = lightShading;
    words[MoviePanelWords::BackgroundSlider] = backgroundField;
    words[kAmbientWord] = ambient;
    words[kReflectionWord] = reflection;
    words[kBackLightWord] = backLight;
    words[kMouseModesWord] = (leftButtonOrbit ? 1 : 0) | (rightButtonDolly ? 2 : 0);
    words[kLightTurnWord] = lightTurn;
    words[kLightTiltWord] = lightTilt;
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
