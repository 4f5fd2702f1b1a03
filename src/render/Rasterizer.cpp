#include "render/Rasterizer.h"

#include "render/PixelMath.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zx {

namespace {

constexpr double kNoSlope = 1e9;

inline uint32_t texelAt(const RasterImage& t, int x, int y) {
    return t.pixels()[size_t(y) * size_t(t.width()) + size_t(x)];
}

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

inline bool finite3(const Vec3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
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
inline uint32_t sampleAt(const RasterImage& texture, int j, int k, double fx, double fy) {
    const int w = texture.width(), h = texture.height();
    const uint32_t* px = texture.pixels();
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
    if (f < 1e-5) {
        f = 0;
    } else if (f > 1 - 1e-5) {
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
    out = sampleAt(texture, j, k, u - j, v - k);
    return true;
}

namespace {

template <bool Preview> bool fillTriangle(const TriangleRaster& tri, CancelFlag cancel) {
    RasterImage* target = tri.colour;
    DepthRaster* depth = tri.depth;
    if (!target || !depth) return true;
    const int width = std::min(target->width(), depth->width());
    const int height = std::min(target->height(), depth->height());
    if (width <= 0 || height <= 0) return true;
    for (const Vec3& p : tri.screen)
        if (!finite3(p)) return true; // a vertex that does not exist draws nothing

    const bool solid = tri.solidColour != kTexturedTriangle;
    const RasterImage* texture = tri.texture;
    if (!solid && (!texture || texture->empty() || texture->isDescriptor()))
        return true; // nothing to sample: every pixel would be skipped
    const int step = Preview ? std::max(1, tri.step) : 1;

    const Vec3 &p0 = tri.screen[0], &p1 = tri.screen[1], &p2 = tri.screen[2];
    // Depths far beyond ±32767 cannot be stored; keep them in range.
    const double z0 = std::clamp(p0.z, -32767.0, 32767.0);
    const double z1 = std::clamp(p1.z, -32767.0, 32767.0);
    const double z2 = std::clamp(p2.z, -32767.0, 32767.0);

    // Barycentric weights from the exact vertices.
    const double d = (p2.x - p0.x) * (p1.y - p0.y) - (p2.y - p0.y) * (p1.x - p0.x);
    const bool degenerate = !(std::fabs(d) >= 1e-9);
    const double invD = degenerate ? 0.0 : 1.0 / d;
    const double a1 = -(p2.y - p0.y) * invD, b1 = (p2.x - p0.x) * invD;
    const double a2 = (p1.y - p0.y) * invD, b2 = -(p1.x - p0.x) * invD;

    // Spans from the rounded vertices.
    const int X0 = roundCoord(p0.x), Y0 = roundCoord(p0.y);
    const int X1 = roundCoord(p1.x), Y1 = roundCoord(p1.y);
    const int X2 = roundCoord(p2.x), Y2 = roundCoord(p2.y);
    const double slope01 = slopeOf(X1 - X0, Y1 - Y0);
    const double slope02 = slopeOf(X2 - X0, Y2 - Y0);
    const double slope12 = slopeOf(X2 - X1, Y2 - Y1);

    int rowFirst = std::max(Y0, 0), rowLast = std::min(Y2, height - 1);
    int colMin = 0, colMax = width - 1;
    if constexpr (Preview) {
        rowFirst = std::max(rowFirst, tri.clip.top);
        rowLast = std::min(rowLast, tri.clip.bottom - 1);
        colMin = std::max(colMin, tri.clip.left);
        colMax = std::min(colMax, tri.clip.right - 1);
        rowFirst -= rowFirst % step;
        if (rowFirst < std::max(0, tri.clip.top)) rowFirst += step;
    }
    if (rowFirst > rowLast || colMin > colMax) return true;

    // Texture coordinates as affine functions of l1 and l2.
    const double u0 = tri.tex[0].u, v0 = tri.tex[0].v;
    const double du1 = tri.tex[1].u - u0, du2 = tri.tex[2].u - u0;
    const double dv1 = tri.tex[1].v - v0, dv2 = tri.tex[2].v - v0;
    const int texW = solid ? 0 : texture->width();
    const int texH = solid ? 0 : texture->height();
    const bool filtered = tri.filtered != 0;
    EdgeMask* mask = (filtered && tri.edgeMask && tri.edgeMask->width() >= width &&
                      tri.edgeMask->height() >= height)
                         ? tri.edgeMask
                         : nullptr;
    const int maskStride = mask ? mask->width() : 0;

    const bool smooth = tri.smooth != 0;
    const Vec3 &n0 = tri.normals[0], &n1 = tri.normals[1], &n2 = tri.normals[2];
    const Vec3 meanNormal{(n0.x + n1.x + n2.x) / 3, (n0.y + n1.y + n2.y) / 3,
                          (n0.z + n1.z + n2.z) / 3};
    const Vec3& L = tri.light;
    const double lightLen = std::sqrt(L.x * L.x + L.y * L.y + L.z * L.z);
    // The face normal stands in for the vertex normals when they are not interpolated.
    Vec3 face{(p1.y - p0.y) * (p2.z - p0.z) - (p1.z - p0.z) * (p2.y - p0.y),
              (p1.z - p0.z) * (p2.x - p0.x) - (p1.x - p0.x) * (p2.z - p0.z),
              (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x)};
    int32_t faceMaskWeight = 0;
    {
        const double len = std::sqrt(face.x * face.x + face.y * face.y + face.z * face.z);
        const double n = len < 1e-9 ? 1.0 : std::fabs(face.z) / len;
        faceMaskWeight = n < 0.25 ? int32_t((0.25 - n) * 1020) : 0;
    }

    const bool flatShade = !smooth && (tri.brightness + tri.intensity) != 0;
    const int32_t flatOffset = flatShade ? tri.brightness + int32_t(tri.intensity) : 0;
    const uint32_t solidPixel = tri.solidColour | 0xFF000000u;
    const int32_t opacity = tri.opacity;

    uint32_t* colourBase = target->pixels();
    int32_t* depthBase = depth->entries();
    const int colourStride = target->width();
    const int depthStride = depth->width();

    for (int y = rowFirst; y <= rowLast; y += step) {
        if constexpr (!Preview) {
            if (isCancelled(cancel)) return false;
        }
        const int e = y - Y0;
        int xa, xb;
        if (e == 0 && slope01 == kNoSlope) {
            // Flat top: the first row runs between the two top vertices (and the third
            // when all three share the row).
            xa = std::min(X0, X1);
            xb = std::max(X0, X1);
            if (slope02 == kNoSlope) {
                xa = std::min(xa, X2);
                xb = std::max(xb, X2);
            }
        } else {
            xa = slope02 == kNoSlope ? X0 : spanX(X0, e, slope02);
            if (e > Y1 - Y0)
                xb = slope12 == kNoSlope ? X1 : spanX(X1, e - (Y1 - Y0), slope12);
            else
                xb = slope01 == kNoSlope ? X0 : spanX(X0, e, slope01);
        }
        if (xa > xb) std::swap(xa, xb);
        const int spanFirst = xa, spanLast = xb;
        const bool borderRow = y == Y0 || y == Y2;
        const bool lastRow = y == Y2;
        int xStart = std::max(xa, colMin), xEnd = std::min(xb, colMax);
        if constexpr (Preview) {
            xStart -= xStart % step;
            if (xStart < colMin) xStart += step;
        }
        if (xStart > xEnd) continue;
        depth->noteSpan(y, xStart, xEnd);

        const double ey = double(y) - p0.y;
        const double l1Row = b1 * ey, l2Row = b2 * ey;
        uint32_t* crow = colourBase + size_t(y) * size_t(colourStride);
        int32_t* drow = depthBase + size_t(y) * size_t(depthStride);
        uint8_t* mrow = mask ? mask->weights() + size_t(y) * size_t(maskStride) : nullptr;

        for (int x = xStart; x <= xEnd; x += step) {
            double l1 = 0, l2 = 0;
            if (!degenerate) {
                const double ex = double(x) - p0.x;
                l1 = a1 * ex + l1Row;
                l2 = a2 * ex + l2Row;
                if (l1 < -3 || l1 > 4 || l2 < -3 || l2 > 4) l1 = l2 = 0.5;
            }
            const double l0 = 1.0 - l1 - l2;
            const bool border = borderRow || x == spanFirst || x == spanLast;

            // Bounded weights and depths can still reach past an int; keep them inside.
            const double zf =
                std::clamp((l1 * z1 + l0 * z0 + l2 * z2) * 65536.0, -2147418112.0, 2147418112.0);
            const int32_t z = (zf > 0 ? int32_t(zf + 0.5) : int32_t(zf - 0.49999)) & ~1;
            const int32_t storedEntry = drow[x];
            const int32_t S = storedEntry & ~1;
            const uint32_t storedPixel = crow[x];
            bool behind = false;
            if (z < S) {
                if (alphaOf(storedPixel) == 255) continue;
                behind = true;
            }

            uint32_t pixel;
            if (solid) {
                pixel = solidPixel;
            } else {
                const double u = l2 * du2 + l1 * du1 + u0;
                const double v = l2 * dv2 + l1 * dv1 + v0;
                if (!(u >= -1.0 && u < double(texW) && v >= -1.0 && v < double(texH))) continue;
                double fx, fy;
                const int j = texelIndex(u, fx), k = texelIndex(v, fy);
                if (j >= texW || k >= texH) continue; // snapped up past the last texel
                if (!filtered) {
                    if (j < 0 || k < 0) continue;
                    pixel = texelAt(*texture, j, k);
                } else {
                    pixel = sampleAt(*texture, j, k, fx, fy);
                }
            }

            // Opacity.
            const int32_t a = int32_t(alphaOf(pixel)) * opacity;
            if (a < 256) continue;
            pixel = (pixel & 0x00FFFFFFu) | (uint32_t((a % 65536) / 256) << 24);

            // Shading.
            double nx = face.x, ny = face.y, nz = face.z;
            int32_t maskWeight = faceMaskWeight;
            if (smooth) {
                if (l1 >= -2 && l1 <= 3 && l2 >= -2 && l2 <= 3) {
                    nx = l2 * n2.x + l0 * n0.x + l1 * n1.x;
                    ny = l2 * n2.y + l0 * n0.y + l1 * n1.y;
                    nz = l2 * n2.z + l0 * n0.z + l1 * n1.z;
                } else {
                    nx = meanNormal.x, ny = meanNormal.y, nz = meanNormal.z;
                }
                const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
                if (tri.intensity != 0) {
                    const double lenProduct = len * lightLen;
                    double c =
                        lenProduct < 1e-9 ? 1.0 : (nx * L.x + ny * L.y + nz * L.z) / lenProduct;
                    int32_t highlightOffset = 0;
                    if (c >= 0) {
                        if (tri.specular != 0)
                            highlightOffset = int32_t(std::pow(c, 50) * tri.specular);
                    } else {
                        c *= tri.backLight;
                    }
                    const int32_t offset = highlightOffset +
                                           int32_t(tri.intensity * (tri.ambient + std::fabs(c))) +
                                           tri.brightness;
                    if (offset != 0) pixel = addToChannels(pixel, offset);
                } else if (tri.brightness != 0) {
                    pixel = addToChannels(pixel, tri.brightness);
                }
                if (mrow) {
                    const double n = len < 1e-9 ? 1.0 : std::fabs(nz) / len;
                    maskWeight = n < 0.25 ? int32_t((0.25 - n) * 1020) : 0;
                }
            } else if (flatShade) {
                pixel = addToChannels(pixel, flatOffset);
            }

            const bool seam = (storedEntry & 1) && border && std::abs(int64_t(z) - S) <= 16384;

            if (mrow && (maskWeight != 0 || !behind)) mrow[x] = uint8_t(maskWeight);

            if (seam) {
                drow[x] = storedEntry | 1;
                continue;
            }
            if (!behind) {
                crow[x] = blendOver(storedPixel, pixel);
                drow[x] = z | (storedEntry & 1) | (border ? 1 : 0);
            } else {
                if (!lastRow && x != spanLast) crow[x] = blendUnder(storedPixel, pixel);
                drow[x] = storedEntry | (border ? 1 : 0);
            }
        }
    }
    return true;
}

} // namespace

bool rasterizeTriangle(const TriangleRaster& tri, CancelFlag cancel) {
    return fillTriangle<false>(tri, cancel);
}

void rasterizeTrianglePreview(const TriangleRaster& tri) {
    fillTriangle<true>(tri, nullptr);
}

} // namespace zx
