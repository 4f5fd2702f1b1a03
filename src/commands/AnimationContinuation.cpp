#include "commands/AnimationContinuation.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "anim/Deformation.h"
#include "anim/TimeCurve.h"
#include "commands/ImageSnapshot.h"
#include "commands/Workspace.h"

#include <algorithm>

namespace zx {

namespace {

constexpr std::string_view kBackgroundSuffix = ".b";

// A copy of the image's layers, size, length and canvas, without its animation.
std::unique_ptr<ProjectImage> copyLayers(const ProjectImage& src) {
    auto copy = std::make_unique<ProjectImage>(src.width(), src.height(), src.duration());
    copy->canvasColour = src.canvasColour;
    copy->width2 = src.width2;
    copy->height2 = src.height2;
    for (int i = 1; i < src.layerCount(); ++i) {
        ImageLayer layer = *src.layer(i);
        layer.markChanged();
        copy->placeLayer(i, std::move(layer));
    }
    copy->setSize(src.width(), src.height());
    return copy;
}

// The record of `image` with every object starting at the pose of its current frame.
std::optional<std::vector<uint32_t>> continuedRecord(const ProjectImage& image,
                                                     Prompter& prompter) {
    if (!image.animation || image.animation->empty()) return image.animation;
    AnimationModel model;
    RecordReadOptions read;
    read.prompter = &prompter;
    read.forRewrite = true;
    if (!readAnimationRecord(model, *image.animation, read)) return std::nullopt;
    model.startWidth = image.width();
    model.startHeight = image.height();
    model.lastFrameIndex = std::max(1, image.duration());
    computeFrame(model, frameTime(image.currentFrame(), model.lastFrameIndex), prompter);
    for (int slot = 0; slot < model.objectCount; ++slot) makeCurrentPoseStart(model, slot);
    return writeAnimationRecord(model);
}

} // namespace

std::string continuationName(const std::string& imageName, int newImageCount) {
    std::string base = imageName;
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && base.find('/', dot) == std::string::npos) base.erase(dot);
    return copyName(base, newImageCount);
}

void makeCurrentPoseStart(AnimationModel& model, int slot) {
    AnimObject& object = model.object(slot);
    if (object.isLibrary()) {
        model.clearSlot(slot, true, true);
        return;
    }
    for (AnimPoint& point : object.points) {
        point.start = point.current;
        point.trajectory.reset();
    }
    object.spin = 0;
    if (!object.bones.empty()) computeRestPose(model, slot);
}

Status addContinuation(Workspace& workspace) {
    if (workspace.mode() != AnimationMode::Animate || !workspace.hasSelectedImage())
        return Status::refused({}, "a continuation is made in Animate mode of a selected image");
    Project& project = workspace.project();
    const int current = project.currentImage;
    if (!workspace.switchMode(AnimationMode::ImageEdit)) return Status::cancelled();
    const ProjectImage& src = project.images[current];
    auto record = continuedRecord(src, workspace.prompter());
    if (src.animation && !src.animation->empty() && !record) {
        workspace.switchMode(AnimationMode::Animate);
        return Status::failed({}, "the image's animation is damaged");
    }

    auto copy = copyLayers(src);
    const int newCount = project.imageCount() + 1;
    const std::string subjectName =
        src.validLayer(kSubjectLayer) ? src.layer(kSubjectLayer)->name : std::string();
    const std::string name = continuationName(subjectName, newCount);
    if (copy->validLayer(kSubjectLayer)) copy->setLayerName(kSubjectLayer, name);
    if (copy->validLayer(kBackgroundLayer))
        copy->setLayerName(kBackgroundLayer, name + std::string(kBackgroundSuffix));
    copy->animation = std::move(record);
    copy->setCurrentFrame(0);

    const int index = project.images.insert(current + 1, std::move(copy));
    workspace.selectImage(index, false, false);
    HistoryStep step = HistoryStep::projectStep(StepKind::Project, StepType::AddCopy,
                                                kContinuationLabel, workspace.mode(), index, false);
    step.indexWord = index;
    step.duration = project.images[index].duration();
    step.payload = step_payload::ImageSnapshot{snapshotImage(project.images[index])};
    workspace.record(std::move(step));
    workspace.switchMode(AnimationMode::Animate);
    return Status::ok();
}

} // namespace zx
