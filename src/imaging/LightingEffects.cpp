#include "imaging/LightingEffects.h"

#include "imaging/AdjustPixels.h"

#include <cmath>

namespace zx {

namespace {
constexpr double kEighths = 8;

// Which of red, green and blue each light colour lights.
constexpr bool kLit[7][3] = {{true, true, true},   {true, false, false}, {false, true, false},
                             {false, false, true}, {true, true, false},  {false, true, true},
                             {true, false, true}};

struct LightTerms {
    double w = 0, amplitude = 0;
    double focusX = 0, focusY = 0, otherX = 0, otherY = 0;
    double a = 0, c = 0, e = 0, theta = 0;
};

LightTerms lightTerms(const LightEllipse& l, const LightingSettings& s) {
    LightTerms t;
    t.w = (s.focus + 17) * 0.2;
    t.amplitude = (s.intensity * 255 / 100) * t.w * 5 / 17;
    t.focusX = l.centreX + l.focusX, t.focusY = l.centreY + l.focusY;
    t.otherX = l.centreX - l.focusX, t.otherY = l.centreY - l.focusY;
    t.a = std::max(1.0, l.semiMajor);
    t.c = std::min(l.focalDistance(), t.a * 0.999);
    t.e = t.c / t.a;
    t.theta = l.orientation();
    return t;
}

// The light's strength U at (px, py) in eighths; -1 outside the ellipse.
int lightAt(const LightTerms& t, double px, double py) {
    const double dx = px - t.focusX, dy = py - t.focusY;
    const double d = std::hypot(dx, dy);
    if (d + std::hypot(px - t.otherX, py - t.otherY) >= 2 * t.a) return -1;
    const double phi = std::atan2(dy, dx);
    const double r = (t.a - t.c * t.c / t.a) / (t.e * std::cos(phi - t.theta) + 1);
    const double q = t.w * d / (2 * r);
    return int(std::min(255.0, std::trunc(t.amplitude * std::exp(-0.5 * q * q))));
}
} // namespace

LightEllipse LightEllipse::openingCircle(const PixelRect& visible) {
    LightEllipse l;
    l.centreX = (visible.left + visible.right) / 2.0 * kEighths;
    l.centreY = (visible.top + visible.bottom) / 2.0 * kEighths;
    l.semiMajor = std::max(1, visible.width() + visible.height()) * kEighths;
    return l;
}

double LightEllipse::focalDistance() const {
    return std::hypot(focusX, focusY);
}
double LightEllipse::eccentricity() const {
    return semiMajor > 0 ? focalDistance() / semiMajor : 0;
}
double LightEllipse::orientation() const {
    return std::atan2(focusY, focusX);
}

void lightingEffects(const RasterImage& source, RasterImage& picture, const LightEllipse& light,
                     const LightingSettings& s, int pivot, const AdjustTarget& target) {
    const LightTerms t = lightTerms(light, s);
    const bool* lit = kLit[std::clamp(int(s.colour), 0, 6)];
    mapPixels(source, picture, target, WeightBlend::Dialog, [&](uint32_t p, int x, int y) {
        const int ch[3] = {redOf(p), greenOf(p), blueOf(p)};
        const int u = lightAt(t, x * kEighths, y * kEighths);
        if (u < 0)
            return makePixel(alphaOf(p), ch[0] + s.ambience, ch[1] + s.ambience,
                             ch[2] + s.ambience);
        const int ambience = s.ambience < 0 ? s.ambience + u * s.ambience / -128 : s.ambience;
        const int shine = (s.shine + 100) * 255 / 200 * u / 255 - pivot;
        int out[3];
        for (int c = 0; c < 3; ++c) {
            int v = ch[c] + ambience;
            if (lit[c]) v = pivot + (shine + v) * (u + 100) / 100;
            out[c] = v;
        }
        return makePixel(alphaOf(p), out[0], out[1], out[2]);
    });
}

} // namespace zx
