#pragma once
// The seventeen per-object effect tracks.

#include <array>
#include <cstdint>
#include <string_view>
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
struct EffectSlot {
    static constexpr int HorizontalPosition = 0;
    static constexpr int VerticalPosition = 1;
    static constexpr int Distance = 2;
    static constexpr int Scale = 3;
    static constexpr int Rotation = 4;
    static constexpr int HorizontalRotation = 5;
    static constexpr int VerticalRotation = 6;
    static constexpr int Inflation = 7;
    static constexpr int Opacity = 8;
    static constexpr int Blur = 9;
    static constexpr int Brightness = 10;
    static constexpr int Contrast = 11;
    static constexpr int Hue = 12;
    static constexpr int Saturation = 13;
    static constexpr int Red = 14;
    static constexpr int Green = 15;
    static constexpr int Blue = 16;
};

// Storage slot of each EffectKind.
inline constexpr std::array<int, kEffectCount> kEffectSlotOfKind = {0, 1,  3,  4,  5,  6,  2,  7, 8,
                                                                    9, 10, 11, 12, 13, 14, 15, 16};
// Labels in the effect editor, by EffectKind.
// clang-format off
inline constexpr std::array<std::string_view, kEffectCount> kEffectLabels = {
    "Horizontal Position", "Vertical Position", "Scale",          "Rotation",
    "Horizontal Rotation", "Vertical Rotation", "Distance (Z)",   "Inflation",
    "Opacity",             "Blur (*)",          "Brightness (*)", "Contrast (*)",
    "Hue (*)",             "Saturation (*)",    "Red (*)",        "Green (*)",
    "Blue (*)"};
// clang-format on

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
