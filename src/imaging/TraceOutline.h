#pragma once
// Outline of a selection: follows the border of every selected region with an
// 8-neighbour contour follower and flags the pixels it visits.

#include "imaging/MaskLayer.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <vector>

namespace zx {

// Sets `outlineBit` on the border pixels of every region of pixels that have
// `insideBit`. Pixels that already carry `outlineBit` are not started from again.
// A pixel with `insideBit` and no such 8-neighbour loses both bits (isolated pixels
// drop out of the selection).
void traceOutline(RasterImage& mask, uint32_t insideBit = MaskBit::Selected,
                  uint32_t outlineBit = MaskBit::Outline);

// The contour follower alone: the pixels visited from (startX, startY), in order,
// where `isInside(x, y)` tells the region. The start must be inside the region and
// its left neighbour outside. The walk ends back at the start or after `maxSteps`
// steps. A lone pixel gives just itself.
struct ContourPixel {
    int x = 0, y = 0;
    bool operator==(const ContourPixel&) const = default;
};
template <class InsideFn>
std::vector<ContourPixel> followContour(int startX, int startY, InsideFn&& isInside,
                                        long long maxSteps);

// Neighbour directions clockwise from north: 0 N, 1 NE, 2 E, 3 SE, 4 S, 5 SW, 6 W, 7 NW.
inline constexpr int kDirX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline constexpr int kDirY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

template <class InsideFn>
std::vector<ContourPixel> followContour(int startX, int startY, InsideFn&& isInside,
                                        long long maxSteps) {
    std::vector<ContourPixel> path;
    path.push_back({startX, startY});
    int x = startX, y = startY;
    int dir = 1;
    for (long long step = 0; step < maxSteps; ++step) {
        // Turn back three directions, past the selected neighbours to the first
        // unselected one, then on to the next selected one.
        int d = (dir + 5) & 7;
        int turns = 0;
        while (turns < 8 && isInside(x + kDirX[d], y + kDirY[d])) {
            d = (d + 1) & 7;
            ++turns;
        }
        turns = 0;
        while (turns < 8 && !isInside(x + kDirX[d], y + kDirY[d])) {
            d = (d + 1) & 7;
            ++turns;
        }
        if (turns == 8) break; // no selected neighbour at all
        x += kDirX[d];
        y += kDirY[d];
        dir = d;
        if (x == startX && y == startY) break;
        path.push_back({x, y});
    }
    return path;
}

} // namespace zx
