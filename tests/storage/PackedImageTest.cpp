#include "storage/PackedImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zx {
namespace {

// Deterministic noise, so failures reproduce.
uint32_t nextNoise(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state ^ (state >> 15);
}

RasterImage noiseImage(int w, int h, uint32_t seed, uint32_t orMask = 0) {
    RasterImage image(w, h);
    for (auto& p : image.pixelVector()) p = nextNoise(seed) | orMask;
    return image;
}

// A 16 × 16 picture whose pixel i is f(i).
template <class F> RasterImage block16(F f) {
    RasterImage image(16, 16);
    for (int i = 0; i < 256; ++i) image.pixels()[i] = f(i);
    return image;
}

PackOptions unpadded(bool allowClear = true) {
    PackOptions o;
    o.allowTransparentBlocks = allowClear;
    o.padToWords = false;
    return o;
}

// The block data after the 8-byte header.
std::vector<uint8_t> blockData(const PackedImage& p) {
    return {p.bytes.begin() + 8, p.bytes.end()};
}

int32_t lengthField(const PackedImage& p) {
    int32_t n;
    std::memcpy(&n, p.bytes.data() + 4, 4);
    return n;
}

uint8_t typeOf(const RasterImage& image, bool allowClear = true) {
    auto p = packImage(image, unpadded(allowClear));
    EXPECT_TRUE(p);
    return p ? p->bytes[8] : 0xEE;
}

void expectRoundTrip(const RasterImage& image, const PackOptions& options = {}) {
    auto packed = packImage(image, options);
    ASSERT_TRUE(packed);
    auto back = unpackImage(*packed);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, image);
}

TEST(PackedImageLayout, HeaderAndPaddingToWords) {
    auto p = packImage(RasterImage(16, 16, 0xFF112233));
    ASSERT_TRUE(p);
    // width 16, height 16 | 0x8000, L = 5 bytes of type 0 padded to 8
    EXPECT_EQ(p->bytes, (std::vector<uint8_t>{0x10, 0x00, 0x10, 0x80, 8, 0, 0, 0, //
                                              0, 0xFF, 0x33, 0x22, 0x11, 0, 0, 0}));
    EXPECT_EQ(p->width(), 16);
    EXPECT_EQ(p->height(), 16);
    EXPECT_EQ(p->wordCount(), 4u);

    auto q = packImage(RasterImage(16, 16, 0xFF112233), unpadded());
    ASSERT_TRUE(q);
    EXPECT_EQ(lengthField(*q), 5);
    EXPECT_EQ(q->bytes.size(), 13u);
    // The first word, read as int32, is negative: that is how coded forms are told
    // from plain pictures.
    int32_t first;
    std::memcpy(&first, q->bytes.data(), 4);
    EXPECT_LT(first, 0);
}

TEST(PackedImageLayout, TransparentBlockIsOneByteOnlyWhenAllowed) {
    RasterImage clear(16, 16);
    auto allowed = packImage(clear, unpadded(true));
    ASSERT_TRUE(allowed);
    EXPECT_EQ(blockData(*allowed), std::vector<uint8_t>{6});

    auto refused = packImage(clear, unpadded(false));
    ASSERT_TRUE(refused);
    EXPECT_EQ(blockData(*refused), (std::vector<uint8_t>{0, 0, 0, 0, 0}));

    // Colour bits under zero alpha do not keep a block from being transparent; the
    // decoded block is all zero words.
    RasterImage tinted = block16([](int i) { return uint32_t(i * 0x010203) & 0xFFFFFF; });
    EXPECT_EQ(typeOf(tinted, true), 6);
    auto back = unpackImage(*packImage(tinted));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, clear);
    // Without type 6 the same block keeps its colours exactly.
    expectRoundTrip(tinted, unpadded(false));
}

TEST(PackedImageLayout, OpaqueWideRangeIsType5) {
    RasterImage image = block16([](int i) { return 0x80000000u | uint32_t(i) << 16 | 0x0700 | 3; });
    auto p = packImage(image, unpadded());
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    ASSERT_EQ(d.size(), 770u);
    EXPECT_EQ(d[0], 5);
    EXPECT_EQ(d[1], 0x80); // the alpha byte
    for (int i : {0, 1, 100, 255}) {
        EXPECT_EQ(d[2 + 3 * i], 3);     // B
        EXPECT_EQ(d[2 + 3 * i + 1], 7); // G
        EXPECT_EQ(d[2 + 3 * i + 2], i); // R
    }
    expectRoundTrip(image);
}

