#pragma once
// The geometry and arithmetic of the timeline strips: which image lies under the
// mouse, where its thumbnail and duration bar are drawn, the zoom scale, and the
// texts of the hover line. Pure functions so the widget stays a thin painter.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

inline constexpr int kThumbnailWidth = 80;
inline constexpr int kDurationGrip = 8; // pixels either side of a bar end that start a drag
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 64;

// "+" doubles and "-" halves the pixels per frame, staying within 1 … 64.
int zoomTimelineIn(int scale);
int zoomTimelineOut(int scale);
// A stored scale that is not one of 1, 2, 4 … 64 becomes the nearest lower one.
int normalTimelineScale(int scale);

// Start frames of the images: the running sum of the durations before each.
std::vector<int> startFrames(std::span<const int> durations);

// The timeline frame under pixel x of a row.
int frameAtPixel(int x, int scale, int firstVisibleFrame);
// The last image whose start frame is at or before `frame` (the first image when
// the frame is before all); −1 with no images.
int imageAtFrame(std::span<const int> starts, int frame);

struct TimelineCell {
    int cellLeft = 0;   // pixel where the image's cell starts
    int thumbRight = 0; // end of its thumbnail
    int barRight = 0;   // end of its duration bar
};
// Where image `index` is drawn in a row `rowWidth` pixels wide.
TimelineCell cellOf(std::span<const int> starts, std::span<const int> durations, int index,
                    int scale, int firstVisibleFrame, int rowWidth);

// Whether x lies within the grip of the duration bar's end of `cell` (to the right
// of its thumbnail).
bool onDurationGrip(const TimelineCell& cell, int x);
// The duration a drag gives when the mouse is at x (whole frames, at least 1).
int dragDuration(const TimelineCell& cell, int x, int scale);

// "Duration= " + seconds + ":" + frames.
std::string durationText(int durationFrames, int framesPerSecond);

// The hover line over a thumbnail.
std::string thumbnailHoverText(bool imageEditMode);
inline constexpr std::string_view kDurationDragHint = "Drag to change image duration";
inline constexpr std::string_view kRulerHint =
    "Click to set cursor and start marker. Right click to set cursor and end marker";

// Page Down / Page Up move round the list (after the last the first); End and
// Home go to the ends. −1 for an empty list.
int nextImageWrapped(int current, int count);
int previousImageWrapped(int current, int count);

// How far the arrow keys nudge a floating edit at zoom level z.
int nudgeStep(int zoomLevel);

// The first image whose start frame is not before `frame` (the thumb position of
// the scroll bar); the last image when all start before it.
int imageAtOrAfterFrame(std::span<const int> starts, int frame);

// Where the strips start (the first visible image) so that image `selected` shows in a
// row `rowWidth` pixels wide. When every image fits, the strips start at the first
// image, so that nothing before the selection is scrolled away; otherwise the
// current start `firstImage` is kept while the selection is in view, and moved the
// least that brings it into view when it is not. −1 for `selected` keeps the start.
int firstImageShowing(std::span<const int> durations, int scale, int rowWidth, int firstImage,
                      int selected);
// The pixel where the strips of all images end when they start at `firstImage`
// (the later of the last duration bar's end and the last thumbnail's end).
int stripsRight(std::span<const int> durations, int scale, int firstImage);

// The duration "Set Image Duration" gives: frames + rate × seconds.
int durationFromSecondsFrames(int seconds, int frames, int framesPerSecond);

} // namespace zx
