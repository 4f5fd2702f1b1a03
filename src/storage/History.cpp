#include "storage/History.h"

namespace zx {

namespace {

// Steps that add, remove, move or load images always change the project, even
// when they look like the step before (two copies of the same image in a row).
bool changesImageList(const HistoryStep& s) {
    if (s.kind != StepKind::Project) return false;
    switch (s.type) {
    case StepType::LoadProjectImage:
    case StepType::LoadVideoData:
    case StepType::AddImage:
    case StepType::RemoveImage:
    case StepType::MoveImage:
    case StepType::AddCopy:
    case StepType::ExtendBackground:
        return true;
    default:
        return false;
    }
}

// Steps after which no "Select Image" step is inserted: they set the selection
// themselves.
bool skipsSelectionStep(const HistoryStep& s) {
    if (s.kind != StepKind::Project) return false;
    return (s.type >= StepType::LoadProjectImage && s.type <= StepType::RemoveImage) ||
           s.type == StepType::AddCopy;
}

} // namespace

bool History::changesNothing(const HistoryStep& current, const HistoryStep& next) {
    if (current.type != next.type || current.image != next.image || current.kind != next.kind ||
        current.label != next.label)
        return false;
    if (changesImageList(next)) return false;
    switch (next.type) {
    case StepType::Duration:
        return current.duration == next.duration && current.word == next.word;
    case 11:
        return current.pictureA == next.pictureA;
    case 13:
        return current.pictureB == next.pictureB;
    case 14:
        return current.mask == next.mask;
    case 15:
    case 17:
        return current.pictureA == next.pictureA && current.pictureB == next.pictureB &&
               current.mask == next.mask;
    default:
        // A step is only dropped when everything it would restore is the same: two
        // animation edits with the same label keep both steps when their animation
        // data differ.
        return current.pictureB == next.pictureB && current.mask == next.mask &&
               current.animation == next.animation && current.payload == next.payload;
    }
}

void History::append(HistoryStep step) {
    steps_.push_back(std::move(step));
    position_ = size() - 1;
}

History::Outcome History::record(HistoryStep step, const Context& context) {
    Outcome out;
    // Recording after an undo forgets what could have been redone.
    steps_.resize(size_t(position_ + 1));

    if (step.isLoadStep()) {
        append(std::move(step));
        out.recorded = true;
        out.rebuildMovieFrames = true;
        return out;
    }
    out.markModified = true;

    if (position_ >= 0 && steps_[size_t(position_)].mode() != context.activeMode) {
        append(HistoryStep::projectStep(StepKind::Project, StepType::ModeChange,
                                        modeStepLabel(context.activeMode), context.activeMode,
                                        context.currentImage, context.backgroundSelected));
    }
    if (position_ >= 0 && !skipsSelectionStep(step)) {
        const HistoryStep& at = steps_[size_t(position_)];
        if (at.image != context.currentImage ||
            at.backgroundSelected != context.backgroundSelected) {
            append(HistoryStep::projectStep(StepKind::Project, StepType::SelectImage,
                                            kSelectImageLabel, context.activeMode,
                                            context.currentImage, context.backgroundSelected));
        }
    }
    if (position_ >= 0 && changesNothing(steps_[size_t(position_)], step)) return out;

    out.rebuildMovieFrames = context.activeMode == AnimationMode::ImageEdit;
    append(std::move(step));
    out.recorded = true;
    out.refreshTimeline = context.activeMode != AnimationMode::Movie;
    return out;
}

void History::clear() {
    steps_.clear();
    position_ = -1;
}

std::vector<std::string> History::labels() const {
    std::vector<std::string> out;
    out.reserve(steps_.size());
    for (const auto& s : steps_) out.push_back(s.label);
    return out;
}

const HistoryStep* History::undoStep() const {
    if (position_ < 0 || position_ >= size()) return nullptr;
    return &steps_[size_t(position_)];
}

const HistoryStep* History::redoStep() const {
    if (position_ + 1 >= size() || position_ < -1) return nullptr;
    return &steps_[size_t(position_ + 1)];
}

const HistoryStep* History::stepBeforeUndo() const {
    if (position_ < 1 || position_ >= size()) return nullptr;
    return &steps_[size_t(position_ - 1)];
}

bool History::stepBack() {
    if (!undoStep()) return false;
    --position_;
    return true;
}

bool History::stepForward() {
    if (!redoStep()) return false;
    ++position_;
    return true;
}

bool History::canUndo(bool panelAllows, bool floatingEditPending) const {
    const HistoryStep* s = undoStep();
    return s && !s->isLoadStep() && panelAllows && !floatingEditPending;
}

bool History::canRedo(bool panelAllows, bool floatingEditPending) const {
    return redoStep() && panelAllows && !floatingEditPending;
}

std::string History::undoMenuText(bool enabled) const {
    const HistoryStep* s = undoStep();
    if (!enabled || !s) return "Undo\tCtrl+Z";
    return "Undo " + s->label + "\tCtrl+Z";
}

std::string History::redoMenuText(bool enabled) const {
    const HistoryStep* s = redoStep();
    if (!enabled || !s) return "Redo\tCtrl+Y";
    return "Redo " + s->label + "\tCtrl+Y";
}

int History::targetImage(const HistoryStep& step, int imageCount) {
    if (imageCount <= 0) return -1;
    if (step.image >= imageCount) return imageCount - 1;
    return step.image;
}

} // namespace zx
