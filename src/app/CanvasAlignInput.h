#pragma once
// The main view's Image Align input: mouse events become pointer events in image
// pixels for the align tools, and the view shows the picture moved by the pending
// transform, the reference image half seen through it, and the wizard's two boxes.

#include "app/AppLayer.h"

#include "commands/PointerEvent.h"

#include <QObject>
#include <QRect>

class QImage;
class QMouseEvent;
class QPainter;
class QWidget;

namespace zx {

class ImageAlign;
class MainFrame;

class CanvasAlignInput : public QObject {
    Q_OBJECT
public:
    CanvasAlignInput(MainFrame& frame, QWidget& view);

    // Whether the view's events belong here now (Image Align mode with an image).
    bool active() const;
    // `target` is where the view draws the image.
    void press(QMouseEvent* e, const QRect& target);
    void move(QMouseEvent* e, const QRect& target);
    void release(QMouseEvent* e, const QRect& target);
    // `picture` is the current image as the view shows it.
    void paint(QPainter& p, const QRect& target, const QImage& picture);

private:
    ImageAlign& align() const;
    PointerEvent toImage(QMouseEvent* e, const QRect& target) const;
    void paintReference(QPainter& p, const QRect& target);
    void paintBoxes(QPainter& p);

    MainFrame& frame_;
    QWidget& view_;
    bool dragging_ = false;
};

} // namespace zx
