#pragma once
// The selection tools of Image Edit mode: the tool and selection-type radio groups,
// the masking buttons, feathering, auto mask, red mask, and the magic background
// cleaner's tolerance and smoothing. The controls drive an ImageEditSelection; the
// panel reports each change so the window can redraw.

#include "commands/ImageEditSelection.h"

#include <QGroupBox>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QSlider;
class QToolButton;

namespace zx {

class SelectionPanel : public QGroupBox {
    Q_OBJECT
public:
    SelectionPanel(ImageEditSelection& selection, QWidget* parent);
    // Called after every change the panel makes (settings or mask).
    std::function<void()> changed;
    // Brings the controls in line with the selection's settings (after a menu
    // command or a context-menu choice changed them).
    void refresh();

private:
    void addToolButtons();
    void addTypeButtons();
    void addMaskButtons();
    void addFeathering();
    void addCleanerControls();
    QToolButton* button(const QString& text, const QString& tip, bool checkable);
    void report();

    ImageEditSelection& selection_;
    QButtonGroup* tools_;
    QButtonGroup* types_;
    QButtonGroup* feather_;
    QCheckBox* autoMask_;
    QToolButton* redMask_;
    QSlider* tolerance_;
    QLabel* toleranceLabel_;
    QCheckBox* smoothing_;
};

} // namespace zx
