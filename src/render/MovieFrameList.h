#pragma once
// The movie's frame records as the movie frame builder keeps them: one CameraFrame per
// frame of every image (all frames of image 0 first, then those of image 1, …) and,
// for every image, the position of its frame 0. The coded-frame slots are shared with
// the builder's workers, so they are read and filled through this list's lock.

#include "render/CameraFrame.h"
#include "render/CameraTags.h"

#include <mutex>
#include <vector>

namespace zx {

class Project;

class MovieFrameList {
public:
    MovieFrameList() = default;
    MovieFrameList(MovieFrames frames, std::vector<int> firstFrames);

    int size() const { return int(frames_.size()); }
    CameraFrame& operator[](int index) { return frames_[size_t(index)]; }
    const CameraFrame& operator[](int index) const { return frames_[size_t(index)]; }
    int imageCount() const { return int(firstFrames_.size()); }
    // Position of frame 0 of image `image` (the list's length when it has no frames).
    int firstFrame(int image) const { return firstFrames_[size_t(image)]; }
    // Number of records of image `image`.
    int frameCount(int image) const;
    // Position of frame `frame` of image `image`, or −1.
    int indexOf(int image, int frame) const;

    // The coded picture of a record, or null. Once stored it stays until dropCoded.
    const PackedImage* coded(int index) const;
    // Stores `picture` unless the record already has one; returns the record's picture.
    const PackedImage* storeCoded(int index, PackedImage picture);
    // Drops a record's picture; only while no worker builds the record's image.
    void dropCoded(int index);

    // Replaces the records; only while no worker builds.
    void assign(MovieFrameList&& other);

private:
    MovieFrames frames_;
    std::vector<int> firstFrames_;
    mutable std::mutex slotLock_;
};

// The records of the project's movie with their camera values (tags interpolated),
// output size = movie size, doubled at Maximum; each image's frames keep its canvas
// colour as background mode.
MovieFrameList makeMovieFrameList(const Project& project, const FrameLayoutSettings& layout);

} // namespace zx
