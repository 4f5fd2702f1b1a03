#pragma once
// Random regions for robustness tests: unions of discs, bars and specks, with bites
// taken out, from a seeded generator.

#include "mesh3d/MaskShapes.h"
#include "platform/Rng.h"

#include <cmath>

namespace zx::testing {

inline RasterImage randomRegion(Rng& rng, int width, int height) {
    RasterImage m(width, height, 0);
    auto paint = [&](bool on, double cx, double cy, double rx, double ry) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
                if (dx * dx + dy * dy <= 1) m.at(x, y) = on ? kIn : 0;
            }
    };
    const int blobs = 1 + int(rng.uniform() * 5);
    for (int i = 0; i < blobs; ++i)
        paint(true, rng.uniform() * width, rng.uniform() * height, 1 + rng.uniform() * width / 3,
              1 + rng.uniform() * height / 3);
    const int bites = int(rng.uniform() * 4);
    for (int i = 0; i < bites; ++i)
        paint(false, rng.uniform() * width, rng.uniform() * height, 1 + rng.uniform() * width / 6,
              1 + rng.uniform() * height / 6);
    const int specks = int(rng.uniform() * 20);
    for (int i = 0; i < specks; ++i)
        m.at(int(rng.uniform() * width), int(rng.uniform() * height)) ^= kIn;
    if (rng.uniform() < 0.3) { // a thin diagonal stroke
        double x = rng.uniform() * width, y = rng.uniform() * height;
        for (int k = 0; k < width; ++k) {
            int px = int(x + k * 0.7), py = int(y + k * 0.45);
            if (px >= 0 && py >= 0 && px < width && py < height) m.at(px, py) = kIn;
        }
    }
    return m;
}

} // namespace zx::testing
