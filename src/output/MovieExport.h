#pragma once
// Exporting the movie: every frame from a MovieFrameSource into an uncompressed AVI, and
// for the other formats the encoder converting that AVI into the chosen file. Nothing
// appears under the chosen name unless the movie is complete.

#include "output/MovieFrameSource.h"
#include "output/VideoFormat.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/Status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zx {

inline constexpr std::string_view kConversionFailed = "Video conversion failed!!!";
inline constexpr int kMinBitRate = 64;
inline constexpr int kMaxBitRate = 175000;

struct FrameRange {
    int first = 0;
    int last = 0; // included
};

struct MovieExportOptions {
    std::filesystem::path outputPath;
    VideoFormat format = VideoFormat::Wmv;
    int bitRate = 2400; // kbit/s; unused for AVI
    // Markers only: the frames from the first marker's to the second marker's, both included.
    std::optional<FrameRange> markers;
    bool maximumQuality = true;
    bool blackTrailer = false; // one second and one frame of black at the end
    int width = 480;
    int height = 360;
    int framesPerSecond = 30;
};

// Writes the movie, showing progress ("Rendering frame n of m") and any failure. Cancelled
// through `progress`, it stops at the next frame and leaves no file behind.
Status exportMovie(const MovieExportOptions& options, MovieFrameSource& source, Progress* progress,
                   Prompter& prompter);

// Converts the AVI `avi` of `totalFrames` frames into `output` in `format`. The output
// takes its name only when the encoder has finished it without error.
Status convertWithEncoder(const std::filesystem::path& avi, const std::filesystem::path& output,
                          VideoFormat format, long long totalFrames, int bitRate,
                          int framesPerSecond, Progress* progress, Prompter& prompter);

// The encoder's arguments for converting `avi` into `output`.
std::vector<std::string> conversionArguments(const std::filesystem::path& avi,
                                             const std::filesystem::path& output,
                                             VideoFormat format, int bitRate, int framesPerSecond);

} // namespace zx
