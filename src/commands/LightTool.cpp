#include "commands/LightTool.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {

namespace {
constexpr double kEighths = 8;
constexpr int kOutlineSegments = 128;
constexpr double kHandleReach = 5 * kEighths; // a handle takes presses within 5 pixels
constexpr double kMinAxis = kEighths;         // the light never shrinks below a pixel

double distance(double ax, double ay, double bx, double by) {
    return std::hypot(ax - bx, ay - by);
}
} // namespace

double LightTool::minorAxis() const {
    const double a = light_.semiMajor, c = light_.focalDistance();
    return std::sqrt(std::max(0.0, a * a - c * c));
}

std::vector<LightPoint> LightTool::outline() const {
    const double theta = light_.orientation(), a = light_.semiMajor, b = minorAxis();
    const double ux = std::cos(theta), uy = std::sin(theta);
    std::vector<LightPoint> points;
    for (int i = 0; i <= kOutlineSegments; ++i) {
        const double t = 2 * std::numbers::pi * (i % kOutlineSegments) / kOutlineSegments;
        const double u = a * std::cos(t), v = b * std::sin(t);
        points.push_back({(light_.centreX + u * ux - v * uy) / kEighths,
                          (light_.centreY + u * uy + v * ux) / kEighths});
    }
    return points;
}

std::array<LightPoint, 3> LightTool::handles() const {
    const double theta = light_.orientation();
    return {LightPoint{light_.centreX / kEighths, light_.centreY / kEighths},
            LightPoint{(light_.centreX + light_.focusX) / kEighths,
                       (light_.centreY + light_.focusY) / kEighths},
            LightPoint{(light_.centreX + light_.semiMajor * std::cos(theta)) / kEighths,
                       (light_.centreY + light_.semiMajor * std::sin(theta)) / kEighths}};
}

LightHandle LightTool::handleAt(double x, double y) const {
    const auto h = handles();
    const LightHandle kinds[3] = {LightHandle::Centre, LightHandle::Focus, LightHandle::AxisEnd};
    for (int i = 2; i >= 0; --i) // the outer handles win where they overlap the centre
        if (distance(x * kEighths, y * kEighths, h[size_t(i)].x * kEighths,
                     h[size_t(i)].y * kEighths) <= kHandleReach)
            return kinds[i];
    const double px = x * kEighths, py = y * kEighths;
    const double d =
        distance(px, py, light_.centreX + light_.focusX, light_.centreY + light_.focusY) +
        distance(px, py, light_.centreX - light_.focusX, light_.centreY - light_.focusY);
    return d < 2 * light_.semiMajor ? LightHandle::Inside : LightHandle::None;
}

std::string_view LightTool::prompt(double x, double y) const {
    switch (handleAt(x, y)) {
    case LightHandle::Centre:
    case LightHandle::Inside:
        return "Drag to move light";
    case LightHandle::Focus:
        return "Drag to change light shape";
    case LightHandle::AxisEnd:
        return "Drag handle to adjust light";
    case LightHandle::None:
        break;
    }
    return {};
}

void LightTool::press(double x, double y) {
    dragging_ = handleAt(x, y);
    lastX_ = x * kEighths, lastY_ = y * kEighths;
}

bool LightTool::move(double x, double y) {
    const double px = x * kEighths, py = y * kEighths;
    switch (dragging_) {
    case LightHandle::None:
        return false;
    case LightHandle::Centre:
    case LightHandle::Inside:
        light_.centreX += px - lastX_, light_.centreY += py - lastY_;
        break;
    case LightHandle::Focus: { // the focus stays inside the ellipse
        double fx = px - light_.centreX, fy = py - light_.centreY;
        const double c = std::hypot(fx, fy), limit = light_.semiMajor - kMinAxis;
        if (c > limit && c > 0) fx *= limit / c, fy *= limit / c;
        light_.focusX = fx, light_.focusY = fy;
        break;
    }
    case LightHandle::AxisEnd: { // the long axis follows; the focus keeps its distance
        const double ax = px - light_.centreX, ay = py - light_.centreY;
        const double a = std::hypot(ax, ay), c = light_.focalDistance();
        light_.semiMajor = std::max({a, c + kMinAxis, kMinAxis});
        if (a > 0) light_.focusX = c * ax / a, light_.focusY = c * ay / a;
        break;
    }
    }
    lastX_ = px, lastY_ = py;
    return true;
}

} // namespace zx
