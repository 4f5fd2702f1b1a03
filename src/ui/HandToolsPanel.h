#pragma once
// The hand tools of Image Edit mode on the panel: Eraser, Revealer, Brush/Pencil,
// Paint Bucket and Blur, with the brush's shape, size, flow, feathering, mode, colour
// and target. While one of them
// is chosen the view's mouse paints through it instead of selecting; choosing a
// selection tool puts the hand tools down again.

#include "commands/PaintStroke.h"

#include <QGroupBox>

#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QPushButton;
class QSpinBox;

namespace zx {

class ColourButton;

class HandToolsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit HandToolsPanel(QWidget* parent);
    // Called after every change of the settings.
    std::function<void()> changed;
    // Called when the colour changes (picked in the dialog or from the picture, or set).
    std::function<void(PaintColour)> colourChanged;

    // The chosen tool; none while the selection tools have the mouse.
    std::optional<PaintTool> tool() const { return chosen_; }
    void choose(std::optional<PaintTool> tool);
    PaintSettings& settings() { return settings_; }
    void setColour(PaintColour colour);
    // "Apply to mask" is hidden while the background picture is edited.
    void setEditingBackground(bool on);
    // "Pick" is on: the next click on the picture takes the colour instead of painting.
    bool picking() const;
    // Takes the colour around (x, y) of the picture and turns "Pick" off.
    void pickFrom(const RasterImage& picture, int x, int y);

    // A stroke of the chosen tool on an image: press starts it (false when the tool
    // cannot work there), release ends it and records its one step.
    bool press(Project& project, int image, int x, int y, bool background);
    void move(int x, int y);
    bool release();
    bool painting() const { return stroke_ != nullptr; }
    // The pixels the stroke under way has changed.
    PixelRect changedArea() const;

private:
    void addToolButtons();
    void addBrushControls();
    QSpinBox* addSpin(QFormLayout* form, const QString& label, int min, int max, int value,
                      std::function<void(int)> set);
    void showToolControls();
    void report();

    PaintSettings settings_;
    std::optional<PaintTool> chosen_;
    std::unique_ptr<PaintStroke> stroke_;
    QButtonGroup* tools_;
    QFormLayout* form_;
    QComboBox* shape_;
    QSpinBox* size_;
    QSpinBox* flow_;
    QComboBox* feather_;
    QComboBox* mode_;
    ColourButton* colour_;
    QPushButton* pick_;
    QComboBox* sample_;
    QCheckBox* toMask_;
};

} // namespace zx
