#pragma once
// The kinds of camera tag a movie frame can carry, as bits of its tag word.

#include <array>
#include <cstdint>

namespace zx {

enum class CameraTagKind : int32_t { LookAt = 1, MoveCamera = 2, Zoom = 4, Distance = 8 };

inline constexpr int32_t kAllCameraTags = 15;

// In the order the interpolation walks them.
inline constexpr std::array<CameraTagKind, 4> kCameraTagKinds = {
    CameraTagKind::LookAt, CameraTagKind::MoveCamera, CameraTagKind::Zoom, CameraTagKind::Distance};

inline constexpr int tagKindIndex(CameraTagKind kind) {
    switch (kind) {
    case CameraTagKind::LookAt:
        return 0;
    case CameraTagKind::MoveCamera:
        return 1;
    case CameraTagKind::Zoom:
        return 2;
    case CameraTagKind::Distance:
        return 3;
    }
    return 0;
}

inline constexpr int32_t tagBit(CameraTagKind kind) {
    return int32_t(kind);
}

// Undo labels of setting and removing a tag, by tagKindIndex.
inline constexpr std::array<const char*, 4> kCameraTagLabels = {"Look At Tag", "Move Camera Tag",
                                                                "Zoom Tag", "Camera Distance Tag"};
inline constexpr std::array<const char*, 4> kRemoveCameraTagLabels = {
    "Remove Look At Tag", "Remove Move Camera Tag", "Remove Zoom Tag",
    "Remove Camera Distance Tag"};

} // namespace zx
