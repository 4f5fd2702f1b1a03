#pragma once
// The program-wide rendering quality: how much work the renderer does per pixel.

#include <array>
#include <cstdint>
#include <optional>

namespace zx {

enum class RenderQuality : int32_t {
    Low = 0,     // nearest texel, one flat brightness per triangle
    Medium = 1,  // bilinear texels, per-pixel normals
    High = 2,    // as Medium, plus silhouette smoothing
    Maximum = 3, // as High, at twice the size and halved at the end
};

inline constexpr std::array<const char*, 4> kRenderQualityLabels = {
    "Low (Fast)", "Medium", "High (Affects only 3d Animations)", "Maximum (Slow)"};

inline std::optional<RenderQuality> renderQualityFromInt(int value) {
    if (value < 0 || value > 3) return std::nullopt;
    return RenderQuality(value);
}

} // namespace zx