TEST(PackedImageLayout, OpaqueNarrowRangeIsType4) {
    // B in 10..41 (range 31), G in 20..27, R constant 200.
    RasterImage image = block16([](int i) {
        return 0xFF000000u | 200u << 16 | uint32_t(20 + i / 32) << 8 | uint32_t(10 + i % 32);
    });
    auto p = packImage(image, unpadded());
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    ASSERT_EQ(d.size(), 517u);
    EXPECT_EQ((std::vector<uint8_t>(d.begin(), d.begin() + 5)),
              (std::vector<uint8_t>{4, 0xFF, 10, 20, 200})); // minA, minB, minG, minR
    auto word = [&](int i) { return d[5 + 2 * i] | d[6 + 2 * i] << 8; };
    EXPECT_EQ(word(0), 0);
    EXPECT_EQ(word(31), 31); // B − minB in bits 0–4
    EXPECT_EQ(word(100), (100 % 32) | (100 / 32) << 5);
    EXPECT_EQ(word(255), 31 | 7 << 5);
    expectRoundTrip(image);
}

TEST(PackedImageLayout, VaryingAlphaTinyRangeIsType1) {
    // Each channel moves by at most 3 above its minimum.
    RasterImage image = block16([](int i) {
        uint32_t a = 100 + (i & 3), r = 50 + ((i >> 2) & 3), g = 60 + ((i >> 4) & 3),
                 b = 70 + ((i >> 6) & 3);
        return a << 24 | r << 16 | g << 8 | b;
    });
    auto p = packImage(image, unpadded());
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    ASSERT_EQ(d.size(), 261u);
    EXPECT_EQ((std::vector<uint8_t>(d.begin(), d.begin() + 5)),
              (std::vector<uint8_t>{1, 100, 70, 60, 50}));
    // bits 0–1 B, 2–3 G, 4–5 R, 6–7 A
    for (int i : {0, 1, 4, 16, 64, 255}) {
        uint8_t expected =
            uint8_t(((i >> 6) & 3) | ((i >> 4) & 3) << 2 | ((i >> 2) & 3) << 4 | (i & 3) << 6);
        EXPECT_EQ(d[5 + i], expected) << "pixel " << i;
    }
    expectRoundTrip(image);
}

TEST(PackedImageLayout, VaryingAlphaMediumRangeIsType2) {
    RasterImage image = block16([](int i) {
        uint32_t a = 10 + (i % 64), r = 200 + (i % 5), g = 0, b = 30 + (i / 64);
        return a << 24 | r << 16 | g << 8 | b;
    });
    auto p = packImage(image, unpadded());
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    ASSERT_EQ(d.size(), 773u);
    EXPECT_EQ((std::vector<uint8_t>(d.begin(), d.begin() + 5)),
              (std::vector<uint8_t>{2, 10, 30, 0, 200}));
    auto value = [&](int i) { return d[5 + 3 * i] | d[6 + 3 * i] << 8 | d[7 + 3 * i] << 16; };
    for (int i : {0, 63, 64, 130, 255}) {
        // bits 0–5 B, 6–11 G, 12–17 R, 18–23 A
        int expected = (i / 64) | 0 << 6 | (i % 5) << 12 | (i % 64) << 18;
        EXPECT_EQ(value(i), expected) << "pixel " << i;
    }
    expectRoundTrip(image);
}

TEST(PackedImageLayout, VaryingAlphaWideRangeIsRawType3) {
    RasterImage image = noiseImage(16, 16, 7);
    auto p = packImage(image, unpadded());
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    ASSERT_EQ(d.size(), 1025u);
    EXPECT_EQ(d[0], 3);
    EXPECT_EQ(std::memcmp(d.data() + 1, image.pixels(), 1024), 0); // B, G, R, A per pixel
    expectRoundTrip(image);
}

