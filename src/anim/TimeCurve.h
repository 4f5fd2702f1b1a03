#pragma once
// Time curves: control points on a 0..512 grid mapping normalised time to progress,
// and their 513-entry sampled tables.

#include "anim/ObjectEffect.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zx {

inline constexpr int kCurveGrid = 512;
inline constexpr int kCurveTableSize = 513;

inline constexpr uint32_t packCurvePoint(int x, int y) {
    return (uint32_t(x) & 0xFFFF) | (uint32_t(y) << 16);
}
inline constexpr int curvePointX(uint32_t p) { return int(int16_t(p & 0xFFFF)); }
inline constexpr int curvePointY(uint32_t p) { return int(int16_t(p >> 16)); }

struct TimeCurve {
    int32_t kind = 0; // 0 spline, 1 linear
    std::vector<uint32_t> points; // packed x | y << 16, strictly increasing x
    bool operator==(const TimeCurve&) const = default;
};

using CurveTable = std::vector<int32_t>;

// Samples a time curve (integer ordinates), then applies reverse and invert.
CurveTable sampleTimeCurve(const TimeCurve& curve, bool reverse = false, bool invert = false);
// Progress at time t: t itself when the table is not complete; clamped to 1.
double evaluateTimeCurve(std::span<const int32_t> table, double t);
// The unchecked form for a table known to be complete (no size check, no clamp).
double evaluateCompleteTimeCurve(std::span<const int32_t> table, double t);

// Samples an effect curve into `table` (the caller sizes it to 513 entries).
void sampleEffectCurve(std::span<const EffectPoint> points, int32_t kind, std::vector<float>& table);
// The value of an effect at time t.
float evaluateEffect(const ObjectEffect& effect, double t);

} // namespace zx
