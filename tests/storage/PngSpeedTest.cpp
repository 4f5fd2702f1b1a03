// The fast PNG setting of frame sequences keeps every pixel: opaque pictures lose only
// the alpha channel they do not need, translucent ones keep it.

#include "storage/ImageFile.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

RasterImage picture(uint32_t alphaOfTheCorner) {
    RasterImage p(33, 21);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            p.at(x, y) = 0xFF000000u | uint32_t(x * 7) << 16 | uint32_t(y * 11) << 8 |
                         uint32_t((x * y) & 0xFF);
    p.at(0, 0) = alphaOfTheCorner << 24 | 0x123456u;
    return p;
}

TEST(PngSpeed, FastFilesDecodeToTheSamePixels) {
    for (const uint32_t alpha : {0xFFu, 0x80u}) {
        const RasterImage original = picture(alpha);
        const auto fast = encodePng(original, nullptr, PngSpeed::Fast);
        ASSERT_TRUE(fast);
        const auto back = decodePng(*fast);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixelVector(), original.pixelVector()) << alpha;
    }
}

} // namespace
} // namespace zx
