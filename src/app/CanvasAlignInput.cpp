#include "app/CanvasAlignInput.h"

#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "commands/ImageAlign.h"
#include "ui/ModePanels.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QWidget>

namespace zx {

namespace {

constexpr double kReferenceOpacity = 0.5;
const QColor kBoxColours[] = {QColor(255, 220, 0), QColor(0, 220, 255)};

QTransform toQTransform(const PixelMap& m) {
    return QTransform(m.xx, m.yx, m.xy, m.yy, m.dx, m.dy);
}

} // namespace

CanvasAlignInput::CanvasAlignInput(MainFrame& frame, QWidget& view)
    : QObject(&view), frame_(frame), view_(view) {}

ImageAlign& CanvasAlignInput::align() const {
    return frame_.imageAlignPanel()->align();
}

bool CanvasAlignInput::active() const {
    return frame_.mode() == AnimationMode::ImageAlign && frame_.imageAlignPanel() &&
           frame_.project().current();
}

PointerEvent CanvasAlignInput::toImage(QMouseEvent* e, const QRect& target) const {
    const ProjectImage* image = frame_.project().current();
    PointerEvent out;
    if (image && target.width() > 0 && target.height() > 0) {
        out.x = (e->position().x() - target.left()) * image->width() / target.width();
        out.y = (e->position().y() - target.top()) * image->height() / target.height();
    }
    out.keys.shift = e->modifiers() & Qt::ShiftModifier;
    out.keys.ctrl = e->modifiers() & Qt::ControlModifier;
    out.keys.alt = e->modifiers() & Qt::AltModifier;
    return out;
}

void CanvasAlignInput::press(QMouseEvent* e, const QRect& target) {
    if (e->button() != Qt::LeftButton) return;
    dragging_ = true;
    align().pointerPress(toImage(e, target));
}

void CanvasAlignInput::move(QMouseEvent* e, const QRect& target) {
    const PointerEvent at = toImage(e, target);
    if (dragging_) return align().pointerMove(at);
    view_.setCursor(align().boxAt(at.x, at.y) >= 0 ? Qt::SizeAllCursor : Qt::CrossCursor);
}

void CanvasAlignInput::release(QMouseEvent* e, const QRect& target) {
    if (e->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    align().pointerRelease(toImage(e, target));
}

void CanvasAlignInput::paint(QPainter& p, const QRect& target, const QImage& picture) {
    const ProjectImage* image = frame_.project().current();
    if (!image) return;
    p.save();
    p.translate(target.topLeft());
    p.scale(double(target.width()) / image->width(), double(target.height()) / image->height());
    p.setTransform(toQTransform(align().pictureMap()) * p.transform());
    p.drawImage(QRectF(0, 0, image->width(), image->height()), picture);
    p.restore();
    paintReference(p, target);
    p.save();
    p.translate(target.topLeft());
    p.scale(double(target.width()) / image->width(), double(target.height()) / image->height());
    paintBoxes(p);
    p.restore();
}

// The reference image over the picture at half strength, at the same scale.
void CanvasAlignInput::paintReference(QPainter& p, const QRect& target) {
    const int index = align().referenceImage();
    ProjectImage* reference = frame_.project().images.at(index);
    const ProjectImage* image = frame_.project().current();
    if (!reference || !image) return;
    const double sx = double(target.width()) / image->width();
    const double sy = double(target.height()) / image->height();
    p.save();
    p.setOpacity(kReferenceOpacity);
    p.drawImage(
        QRectF(target.left(), target.top(), reference->width() * sx, reference->height() * sy),
        toQImage(imageComposite(*reference)));
    p.restore();
}

// Each box is drawn where it lies on the picture as the transform shows it.
void CanvasAlignInput::paintBoxes(QPainter& p) {
    const auto& boxes = align().boxes();
    if (!boxes) return;
    const QTransform shown = toQTransform(align().pictureMap());
    for (size_t i = 0; i < boxes->size(); ++i) {
        const AlignBox& b = (*boxes)[i];
        const QRectF square(b.x - kAlignBoxHalf, b.y - kAlignBoxHalf, 2 * kAlignBoxHalf + 1,
                            2 * kAlignBoxHalf + 1);
        QPen pen(kBoxColours[i], 0); // cosmetic: one screen pixel at every zoom
        pen.setCosmetic(true);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(shown.map(QPolygonF(square)));
        const QPointF centre = shown.map(QPointF(b.x + 0.5, b.y + 0.5));
        p.drawLine(centre - QPointF(3, 0), centre + QPointF(3, 0));
        p.drawLine(centre - QPointF(0, 3), centre + QPointF(0, 3));
    }
}

} // namespace zx
