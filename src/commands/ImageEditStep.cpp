#include "commands/ImageEditStep.h"

#include "commands/ImageSnapshot.h"
#include "storage/PackedImage.h"

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

void ImageEditRecorder::trackLayers(int image, std::initializer_list<int> layers) {
    const ProjectImage* img = project_.images.at(image);
    if (!img) return;
    for (int layer : layers) {
        const RasterImage* p = img->layerPicture(layer);
        const bool kept = std::any_of(layers_.begin(), layers_.end(), [&](const KeptLayer& k) {
            return k.image == image && k.layer == layer;
        });
        if (p && !p->isDescriptor() && !kept) layers_.push_back({image, layer, *p});
    }
}

std::optional<step_payload::ImageStates> ImageEditRecorder::changedImages() {
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
    if (changed.images.empty()) return std::nullopt;
    return changed;
}

namespace {
// The smallest rectangle holding every pixel in which two pictures of one size differ.
PixelRect differingArea(const RasterImage& a, const RasterImage& b) {
    PixelRect r{a.width(), a.height(), 0, 0};
    for (int y = 0; y < a.height(); ++y) {
        const auto ra = a.row(y), rb = b.row(y);
        int x = 0;
        while (x < a.width() && ra[size_t(x)] == rb[size_t(x)]) ++x;
        if (x == a.width()) continue;
        int last = a.width() - 1;
        while (ra[size_t(last)] == rb[size_t(last)]) --last;
        r.left = std::min(r.left, x), r.right = std::max(r.right, last + 1);
        r.top = std::min(r.top, y), r.bottom = y + 1;
    }
    return r;
}

RasterImage cut(const RasterImage& p, const PixelRect& r) {
    RasterImage out(r.width(), r.height());
    for (int y = 0; y < r.height(); ++y)
        std::copy_n(p.row(r.top + y).begin() + r.left, r.width(), out.row(y).begin());
    return out;
}
} // namespace

std::optional<step_payload::ImagePatches> ImageEditRecorder::changedLayers() {
    step_payload::ImagePatches changed;
    for (const KeptLayer& k : layers_) {
        const ProjectImage* img = project_.images.at(k.image);
        const RasterImage* now = img ? img->layerPicture(k.layer) : nullptr;
        if (!now || now->width() != k.picture.width() || now->height() != k.picture.height())
            continue;
        const PixelRect r = differingArea(k.picture, *now);
        if (r.empty()) continue;
        auto before = packImage(cut(k.picture, r)), after = packImage(cut(*now, r));
        if (before && after)
            changed.patches.push_back(
                {k.image, k.layer, r.left, r.top, std::move(*before), std::move(*after)});
    }
    layers_.clear();
    if (changed.patches.empty()) return std::nullopt;
    return changed;
}

bool ImageEditRecorder::record(StepKind kind, int32_t type) {
    auto images = changedImages();
    auto patches = changedLayers();
    if (!images && !patches) return false;
    // A panel step belongs to the image it changed; a project step (a background
    // carried to other images) to the image the command was given on.
    const bool projectLevel = kind == StepKind::Project || kind == StepKind::Timeline;
    const int first = images ? images->images.front() : patches->patches.front().image;
    const int image = projectLevel ? project_.currentImage : first;
    HistoryStep step =
        projectLevel
            ? HistoryStep::projectStep(kind, type, label_, project_.mode, image, background_)
            : HistoryStep::panelStep(AnimationMode(int32_t(kind)), label_, image, background_,
                                     project_.imageEditWords[ImageEditWords::HistoryWord], type);
    if (images) {
        step.indexWord = images->images.front();
        step.indexWord2 = images->images.back();
        step.word = int32_t(images->images.size());
        step.payload = std::move(*images);
    } else {
        step.payload = std::move(*patches);
    }
    return project_.record(std::move(step), background_).recorded;
}

namespace {
void applyPatch(Project& project, const step_payload::LayerPatch& patch, bool undo) {
    ProjectImage* img = project.images.at(patch.image);
    RasterImage* picture = img ? editablePicture(*img, patch.layer) : nullptr;
    const auto part = unpackImage(undo ? patch.before : patch.after);
    if (!picture || !part || patch.left < 0 || patch.top < 0 ||
        patch.left + part->width() > picture->width() ||
        patch.top + part->height() > picture->height())
        return;
    for (int y = 0; y < part->height(); ++y)
        std::copy_n(part->row(y).begin(), part->width(),
                    picture->row(patch.top + y).begin() + patch.left);
}
} // namespace

bool applyImageEditStep(Project& project, const HistoryStep& step, bool undo) {
    if (const auto* patches = step.payloadAs<step_payload::ImagePatches>()) {
        for (const auto& patch : patches->patches) applyPatch(project, patch, undo);
        return true;
    }
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
