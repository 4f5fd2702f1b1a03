#include "storage/PackedImage.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zx {

namespace {

constexpr int kSide = 16;
constexpr int kPixels = kSide * kSide;
constexpr size_t kHeaderBytes = 8;
constexpr size_t kLargestBlock = 1 + 4 * kPixels;
// Writers store whole words where the payload has 3-byte items; the last store
// runs one byte past the block, so the output always keeps this much room.
constexpr size_t kSlack = 4;

enum BlockType : uint8_t {
    kFlat = 0,
    kTiny = 1,
    kSmall = 2,
    kRaw = 3,
    kOpaqueSmall = 4,
    kOpaqueRaw = 5,
    kClear = 6,
    kSameAsReference = 255,
};

// Total size of a block of each type, type byte included; 0 for unknown types.
constexpr size_t blockSize(uint8_t type) {
    switch (type) {
    case kFlat:
        return 5;
    case kTiny:
        return 1 + 4 + kPixels;
    case kSmall:
        return 1 + 4 + 3 * kPixels;
    case kRaw:
        return 1 + 4 * kPixels;
    case kOpaqueSmall:
        return 1 + 4 + 2 * kPixels;
    case kOpaqueRaw:
        return 1 + 1 + 3 * kPixels;
    case kClear:
        return 1;
    case kSameAsReference:
        return 1;
    default:
        return 0;
    }
}

inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void store32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}
inline void store16(uint8_t* p, uint16_t v) {
    std::memcpy(p, &v, 2);
}
inline uint32_t load24(const uint8_t* p) {
    return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

// Byte-wise minimum and maximum of the block's 256 pixels: in each result the
// bytes are B, G, R, A from the low end, as in a pixel.
struct Extent {
    uint32_t min;
    uint32_t max;
};

Extent extentOf(const uint32_t* block) {
#if defined(__SSE2__)
    __m128i lo = _mm_set1_epi8(char(0xFF));
    __m128i hi = _mm_setzero_si128();
    for (int i = 0; i < kPixels; i += 8) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i + 4));
        lo = _mm_min_epu8(lo, _mm_min_epu8(a, b));
        hi = _mm_max_epu8(hi, _mm_max_epu8(a, b));
    }
    lo = _mm_min_epu8(lo, _mm_shuffle_epi32(lo, _MM_SHUFFLE(1, 0, 3, 2)));
    lo = _mm_min_epu8(lo, _mm_shuffle_epi32(lo, _MM_SHUFFLE(2, 3, 0, 1)));
    hi = _mm_max_epu8(hi, _mm_shuffle_epi32(hi, _MM_SHUFFLE(1, 0, 3, 2)));
    hi = _mm_max_epu8(hi, _mm_shuffle_epi32(hi, _MM_SHUFFLE(2, 3, 0, 1)));
    return {uint32_t(_mm_cvtsi128_si32(lo)), uint32_t(_mm_cvtsi128_si32(hi))};
#else
    uint8_t lo[4] = {255, 255, 255, 255}, hi[4] = {0, 0, 0, 0};
    for (int i = 0; i < kPixels; ++i) {
        for (int c = 0; c < 4; ++c) {
            uint8_t v = uint8_t(block[i] >> (8 * c));
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
        }
    }
    return {load32(lo), load32(hi)};
#endif
}

// The type a block gets, in the order the format fixes: transparent first, then by
// whether alpha is constant, then by the widest channel range.
uint8_t chooseType(const Extent& e, bool allowClear) {
    if (allowClear && (e.max >> 24) == 0) return kClear;
    // max ≥ min in every byte, so the word subtraction never borrows across bytes.
    const uint32_t range = e.max - e.min;
    if ((range >> 24) == 0) {
        if (range == 0) return kFlat;
        return (range & 0x00E0E0E0u) ? kOpaqueRaw : kOpaqueSmall;
    }
    if ((range & 0xFCFCFCFCu) == 0) return kTiny;
    return (range & 0xC0C0C0C0u) ? kRaw : kSmall;
}

// Header of types 0, 1, 2 and 4: minA, minB, minG, minR.
inline void writeMinima(uint8_t* out, uint32_t min) {
    out[0] = uint8_t(min >> 24);
    out[1] = uint8_t(min);
    out[2] = uint8_t(min >> 8);
    out[3] = uint8_t(min >> 16);
}
inline uint32_t readMinima(const uint8_t* in) {
    return uint32_t(in[0]) << 24 | uint32_t(in[3]) << 16 | uint32_t(in[2]) << 8 | in[1];
}

