#pragma once
// "3D Preview": the current animation as an orbitable, shaded solid. The buttons
// set the view angles, shading strength and light direction; the picture comes
// from the renderer's preview filler when one is given.

#include "commands/PreviewCamera.h"
#include "storage/RasterImage.h"

#include <QDialog>

#include <functional>

class QLabel;
class QCheckBox;
class QSlider;
class QTimer;

namespace zx {

class ThreeDPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // Renders a private copy of the animation with the given camera; empty when no
    // renderer is available (the dialog then shows the start image).
    using Renderer = std::function<RasterImage(const PreviewCamera&, int width, int height)>;
    ThreeDPreviewDialog(const RasterImage& startImage, Renderer renderer,
                        QWidget* parent = nullptr);
    const PreviewCamera& camera() const { return camera_; }
    void press(const QString& button);

private:
    void rerender();
    PreviewCamera camera_;
    RasterImage start_;
    Renderer renderer_;
    QLabel* picture_;
    QLabel* values_;
    QSlider* distance_;
    QCheckBox* enable_;
    QTimer* viewTimer_;
};

} // namespace zx
