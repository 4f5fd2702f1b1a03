#pragma once
// The Shape Tools of Image Edit mode as a state machine fed with pointer events in
// image pixels. A drag creates the shape; it then waits, with handles on its ends (a
// line) or corners (a box), to be adjusted: a handle dragged moves that end or corner,
// the shape dragged anywhere else on it moves the whole; a drag away from it starts a
// new one. "APPLY" paints it on the picture being edited, limited to the selection as
// the brush is, and records one "Shape" step; Esc drops it.

#include "commands/Workspace.h"
#include "imaging/PaintTools.h"
#include "imaging/ShapeRaster.h"

#include <optional>
#include <string>
#include <vector>

namespace zx {

// The tools' names: "Line", "Rectangle", "Filled Rectangle", "Ellipse", "Filled Ellipse".
std::string_view shapeKindName(ShapeKind kind);
inline constexpr ShapeKind kShapeKinds[] = {ShapeKind::Line, ShapeKind::Rectangle,
                                            ShapeKind::FilledRectangle, ShapeKind::Ellipse,
                                            ShapeKind::FilledEllipse};

// The panel's settings, with its defaults.
struct ShapeSettings {
    ShapeKind kind = ShapeKind::Line;
    int width = 3;
    int featherIndex = 1; // "1px"
    PaintColour colour;
};

class ShapeTool {
public:
    explicit ShapeTool(Workspace& workspace) : workspace_(workspace) {}

    // Changes show on the waiting shape at once.
    const ShapeSettings& settings() const { return settings_; }
    void setSettings(const ShapeSettings& settings) { settings_ = settings; }

    void press(IntPoint at);
    void move(IntPoint at);
    void release(IntPoint at);
    // A drag is under way.
    bool dragging() const { return grip_ != Grip::None; }

    // "APPLY": the waiting shape painted on the current image's subject, or its
    // background while that is edited; false (and the shape kept) when it painted
    // nothing. The shape is done with either way once painted.
    bool apply(bool background);
    // Drops the shape (Esc, another tool, another image).
    void cancel();

    // The shape being drawn or waiting, with the current settings.
    std::optional<ShapeOutline> shape() const;
    // Where its handles are: the line's two ends, the box's four corners.
    std::vector<IntPoint> handles() const;
    // "Click and drag to create shape", or the shape's ends or corners.
    std::string prompt() const;

private:
    enum class Grip { None, Create, Handle, Body };
    bool hitsBody(IntPoint at) const;
    void dragHandle(IntPoint at);

    Workspace& workspace_;
    ShapeSettings settings_;
    bool hasShape_ = false;
    IntPoint start_, end_;
    Grip grip_ = Grip::None;
    int handle_ = 0;
    IntPoint last_; // the pointer, as the drag last saw it
};

} // namespace zx
