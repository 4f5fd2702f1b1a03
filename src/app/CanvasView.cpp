#include "app/CanvasView.h"

#include "app/AnimateSpool.h"
#include "app/CanvasAlignInput.h"
#include "app/CanvasSelectionInput.h"
#include "app/FloatingInput.h"
#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "app/MovieModeView.h"
#include "app/Timeline.h"
#include "commands/ViewLayout.h"
#include "ui/QtText.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace zx {

namespace {
const QColor kStripColour(224, 224, 208);
} // namespace

CanvasView::CanvasView(MainFrame& frame)
    : QWidget(&frame), frame_(frame), selectionInput_(new CanvasSelectionInput(frame, *this)),
      floatingInput_(new FloatingInput(frame, *this)),
      alignInput_(new CanvasAlignInput(frame, *this)) {
    setAutoFillBackground(false);
    setMinimumSize(320, 240);
    setFocusPolicy(Qt::StrongFocus);
}

void CanvasView::paintImage(QPainter& p, const QRect& area, bool centred) {
    Workspace& ws = frame_.workspace();
    ProjectImage* image = ws.currentImage();
    p.fillRect(area, QColor(0x70, 0x70, 0x78));
    if (!image) return;
    const double f = zoomFactor(frame_.zoom());
    const QRect target = imageTarget(*image, area, centred);
    p.save();
    p.setClipRect(area);
    paintCanvas(p, target, image->canvasColour);
    const bool subject = frame_.showSubject(), background = frame_.showBackground();
    const auto& preview = frame_.previewPicture();
    const bool previewed = preview && preview->image == frame_.project().currentImage;
    const QImage picture =
        previewed               ? toQImage(composeLayers(*image, subject, background,
                                                         {preview->background ? nullptr : &preview->picture,
                                            preview->background ? &preview->picture : nullptr}))
        : subject && background ? toQImage(imageComposite(*image))
                                : toQImage(composeLayers(*image, subject, background));
    p.setRenderHint(QPainter::SmoothPixmapTransform, f < 1);
    if (alignInput_->active())
        alignInput_->paint(p, target, picture);
    else
        p.drawImage(target, picture);
    if (frame_.mode() == AnimationMode::ImageEdit && selectionInput_->active())
        selectionInput_->paint(p, target);
    if (floatingInput_->active()) floatingInput_->paint(p, target);
    p.restore();
}

QRect CanvasView::imageTarget(const ProjectImage& image, const QRect& area, bool centred) const {
    const double f = zoomFactor(frame_.zoom());
    const QSize size(std::max(1, int(image.width() * f)), std::max(1, int(image.height() * f)));
    QRect target(area.topLeft(), size);
    if (centred) {
        target.moveLeft(area.left() + std::max(0, (area.width() - size.width()) / 2));
        target.moveTop(area.top() + std::max(0, (area.height() - size.height()) / 2));
    }
    return target;
}

PixelRect CanvasView::visibleImageArea() {
    const ProjectImage* image = frame_.workspace().currentImage();
    const QRect target = imageEditTarget();
    const QRect seen = target.intersected(rect());
    if (!image || target.width() <= 0 || target.height() <= 0 || seen.isEmpty()) return {};
    const double sx = double(image->width()) / target.width(),
                 sy = double(image->height()) / target.height();
    return {int((seen.left() - target.left()) * sx), int((seen.top() - target.top()) * sy),
            int(std::ceil((seen.right() + 1 - target.left()) * sx)),
            int(std::ceil((seen.bottom() + 1 - target.top()) * sy))};
}

QRect CanvasView::imageEditTarget() {
    const ProjectImage* image = frame_.workspace().currentImage();
    return image ? imageTarget(*image, rect(), true) : QRect();
}

void CanvasView::paintCaptionStrips(QPainter& p, const ViewLayoutResult& layout) {
    for (const ViewRect& r : layout.strips) p.fillRect(r.x, r.y, r.w, r.h, kStripColour);
    QFont font = p.font();
    font.setPointSize(8);
    p.setFont(font);
    p.setPen(Qt::black);
    for (const ViewPane& pane : layout.panes)
        p.drawText(QRect(pane.captionX, pane.captionY + 2, width(), kCaptionHeight - 2),
                   Qt::AlignLeft | Qt::AlignTop, qtText(pane.caption));
}

void CanvasView::paintAnimate(QPainter& p) {
    const CaptionState captions = frame_.animateCaptions();
    const ViewLayoutResult layout =
        animateViewLayout(frame_.animateViewMode(), width(), height(), captions);
    const bool startPane = frame_.animateViewMode() != AnimateViewMode::CurrentFrame;
    for (size_t i = 0; i < layout.panes.size(); ++i) {
        const ViewPane& pane = layout.panes[i];
        const QRect area(pane.picture.x, pane.picture.y, pane.picture.w, pane.picture.h);
        const bool currentFrame = !(startPane && i == 0);
        if (!currentFrame || !paintRenderedFrame(p, area)) paintImage(p, area, true);
    }
    paintCaptionStrips(p, layout);
}

// The "Screen Preview Rendering Quality" of the movie settings.
RenderQuality CanvasView::previewQuality() const {
    return screenPreviewQuality(frame_.settings());
}

