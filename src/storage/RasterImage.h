#pragma once
// A picture: width × height pixels 0xAARRGGBB (alpha 255 opaque, 0 transparent),
// top row first. A pixel word below 0x01000000 counts as transparent.
//
// The descriptor form refers to a video texture instead of holding pixels; its
// words are opaque here (copy keeps them, resize rewrites only width and height).
// Pictures are values: copies are deep, "no picture" is an empty std::optional.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zx {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

class RasterImage {
public:
    RasterImage() = default;
    RasterImage(int width, int height, uint32_t fill = 0)
        : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
          pixels_(size_t(width_) * size_t(height_), fill) {}

    // Descriptor form. `flags` are the two flag bits as they sit in word 1 (mask
    // 0x30000); other bits are dropped. Width and height keep their low 16 bits.
    static RasterImage makeDescriptor(int width, int height, uint32_t flags, int32_t value,
                                      std::vector<uint32_t> words);

    bool isDescriptor() const { return descriptor_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    size_t pixelCount() const { return pixels_.size(); }

    uint32_t* pixels() { return pixels_.data(); }
    const uint32_t* pixels() const { return pixels_.data(); }
    std::span<uint32_t> row(int y) { return {pixels_.data() + size_t(y) * width_, size_t(width_)}; }
    std::span<const uint32_t> row(int y) const {
        return {pixels_.data() + size_t(y) * width_, size_t(width_)};
    }
    uint32_t& at(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
    uint32_t at(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
    std::vector<uint32_t>& pixelVector() { return pixels_; }
    const std::vector<uint32_t>& pixelVector() const { return pixels_; }

    // Descriptor fields (meaningful only when isDescriptor()).
    uint32_t descriptorFlags() const { return descFlags_; }
    int32_t descriptorValue() const { return descValue_; }
    const std::vector<uint32_t>& descriptorWords() const { return pixels_; }

    // The word layout: plain form "width, height, pixels"; descriptor form
    // "0x80000000|width, height|flags, value, n, n words".
    std::vector<uint32_t> toWords() const;
    // Parses either layout; none when the words are short, sizes are not positive,
    // or the pixel count does not match.
    static std::optional<RasterImage> fromWords(std::span<const uint32_t> words);

    bool operator==(const RasterImage&) const = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_; // pixels, or the descriptor words
    bool descriptor_ = false;
    uint32_t descFlags_ = 0;
    int32_t descValue_ = 0;
};

inline bool isTransparent(uint32_t pixel) {
    return pixel < 0x01000000u;
}

struct ResizeOptions {
    bool nearest = false; // take the top-left neighbour instead of blending
    // Preview: compute only every step-th pixel and row; each computed pixel fills
    // its step × step cell.
    int step = 1;
    // Preview: compute only inside this destination rectangle; the rest of the
    // result stays transparent.
    std::optional<PixelRect> area;
};

// Alpha-aware bilinear resize (transparent neighbours lend no colour). Descriptor
// images keep their words and only take the new size. An empty picture or a size
// below 1 gives an empty picture.
RasterImage resizeImage(const RasterImage& src, int width, int height,
                        const ResizeOptions& options = {});
// Width and height multiplied by `factor` and truncated.
RasterImage resizeImageBy(const RasterImage& src, float factor, const ResizeOptions& options = {});
// The picture at the top left of a transparent picture of the given size (a
// smaller size crops). Descriptor pictures are returned unchanged.
RasterImage padImage(const RasterImage& src, int width, int height);

} // namespace zx
