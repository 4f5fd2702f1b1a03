#pragma once
// The main view: what the active mode shows. Image Edit and Image Align show the
// current image at the zoom level over the canvas colour; Animate shows the start
// image and the current frame in captioned panes; Movie shows the movie frame in
// the movie's size; the 3D Creator shows its two views and the 3D preview.

#include "app/AppLayer.h"

#include "app/FramePreview.h"

#include <QWidget>

namespace zx {

class MainFrame;
class CanvasSelectionInput;
class FloatingInput;
class CanvasAlignInput;

class CanvasView : public QWidget {
    Q_OBJECT
public:
    explicit CanvasView(MainFrame& frame);
    QSize sizeHint() const override { return {800, 560}; }
    // The part of the current image Image Edit shows, in image pixels.
    PixelRect visibleImageArea();

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void paintImage(QPainter& p, const QRect& area, bool centred);
    // Where the current image is drawn in `area` at the zoom level.
    QRect imageTarget(const ProjectImage& image, const QRect& area, bool centred) const;
    // The image's place in the whole view, as Image Edit draws it.
    QRect imageEditTarget();
    // The current animation frame through the renderer, or false when it cannot be.
    bool paintRenderedFrame(QPainter& p, const QRect& area);
    RenderQuality previewQuality() const;
    void paintAnimate(QPainter& p);
    void paintMovie(QPainter& p);
    void paintBuilder(QPainter& p);
    void paintCaptionStrips(QPainter& p, const struct ViewLayoutResult& layout);

    MainFrame& frame_;
    FramePreview preview_;
    CanvasSelectionInput* selectionInput_;
    FloatingInput* floatingInput_;
    CanvasAlignInput* alignInput_;
};

} // namespace zx
