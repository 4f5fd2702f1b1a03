#include "commands/PaintStroke.h"

#include "commands/GeometryCommands.h"
#include "imaging/MaskLayer.h"

#include <cstdlib>

namespace zx {

std::string paintHistoryName(const PaintSettings& s) {
    switch (s.tool) {
    case PaintTool::Eraser:
        if (s.background) return std::string(PaintHistoryName::BackgroundErase);
        return std::string(s.applyToMask ? PaintHistoryName::SubjectMaskErase
                                         : PaintHistoryName::SubjectErase);
    case PaintTool::Revealer:
        return std::string(PaintHistoryName::Reveal);
    case PaintTool::Brush:
        return editLabel(PaintHistoryName::Brush, s.background);
    case PaintTool::Bucket:
        return editLabel(PaintHistoryName::Fill, s.background);
    case PaintTool::Blur:
        return editLabel(PaintHistoryName::Blur, s.background);
    }
    return {};
}

std::string_view paintPrompt(const PaintSettings& settings, bool picking) {
    if (picking) return "Click on image to select color";
    if (settings.tool == PaintTool::Bucket) return "Click on image to fill with selected color";
    return "Click and/or drag on image to use tool";
}

PaintStroke::PaintStroke(Project& project, int image, PaintSettings settings)
    : project_(project), image_(image), settings_(settings),
      kernel_(BrushKernel::build(settings.shape, settings.size, settings.featherIndex)) {}

bool PaintStroke::editsMask() const {
    return !settings_.background &&
           (settings_.tool == PaintTool::Revealer ||
            (settings_.tool == PaintTool::Eraser && settings_.applyToMask));
}

bool PaintStroke::press(int x, int y) {
    ProjectImage* image = project_.images.at(image_);
    const int layer = settings_.background ? kBackgroundLayer : kSubjectLayer;
    const RasterImage* picture = image ? image->layerPicture(layer) : nullptr;
    const RasterImage* mask = image ? image->layerPicture(kMaskLayer) : nullptr;
    if (!picture || picture->empty() || !mask) return false;
    if (settings_.background && settings_.tool == PaintTool::Revealer) return false;
    recorder_ = std::make_unique<ImageEditRecorder>(project_, paintHistoryName(settings_),
                                                    settings_.background);
    recorder_->trackLayers(image_, {layer, kMaskLayer});
    changed_ = {};
    lastX_ = x, lastY_ = y;
    apply(x, y);
    return true;
}

void PaintStroke::move(int x, int y) {
    if (!active() || settings_.tool == PaintTool::Bucket) return;
    // Every pixel on the way gets the tool, so a fast drag leaves no gaps.
    const int dx = x - lastX_, dy = y - lastY_;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 1; i <= steps; ++i)
        apply(lastX_ + (dx * i + (dx >= 0 ? steps : -steps) / 2) / steps,
              lastY_ + (dy * i + (dy >= 0 ? steps : -steps) / 2) / steps);
    lastX_ = x, lastY_ = y;
}

bool PaintStroke::release() {
    if (!active()) return false;
    ProjectImage* image = project_.images.at(image_);
    if (image && editsMask())
        if (RasterImage* mask = editablePicture(*image, kMaskLayer))
            selectVisible(*mask, image->layerPicture(kSubjectLayer));
    const bool recorded = recorder_->record();
    recorder_.reset();
    return recorded;
}

void PaintStroke::apply(int x, int y) {
    ProjectImage& image = *project_.images.at(image_);
    RasterImage& picture =
        *editablePicture(image, settings_.background ? kBackgroundLayer : kSubjectLayer);
    RasterImage& mask = *editablePicture(image, kMaskLayer);
    const Dab dab{kernel_, x, y, settings_.flow};
    const bool subject = !settings_.background;
    switch (settings_.tool) {
    case PaintTool::Eraser:
        if (editsMask())
            eraseMaskDab(mask, dab);
        else
            eraseDab(picture, dab);
        break;
    case PaintTool::Revealer:
        revealDab(mask, dab);
        break;
    case PaintTool::Brush:
        brushDab(picture, mask, dab, settings_.colour, settings_.mode, subject);
        break;
    case PaintTool::Bucket:
        bucketFill(picture, mask, x, y, settings_.flow, settings_.colour);
        changed_ = {0, 0, picture.width(), picture.height()};
        return;
    case PaintTool::Blur:
        blurDab(picture, mask, dab, subject);
        break;
    }
    const int c = kernel_.centre();
    const PixelRect r{x - c, y - c, x - c + kernel_.n, y - c + kernel_.n};
    changed_ =
        changed_.empty()
            ? r
            : PixelRect{std::min(changed_.left, r.left), std::min(changed_.top, r.top),
                        std::max(changed_.right, r.right), std::max(changed_.bottom, r.bottom)};
}

bool paintDrawing(Project& project, int index, const Coverage& drawing, PaintColour colour,
                  bool background, std::string_view name) {
    ProjectImage* image = project.images.at(index);
    const int layer = background ? kBackgroundLayer : kSubjectLayer;
    if (!image || !image->layerPicture(layer) || !image->layerPicture(kMaskLayer)) return false;
    ImageEditRecorder recorder(project, editLabel(name, background), background);
    recorder.trackLayers(index, {layer, kMaskLayer});
    (void)paintCoverage(*editablePicture(*image, layer), *editablePicture(*image, kMaskLayer),
                        drawing, colour, !background);
    return recorder.record();
}

Status applyDrawnPicture(Project& project, int image, const RasterImage& drawn, int left, int top,
                         bool background, std::string_view name) {
    return layPictureOver(project, image, drawn, left, top, background,
                          editLabel(name, background));
}

} // namespace zx
