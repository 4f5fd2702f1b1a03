#pragma once
// The five mode panels hosted by the "Context Tools" dock. Each binds its controls
// to the Workspace and answers the mode protocol (leave test, entry, busy, undo of
// its own steps). Tools that arrive with later work are shown greyed.

#include "commands/ImageAlign.h"
#include "commands/ImageEditSelection.h"
#include "commands/ModePanel.h"
#include "ui/PanelHost.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QPushButton;
class QRadioButton;
class QLabel;
class QSlider;
class QSpinBox;
class QVBoxLayout;

namespace zx {

class SelectionPanel;
class ImageAlignWizardDialog;
class HandToolsPanel;
class ShapeToolsPanel;
class TextPanel;

class ModePanelWidget : public QWidget, public ModePanel {
    Q_OBJECT
public:
    ModePanelWidget(PanelHost& host, const QString& title, const QString& hint);
    // The panel's controls follow the current image.
    virtual void refresh() {}

protected:
    // A column of greyed buttons for tools that are not here yet.
    void addPendingTools(const QStringList& names);
    PanelHost& host_;
    QVBoxLayout* layout_;
};

class ImageEditPanel : public ModePanelWidget {
    Q_OBJECT
public:
    explicit ImageEditPanel(PanelHost& host);
    void enter() override;
    void leave() override;
    bool busy() const override;
    void undo(const HistoryStep& step) override;
    void redo(const HistoryStep& step) override;
    void refresh() override;
    void imageChanged() override;
    int reinitialised() const { return entries_; }
    // The selection tools; the view feeds them pointer events.
    ImageEditSelection& selection() { return selection_; }
    SelectionPanel* selectionPanel() const { return selectionPanel_; }
    // The hand tools; the view feeds their strokes while one is chosen.
    HandToolsPanel* handTools() const { return handTools_; }
    // A stroke, or a drag of a shape or text, is under way.
    bool painting() const;
    // The Shape Tools and the Text panel; the view feeds them while they have the mouse.
    ShapeToolsPanel* shapeTools() const { return shapeTools_; }
    TextPanel* textPanel() const { return textPanel_; }

private:
    void addDrawingTools();
    // Every tool but the selection's puts its mouse down.
    void dropDrawingTools();

    int entries_ = 0;
    ImageEditSelection selection_;
    SelectionPanel* selectionPanel_;
    HandToolsPanel* handTools_;
    ShapeToolsPanel* shapeTools_;
    TextPanel* textPanel_;
};

class ImageAlignPanel : public ModePanelWidget {
    Q_OBJECT
public:
    explicit ImageAlignPanel(PanelHost& host);
    bool canLeave(Prompter& prompter) override { return align_.canLeave(prompter); }
    void leave() override { align_.leave(); }
    bool busy() const override { return align_.busy(); }
    void undo(const HistoryStep& step) override { align_.undo(step); }
    void redo(const HistoryStep& step) override { align_.redo(step); }
    void imageChanged() override { align_.imageChanged(); }
    void refresh() override;
    // The mode's engine: the view feeds it pointer events and draws what it holds.
    ImageAlign& align() { return align_; }
    // Every key of the mode comes here: Enter applies, Esc resets, the arrows step the
    // chosen tool; false for other keys.
    bool keyPress(int key);
    // Opens the wizard; a picture too small is refused with its message.
    void openWizard();
    ImageAlignWizardDialog* wizard() const { return wizard_; }

private:
    QDoubleSpinBox* addValue(QGridLayout* grid, int row, const QString& label, double low,
                             double high, int decimals, double step);
    void valuesEdited();

    ImageAlign align_;
    ImageAlignWizardDialog* wizard_;
    QPushButton* openWizard_;
    std::array<QRadioButton*, 3> tools_{};
    QDoubleSpinBox* shiftX_;
    QDoubleSpinBox* shiftY_;
    QDoubleSpinBox* scale_;
    QDoubleSpinBox* degrees_;
    QPushButton* apply_;
    QPushButton* reset_;
};

class AnimatePanel : public ModePanelWidget {
    Q_OBJECT
public:
    explicit AnimatePanel(PanelHost& host);
    void refresh() override;
    void enter() override;
    void leave() override;
    void imageChanged() override { refresh(); }
    void durationChanged(int oldFrames, int newFrames) override;
    bool busy() const override { return busy_; }

    bool playing() const;
    void setPlaying(bool on);
    // 1 full speed, 2 for "1/2", 4 for "1/4"
    int speedFactor() const;
    bool looping() const;
    bool playAll() const;
    void setLooping(bool on);
    void setPlayAll(bool on);
    // One clock tick: the next frame, the next image, or the end of playback.
    void tick();

private:
    QCheckBox* play_;
    QComboBox* speed_;
    QCheckBox* loop_;
    QCheckBox* playAll_;
    QSlider* frameSlider_;
    QLabel* frameLabel_;
    bool busy_ = false;
};

class MoviePanel : public ModePanelWidget {
    Q_OBJECT
public:
    explicit MoviePanel(PanelHost& host);
    void refresh() override;
    void enter() override { refresh(); }
    void leave() override;
    // The time stamp of the movie frame shown: seconds and frames.
    void showFrame(int frame);
    QString timeStampText() const;
    // The length of the movie: seconds and frames.
    QString lengthText() const;

private:
    QLabel* seconds_;
    QLabel* frames_;
    QLabel* lengthSeconds_;
    QLabel* lengthFrames_;
    QLabel* size_;
};

class Creator3DPanel : public ModePanelWidget {
    Q_OBJECT
public:
    explicit Creator3DPanel(PanelHost& host);
};

} // namespace zx
