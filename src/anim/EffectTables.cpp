#include "anim/EffectTables.h"

#include "anim/AnimObject.h"
#include "anim/TimeCurve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {

namespace {

constexpr double kPi = std::numbers::pi;

int clampPosition(double position, int range) {
    if (!(position > 0)) return 0; // also NaN
    if (position >= range) return range;
    return roundHalfAway(position);
}

double cappedDouble(int size) {
    const double d = 2.0 * double(size);
    return d > 4095 ? 4095 : (d < 0 ? 0 : d);
}

bool isRotation(EffectKind kind) {
    return kind == EffectKind::Rotation || kind == EffectKind::HorizontalRotation ||
           kind == EffectKind::VerticalRotation;
}

void ensureTable(ObjectEffect& effect) {
    if (effect.table.size() != size_t(kCurveTableSize))
        effect.table.assign(size_t(kCurveTableSize), effect.startValue);
}

// A curve the sampler can read: at least two points, from x = 0 to x = 512.
bool usableCurve(const std::vector<EffectPoint>& points) {
    return points.size() >= 2 && points.front().x == 0 && points.back().x == kCurveGrid;
}

void resample(ObjectEffect& effect) {
    ensureTable(effect);
    sampleEffectCurve(effect.points, effect.curveKind, effect.table);
}

} // namespace

EffectValues evaluateEffects(const AnimObject& object, double t) {
    EffectValues values{};
    for (int slot = 0; slot < kEffectCount; ++slot)
        values[size_t(slot)] = evaluateEffect(object.effects[size_t(slot)], t);
    return values;
}

float effectValue(const AnimObject& object, EffectKind kind, double t) {
    return evaluateEffect(object.effects[size_t(kEffectSlotOfKind[size_t(kind)])], t);
}

EffectScales effectScales(int startWidth, int startHeight, int sceneDepth) {
    return {cappedDouble(startWidth), cappedDouble(startHeight), cappedDouble(sceneDepth)};
}

double effectValueFromSlider(EffectKind kind, int position, const EffectScales& scales, int range) {
    const double s = position;
    const double centre = range / 2;
    const double step = 2.0 / range; // 0.002 for the sliders, 1/128 for the graph
    switch (kind) {
    case EffectKind::HorizontalPosition:
        return (s - centre) * step * scales.width;
    case EffectKind::VerticalPosition:
        return (s - centre) * step * scales.height;
    case EffectKind::Distance:
        return (s - centre) * step * scales.depth;
    case EffectKind::Scale:
        return std::pow(16.0, (s - centre) * step);
    case EffectKind::Rotation:
    case EffectKind::HorizontalRotation:
    case EffectKind::VerticalRotation:
        return (s - centre) * (2 * step) * kPi;
    case EffectKind::Inflation:
        return s * step;
    case EffectKind::Opacity:
    case EffectKind::Blur:
        return s * (1.0 / range);
    default: // the colour effects
        return (s - centre) * step;
    }
}

int sliderFromEffectValue(EffectKind kind, double v, const EffectScales& scales, int range) {
    const double centre = range / 2;
    if (!std::isfinite(v)) return defaultEffectSlider(kind, range);
    // Every direction rounds half away from zero. A truncating inverse would move the
    // slider one step down whenever the stored float came out a hair low, e.g. a scale
    // set at 501 would come back at 500.
    switch (kind) {
    case EffectKind::HorizontalPosition:
        return scales.width > 0 ? clampPosition(centre + v / scales.width * centre, range)
                                : int(centre);
    case EffectKind::VerticalPosition:
        return scales.height > 0 ? clampPosition(centre + v / scales.height * centre, range)
                                 : int(centre);
    case EffectKind::Distance:
        return scales.depth > 0 ? clampPosition(centre + v / scales.depth * centre, range)
                                : int(centre);
    case EffectKind::Scale:
        if (!(v > 0)) return 0;
        return clampPosition(centre + std::log(v) / ((2.0 / range) * std::log(16.0)), range);
    case EffectKind::Rotation:
    case EffectKind::HorizontalRotation:
    case EffectKind::VerticalRotation:
        return clampPosition((v + 2 * kPi) * (range / 4.0) / kPi, range);
    case EffectKind::Inflation:
        return clampPosition(v * centre, range);
    case EffectKind::Opacity:
    case EffectKind::Blur:
        return clampPosition(v * range, range);
    default:
        return clampPosition((v + 1) * centre, range);
    }
}

