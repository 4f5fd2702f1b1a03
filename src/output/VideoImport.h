#pragma once
// Reading videos through the encoder: the first frame as a picture (so that a video can
// stand wherever a photograph is expected), the facts of a video (duration, size, frame
// rate) and one thumbnail per second.

#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zx {

inline constexpr std::string_view kNotAVideo = "Not a valid video file, or format not supported";

struct VideoInfo {
    std::string durationText; // "00:00:10.50"
    double duration = 0;      // seconds
    std::string sizeText;     // "320x240"
    int width = 0;
    int height = 0;
    std::string frameRateText; // "25"
    double frameRate = 0;
    int frameCount = 0; // frame rate × duration, truncated
};

// The facts of the first video stream in the encoder's description of its input; none
// when the duration, the size or the frame rate is missing or unreadable.
std::optional<VideoInfo> parseProbeOutput(const std::vector<std::string>& lines);

// Runs the encoder on the video and reads its description. Fails with kNotAVideo when
// the encoder cannot describe it.
Result<VideoInfo> probeVideo(const std::filesystem::path& video, Progress* progress = nullptr);

// The video's first frame. Failures are shown through the prompter: kNotAVideo for a file
// the encoder cannot read.
Result<RasterImage> firstFrameOfVideo(const std::filesystem::path& video, Prompter& prompter);

// The image loader's converter for files that are no photographs: their first frame.
// It keeps the loader's calling convention, where no prompter means no user.
std::optional<RasterImage> videoStillImage(const std::filesystem::path& path, Prompter* prompter);

// Writes one JPEG per second of the video into `folder` (see thumbnailPath) and gives
// their number.
Result<int> extractThumbnails(const std::filesystem::path& video,
                              const std::filesystem::path& folder, Progress* progress = nullptr);
// Thumbnail `n` (from 1) in `folder`.
std::filesystem::path thumbnailPath(const std::filesystem::path& folder, int n);

// A folder name as the start of a numbered file pattern ("%d"): its own '%' doubled.
std::string patternPrefix(const std::filesystem::path& path);

} // namespace zx
