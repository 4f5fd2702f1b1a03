#include "output/BuilderFrameSource.h"

#include <string>

namespace zx {

BuilderFrameSource::BuilderFrameSource(const Project& project, MovieFrameBuilder& builder)
    : project_(project), builder_(builder) {}

int BuilderFrameSource::frameCount() const {
    return builder_.frames().size();
}

Result<RasterImage> BuilderFrameSource::frame(int index) {
    if (index < 0 || index >= frameCount())
        return Status::refused("the movie has no frame " + std::to_string(index));
    std::optional<RasterImage> picture = builder_.getMovieFrameImage(project_, index);
    if (!picture)
        return Status::failed("movie frame " + std::to_string(index) + " could not be rendered");
    return std::move(*picture);
}

bool BuilderFrameSource::switchToMaximumQuality() {
    if (builder_.layout().quality == RenderQuality::Maximum) return false;
    replaced_ = builder_.layout().quality;
    relayout(RenderQuality::Maximum);
    return true;
}

void BuilderFrameSource::restoreQuality() {
    relayout(replaced_);
}

void BuilderFrameSource::relayout(RenderQuality quality) {
    FrameLayoutSettings layout = builder_.layout();
    layout.quality = quality;
    (void)builder_.rebuildMovieFrameList(project_, layout);
    builder_.buildAll(project_);
}

} // namespace zx
