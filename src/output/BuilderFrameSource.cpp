#include "output/BuilderFrameSource.h"

#include <string>

namespace zx {

BuilderFrameSource::BuilderFrameSource(const Project& project, MovieFrameBuilder& builder)
    : project_(project), builder_(builder) {}

BuilderFrameSource::~BuilderFrameSource() {
    if (paused_) builder_.resumeAll();
}

void BuilderFrameSource::allFramesTaken() {
    if (!paused_) builder_.pauseAll();
    paused_ = true;
}

int BuilderFrameSource::frameCount() const {
    return builder_.frames().size();
}

Result<RasterImage> BuilderFrameSource::frame(int index) {
    if (index < 0 || index >= frameCount())
        return Status::refused("the movie has no frame " + std::to_string(index));
    startBuilding(builder_.frames()[index]);
    std::optional<RasterImage> picture = builder_.getMovieFrameImage(project_, index);
    if (!picture)
        return Status::failed("movie frame " + std::to_string(index) + " could not be rendered");
    return std::move(*picture);
}

bool BuilderFrameSource::switchToMaximumQuality() {
    if (builder_.layout().quality == RenderQuality::Maximum) return false;
    replaced_ = builder_.layout().quality;
    relayout(RenderQuality::Maximum); // the workers start as the export reaches them
    return true;
}

void BuilderFrameSource::restoreQuality() {
    relayout(replaced_);
    builder_.buildAll(project_);
}

void BuilderFrameSource::relayout(RenderQuality quality) {
    FrameLayoutSettings layout = builder_.layout();
    layout.quality = quality;
    (void)builder_.rebuildMovieFrameList(project_, layout);
}

void BuilderFrameSource::startBuilding(const CameraFrame& record) {
    const int image = record.imageIndex;
    if (const BuilderEntry* e = builder_.entry(image); e && e->idle)
        builder_.buildImage(project_, image, record.frameIndex);
    if (const BuilderEntry* next = builder_.entry(image + 1);
        next && next->idle && builder_.imageBuilt(image, record.frameIndex))
        builder_.buildImage(project_, image + 1);
}

} // namespace zx
