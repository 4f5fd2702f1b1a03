#pragma once
// The magic background cleaner: a click takes the selected pixels connected to the
// clicked one that look alike in colour out of the selection.

#include "storage/RasterImage.h"

#include <cstdint>

namespace zx {

inline constexpr int kCleanerMinTolerance = 5;
inline constexpr int kCleanerMaxTolerance = 99;
inline constexpr int kCleanerDefaultTolerance = 30;

struct ColourHsv {
    double hue = 90;       // degrees 0..360; 90 for a colour without saturation
    double saturation = 0; // 0..1
    int value = 0;         // 0..255, the largest channel
};

ColourHsv toHsv(uint32_t pixel);

// Whether a candidate colour counts as the reference colour at tolerance 5..99.
bool cleanerSimilar(const ColourHsv& reference, const ColourHsv& candidate, int tolerance);

// Marks (pending selected, 0x800) the region a click at (x, y) would take: a
// scanline flood through selected, unmarked pixels similar to the colour under the
// cursor. With smoothing each candidate off the image border is compared by the mean
// of its 3x3 neighbourhood. Earlier marks are cleared first. Returns the number of
// pixels marked (0 when the click is outside, unselected, or the subject's size
// differs from the mask's).
long long highlightCleanerRegion(RasterImage& mask, const RasterImage& subject, int x, int y,
                                 int tolerance, bool smoothing);

// The click: smooths the marked region (when asked) and takes it out of the selection.
// Returns false when nothing was marked.
bool applyCleaner(RasterImage& mask, bool smoothing);

// Clears the marks of a highlight that was not applied (the pointer left the image).
void clearCleanerHighlight(RasterImage& mask);

} // namespace zx
