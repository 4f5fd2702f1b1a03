#include "imaging/TraceOutline.h"

namespace zx {

void traceOutline(RasterImage& mask, uint32_t insideBit, uint32_t outlineBit) {
    const int w = mask.width(), h = mask.height();
    auto isInside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && (mask.at(x, y) & insideBit);
    };
    const long long maxSteps = (long long)w * h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t word = mask.at(x, y);
            if (!(word & insideBit) || (word & outlineBit) || isInside(x - 1, y)) continue;
            std::vector<ContourPixel> path = followContour(x, y, isInside, maxSteps);
            if (path.size() <= 1) {
                // A lone pixel: no region to outline, so it leaves the selection.
                mask.at(x, y) &= ~(insideBit | outlineBit);
                continue;
            }
            for (const ContourPixel& p : path) mask.at(p.x, p.y) |= outlineBit;
        }
    }
}

} // namespace zx
