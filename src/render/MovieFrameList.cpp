#include "render/MovieFrameList.h"

#include "render/ProjectFrame.h"
#include "storage/Project.h"

namespace zx {

MovieFrameList::MovieFrameList(MovieFrames frames, std::vector<int> firstFrames)
    : frames_(std::move(frames)), firstFrames_(std::move(firstFrames)) {}

int MovieFrameList::frameCount(int image) const {
    int count = 0;
    for (int i = firstFrame(image); i < size() && frames_[size_t(i)].imageIndex == image; ++i)
        ++count;
    return count;
}

int MovieFrameList::indexOf(int image, int frame) const {
    if (image < 0 || image >= imageCount() || frame < 0 || frame >= frameCount(image)) return -1;
    return firstFrame(image) + frame;
}

const PackedImage* MovieFrameList::coded(int index) const {
    std::lock_guard lock(slotLock_);
    return frames_[size_t(index)].cachedFrame.get();
}

const PackedImage* MovieFrameList::storeCoded(int index, PackedImage picture) {
    std::lock_guard lock(slotLock_);
    auto& slot = frames_[size_t(index)].cachedFrame;
    if (!slot) slot = std::make_unique<PackedImage>(std::move(picture));
    return slot.get();
}

void MovieFrameList::dropCoded(int index) {
    std::lock_guard lock(slotLock_);
    frames_[size_t(index)].cachedFrame.reset();
}

void MovieFrameList::assign(MovieFrameList&& other) {
    std::lock_guard lock(slotLock_);
    frames_ = std::move(other.frames_);
    firstFrames_ = std::move(other.firstFrames_);
}

MovieFrameList makeMovieFrameList(const Project& project, const FrameLayoutSettings& layout) {
    MovieFrames frames = projectMovieFrames(project, layout);
    std::vector<int> firstFrames(size_t(project.imageCount()), 0);
    int index = 0;
    for (int j = 0; j < project.imageCount(); ++j) {
        firstFrames[size_t(j)] = index;
        while (index < int(frames.size()) && frames[size_t(index)].imageIndex == j) {
            if (const ProjectImage* image = project.images.at(j))
                frames[size_t(index)].backgroundMode = int32_t(image->canvasColour);
            ++index;
        }
    }
    return MovieFrameList(std::move(frames), std::move(firstFrames));
}

} // namespace zx
