#include "render/Rasterizer.h"

#include "render/PixelMath.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zx {

namespace {

// The slope of a horizontal edge (dy = 0), which no row walks.
constexpr double kNoSlope = 1e9;
// Texture coordinates this close to an integer are taken as that integer.
constexpr double kTexelSnap = 1e-5;

inline uint32_t lerpChannel(uint32_t a, uint32_t b, double f) {
    return uint32_t(double(a) + (double(b) - double(a)) * f);
}

inline uint32_t lerpPixel(uint32_t a, uint32_t b, double f) {
    if (a == b) return a;
    return makePixel(lerpChannel(alphaOf(a), alphaOf(b), f), lerpChannel(redOf(a), redOf(b), f),
                     lerpChannel(greenOf(a), greenOf(b), f), lerpChannel(blueOf(a), blueOf(b), f));
}

inline uint32_t withRgbOf(uint32_t alphaSource, uint32_t rgbSource) {
    return (alphaSource & 0xFF000000u) | (rgbSource & 0x00FFFFFFu);
}

// Floor of a value already known to lie in [-1, 2^31).
inline int floorIndex(double x) {
    const int i = int(x);
    return x < 0 && double(i) != x ? i - 1 : i;
}

inline double slopeOf(int dx, int dy) {
    return dy == 0 ? kNoSlope : double(dx) / double(dy);
}

// X of a span end: start + truncate(e × slope), limited so that far-away vertices
// never overflow the integer conversion.
inline int spanX(int start, int e, double slope) {
    const double x = double(start) + std::trunc(double(e) * slope);
    return int(std::clamp(x, -1073741824.0, 1073741824.0));
}

inline int32_t roundCoord(double x) {
    // Coordinates far outside any raster act as if they were at ±2^28, which keeps
    // every difference of two of them inside an int.
    return roundPixel(std::clamp(x, -268435456.0, 268435456.0));
}

} // namespace

namespace {

// The general case: transparent neighbours must not bleed black into the result.
uint32_t blendWithAlpha(uint32_t A, uint32_t B, uint32_t C, uint32_t D, double fx, double fy) {
    if (alphaOf(A) == 0) {
        if (alphaOf(B) == 0 && alphaOf(C) == 0 && alphaOf(D) == 0) return 0;
        A = withRgbOf(A, B);
    } else if (alphaOf(B) == 0) {
        B = withRgbOf(B, A);
    }
    if (alphaOf(C) == 0)
        C = withRgbOf(C, D);
    else if (alphaOf(D) == 0)
        D = withRgbOf(D, C);
    uint32_t top = lerpPixel(A, B, fx);
    uint32_t bottom = lerpPixel(C, D, fx);
    if (alphaOf(top) == 0)
        top = withRgbOf(top, bottom);
    else if (alphaOf(bottom) == 0)
        bottom = withRgbOf(bottom, top);
    return lerpPixel(top, bottom, fy);
}

#if defined(__SSE2__)
// Four channels as doubles, blue and green in `lo`, red and alpha in `hi`.
struct Channels {
    __m128d lo, hi;
};
inline Channels unpackPixel(uint32_t p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(p)), zero), zero);
    return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_shuffle_epi32(v, 0x4E))};
}
// a + (b − a) × f per channel, truncated toward zero (as integers in doubles).
inline Channels lerpTruncated(const Channels& a, const Channels& b, __m128d f) {
    const __m128d lo = _mm_add_pd(a.lo, _mm_mul_pd(_mm_sub_pd(b.lo, a.lo), f));
    const __m128d hi = _mm_add_pd(a.hi, _mm_mul_pd(_mm_sub_pd(b.hi, a.hi), f));
    return {_mm_cvtepi32_pd(_mm_cvttpd_epi32(lo)), _mm_cvtepi32_pd(_mm_cvttpd_epi32(hi))};
}
inline uint32_t packPixel(const Channels& c) {
    const __m128i v = _mm_unpacklo_epi64(_mm_cvttpd_epi32(c.lo), _mm_cvttpd_epi32(c.hi));
    const __m128i w = _mm_packs_epi32(v, v);
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(w, w)));
}
#endif

