#pragma once
// The main view's Image Edit input: mouse events become pointer events in image
// pixels for the selection tools (or the hand tools, the Shape Tools and the Text
// panel while they have the mouse), and what the tools report is drawn over the
// picture (marching ants, the cleaner's highlight, the red mask, the stroke being
// drawn, the shape or text waiting). Prompts and the cursor's position go to the status bar.

#include "app/AppLayer.h"

#include "app/CanvasDrawingInput.h"
#include "commands/ImageEditSelection.h"

#include <QObject>
#include <QRect>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QTimer;
class QWidget;

namespace zx {

class HandToolsPanel;
class MainFrame;

class CanvasSelectionInput : public QObject {
    Q_OBJECT
public:
    CanvasSelectionInput(MainFrame& frame, QWidget& view);

    // Whether the view's events belong here now (Image Edit mode with an image).
    bool active() const;
    // `target` is where the view draws the image.
    void press(QMouseEvent* e, const QRect& target);
    void move(QMouseEvent* e, const QRect& target);
    void release(QMouseEvent* e, const QRect& target);
    void doubleClick(QMouseEvent* e, const QRect& target);
    void leave();
    // Esc drops a stroke under way; false when there was none (the key goes on).
    bool escape(QKeyEvent* e);
    void paint(QPainter& p, const QRect& target);

private:
    ImageEditSelection& selection() const;
    HandToolsPanel& hands() const;
    // A press while a hand tool is chosen starts its stroke, while "Pick" is on takes
    // the colour; false otherwise.
    bool paintPress(const PointerInput& in);
    PointerInput toImage(QMouseEvent* e, const QRect& target) const;
    void paintMaskOverlay(QPainter& p, const QRect& target);
    void paintStroke(QPainter& p, const QRect& target);
    void showStatus();

    MainFrame& frame_;
    QWidget& view_;
    QTimer* ants_;
    int antsPhase_ = 0;
    CanvasDrawingInput drawing_;
};

} // namespace zx
