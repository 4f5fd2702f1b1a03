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
inline constexpr int curvePointX(uint32_t p) {
    return int(int16_t(p & 0xFFFF));
}
inline constexpr int curvePointY(uint32_t p) {
    return int(int16_t(p >> 16));
}

struct TimeCurve {
    int32_t kind = 0;             // 0 spline, 1 linear
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

// The rounding of a real to an integer used throughout: x + 0.5 truncated for x > 0,
// x − 0.49999 truncated otherwise.
int roundHalfAway(double x);

// Samples an effect curve into `table` (the caller sizes it to 513 entries).
void sampleEffectCurve(std::span<const EffectPoint> points, int32_t kind,
                       std::vector<float>& table);
// The value of an effect at time t.
float evaluateEffect(const ObjectEffect& effect, double t);

struct AnimObject;

// Rebuilds an object's table from its points, kind and its reverse and invert flags.
void resampleObjectCurve(AnimObject& object);
// Gives an object a new curve: points and kind replaced, reverse and invert cleared,
// table resampled. What the curve-setting commands do to the object.
void setObjectCurve(AnimObject& object, const TimeCurve& curve);

// The curves of the "Linear Time Curve", "Reverse Time Curve" and "Alternate Time
// Curve" commands.
TimeCurve linearCommandCurve();
TimeCurve reverseCommandCurve();
TimeCurve alternateCommandCurve();

// The local time of a library object's own animation at model time t (speed, time
// offset, own last frame index, loop flag). modelLastFrame is the model's last frame
// index.
double libraryLocalTime(const AnimObject& object, int modelLastFrame, double t);
// Normalised time of a frame: frame / lastFrame (0 when there is a single frame).
double frameTime(int frame, int lastFrame);
// Progress of an object at model time t: its table evaluated at t, or at its local
// time for a library object.
double objectProgress(const AnimObject& object, int modelLastFrame, double t);

} // namespace zx