TEST(PackedImageLayout, DecisionOrderAtTheRangeBoundaries) {
    auto opaqueWithBlueRange = [](uint32_t range) {
        return block16([=](int i) { return 0xFF000000u | (i == 0 ? range : 0u); });
    };
    EXPECT_EQ(typeOf(opaqueWithBlueRange(0)), 0);
    EXPECT_EQ(typeOf(opaqueWithBlueRange(31)), 4);
    EXPECT_EQ(typeOf(opaqueWithBlueRange(32)), 5);
    auto withRanges = [](uint32_t alphaRange, uint32_t redRange) {
        return block16([=](int i) {
            return i == 0 ? (0x10u + alphaRange) << 24 | (0x10u + redRange) << 16 : 0x10100000u;
        });
    };
    EXPECT_EQ(typeOf(withRanges(3, 3)), 1);
    EXPECT_EQ(typeOf(withRanges(4, 0)), 2);
    EXPECT_EQ(typeOf(withRanges(1, 4)), 2);
    EXPECT_EQ(typeOf(withRanges(1, 63)), 2);
    EXPECT_EQ(typeOf(withRanges(63, 63)), 2);
    EXPECT_EQ(typeOf(withRanges(64, 0)), 3);
    EXPECT_EQ(typeOf(withRanges(1, 64)), 3);
    // Constant alpha of zero with colours: transparent when allowed, otherwise coded
    // by its colour ranges like any constant-alpha block.
    RasterImage ghost = block16([](int i) { return uint32_t(i); });
    EXPECT_EQ(typeOf(ghost, true), 6);
    EXPECT_EQ(typeOf(ghost, false), 5);
    // One barely visible pixel keeps the block from being transparent.
    RasterImage speck = block16([](int i) { return i == 200 ? 0x01000000u : 0u; });
    EXPECT_EQ(typeOf(speck, true), 1);
    expectRoundTrip(speck);
}

TEST(PackedImageEdges, PartialBlocksRepeatTheLastColumnAndRow) {
    // 17 × 16: the second block holds one real column; repeated, it is uniform.
    RasterImage image = noiseImage(17, 16, 3, 0xFF000000);
    for (int y = 0; y < 16; ++y) image.at(16, y) = 0xFF010203;
    auto p = packImage(image, unpadded());
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    ASSERT_EQ(d.size(), 770u + 5u);
    EXPECT_EQ((std::vector<uint8_t>(d.end() - 5, d.end())),
              (std::vector<uint8_t>{0, 0xFF, 3, 2, 1}));

    // 16 × 17: the bottom block holds one real row; a row that is uniform in
    // alpha but not colour repeated down stays type 4/5, never picks up zeros.
    RasterImage tall(16, 17, 0xFF000000);
    for (int x = 0; x < 16; ++x) tall.at(x, 16) = 0xFF000000u | uint32_t(x);
    auto t = packImage(tall, unpadded());
    ASSERT_TRUE(t);
    auto td = blockData(*t);
    ASSERT_EQ(td.size(), 5u + 517u);
    EXPECT_EQ(td[5], 4);
    EXPECT_EQ(td[6], 0xFF); // minA
    EXPECT_EQ(td[7], 0);    // minB
}

TEST(PackedImageEdges, OddSizesRoundTripExactly) {
    for (auto [w, h] : {std::pair{1, 1}, {15, 1}, {17, 33}, {37, 21}, {64, 3}, {5, 70}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        expectRoundTrip(noiseImage(w, h, uint32_t(w * 100 + h)));
        // Smooth content goes through the small block types at the edges too.
        RasterImage smooth(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                smooth.at(x, y) = uint32_t(0x80 + (x + y) % 3) << 24 | uint32_t(x % 40) << 16 |
                                  uint32_t(y % 5) << 8;
        expectRoundTrip(smooth);
        expectRoundTrip(smooth, unpadded(false));
    }
}

TEST(PackedImageReference, UnchangedBlocksBecomeType255) {
    RasterImage first = noiseImage(40, 20, 11); // 3 × 2 blocks
    RasterImage second = first;
    second.at(20, 3) ^= 0x00FF0000; // touches block (1, 0) only
    auto ref = packImage(first);
    ASSERT_TRUE(ref);
    PackOptions o;
    o.reference = &*ref;
    auto p = packImage(second, o);
    ASSERT_TRUE(p);
    auto d = blockData(*p);
    // 255, a raw block, then four 255s; padded to a word.
    ASSERT_EQ(d.size(), 1032u);
    EXPECT_EQ(d[0], 255);
    EXPECT_EQ(d[1], 3);
    EXPECT_EQ((std::vector<uint8_t>(d.begin() + 1026, d.end())),
              (std::vector<uint8_t>{255, 255, 255, 255, 0, 0}));

    auto decodedFirst = unpackImage(*ref);
    ASSERT_TRUE(decodedFirst);
    auto back = unpackImage(*p, &*decodedFirst);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, second);
    // Without the reference, or with one of another size, the coding is unusable.
    EXPECT_FALSE(unpackImage(*p));
    RasterImage other(41, 20);
    EXPECT_FALSE(unpackImage(*p, &other));
}

TEST(PackedImageReference, EdgeBlocksCopyOnlyTheInsidePixels) {
    RasterImage first = noiseImage(19, 18, 5);
    auto ref = packImage(first);
    PackOptions o;
    o.reference = &*ref;
    auto p = packImage(first, o);
    ASSERT_TRUE(p);
    EXPECT_EQ(blockData(*p), (std::vector<uint8_t>{255, 255, 255, 255}));
    auto back = unpackImage(*p, &first);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, first);
}

