#pragma once
// The "Time Curve Editor" dialog over TimeCurveEditorModel: the 512 by 512 drawing
// area, "Linear", the pointer read-out, the "Curve Library" strip with its scroll
// bar (two curves a step), OK, Cancel and "Save..." with the "Curve Name" question.

#include "commands/TimeCurveEditorModel.h"
#include "ui/DialogFields.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPainter;
class QRectF;
class QScrollBar;

namespace zx {

class CurveArea;
class CurveStrip;
class Prompter;

// Draws a curve as its table runs, scaled into `box` (grid y upwards).
void paintTimeCurve(QPainter& painter, const TimeCurve& curve, const QRectF& box);

class TimeCurveEditorDialog : public QDialog {
    Q_OBJECT
public:
    TimeCurveEditorDialog(CurveLibrary& library, std::filesystem::path userFile, TimeCurve curve,
                          Prompter& prompter, QWidget* parent = nullptr);
    ~TimeCurveEditorDialog() override;

    TimeCurveEditorModel& model() { return model_; }
    const TimeCurve& curve() const { return model_.curve(); }
    const DialogFields& fields() const { return fields_; }
    QWidget* drawingArea() const;
    QScrollBar* libraryScrollBar() const { return scroll_; }

    // Asks for the curve's name, given the text to start from; none when cancelled.
    // A message box unless a script or test puts its own answer here.
    std::function<std::optional<std::string>(const std::string&)> askName;

    // "Save...": asks for a name until it is valid or the question is cancelled.
    void save();
    // The pointer moved over the drawing area (or an edit changed the curve).
    void showPointer(GridPoint p);
    void curveChanged();

private:
    TimeCurveEditorModel model_;
    std::filesystem::path userFile_;
    Prompter& prompter_;
    DialogFields fields_;
    CurveArea* area_ = nullptr;
    CurveStrip* strip_ = nullptr;
    QCheckBox* linear_ = nullptr;
    QLineEdit* readout_ = nullptr;
    QScrollBar* scroll_ = nullptr;
};

} // namespace zx
