#pragma once
// Object effects: their values at a frame, the editor's slider and curve-graph scales
// in both directions, and the edits the effect editor makes to an effect's curve and
// table. Everything here is a pure function of its arguments.

#include "anim/ObjectEffect.h"

#include <array>
#include <vector>

namespace zx {

struct AnimObject;

// The seventeen effect values of an object, by storage slot (EffectSlot).
using EffectValues = std::array<float, kEffectCount>;

// Every effect of the object at normalised time t.
EffectValues evaluateEffects(const AnimObject& object, double t);
// One effect of the object at time t.
float effectValue(const AnimObject& object, EffectKind kind, double t);

inline constexpr int kEffectSliderRange = 1000; // the start and end sliders
inline constexpr int kEffectGraphRange = 256;   // the curve graph's height

// What the position effects are measured against: twice the start image's width and
// height and twice the scene depth, each capped at 4095.
struct EffectScales {
    double width = 0, height = 0, depth = 0;
};
EffectScales effectScales(int startWidth, int startHeight, int sceneDepth);

// Slider (or graph, with range kEffectGraphRange) position to effect value.
double effectValueFromSlider(EffectKind kind, int position, const EffectScales& scales,
                             int range = kEffectSliderRange);
// Effect value to the nearest slider position, within 0 … range. Values that come from
// a position map back onto that position.
int sliderFromEffectValue(EffectKind kind, double value, const EffectScales& scales,
                          int range = kEffectSliderRange);
// Where the default buttons put a slider: the top for "Opacity", the bottom for
// "Blur (*)", the middle for everything else.
int defaultEffectSlider(EffectKind kind, int range = kEffectSliderRange);

// The editor shows rotations in degrees and every other effect as it is.
double effectDisplayValue(EffectKind kind, double value);
double effectValueFromDisplay(EffectKind kind, double shown);

// The effects the editor offers for an object.
std::vector<EffectKind> offeredEffects(const AnimObject& object, bool perspective);

// Sets an effect's start and end values: the curve's first and last points take them
// (two points are made when the curve has none) and the 513-entry table is sampled
// again with the effect's curve kind.
void storeEffectEnds(ObjectEffect& effect, float start, float end);
// Adds a curve point at x (0 … 512), or replaces the one there, and resamples.
void setEffectPoint(ObjectEffect& effect, int x, float value);
// Drops the interior curve points, leaving start and end, and resamples.
void resetEffectCurve(ObjectEffect& effect);
// The curve x of a frame: frame · 512 / frame count, rounded.
int effectCurveX(int frame, int frameCount);
// Replaces every table that holds one value throughout by that value as start value
// (no table). Returns how many tables went.
int commitConstantEffects(AnimObject& object);

// "Object Play Speed": slider position 0 … 1000 to speed −4 … 4 and back.
float speedFromSlider(int position);
int sliderFromSpeed(float speed);
// "Fit object animation time": the speed at which the object's own animation spans
// the model's animation exactly.
float fitSpeed(const AnimObject& object, int modelLastFrame);
// "Start Frame:": time offset of a start frame among the object's own frames.
float timeOffsetFromFrame(int frame, int ownFrameCount);

} // namespace zx
