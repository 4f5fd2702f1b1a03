#include "imaging/SimilarityTransform.h"

#include "imaging/PixelChannels.h"

#include <array>
#include <cmath>

namespace zx {

namespace {

double distance(PointF a, PointF b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

double direction(PointF a, PointF b) {
    return std::atan2(b.y - a.y, b.x - a.x);
}

// The picture's pixel, or `fill` outside it.
uint32_t pixelOr(const RasterImage& picture, int x, int y, uint32_t fill) {
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height()) return fill;
    return picture.at(x, y);
}

} // namespace

uint32_t sampleBilinear(const RasterImage& picture, double x, double y, uint32_t fill) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    if (fx == 0 && fy == 0) return pixelOr(picture, x0, y0, fill); // whole-pixel moves copy
    const std::array<uint32_t, 4> p = {
        pixelOr(picture, x0, y0, fill), pixelOr(picture, x0 + 1, y0, fill),
        pixelOr(picture, x0, y0 + 1, fill), pixelOr(picture, x0 + 1, y0 + 1, fill)};
    const std::array<double, 4> w = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    double a = 0, r = 0, g = 0, b = 0;
    for (size_t i = 0; i < 4; ++i) {
        const double wa = w[i] * alphaOf(p[i]);
        a += wa;
        r += wa * redOf(p[i]), g += wa * greenOf(p[i]), b += wa * blueOf(p[i]);
    }
    if (a <= 0) return fill;
    return makePixel(int(std::lround(a)), int(std::lround(r / a)), int(std::lround(g / a)),
                     int(std::lround(b / a)));
}

PixelMap Similarity::map() const {
    const double c = scale * std::cos(angle), s = scale * std::sin(angle);
    PixelMap m;
    m.xx = c, m.xy = -s, m.yx = s, m.yy = c;
    m.dx = centre.x + shift.x - (c * centre.x - s * centre.y);
    m.dy = centre.y + shift.y - (s * centre.x + c * centre.y);
    return m;
}

std::optional<Similarity> similarityFromPairs(PointF from1, PointF from2, PointF to1, PointF to2,
                                              PointF centre, double minDistance) {
    const double d = distance(from1, from2), e = distance(to1, to2);
    if (d < minDistance || e < minDistance) return std::nullopt;
    Similarity s;
    s.scale = e / d;
    s.angle = direction(to1, to2) - direction(from1, from2);
    s.centre = centre;
    const PixelMap turned = s.map(); // no shift yet
    s.shift = {to1.x - turned.mapX(from1.x, from1.y), to1.y - turned.mapY(from1.x, from1.y)};
    return s;
}

PixelMap inverseMap(const PixelMap& m) {
    const double det = m.xx * m.yy - m.xy * m.yx;
    if (det == 0 || !std::isfinite(det)) return {};
    PixelMap inv;
    inv.xx = m.yy / det, inv.xy = -m.xy / det;
    inv.yx = -m.yx / det, inv.yy = m.xx / det;
    inv.dx = -(inv.xx * m.dx + inv.xy * m.dy);
    inv.dy = -(inv.yx * m.dx + inv.yy * m.dy);
    return inv;
}

RasterImage transformPicture(const RasterImage& picture, const PixelMap& map, int width, int height,
                             bool nearest, uint32_t fill) {
    RasterImage out(width, height, fill);
    const PixelMap back = inverseMap(map);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Where this pixel's centre comes from, in pixels of the picture.
            const double sx = back.mapX(x + 0.5, y + 0.5), sy = back.mapY(x + 0.5, y + 0.5);
            out.at(x, y) = nearest
                               ? pixelOr(picture, int(std::floor(sx)), int(std::floor(sy)), fill)
                               : sampleBilinear(picture, sx - 0.5, sy - 0.5, fill);
        }
    return out;
}

} // namespace zx
