#include "storage/AnimationMode.h"

namespace zx {

std::string modeStepLabel(AnimationMode mode) {
    switch (mode) {
    case AnimationMode::ImageEdit:
        return "Image Edit Mode";
    case AnimationMode::ImageAlign:
        return "Image Align Mode";
    case AnimationMode::Animate:
        return "Animate Mode";
    case AnimationMode::Movie:
        return "Movie Mode";
    case AnimationMode::Creator3D:
        // The 3D Creator records no steps of its own; its name follows the others.
        return "3D Creator Mode";
    default:
        return "";
    }
}

} // namespace zx
