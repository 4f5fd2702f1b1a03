#pragma once
// The Text panel's box in Image Edit mode as a state machine fed with pointer events
// in image pixels. The face draws the text with its font into a picture whose alpha
// is the text's coverage; a click places the box's top-left corner, a drag that
// starts on the box moves it. "APPLY" paints the text in the colour on the picture
// being edited, limited to the selection as the brush is, and records one "Text" step.

#include "commands/Workspace.h"
#include "imaging/PaintTools.h"
#include "imaging/PolygonFill.h"

#include <optional>
#include <string>

namespace zx {

class TextTool {
public:
    explicit TextTool(Workspace& workspace) : workspace_(workspace) {}

    // The text as drawn; an empty picture means there is no text (the box goes).
    void setDrawing(RasterImage drawing);
    const RasterImage& drawing() const { return drawing_; }

    void press(IntPoint at);
    void move(IntPoint at);
    void release(IntPoint at);
    bool dragging() const { return dragging_; }

    // "APPLY": the text painted at the box on the current image's subject, or its
    // background while that is edited; false when it painted nothing. The box stays
    // for another go.
    bool apply(PaintColour colour, bool background);
    // Takes the box away until the next click (Esc, another tool, another image).
    void cancel();

    // Where the text lies in image pixels, once placed.
    std::optional<PixelRect> box() const;
    std::string prompt() const;

private:
    bool onBox(IntPoint at) const;

    Workspace& workspace_;
    RasterImage drawing_;
    std::optional<IntPoint> topLeft_;
    bool dragging_ = false;
    IntPoint last_;
};

} // namespace zx
