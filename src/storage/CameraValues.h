#pragma once
// The camera values of one movie frame as the project file keeps them (the VTAG
// block): tag bits, look-at point, zoom, turn, tilt, distance and a reserved word.
// The camera code gives them their meaning; storage only keeps them.

#include <cstdint>
#include <vector>

namespace zx {

struct CameraValues {
    int32_t tagBits = 0;
    float lookX = 0, lookY = 0;
    float zoom = 1;
    float turn = 0, tilt = 0;
    float distance = 0;
    int32_t reserved = 0;
    bool operator==(const CameraValues&) const = default;
};

// One record per movie frame, in movie-frame order.
using CameraValueBlock = std::vector<CameraValues>;

} // namespace zx
