#pragma once
// Histograms, means and levels of a picture, over its visible pixels or over the
// selected ones. Auto Levels, Auto Contrast and the dialogs' pivot read them; they are
// computed once per picture state.

#include "storage/RasterImage.h"

#include <array>
#include <cstdint>

namespace zx {

enum class StatChannel : int { Luminance = 0, Red = 1, Green = 2, Blue = 3 };

struct ChannelStatistics {
    std::array<uint32_t, 256> histogram{};
    // The levels between which all but a few pixels lie: range = high - low, at least 1.
    int low = 0;
    int range = 255;
};

struct PictureStatistics {
    long long pixelCount = 0;
    std::array<ChannelStatistics, 4> channels; // by StatChannel
    // Mean red, green and blue; 128 when there are no pixels.
    std::array<int, 3> means{128, 128, 128};

    const ChannelStatistics& operator[](StatChannel c) const { return channels[size_t(c)]; }
    // The dialogs' pivot: the mean of the three means.
    int pivot() const { return (means[0] + means[1] + means[2]) / 3; }
};

// floor(sqrt(r² + g² + b²) / sqrt(3)): 0..255.
int luminanceOf(uint32_t pixel);

// Over every pixel with alpha above 0 or, given a mask layer of the picture's size,
// over those of them that are selected.
PictureStatistics pictureStatistics(const RasterImage& picture, const RasterImage* mask = nullptr);

} // namespace zx
