#pragma once
// The colour shown behind images in the views and used as the background of their
// rendered frames. Stored as an int32 in the project header.

#include <cstdint>

namespace zx {

enum class CanvasColour : int32_t { Grid = -1, Black = 0, Blue = 1, Green = 2, White = 3 };

} // namespace zx
