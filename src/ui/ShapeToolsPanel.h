#pragma once
// The Shape Tools of Image Edit mode on the panel: Line, Rectangle, Filled Rectangle,
// Ellipse and Filled Ellipse, with the width, the smoothing, the colour and "APPLY".
// While one of them is chosen the view's mouse draws and adjusts the shape through
// the panel's ShapeTool instead of selecting.

#include "commands/ImageEditSelection.h"
#include "commands/ShapeTool.h"

#include <QGroupBox>

#include <functional>
#include <optional>

class QButtonGroup;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace zx {

class ColourButton;

class ShapeToolsPanel : public QGroupBox {
    Q_OBJECT
public:
    // `selection` says whether the background is being edited.
    ShapeToolsPanel(Workspace& workspace, const ImageEditSelection& selection, QWidget* parent);
    // Called after a change of the settings or the shape.
    std::function<void()> changed;
    // Called after "APPLY" recorded its step.
    std::function<void()> applied;
    // Called when the colour changes.
    std::function<void(PaintColour)> colourChanged;

    // The chosen tool; none while other tools have the mouse. Putting the tools down
    // drops the shape.
    std::optional<ShapeKind> kind() const { return chosen_; }
    void choose(std::optional<ShapeKind> kind);
    ShapeTool& tool() { return tool_; }
    void setColour(PaintColour colour);
    // "APPLY"; false when there was nothing to paint.
    bool apply();

private:
    void addToolButtons();
    void addSettings();
    void changeSettings(const std::function<void(ShapeSettings&)>& change);
    void report();

    ShapeTool tool_;
    const ImageEditSelection& selection_;
    std::optional<ShapeKind> chosen_;
    QButtonGroup* tools_;
    QSpinBox* width_;
    QComboBox* smoothing_;
    ColourButton* colour_;
    QPushButton* apply_;
};

} // namespace zx
