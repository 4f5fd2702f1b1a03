// The main frame's side of Animate-mode editing: what the view shows of the editor.

#include "app/AnimateViewInput.h"
#include "app/MainFrame.h"

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
    return animateInput_->editedFrame(quality);
}

} // namespace zx
