#include "commands/FloatingPicture.h"

#include "imaging/SimilarityTransform.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

constexpr std::string_view kMoveCorner = "Drag to move corner";
constexpr std::string_view kResizeInProportion = "Drag to resize (keep proportions)";
constexpr std::string_view kResizeOneWay = "Drag to resize in this direction";
constexpr std::string_view kMoveCentre = "Drag to move rotation center";
constexpr std::string_view kRotate = "Drag to rotate around center";
// How far beyond a corner, in handle widths, a press still turns the picture.
constexpr double kRotateReach = 3;
constexpr double kMinimumSide = 1;
constexpr double kSnap = 1e-6;

FloatPoint operator+(FloatPoint a, FloatPoint b) {
    return {a.x + b.x, a.y + b.y};
}
FloatPoint operator-(FloatPoint a, FloatPoint b) {
    return {a.x - b.x, a.y - b.y};
}
FloatPoint operator*(double k, FloatPoint a) {
    return {k * a.x, k * a.y};
}
double dot(FloatPoint a, FloatPoint b) {
    return a.x * b.x + a.y * b.y;
}
double cross(FloatPoint a, FloatPoint b) {
    return a.x * b.y - a.y * b.x;
}
double length(FloatPoint a) {
    return std::hypot(a.x, a.y);
}
FloatPoint midpoint(FloatPoint a, FloatPoint b) {
    return 0.5 * (a + b);
}
FloatPoint quadCentre(const FloatingPicture::Quad& q) {
    return 0.25 * (q[0] + q[1] + q[2] + q[3]);
}

bool near(FloatPoint a, FloatPoint b, double reach) {
    return std::abs(a.x - b.x) <= reach && std::abs(a.y - b.y) <= reach;
}

bool convexAndWide(const FloatingPicture::Quad& q) {
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
        const FloatPoint e = q[(i + 1) % 4] - q[i], f = q[(i + 2) % 4] - q[(i + 1) % 4];
        if (length(e) < kMinimumSide) return false;
        const double c = cross(e, f);
        if (c == 0) return false;
        const int s = c > 0 ? 1 : -1;
        if (sign != 0 && s != sign) return false;
        sign = s;
    }
    return true;
}

bool insideQuad(const FloatingPicture::Quad& q, FloatPoint p) {
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
        const double c = cross(q[(i + 1) % 4] - q[i], p - q[i]);
        const int s = c > 0 ? 1 : (c < 0 ? -1 : 0);
        if (s == 0) continue;
        if (sign != 0 && s != sign) return false;
        sign = s;
    }
    return true;
}

// The projective map of the unit square onto the quadrilateral, as a 3 × 3 matrix,
// and its inverse (the adjugate; the scale does not matter for a projective map).
using Matrix = std::array<double, 9>;

Matrix squareToQuad(const FloatingPicture::Quad& q) {
    const double sx = q[0].x - q[1].x + q[2].x - q[3].x, sy = q[0].y - q[1].y + q[2].y - q[3].y;
    double g = 0, h = 0;
    if (sx != 0 || sy != 0) {
        const double dx1 = q[1].x - q[2].x, dx2 = q[3].x - q[2].x;
        const double dy1 = q[1].y - q[2].y, dy2 = q[3].y - q[2].y;
        const double den = dx1 * dy2 - dx2 * dy1;
        g = (sx * dy2 - dx2 * sy) / den;
        h = (dx1 * sy - sx * dy1) / den;
    }
    return {q[1].x - q[0].x + g * q[1].x,
            q[3].x - q[0].x + h * q[3].x,
            q[0].x,
            q[1].y - q[0].y + g * q[1].y,
            q[3].y - q[0].y + h * q[3].y,
            q[0].y,
            g,
            h,
            1};
}

Matrix adjugate(const Matrix& m) {
    return {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
            m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
            m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
}

FloatingPicture::Quad rectangle(double left, double top, double width, double height) {
    return {FloatPoint{left, top}, FloatPoint{left + width, top},
            FloatPoint{left + width, top + height}, FloatPoint{left, top + height}};
}

} // namespace

