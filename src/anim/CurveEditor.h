#pragma once
// The point editing of the "Time Curve Editor": clicking sets or inserts points,
// dragging moves the held point (end points only vertically, interior points merge
// into a neighbour they reach), double-clicking removes an interior point. Grid
// coordinates: x 0 … 512 to the right, y 0 … 512 upwards (the dialog converts the
// mouse position, y = area top − mouse y + 512).

#include "anim/TimeCurve.h"

#include <string_view>

namespace zx {

// The name field's default text, refused like an empty name.
inline constexpr std::string_view kNewCurveName = "<new curve>";
inline constexpr std::string_view kInvalidCurveName = "Please enter valid name";
bool isValidCurveName(std::string_view name);

class CurveEditor {
public:
    CurveEditor() = default;
    explicit CurveEditor(TimeCurve c) : curve(std::move(c)) {}

    // A click in the drawing area while no point is held.
    void press(int x, int y);
    // The pointer moved with the left button down.
    void drag(int x, int y);
    void release() { held = -1; }
    // Removes the held point when it is an interior point of a curve of three or
    // more points. True when a point was removed.
    bool doubleClick();

    TimeCurve curve;
    int held = -1; // index of the held point, −1 none
};

} // namespace zx
