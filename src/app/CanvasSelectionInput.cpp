#include "app/CanvasSelectionInput.h"

#include "app/MainFrame.h"
#include "commands/AdjustmentCommands.h"
#include "ui/HandToolsPanel.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

constexpr int kAntsIntervalMs = 200;
constexpr int kAntsDash = 4; // pixels of one colour along the outline
const QRgb kAntsDark = qRgb(0, 0, 0);
const QRgb kAntsLight = qRgb(255, 255, 255);
const QRgb kCleanerHighlight = qRgba(0, 120, 255, 120);

// The red mask: the more a pixel is hidden, the redder it shows.
QRgb redMaskColour(uint32_t value) {
    return qRgba(255, 0, 0, int(255 - value) * 3 / 4);
}

} // namespace

CanvasSelectionInput::CanvasSelectionInput(MainFrame& frame, QWidget& view)
    : QObject(&view), frame_(frame), view_(view), ants_(new QTimer(this)), drawing_(frame) {
    view.setMouseTracking(true); // the cleaner's highlight and the prompts follow the pointer
    ants_->setInterval(kAntsIntervalMs);
    connect(ants_, &QTimer::timeout, this, [this] {
        const RasterImage* m = active() ? selection().mask() : nullptr;
        if (!m || !std::ranges::any_of(m->pixelVector(),
                                       [](uint32_t w) { return (w & MaskBit::Outline) != 0; }))
            return;
        antsPhase_ = (antsPhase_ + 1) % (2 * kAntsDash);
        view_.update();
    });
    ants_->start();
}

ImageEditSelection& CanvasSelectionInput::selection() const {
    return frame_.imageEditPanel()->selection();
}

bool CanvasSelectionInput::active() const {
    return frame_.mode() == AnimationMode::ImageEdit && frame_.imageEditPanel() &&
           selection().mask() && !frame_.workspace().floating.pending;
}

PointerInput CanvasSelectionInput::toImage(QMouseEvent* e, const QRect& target) const {
    const RasterImage* m = selection().mask();
    const QPointF at = e->position();
    PointerInput in;
    if (m && target.width() > 0 && target.height() > 0) {
        in.at.x = int(std::floor((at.x() - target.left()) * m->width() / target.width()));
        in.at.y = int(std::floor((at.y() - target.top()) * m->height() / target.height()));
    }
    in.shift = e->modifiers() & Qt::ShiftModifier;
    in.ctrl = e->modifiers() & Qt::ControlModifier;
    return in;
}

void CanvasSelectionInput::showStatus() {
    frame_.setPaneText(0, qtText(selection().prompt()));
    frame_.setPaneText(1, qtText(selection().positionText()));
}