// Writes one block (type byte and payload) at `out`; returns its size. `out` has
// room for the largest block plus kSlack.
size_t writeBlock(uint8_t* out, const uint32_t* block, bool allowClear) {
    const Extent e = extentOf(block);
    const uint8_t type = chooseType(e, allowClear);
    const uint32_t min = e.min;
    out[0] = type;
    uint8_t* p = out + 1;
    switch (type) {
    case kClear:
        break;
    case kFlat:
        writeMinima(p, min);
        break;
    case kOpaqueRaw:
        p[0] = uint8_t(min >> 24);
        for (int i = 0; i < kPixels; ++i) store32(p + 1 + 3 * i, block[i]);
        break;
    case kOpaqueSmall:
        writeMinima(p, min);
        for (int i = 0; i < kPixels; ++i) {
            const uint32_t d = block[i] - min; // no borrows: every byte ≥ its minimum
            store16(p + 4 + 2 * i, uint16_t((d & 0x1F) | ((d >> 3) & 0x3E0) | ((d >> 6) & 0x7C00)));
        }
        break;
    case kTiny:
        writeMinima(p, min);
        for (int i = 0; i < kPixels; ++i) {
            const uint32_t d = block[i] - min;
            p[4 + i] =
                uint8_t((d & 0x3) | ((d >> 6) & 0xC) | ((d >> 12) & 0x30) | ((d >> 18) & 0xC0));
        }
        break;
    case kRaw:
        std::memcpy(p, block, 4 * kPixels);
        break;
    case kSmall:
        writeMinima(p, min);
        for (int i = 0; i < kPixels; ++i) {
            const uint32_t d = block[i] - min;
            store32(p + 4 + 3 * i,
                    (d & 0x3F) | ((d >> 2) & 0xFC0) | ((d >> 4) & 0x3F000) | ((d >> 6) & 0xFC0000));
        }
        break;
    }
    return blockSize(type);
}

// Copies the block at (bx, by) into 16 × 16 words, repeating the last column and
// the last row where the block crosses the picture's edge.
void gatherBlock(const RasterImage& image, int bx, int by, uint32_t* block) {
    const int w = image.width(), h = image.height();
    const int cols = std::min(kSide, w - bx);
    const int rows = std::min(kSide, h - by);
    const uint32_t* src = image.pixels() + size_t(by) * w + bx;
    for (int y = 0; y < rows; ++y, src += w) {
        uint32_t* dst = block + y * kSide;
        std::memcpy(dst, src, size_t(cols) * 4);
        if (cols < kSide) std::fill(dst + cols, dst + kSide, dst[cols - 1]);
    }
    for (int y = rows; y < kSide; ++y)
        std::memcpy(block + y * kSide, block + (rows - 1) * kSide, kSide * 4);
}

// Walks the blocks of a reference coding in step with the encoder, so that each new
// block can be compared with its co-located one. A malformed reference simply stops
// matching.
class ReferenceWalker {
public:
    explicit ReferenceWalker(const PackedImage* ref, int width, int height) {
        if (!ref || ref->bytes.size() < kHeaderBytes || ref->width() != width ||
            ref->height() != height)
            return;
        int32_t length;
        std::memcpy(&length, ref->bytes.data() + 4, 4);
        if (length < 0 || size_t(length) > ref->bytes.size() - kHeaderBytes) return;
        pos_ = ref->bytes.data() + kHeaderBytes;
        end_ = pos_ + length;
    }
    // The next reference block, or an empty span when there is none.
    std::span<const uint8_t> next() {
        if (pos_ == end_) return {};
        const size_t n = blockSize(*pos_);
        if (n == 0 || n > size_t(end_ - pos_)) {
            pos_ = end_;
            return {};
        }
        std::span<const uint8_t> block(pos_, n);
        pos_ += n;
        return block;
    }

private:
    const uint8_t* pos_ = nullptr;
    const uint8_t* end_ = nullptr;
};

size_t worstCaseBytes(int width, int height) {
    return 4 * (size_t(width) + 17) * (size_t(height) + 17);
}

} // namespace

int PackedImage::width() const {
    return bytes.size() >= 4 ? int(bytes[0] | bytes[1] << 8) : 0;
}

int PackedImage::height() const {
    return bytes.size() >= 4 ? int((bytes[2] | bytes[3] << 8) & 0x7FFF) : 0;
}

