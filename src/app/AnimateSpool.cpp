#include "app/AnimateSpool.h"

#include "app/ImageComposer.h"

#include <QMetaObject>

namespace zx {

RenderQuality screenPreviewQuality(const Settings& settings) {
    return renderQualityFromInt(settings.videoRender).value_or(RenderQuality::Medium);
}

AnimateSpool::AnimateSpool(bool enabled, FrameReady frameReady, QObject* parent)
    : QObject(parent), frameReady_(std::move(frameReady)), spool_(spoolOptions()) {
    spool_.setActive(enabled);
}

AnimateSpool::~AnimateSpool() {
    // The workers post to this object; they end before it goes.
    spool_.stopAll();
}

FrameSpool::Options AnimateSpool::spoolOptions() {
    FrameSpool::Options options;
    // Runs on a worker: only the hand-over to this object's thread happens there.
    options.frameWritten = [this](int image, int frame) {
        QMetaObject::invokeMethod(
            this,
            [this, image, frame] {
                if (frameReady_) frameReady_(image, frame);
            },
            Qt::QueuedConnection);
    };
    options.stillPicture = [](const ProjectImage& image) {
        return composeLayers(image, true, true);
    };
    return options;
}

std::optional<RasterImage> AnimateSpool::frame(const Project& project, int image, int frame,
                                               RenderQuality quality) {
    if (!spool_.active()) return std::nullopt;
    spool_.submit(project, image, quality);
    if (!spool_.isAnimated(image)) return std::nullopt;
    std::optional<RasterImage> picture = spool_.getFrame(image, frame);
    if (picture) ++framesShown_;
    return picture;
}

void AnimateSpool::submitAll(const Project& project, RenderQuality quality) {
    for (int i = 0; i < project.imageCount(); ++i) spool_.submit(project, i, quality);
}

} // namespace zx
