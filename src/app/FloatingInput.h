#pragma once
// The view's side of a floating picture in Image Edit mode: mouse drags on its handles,
// the status line naming the handle under the pointer, the right button's menu, and
// the picture drawn in its quadrilateral with the outline and handles over it.

#include <QObject>
#include <QRect>

class QMouseEvent;
class QPainter;
class QWidget;

namespace zx {

class MainFrame;
class FloatingPicture;

class FloatingInput : public QObject {
public:
    FloatingInput(MainFrame& frame, QWidget& view);

    bool active() const;
    void press(QMouseEvent* e, const QRect& target);
    void move(QMouseEvent* e, const QRect& target);
    void release(QMouseEvent* e, const QRect& target);
    void paint(QPainter& p, const QRect& target);

private:
    FloatingPicture& floating() const;
    // Widget position to image pixels, and how wide a handle is in image pixels.
    QPointF toImage(QMouseEvent* e, const QRect& target) const;
    double reach(const QRect& target) const;
    void showMenu(const QPoint& globalPos);

    MainFrame& frame_;
    QWidget& view_;
};

} // namespace zx
