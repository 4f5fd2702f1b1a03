#include "commands/Workspace.h"

#include "commands/GeometryCommands.h"
#include "commands/ImageEditStep.h"
#include "commands/ImageSnapshot.h"
#include "commands/LibraryObjects.h"
#include "storage/Binary.h"
#include "storage/PhotoImport.h"
#include "storage/Settings.h"

#include <algorithm>

namespace zx {

namespace {
bool isEditingMode(AnimationMode m) {
    return m == AnimationMode::ImageEdit || m == AnimationMode::ImageAlign ||
           m == AnimationMode::Animate;
}
} // namespace

std::string modeDisplayName(AnimationMode mode) {
    switch (mode) {
    case AnimationMode::ImageEdit:
        return "Image Edit";
    case AnimationMode::ImageAlign:
        return "Image Align";
    case AnimationMode::Animate:
        return "Animate";
    case AnimationMode::Movie:
        return "Movie";
    case AnimationMode::Creator3D:
        return "3D Creator";
    default:
        return {};
    }
}

Workspace::Workspace(Prompter& prompter, const Settings& settings)
    : prompter_(prompter), settings_(settings),
      project_(std::make_unique<Project>(Project::fromSettings(settings))),
      placeholder_(std::make_unique<ProjectImage>(kPlaceholderWidth, kPlaceholderHeight,
                                                  kPlaceholderDuration)),
      fallbackPanel_(std::make_unique<ModePanel>()) {
    panels_.fill(fallbackPanel_.get());
}

void Workspace::setPanel(AnimationMode mode, ModePanel* p) {
    const int i = int(mode);
    if (i >= 0 && i < int(panels_.size())) panels_[size_t(i)] = p ? p : fallbackPanel_.get();
}

ModePanel* Workspace::registeredPanel(AnimationMode mode) const {
    const int i = int(mode);
    return i >= 0 && i < int(panels_.size()) ? panels_[size_t(i)] : fallbackPanel_.get();
}

ModePanel* Workspace::panel(AnimationMode mode) { return registeredPanel(mode); }

const ModePanel* Workspace::panel(AnimationMode mode) const { return registeredPanel(mode); }

ProjectImage* Workspace::currentImage() {
    if (ProjectImage* img = project_->current()) return img;
    if (mode() == AnimationMode::Movie) return nullptr;
    return placeholder_.get();
}

void Workspace::setCurrentImage(int index) {
    project_->currentImage = project_->images.valid(index) ? index : -1;
}

// ---- the open project -------------------------------------------------------------

void Workspace::replaceProject(std::unique_ptr<Project> project) {
    if (!project) return;
    activePanel()->leave();
    floating = {};
    const AnimationMode stored = project->mode;
    project_ = std::move(project);
    project_->mode = AnimationMode::None; // the stored mode is always entered afresh
    backgroundSelected_ = false;
    const int count = project_->imageCount();
    setCurrentImage(count == 0 ? -1 : std::clamp(project_->currentImage, 0, count - 1));
    enterMode(stored == AnimationMode::None ? AnimationMode::ImageEdit : stored);
    notify(hooks.historyChanged);
    notify(hooks.timelineChanged);
    notify(hooks.viewsChanged);
    prompter_.status(kReadyStatus);
}

bool Workspace::readyToLeaveProject() {
    return resolveFloatingEdit() && activePanel()->canLeave(prompter_);
}

// ---- modes and selection ------------------------------------------------------------

bool Workspace::resolveFloatingEdit() {
    if (!floating.pending) return true;
    const std::string question =
        floating.isPaste && floating.background
            ? std::string(kPasteToBackgroundQuestion)
            : "Apply " +
                  (floating.operationName.empty() ? std::string("Paste") : floating.operationName) +
                  " to Image?";
    const Answer a = prompter_.ask(question, Buttons::YesNoCancel);
    if (a == Answer::Cancel) return false;
    if (a == Answer::Yes) {
        if (floating.picture)
            (void)mergeFloating();
        else if (hooks.applyFloatingEdit)
            hooks.applyFloatingEdit(floating);
    }
    dropFloating();
    return true;
}

bool Workspace::pasteFloating(RasterImage picture, std::string name) {
    const ProjectImage* image = project_->current();
    if (!image || picture.empty() || picture.isDescriptor() || !resolveFloatingEdit()) return false;
    if (mode() != AnimationMode::ImageEdit && !switchMode(AnimationMode::ImageEdit)) return false;
    floating = {
        true, true, "",
        FloatingPicture(std::move(picture), std::move(name), image->width(), image->height()),
        backgroundSelected_};
    if (floating.picture->reduced()) prompter_.status(kPasteReducedStatus);
    notify(hooks.viewsChanged);
    return true;
}

Status Workspace::mergeFloating() {
    if (!floating.picture) return Status::ok();
    const PlacedPicture placed = floating.picture->placed();
    const bool background = floating.background;
    floating = {};
    Status status = mergeFloatingPicture(*project_, project_->currentImage, placed.picture,
                                         placed.left, placed.top, background);
    notify(hooks.historyChanged);
    notify(hooks.viewsChanged);
    return status;
}

void Workspace::dropFloating() {
    floating = {};
    notify(hooks.viewsChanged);
}

void Workspace::enterMode(AnimationMode target) {
    project_->mode = target;
    if (target == AnimationMode::Movie) setCurrentImage(-1);
    panel(target)->enter();
    notify(hooks.modeChanged);
    notify(hooks.timelineChanged);
    notify(hooks.viewsChanged);
}

bool Workspace::switchMode(AnimationMode target) {
    if (target == AnimationMode::None) return false;
    if (target != AnimationMode::ImageEdit && !resolveFloatingEdit()) return false;
    prompter_.status(kReadyStatus);
    if (mode() == target) {
        if (target == AnimationMode::ImageEdit) panel(target)->enter();
        return true;
    }
    if (mode() != AnimationMode::None && !activePanel()->canLeave(prompter_)) return false;
    activePanel()->leave();
    enterMode(target);
    return true;
}

bool Workspace::selectImage(int index, bool backgroundRow, bool ask) {
    if (!project_->images.valid(index)) index = -1;
    if (index == project_->currentImage && backgroundRow == backgroundSelected_) return true;
    if (ask) {
        if (!resolveFloatingEdit()) return false;
        if (isEditingMode(mode()) && !activePanel()->canLeave(prompter_)) return false;
    }
    setCurrentImage(index);
    backgroundSelected_ = backgroundRow;
    activePanel()->imageChanged();
    notify(hooks.timelineChanged);
    notify(hooks.viewsChanged);
    return true;
}

// ---- history --------------------------------------------------------------------------

History::Outcome Workspace::record(HistoryStep step) {
    History::Outcome out = project_->record(std::move(step), backgroundSelected_);
    if (out.rebuildMovieFrames || (out.recorded && mode() == AnimationMode::ImageEdit))
        notify(hooks.movieFramesChanged);
    if (mode() != AnimationMode::Movie) notify(hooks.timelineChanged);
    notify(hooks.historyChanged);
    return out;
}

bool Workspace::canUndo() const {
    return project_->history.canUndo(!activePanel()->busy(), floating.pending);
}

bool Workspace::canRedo() const {
    return project_->history.canRedo(!activePanel()->busy(), floating.pending);
}

std::string Workspace::undoMenuText() const {
    return project_->history.undoMenuText(canUndo());
}
std::string Workspace::redoMenuText() const {
    return project_->history.redoMenuText(canRedo());
}

bool Workspace::selectForStep(const HistoryStep* step) {
    const int target = step ? History::targetImage(*step, project_->imageCount()) : -1;
    const bool bg = step && step->backgroundSelected;
    if (mode() == AnimationMode::Movie) {
        // Movie mode shows frames, not a selected image: no question to ask.
        if (target != project_->currentImage) setCurrentImage(target);
        backgroundSelected_ = bg;
        return true;
    }
    return selectImage(target, bg, true);
}

void Workspace::restoreDurations(const HistoryStep& step) {
    const auto* durations = step.payloadAs<step_payload::Durations>();
    if (!durations) return;
    const std::vector<int32_t>& old = durations->frames;
    if (step.word == 1) {
        for (int i = 0; i < project_->imageCount() && size_t(i) < old.size(); ++i)
            project_->images[i].setDuration(old[size_t(i)]);
    } else if (!old.empty()) {
        const int target = History::targetImage(step, project_->imageCount());
        if (target >= 0) project_->images[target].setDuration(old.front());
    }
}

void Workspace::applyDurations(const HistoryStep& step) {
    if (step.word == 1) {
        for (auto& img : project_->images) img->setDuration(step.duration);
    } else {
        const int target = History::targetImage(step, project_->imageCount());
        if (target >= 0) project_->images[target].setDuration(step.duration);
    }
}

void Workspace::reinsertImage(const HistoryStep& s) {
    if (const auto* snapshot = s.payloadAs<step_payload::ImageSnapshot>())
        if (auto img = restoreImage(snapshot->bytes))
            project_->images.insert(s.indexWord, std::move(img));
}

void Workspace::undoProjectStep(const HistoryStep& s) {
    ImageList& list = project_->images;
    switch (s.type) {
    case StepType::AddImage:
    case StepType::AddCopy:
        list.take(s.indexWord);
        break;
    case StepType::RemoveImage:
        reinsertImage(s);
        break;
    case StepType::MoveImage:
        list.move(s.indexWord2, s.indexWord);
        break;
    default:
        break;
    }
    if (!list.valid(project_->currentImage)) setCurrentImage(list.empty() ? -1 : list.lastIndex());
}

void Workspace::redoProjectStep(const HistoryStep& s) {
    ImageList& list = project_->images;
    switch (s.type) {
    case StepType::AddImage:
    case StepType::AddCopy:
        reinsertImage(s);
        break;
    case StepType::RemoveImage:
        list.take(s.indexWord);
        break;
    case StepType::MoveImage:
        list.move(s.indexWord, s.indexWord2);
        break;
    default:
        break;
    }
    if (!list.valid(project_->currentImage)) setCurrentImage(list.empty() ? -1 : list.lastIndex());
}

namespace {
bool actsOnImageList(const HistoryStep& s) {
    return s.kind == StepKind::Project && s.type != StepType::SelectImage &&
           s.type != StepType::ModeChange;
}
} // namespace

// After a step was undone or redone: every view shows the new state.
void Workspace::finishHistoryWalk() {
    notify(hooks.viewsChanged);
    if (mode() != AnimationMode::Movie) {
        notify(hooks.timelineChanged);
        notify(hooks.movieFramesChanged);
    }
    notify(hooks.historyChanged);
}

bool Workspace::undo() {
    if (!canUndo()) return false;
    History& h = project_->history;
    const HistoryStep s = *h.undoStep(); // a copy: panels may record nothing meanwhile
    const int target = History::targetImage(s, project_->imageCount());
    if ((target != project_->currentImage || s.backgroundSelected != backgroundSelected_) &&
        !selectForStep(&s))
        return false;
    const HistoryStep* before = h.stepBeforeUndo();
    if (before && before->mode() != mode() && before->mode() != AnimationMode::None &&
        !switchMode(before->mode()))
        return false;
    // Whole-record and image-edit steps are put back here; the panels then see them restored.
    applyAnimationRecordStep(*project_, s, true);
    applyImageEditStep(*project_, s, true);
    for (int m = 0; m < 4; ++m) panel(AnimationMode(m))->undo(s);
    if (s.kind == StepKind::Timeline && s.type == StepType::Duration) restoreDurations(s);
    if (actsOnImageList(s)) {
        if (mode() != AnimationMode::ImageEdit) switchMode(AnimationMode::ImageEdit);
        undoProjectStep(s);
    }
    selectForStep(h.stepBeforeUndo());
    h.stepBack();
    finishHistoryWalk();
    return true;
}

bool Workspace::redo() {
    if (!canRedo()) return false;
    History& h = project_->history;
    const HistoryStep s = *h.redoStep();
    if (!selectForStep(&s)) return false;
    if (s.mode() != mode() && s.mode() != AnimationMode::None && !switchMode(s.mode()))
        return false;
    applyAnimationRecordStep(*project_, s, false);
    applyImageEditStep(*project_, s, false);
    for (int m = 0; m < 4; ++m) panel(AnimationMode(m))->redo(s);
    if (s.kind == StepKind::Timeline && s.type == StepType::Duration) applyDurations(s);
    if (actsOnImageList(s)) {
        if (mode() != AnimationMode::ImageEdit) switchMode(AnimationMode::ImageEdit);
        redoProjectStep(s);
    }
    selectForStep(&s);
    h.stepForward();
    finishHistoryWalk();
    return true;
}

bool Workspace::jumpTo(int target) {
    History& h = project_->history;
    target = std::clamp(target, -1, h.size() - 1);
    while (h.position() > target)
        if (!undo()) return false;
    while (h.position() < target)
        if (!redo()) return false;
    return true;
}

// ---- timeline -----------------------------------------------------------------------

bool Workspace::leaveToImageEditAndBack(const std::function<void()>& change) {
    const AnimationMode previous = mode();
    if (!switchMode(AnimationMode::ImageEdit)) return false;
    change();
    if (previous != AnimationMode::ImageEdit && previous != AnimationMode::None)
        switchMode(previous);
    notify(hooks.timelineChanged);
    return true;
}

bool Workspace::setImageDuration(int frames, bool applyToAll) {
    frames = std::max(1, frames);
    if (applyToAll) {
        if (project_->images.empty()) return false;
        return leaveToImageEditAndBack([&] {
            std::vector<int32_t> old;
            for (auto& img : project_->images) {
                old.push_back(img->duration());
                img->setDuration(frames);
            }
            HistoryStep step =
                HistoryStep::projectStep(StepKind::Timeline, StepType::Duration, kAllDurationsLabel,
                                         mode(), project_->currentImage, backgroundSelected_);
            step.word = 1;
            step.duration = frames;
            step.payload = step_payload::Durations{std::move(old)};
            record(std::move(step));
        });
    }
    ProjectImage* img = project_->current();
    if (!img) return false;
    const int old = img->duration();
    panel(AnimationMode::Animate)->durationChanged(old, frames);
    const int index = project_->currentImage;
    return leaveToImageEditAndBack([&] {
        project_->images[index].setDuration(frames);
        HistoryStep step =
            HistoryStep::projectStep(StepKind::Timeline, StepType::Duration, kImageDurationLabel,
                                     mode(), index, backgroundSelected_);
        step.duration = project_->images[index].duration();
        step.payload = step_payload::Durations{{old}};
        record(std::move(step));
    });
}

bool Workspace::finishDurationDrag(int startFrames) {
    ProjectImage* img = project_->current();
    if (!img) return false;
    const int now = img->duration();
    if (now == startFrames) {
        if (mode() == AnimationMode::Animate) activePanel()->imageChanged();
        return true;
    }
    // The drag already changed the duration on screen; put it back so that the
    // change goes through the same path (and history step) as the dialog.
    img->setDuration(startFrames);
    return setImageDuration(now, false);
}

// ---- the image list -------------------------------------------------------------------

bool Workspace::addPictureAsImage(const RasterImage& source, const std::string& name,
                                  bool keepSize) {
    if (source.empty() || source.isDescriptor()) return false;
    const ProjectImage* cur = project_->current();
    PhotoLimits limits;
    limits.maxSize = settings_.maxSize;
    limits.keepSize = keepSize;
    limits.currentMask = cur ? cur->layerPicture(kMaskLayer) : nullptr;
    std::optional<RasterImage> picture = preparePhoto(source, limits, importSession_, prompter_);
    if (!picture) return false;
    const int duration = std::max(1, settings_.defaultDurationFrames(project_->fps));
    auto image = buildPhotoImage(std::move(*picture), name, duration, project_->canvasColour);
    const int index = project_->images.append(std::move(image));
    setCurrentImage(index);
    backgroundSelected_ = false;
    HistoryStep step = HistoryStep::projectStep(StepKind::Project, StepType::AddImage,
                                                importUndoLabel(name), mode(), index, false);
    step.indexWord = index;
    step.duration = project_->images[index].duration();
    step.payload = step_payload::ImageSnapshot{snapshotImage(project_->images[index])};
    record(std::move(step));
    activePanel()->imageChanged();
    notify(hooks.viewsChanged);
    return true;
}

std::pair<int, int> Workspace::proposedBlankSize() const {
    if (const ProjectImage* img = project_->current())
        if (const RasterImage* subject = img->layerPicture(kSubjectLayer))
            return {subject->width(), subject->height()};
    const int w = std::max(settings_.maxSize, 1024);
    return {w, w * 3 / 4};
}

bool Workspace::addBlankImage(int width, int height) {
    if (mode() != AnimationMode::ImageEdit && !activePanel()->canLeave(prompter_)) return false;
    if (!addPictureAsImage(RasterImage(std::clamp(width, 1, kMaxImageSide * 2),
                                       std::clamp(height, 1, kMaxImageSide * 2)),
                           std::string(kBlankImageName), true))
        return false;
    return switchMode(AnimationMode::ImageEdit);
}

bool Workspace::pasteToNewImage(const RasterImage& picture) {
    if (!activePanel()->canLeave(prompter_)) return false;
    if (!switchMode(AnimationMode::ImageEdit)) return false;
    return addPictureAsImage(picture, std::string(kClipboardImageName));
}

bool Workspace::addCopy() {
    if (!switchMode(AnimationMode::ImageEdit)) return false;
    const ProjectImage* src = project_->current();
    if (!src) return false;
    auto copy = std::make_unique<ProjectImage>(src->width(), src->height(), src->duration());
    copy->canvasColour = src->canvasColour;
    copy->width2 = src->width2;
    copy->height2 = src->height2;
    for (int i = kBackgroundLayer; i <= kMaskLayer && i < src->layerCount(); ++i) {
        ImageLayer layer = *src->layer(i);
        layer.markChanged();
        copy->placeLayer(i, std::move(layer));
    }
    const int newCount = project_->imageCount() + 1;
    if (copy->validLayer(kSubjectLayer))
        copy->setLayerName(kSubjectLayer, copyName(src->layer(kSubjectLayer)->name, newCount));
    if (copy->layerCount() == kMaskLayer + 1) {
        copy->addPictureLayer(std::nullopt, "");
        copy->addAnimationLayer();
    }
    copy->setSize(src->width(), src->height());
    const int index = project_->images.append(std::move(copy));
    setCurrentImage(index);
    backgroundSelected_ = false;
    HistoryStep step = HistoryStep::projectStep(StepKind::Project, StepType::AddCopy, kAddCopyLabel,
                                                mode(), index, false);
    step.indexWord = index;
    step.duration = project_->images[index].duration();
    step.payload = step_payload::ImageSnapshot{snapshotImage(project_->images[index])};
    record(std::move(step));
    activePanel()->imageChanged();
    notify(hooks.viewsChanged);
    return true;
}

bool Workspace::removeImage(int index) {
    if (!project_->images.valid(index)) return false;
    if (!resolveFloatingEdit() || !activePanel()->canLeave(prompter_)) return false;
    HistoryStep step =
        HistoryStep::projectStep(StepKind::Project, StepType::RemoveImage, kRemoveImageLabel,
                                 mode(), index, backgroundSelected_);
    step.indexWord = index;
    step.duration = project_->images[index].duration();
    step.payload = step_payload::ImageSnapshot{snapshotImage(project_->images[index])};
    project_->images.take(index);
    const int count = project_->imageCount();
    setCurrentImage(count == 0 ? -1 : std::min(index, count - 1));
    record(std::move(step));
    activePanel()->imageChanged();
    notify(hooks.viewsChanged);
    return true;
}

bool Workspace::moveImage(int from, int to) {
    ImageList& list = project_->images;
    if (!list.valid(from) || !list.valid(to) || from == to) return false;
    if (!resolveFloatingEdit()) return false;
    list.move(from, to);
    setCurrentImage(to);
    HistoryStep step = HistoryStep::projectStep(StepKind::Project, StepType::MoveImage,
                                                kMoveImageLabel, mode(), to, backgroundSelected_);
    step.indexWord = from;
    step.indexWord2 = to;
    record(std::move(step));
    notify(hooks.viewsChanged);
    return true;
}

} // namespace zx
