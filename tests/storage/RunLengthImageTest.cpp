#include "storage/RunLengthImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace zx {
namespace {

RasterImage rowOf(std::vector<uint32_t> words) {
    RasterImage image(int(words.size()), 1);
    image.pixelVector() = std::move(words);
    return image;
}

std::vector<uint32_t> tokens(const RunLengthImage& r) {
    return {r.words.begin() + 2, r.words.end()};
}

void expectRoundTrip(const RasterImage& image) {
    auto coded = encodeRunLength(image);
    EXPECT_EQ(coded.words.size(), runLengthWordCount(image));
    auto back = decodeRunLength(coded);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, image);
}

TEST(RunLengthTokens, RunsOnlyFromThreeEqualWords) {
    auto r = encodeRunLength(rowOf({7, 7, 9, 9, 9, 1}));
    EXPECT_EQ(r.words[0], 6u);
    EXPECT_EQ(r.words[1], 1u);
    EXPECT_EQ(tokens(r), (std::vector<uint32_t>{7, 7, 0x80000003, 9, 1}));
    expectRoundTrip(rowOf({7, 7, 9, 9, 9, 1}));
}

TEST(RunLengthTokens, LongRunsSplitAt65535) {
    RasterImage image(65536, 1, 0xABCDEF01);
    auto r = encodeRunLength(image);
    EXPECT_EQ(tokens(r), (std::vector<uint32_t>{0x8000FFFF, 0xABCDEF01, 0xABCDEF01}));
    expectRoundTrip(image);

    RasterImage twoRuns(65535 + 3, 1, 5);
    EXPECT_EQ(tokens(encodeRunLength(twoRuns)),
              (std::vector<uint32_t>{0x8000FFFF, 5, 0x80000003, 5}));
}

TEST(RunLengthTokens, WordsThatLookLikeRunsAreWrittenAsRunsOfOne) {
    auto r = encodeRunLength(rowOf({0x80001234, 0x80001234, 0x8000FFFF, 0x80010000, 0x7FFFFFFF}));
    EXPECT_EQ(tokens(r), (std::vector<uint32_t>{0x80000001, 0x80001234, 0x80000001, 0x80001234,
                                                0x80000001, 0x8000FFFF, 0x80010000, 0x7FFFFFFF}));
    expectRoundTrip(rowOf({0x80001234, 0x80001234, 0x8000FFFF, 0x80010000, 0x7FFFFFFF}));
    // Three or more of them make an ordinary run.
    EXPECT_EQ(tokens(encodeRunLength(rowOf({0x80000000, 0x80000000, 0x80000000}))),
              (std::vector<uint32_t>{0x80000003, 0x80000000}));
}

TEST(RunLengthTokens, RunsCrossRowEnds) {
    RasterImage image(4, 3, 2); // 12 equal words over three rows
    image.at(3, 2) = 0;
    EXPECT_EQ(tokens(encodeRunLength(image)), (std::vector<uint32_t>{0x8000000B, 2, 0}));
    expectRoundTrip(image);
}

TEST(RunLengthTokens, WordCountMatchesWithoutEncoding) {
    RasterImage mask(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            mask.at(x, y) = (x - 150) * (x - 150) + (y - 100) * (y - 100) < 80 * 80
                                ? 0xFF00FF00u | uint32_t((x * 7 + y) % 3)
                                : 0;
    expectRoundTrip(mask);
    EXPECT_EQ(runLengthWordCount(RasterImage()), 0u);
    EXPECT_TRUE(encodeRunLength(RasterImage()).words.empty());

    std::vector<uint32_t> buffer = {42};
    appendRunLength(mask, buffer);
    EXPECT_EQ(buffer.size(), 1 + runLengthWordCount(mask));
    EXPECT_EQ(buffer[1], 300u);
}

TEST(RunLengthDecode, MalformedInputGivesNone) {
    auto coded = encodeRunLength(rowOf({1, 2, 3, 3, 3, 3, 4})).words;
    for (size_t n = 0; n < coded.size(); ++n)
        EXPECT_FALSE(decodeRunLength(std::span(coded.data(), n))) << "length " << n;

    using W = std::vector<uint32_t>;
    EXPECT_FALSE(decodeRunLength(W{0, 1}));                   // no width
    EXPECT_FALSE(decodeRunLength(W{2, 0xFFFFFFFF, 1, 1}));    // negative height
    EXPECT_FALSE(decodeRunLength(W{3, 1, 0x80000000, 5, 1})); // run of zero
    EXPECT_FALSE(decodeRunLength(W{3, 1, 0x80000004, 5}));    // run past the picture
    EXPECT_FALSE(decodeRunLength(W{3, 1, 1, 0x80000002}));    // run without its value
    // A size the tokens could never fill is refused before any allocation.
    EXPECT_FALSE(decodeRunLength(W{0x7FFFFFFF, 0x7FFFFFFF, 0x8000FFFF, 1}));
    // The largest picture two words can describe still decodes.
    auto full = decodeRunLength(W{0xFFFF, 1, 0x8000FFFF, 9});
    ASSERT_TRUE(full);
    EXPECT_EQ(*full, RasterImage(0xFFFF, 1, 9));
    // Words after the last token are ignored.
    auto extra = decodeRunLength(W{2, 1, 5, 6, 7});
    ASSERT_TRUE(extra);
    EXPECT_EQ(*extra, rowOf({5, 6}));
}

} // namespace
} // namespace zx