int defaultEffectSlider(EffectKind kind, int range) {
    if (kind == EffectKind::Opacity) return range;
    if (kind == EffectKind::Blur) return 0;
    return range / 2;
}

double effectDisplayValue(EffectKind kind, double value) {
    return isRotation(kind) ? value * 180 / kPi : value;
}

double effectValueFromDisplay(EffectKind kind, double shown) {
    return isRotation(kind) ? shown * kPi / 180 : shown;
}

std::vector<EffectKind> offeredEffects(const AnimObject& object, bool perspective) {
    std::vector<EffectKind> kinds;
    for (int k = 0; k < kEffectCount; ++k) {
        const auto kind = EffectKind(k);
        if (!object.is3d()) {
            if (kind == EffectKind::Inflation) continue;
            if (!perspective &&
                (kind == EffectKind::HorizontalRotation || kind == EffectKind::VerticalRotation))
                continue;
        }
        kinds.push_back(kind);
    }
    return kinds;
}

void storeEffectEnds(ObjectEffect& effect, float start, float end) {
    if (!usableCurve(effect.points)) effect.points = {{0, start}, {kCurveGrid, end}};
    effect.points.front().y = start;
    effect.points.back().y = end;
    effect.startValue = start;
    resample(effect);
}

void setEffectPoint(ObjectEffect& effect, int x, float value) {
    x = std::clamp(x, 0, kCurveGrid);
    if (!usableCurve(effect.points)) {
        const float end = effect.table.size() == size_t(kCurveTableSize) ? effect.table.back()
                                                                         : effect.startValue;
        effect.points = {{0, effect.startValue}, {kCurveGrid, end}};
    }
    auto it = std::lower_bound(effect.points.begin(), effect.points.end(), x,
                               [](const EffectPoint& p, int px) { return p.x < px; });
    if (it != effect.points.end() && it->x == x)
        it->y = value;
    else
        effect.points.insert(it, {x, value});
    if (x == 0) effect.startValue = value;
    resample(effect);
}

void resetEffectCurve(ObjectEffect& effect) {
    if (effect.points.size() > 2)
        effect.points.erase(effect.points.begin() + 1, effect.points.end() - 1);
    if (!usableCurve(effect.points)) return;
    resample(effect);
}

int effectCurveX(int frame, int frameCount) {
    if (frameCount <= 0) return 0;
    return std::clamp(roundHalfAway(double(frame) * kCurveGrid / frameCount), 0, kCurveGrid);
}

int commitConstantEffects(AnimObject& object) {
    int committed = 0;
    for (ObjectEffect& effect : object.effects) {
        if (effect.table.empty()) continue;
        const float first = effect.table.front();
        const bool constant = std::all_of(effect.table.begin(), effect.table.end(),
                                          [first](float v) { return v == first; });
        if (!constant) continue;
        effect.table.clear();
        effect.startValue = first;
        ++committed;
    }
    return committed;
}

float speedFromSlider(int position) {
    return float((position - 500) * 0.008);
}

int sliderFromSpeed(float speed) {
    return clampPosition(500 + double(speed) / 0.008, kEffectSliderRange);
}

float fitSpeed(const AnimObject& object, int modelLastFrame) {
    if (modelLastFrame <= 0) return 1.0f;
    return float(double(object.ownLastFrame) / double(modelLastFrame));
}

float timeOffsetFromFrame(int frame, int ownFrameCount) {
    if (ownFrameCount <= 0) return 0;
    return float(double(frame) / double(ownFrameCount));
}

} // namespace zx
