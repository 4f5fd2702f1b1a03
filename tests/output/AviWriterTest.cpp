#include "output/AviWriter.h"

#include "OutputTestSupport.h"
#include "platform/SafeFile.h"

#include <cstring>
#include <gtest/gtest.h>

namespace zx {
namespace {

using test::ScratchFolder;

uint32_t word(const std::vector<std::byte>& f, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(f.at(at + i)) << (8 * i);
    return v;
}

std::string tag(const std::vector<std::byte>& f, size_t at) {
    return std::string(reinterpret_cast<const char*>(f.data()) + at, 4);
}

uint8_t byteAt(const std::vector<std::byte>& f, size_t at) {
    return uint8_t(f.at(at));
}

// A frame whose every pixel tells its position and frame: 0xFF, frame, y, x.
RasterImage numbered(int width, int height, int frame) {
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.at(x, y) = 0xFF000000u | uint32_t(frame) << 16 | uint32_t(y) << 8 | uint32_t(x);
    return image;
}

TEST(AviWriter, OddWidthFileHasPaddedRowsAnIndexAndPatchedCounts) {
    ScratchFolder dir;
    const int w = 17, h = 3, frames = 2;
    AviWriter avi;
    ASSERT_TRUE(avi.open(dir / "m.avi", 25, w, h));
    EXPECT_TRUE(dir.names().size() == 1 && !std::filesystem::exists(dir / "m.avi"))
        << "the movie only takes its name when complete";
    for (int i = 0; i < frames; ++i) ASSERT_TRUE(avi.addFrame(numbered(w, h, i)));
    ASSERT_TRUE(avi.close());
    ASSERT_EQ(dir.names(), std::vector<std::string>{"m.avi"});

    const auto f = *readWholeFile(dir / "m.avi");
    const uint32_t s = 52, frameBytes = s * h; // 3 × 17 = 51, padded to 52
    ASSERT_EQ(avi.stride(), s);
    ASSERT_EQ(f.size(), 2048 + frames * (8 + frameBytes) + 8 + 16 * frames);
    for (auto [at, name] : std::vector<std::pair<size_t, const char*>>{{0, "RIFF"},
                                                                       {8, "AVI "},
                                                                       {12, "LIST"},
                                                                       {20, "hdrl"},
                                                                       {24, "avih"},
                                                                       {88, "LIST"},
                                                                       {96, "strl"},
                                                                       {100, "strh"},
                                                                       {108, "vids"},
                                                                       {164, "strf"},
                                                                       {212, "JUNK"},
                                                                       {2036, "LIST"},
                                                                       {2044, "movi"}})
        EXPECT_EQ(tag(f, at), name) << at;
    // Counts written at close.
    EXPECT_EQ(word(f, 4), f.size() - 8);
    EXPECT_EQ(word(f, 48), uint32_t(frames));
    EXPECT_EQ(word(f, 140), uint32_t(frames));
    EXPECT_EQ(word(f, 2040), (frameBytes + 8) * frames + 4);
    // Sizes everywhere use the padded stride.
    for (size_t at : {60u, 144u, 192u}) EXPECT_EQ(word(f, at), frameBytes) << at;
    EXPECT_EQ(word(f, 32), 1000000u / 25);
    EXPECT_EQ(word(f, 132), 25u);

    const size_t index = 2048 + frames * (8 + frameBytes);
    ASSERT_EQ(tag(f, index), "idx1");
    EXPECT_EQ(word(f, index + 4), 16u * frames);
    for (int i = 0; i < frames; ++i) {
        const size_t entry = index + 8 + 16 * i;
        const uint32_t offset = word(f, entry + 8);
        EXPECT_EQ(tag(f, entry), "00db");
        EXPECT_EQ(word(f, entry + 4), 0x10u);
        EXPECT_EQ(word(f, entry + 12), frameBytes);
        // The offset counts from "movi" and lands on the frame's chunk.
        const size_t chunk = 2044 + offset;
        ASSERT_EQ(tag(f, chunk), "00db");
        EXPECT_EQ(word(f, chunk + 4), frameBytes);
        // Rows bottom-up, blue green red, then one zero byte of padding.
        for (int row = 0; row < h; ++row) {
            const size_t r = chunk + 8 + row * s;
            const int y = h - 1 - row;
            EXPECT_EQ(byteAt(f, r), 0) << "x of pixel 0";
            EXPECT_EQ(byteAt(f, r + 1), y);
            EXPECT_EQ(byteAt(f, r + 2), i);
            EXPECT_EQ(byteAt(f, r + 3 * 16), 16);
            EXPECT_EQ(byteAt(f, r + 51), 0) << "padding";
        }
    }
}

TEST(AviWriter, RefusesFramesOfAnotherSizeWithoutWritingThem) {
    ScratchFolder dir;
    AviWriter avi;
    ASSERT_TRUE(avi.open(dir / "m.avi", 30, 8, 6));
    Status wrong = avi.addFrame(RasterImage(6, 8));
    EXPECT_EQ(wrong.message(), kFrameSizeMismatch);
    ASSERT_TRUE(avi.addFrame(RasterImage(8, 6)));
    ASSERT_TRUE(avi.close());
    EXPECT_EQ(avi.frameCount(), 1);
    EXPECT_EQ(std::filesystem::file_size(dir / "m.avi"), 2048u + 8 + 24 * 6 + 8 + 16);
}

TEST(AviWriter, StopsBeforeTheFileLimitAndLeavesNothingBehind) {
    ScratchFolder dir;
    const uint64_t frameBytes = 24 * 6;
    // Room for exactly two frames with their index entries.
    AviWriter avi(2048 + 2 * (8 + frameBytes) + 8 + 2 * 16);
    ASSERT_TRUE(avi.open(dir / "m.avi", 30, 8, 6));
    EXPECT_TRUE(avi.addFrame(RasterImage(8, 6)));
    EXPECT_TRUE(avi.addFrame(RasterImage(8, 6)));
    Status third = avi.addFrame(RasterImage(8, 6));
    EXPECT_FALSE(third);
    EXPECT_NE(third.message().find("too large"), std::string::npos);
    avi.abandon();
    EXPECT_TRUE(dir.names().empty());
    // A frame of 65535 × 65535 pixels alone passes 4 GB.
    AviWriter huge;
    EXPECT_EQ(huge.open(dir / "m.avi", 30, 0xFFFF, 0xFFFF).code(), StatusCode::Refused);
    EXPECT_TRUE(dir.names().empty());
}

TEST(AviWriter, AnUnclosedMovieLeavesNoFile) {
    ScratchFolder dir;
    {
        AviWriter avi;
        ASSERT_TRUE(avi.open(dir / "m.avi", 30, 8, 6));
        ASSERT_TRUE(avi.addFrame(RasterImage(8, 6)));
    }
    EXPECT_TRUE(dir.names().empty());
    AviWriter avi;
    EXPECT_FALSE(avi.open(dir / "no folder" / "m.avi", 30, 8, 6));
}

} // namespace
} // namespace zx
