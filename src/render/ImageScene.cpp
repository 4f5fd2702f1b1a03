#include "render/ImageScene.h"

#include "anim/AnimationRecord.h"

#include <algorithm>

namespace zx {

RasterImage maskedSubject(const RasterImage& subject, const RasterImage* mask) {
    RasterImage out = subject;
    if (!mask || mask->isDescriptor() || subject.isDescriptor() ||
        mask->width() != subject.width() || mask->height() != subject.height())
        return out;
    uint32_t* p = out.pixels();
    const uint32_t* m = mask->pixels();
    for (size_t i = 0; i < out.pixelCount(); ++i) {
        const uint32_t value = m[i] & 0xFF;
        if (value == 0) {
            p[i] = 0;
        } else if (p[i] >> 24) {
            const uint32_t alpha = (p[i] >> 24) * value / 255;
            p[i] = (p[i] & 0x00FFFFFFu) | (alpha << 24);
        }
    }
    return out;
}

namespace {

bool hasVisiblePixel(const RasterImage& r) {
    return std::any_of(r.pixelVector().begin(), r.pixelVector().end(),
                       [](uint32_t p) { return p >= 0x01000000u; });
}

} // namespace

Status loadAnimationRecord(AnimationModel& model, std::span<const uint32_t> record,
                           const LibraryLoadOptions& library) {
    RecordReadOptions read;
    read.prompter = library.prompter;
    read.loadLibrary = recordLibraryLoader(library);
    if (readAnimationRecord(model, record, read)) return Status::ok();
    return Status::failed(std::string(kRecordCorrupted));
}

Status loadImageScene(const ProjectImage& image, AnimationModel& scene,
                      const LibraryLoadOptions& library) {
    scene.clearAll();
    const RasterImage* subject = image.layerPicture(kSubjectLayer);
    if (subject && !subject->empty() && !subject->isDescriptor())
        scene.setStartImage(maskedSubject(*subject, image.layerPicture(kMaskLayer)));
    else
        scene.setStartImage(RasterImage(std::max(1, image.width()), std::max(1, image.height())));
    scene.background.reset();
    const RasterImage* background = image.layerPicture(kBackgroundLayer);
    if (background && !background->empty() && !background->isDescriptor() &&
        hasVisiblePixel(*background))
        scene.background = *background;
    Status status;
    if (image.animation && !image.animation->empty())
        status = loadAnimationRecord(scene, *image.animation, library);
    scene.lastFrameIndex = std::max(1, image.duration());
    return status;
}

} // namespace zx
