#pragma once
// The main view's input for the Shape Tools and the Text panel: while either has the
// mouse, pointer events in image pixels go to its tool, and the shape or text waiting
// for "APPLY" is drawn over the picture in its colour, as it will be painted, with its
// handles. Prompts and the cursor's position go to the status bar.

#include "app/AppLayer.h"

#include "imaging/Coverage.h"
#include "imaging/PaintTools.h"
#include "imaging/PolygonFill.h"

#include <QRect>

class QPainter;

namespace zx {

class MainFrame;
class ShapeToolsPanel;
class TextPanel;

class CanvasDrawingInput {
public:
    explicit CanvasDrawingInput(MainFrame& frame) : frame_(frame) {}

    // A shape tool is chosen or the Text panel is shown.
    bool active() const;
    void press(IntPoint at);
    void move(IntPoint at);
    void release(IntPoint at);
    // Esc drops the shape or the text's place; false when there was none.
    bool escape();
    // `target` is where the view draws a picture of `width` x `height`.
    void paint(QPainter& p, const QRect& target, int width, int height) const;

private:
    ShapeToolsPanel& shapes() const;
    TextPanel& text() const;
    void showStatus(IntPoint at) const;

    MainFrame& frame_;
};

} // namespace zx
