#include "imaging/BrushKernel.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {
constexpr int32_t kEdgeWeight = kFullWeight / 2; // round cells on the circle itself
constexpr int kMaxFeatherIndex = 3;

int32_t roundWeight(int n, int f, int i, int j) {
    const double c = n / 2.0, r = c - f;
    const double d2 = (c - i - 0.5) * (c - i - 0.5) + (c - j - 0.5) * (c - j - 0.5);
    if (std::fabs(d2 - r * r) < 1) return kEdgeWeight;
    return d2 < r * r ? kFullWeight : 0;
}

double softening(int n, int i, int j) {
    const double a = double(2 * i - n + 1) / n, b = double(2 * j - n + 1) / n;
    const double rho2 = a * a + b * b;
    return std::exp(-0.5 * 4 * rho2); // exp(-½ (2ρ)²)
}
} // namespace

BrushKernel BrushKernel::build(BrushShape shape, int size, int featherIndex) {
    size = std::clamp(size, kMinBrushSize, kMaxBrushSize);
    const int f = std::clamp(featherIndex, 0, kMaxFeatherIndex);
    BrushKernel k;
    k.n = size + 2 * f;
    k.weights.assign(size_t(k.n) * size_t(k.n), 0);
    const bool round = shape == BrushShape::SolidRound || shape == BrushShape::SoftRound;
    const bool soft = shape == BrushShape::SoftSquare || shape == BrushShape::SoftRound;
    for (int i = 0; i < k.n; ++i)
        for (int j = 0; j < k.n; ++j) {
            int32_t w = 0;
            if (round)
                w = roundWeight(k.n, f, i, j);
            else if (i >= f && i < f + size && j >= f && j < f + size)
                w = kFullWeight;
            if (soft) w = int32_t(w * softening(k.n, i, j));
            k.weights[size_t(i) * size_t(k.n) + size_t(j)] = w;
        }
    return k;
}

} // namespace zx
