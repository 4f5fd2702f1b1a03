#include "storage/RasterImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace zx {
namespace {

uint32_t red(uint32_t p) {
    return (p >> 16) & 0xFF;
}
uint32_t alpha(uint32_t p) {
    return p >> 24;
}

RasterImage fromRow(std::vector<uint32_t> pixels) {
    RasterImage image(int(pixels.size()), 1);
    image.pixelVector() = std::move(pixels);
    return image;
}

TEST(RasterImageWords, PlainFormRoundTrips) {
    RasterImage image(3, 2);
    for (int i = 0; i < 6; ++i) image.pixels()[i] = 0xFF000000u + uint32_t(i);
    auto words = image.toWords();
    EXPECT_EQ(words, (std::vector<uint32_t>{3, 2, 0xFF000000, 0xFF000001, 0xFF000002, 0xFF000003,
                                            0xFF000004, 0xFF000005}));
    auto back = RasterImage::fromWords(words);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, image);
    EXPECT_FALSE(back->isDescriptor());
}

TEST(RasterImageWords, DescriptorFormKeepsItsOpaqueWords) {
    auto d = RasterImage::makeDescriptor(0x12345, 480, 0x30000 | 0x1234, -1, {7, 8, 9});
    EXPECT_TRUE(d.isDescriptor());
    EXPECT_EQ(d.width(), 0x2345); // low 16 bits
    auto words = d.toWords();
    EXPECT_EQ(words, (std::vector<uint32_t>{0x80002345, 0x301E0, 0xFFFFFFFF, 3, 7, 8, 9}));
    EXPECT_LT(int32_t(words[0]), 0);
    auto back = RasterImage::fromWords(words);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, d);
    EXPECT_EQ(back->descriptorFlags(), 0x30000u);
    EXPECT_EQ(back->descriptorValue(), -1);

    RasterImage copy = d; // copies are deep and keep every word
    EXPECT_EQ(copy.toWords(), words);
}

TEST(RasterImageWords, MalformedWordsGiveNone) {
    using W = std::vector<uint32_t>;
    EXPECT_FALSE(RasterImage::fromWords(W{}));
    EXPECT_FALSE(RasterImage::fromWords(W{2}));
    EXPECT_FALSE(RasterImage::fromWords(W{2, 2, 1, 2, 3}));          // one pixel short
    EXPECT_FALSE(RasterImage::fromWords(W{2, 1, 1, 2, 3}));          // one pixel too many
    EXPECT_FALSE(RasterImage::fromWords(W{0, 5}));                   // no width
    EXPECT_FALSE(RasterImage::fromWords(W{0x80000002, 1, 0}));       // descriptor cut short
    EXPECT_FALSE(RasterImage::fromWords(W{0x80000002, 1, 0, 2, 5})); // n beyond the words
    EXPECT_FALSE(RasterImage::fromWords(W{0x80000002, 1, 0, 0xFFFFFFFF}));
    EXPECT_FALSE(RasterImage::fromWords(W{0x80000000, 1, 0, 0})); // zero width
    // Sizes whose product overflows 32 bits are compared in 64 bits.
    EXPECT_FALSE(RasterImage::fromWords(W{0x10000, 0x10000, 1}));
}

TEST(RasterImageResize, BilinearUsesTheHalfPixelOffset) {
    // Destination x maps to x × 0.5 − 0.5: 0 and 1 repeat the first pixel, 2 lies
    // half way, 3 hits the second pixel.
    RasterImage src = fromRow({0xFF000000, 0xFF0000FF});
    RasterImage out = resizeImage(src, 4, 1);
    EXPECT_EQ(out.pixelVector(),
              (std::vector<uint32_t>{0xFF000000, 0xFF000000, 0xFF000080, 0xFF0000FF}));

    ResizeOptions nearest;
    nearest.nearest = true;
    EXPECT_EQ(resizeImage(src, 4, 1, nearest).pixelVector(),
              (std::vector<uint32_t>{0xFF000000, 0xFF000000, 0xFF000000, 0xFF0000FF}));
}

