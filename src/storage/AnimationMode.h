#pragma once
// The program's modes. The project file stores the mode as an int32 and the undo
// history compares it with the kind of its steps, so the values are fixed.

#include <cstdint>
#include <string>

namespace zx {

enum class AnimationMode : int32_t {
    None = -1, // while a project loads
    ImageEdit = 0,
    ImageAlign = 1,
    Animate = 2,
    Movie = 3,
    Creator3D = 4,
};

// The label of the history step recorded when the mode changes ("Animate Mode").
std::string modeStepLabel(AnimationMode mode);

} // namespace zx
