#include "commands/SelectionHistory.h"

namespace zx {

namespace {

// Background pictures keep the colour of transparent pixels (a cut-out leaves the
// subject's colours under alpha 0), so blocks are never coded as merely clear.
std::optional<PackedImage> packExactly(const RasterImage& picture) {
    PackOptions options;
    options.allowTransparentBlocks = false;
    return packImage(picture, options);
}

bool putMask(ProjectImage& image, const RunLengthImage& coded) {
    std::optional<RasterImage> words = decodeRunLength(coded);
    const RasterImage* now = maskOf(image);
    if (!words || !now || words->width() != now->width() || words->height() != now->height())
        return false;
    *editableMask(image) = std::move(*words);
    return true;
}

bool putBackground(ProjectImage& image, const PackedImage& coded, const std::string& name) {
    std::optional<RasterImage> picture = unpackImage(coded);
    if (!picture || !image.validLayer(kBackgroundLayer)) return false;
    image.setLayerPicture(kBackgroundLayer, std::move(picture));
    image.setLayerName(kBackgroundLayer, name);
    return true;
}

} // namespace

RasterImage* editableMask(ProjectImage& image) {
    const ImageLayer* layer = image.layer(kMaskLayer);
    if (!layer || layer->kind != LayerKind::Mask || !layer->hasPicture()) return nullptr;
    ImageLayer* edit = image.editLayer(kMaskLayer);
    return edit->working ? &*edit->working : &*edit->base;
}

const RasterImage* maskOf(const ProjectImage& image) {
    const ImageLayer* layer = image.layer(kMaskLayer);
    return layer && layer->kind == LayerKind::Mask ? layer->picture() : nullptr;
}

void keepMaskChange(HistoryStep& step, const RasterImage& before, const ProjectImage& image) {
    step.type = kMaskStepType;
    step.payload = step_payload::SelectionBefore{encodeRunLength(before), std::nullopt, {}};
    if (const RasterImage* after = maskOf(image)) step.mask = encodeRunLength(*after);
}

void keepBackgroundChange(HistoryStep& step, const RasterImage& before,
                          const std::string& beforeName, const ProjectImage& image) {
    step.type = kBackgroundStepType;
    step.payload = step_payload::SelectionBefore{std::nullopt, packExactly(before), beforeName};
    if (const RasterImage* after = image.layerPicture(kBackgroundLayer))
        step.pictureB = packExactly(*after);
    if (const ImageLayer* layer = image.layer(kBackgroundLayer)) step.nameB = layer->name;
}

bool applySelectionStep(ProjectImage& image, const HistoryStep& step, bool undo) {
    const auto* before = step.payloadAs<step_payload::SelectionBefore>();
    if (step.kind != StepKind::ImageEdit || !before) return false;
    if (before->mask)
        return putMask(image, undo ? *before->mask : step.mask.value_or(RunLengthImage{}));
    if (before->background && step.pictureB)
        return undo ? putBackground(image, *before->background, before->backgroundName)
                    : putBackground(image, *step.pictureB, step.nameB);
    return false;
}

std::optional<RasterImage> previousSelection(const History& history, int image) {
    for (int i = history.position(); i >= 0; --i) {
        const HistoryStep& step = history[i];
        const auto* before = step.payloadAs<step_payload::SelectionBefore>();
        if (step.kind == StepKind::ImageEdit && step.image == image && before && before->mask)
            return decodeRunLength(*before->mask);
    }
    return std::nullopt;
}

} // namespace zx
