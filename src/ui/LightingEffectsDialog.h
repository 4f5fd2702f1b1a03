#pragma once
// The "Lighting Effects" dialog: the picture with the light laid over it (drag the
// centre or the inside to move the light, the focus handle to stretch and turn it,
// the handle at the end of its long axis to size it), the sliders "Intensity:",
// "Focus:", "Ambience:" and "Matt"–"Shiny", the seven "Light color" buttons,
// "Apply to Selection" with its feathering, and "Preview". Like the other adjustment
// dialogs, `previewWanted` fires once the values have stood still for a moment.

#include "commands/ImageEditCommands.h"
#include "commands/LightTool.h"
#include "ui/DialogFields.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QSlider;
class QTimer;

namespace zx {

class LightCanvas;

class LightingEffectsDialog : public QDialog {
    Q_OBJECT
public:
    // `picture` gives the picture as it stands (the preview included) each time the
    // canvas is drawn; the light opens as a circle over `visible`.
    LightingEffectsDialog(std::function<const RasterImage*()> picture, const PixelRect& visible,
                          QWidget* parent);

    CommandValues values() const;
    const DialogFields& fields() const { return fields_; }
    void setSelectionAvailable(bool available);
    bool previewOn() const;
    const LightTool& light() const { return tool_; }
    LightCanvas* canvas() const { return canvas_; }

signals:
    void previewWanted();

private:
    QSlider* addSlider(QFormLayout* form, const QString& label, int min, int max, int initial);
    void addColours(QFormLayout* form);
    void changed();

    LightTool tool_;
    DialogFields fields_;
    LightCanvas* canvas_;
    QSlider* intensity_;
    QSlider* focus_;
    QSlider* ambience_;
    QSlider* shine_;
    QButtonGroup* colours_;
    QCheckBox* applyToSelection_;
    QComboBox* feathering_;
    QCheckBox* preview_;
    QTimer* previewDelay_;
};

// The picture scaled into the dialog with the light's outline and handles over it.
class LightCanvas : public QWidget {
    Q_OBJECT
public:
    LightCanvas(LightTool& tool, std::function<const RasterImage*()> picture, QWidget* parent);
    QSize sizeHint() const override;
    // Widget position of an image position, and back.
    QPointF toWidget(double x, double y) const;
    QPointF toImage(const QPointF& at) const;

    std::function<void()> moved;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    double scale() const;

    LightTool& tool_;
    std::function<const RasterImage*()> picture_;
};

} // namespace zx
