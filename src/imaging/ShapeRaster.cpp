#include "imaging/ShapeRaster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace zx {

namespace {

constexpr std::array<int, 4> kFeatherPixels{0, 1, 2, 4};
constexpr double kOutside = 1e9;

// Edges in continuous coordinates (pixel centres are whole numbers).
struct Box {
    double left, top, right, bottom;
    Box shrunk(double by) const { return {left + by, top + by, right - by, bottom - by}; }
    bool empty() const { return left >= right || top >= bottom; }
};

// Signed distances from a pixel centre to a region: negative inside.
using Distance = std::function<double(double x, double y)>;

double boxDistance(const Box& b, double x, double y) {
    const double dx = std::max(b.left - x, x - b.right), dy = std::max(b.top - y, y - b.bottom);
    if (dx <= 0 && dy <= 0) return std::max(dx, dy);
    return std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
}

// The ellipse inscribed in the box, to first order (exact on the curve, good within the
// few pixels of a fringe).
double ellipseDistance(const Box& b, double x, double y) {
    const double a = (b.right - b.left) / 2, c = (b.bottom - b.top) / 2;
    if (a <= 0 || c <= 0) return kOutside;
    const double u = (x - (b.left + a)) / a, v = (y - (b.top + c)) / c;
    const double k = std::hypot(u, v);
    const double slope = std::hypot(u / a, v / c);
    if (slope < 1e-12) return -std::min(a, c); // the centre
    return (k - 1) * k / slope;
}

double segmentDistance(double ax, double ay, double bx, double by, double x, double y) {
    const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

// The box of pixels between two corners.
Box pixelBox(const ShapeOutline& s) {
    return {std::min(s.start.x, s.end.x) - 0.5, std::min(s.start.y, s.end.y) - 0.5,
            std::max(s.start.x, s.end.x) + 0.5, std::max(s.start.y, s.end.y) + 0.5};
}

// Inside the outer region and outside the inner one; `inner` may be empty.
Distance ring(Distance outer, Distance inner) {
    return [=](double x, double y) { return std::max(outer(x, y), -inner(x, y)); };
}

Distance shapeDistance(const ShapeOutline& s, int width) {
    const Box box = pixelBox(s);
    const Box inner = box.shrunk(width);
    switch (s.kind) {
    case ShapeKind::Line: {
        const double shift = width % 2 ? 0.0 : 0.5, half = width / 2.0;
        const double ax = s.start.x + shift, ay = s.start.y + shift;
        const double bx = s.end.x + shift, by = s.end.y + shift;
        return [=](double x, double y) { return segmentDistance(ax, ay, bx, by, x, y) - half; };
    }
    case ShapeKind::FilledRectangle:
        return [=](double x, double y) { return boxDistance(box, x, y); };
    case ShapeKind::Rectangle:
        if (inner.empty()) return [=](double x, double y) { return boxDistance(box, x, y); };
        return ring([=](double x, double y) { return boxDistance(box, x, y); },
                    [=](double x, double y) { return boxDistance(inner, x, y); });
    case ShapeKind::FilledEllipse:
        return [=](double x, double y) { return ellipseDistance(box, x, y); };
    case ShapeKind::Ellipse:
        if (inner.empty()) return [=](double x, double y) { return ellipseDistance(box, x, y); };
        return ring([=](double x, double y) { return ellipseDistance(box, x, y); },
                    [=](double x, double y) { return ellipseDistance(inner, x, y); });
    }
    return [](double, double) { return kOutside; };
}

// The pixels the shape and its fringe can reach, within the picture.
PixelRect reach(const ShapeOutline& s, int width, int fringe, int pictureWidth, int pictureHeight) {
    const double margin = width / 2.0 + fringe + 1;
    const Box b = pixelBox(s).shrunk(-margin);
    const auto clip = [](double v, int limit) { return int(std::clamp(v, 0.0, double(limit))); };
    return {clip(std::floor(b.left), pictureWidth), clip(std::floor(b.top), pictureHeight),
            clip(std::ceil(b.right) + 1, pictureWidth),
            clip(std::ceil(b.bottom) + 1, pictureHeight)};
}

uint8_t weightAt(double distance, int fringe) {
    if (distance <= 0) return 255;
    if (fringe == 0 || distance >= fringe) return 0;
    return uint8_t(std::lround(255 * (1 - distance / fringe)));
}

} // namespace

int shapeFeatherPixels(int featherIndex) {
    return kFeatherPixels[std::size_t(std::clamp(featherIndex, 0, int(kFeatherPixels.size()) - 1))];
}

Coverage rasteriseShape(const ShapeOutline& shape, int pictureWidth, int pictureHeight) {
    const int width = std::clamp(shape.width, kMinShapeWidth, kMaxShapeWidth);
    const int fringe = shapeFeatherPixels(shape.featherIndex);
    Coverage c = Coverage::blank(reach(shape, width, fringe, pictureWidth, pictureHeight));
    const Distance distance = shapeDistance(shape, width);
    for (int y = c.area.top; y < c.area.bottom; ++y)
        for (int x = c.area.left; x < c.area.right; ++x)
            c.at(x, y) = weightAt(distance(x, y), fringe);
    return c;
}

} // namespace zx
