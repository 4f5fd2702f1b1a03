#pragma once
// The "Current Animation Properties" dialog over AnimationPropertiesModel: the object
// list, the frame slider, the joint parameters, "Reverse" and "Invert", the current
// curve with "Change...", "Apply to Region" and the scenery size in pixels, meters or
// feet. Every change shows at once through the preview callback; OK keeps the changes
// as one "Animation Properties" step, Cancel puts the image's animation back.

#include "commands/AnimationPropertiesModel.h"
#include "ui/DialogFields.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTreeWidget;

namespace zx {

class AnimationEditSession;
class CurveLibrary;
class CurvePreview;
class Prompter;

class AnimationPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    AnimationPropertiesDialog(AnimationEditSession& session, CurveLibrary& curves,
                              std::filesystem::path userCurveFile, Prompter& prompter,
                              std::function<void()> preview, QWidget* parent = nullptr);
    ~AnimationPropertiesDialog() override;

    AnimationPropertiesModel& model() { return *model_; }
    const DialogFields& fields() const { return fields_; }
    // "Change...": edits a curve and gives the result, none when cancelled. The "Time
    // Curve Editor" unless a script or test puts its own answer here.
    std::function<std::optional<TimeCurve>(const TimeCurve&)> editCurve;

    void accept() override;
    void reject() override;

private:
    QWidget* buildObjects();
    QWidget* buildJoints();
    QWidget* buildCurve();
    QWidget* buildSize();
    void registerFields();
    void changed();
    void refresh();
    void refreshSize();
    void typedSize(QLineEdit* edit, bool width);
    std::optional<TimeCurve> runCurveEditor(const TimeCurve& curve);

    AnimationEditSession& session_;
    CurveLibrary& curves_;
    std::filesystem::path userCurveFile_;
    Prompter& prompter_;
    std::function<void()> preview_;
    std::unique_ptr<AnimationPropertiesModel> model_;
    DialogFields fields_;

    QTreeWidget* objects_ = nullptr;
    QSlider* frame_ = nullptr;
    QSlider* interaction_ = nullptr;
    QSlider* skinFill_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QCheckBox* invert_ = nullptr;
    QLabel* curveName_ = nullptr;
    CurvePreview* curvePreview_ = nullptr;
    QPushButton* applyToRegion_ = nullptr;
    QRadioButton* units_[3] = {};
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
};

} // namespace zx
