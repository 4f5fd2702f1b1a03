#include "output/MovieExport.h"

#include "OutputTestSupport.h"
#include "output/EncoderProcess.h"
#include "platform/RecordingPrompter.h"
#include "platform/SafeFile.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace zx {
namespace {

using test::ScratchFolder;

// Frames of one colour each; can cancel the export or fail at a chosen frame.
class TestSource : public MovieFrameSource {
public:
    TestSource(int count, int width, int height) : count_(count), width_(width), height_(height) {}

    int frameCount() const override { return count_; }
    Result<RasterImage> frame(int index) override {
        requested.push_back(index);
        if (index == cancelAt && progress) progress->cancel();
        if (index == failAt) return Status::failed("Frame could not be built");
        return RasterImage(width_, height_, 0xFF000000u | uint32_t(index * 40) << 8);
    }
    bool switchToMaximumQuality() override { return ++switches, !alreadyMaximum; }
    void restoreQuality() override { ++restores; }

    std::vector<int> requested;
    int switches = 0, restores = 0;
    bool alreadyMaximum = false;
    int cancelAt = -1, failAt = -1;
    NullProgress* progress = nullptr;

private:
    int count_, width_, height_;
};

// Keeps every detail line it is shown.
class RecordingProgress : public NullProgress {
public:
    void setDetail(std::string_view detail) override { details.emplace_back(detail); }
    std::vector<std::string> details;
};

MovieExportOptions optionsFor(const std::filesystem::path& path, int width, int height, int fps) {
    MovieExportOptions o;
    o.outputPath = path;
    o.format = *videoFormatOfPath(path);
    o.bitRate = 600;
    o.width = width, o.height = height, o.framesPerSecond = fps;
    return o;
}

uint32_t framesInAvi(const std::filesystem::path& path) {
    const auto bytes = *readWholeFile(path);
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= uint32_t(bytes.at(48 + i)) << (8 * i);
    return n;
}

TEST(MovieExport, AviHoldsTheMarkedFramesAndTheTrailerAtTheChosenQuality) {
    ScratchFolder dir;
    TestSource source(10, 8, 6);
    SilentPrompter silent;
    MovieExportOptions o = optionsFor(dir / "m.avi", 8, 6, 5);
    o.markers = FrameRange{4, 4};
    ASSERT_TRUE(exportMovie(o, source, nullptr, silent));
    EXPECT_EQ(source.requested, std::vector<int>{4});
    EXPECT_EQ(framesInAvi(dir / "m.avi"), 1u);
    EXPECT_EQ(source.restores, 1);

    source.requested.clear();
    o.markers = FrameRange{6, 3}; // the second marker may stand before the first
    o.blackTrailer = true;
    o.maximumQuality = false;
    ASSERT_TRUE(exportMovie(o, source, nullptr, silent));
    EXPECT_EQ(source.requested, (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(framesInAvi(dir / "m.avi"), 4u + 5 + 1);
    EXPECT_EQ(source.switches, 1) << "no switch without maximum quality";

    source.alreadyMaximum = true;
    o.maximumQuality = true;
    ASSERT_TRUE(exportMovie(o, source, nullptr, silent));
    EXPECT_EQ(source.restores, 1) << "nothing to restore when it was already at maximum";
}

TEST(MovieExport, EveryFormatComesBackWithItsFramesSizeAndRate) {
    ScratchFolder dir;
    for (const char* name : {"m.avi", "m.wmv", "m.mov", "m.flv", "m.mp4"}) {
        SCOPED_TRACE(name);
        TestSource source(4, 32, 24);
        RecordingProgress progress;
        SilentPrompter silent;
        ASSERT_TRUE(exportMovie(optionsFor(dir / name, 32, 24, 10), source, &progress, silent));
        ASSERT_FALSE(progress.details.empty());
        EXPECT_EQ(progress.details.back(), name == std::string("m.avi")
                                               ? "Rendering frame 4 of 4"
                                               : "Writing output file: 100% done");
        const auto facts = test::probeFacts(dir / name);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->frames, 4);
        EXPECT_EQ(facts->width, 32);
        EXPECT_EQ(facts->height, 24);
        EXPECT_EQ(facts->frameRate, "10/1");
    }
    EXPECT_EQ(dir.names().size(), 5u) << "no temporary files left";
}

TEST(MovieExport, OddSizesAndOddNamesReachTheEncoderUnharmed) {
    ScratchFolder dir;
    const std::filesystem::path path =
        dir / "-my movie 'one' \"two\" $HOME %d caf\xC3\xA9 \xE6\x98\xA0\xE7\x94\xBB.mp4";
    TestSource source(3, 17, 13);
    SilentPrompter silent;
    ASSERT_TRUE(exportMovie(optionsFor(path, 17, 13, 25), source, nullptr, silent));
    const auto facts = test::probeFacts(path);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->frames, 3);
    EXPECT_EQ(facts->width, 18) << "4:2:0 chroma needs even sizes: one black column is added";
    EXPECT_EQ(facts->height, 14);
    EXPECT_EQ(dir.names().size(), 1u);
}

TEST(MovieExport, WithoutTheEncoderOnlyAviIsWritten) {
    ScratchFolder dir, emptyPath;
    const std::string oldPath = std::getenv("PATH");
    setenv("PATH", emptyPath.path().c_str(), 1);
    RecordingPrompter prompter;
    TestSource source(2, 8, 6);
    Status mp4 = exportMovie(optionsFor(dir / "m.mp4", 8, 6, 30), source, nullptr, prompter);
    Status avi = exportMovie(optionsFor(dir / "m.avi", 8, 6, 30), source, nullptr, prompter);
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(mp4.message(), kConversionFailed);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{std::string(kEncoderLaunchFailed),
                                                          std::string(kConversionFailed)}));
    EXPECT_TRUE(avi);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"m.avi"});
    EXPECT_EQ(source.restores, 2);
}

TEST(MovieExport, ACancelledOrFailedExportLeavesTheOldFileAlone) {
    ScratchFolder dir;
    for (const char* name : {"m.avi", "m.mp4"}) {
        SCOPED_TRACE(name);
        const std::string old = "an older movie";
        ASSERT_TRUE(writeFileSafely(dir / name, std::as_bytes(std::span(old))));
        TestSource source(5, 8, 6);
        NullProgress progress;
        source.progress = &progress;
        source.cancelAt = 2;
        RecordingPrompter prompter;
        Status cancelled =
            exportMovie(optionsFor(dir / name, 8, 6, 30), source, &progress, prompter);
        EXPECT_TRUE(cancelled.isCancelled());
        EXPECT_TRUE(prompter.entries.empty());
        EXPECT_EQ(source.requested.back(), 2);

        TestSource failing(5, 8, 6);
        failing.failAt = 1;
        Status failed = exportMovie(optionsFor(dir / name, 8, 6, 30), failing, nullptr, prompter);
        EXPECT_EQ(failed.message(), "Frame could not be built");
        EXPECT_EQ(source.restores + failing.restores, 2);
        EXPECT_EQ(std::filesystem::file_size(dir / name), old.size());
        std::filesystem::remove(dir / name);
        EXPECT_TRUE(dir.names().empty());
    }
}

} // namespace
} // namespace zx
