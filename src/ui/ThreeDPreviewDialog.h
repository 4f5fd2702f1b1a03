#pragma once
// "3D Preview": the current animation as an orbitable, shaded solid. The buttons
// set the view angles, shading strength and light direction; the picture comes
// from the renderer's preview filler through the given renderer. A view button
// turns the solid there in a few steps of the 50 ms timer rather than jumping.

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
    // Renders a private copy of the animation with the given camera into a view of
    // the given size, every step-th pixel (1: all); empty when no renderer is
    // available (the dialog then shows the start image).
    using Renderer =
        std::function<RasterImage(const PreviewCamera&, int width, int height, int step)>;
    ThreeDPreviewDialog(const RasterImage& startImage, Renderer renderer,
                        QWidget* parent = nullptr);
    // The camera the buttons have set (a view still turning is shown on its way).
    const PreviewCamera& camera() const { return camera_; }
    // The angles the picture shows now.
    double shownTurn() const { return shown_.turnDeg; }
    double shownTilt() const { return shown_.tiltDeg; }
    bool turning() const;
    void press(const QString& button);
    // The last picture shown and how many were rendered.
    const RasterImage& picture() const { return lastPicture_; }
    int renders() const { return renders_; }
    QString valuesText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rerender(int step = 1);
    void turnStep();
    PreviewCamera camera_;
    PreviewCamera shown_;
    RasterImage start_;
    Renderer renderer_;
    RasterImage lastPicture_;
    int renders_ = 0;
    QLabel* picture_;
    QLabel* values_;
    QSlider* distance_;
    QCheckBox* enable_;
    QTimer* viewTimer_;
};

} // namespace zx
