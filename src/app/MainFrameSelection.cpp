// The main frame's selection and masking commands: the Image menu's Selection and
// Masking entries, the tool bar's Previous Selection and Show Outside, and the
// context menu over the image in Image Edit mode.

#include "app/MainFrame.h"

#include "commands/SelectionHistory.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QVBoxLayout>

namespace zx {

namespace {

using SelectionCommand = bool (ImageEditSelection::*)();

void runSelection(MainFrame& frame, SelectionCommand command) {
    (frame.imageEditPanel()->selection().*command)();
    frame.refreshView();
}

// "Set (current= …)...": a slider whose every new value applies at once.
void askTolerance(MainFrame& frame) {
    ImageEditSelection& selection = frame.imageEditPanel()->selection();
    QDialog dialog(&frame);
    dialog.setWindowTitle("Tolerance");
    auto* layout = new QVBoxLayout(&dialog);
    auto* slider = new QSlider(Qt::Horizontal, &dialog);
    slider->setRange(kCleanerMinTolerance, kCleanerMaxTolerance);
    slider->setValue(selection.settings().tolerance);
    auto* value = new QLabel(QString::number(slider->value()), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    layout->addWidget(slider);
    layout->addWidget(value);
    layout->addWidget(buttons);
    QObject::connect(slider, &QSlider::valueChanged, &dialog, [&](int v) {
        selection.setTolerance(v);
        value->setNum(v);
        frame.refreshView();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.exec();
}

} // namespace

void MainFrame::onSelectVisible() {
    runSelection(*this, &ImageEditSelection::selectVisible);
}
void MainFrame::onSelectAll() {
    runSelection(*this, &ImageEditSelection::selectAll);
}
void MainFrame::onDeselect() {
    runSelection(*this, &ImageEditSelection::deselect);
}
void MainFrame::onSelectInverse() {
    runSelection(*this, &ImageEditSelection::selectInverse);
}
void MainFrame::onPreviousSelection() {
    runSelection(*this, &ImageEditSelection::previousSelection);
}
void MainFrame::onShowInside() {
    runSelection(*this, &ImageEditSelection::showInside);
}
void MainFrame::onShowOutside() {
    runSelection(*this, &ImageEditSelection::showOutside);
}
void MainFrame::onShowAll() {
    runSelection(*this, &ImageEditSelection::showAll);
}

void MainFrame::onRedMask() {
    ImageEditSelection& selection = imageEditPanel_->selection();
    selection.setRedMask(!selection.settings().redMask);
    imageEditPanel_->refresh();
    refreshView();
}

// Image Edit mode with a selected image that has a mask, nothing floating, no
// stroke under way.
CommandState MainFrame::selectionCommandState() const {
    const Workspace& ws = *workspace_;
    const ProjectImage* image = ws.project().current();
    const bool enabled = mode() == AnimationMode::ImageEdit && image && maskOf(*image) &&
                         !ws.floating.pending && !imageEditPanel_->selection().busy();
    return {enabled, false};
}

CommandState MainFrame::redMaskState() const {
    return {selectionCommandState().enabled, imageEditPanel_->selection().settings().redMask};
}

void MainFrame::showSelectionContextMenu(const QPoint& globalPos) {
    updateCommands();
    ImageEditSelection& selection = imageEditPanel_->selection();
    QMenu menu(this);
    auto item = [&](QMenu& into, const QString& text, int id) {
        QAction* a = into.addAction(text, this, [this, id] { trigger(id); });
        a->setEnabled(action(id) && action(id)->isEnabled());
    };
    if (selection.settings().tool == SelectionTool::MagicBackgroundCleaner) {
        QMenu* tolerance = menu.addMenu("Tolerance");
        tolerance->addAction(qtText(cleanerToleranceMenuText(selection.settings().tolerance)), this,
                             [this] { askTolerance(*this); });
        tolerance->addAction("Minimum", this,
                             [&selection] { selection.setTolerance(kCleanerMinTolerance); });
        tolerance->addAction("Maximum", this,
                             [&selection] { selection.setTolerance(kCleanerMaxTolerance); });
        menu.addSeparator();
        item(menu, "Select Visible\tShift+V", Cmd::SelectVisible);
        item(menu, "Select All\tCtrl+L", Cmd::SelectAll);
    } else {
        if (!selection.settings().editingBackground)
            item(menu, "Select Visible\tShift+V", Cmd::SelectVisible);
        item(menu, "Select All\tCtrl+L", Cmd::SelectAll);
        item(menu, "Deselect\tCtrl+D", Cmd::Deselect);
        item(menu, "Select Inverse\tCtrl+Shift+I", Cmd::SelectInverse);
        menu.addSeparator();
        item(menu, "Show Inside Selection\tShift+I", Cmd::ShowInside);
        menu.addSeparator();
        item(menu, "Cut\tCtrl+X", Cmd::Cut);
        item(menu, "Copy\tCtrl+C", Cmd::Copy);
        item(menu, "Paste\tCtrl+V", Cmd::Paste);
        menu.addSeparator();
        item(menu, "Crop", Cmd::Crop);
    }
    menu.exec(globalPos);
    imageEditPanel_->refresh();
    refreshView();
}

} // namespace zx