TEST(RasterImageResize, TransparentNeighboursLendNoColour) {
    // Left half opaque red, right half transparent black.
    RasterImage src(32, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) src.at(x, y) = 0xFFFF0000;
    RasterImage out = resizeImage(src, 45, 11);
    bool sawEdge = false;
    for (uint32_t p : out.pixelVector()) {
        if (isTransparent(p)) {
            EXPECT_EQ(p, 0u);
            continue;
        }
        EXPECT_EQ(red(p), 255u) << std::hex << p;
        if (alpha(p) < 255) sawEdge = true;
    }
    EXPECT_TRUE(sawEdge); // the boundary is soft in alpha, not dark in colour

    // The same holds between rows: a transparent lower half gives no dark seam.
    RasterImage top(8, 32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) top.at(x, y) = 0xFF00FF00;
    RasterImage tall = resizeImage(top, 11, 45);
    for (uint32_t p : tall.pixelVector()) {
        if (!isTransparent(p)) {
            EXPECT_EQ((p >> 8) & 0xFF, 255u) << std::hex << p;
        }
    }

    // All four neighbours transparent gives the zero word, whatever their colour bits.
    RasterImage ghost(4, 4, 0x00FFFFFF);
    RasterImage ghostOut = resizeImage(ghost, 7, 7);
    for (uint32_t p : ghostOut.pixelVector()) EXPECT_EQ(p, 0u);
}

TEST(RasterImageResize, ShrinkAndGrowKeepUniformColour) {
    RasterImage src(37, 23, 0x80406080);
    for (auto [w, h] : {std::pair{1, 1}, {10, 5}, {100, 77}}) {
        RasterImage out = resizeImage(src, w, h);
        ASSERT_EQ(out.width(), w);
        ASSERT_EQ(out.height(), h);
        for (uint32_t p : out.pixelVector()) EXPECT_EQ(p, 0x80406080u);
    }
    EXPECT_TRUE(resizeImage(src, 0, 5).empty());
    EXPECT_TRUE(resizeImage(RasterImage(), 5, 5).empty());
}

TEST(RasterImageResize, StepAndAreaComputeAPreview) {
    RasterImage src(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) src.at(x, y) = 0xFF000000u | uint32_t(x * 16 + y);
    ResizeOptions preview;
    preview.nearest = true;
    preview.step = 2;
    RasterImage out = resizeImage(src, 8, 8, preview);
    // Nearest at scale 1 maps x to x − 0.5, truncated toward zero: 0→0, 2→1, 4→3.
    EXPECT_EQ(out.at(0, 0), src.at(0, 0));
    EXPECT_EQ(out.at(1, 1), src.at(0, 0)); // filled from its cell's computed pixel
    EXPECT_EQ(out.at(2, 4), src.at(1, 3));
    EXPECT_EQ(out.at(3, 5), src.at(1, 3));

    preview.area = PixelRect{2, 2, 5, 6};
    RasterImage part = resizeImage(src, 8, 8, preview);
    EXPECT_EQ(part.at(0, 0), 0u); // outside the area stays transparent
    EXPECT_EQ(part.at(5, 2), 0u);
    EXPECT_EQ(part.at(2, 2), src.at(1, 1));
    EXPECT_EQ(part.at(4, 5), src.at(3, 3)); // cell clipped at the area's edge
}

TEST(RasterImageResize, ByFactorTruncates) {
    RasterImage src(10, 7, 0xFF123456);
    RasterImage half = resizeImageBy(src, 0.5f);
    EXPECT_EQ(half.width(), 5);
    EXPECT_EQ(half.height(), 3);
    EXPECT_TRUE(resizeImageBy(src, 0.05f).empty());
}

TEST(RasterImageResize, DescriptorTakesOnlyTheNewSize) {
    auto d = RasterImage::makeDescriptor(640, 480, 0x10000, 12, {1, 2, 3});
    RasterImage out = resizeImage(d, 320, 240);
    ASSERT_TRUE(out.isDescriptor());
    EXPECT_EQ(out.toWords(), (std::vector<uint32_t>{0x80000140, 0x100F0, 12, 3, 1, 2, 3}));
    EXPECT_EQ(resizeImageBy(d, 0.5f), out);
}

TEST(RasterImagePad, PlacesAtTopLeftOverTransparency) {
    RasterImage src(2, 2, 0xFF010101);
    RasterImage big = padImage(src, 3, 4);
    EXPECT_EQ(big.pixelVector(), (std::vector<uint32_t>{0xFF010101, 0xFF010101, 0, 0xFF010101,
                                                        0xFF010101, 0, 0, 0, 0, 0, 0, 0}));
    RasterImage cropped = padImage(big, 1, 2);
    EXPECT_EQ(cropped.pixelVector(), (std::vector<uint32_t>{0xFF010101, 0xFF010101}));
    auto d = RasterImage::makeDescriptor(4, 4, 0, 0, {1});
    EXPECT_EQ(padImage(d, 8, 8), d);
}

} // namespace
} // namespace zx