FloatingPicture::FloatingPicture(RasterImage picture, std::string name, int imageWidth,
                                 int imageHeight)
    : picture_(std::move(picture)), name_(std::move(name)), imageWidth_(imageWidth),
      imageHeight_(imageHeight) {
    double w = std::max(1, picture_.width()), h = std::max(1, picture_.height());
    const double fit = std::min({1.0, imageWidth / w, imageHeight / h});
    if (fit < 1) {
        reduced_ = true;
        w = std::max(1.0, std::floor(w * fit));
        h = std::max(1.0, std::floor(h * fit));
    }
    // Whole pixels, so that an untouched paste lands exactly.
    home_ = rectangle(std::floor((imageWidth - w) / 2), std::floor((imageHeight - h) / 2), w, h);
    resetPosition();
}

void FloatingPicture::resetPosition() {
    quad_ = home_;
    centre_ = quadCentre(quad_);
    drag_ = {};
}

void FloatingPicture::nudge(double dx, double dy) {
    for (FloatPoint& p : quad_) p = p + FloatPoint{dx, dy};
    centre_ = centre_ + FloatPoint{dx, dy};
}

std::array<FloatPoint, 9> FloatingPicture::handles() const {
    std::array<FloatPoint, 9> h;
    for (int i = 0; i < 4; ++i) {
        h[size_t(i)] = quad_[size_t(i)];
        h[size_t(i) + 4] = midpoint(quad_[size_t(i)], quad_[size_t(i + 1) % 4]);
    }
    h[8] = centre_;
    return h;
}

namespace {
struct Hit {
    FloatingHandle handle = FloatingHandle::None;
    int index = 0;
};

Hit hitTest(const FloatingPicture& f, FloatPoint p, double reach) {
    const auto h = f.handles();
    if (near(h[8], p, reach)) return {FloatingHandle::Centre, 0};
    for (int i = 0; i < 4; ++i)
        if (near(h[size_t(i)], p, reach)) return {FloatingHandle::Corner, i};
    for (int i = 0; i < 4; ++i)
        if (near(h[size_t(i) + 4], p, reach)) return {FloatingHandle::Side, i};
    if (insideQuad(f.quad(), p)) return {FloatingHandle::Inside, 0};
    for (int i = 0; i < 4; ++i)
        if (near(h[size_t(i)], p, kRotateReach * reach)) return {FloatingHandle::Rotate, i};
    return {};
}
} // namespace

FloatingHandle FloatingPicture::handleAt(double x, double y, double reach) const {
    return hitTest(*this, {x, y}, reach).handle;
}

std::string_view FloatingPicture::prompt(double x, double y, double reach) const {
    switch (handleAt(x, y, reach)) {
    case FloatingHandle::Corner:
        return shape_ == FloatingShape::Distort ? kMoveCorner : kResizeInProportion;
    case FloatingHandle::Side:
        return kResizeOneWay;
    case FloatingHandle::Centre:
        return kMoveCentre;
    case FloatingHandle::Rotate:
        return kRotate;
    default:
        return {};
    }
}

bool FloatingPicture::press(double x, double y, double reach) {
    const Hit hit = hitTest(*this, {x, y}, reach);
    drag_ = {hit.handle, hit.index, {x, y}, quad_, centre_};
    return hit.handle != FloatingHandle::None;
}

void FloatingPicture::move(double x, double y) {
    const FloatPoint to{x, y};
    switch (drag_.handle) {
    case FloatingHandle::Inside: {
        const FloatPoint d = to - drag_.from;
        Quad q = drag_.quad;
        for (FloatPoint& p : q) p = p + d;
        quad_ = q;
        centre_ = drag_.centre + d;
        break;
    }
    case FloatingHandle::Corner:
        dragCorner(to);
        break;
    case FloatingHandle::Side:
        dragSide(to);
        break;
    case FloatingHandle::Centre:
        centre_ = to;
        break;
    case FloatingHandle::Rotate:
        rotate(to);
        break;
    case FloatingHandle::None:
        break;
    }
}

