#pragma once
// The "Object Editor" dialog over ObjectEditorModel: the effect list, the start and
// end sliders with their default buttons, "Lock", the typed values, "Linear",
// "Reset", "Frame:" and "Value:", the curve graph, "Object Play Speed", the previous
// and next object buttons and the materials half. Every change shows at once through
// the preview callback; OK keeps the changes as one "Edit Object" step, Cancel puts
// the image's animation back as it was.

#include "commands/ObjectEditorModel.h"
#include "ui/DialogFields.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;

namespace zx {

class AnimationEditSession;
class EffectCurveGraph;
class Prompter;

class ObjectEditorDialog : public QDialog {
    Q_OBJECT
public:
    // `preview` is called after every change, once the session's record shows it.
    ObjectEditorDialog(AnimationEditSession& session, int slot, bool perspective,
                       Prompter& prompter, std::function<void()> preview,
                       QWidget* parent = nullptr);
    ~ObjectEditorDialog() override;

    ObjectEditorModel& model() { return *model_; }
    // The fields by label, for scripts and tests.
    const DialogFields& fields() const { return fields_; }

    void accept() override;
    void reject() override;

private:
    QWidget* buildEffects();
    QWidget* buildSpeed();
    QWidget* buildMaterials();
    QWidget* buildButtons();
    void registerFields();
    void openOn(int slot);
    void moveToObject(int step);
    bool materialsMayBeLost();
    void changed();
    void refresh();
    void refreshMaterials();
    void typedValue(QLineEdit* edit, bool start);
    void typedColour(QLineEdit* edit, ColourField field);
    void colourToMaterials(bool all);
    int selectedMaterial() const;
    void flip(bool horizontal);
    void replaceTexture();
    // "Save Object" writes the file the object came from; `choose` asks for a name.
    void saveObject(bool choose);

    AnimationEditSession& session_;
    bool perspective_;
    Prompter& prompter_;
    std::function<void()> preview_;
    std::unique_ptr<ObjectEditorModel> model_;
    DialogFields fields_;

    QComboBox* effectList_ = nullptr;
    QSlider* startSlider_ = nullptr;
    QSlider* endSlider_ = nullptr;
    QPushButton* lock_ = nullptr;
    QLineEdit* startEdit_ = nullptr;
    QLineEdit* endEdit_ = nullptr;
    QCheckBox* linear_ = nullptr;
    QSlider* frameSlider_ = nullptr;
    QLineEdit* frameEdit_ = nullptr;
    QLineEdit* valueEdit_ = nullptr;
    EffectCurveGraph* graph_ = nullptr;
    QSlider* speedSlider_ = nullptr;
    QLineEdit* speedEdit_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QSlider* startFrameSlider_ = nullptr;
    QLineEdit* startFrameEdit_ = nullptr;
    QLabel* ownFrames_ = nullptr;
    QPushButton* materialsToggle_ = nullptr;
    QGroupBox* materialsBox_ = nullptr;
    QListWidget* materialList_ = nullptr;
    QLineEdit* colourEdits_[4] = {};
    QCheckBox* applyColour_ = nullptr;
};

} // namespace zx
