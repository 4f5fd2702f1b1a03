#include "output/VideoImport.h"

#include "OutputTestSupport.h"
#include "output/VideoTextureCache.h"
#include "platform/RecordingPrompter.h"
#include "platform/SafeFile.h"
#include "storage/ImageFile.h"

#include <gtest/gtest.h>
#include <thread>

namespace zx {
namespace {

using test::ScratchFolder;

TEST(VideoImport, ReadsTheFirstVideoStreamOfOldAndNewEncoderText) {
    const auto now = parseProbeOutput(
        {"Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'file:/tmp/a b.mov':",
         "  Duration: 00:00:10.50, start: 0.000000, bitrate: 46107 kb/s",
         "  Stream #0:0[0x1](und): Video: h264 (High) (avc1 / 0x31637661), yuv420p(tv, bt709, "
         "progressive), 320x240 [SAR 1:1 DAR 4:3], 45 kb/s, 25 fps, 25 tbr, 12800 tbn (default)"});
    ASSERT_TRUE(now);
    EXPECT_EQ(now->sizeText, "320x240");
    EXPECT_EQ(now->width, 320);
    EXPECT_EQ(now->height, 240);
    EXPECT_DOUBLE_EQ(now->duration, 10.5);
    EXPECT_EQ(now->frameCount, 262);

    const auto old =
        parseProbeOutput({"  Duration: 01:02:03.00, start: 0.000000, bitrate: 1 kb/s",
                          "    Stream #0.0: Video: mpeg4, yuv420p, 640x480, 29.97 tb(r)"});
    ASSERT_TRUE(old);
    EXPECT_EQ(old->frameRateText, "29.97");
    EXPECT_EQ(old->frameCount, int(29.97 * 3723));

    // Untrusted text: missing or unreadable pieces give no facts.
    const std::string stream = "    Stream #0:0: Video: rawvideo, bgr24, 320x240, 25 tbr";
    EXPECT_FALSE(parseProbeOutput({"  Duration: N/A, bitrate: N/A", stream}));
    EXPECT_FALSE(parseProbeOutput({"  Duration: 00:00:02.00", stream}));
    EXPECT_FALSE(parseProbeOutput({"  Duration: 00:00:02.00, start: 0",
                                   "    Stream #0:0: "
                                   "Audio: aac, 44100 Hz, stereo, 128 kb/s"}));
    EXPECT_FALSE(parseProbeOutput(
        {"  Duration: 00:00:02.00, start: 0", "    Stream #0:0: Video: rawvideo, 0x0, 25 tbr"}));
    EXPECT_FALSE(parseProbeOutput(
        {"  Duration: 00:00:02.00, start: 0", "    Stream #0:0: Video: rawvideo, 8x8, 1e999 tbr"}));
}

TEST(VideoImport, ProbesAndTakesTheFirstFrameOfARealVideo) {
    ScratchFolder dir;
    const auto video = dir / "clip 'one' \xC3\xA9.mov";
    ASSERT_TRUE(test::makeTestVideo(video, "64x48", 25, 2));
    const auto info = probeVideo(video);
    ASSERT_TRUE(info) << info.status().fullText();
    EXPECT_EQ(info->width, 64);
    EXPECT_EQ(info->height, 48);
    EXPECT_EQ(info->frameCount, 50);

    // Through the image loader, as a dropped or imported file.
    setStillImageConverter(videoStillImage);
    RecordingPrompter prompter;
    const auto still = loadImage(video, &prompter);
    setStillImageConverter({});
    ASSERT_TRUE(still);
    EXPECT_EQ(still->width(), 64);
    EXPECT_EQ(still->height(), 48);
    EXPECT_EQ(still->at(0, 0) >> 24, 0xFFu);
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(dir.names().size(), 1u);
}

TEST(VideoImport, AFileTheEncoderCannotReadIsNoVideo) {
    ScratchFolder dir;
    const std::string junk = "this is no video at all";
    ASSERT_TRUE(writeFileSafely(dir / "junk.mp4", std::as_bytes(std::span(junk))));
    RecordingPrompter prompter;
    EXPECT_FALSE(firstFrameOfVideo(dir / "junk.mp4", prompter));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(kNotAVideo)});
    EXPECT_EQ(probeVideo(dir / "junk.mp4").status().message(), kNotAVideo);
    EXPECT_FALSE(extractThumbnails(dir / "junk.mp4", dir.path()));
    EXPECT_FALSE(prepareVideoTexture(dir / "junk.mp4", 3, nullptr, prompter));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"junk.mp4"});
}

TEST(VideoImport, ThumbnailsAndTextureFramesAreWrittenOnce) {
    ScratchFolder dir;
    const auto video = dir / "v 100%.avi";
    ASSERT_TRUE(test::makeTestVideo(video, "32x24", 10, 2));
    const auto thumbs = dir / "thumbs 5%d";
    std::filesystem::create_directory(thumbs);
    const auto count = extractThumbnails(video, thumbs);
    ASSERT_TRUE(count);
    EXPECT_GE(*count, 2);
    EXPECT_TRUE(std::filesystem::exists(thumbnailPath(thumbs, *count)));

    // Two threads asking at once share one unpacking.
    Result<VideoTexture> a = Status::failed(""), b = Status::failed("");
    SilentPrompter silent;
    std::thread other([&] { a = prepareVideoTexture(video, 5, nullptr, silent); });
    b = prepareVideoTexture(video, 5, nullptr, silent);
    other.join();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->prefix, b->prefix);
    EXPECT_TRUE(std::filesystem::exists(a->framePath(5)));
    EXPECT_FALSE(std::filesystem::exists(a->framePath(6)));
    const auto frame = decodeJpeg([&] {
        static auto bytes = *readWholeFile(a->framePath(1));
        return std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width(), 32);
    clearVideoTextures();
    EXPECT_FALSE(std::filesystem::exists(a->framePath(1)));
}

} // namespace
} // namespace zx