std::optional<PackedImage> packImage(const RasterImage& image, const PackOptions& options) {
    const int w = image.width(), h = image.height();
    if (image.isDescriptor() || image.empty() || w > 0xFFFF || h > 0x7FFF) return std::nullopt;
    const size_t limit = worstCaseBytes(w, h);

    // Reserving the worst case costs nothing until it is touched; growing the size
    // block by block zero-fills only bytes that are about to be written anyway.
    std::vector<uint8_t> out;
    out.reserve(limit + kLargestBlock + kSlack);
    out.resize(kHeaderBytes);
    size_t pos = kHeaderBytes;

    ReferenceWalker reference(options.reference, w, h);
    alignas(16) uint32_t block[kPixels];
    for (int by = 0; by < h; by += kSide) {
        for (int bx = 0; bx < w; bx += kSide) {
            out.resize(pos + kLargestBlock + kSlack);
            gatherBlock(image, bx, by, block);
            const size_t n = writeBlock(out.data() + pos, block, options.allowTransparentBlocks);
            const std::span<const uint8_t> ref = reference.next();
            if (ref.size() == n && std::memcmp(ref.data(), out.data() + pos, n) == 0) {
                out[pos] = kSameAsReference;
                pos += 1;
            } else {
                pos += n;
            }
            if (pos > limit) return std::nullopt;
        }
    }

    size_t length = pos - kHeaderBytes;
    if (options.padToWords) length = (length + 3) & ~size_t(3);
    if (kHeaderBytes + length > limit) return std::nullopt;
    out.resize(pos);                   // drop the slack ...
    out.resize(kHeaderBytes + length); // ... and pad with zero bytes
    store16(out.data(), uint16_t(w));
    store16(out.data() + 2, uint16_t(h | 0x8000));
    store32(out.data() + 4, uint32_t(length));
    return PackedImage{std::move(out)};
}

namespace {

// Decoders of the block payloads (after the type byte) into `dst` with a row
// stride in pixels. The payload has been checked to be complete.

inline uint32_t addBytes(uint32_t min, uint32_t delta) {
    // Deltas are below 0x80 in every byte, so only the top bit of each byte of the
    // minimum needs care: corrupt data wraps within its channel.
    return ((min & 0x7F7F7F7Fu) + delta) ^ (min & 0x80808080u);
}

void decodeFlat(const uint8_t* p, uint32_t* dst, size_t stride) {
    const uint32_t v = readMinima(p);
    for (int y = 0; y < kSide; ++y, dst += stride) std::fill(dst, dst + kSide, v);
}

void decodeClear(uint32_t* dst, size_t stride) {
    for (int y = 0; y < kSide; ++y, dst += stride) std::memset(dst, 0, kSide * 4);
}

void decodeOpaqueRaw(const uint8_t* p, uint32_t* dst, size_t stride) {
    const uint32_t alpha = uint32_t(p[0]) << 24;
    const uint8_t* s = p + 1;
    for (int y = 0; y < kSide; ++y, dst += stride) {
        // Whole-word loads read one byte past the last pixel, so the very last
        // pixel of the block is assembled byte by byte.
        const int n = y == kSide - 1 ? kSide - 1 : kSide;
        for (int x = 0; x < n; ++x) dst[x] = (load32(s + 3 * x) & 0xFFFFFF) | alpha;
        if (n < kSide) dst[n] = load24(s + 3 * n) | alpha;
        s += 3 * kSide;
    }
}

void decodeOpaqueSmall(const uint8_t* p, uint32_t* dst, size_t stride) {
    const uint32_t min = readMinima(p);
    const uint8_t* s = p + 4;
    for (int y = 0; y < kSide; ++y, dst += stride, s += 2 * kSide) {
        for (int x = 0; x < kSide; ++x) {
            const uint32_t v = uint32_t(s[2 * x]) | uint32_t(s[2 * x + 1]) << 8;
            dst[x] = addBytes(min, (v & 0x1F) | ((v & 0x3E0) << 3) | ((v & 0x7C00) << 6));
        }
    }
}

void decodeTiny(const uint8_t* p, uint32_t* dst, size_t stride) {
    const uint32_t min = readMinima(p);
    const uint8_t* s = p + 4;
    for (int y = 0; y < kSide; ++y, dst += stride, s += kSide) {
        for (int x = 0; x < kSide; ++x) {
            const uint32_t v = s[x];
            dst[x] = addBytes(min, (v & 0x3) | ((v & 0xC) << 6) | ((v & 0x30) << 12) |
                                       ((v & 0xC0) << 18));
        }
    }
}

void decodeRaw(const uint8_t* p, uint32_t* dst, size_t stride) {
    for (int y = 0; y < kSide; ++y, dst += stride) std::memcpy(dst, p + 4 * kSide * y, 4 * kSide);
}

void decodeSmall(const uint8_t* p, uint32_t* dst, size_t stride) {
    const uint32_t min = readMinima(p);
    const uint8_t* s = p + 4;
    for (int y = 0; y < kSide; ++y, dst += stride) {
        const int n = y == kSide - 1 ? kSide - 1 : kSide;
        for (int x = 0; x < n; ++x) {
            const uint32_t v = load32(s + 3 * x);
            dst[x] = addBytes(min, (v & 0x3F) | ((v & 0xFC0) << 2) | ((v & 0x3F000) << 4) |
                                       ((v & 0xFC0000) << 6));
        }
        if (n < kSide) {
            const uint32_t v = load24(s + 3 * n);
            dst[n] = addBytes(min, (v & 0x3F) | ((v & 0xFC0) << 2) | ((v & 0x3F000) << 4) |
                                       ((v & 0xFC0000) << 6));
        }
        s += 3 * kSide;
    }
}

void decodeBlock(uint8_t type, const uint8_t* payload, uint32_t* dst, size_t stride) {
    switch (type) {
    case kFlat:
        decodeFlat(payload, dst, stride);
        break;
    case kTiny:
        decodeTiny(payload, dst, stride);
        break;
    case kSmall:
        decodeSmall(payload, dst, stride);
        break;
    case kRaw:
        decodeRaw(payload, dst, stride);
        break;
    case kOpaqueSmall:
        decodeOpaqueSmall(payload, dst, stride);
        break;
    case kOpaqueRaw:
        decodeOpaqueRaw(payload, dst, stride);
        break;
    case kClear:
        decodeClear(dst, stride);
        break;
    default:
        break;
    }
}

} // namespace

