#pragma once
// The selection tools of Image Edit mode: the marquees and the lassos. Each writes
// its shape into the mask layer and combines it with the previous selection.

#include "imaging/MaskLayer.h"
#include "imaging/PolygonFill.h"

#include <span>
#include <string_view>
#include <vector>

namespace zx {

enum class SelectionTool : int {
    RectangularMarquee = 0,
    EllipticalMarquee = 1,
    FreeHandLasso = 2,
    LineLasso = 3,
    MagicBackgroundCleaner = 4,
};

// The status-bar prompt while the tool is active.
std::string_view selectionToolPrompt(SelectionTool tool);
inline constexpr std::string_view kMoveSelectionPrompt = "Drag to move selection";

// The lassos let Ctrl and Shift, held at mouse-down, change the panel's type.
SelectionType effectiveLassoType(SelectionType panelType, bool ctrl, bool shift);

// Shift: the dragged rectangle becomes a square (the shorter side wins), kept on the
// side of the press point the drag went to.
IntPoint squareDrag(IntPoint press, IntPoint release);

// The rectangle from press to release (both corners included, normalised, clipped),
// its border pixels outlined. A click without extent selects all with the type New
// and does nothing otherwise. Returns whether the layer changed.
bool selectRectangle(RasterImage& mask, IntPoint press, IntPoint release, SelectionType type);

// The ellipse inscribed in the dragged rectangle: 256 vertices a step of pi/128 apart.
std::vector<IntPoint> ellipsePolygon(IntPoint press, IntPoint release);
bool selectEllipse(RasterImage& mask, IntPoint press, IntPoint release, SelectionType type);

// A closed polygon (free hand or line lasso). Fewer than 3 points select all with
// the type New and do nothing otherwise.
bool selectPolygon(RasterImage& mask, std::span<const IntPoint> points, SelectionType type);

// The line lasso's corner list, kept from the first click until the polygon closes.
class LineLasso {
public:
    // Adds a corner; returns true when this click closed the polygon (a click within
    // 4 pixels in x and in y of the first corner once more than two corners exist).
    bool click(IntPoint p);
    const std::vector<IntPoint>& corners() const { return corners_; }
    bool open() const { return !corners_.empty(); }
    void reset() { corners_.clear(); }

private:
    std::vector<IntPoint> corners_;
};

} // namespace zx
