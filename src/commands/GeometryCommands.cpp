#include "commands/GeometryCommands.h"

#include "anim/AnimationRecord.h"
#include "commands/ImageEditStep.h"
#include "imaging/AnimationMove.h"
#include "imaging/MaskLayer.h"
#include "imaging/PixelChannels.h"
#include "imaging/TraceOutline.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace zx {

namespace {

// New canvas areas of a mask layer show the subject and select nothing.
constexpr uint32_t kNewMaskWord = MaskBit::Value;
// Word 1 of an animation record: its object count.
constexpr size_t kRecordObjectCount = 1;

bool carriesAnimation(const ProjectImage& image) {
    return image.animation && image.animation->size() > kRecordObjectCount &&
           (*image.animation)[kRecordObjectCount] > 0;
}

Status refuse(Prompter& prompter, std::string_view message) {
    prompter.message(message);
    return Status::refused(std::string(message));
}

// The selection's outline redrawn after its pixels moved or were cut.
void retraceOutline(RasterImage& mask) {
    bool any = false;
    for (uint32_t& w : mask.pixelVector()) {
        w &= ~MaskBit::Outline;
        any = any || isSelectedWord(w);
    }
    if (any) traceOutline(mask);
}

void transformLayers(ProjectImage& image, const GeometryChange& change) {
    for (int i = 1; i < image.layerCount(); ++i) {
        ImageLayer* l = image.editLayer(i);
        if (l->kind == LayerKind::Animation) continue;
        const bool mask = l->kind == LayerKind::Mask;
        for (auto* picture : {&l->base, &l->working}) {
            if (!*picture || (*picture)->isDescriptor()) continue;
            **picture = change.transform(**picture, mask);
            if (mask) retraceOutline(**picture);
        }
    }
    image.setSize(change.width, change.height);
}

GeometryChange reframing(std::string_view name, int width, int height, int offsetX, int offsetY) {
    return {name, width, height, PixelMap::shift(offsetX, offsetY),
            [=](const RasterImage& p, bool mask) {
                return reframePicture(p, width, height, offsetX, offsetY, mask ? kNewMaskWord : 0);
            }};
}

// Background, subject and mask all present and of one size.
bool layersInStep(const ProjectImage& image) {
    const RasterImage* subject = image.layerPicture(kSubjectLayer);
    if (!subject) return false;
    for (int layer : {kBackgroundLayer, kMaskLayer}) {
        const RasterImage* p = image.layerPicture(layer);
        if (!p || p->width() != subject->width() || p->height() != subject->height()) return false;
    }
    return true;
}

bool isEmptyPicture(const RasterImage* p) {
    return !p || p->empty() ||
           std::all_of(p->pixelVector().begin(), p->pixelVector().end(), isTransparent);
}

} // namespace

Status applyGeometry(Project& project, int index, const GeometryChange& change,
                     Prompter& prompter) {
    ProjectImage* image = project.images.at(index);
    if (!image) return Status::ok();
    if (change.width > kMaxImageSide || change.height > kMaxImageSide)
        return refuse(prompter, kImageTooLargeMessage);
    if (change.width < kMinImageSide || change.height < kMinImageSide)
        return refuse(prompter, kImageTooSmallMessage);
    std::optional<std::vector<uint32_t>> moved;
    if (carriesAnimation(*image)) {
        const Answer a = prompter.ask(kFixAnimationQuestion, Buttons::YesNoCancel);
        if (a == Answer::Cancel) return Status::cancelled();
        if (a == Answer::Yes) {
            moved = moveAnimationRecord(*image->animation, change.map, change.width, change.height);
            if (!moved) return refuse(prompter, kRecordCorrupted);
        }
    }
    ImageEditRecorder recorder(project, std::string(change.name), false);
    recorder.track(index);
    transformLayers(*image, change);
    if (moved) image->animation = std::move(moved);
    recorder.record(change.kind);
    return Status::ok();
}

