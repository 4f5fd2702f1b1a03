#pragma once
// Pixel and rounding arithmetic shared by the renderer's passes.

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zx {

// The program's rounding of a real to an integer pixel or depth. Values far outside
// any raster are clamped first so the conversion never overflows; NaN gives 0.
inline int32_t roundPixel(double x) {
    if (!(x == x)) return 0;
    x = std::clamp(x, -2147483000.0, 2147483000.0);
    return x > 0 ? int32_t(x + 0.5) : int32_t(x - 0.49999);
}

inline uint32_t alphaOf(uint32_t p) {
    return p >> 24;
}
inline uint32_t redOf(uint32_t p) {
    return (p >> 16) & 0xFF;
}
inline uint32_t greenOf(uint32_t p) {
    return (p >> 8) & 0xFF;
}
inline uint32_t blueOf(uint32_t p) {
    return p & 0xFF;
}
inline uint32_t makePixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// `top` goes over `bottom`: the bottom's alpha is reduced by what the top covers.
// When neither covers anything the bottom stays.
inline uint32_t blendOver(uint32_t bottom, uint32_t top) {
    const uint32_t q = alphaOf(top);
    if (q == 255) return top;
    const uint32_t pa = alphaOf(bottom);
    if (pa == 0) return q ? top : bottom;
    const uint32_t p = pa * (255 - q) / 255;
    const uint32_t sum = q + p;
    if (sum == 0) return bottom;
    return makePixel(sum, (redOf(bottom) * p + redOf(top) * q) / sum,
                     (greenOf(bottom) * p + greenOf(top) * q) / sum,
                     (blueOf(bottom) * p + blueOf(top) * q) / sum);
}

// `under` goes beneath `stored`: the stored alpha weighs fully, the new one only
// where the stored pixel lets it through. When neither covers anything the new
// pixel is written.
inline uint32_t blendUnder(uint32_t stored, uint32_t under) {
    const uint32_t pa = alphaOf(stored);
    const uint32_t q = alphaOf(under) * (255 - pa) / 255;
    const uint32_t sum = pa + q;
    if (sum == 0) return under;
    return makePixel(sum, (redOf(stored) * pa + redOf(under) * q) / sum,
                     (greenOf(stored) * pa + greenOf(under) * q) / sum,
                     (blueOf(stored) * pa + blueOf(under) * q) / sum);
}

inline int32_t clampChannel(int32_t v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Adds `offset` to red, green and blue, each limited to 0 … 255; alpha stays.
inline uint32_t addToChannels(uint32_t p, int32_t offset) {
#if defined(__SSE2__)
    // Saturating byte arithmetic is exactly the clamped sum.
    const uint32_t amount = uint32_t(std::min(offset < 0 ? -offset : offset, 255)) * 0x010101u;
    const __m128i v = _mm_cvtsi32_si128(int(p));
    const __m128i a = _mm_cvtsi32_si128(int(amount));
    return uint32_t(_mm_cvtsi128_si32(offset < 0 ? _mm_subs_epu8(v, a) : _mm_adds_epu8(v, a)));
#else
    return makePixel(alphaOf(p), uint32_t(clampChannel(int32_t(redOf(p)) + offset)),
                     uint32_t(clampChannel(int32_t(greenOf(p)) + offset)),
                     uint32_t(clampChannel(int32_t(blueOf(p)) + offset)));
#endif
}

} // namespace zx
