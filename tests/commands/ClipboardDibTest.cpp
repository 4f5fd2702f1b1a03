#include "commands/ClipboardDib.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zx {
namespace {

uint32_t word(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

TEST(ClipboardDib, HeaderAndBottomUpRowsWithTransparentAsWhite) {
    RasterImage img(3, 2);
    img.at(0, 0) = 0xFF102030; // top row
    img.at(1, 0) = 0x00123456; // transparent → white
    img.at(2, 0) = 0x80FFEEDD;
    img.at(0, 1) = 0xFF0000FF; // bottom row
    img.at(1, 1) = 0xFF00FF00;
    img.at(2, 1) = 0xFFFF0000;
    const auto dib = encodeClipboardDib(img);
    ASSERT_EQ(dib.size(), 40u + 4 * 3 * 2);
    EXPECT_EQ(word(dib, 0), 40u);
    EXPECT_EQ(word(dib, 4), 3u);
    EXPECT_EQ(word(dib, 8), 2u); // positive height: bottom-up
    EXPECT_EQ(word(dib, 12), 1u | (24u << 16));
    for (size_t at = 16; at < 40; at += 4) EXPECT_EQ(word(dib, at), 0u) << at;
    // bottom row first, BGR, padded to 12 bytes (9 used)
    const uint8_t* p = dib.data() + 40;
    const uint8_t bottom[] = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(p, bottom, 12));
    const uint8_t top[] = {0x30, 0x20, 0x10, 0xFF, 0xFF, 0xFF, 0xDD, 0xEE, 0xFF, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(p + 12, top, 12));
}

TEST(ClipboardDib, RoundTripMakesEveryPixelOpaque) {
    RasterImage img(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) img.at(x, y) = 0xFF000000u | uint32_t(x * 40 + y * 7) << 8;
    img.at(4, 2) = 0x7F0A0B0C;
    auto back = decodeClipboardDib(encodeClipboardDib(img));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width(), 5);
    ASSERT_EQ(back->height(), 3);
    EXPECT_EQ(back->at(0, 0), img.at(0, 0));
    EXPECT_EQ(back->at(3, 1), img.at(3, 1));
    EXPECT_EQ(back->at(4, 2), 0xFF0A0B0Cu); // alpha does not survive the clipboard
}

std::vector<uint8_t> dib32(int w, int h, uint32_t compression, bool masks) {
    std::vector<uint8_t> b(40 + (masks ? 12 : 0) + 4 * size_t(w) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); };
    put32(0, 40);
    put32(4, uint32_t(w));
    put32(8, uint32_t(h));
    put32(12, 1u | (32u << 16));
    put32(16, compression);
    const size_t data = 40 + (masks ? 12 : 0);
    for (int i = 0; i < w * h; ++i) put32(data + 4 * i, 0x00112233u + uint32_t(i));
    return b;
}

TEST(ClipboardDib, Reads32BitPlainAndBitFieldsAfterTheirMasks) {
    auto plain = decodeClipboardDib(dib32(2, 2, 0, false));
    ASSERT_TRUE(plain);
    // first stored pixel is the bottom-left one
    EXPECT_EQ(plain->at(0, 1), 0xFF112233u);
    EXPECT_EQ(plain->at(1, 0), 0xFF112236u);
    auto fields = decodeClipboardDib(dib32(2, 2, 3, true));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at(0, 1), 0xFF112233u);
}

TEST(ClipboardDib, RefusesWhatItCannotRead) {
    auto compressed = dib32(2, 2, 1, false); // RLE8
    EXPECT_FALSE(decodeClipboardDib(compressed));
    auto topDown = dib32(2, 2, 0, false);
    const int32_t negative = -2;
    std::memcpy(topDown.data() + 8, &negative, 4);
    EXPECT_FALSE(decodeClipboardDib(topDown));
    auto eightBit = dib32(2, 2, 0, false);
    eightBit[14] = 8;
    EXPECT_FALSE(decodeClipboardDib(eightBit));
    auto twoPlanes = dib32(2, 2, 0, false);
    twoPlanes[12] = 2;
    EXPECT_FALSE(decodeClipboardDib(twoPlanes));
    // truncated rows never read outside the block
    auto shortBlock = dib32(4, 4, 0, false);
    shortBlock.resize(40 + 4 * 4 * 3);
    EXPECT_FALSE(decodeClipboardDib(shortBlock));
    EXPECT_FALSE(decodeClipboardDib(std::vector<uint8_t>(20, 0)));
    auto hugeHeader = dib32(1, 1, 0, false);
    const uint32_t big = 1000;
    std::memcpy(hugeHeader.data(), &big, 4);
    EXPECT_FALSE(decodeClipboardDib(hugeHeader));
}

TEST(ClipboardExchange, OwnCopyKeepsAlphaWhenSizesMatch) {
    ClipboardExchange ex;
    RasterImage img(2, 2, 0x40A0B0C0);
    auto block = ex.copy(img);
    auto pasted = ex.paste(std::span<const uint8_t>(block));
    ASSERT_TRUE(pasted);
    EXPECT_EQ(*pasted, img);

    // another program's picture of another size replaces and discards ours
    RasterImage other(3, 1, 0xFF010203);
    auto foreign = encodeClipboardDib(other);
    pasted = ex.paste(std::span<const uint8_t>(foreign));
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->width(), 3);
    EXPECT_FALSE(ex.hasOwnCopy());

    // no clipboard bitmap: only our copy can be pasted
    EXPECT_FALSE(ex.paste(std::nullopt));
    ex.copy(img);
    ASSERT_TRUE(ex.paste(std::nullopt));
    EXPECT_EQ(*ex.paste(std::nullopt), img);
}

} // namespace
} // namespace zx
