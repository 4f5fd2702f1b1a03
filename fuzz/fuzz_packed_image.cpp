// Block-coded picture decoder: never reads outside its input, and whatever it
// decodes must survive a second round through the coder unchanged.
#include "storage/PackedImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Keeps every run fast: legitimate codings of larger pictures are fine, but a
// fuzzer gains nothing from allocating them.
constexpr uint64_t kMaxPixels = 1 << 20;

// Type 255 blocks need the decoded reference frame; the seeds that use it were
// coded against this same picture.
zx::RasterImage referenceFor(int w, int h) {
    zx::RasterImage image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.at(x, y) = 0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 |
                             uint32_t((x + y) & 0xFF);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) {
        if (zx::unpackImage(std::span(data, size))) std::abort();
        return 0;
    }
    const int w = data[0] | data[1] << 8;
    const int h = (data[2] | data[3] << 8) & 0x7FFF;
    if (uint64_t(w) * uint64_t(h) > kMaxPixels) return 0;
    const zx::RasterImage reference = referenceFor(w > 0 ? w : 1, h > 0 ? h : 1);
    auto image = zx::unpackImage(std::span(data, size), &reference);
    if (!image) return 0;
    if (image->width() != w || image->height() != h) std::abort();

    // Without transparent blocks the coder is lossless for any pixels at all.
    zx::PackOptions options;
    options.allowTransparentBlocks = false;
    auto packed = zx::packImage(*image, options);
    if (!packed) std::abort();
    auto again = zx::unpackImage(*packed);
    if (!again || !(*again == *image)) std::abort();
    return 0;
}
