#include "commands/SelectionPixels.h"

#include "commands/ImageEditStep.h"
#include "imaging/MaskLayer.h"

#include <algorithm>

namespace zx {

namespace {

// The picture and its mask when both exist and agree in size.
std::pair<const RasterImage*, const RasterImage*> pictureAndMask(const ProjectImage& image,
                                                                 bool background) {
    const RasterImage* picture = image.layerPicture(background ? kBackgroundLayer : kSubjectLayer);
    const RasterImage* mask = image.layerPicture(kMaskLayer);
    if (!picture || !mask || picture->isDescriptor() || picture->width() != mask->width() ||
        picture->height() != mask->height())
        return {nullptr, nullptr};
    return {picture, mask};
}

std::optional<PixelRect> selectedBox(const RasterImage& mask) {
    PixelRect box{mask.width(), mask.height(), 0, 0};
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (isSelectedWord(mask.at(x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    if (box.empty()) return std::nullopt;
    return box;
}

} // namespace

std::optional<RasterImage> copySelectedPixels(const ProjectImage& image, bool background) {
    const auto [picture, mask] = pictureAndMask(image, background);
    if (!picture) return std::nullopt;
    const std::optional<PixelRect> box = selectedBox(*mask);
    if (!box) return std::nullopt;
    RasterImage out(box->width(), box->height());
    for (int y = box->top; y < box->bottom; ++y)
        for (int x = box->left; x < box->right; ++x)
            if (isSelectedWord(mask->at(x, y)))
                out.at(x - box->left, y - box->top) = picture->at(x, y);
    return out;
}

Status cutSelectedPixels(Project& project, int index, bool background) {
    ProjectImage* image = project.images.at(index);
    if (!image || !pictureAndMask(*image, background).first) return Status::ok();
    const int layer = background ? kBackgroundLayer : kSubjectLayer;
    ImageEditRecorder recorder(project, std::string(kCutName), background);
    recorder.trackLayers(index, {layer});
    RasterImage& picture = *editablePicture(*image, layer);
    const RasterImage& mask = *image->layerPicture(kMaskLayer);
    for (size_t i = 0; i < picture.pixelCount(); ++i)
        if (isSelectedWord(mask.pixelVector()[i])) picture.pixelVector()[i] = 0;
    recorder.record();
    return Status::ok();
}

} // namespace zx
