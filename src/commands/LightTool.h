#pragma once
// The Lighting Effects dialog's light on the view: its outline and three handles, and
// the drags that move it (centre handle or anywhere inside), reshape it (the focus
// handle: eccentricity and orientation) or size it (the handle at the end of the long
// axis). Fed with pointer positions in image pixels; the view draws what it reports.

#include "imaging/LightingEffects.h"

#include <array>
#include <string_view>
#include <vector>

namespace zx {

enum class LightHandle { None, Centre, Focus, AxisEnd, Inside };

struct LightPoint {
    double x = 0, y = 0;
};

class LightTool {
public:
    explicit LightTool(LightEllipse light) : light_(light) {}

    const LightEllipse& light() const { return light_; }
    // The outline as 128 segments (129 points, the last repeating the first), pixels.
    std::vector<LightPoint> outline() const;
    // Centre, focus and axis-end handles, pixels.
    std::array<LightPoint, 3> handles() const;
    // What a press at (x, y) would drag, and the status line that says so.
    LightHandle handleAt(double x, double y) const;
    std::string_view prompt(double x, double y) const;

    void press(double x, double y);
    // Changes the light; false when no drag is under way.
    bool move(double x, double y);
    void release() { dragging_ = LightHandle::None; }

private:
    double minorAxis() const;

    LightEllipse light_;
    LightHandle dragging_ = LightHandle::None;
    double lastX_ = 0, lastY_ = 0; // eighths
};

} // namespace zx