// Four opaque texels: the two-step truncated blend without the alpha rules.
inline uint32_t blendOpaque(uint32_t A, uint32_t B, uint32_t C, uint32_t D, double fx, double fy) {
#if defined(__SSE2__)
    const __m128d vx = _mm_set1_pd(fx), vy = _mm_set1_pd(fy);
    const Channels top = lerpTruncated(unpackPixel(A), unpackPixel(B), vx);
    const Channels bottom = lerpTruncated(unpackPixel(C), unpackPixel(D), vx);
    return packPixel(lerpTruncated(top, bottom, vy));
#else
    return lerpPixel(lerpPixel(A, B, fx), lerpPixel(C, D, fx), fy);
#endif
}

// The alpha-aware bilinear sample at texel (j, k) with fractions (fx, fy); j in
// [−1, width), k in [−1, height).
inline uint32_t sampleAt(const uint32_t* px, int w, int h, int j, int k, double fx, double fy) {
    const size_t stride = size_t(w);
    if (j >= 0 && k >= 0 && j < w - 1 && k < h - 1) {
        const uint32_t* p = px + size_t(k) * stride + size_t(j);
        const uint32_t A = p[0], B = p[1], C = p[stride], D = p[stride + 1];
        if (fx == 0 && fy == 0 && alphaOf(A) != 0) return A;
        if ((A & B & C & D) >= 0xFF000000u) return blendOpaque(A, B, C, D, fx, fy);
        return blendWithAlpha(A, B, C, D, fx, fy);
    }
    // At the texture's border the missing neighbours read as transparent.
    uint32_t A = 0, B = 0, C = 0, D = 0;
    const bool left = j >= 0, right = j < w - 1, up = k >= 0, down = k < h - 1;
    if (left && up) A = px[size_t(k) * stride + size_t(j)];
    if (right && up) B = px[size_t(k) * stride + size_t(j + 1)];
    if (left && down) C = px[size_t(k + 1) * stride + size_t(j)];
    if (right && down) D = px[size_t(k + 1) * stride + size_t(j + 1)];
    return blendWithAlpha(A, B, C, D, fx, fy);
}

// Texel index and fraction of a coordinate known to lie in [−1, size). Coordinates
// interpolated from integer vertices land a rounding error (or the normals' vertex
// jitter, up to 1e-6) away from the integer they stand for; snapping them keeps an
// unmoved mesh sampling exactly the texels under it rather than a truncated blend
// with the texel beside.
inline int texelIndex(double u, double& fraction) {
    int j = int(u);
    if (u < 0 && double(j) != u) --j;
    double f = u - j;
    if (f < kTexelSnap) {
        f = 0;
    } else if (f > 1 - kTexelSnap) {
        ++j;
        f = 0;
    }
    fraction = f;
    return j;
}

} // namespace

bool sampleBilinear(const RasterImage& texture, double u, double v, uint32_t& out) {
    const int w = texture.width(), h = texture.height();
    if (!(u >= -1.0 && u < double(w) && v >= -1.0 && v < double(h))) return false;
    const int j = floorIndex(u), k = floorIndex(v);
    out = sampleAt(texture.pixels(), w, h, j, k, u - j, v - k);
    return true;
}

