#include "commands/TimelineLayout.h"

#include <algorithm>

namespace zx {

int zoomTimelineIn(int scale) {
    return std::min(kMaxScale, normalTimelineScale(scale) * 2);
}

int zoomTimelineOut(int scale) {
    return std::max(kMinScale, normalTimelineScale(scale) / 2);
}

int normalTimelineScale(int scale) {
    if (scale <= kMinScale) return kMinScale;
    if (scale >= kMaxScale) return kMaxScale;
    int s = 1;
    while (s * 2 <= scale) s *= 2;
    return s;
}

std::vector<int> startFrames(std::span<const int> durations) {
    std::vector<int> starts;
    starts.reserve(durations.size());
    int sum = 0;
    for (int d : durations) {
        starts.push_back(sum);
        sum += d;
    }
    return starts;
}

int frameAtPixel(int x, int scale, int firstVisibleFrame) {
    return x / std::max(1, scale) + firstVisibleFrame;
}

int imageAtFrame(std::span<const int> starts, int frame) {
    if (starts.empty()) return -1;
    // the last start ≤ frame
    auto it = std::upper_bound(starts.begin(), starts.end(), frame);
    if (it == starts.begin()) return 0;
    return int(it - starts.begin()) - 1;
}

TimelineCell cellOf(std::span<const int> starts, std::span<const int> durations, int index,
                    int scale, int firstVisibleFrame, int rowWidth) {
    TimelineCell c;
    c.cellLeft = scale * (starts[index] - firstVisibleFrame);
    int limit = rowWidth;
    if (size_t(index) + 1 < starts.size())
        limit = std::min(limit, scale * (starts[index + 1] - firstVisibleFrame));
    c.thumbRight = std::min(c.cellLeft + kThumbnailWidth, limit);
    c.barRight = c.cellLeft + durations[index] * scale;
    return c;
}

bool onDurationGrip(const TimelineCell& cell, int x) {
    return x > cell.thumbRight && x >= cell.barRight - kDurationGrip &&
           x <= cell.barRight + kDurationGrip;
}

int dragDuration(const TimelineCell& cell, int x, int scale) {
    const int frames = (x - cell.cellLeft + std::max(1, scale) / 2) / std::max(1, scale);
    return std::max(1, frames);
}

std::string durationText(int durationFrames, int framesPerSecond) {
    const int rate = std::max(1, framesPerSecond);
    return "Duration= " + std::to_string(durationFrames / rate) + ":" +
           std::to_string(durationFrames % rate);
}

std::string thumbnailHoverText(bool imageEditMode) {
    return imageEditMode
               ? "Click to select. Drag to move on timeline. Right click for additional options"
               : "Click to select. Right click for additional options";
}

int nextImageWrapped(int current, int count) {
    if (count <= 0) return -1;
    return current < 0 || current + 1 >= count ? 0 : current + 1;
}

int previousImageWrapped(int current, int count) {
    if (count <= 0) return -1;
    return current <= 0 || current >= count ? count - 1 : current - 1;
}

int nudgeStep(int zoomLevel) {
    if (zoomLevel < 0) return 8 << std::min(-zoomLevel, 8);
    if (zoomLevel > 3) return 1;
    return 8 >> zoomLevel;
}

int imageAtOrAfterFrame(std::span<const int> starts, int frame) {
    if (starts.empty()) return -1;
    auto it = std::lower_bound(starts.begin(), starts.end(), frame);
    if (it == starts.end()) return int(starts.size()) - 1;
    return int(it - starts.begin());
}

namespace {
// The right end of image `index` drawn from frame `first`: its bar or its full
// thumbnail, whichever reaches further.
int cellRight(std::span<const int> starts, std::span<const int> durations, int index, int scale,
              int first) {
    const int left = scale * (starts[size_t(index)] - first);
    return std::max(left + kThumbnailWidth, left + durations[size_t(index)] * scale);
}
} // namespace

int stripsRight(std::span<const int> durations, int scale, int firstImage) {
    if (durations.empty()) return 0;
    const auto starts = startFrames(durations);
    const int count = int(durations.size());
    const int first = starts[size_t(std::clamp(firstImage, 0, count - 1))];
    int right = 0;
    for (int i = 0; i < count; ++i)
        right = std::max(right, cellRight(starts, durations, i, std::max(1, scale), first));
    return right;
}

int firstImageShowing(std::span<const int> durations, int scale, int rowWidth, int firstImage,
                      int selected) {
    const int count = int(durations.size());
    if (count == 0) return 0;
    scale = std::max(1, scale);
    firstImage = std::clamp(firstImage, 0, count - 1);
    if (stripsRight(durations, scale, 0) <= rowWidth) return 0;
    if (selected < 0 || selected >= count) return firstImage;
    if (selected < firstImage) return selected;
    const auto starts = startFrames(durations);
    int first = firstImage;
    while (first < selected &&
           cellRight(starts, durations, selected, scale, starts[size_t(first)]) > rowWidth)
        ++first;
    return first;
}

int durationFromSecondsFrames(int seconds, int frames, int framesPerSecond) {
    return frames + framesPerSecond * seconds;
}

} // namespace zx
