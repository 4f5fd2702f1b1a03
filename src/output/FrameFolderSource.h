#pragma once
// Movie frames as numbered PNG files in a folder: movie frame i is "frame_" followed by
// i in at least five digits and ".png". Frames rendered in pieces (on several machines,
// say) are put together into one folder and exported from there as one movie.

#include "output/MovieFrameSource.h"

#include <filesystem>
#include <map>
#include <string>

namespace zx {

// "frame_00042.png" for frame 42.
std::string movieFrameFileName(int index);
// The frame number of such a name; none for any other name.
std::optional<int> movieFrameNumber(const std::string& fileName);

class FrameFolderSource : public MovieFrameSource {
public:
    // Lists the frame files of `folder`. Refused when there is no such folder or no
    // frame file in it.
    static Result<FrameFolderSource> open(const std::filesystem::path& folder);

    // One past the highest frame number found.
    int frameCount() const override;
    // The frame's picture, opaque. Fails when its file is missing or unreadable, or
    // when its size differs from the first frame read.
    Result<RasterImage> frame(int index) override;

    // The first frame number of first … last that has no file; none when all are there.
    std::optional<int> firstMissing(int first, int last) const;
    // The size of the first frame file (read for it); refused when it cannot be read.
    Result<std::pair<int, int>> frameSize();

private:
    FrameFolderSource() = default;

    std::map<int, std::filesystem::path> files_; // by frame number
    int width_ = 0, height_ = 0;                 // of the first frame read; 0 until then
};

} // namespace zx
