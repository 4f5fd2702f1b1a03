#include "app/FloatingInput.h"

#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "ui/QtText.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <QWidget>

namespace zx {

namespace {
constexpr double kHandleScreenPixels = 4; // half a handle's width on the screen
} // namespace

FloatingInput::FloatingInput(MainFrame& frame, QWidget& view)
    : QObject(&view), frame_(frame), view_(view) {}

bool FloatingInput::active() const {
    const Workspace& ws = frame_.workspace();
    return frame_.mode() == AnimationMode::ImageEdit && ws.floating.picture.has_value();
}

FloatingPicture& FloatingInput::floating() const {
    return *frame_.workspace().floating.picture;
}

double FloatingInput::reach(const QRect& target) const {
    const ProjectImage* image = frame_.workspace().currentImage();
    if (!image || image->width() <= 0 || target.width() <= 0) return kHandleScreenPixels;
    return kHandleScreenPixels * image->width() / target.width();
}

QPointF FloatingInput::toImage(QMouseEvent* e, const QRect& target) const {
    const ProjectImage* image = frame_.workspace().currentImage();
    if (!image || target.width() <= 0 || target.height() <= 0) return {};
    const QPointF at = e->position();
    return {(at.x() - target.left()) * image->width() / target.width(),
            (at.y() - target.top()) * image->height() / target.height()};
}

void FloatingInput::press(QMouseEvent* e, const QRect& target) {
    if (e->button() == Qt::RightButton) return showMenu(e->globalPosition().toPoint());
    if (e->button() != Qt::LeftButton) return;
    const QPointF at = toImage(e, target);
    floating().press(at.x(), at.y(), reach(target));
}

void FloatingInput::move(QMouseEvent* e, const QRect& target) {
    const QPointF at = toImage(e, target);
    FloatingPicture& f = floating();
    if (f.dragging()) {
        f.move(at.x(), at.y());
        view_.update();
        return;
    }
    frame_.setPaneText(0, qtText(f.prompt(at.x(), at.y(), reach(target))));
    const FloatingHandle h = f.handleAt(at.x(), at.y(), reach(target));
    view_.setCursor(h == FloatingHandle::None     ? Qt::ArrowCursor
                    : h == FloatingHandle::Inside ? Qt::SizeAllCursor
                    : h == FloatingHandle::Rotate ? Qt::OpenHandCursor
                                                  : Qt::CrossCursor);
}

void FloatingInput::release(QMouseEvent* e, const QRect&) {
    if (e->button() != Qt::LeftButton) return;
    floating().release();
    view_.update();
}

void FloatingInput::showMenu(const QPoint& globalPos) {
    QMenu menu(&view_);
    menu.addAction("Merge Selection\t[Enter]", &frame_, [this] { frame_.mergeFloatingEdit(); });
    menu.addAction("Cancel Selection\t[ESC]", &frame_, [this] { frame_.dropFloatingEdit(); });
    QAction* resize = menu.addAction("Resize && Rotate");
    QAction* distort = menu.addAction("Distort && Rotate");
    resize->setCheckable(true);
    distort->setCheckable(true);
    resize->setChecked(floating().shape() == FloatingShape::ResizeRotate);
    distort->setChecked(floating().shape() == FloatingShape::Distort);
    connect(resize, &QAction::triggered, this,
            [this] { floating().setShape(FloatingShape::ResizeRotate); });
    connect(distort, &QAction::triggered, this,
            [this] { floating().setShape(FloatingShape::Distort); });
    menu.addAction("Reset Position", this, [this] {
        floating().resetPosition();
        view_.update();
    });
    menu.exec(globalPos);
}

void FloatingInput::paint(QPainter& p, const QRect& target) {
    const ProjectImage* image = frame_.workspace().currentImage();
    if (!image || image->width() <= 0 || image->height() <= 0) return;
    const FloatingPicture& f = floating();
    const QImage drawn = toQImage(f.picture());
    const double sx = double(target.width()) / image->width(),
                 sy = double(target.height()) / image->height();
    const auto toView = [&](FloatPoint pt) {
        return QPointF(target.left() + pt.x * sx, target.top() + pt.y * sy);
    };
    QPolygonF quad;
    for (FloatPoint pt : f.quad()) quad << toView(pt);
    QTransform place;
    if (QTransform::quadToQuad(QPolygonF(QRectF(drawn.rect())), quad, place)) {
        p.save();
        p.setTransform(place, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(0, 0, drawn);
        p.restore();
    }
    p.save();
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.drawPolygon(quad);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    const auto handles = f.handles();
    for (size_t i = 0; i + 1 < handles.size(); ++i)
        p.drawRect(QRectF(toView(handles[i]) - QPointF(kHandleScreenPixels, kHandleScreenPixels),
                          QSizeF(2 * kHandleScreenPixels, 2 * kHandleScreenPixels)));
    p.drawEllipse(toView(handles.back()), kHandleScreenPixels, kHandleScreenPixels);
    p.restore();
}

} // namespace zx
