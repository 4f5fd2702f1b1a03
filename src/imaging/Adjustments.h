#pragma once
// The colour adjustments of Image Edit mode as pure functions: each reads `source`
// and writes `picture` (a picture of the same size; any other is first made a copy
// of the source), so that a dialog can keep its source and recompute the picture
// for every preview. `AdjustTarget` limits the work to what a preview shows and the
// effect to the selection.

#include "imaging/PictureStatistics.h"
#include "storage/RasterImage.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zx {

struct AdjustTarget {
    // Preview: only this part of the picture (clipped to it).
    std::optional<PixelRect> area;
    // Preview of a zoomed-out view: only every step-th pixel of every step-th row.
    int step = 1;
    // The selection's weight (`selectionWeight`) when the edit is limited to the
    // selection; must have the picture's size, else nothing changes.
    const RasterImage* weight = nullptr;
};

inline constexpr int kAdjustMin = -100;
inline constexpr int kAdjustMax = 100;

// Each channel stretched by the levels of its own histogram.
void autoLevels(const RasterImage& source, RasterImage& picture, const PictureStatistics& stats,
                const AdjustTarget& target = {});
// All three channels stretched by the levels of the luminance histogram.
void autoContrast(const RasterImage& source, RasterImage& picture, const PictureStatistics& stats,
                  const AdjustTarget& target = {});

// The shift White Balance applies to red, green and blue, from the 5 x 5 pixels
// centred on (x, y): each mean brought down to the smallest one. None when the
// square leaves the picture or holds a transparent pixel.
std::optional<std::array<int, 3>> whiteBalanceShift(const RasterImage& picture, int x, int y);
void whiteBalance(const RasterImage& source, RasterImage& picture, const std::array<int, 3>& shift,
                  const AdjustTarget& target = {});

// Brightness and contrast -100..100 around the pivot (`PictureStatistics::pivot`).
void brightnessContrast(const RasterImage& source, RasterImage& picture, int brightness,
                        int contrast, int pivot, const AdjustTarget& target = {});
// Red, green and blue each moved by -100..100.
void colorBalance(const RasterImage& source, RasterImage& picture, int red, int green, int blue,
                  const AdjustTarget& target = {});
// Hue (1.8° a unit), saturation (1 % a unit) and value (2.55 a unit), each -100..100.
void hueSaturation(const RasterImage& source, RasterImage& picture, int hue, int saturation,
                   int intensity, const AdjustTarget& target = {});

// The nine 16.16 taps of the blur at slider value s < 0; they add up to 65536.
std::array<int32_t, 9> blurKernel(int s);
// s < 0 blurs, s > 0 sharpens, 0 gives back the source. With a weight only pixels
// weighing 128 or more change, fully.
void blurSharpen(const RasterImage& source, RasterImage& picture, int s,
                 const AdjustTarget& target = {});

} // namespace zx
