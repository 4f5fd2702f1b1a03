#include "commands/ImageEditStep.h"

#include "commands/ImageSnapshot.h"

#include <algorithm>

namespace zx {

std::string editLabel(std::string_view name, bool background) {
    return background ? std::string(kBackgroundPrefix) + std::string(name) : std::string(name);
}

RasterImage* editablePicture(ProjectImage& image, int layer) {
    ImageLayer* l = image.editLayer(layer);
    if (!l) return nullptr;
    if (l->working) return &*l->working;
    return l->base ? &*l->base : nullptr;
}

ImageEditRecorder::ImageEditRecorder(Project& project, std::string label, bool background)
    : project_(project), label_(std::move(label)), background_(background) {}

void ImageEditRecorder::track(int image) {
    const ProjectImage* img = project_.images.at(image);
    if (!img || std::count(states_.images.begin(), states_.images.end(), image)) return;
    states_.images.push_back(image);
    states_.before.push_back(snapshotImage(*img));
}

bool ImageEditRecorder::record(StepKind kind, int32_t type) {
    step_payload::ImageStates changed;
    for (size_t i = 0; i < states_.images.size(); ++i) {
        const ProjectImage* img = project_.images.at(states_.images[i]);
        if (!img) continue;
        auto after = snapshotImage(*img);
        if (after == states_.before[i]) continue;
        changed.images.push_back(states_.images[i]);
        changed.before.push_back(std::move(states_.before[i]));
        changed.after.push_back(std::move(after));
    }
    states_ = {};
    if (changed.images.empty()) return false;
    // A panel step belongs to the image it changed; a project step (a background
    // carried to other images) to the image the command was given on.
    const bool projectLevel = kind == StepKind::Project || kind == StepKind::Timeline;
    const int image = projectLevel ? project_.currentImage : changed.images.front();
    HistoryStep step =
        projectLevel
            ? HistoryStep::projectStep(kind, type, label_, project_.mode, image, background_)
            : HistoryStep::panelStep(AnimationMode(int32_t(kind)), label_, image, background_,
                                     project_.imageEditWords[ImageEditWords::HistoryWord], type);
    step.indexWord = changed.images.front();
    step.indexWord2 = changed.images.back();
    step.word = int32_t(changed.images.size());
    step.payload = std::move(changed);
    return project_.record(std::move(step), background_).recorded;
}

bool applyImageEditStep(Project& project, const HistoryStep& step, bool undo) {
    const auto* states = step.payloadAs<step_payload::ImageStates>();
    if (!states) return false;
    const auto& snapshots = undo ? states->before : states->after;
    for (size_t i = 0; i < states->images.size() && i < snapshots.size(); ++i) {
        ProjectImage* img = project.images.at(states->images[i]);
        auto restored = restoreImage(snapshots[i]);
        if (img && restored) *img = std::move(*restored);
    }
    return true;
}

} // namespace zx