// Distort moves the corner alone; otherwise the quadrilateral scales about the
// opposite corner by the pointer's reach along the diagonal.
void FloatingPicture::dragCorner(FloatPoint to) {
    Quad q = drag_.quad;
    const size_t i = size_t(drag_.index);
    if (shape_ == FloatingShape::Distort) {
        q[i] = q[i] + (to - drag_.from);
        return accept(q);
    }
    const FloatPoint anchor = q[(i + 2) % 4], diagonal = q[i] - anchor;
    const double k = dot(to - anchor, diagonal) / dot(diagonal, diagonal);
    if (k <= 0) return;
    for (FloatPoint& p : q) p = anchor + k * (p - anchor);
    accept(q);
}

// The side under the pointer moves along its normal; the opposite side stays.
void FloatingPicture::dragSide(FloatPoint to) {
    Quad q = drag_.quad;
    const size_t a = size_t(drag_.index), b = (a + 1) % 4;
    const FloatPoint far = midpoint(q[(a + 2) % 4], q[(a + 3) % 4]);
    const FloatPoint edge = q[b] - q[a];
    FloatPoint normal{-edge.y / length(edge), edge.x / length(edge)};
    if (dot(midpoint(q[a], q[b]) - far, normal) < 0) normal = -1 * normal;
    const double span = dot(midpoint(q[a], q[b]) - far, normal);
    const double k = (span + dot(to - drag_.from, normal)) / span;
    if (span <= 0 || k <= 0) return;
    for (FloatPoint& p : q) p = p + (k - 1) * dot(p - far, normal) * normal;
    accept(q);
}

void FloatingPicture::rotate(FloatPoint to) {
    const FloatPoint c = drag_.centre, from = drag_.from - c, now = to - c;
    if (length(from) == 0 || length(now) == 0) return;
    const double turn = std::atan2(now.y, now.x) - std::atan2(from.y, from.x);
    const double cs = std::cos(turn), sn = std::sin(turn);
    Quad q = drag_.quad;
    for (FloatPoint& p : q) {
        const FloatPoint r = p - c;
        p = c + FloatPoint{r.x * cs - r.y * sn, r.x * sn + r.y * cs};
    }
    accept(q);
}

void FloatingPicture::accept(const Quad& q) {
    if (convexAndWide(q)) quad_ = q;
}

PlacedPicture FloatingPicture::placed() const {
    if (picture_.empty()) return {};
    const double left = std::min({quad_[0].x, quad_[1].x, quad_[2].x, quad_[3].x});
    const double top = std::min({quad_[0].y, quad_[1].y, quad_[2].y, quad_[3].y});
    const double right = std::max({quad_[0].x, quad_[1].x, quad_[2].x, quad_[3].x});
    const double bottom = std::max({quad_[0].y, quad_[1].y, quad_[2].y, quad_[3].y});
    // An untouched placement at whole pixels: the picture as it is.
    if (quad_ == rectangle(left, top, picture_.width(), picture_.height()) &&
        left == std::floor(left) && top == std::floor(top))
        return {picture_, int(left), int(top)};
    // A turn leaves corners a rounding error off whole pixels: no extra column for that.
    const int x0 = std::max(0, int(std::floor(left + kSnap)));
    const int y0 = std::max(0, int(std::floor(top + kSnap)));
    const int x1 = std::min(imageWidth_, int(std::ceil(right - kSnap)));
    const int y1 = std::min(imageHeight_, int(std::ceil(bottom - kSnap)));
    if (x1 <= x0 || y1 <= y0) return {};
    const Matrix inv = adjugate(squareToQuad(quad_));
    RasterImage out(x1 - x0, y1 - y0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double w = inv[6] * px + inv[7] * py + inv[8];
            if (w == 0) continue;
            const double u = (inv[0] * px + inv[1] * py + inv[2]) / w;
            const double v = (inv[3] * px + inv[4] * py + inv[5]) / w;
            if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
            out.at(x - x0, y - y0) = sampleBilinear(picture_, u * picture_.width() - 0.5,
                                                    v * picture_.height() - 0.5, 0);
        }
    return {std::move(out), x0, y0};
}

} // namespace zx
