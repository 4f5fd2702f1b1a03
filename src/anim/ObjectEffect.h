#pragma once
// The seventeen per-object effect tracks.

#include <array>
#include <cstdint>
#include <vector>

namespace zx {

// Order of the effect editor's list.
enum class EffectKind : int {
    HorizontalPosition = 0,
    VerticalPosition,
    Scale,
    Rotation,
    HorizontalRotation,
    VerticalRotation,
    Distance,
    Inflation,
    Opacity,
    Blur,
    Brightness,
    Contrast,
    Hue,
    Saturation,
    Red,
    Green,
    Blue,
};
inline constexpr int kEffectCount = 17;

// Storage slots (the order in AnimObject::effects and in the animation record).
namespace EffectSlot {
inline constexpr int HorizontalPosition = 0;
inline constexpr int VerticalPosition = 1;
inline constexpr int Distance = 2;
inline constexpr int Scale = 3;
inline constexpr int Rotation = 4;
inline constexpr int HorizontalRotation = 5;
inline constexpr int VerticalRotation = 6;
inline constexpr int Inflation = 7;
inline constexpr int Opacity = 8;
inline constexpr int Blur = 9;
inline constexpr int Brightness = 10;
inline constexpr int Contrast = 11;
inline constexpr int Hue = 12;
inline constexpr int Saturation = 13;
inline constexpr int Red = 14;
inline constexpr int Green = 15;
inline constexpr int Blue = 16;
} // namespace EffectSlot

// Storage slot of each EffectKind.
inline constexpr std::array<int, kEffectCount> kEffectSlotOfKind = {0, 1,  3,  4,  5,  6,  2,  7, 8,
                                                                    9, 10, 11, 12, 13, 14, 15, 16};
// Labels in the effect editor, by EffectKind.
inline constexpr std::array<const char*, kEffectCount> kEffectLabels = {
    "Horizontal Position", "Vertical Position", "Scale",          "Rotation",
    "Horizontal Rotation", "Vertical Rotation", "Distance (Z)",   "Inflation",
    "Opacity",             "Blur (*)",          "Brightness (*)", "Contrast (*)",
    "Hue (*)",             "Saturation (*)",    "Red (*)",        "Green (*)",
    "Blue (*)"};

// Default start value by storage slot: scale, inflation and opacity are 1.
inline constexpr float defaultEffectValue(int slot) {
    return (slot == EffectSlot::Scale || slot == EffectSlot::Inflation ||
            slot == EffectSlot::Opacity)
               ? 1.0f
               : 0.0f;
}

struct EffectPoint {
    int32_t x = 0; // 0 … 512
    float y = 0;
    bool operator==(const EffectPoint&) const = default;
};

struct ObjectEffect {
    float startValue = 0;            // value at t = 0 and when there is no table
    std::vector<float> table;        // 513 samples when present, empty when absent
    std::vector<EffectPoint> points; // control points, empty when absent
    int32_t curveKind = 0;           // 0 spline, 1 linear
    bool operator==(const ObjectEffect&) const = default;
};

} // namespace zx
