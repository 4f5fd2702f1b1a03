#include "storage/PhotoImport.h"

#include "platform/Prompter.h"
#include "storage/ImageFile.h"
#include "storage/Settings.h"

#include <algorithm>

namespace zx {

namespace {

int longerSide(const RasterImage& p) {
    return std::max(p.width(), p.height());
}

} // namespace

std::optional<RasterImage> preparePhoto(RasterImage picture, const PhotoLimits& limits,
                                        PhotoImportSession& session, Prompter& prompter) {
    const int max = limits.maxSize;
    bool large = max != -1 && (picture.width() > max || picture.height() > max);
    bool maskAlreadyLarge =
        limits.currentMask && max != -1 &&
        (limits.currentMask->width() > max || limits.currentMask->height() > max);
    if (large && !limits.keepSize && !maskAlreadyLarge && max > 0) {
        if (session.resize == PhotoImportSession::Resize::NotAsked)
            session.resize = prompter.askYesNo(kResizeQuestion) ? PhotoImportSession::Resize::Yes
                                                                : PhotoImportSession::Resize::No;
        if (session.resize == PhotoImportSession::Resize::Yes)
            picture = resizeImageBy(picture, float(max) / float(longerSide(picture)));
    }
    if (picture.width() > kMaxImageSide || picture.height() > kMaxImageSide) {
        if (!prompter.askOkCancel(kTooBigQuestion)) return std::nullopt;
        picture = resizeImageBy(picture, float(kOversizeTarget) / float(longerSide(picture)));
    }
    if (picture.width() < kMinPhotoSide || picture.height() < kMinPhotoSide) {
        prompter.message(kTooSmallMessage);
        return std::nullopt;
    }
    return picture;
}

RasterImage maskFromPhoto(const RasterImage& photo) {
    RasterImage mask(photo.width(), photo.height());
    const uint32_t* src = photo.pixels();
    uint32_t* dst = mask.pixels();
    for (size_t i = 0, n = photo.pixelCount(); i < n; ++i) dst[i] = (src[i] >> 24) ? 0xFFu : 0u;
    return mask;
}

std::unique_ptr<ProjectImage> buildPhotoImage(RasterImage photo, std::string name, int duration,
                                              CanvasColour canvas) {
    const int w = photo.width(), h = photo.height();
    auto image = std::make_unique<ProjectImage>(w, h, duration);
    image->canvasColour = canvas;
    image->addPictureLayer(RasterImage(w, h, 0), "");
    RasterImage mask = maskFromPhoto(photo);
    image->addPictureLayer(std::move(photo), std::move(name));
    image->addMaskLayer(std::move(mask));
    image->addPictureLayer(std::nullopt, "");
    image->addAnimationLayer();
    return image;
}

std::string importUndoLabel(const std::string& name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        return "Add " + name.substr(1, name.size() - 2) + " Image";
    return std::string(kImportSubjectLabel);
}

std::string photoLayerName(const std::filesystem::path& file) {
    return file.filename().string();
}

std::unique_ptr<ProjectImage> importPhotoFile(const std::filesystem::path& file,
                                              const PhotoFileImport& how,
                                              PhotoImportSession& session, Prompter& prompter) {
    Result<RasterImage> picture = loadImage(file, &prompter);
    if (!picture) return nullptr;
    Settings defaults;
    const Settings& settings = how.settings ? *how.settings : defaults;
    PhotoLimits limits{settings.maxSize, how.keepSize,
                       how.current ? how.current->layerPicture(kMaskLayer) : nullptr};
    std::optional<RasterImage> photo = preparePhoto(std::move(*picture), limits, session, prompter);
    if (!photo) return nullptr;
    return buildPhotoImage(std::move(*photo), photoLayerName(file),
                           settings.defaultDurationFrames(how.frameRate), how.canvas);
}

} // namespace zx