bool CanvasView::paintRenderedFrame(QPainter& p, const QRect& area) {
    Project& project = frame_.project();
    const ProjectImage* image = project.current();
    if (!image) return false;
    // The editor's frame while an object is selected or dragged; otherwise a spooled
    // frame when there is one, the frame rendered here until then.
    std::optional<RasterImage> rendered = frame_.animateEditedFrame(previewQuality());
    if (!rendered)
        rendered = frame_.animateSpool().frame(project, project.currentImage, image->currentFrame(),
                                               previewQuality());
    if (!rendered)
        rendered =
            preview_.render(project, project.currentImage, image->currentFrame(), previewQuality());
    if (!rendered || rendered->empty()) return false;
    p.fillRect(area, QColor(0x70, 0x70, 0x78));
    const double f = zoomFactor(frame_.zoom());
    const QSize size(std::max(1, int(rendered->width() * f)),
                     std::max(1, int(rendered->height() * f)));
    const QRect target(area.left() + std::max(0, (area.width() - size.width()) / 2),
                       area.top() + std::max(0, (area.height() - size.height()) / 2), size.width(),
                       size.height());
    p.save();
    p.setClipRect(area);
    p.setRenderHint(QPainter::SmoothPixmapTransform, f < 1);
    p.drawImage(target, toQImage(*rendered));
    p.restore();
    return true;
}

void CanvasView::paintMovie(QPainter& p) {
    p.fillRect(rect(), QColor(0x30, 0x30, 0x34));
    const Project& project = frame_.project();
    const double f = zoomFactor(std::min(0, frame_.zoom()));
    QSize size(int(project.movieWidth * f), int(project.movieHeight * f));
    size.scale(size.boundedTo(this->size() - QSize(16, 16)), Qt::KeepAspectRatio);
    const QRect target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                       size.height());
    p.fillRect(target, Qt::black);
    // The movie frame as the builder made it: camera, animation and background as exported.
    const QImage& picture = frame_.movieView()->picture(frame_.timeline()->markers().cursor);
    if (!picture.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, picture);
    }
    p.setPen(QColor(0x90, 0x90, 0x98));
    p.drawRect(target.adjusted(0, 0, -1, -1));
}

void CanvasView::paintBuilder(QPainter& p) {
    const ViewLayoutResult layout =
        builderViewLayout(width(), height(), builderViewNames()[0], builderViewNames()[4]);
    for (size_t i = 0; i < layout.panes.size(); ++i) {
        const ViewPane& pane = layout.panes[i];
        const QRect area(pane.picture.x, pane.picture.y, pane.picture.w, pane.picture.h);
        if (i == 0)
            paintImage(p, area, true);
        else
            p.fillRect(area, QColor(0x58, 0x58, 0x60));
    }
    paintCaptionStrips(p, layout);
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    switch (frame_.mode()) {
    case AnimationMode::Animate:
        paintAnimate(p);
        break;
    case AnimationMode::Movie:
        paintMovie(p);
        break;
    case AnimationMode::Creator3D:
        paintBuilder(p);
        break;
    default:
        paintImage(p, rect(), true);
        break;
    }
}

void CanvasView::wheelEvent(QWheelEvent* e) {
    if (e->modifiers() & Qt::ControlModifier) {
        frame_.trigger(e->angleDelta().y() > 0 ? Cmd::ZoomIn : Cmd::ZoomOut);
        e->accept();
        return;
    }
    QWidget::wheelEvent(e);
}

// ---- Image Edit and Image Align input --------------------------------------------------

void CanvasView::mousePressEvent(QMouseEvent* e) {
    if (floatingInput_->active()) return floatingInput_->press(e, imageEditTarget());
    if (selectionInput_->active()) return selectionInput_->press(e, imageEditTarget());
    if (alignInput_->active()) return alignInput_->press(e, imageEditTarget());
    QWidget::mousePressEvent(e);
}

void CanvasView::mouseMoveEvent(QMouseEvent* e) {
    if (floatingInput_->active()) return floatingInput_->move(e, imageEditTarget());
    if (selectionInput_->active()) return selectionInput_->move(e, imageEditTarget());
    if (alignInput_->active()) return alignInput_->move(e, imageEditTarget());
    QWidget::mouseMoveEvent(e);
}

void CanvasView::mouseReleaseEvent(QMouseEvent* e) {
    if (floatingInput_->active()) return floatingInput_->release(e, imageEditTarget());
    if (selectionInput_->active()) return selectionInput_->release(e, imageEditTarget());
    if (alignInput_->active()) return alignInput_->release(e, imageEditTarget());
    QWidget::mouseReleaseEvent(e);
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (selectionInput_->active()) return selectionInput_->doubleClick(e, imageEditTarget());
    QWidget::mouseDoubleClickEvent(e);
}

void CanvasView::keyPressEvent(QKeyEvent* e) {
    if (selectionInput_->active() && selectionInput_->escape(e)) return;
    QWidget::keyPressEvent(e);
}

void CanvasView::leaveEvent(QEvent* e) {
    if (selectionInput_->active()) selectionInput_->leave();
    QWidget::leaveEvent(e);
}

} // namespace zx