PixelRect selectionBounds(const RasterImage& mask) {
    PixelRect r{mask.width(), mask.height(), 0, 0};
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (isSelectedWord(mask.at(x, y))) {
                r.left = std::min(r.left, x), r.right = std::max(r.right, x + 1);
                r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y + 1);
            }
    return r.empty() ? PixelRect{} : r;
}

Status cropToSelection(Project& project, int index, Prompter& prompter) {
    const ProjectImage* image = project.images.at(index);
    const RasterImage* mask = image ? image->layerPicture(kMaskLayer) : nullptr;
    if (!mask) return Status::ok();
    const PixelRect box = selectionBounds(*mask);
    if (box.width() < kMinCropSide || box.height() < kMinCropSide)
        return refuse(prompter, kCropTooSmallMessage);
    return applyGeometry(
        project, index,
        reframing(GeometryName::Crop, box.width(), box.height(), -box.left, -box.top), prompter);
}

Status setCanvasSize(Project& project, int index, int width, int height, CanvasAnchor anchor,
                     const std::optional<PixelRect>& visible, Prompter& prompter) {
    const ProjectImage* image = project.images.at(index);
    if (!image || !layersInStep(*image)) return Status::ok();
    const int w = image->width(), h = image->height();
    int offsetX = 0, offsetY = 0;
    if (anchor == CanvasAnchor::Visible) {
        if (!visible || visible->empty()) return Status::ok();
        width = visible->width(), height = visible->height();
        offsetX = -visible->left, offsetY = -visible->top;
    } else {
        if (width == w && height == h) return Status::ok();
        if (anchor == CanvasAnchor::Centre) offsetX = (width - w) / 2, offsetY = (height - h) / 2;
    }
    return applyGeometry(project, index,
                         reframing(GeometryName::CanvasSize, width, height, offsetX, offsetY),
                         prompter);
}

int proportionalHeight(int width, int height, int newWidth) {
    if (width <= 0) return std::max(1, height);
    return std::max(1, int(std::lround(double(newWidth) * height / width)));
}

Status setImageSize(Project& project, int index, int width, int height, Prompter& prompter) {
    const ProjectImage* image = project.images.at(index);
    if (!image || (width == image->width() && height == image->height())) return Status::ok();
    const double sx = double(width) / image->width(), sy = double(height) / image->height();
    return applyGeometry(project, index,
                         {GeometryName::ImageSize, width, height, PixelMap::scale(sx, sy),
                          [=](const RasterImage& p, bool mask) {
                              ResizeOptions o;
                              o.nearest = mask; // mask words are flags, not colours
                              return resizeImage(p, width, height, o);
                          }},
                         prompter);
}

Status rotateImage(Project& project, int index, Rotation rotation, Prompter& prompter) {
    const ProjectImage* image = project.images.at(index);
    if (!image) return Status::ok();
    const bool quarter = rotation != Rotation::Half;
    const int w = image->width(), h = image->height();
    const std::string_view name = rotation == Rotation::Clockwise90 ? GeometryName::RotateCw
                                  : rotation == Rotation::CounterClockwise90
                                      ? GeometryName::RotateCcw
                                      : GeometryName::Rotate180;
    return applyGeometry(
        project, index,
        {name, quarter ? h : w, quarter ? w : h, PixelMap::rotation(rotation, w, h),
         [rotation](const RasterImage& p, bool) { return rotatePicture(p, rotation); }},
        prompter);
}

Status mirrorImage(Project& project, int index, bool horizontal, Prompter& prompter) {
    const ProjectImage* image = project.images.at(index);
    if (!image) return Status::ok();
    const int w = image->width(), h = image->height();
    return applyGeometry(
        project, index,
        {horizontal ? GeometryName::FlipHorizontal : GeometryName::FlipVertical, w, h,
         PixelMap::mirror(horizontal, w, h),
         [horizontal](const RasterImage& p, bool) { return mirrorPicture(p, horizontal); }},
        prompter);
}