void CanvasSelectionInput::press(QMouseEvent* e, const QRect& target) {
    if (e->button() == Qt::RightButton) {
        frame_.showSelectionContextMenu(e->globalPosition().toPoint());
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    if (frame_.whiteBalancePicking()) {
        const PointerInput in = toImage(e, target);
        frame_.pickWhiteBalance(in.at.x, in.at.y);
        return;
    }
    if (drawing_.active()) {
        drawing_.press(toImage(e, target).at);
        view_.update();
        return;
    }
    if (paintPress(toImage(e, target))) return;
    selection().press(toImage(e, target));
    showStatus();
    view_.update();
}

void CanvasSelectionInput::move(QMouseEvent* e, const QRect& target) {
    if (hands().painting()) {
        const PointerInput in = toImage(e, target);
        hands().move(in.at.x, in.at.y);
        frame_.refreshView();
        return;
    }
    if (frame_.whiteBalancePicking()) {
        frame_.setPaneText(0, qtText(kWhiteBalanceOverPicture));
        return;
    }
    if (drawing_.active()) {
        drawing_.move(toImage(e, target).at);
        view_.update();
        return;
    }
    if (hands().picking() || hands().tool()) {
        const PointerInput in = toImage(e, target);
        frame_.setPaneText(0, qtText(paintPrompt(hands().settings(), hands().picking())));
        frame_.setPaneText(1, QString("x= %1 y= %2").arg(in.at.x).arg(in.at.y));
        return;
    }
    selection().move(toImage(e, target));
    showStatus();
    view_.update();
}

void CanvasSelectionInput::release(QMouseEvent* e, const QRect& target) {
    if (e->button() != Qt::LeftButton) return;
    if (hands().painting()) {
        hands().release();
        frame_.refreshAll();
        frame_.updateCommands();
        return;
    }
    if (drawing_.active()) {
        drawing_.release(toImage(e, target).at);
        view_.update();
        return;
    }
    if (hands().tool()) return; // the press went to a hand tool that could not work there
    selection().release(toImage(e, target));
    showStatus();
    frame_.updateCommands();
    view_.update();
}

HandToolsPanel& CanvasSelectionInput::hands() const {
    return *frame_.imageEditPanel()->handTools();
}

bool CanvasSelectionInput::paintPress(const PointerInput& in) {
    Project& project = frame_.project();
    if (hands().picking()) {
        const ProjectImage* image = project.current();
        const bool background = selection().settings().editingBackground;
        if (const RasterImage* picture =
                image ? image->layerPicture(background ? kBackgroundLayer : kSubjectLayer)
                      : nullptr)
            hands().pickFrom(*picture, in.at.x, in.at.y);
        return true;
    }
    if (!hands().tool()) return false;
    hands().press(project, project.currentImage, in.at.x, in.at.y,
                  selection().settings().editingBackground);
    frame_.setPaneText(0, qtText(paintPrompt(hands().settings(), false)));
    frame_.updateCommands();
    view_.update();
    return true;
}

void CanvasSelectionInput::doubleClick(QMouseEvent* e, const QRect& target) {
    if (e->button() != Qt::LeftButton || hands().tool() || drawing_.active()) return;
    selection().doubleClick(toImage(e, target));
    showStatus();
    view_.update();
}

bool CanvasSelectionInput::escape(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && frame_.whiteBalancePicking()) {
        frame_.cancelWhiteBalancePick();
        return true;
    }
    if (e->key() == Qt::Key_Escape && drawing_.escape()) {
        view_.update();
        return true;
    }
    if (e->key() != Qt::Key_Escape || !selection().busy()) return false;
    selection().cancel();
    showStatus();
    frame_.updateCommands();
    view_.update();
    return true;
}

void CanvasSelectionInput::leave() {
    selection().leave();
    frame_.setPaneText(1, {});
    view_.update();
}

// ---- drawing ----------------------------------------------------------------------

void CanvasSelectionInput::paint(QPainter& p, const QRect& target) {
    paintMaskOverlay(p, target);
    paintStroke(p, target);
    if (const RasterImage* m = selection().mask())
        drawing_.paint(p, target, m->width(), m->height());
}

void CanvasSelectionInput::paintMaskOverlay(QPainter& p, const QRect& target) {
    const RasterImage* m = selection().mask();
    if (!m || m->empty()) return;
    const bool red = selection().settings().redMask;
    const IntPoint shift = selection().selectionOffset();
    QImage overlay(m->width(), m->height(), QImage::Format_ARGB32);
    overlay.fill(Qt::transparent);
    for (int y = 0; y < m->height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(overlay.scanLine(y));
        for (int x = 0; x < m->width(); ++x) {
            const uint32_t word = m->at(x, y);
            if (red && maskValue(word) < 255) row[x] = redMaskColour(maskValue(word));
            if (word & MaskBit::PendingSelected) row[x] = kCleanerHighlight;
            const int sx = x - shift.x, sy = y - shift.y; // the outline follows a drag
            if (inside(*m, sx, sy) && (m->at(sx, sy) & MaskBit::Outline))
                row[x] = ((x + y + antsPhase_) / kAntsDash) % 2 ? kAntsLight : kAntsDark;
        }
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, overlay);
    p.restore();
}

// The stroke inverts the screen pixels it crosses.
void CanvasSelectionInput::paintStroke(QPainter& p, const QRect& target) {
    const RasterImage* m = selection().mask();
    const std::vector<IntPoint> points = selection().strokeOutline();
    if (!m || m->empty() || points.empty()) return;
    const double fx = double(target.width()) / m->width(),
                 fy = double(target.height()) / m->height();
    QPolygonF line;
    for (IntPoint pt : points)
        line << QPointF(target.left() + (pt.x + 0.5) * fx, target.top() + (pt.y + 0.5) * fy);
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1));
    if (selection().strokeClosed())
        p.drawPolygon(line);
    else
        p.drawPolyline(line);
    p.restore();
}

} // namespace zx
