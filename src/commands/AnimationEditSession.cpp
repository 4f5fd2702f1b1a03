#include "commands/AnimationEditSession.h"

#include "anim/AnimationRecord.h"
#include "anim/LibraryFile.h"
#include "commands/LibraryObjects.h"
#include "commands/Workspace.h"
#include "storage/Settings.h"

#include <algorithm>

namespace zx {

AnimationEditSession::AnimationEditSession(Workspace& workspace, int image)
    : workspace_(workspace), image_(image), model_(std::make_unique<AnimationModel>()) {}

Result<std::unique_ptr<AnimationEditSession>> AnimationEditSession::open(Workspace& workspace) {
    ProjectImage* image = workspace.currentImage();
    if (!image || !workspace.hasSelectedImage()) return Status::refused({}, "no image is selected");
    auto session =
        std::make_unique<AnimationEditSession>(workspace, workspace.project().currentImage);
    session->before_ = image->animation;
    AnimationModel& model = *session->model_;
    // The model is only written back: library objects keep their words as stored.
    // Their files are read too, so the Object Editor has their materials and textures.
    RecordReadOptions read;
    read.prompter = &workspace.prompter();
    read.forRewrite = true;
    LibraryLoadOptions library;
    library.projectFolder = workspace.project().folder;
    library.libraryFolder = workspace.settings().libDir;
    library.relocations = &workspace.libraryRelocations;
    read.loadLibrary = recordLibraryLoader(library);
    if (image->animation && !image->animation->empty() &&
        !readAnimationRecord(model, *image->animation, read))
        return Status::failed({}, "the image's animation is damaged");
    model.startWidth = image->width();
    model.startHeight = image->height();
    model.lastFrameIndex = std::max(1, image->duration());
    model.currentFrameIndex = image->currentFrame();
    return session;
}

void AnimationEditSession::preview() {
    if (ProjectImage* image = workspace_.project().images.at(image_))
        image->animation = writeAnimationRecord(*model_);
}

void AnimationEditSession::setFrame(int frame) {
    ProjectImage* image = workspace_.project().images.at(image_);
    if (!image) return;
    image->setCurrentFrame(frame);
    model_->currentFrameIndex = image->currentFrame();
}

bool AnimationEditSession::keep(std::string_view label) {
    ProjectImage* image = workspace_.project().images.at(image_);
    if (!image) return false;
    image->animation = writeAnimationRecord(*model_);
    if (image->animation == before_) return false;
    return workspace_
        .record(animationRecordStep(std::string(label), image_, workspace_.backgroundSelected(),
                                    before_, image->animation))
        .recorded;
}

void AnimationEditSession::cancel() {
    if (ProjectImage* image = workspace_.project().images.at(image_)) image->animation = before_;
}

} // namespace zx