TEST(PackedImageReference, ReferenceOfAnotherSizeIsIgnored) {
    RasterImage image(32, 16, 0xFF445566);
    auto ref = packImage(RasterImage(16, 16, 0xFF445566));
    PackOptions o;
    o.reference = &*ref;
    EXPECT_EQ(packImage(image, o), packImage(image));
}

TEST(PackedImageLimits, RefusesWhatTheFormatCannotHold) {
    EXPECT_FALSE(packImage(RasterImage()));
    EXPECT_FALSE(packImage(RasterImage(0x10000, 1)));
    EXPECT_FALSE(packImage(RasterImage(1, 0x8000)));
    EXPECT_TRUE(packImage(RasterImage(0xFFFF, 1)));
    EXPECT_FALSE(packImage(RasterImage::makeDescriptor(4, 4, 0, -1, {1, 2})));
}

TEST(PackedImageLimits, CodingLargerThanTheWorstCaseBufferIsRefused) {
    // Alternating alpha makes every block of two or more pixels a raw block of 1025
    // bytes; only the one-pixel corner block is small (transparent: 1 byte). At
    // 4145 × 4145 that is 8 bytes over 4 × (w + 17) × (h + 17).
    const int n = 4145;
    RasterImage image(n, n);
    for (int y = 0; y < n; ++y) {
        uint32_t* row = image.row(y).data();
        for (int x = 0; x < n; ++x) row[x] = ((x + y) & 1) ? 0xFF000000u : 0x00FFFFFFu;
    }
    EXPECT_FALSE(packImage(image));
}

TEST(PackedImageDecode, CorruptOrTruncatedInputGivesNone) {
    RasterImage image = noiseImage(33, 17, 9);
    for (int y = 0; y < 17; ++y) image.at(0, y) = 0; // some variety of types
    auto p = packImage(image);
    ASSERT_TRUE(p);
    const auto& b = p->bytes;
    // Every truncation fails cleanly (the checked reader is what keeps ASan quiet).
    for (size_t n = 0; n < b.size(); ++n)
        EXPECT_FALSE(unpackImage(std::span(b.data(), n))) << "length " << n;

    auto patched = [&](size_t at, uint8_t v) {
        auto c = b;
        c[at] = v;
        return c;
    };
    auto withLength = [&](uint32_t length) {
        auto c = b;
        std::memcpy(c.data() + 4, &length, 4);
        return c;
    };
    EXPECT_FALSE(unpackImage(patched(8, 7)));    // unknown block type
    EXPECT_FALSE(unpackImage(patched(8, 255)));  // reference block without reference
    EXPECT_FALSE(unpackImage(patched(3, 0x00))); // height without the coded-form mark
    EXPECT_FALSE(unpackImage(patched(7, 0x80))); // negative length
    EXPECT_FALSE(unpackImage(withLength(uint32_t(b.size() - 8 + 4))));   // past the data
    EXPECT_FALSE(unpackImage(withLength(uint32_t(b.size() - 8 - 200)))); // blocks past L
    EXPECT_FALSE(unpackImage(std::vector<uint8_t>{0, 0, 1, 0x80, 1, 0, 0, 0, 6}));
    // A header claiming a huge picture with too few bytes is refused up front.
    EXPECT_FALSE(unpackImage(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 6, 6, 6, 6}));
}

TEST(PackedImageDecode, CorruptDeltasStayWithinTheirChannel) {
    // Type 4 with minB = 250 and a blue delta of 31 wraps in blue; green is untouched.
    std::vector<uint8_t> c = {16, 0, 16, 0x80, 0, 0, 0, 0, 4, 0xFF, 250, 7, 9};
    for (int i = 0; i < 256; ++i) {
        c.push_back(31);
        c.push_back(0);
    }
    uint32_t length = uint32_t(c.size() - 8);
    std::memcpy(c.data() + 4, &length, 4);
    auto image = unpackImage(c);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(5, 5), 0xFF090700u | ((250 + 31) & 0xFF));
}

TEST(PackedImageDecode, TrailingPaddingIsIgnored) {
    auto p = packImage(RasterImage(16, 16, 0xFF000001));
    ASSERT_TRUE(p);
    auto longer = p->bytes;
    longer.resize(longer.size() + 4);
    longer[4] += 4;
    auto back = unpackImage(longer);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, RasterImage(16, 16, 0xFF000001));
}

} // namespace
} // namespace zx