Status eraseBackground(Project& project, int index) {
    ProjectImage* image = project.images.at(index);
    if (!image || !image->validLayer(kBackgroundLayer) ||
        isEmptyPicture(image->layerPicture(kBackgroundLayer)))
        return Status::ok();
    const RasterImage* subject = image->layerPicture(kSubjectLayer);
    const int w = subject ? subject->width() : image->width();
    const int h = subject ? subject->height() : image->height();
    ImageEditRecorder recorder(project, std::string(GeometryName::EraseBackground), true);
    recorder.track(index);
    image->setLayerPicture(kBackgroundLayer, RasterImage(w, h));
    recorder.record();
    return Status::ok();
}

Status extendBackground(Project& project, int index) {
    const ProjectImage* image = project.images.at(index);
    const RasterImage* background = image ? image->layerPicture(kBackgroundLayer) : nullptr;
    if (isEmptyPicture(background)) return Status::ok();
    const std::string name = image->layer(kBackgroundLayer)->name;
    ImageEditRecorder recorder(project, std::string(GeometryName::ExtendBackground), true);
    for (int next = index + 1; next < project.imageCount(); ++next) {
        ProjectImage& target = project.images[next];
        if (!target.validLayer(kBackgroundLayer) ||
            !isEmptyPicture(target.layerPicture(kBackgroundLayer)))
            break;
        const RasterImage* subject = target.layerPicture(kSubjectLayer);
        const int w = subject ? subject->width() : target.width();
        const int h = subject ? subject->height() : target.height();
        recorder.track(next);
        target.setLayerPicture(kBackgroundLayer, reframePicture(*background, w, h, 0, 0));
        target.setLayerName(kBackgroundLayer, name);
    }
    recorder.record(StepKind::Project, StepType::ExtendBackground);
    return Status::ok();
}

namespace {
// The "over" rule: the floating pixel f over the target t.
uint32_t over(uint32_t f, uint32_t t) {
    const int fa = alphaOf(f), ta = alphaOf(t);
    if (fa == 0) return t;
    const int g = (255 - fa) * ta / 255, h = fa + g;
    if (h == 0) return t;
    const auto mix = [&](int fc, int tc) { return (fc * fa + tc * g) / h; };
    return makePixel(h, mix(redOf(f), redOf(t)), mix(greenOf(f), greenOf(t)),
                     mix(blueOf(f), blueOf(t)));
}
} // namespace

Status mergeFloatingPicture(Project& project, int index, const RasterImage& floating, int left,
                            int top, bool background) {
    return layPictureOver(project, index, floating, left, top, background,
                          background ? GeometryName::MergeToBackground
                                     : GeometryName::MergeSelection);
}

Status layPictureOver(Project& project, int index, const RasterImage& floating, int left, int top,
                      bool background, std::string_view label) {
    ProjectImage* image = project.images.at(index);
    const int layer = background ? kBackgroundLayer : kSubjectLayer;
    if (!image || !image->layerPicture(layer) || floating.empty() || floating.isDescriptor())
        return Status::ok();
    ImageEditRecorder recorder(project, std::string(label), background);
    recorder.trackLayers(index, {layer, kMaskLayer});
    RasterImage& target = *editablePicture(*image, layer);
    RasterImage* mask = background ? nullptr : editablePicture(*image, kMaskLayer);
    if (mask && (mask->width() != target.width() || mask->height() != target.height()))
        mask = nullptr;
    for (int y = std::max(0, top); y < std::min(target.height(), top + floating.height()); ++y)
        for (int x = std::max(0, left); x < std::min(target.width(), left + floating.width());
             ++x) {
            const uint32_t f = floating.at(x - left, y - top);
            if (alphaOf(f) == 0) continue;
            uint32_t t = target.at(x, y);
            if (mask) { // the target as the mask shows it, then shown in full
                uint32_t& m = mask->at(x, y);
                t = withAlpha(t, alphaOf(t) * int(maskValue(m)) / 255);
                m |= MaskBit::Value;
            }
            target.at(x, y) = over(f, t);
        }
    recorder.record();
    return Status::ok();
}

} // namespace zx
