#include "commands/AdjustmentCommands.h"

#include "commands/ImageEditStep.h"
#include "imaging/MaskLayer.h"
#include "imaging/SelectionWeight.h"

#include <algorithm>
#include <functional>

namespace zx {

namespace {

// What an adjustment reads besides its own values.
struct AdjustInput {
    const RasterImage& source;
    const RasterImage* mask; // the selection's mask layer when limited to it, else null
    const AdjustTarget& target;
    std::optional<PictureStatistics>& statistics; // worked out on first use
};

const PictureStatistics& statisticsOf(const AdjustInput& in) {
    if (!in.statistics) in.statistics = pictureStatistics(in.source, in.mask);
    return *in.statistics;
}
using Adjust = std::function<void(const AdjustInput&, RasterImage& picture)>;

const RasterImage* selectionMask(const ProjectImage& image, const RasterImage& picture) {
    const RasterImage* mask = image.layerPicture(kMaskLayer);
    if (!mask || mask->width() != picture.width() || mask->height() != picture.height())
        return nullptr;
    return hasSelection(*mask) ? mask : nullptr;
}

Status runAdjustment(Project& project, int index, const AdjustOptions& options,
                     std::string_view name, const Adjust& adjust) {
    ProjectImage* image = project.images.at(index);
    const int layer = options.background ? kBackgroundLayer : kSubjectLayer;
    const RasterImage* current = image ? image->layerPicture(layer) : nullptr;
    if (!current || current->empty() || current->isDescriptor()) return Status::ok();
    const RasterImage source = *current;
    const RasterImage* mask = options.applyToSelection ? selectionMask(*image, source) : nullptr;
    if (options.applyToSelection && !mask) return Status::ok();
    // A preview's cache keeps the statistics and the weight between changes (the
    // picture and the selection stay as they are while a dialog is open).
    AdjustCache fresh;
    AdjustCache& cache =
        options.preview && options.preview->cache ? *options.preview->cache : fresh;
    if (mask && (!cache.weight || cache.weightFeather != options.featherIndex)) {
        cache.weight = selectionWeight(*mask, options.featherIndex);
        cache.weightFeather = options.featherIndex;
    }
    if (cache.statisticsOfSelection != (mask != nullptr)) cache.statistics.reset();
    cache.statisticsOfSelection = mask != nullptr;
    std::optional<PictureStatistics>& statistics = cache.statistics;
    AdjustTarget target;
    target.weight = mask ? &*cache.weight : nullptr;
    RasterImage picture = source;
    if (const AdjustPreview* preview = options.preview) {
        target.area = preview->area;
        target.step = std::max(1, preview->step);
        adjust({source, mask, target, statistics}, picture);
        if (preview->out) *preview->out = std::move(picture);
        return Status::ok();
    }
    adjust({source, mask, target, statistics}, picture);
    if (picture == source) return Status::ok();
    ImageEditRecorder recorder(project, editLabel(name, options.background), options.background);
    recorder.trackLayers(index, {layer});
    *editablePicture(*image, layer) = std::move(picture);
    recorder.record();
    return Status::ok();
}

int pivotOf(const AdjustInput& in) {
    return statisticsOf(in).pivot();
}

} // namespace

Status adjustAutoLevels(Project& project, int image, const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::AutoLevels,
                         [](const AdjustInput& in, RasterImage& picture) {
                             autoLevels(in.source, picture, statisticsOf(in), in.target);
                         });
}

Status adjustAutoContrast(Project& project, int image, const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::AutoContrast,
                         [](const AdjustInput& in, RasterImage& picture) {
                             autoContrast(in.source, picture, statisticsOf(in), in.target);
                         });
}

Status adjustWhiteBalance(Project& project, int image, int x, int y, const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::WhiteBalance,
                         [x, y](const AdjustInput& in, RasterImage& picture) {
                             if (auto shift = whiteBalanceShift(in.source, x, y))
                                 whiteBalance(in.source, picture, *shift, in.target);
                         });
}

Status adjustBrightnessContrast(Project& project, int image, int brightness, int contrast,
                                const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::BrightnessContrast,
                         [=](const AdjustInput& in, RasterImage& picture) {
                             brightnessContrast(in.source, picture, brightness, contrast,
                                                pivotOf(in), in.target);
                         });
}

Status adjustColor(Project& project, int image, const std::array<int, 3>& rgb,
                   const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::Color,
                         [rgb](const AdjustInput& in, RasterImage& picture) {
                             colorBalance(in.source, picture, rgb[0], rgb[1], rgb[2], in.target);
                         });
}

Status adjustHueSaturation(Project& project, int image, int hue, int saturation, int intensity,
                           const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::HueSaturation,
                         [=](const AdjustInput& in, RasterImage& picture) {
                             hueSaturation(in.source, picture, hue, saturation, intensity,
                                           in.target);
                         });
}

Status adjustBlurSharpen(Project& project, int image, int value, const AdjustOptions& options) {
    return runAdjustment(project, image, options, AdjustmentName::BlurSharpen,
                         [value](const AdjustInput& in, RasterImage& picture) {
                             blurSharpen(in.source, picture, value, in.target);
                         });
}

Status adjustLighting(Project& project, int image, const LightingSettings& settings,
                      const std::optional<LightEllipse>& light, const AdjustOptions& options) {
    return runAdjustment(
        project, image, options, AdjustmentName::Lighting,
        [&](const AdjustInput& in, RasterImage& picture) {
            const LightEllipse l = light.value_or(
                LightEllipse::openingCircle({0, 0, in.source.width(), in.source.height()}));
            lightingEffects(in.source, picture, l, settings, pivotOf(in), in.target);
        });
}

} // namespace zx