namespace {

// ---------------------------------------------------------------- the filler
//
// Scan-line rasterisation with barycentric interpolation. The triangle set-up
// derives, once per triangle, the barycentric weights l1 and l2 as affine functions
// of the pixel position (from the exact vertices), the edge slopes (from the rounded
// vertices), the rows and columns to visit, the texture coordinates as affine
// functions of the weights, and what of the shading is constant over the face. Then,
// row by row:
//   span set-up    the row's first and last pixel from the edge slopes;
//   depth test     the interpolated depth against the stored one: behind an opaque
//                  pixel nothing is drawn, behind a translucent one the new pixel
//                  goes under it;
//   texel sampling nearest or alpha-aware bilinear, then the opacity;
//   shading        the interpolated normal lit by the light (ambient, diffuse as
//                  |cos|, a specular highlight, the back light on the far side), or
//                  a flat offset; and the edge-mask weight of a surface seen edge-on;
//   store          the seam rule, blending over or under, the depth and edge flag.

// Weights this far outside 0 … 1 come from a pixel well off the triangle (spans run
// between rounded vertices, weights come from the exact ones, and a sliver amplifies
// the difference); such a pixel takes the middle of the triangle instead.
constexpr double kWeightMin = -3, kWeightMax = 4;
// Beyond these weights the interpolated normal is not trusted: the mean normal serves.
constexpr double kNormalWeightMin = -2, kNormalWeightMax = 3;
// Areas and lengths below this count as zero.
constexpr double kTiny = 1e-9;

// Depths far beyond this cannot be stored in an entry.
constexpr double kDepthLimit = 32767;
// An entry holds the depth × 65536 in bits 31..1 (DepthRaster).
constexpr double kDepthScale = 65536;
constexpr double kEntryLimit = 2147418112.0;
// Border pixels whose depths differ by at most a quarter of a unit lie on a seam
// between two triangles of one object.
constexpr int64_t kSeamTolerance = 16384;

// Shading: the exponent of the specular highlight (cos^50 of the angle to the light).
constexpr double kSpecularExponent = 50;
// A surface whose normal leans further than this from the view axis (|n.z| / |n|
// below it) is seen nearly edge-on and gets an edge-mask weight, rising to 255 when
// seen exactly edge-on.
constexpr double kEdgeOnLimit = 0.25;
constexpr double kEdgeWeightPerUnit = 255 / kEdgeOnLimit;

#define ZX_STAGE [[gnu::always_inline]] inline

// The edges walked from the rounded vertices.
struct EdgeWalk {
    int x0, y0, x1, y1, x2, y2;
    double slope01, slope02, slope12;
};

// Barycentric weights of a pixel: l1 = a1 (x − x0) + b1 (y − y0), l2 likewise.
struct WeightPlane {
    double x0, y0;
    double a1, b1, a2, b2;
    bool degenerate;
};

struct TextureMap {
    const uint32_t* texels;            // width × height, row by row
    double u0, v0, du1, du2, dv1, dv2; // u = u0 + l1 du1 + l2 du2, v likewise
    int width, height;
    bool filtered;
    bool solid;
    uint32_t solidPixel;
};

struct Shading {
    bool smooth, flatShade;
    int32_t flatOffset;
    Vec3 n0, n1, n2, meanNormal;
    int32_t faceMaskWeight;
    Vec3 light;
    double lightLength;
    double intensity, specular, backLight, ambient;
    int32_t brightness;
};

struct TriangleSetup {
    WeightPlane weights;
    EdgeWalk edges;
    double z0, z1, z2;
    int rowFirst, rowLast, colMin, colMax, step;
    TextureMap map;
    int32_t opacity; // 0 … 256
    Shading shading;
    EdgeMask* mask;
    uint32_t highlight; // outline colour of a highlighted triangle (preview), else 0
};

ZX_STAGE int32_t edgeMaskWeight(double nz, double length) {
    const double n = length < kTiny ? 1.0 : std::fabs(nz) / length;
    return n < kEdgeOnLimit ? int32_t((kEdgeOnLimit - n) * kEdgeWeightPerUnit) : 0;
}

ZX_STAGE void setUpEdges(const TriangleRaster& tri, EdgeWalk& w) {
    const Vec3 &p0 = tri.screen[0], &p1 = tri.screen[1], &p2 = tri.screen[2];
    w.x0 = roundCoord(p0.x), w.y0 = roundCoord(p0.y);
    w.x1 = roundCoord(p1.x), w.y1 = roundCoord(p1.y);
    w.x2 = roundCoord(p2.x), w.y2 = roundCoord(p2.y);
    w.slope01 = slopeOf(w.x1 - w.x0, w.y1 - w.y0);
    w.slope02 = slopeOf(w.x2 - w.x0, w.y2 - w.y0);
    w.slope12 = slopeOf(w.x2 - w.x1, w.y2 - w.y1);
}

ZX_STAGE void setUpWeights(const TriangleRaster& tri, WeightPlane& w) {
    const Vec3 &p0 = tri.screen[0], &p1 = tri.screen[1], &p2 = tri.screen[2];
    const double d = (p2.x - p0.x) * (p1.y - p0.y) - (p2.y - p0.y) * (p1.x - p0.x);
    w.degenerate = !(std::fabs(d) >= kTiny);
    const double invD = w.degenerate ? 0.0 : 1.0 / d;
    w.x0 = p0.x, w.y0 = p0.y;
    w.a1 = -(p2.y - p0.y) * invD, w.b1 = (p2.x - p0.x) * invD;
    w.a2 = (p1.y - p0.y) * invD, w.b2 = -(p1.x - p0.x) * invD;
}

ZX_STAGE void setUpTexture(const TriangleRaster& tri, bool solid, TextureMap& m) {
    m.texels = solid ? nullptr : tri.texture->pixels();
    m.solid = solid;
    m.solidPixel = tri.solidColour | 0xFF000000u;
    m.u0 = tri.tex[0].u, m.v0 = tri.tex[0].v;
    m.du1 = tri.tex[1].u - m.u0, m.du2 = tri.tex[2].u - m.u0;
    m.dv1 = tri.tex[1].v - m.v0, m.dv2 = tri.tex[2].v - m.v0;
    m.width = solid ? 0 : tri.texture->width();
    m.height = solid ? 0 : tri.texture->height();
    m.filtered = tri.filtered != 0;
}

ZX_STAGE void setUpShading(const TriangleRaster& tri, Shading& s) {
    const Vec3 &p0 = tri.screen[0], &p1 = tri.screen[1], &p2 = tri.screen[2];
    s.smooth = tri.smooth != 0;
    s.n0 = tri.normals[0], s.n1 = tri.normals[1], s.n2 = tri.normals[2];
    s.meanNormal = {(s.n0.x + s.n1.x + s.n2.x) / 3, (s.n0.y + s.n1.y + s.n2.y) / 3,
                    (s.n0.z + s.n1.z + s.n2.z) / 3};
    s.light = tri.light;
    s.lightLength = length(tri.light);
    // The face normal stands in for the vertex normals when they are not interpolated.
    const Vec3 face = cross(p1 - p0, p2 - p0);
    s.faceMaskWeight = edgeMaskWeight(face.z, length(face));
    s.flatShade = !s.smooth && (tri.brightness + tri.intensity) != 0;
    s.flatOffset = s.flatShade ? tri.brightness + int32_t(tri.intensity) : 0;
    s.intensity = tri.intensity;
    s.specular = tri.specular;
    s.backLight = tri.backLight;
    s.ambient = tri.ambient;
    s.brightness = tri.brightness;
}

// Everything constant over the triangle. False when it draws nothing.
template <bool Preview> ZX_STAGE bool setUpTriangle(const TriangleRaster& tri, TriangleSetup& s) {
    if (!tri.colour || !tri.depth) return false;
    const int width = std::min(tri.colour->width(), tri.depth->width());
    const int height = std::min(tri.colour->height(), tri.depth->height());
    if (width <= 0 || height <= 0) return false;
    for (const Vec3& p : tri.screen)
        if (!isFinite(p)) return false; // a vertex that does not exist draws nothing
    const bool solid = tri.solidColour != kTexturedTriangle;
    const RasterImage* texture = tri.texture;
    if (!solid && (!texture || texture->empty() || texture->isDescriptor()))
        return false; // nothing to sample: every pixel would be skipped

    s.step = Preview ? std::max(1, tri.step) : 1;
    s.z0 = std::clamp(tri.screen[0].z, -kDepthLimit, kDepthLimit);
    s.z1 = std::clamp(tri.screen[1].z, -kDepthLimit, kDepthLimit);
    s.z2 = std::clamp(tri.screen[2].z, -kDepthLimit, kDepthLimit);
    setUpWeights(tri, s.weights);
    setUpEdges(tri, s.edges);

    s.rowFirst = std::max(s.edges.y0, 0), s.rowLast = std::min(s.edges.y2, height - 1);
    s.colMin = 0, s.colMax = width - 1;
    if constexpr (Preview) {
        s.rowFirst = std::max(s.rowFirst, tri.clip.top);
        s.rowLast = std::min(s.rowLast, tri.clip.bottom - 1);
        s.colMin = std::max(s.colMin, tri.clip.left);
        s.colMax = std::min(s.colMax, tri.clip.right - 1);
        s.rowFirst -= s.rowFirst % s.step;
        if (s.rowFirst < std::max(0, tri.clip.top)) s.rowFirst += s.step;
    }
    if (s.rowFirst > s.rowLast || s.colMin > s.colMax) return false;

    setUpTexture(tri, solid, s.map);
    s.opacity = tri.opacity;
    s.mask = (s.map.filtered && tri.edgeMask && tri.edgeMask->width() >= width &&
              tri.edgeMask->height() >= height)
                 ? tri.edgeMask
                 : nullptr;
    setUpShading(tri, s.shading);
    s.highlight = Preview ? tri.highlight : 0;
    return true;
}

struct Span {
    int first, last;
};

// The outline of a highlighted triangle: the first and last computed pixel of each
// row and the first and last computed row, so it shows at any pixel step.
ZX_STAGE bool onOutline(const TriangleSetup& s, const Span& span, int x, int y) {
    return y - s.step < s.edges.y0 || y + s.step > s.edges.y2 || x - s.step < span.first ||
           x + s.step > span.last;
}

// Span set-up: the row's extent between the long edge (0–2) and the short edges
// (0–1 above vertex 1, 1–2 below it).
ZX_STAGE Span spanOfRow(const EdgeWalk& w, int y) {
    const int e = y - w.y0;
    int xa, xb;
    if (e == 0 && w.slope01 == kNoSlope) {
        // Flat top: the first row runs between the two top vertices (and the third
        // when all three share the row).
        xa = std::min(w.x0, w.x1);
        xb = std::max(w.x0, w.x1);
        if (w.slope02 == kNoSlope) {
            xa = std::min(xa, w.x2);
            xb = std::max(xb, w.x2);
        }
    } else {
        xa = w.slope02 == kNoSlope ? w.x0 : spanX(w.x0, e, w.slope02);
        if (e > w.y1 - w.y0)
            xb = w.slope12 == kNoSlope ? w.x1 : spanX(w.x1, e - (w.y1 - w.y0), w.slope12);
        else
            xb = w.slope01 == kNoSlope ? w.x0 : spanX(w.x0, e, w.slope01);
    }
    if (xa > xb) std::swap(xa, xb);
    return {xa, xb};
}

// The weights at pixel x of a row whose y terms are l1Row, l2Row.
ZX_STAGE void weightsAt(const WeightPlane& w, double l1Row, double l2Row, int x, double& l1,
                        double& l2) {
    l1 = 0, l2 = 0;
    if (w.degenerate) return;
    const double ex = double(x) - w.x0;
    l1 = w.a1 * ex + l1Row;
    l2 = w.a2 * ex + l2Row;
    if (l1 < kWeightMin || l1 > kWeightMax || l2 < kWeightMin || l2 > kWeightMax) l1 = l2 = 0.5;
}

// Depth test, first half: the entry the pixel would store (its depth, edge flag clear).
ZX_STAGE int32_t depthEntry(const TriangleSetup& s, double l0, double l1, double l2) {
    // Bounded weights and depths can still reach past an int; keep them inside.
    const double zf =
        std::clamp((l1 * s.z1 + l0 * s.z0 + l2 * s.z2) * kDepthScale, -kEntryLimit, kEntryLimit);
    return (zf > 0 ? int32_t(zf + 0.5) : int32_t(zf - 0.49999)) & ~1;
}

// Texel sampling: the pixel's colour, false when it lies outside the texture.
ZX_STAGE bool sampleTexel(const TextureMap& m, double l1, double l2, uint32_t& pixel) {
    if (m.solid) {
        pixel = m.solidPixel;
        return true;
    }
    const double u = l2 * m.du2 + l1 * m.du1 + m.u0;
    const double v = l2 * m.dv2 + l1 * m.dv1 + m.v0;
    if (!(u >= -1.0 && u < double(m.width) && v >= -1.0 && v < double(m.height))) return false;
    double fx, fy;
    const int j = texelIndex(u, fx), k = texelIndex(v, fy);
    if (j >= m.width || k >= m.height) return false; // snapped up past the last texel
    if (!m.filtered) {
        if (j < 0 || k < 0) return false;
        pixel = m.texels[size_t(k) * size_t(m.width) + size_t(j)];
    } else {
        pixel = sampleAt(m.texels, m.width, m.height, j, k, fx, fy);
    }
    return true;
}

// The triangle's opacity (0 … 256) scales the alpha; false when nothing is left.
ZX_STAGE bool applyOpacity(uint32_t& pixel, int32_t opacity) {
    const int32_t a = int32_t(alphaOf(pixel)) * opacity;
    if (a < 256) return false;
    pixel = (pixel & 0x00FFFFFFu) | (uint32_t((a % 65536) / 256) << 24);
    return true;
}

// The brightness offset of the light on a surface with normal n (length `len`).
ZX_STAGE int32_t lightOffset(const Shading& s, const Vec3& n, double len) {
    const double lengths = len * s.lightLength;
    double c = lengths < kTiny ? 1.0 : dot(n, s.light) / lengths;
    int32_t highlight = 0;
    if (c >= 0) {
        if (s.specular != 0) highlight = int32_t(std::pow(c, kSpecularExponent) * s.specular);
    } else {
        c *= s.backLight;
    }
    return highlight + int32_t(s.intensity * (s.ambient + std::fabs(c))) + s.brightness;
}

// Shading: the lit pixel; `maskWeight` receives the edge-mask weight when `wantMask`.
ZX_STAGE uint32_t shadePixel(const Shading& s, double l0, double l1, double l2, uint32_t pixel,
                             bool wantMask, int32_t& maskWeight) {
    maskWeight = s.faceMaskWeight;
    if (!s.smooth) return s.flatShade ? addToChannels(pixel, s.flatOffset) : pixel;
    Vec3 n = s.meanNormal;
    if (l1 >= kNormalWeightMin && l1 <= kNormalWeightMax && l2 >= kNormalWeightMin &&
        l2 <= kNormalWeightMax) {
        n = {l2 * s.n2.x + l0 * s.n0.x + l1 * s.n1.x, l2 * s.n2.y + l0 * s.n0.y + l1 * s.n1.y,
             l2 * s.n2.z + l0 * s.n0.z + l1 * s.n1.z};
    }
    const double len = length(n);
    if (s.intensity != 0) {
        const int32_t offset = lightOffset(s, n, len);
        if (offset != 0) pixel = addToChannels(pixel, offset);
    } else if (s.brightness != 0) {
        pixel = addToChannels(pixel, s.brightness);
    }
    if (wantMask) maskWeight = edgeMaskWeight(n.z, len);
    return pixel;
}

// Store: a border pixel on the seam of two triangles of one object keeps the first
// one's colour; a pixel in front is blended over the stored one and takes its depth;
// one behind goes under it (except on the last row and column, which the next
// triangle draws) and leaves the depth.
ZX_STAGE void storePixel(uint32_t& colour, int32_t& entry, uint32_t storedPixel,
                         int32_t storedEntry, uint32_t pixel, int32_t z, bool behind, bool border,
                         bool lastRow, bool lastColumn) {
    const int64_t storedDepth = storedEntry & ~1;
    if ((storedEntry & 1) && border && std::abs(int64_t(z) - storedDepth) <= kSeamTolerance) {
        entry = storedEntry | 1;
        return;
    }
    if (!behind) {
        colour = blendOver(storedPixel, pixel);
        entry = z | (storedEntry & 1) | (border ? 1 : 0);
    } else {
        if (!lastRow && !lastColumn) colour = blendUnder(storedPixel, pixel);
        entry = storedEntry | (border ? 1 : 0);
    }
}

template <bool Preview> bool fillTriangle(const TriangleRaster& tri, CancelFlag cancel) {
    TriangleSetup s;
    if (!setUpTriangle<Preview>(tri, s)) return true;
    const int step = s.step;
    uint32_t* colourBase = tri.colour->pixels();
    int32_t* depthBase = tri.depth->entries();
    const size_t colourStride = size_t(tri.colour->width());
    const size_t depthStride = size_t(tri.depth->width());
    const size_t maskStride = s.mask ? size_t(s.mask->width()) : 0;

    for (int y = s.rowFirst; y <= s.rowLast; y += step) {
        if constexpr (!Preview) {
            if (isCancelled(cancel)) return false;
        }
        const Span span = spanOfRow(s.edges, y);
        int xStart = std::max(span.first, s.colMin), xEnd = std::min(span.last, s.colMax);
        if constexpr (Preview) {
            xStart -= xStart % step;
            if (xStart < s.colMin) xStart += step;
        }
        if (xStart > xEnd) continue;
        tri.depth->noteSpan(y, xStart, xEnd);

        const bool borderRow = y == s.edges.y0 || y == s.edges.y2;
        const bool lastRow = y == s.edges.y2;
        const double ey = double(y) - s.weights.y0;
        const double l1Row = s.weights.b1 * ey, l2Row = s.weights.b2 * ey;
        uint32_t* crow = colourBase + size_t(y) * colourStride;
        int32_t* drow = depthBase + size_t(y) * depthStride;
        uint8_t* mrow = s.mask ? s.mask->weights() + size_t(y) * maskStride : nullptr;

        for (int x = xStart; x <= xEnd; x += step) {
            double l1, l2;
            weightsAt(s.weights, l1Row, l2Row, x, l1, l2);
            const double l0 = 1.0 - l1 - l2;
            const bool lastColumn = x == span.last;
            const bool border = borderRow || x == span.first || lastColumn;

            const int32_t z = depthEntry(s, l0, l1, l2);
            const int32_t storedEntry = drow[x];
            const uint32_t storedPixel = crow[x];
            bool behind = false;
            if (z < (storedEntry & ~1)) {
                if (alphaOf(storedPixel) == 255) continue;
                behind = true;
            }

            uint32_t pixel;
            if (s.highlight != 0 && onOutline(s, span, x, y)) {
                pixel = s.highlight | 0xFF000000u;
            } else {
                if (!sampleTexel(s.map, l1, l2, pixel)) continue;
                if (!applyOpacity(pixel, s.opacity)) continue;
                int32_t maskWeight;
                pixel = shadePixel(s.shading, l0, l1, l2, pixel, mrow != nullptr, maskWeight);
                if (mrow && (maskWeight != 0 || !behind)) mrow[x] = uint8_t(maskWeight);
            }

            storePixel(crow[x], drow[x], storedPixel, storedEntry, pixel, z, behind, border,
                       lastRow, lastColumn);
        }
    }
    return true;
}

#undef ZX_STAGE

} // namespace

bool rasterizeTriangle(const TriangleRaster& tri, CancelFlag cancel) {
    return fillTriangle<false>(tri, cancel);
}

void rasterizeTrianglePreview(const TriangleRaster& tri) {
    fillTriangle<true>(tri, nullptr);
}

} // namespace zx
