#include "app/CanvasDrawingInput.h"

#include "app/MainFrame.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"
#include "ui/ShapeToolsPanel.h"
#include "ui/TextPanel.h"

#include <QImage>
#include <QPainter>

namespace zx {

namespace {

constexpr int kHandleSize = 7; // screen pixels

// Image pixels to the view.
struct ViewScale {
    QRect target;
    double fx, fy;
    QRectF rect(const PixelRect& r) const {
        return {target.left() + r.left * fx, target.top() + r.top * fy, r.width() * fx,
                r.height() * fy};
    }
    QPointF centre(IntPoint p) const {
        return {target.left() + (p.x + 0.5) * fx, target.top() + (p.y + 0.5) * fy};
    }
};

// The drawing as it will be painted where its coverage is full, fading with it.
void drawCoverage(QPainter& p, const ViewScale& scale, const Coverage& c, PaintColour colour) {
    if (c.area.empty()) return;
    QImage overlay(c.area.width(), c.area.height(), QImage::Format_ARGB32);
    for (int y = 0; y < overlay.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(overlay.scanLine(y));
        for (int x = 0; x < overlay.width(); ++x)
            row[x] = qRgba(colour.red(), colour.green(), colour.blue(),
                           c.at(c.area.left + x, c.area.top + y));
    }
    p.drawImage(scale.rect(c.area), overlay);
}

void paintHandles(QPainter& p, const ViewScale& scale, const std::vector<IntPoint>& handles) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    for (IntPoint h : handles) {
        const QPointF c = scale.centre(h);
        p.drawRect(
            QRectF(c.x() - kHandleSize / 2.0, c.y() - kHandleSize / 2.0, kHandleSize, kHandleSize));
    }
}

} // namespace

ShapeToolsPanel& CanvasDrawingInput::shapes() const {
    return *frame_.imageEditPanel()->shapeTools();
}

TextPanel& CanvasDrawingInput::text() const {
    return *frame_.imageEditPanel()->textPanel();
}

bool CanvasDrawingInput::active() const {
    return shapes().kind() || text().active();
}

void CanvasDrawingInput::press(IntPoint at) {
    if (shapes().kind())
        shapes().tool().press(at);
    else
        text().tool().press(at);
    showStatus(at);
}

void CanvasDrawingInput::move(IntPoint at) {
    if (shapes().kind())
        shapes().tool().move(at);
    else
        text().tool().move(at);
    showStatus(at);
}

void CanvasDrawingInput::release(IntPoint at) {
    if (shapes().kind())
        shapes().tool().release(at);
    else
        text().tool().release(at);
    showStatus(at);
    frame_.updateCommands();
}

bool CanvasDrawingInput::escape() {
    if (shapes().kind() && shapes().tool().shape()) {
        shapes().tool().cancel();
    } else if (text().active() && text().tool().box()) {
        text().tool().cancel();
    } else
        return false;
    frame_.updateCommands();
    return true;
}

void CanvasDrawingInput::showStatus(IntPoint at) const {
    const std::string prompt = shapes().kind() ? shapes().tool().prompt() : text().tool().prompt();
    frame_.setPaneText(0, qtText(prompt));
    frame_.setPaneText(1, QString("x= %1 y= %2").arg(at.x).arg(at.y));
}

void CanvasDrawingInput::paint(QPainter& p, const QRect& target, int width, int height) const {
    if (!active() || width <= 0 || height <= 0) return;
    const ViewScale scale{target, double(target.width()) / width, double(target.height()) / height};
    p.save();
    p.setClipRect(target, Qt::IntersectClip); // what lies off the picture is not painted
    if (shapes().kind()) {
        ShapeTool& tool = shapes().tool();
        if (const auto shape = tool.shape()) {
            drawCoverage(p, scale, rasteriseShape(*shape, width, height), tool.settings().colour);
            paintHandles(p, scale, tool.handles());
        }
    } else if (const auto box = text().tool().box()) {
        drawCoverage(p, scale, Coverage::fromAlpha(text().tool().drawing(), box->left, box->top),
                     text().colour());
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(scale.rect(*box));
    }
    p.restore();
}

} // namespace zx
