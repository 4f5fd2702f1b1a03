// The main frame's side of Animate-mode editing: what the view shows of the editor.

#include "app/AnimateViewInput.h"
#include "app/MainFrame.h"
#include "commands/AnimateViewFrame.h"
#include "commands/AnimationEditSession.h"
#include "commands/ApplyScript.h"

#include <algorithm>

namespace zx {

CaptionState MainFrame::animateCaptions() const {
    return animateInput_ ? animateInput_->editor().captionState() : CaptionState{};
}

void MainFrame::reloadAnimateEditor() {
    if (animateInput_) animateInput_->editor().reload();
}

int MainFrame::editorSelectedObject() const {
    return animateInput_ ? animateInput_->editor().model().selectedObject : -1;
}

std::optional<RasterImage> MainFrame::animateEditedFrame(RenderQuality quality) {
    if (!animateInput_ || animatePlaying()) return std::nullopt;
    if (const ProjectImage* image = project().current(); dialogSession_ && image) {
        RasterImage picture =
            renderAnimateViewFrame(project(), dialogSession_->model(), project().currentImage,
                                   image->currentFrame(), quality);
        if (!picture.empty()) return picture;
    }
    return animateInput_->editedFrame(quality);
}

namespace {

// "Re&move\tDEL" is the row "Remove".
std::string plainMenuText(const QString& text) {
    return text.section('\t', 0, 0).remove('&').toStdString();
}

} // namespace

void MainFrame::runAnimateCommand(int id) {
    const CommandEntry* entry = findCommand(id);
    if (!entry || !animateInput_ || mode() != AnimationMode::Animate) return;
    const std::string name = plainMenuText(entry->text);
    const std::vector<ApplyCommand>& table = applyCommands();
    const auto row = std::ranges::find(table, std::string_view(name), &ApplyCommand::name);
    if (row == table.end()) return;
    // The tools tell their own refusals, as from the region menu.
    ApplyContext context{*workspace_, animateInput_->editor()};
    (void)row->run(context, {});
    refreshAll();
}

CommandState MainFrame::animateMeshState() const {
    return {mode() == AnimationMode::Animate && animateInput_ && workspace_->hasSelectedImage(),
            false};
}

CommandState MainFrame::animateSelectionMeshState() const {
    return {animateMeshState().enabled && animateInput_->editor().selectionClosed(), false};
}

} // namespace zx