std::optional<RasterImage> unpackImage(std::span<const uint8_t> coded,
                                       const RasterImage* reference) {
    if (coded.size() < kHeaderBytes) return std::nullopt;
    const int w = coded[0] | coded[1] << 8;
    const int heightWord = coded[2] | coded[3] << 8;
    const int h = heightWord & 0x7FFF;
    int32_t length;
    std::memcpy(&length, coded.data() + 4, 4);
    if (!(heightWord & 0x8000) || w == 0 || h == 0 || length < 0 ||
        size_t(length) > coded.size() - kHeaderBytes)
        return std::nullopt;
    const size_t blocksAcross = (size_t(w) + kSide - 1) / kSide;
    const size_t blocksDown = (size_t(h) + kSide - 1) / kSide;
    // Every block takes at least one byte: refuse before allocating a huge picture
    // for a few bytes of input.
    if (blocksAcross * blocksDown > size_t(length)) return std::nullopt;
    if (reference &&
        (reference->isDescriptor() || reference->width() != w || reference->height() != h))
        reference = nullptr;

    RasterImage image(w, h);
    const uint8_t* pos = coded.data() + kHeaderBytes;
    const uint8_t* const end = pos + length;
    alignas(16) uint32_t block[kPixels];
    for (int by = 0; by < h; by += kSide) {
        const int rows = std::min(kSide, h - by);
        for (int bx = 0; bx < w; bx += kSide) {
            const int cols = std::min(kSide, w - bx);
            if (pos == end) return std::nullopt;
            const uint8_t type = *pos;
            const size_t n = blockSize(type);
            if (n == 0 || n > size_t(end - pos)) return std::nullopt;
            uint32_t* dst = &image.at(bx, by);
            if (type == kSameAsReference) {
                if (!reference) return std::nullopt;
                const uint32_t* src = reference->pixels() + size_t(by) * w + bx;
                for (int y = 0; y < rows; ++y)
                    std::memcpy(dst + size_t(y) * w, src + size_t(y) * w, size_t(cols) * 4);
            } else if (rows == kSide && cols == kSide) {
                decodeBlock(type, pos + 1, dst, size_t(w));
            } else {
                decodeBlock(type, pos + 1, block, kSide);
                for (int y = 0; y < rows; ++y)
                    std::memcpy(dst + size_t(y) * w, block + y * kSide, size_t(cols) * 4);
            }
            pos += n;
        }
    }
    return image;
}

} // namespace zx
