#include "storage/RasterImage.h"

#include <algorithm>
#include <cstring>

namespace zx {

namespace {

constexpr uint32_t kDescriptorMark = 0x80000000u;
constexpr uint32_t kDescriptorFlagMask = 0x30000u;

} // namespace

RasterImage RasterImage::makeDescriptor(int width, int height, uint32_t flags, int32_t value,
                                        std::vector<uint32_t> words) {
    RasterImage image;
    image.width_ = width & 0xFFFF;
    image.height_ = height & 0xFFFF;
    image.pixels_ = std::move(words);
    image.descriptor_ = true;
    image.descFlags_ = flags & kDescriptorFlagMask;
    image.descValue_ = value;
    return image;
}

std::vector<uint32_t> RasterImage::toWords() const {
    std::vector<uint32_t> words;
    if (descriptor_) {
        words.reserve(4 + pixels_.size());
        words.push_back(kDescriptorMark | uint32_t(width_ & 0xFFFF));
        words.push_back(uint32_t(height_ & 0xFFFF) | descFlags_);
        words.push_back(uint32_t(descValue_));
        words.push_back(uint32_t(pixels_.size()));
    } else {
        words.reserve(2 + pixels_.size());
        words.push_back(uint32_t(width_));
        words.push_back(uint32_t(height_));
    }
    words.insert(words.end(), pixels_.begin(), pixels_.end());
    return words;
}

std::optional<RasterImage> RasterImage::fromWords(std::span<const uint32_t> words) {
    if (words.size() < 2) return std::nullopt;
    if (int32_t(words[0]) < 0) {
        if (words.size() < 4) return std::nullopt;
        int width = int(words[0] & 0xFFFF);
        int height = int(words[1] & 0xFFFF);
        uint32_t n = words[3];
        if (width <= 0 || height <= 0 || n != words.size() - 4) return std::nullopt;
        return makeDescriptor(width, height, words[1], int32_t(words[2]),
                              std::vector<uint32_t>(words.begin() + 4, words.end()));
    }
    int32_t width = int32_t(words[0]);
    int32_t height = int32_t(words[1]);
    if (width <= 0 || height <= 0) return std::nullopt;
    if (uint64_t(width) * uint64_t(height) != words.size() - 2) return std::nullopt;
    RasterImage image(width, height);
    std::memcpy(image.pixels(), words.data() + 2, image.pixelCount() * 4);
    return image;
}

namespace {

// One neighbour lookup of the bilinear resize along one axis.
struct Tap {
    int i0 = 0;
    int i1 = 0;
    double f = 0; // weight of i1
};

// Destination coordinate d maps to d × scale − 0.5 in the source. The integer part
// is truncated and clamped at 0 and a negative fraction counts as 0, so the first
// destination pixels repeat the first source pixel instead of reaching before it.
Tap tapFor(int d, double scale, int sourceSize) {
    double u = d * scale - 0.5;
    int i = int(u);
    double f = u - i;
    if (i < 0) i = 0;
    if (f < 0) f = 0;
    if (i > sourceSize - 1) i = sourceSize - 1;
    Tap t;
    t.i0 = i;
    t.i1 = i + 1 < sourceSize ? i + 1 : i;
    t.f = f;
    return t;
}

struct Colour {
    double a, r, g, b;
};

Colour channels(uint32_t p) {
    return {double(p >> 24), double((p >> 16) & 0xFF), double((p >> 8) & 0xFF), double(p & 0xFF)};
}

// A transparent member of the pair takes the colour, not the alpha, of the other
// member, so that the (usually black) colour bits of transparent pixels never
// darken the edge of a cut-out.
Colour blendPair(Colour c0, bool clear0, Colour c1, bool clear1, double f) {
    if (clear0 && !clear1) {
        c0 = {c0.a, c1.r, c1.g, c1.b};
    } else if (clear1 && !clear0) {
        c1 = {c1.a, c0.r, c0.g, c0.b};
    }
    return {c0.a + (c1.a - c0.a) * f, c0.r + (c1.r - c0.r) * f, c0.g + (c1.g - c0.g) * f,
            c0.b + (c1.b - c0.b) * f};
}

uint32_t toByte(double v) {
    int i = int(v + 0.5);
    return uint32_t(std::clamp(i, 0, 255));
}

uint32_t bilinear(const RasterImage& src, const Tap& tx, const Tap& ty) {
    uint32_t p00 = src.at(tx.i0, ty.i0), p10 = src.at(tx.i1, ty.i0);
    uint32_t p01 = src.at(tx.i0, ty.i1), p11 = src.at(tx.i1, ty.i1);
    bool t00 = isTransparent(p00), t10 = isTransparent(p10);
    bool t01 = isTransparent(p01), t11 = isTransparent(p11);
    if (t00 && t10 && t01 && t11) return 0;
    Colour top = blendPair(channels(p00), t00, channels(p10), t10, tx.f);
    Colour bottom = blendPair(channels(p01), t01, channels(p11), t11, tx.f);
    // The same rule holds between the two rows: a pair that is transparent on both
    // sides lends no colour, otherwise a transparent lower half darkens the edge.
    Colour c = blendPair(top, t00 && t10, bottom, t01 && t11, ty.f);
    return toByte(c.a) << 24 | toByte(c.r) << 16 | toByte(c.g) << 8 | toByte(c.b);
}

PixelRect clipped(const std::optional<PixelRect>& area, int width, int height) {
    PixelRect r{0, 0, width, height};
    if (!area) return r;
    r.left = std::clamp(area->left, 0, width);
    r.top = std::clamp(area->top, 0, height);
    r.right = std::clamp(area->right, r.left, width);
    r.bottom = std::clamp(area->bottom, r.top, height);
    return r;
}

} // namespace

RasterImage resizeImage(const RasterImage& src, int width, int height,
                        const ResizeOptions& options) {
    if (src.empty() || width <= 0 || height <= 0) return {};
    if (src.isDescriptor()) {
        return RasterImage::makeDescriptor(width, height, src.descriptorFlags(),
                                           src.descriptorValue(), src.descriptorWords());
    }
    RasterImage dst(width, height);
    const double sx = double(src.width()) / width;
    const double sy = double(src.height()) / height;
    const int step = std::max(1, options.step);
    const PixelRect area = clipped(options.area, width, height);

    std::vector<Tap> columns;
    for (int x = area.left; x < area.right; x += step)
        columns.push_back(tapFor(x, sx, src.width()));

    for (int y = area.top; y < area.bottom; y += step) {
        const Tap ty = tapFor(y, sy, src.height());
        const int rows = std::min(step, area.bottom - y);
        int x = area.left;
        for (const Tap& tx : columns) {
            uint32_t p = options.nearest ? src.at(tx.i0, ty.i0) : bilinear(src, tx, ty);
            const int cols = std::min(step, area.right - x);
            for (int dy = 0; dy < rows; ++dy) {
                uint32_t* out = &dst.at(x, y + dy);
                std::fill(out, out + cols, p);
            }
            x += step;
        }
    }
    return dst;
}

RasterImage resizeImageBy(const RasterImage& src, float factor, const ResizeOptions& options) {
    int width = int(float(src.width()) * factor);
    int height = int(float(src.height()) * factor);
    return resizeImage(src, width, height, options);
}

RasterImage padImage(const RasterImage& src, int width, int height) {
    if (src.isDescriptor()) return src;
    RasterImage dst(width, height);
    if (dst.empty()) return dst;
    const int w = std::min(width, src.width());
    const int h = std::min(height, src.height());
    for (int y = 0; y < h; ++y) std::memcpy(dst.row(y).data(), src.row(y).data(), size_t(w) * 4);
    return dst;
}

} // namespace zx
