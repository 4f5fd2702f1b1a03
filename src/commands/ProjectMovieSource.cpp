#include "commands/ProjectMovieSource.h"

#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/Project.h"

#include <string>

namespace zx {

ProjectMovieSource::ProjectMovieSource(const Project& project, ProjectMovieOptions options)
    : project_(project), options_(std::move(options)), cameras_(projectMovieFrames(project)) {}

ProjectMovieSource::~ProjectMovieSource() = default;

int ProjectMovieSource::frameCount() const {
    return int(cameras_.size());
}

AnimationModel& ProjectMovieSource::sceneOf(int image) {
    if (sceneImage_ != image || !scene_) {
        // Movie frames are asked for in order, so only the current image's scene is kept.
        scene_ = std::make_unique<AnimationModel>();
        // A damaged animation record renders what was read; the loader has said so.
        (void)loadImageScene(project_.images[image], *scene_, options_.library);
        sceneImage_ = image;
    }
    return *scene_;
}

Result<RasterImage> ProjectMovieSource::frame(int index) {
    const std::optional<ImageFrame> where = locateMovieFrame(project_, index);
    const int record = where ? movieFrameIndex(cameras_, where->image, where->frame) : -1;
    if (record < 0)
        return Status::refused("the movie has no frame " + std::to_string(index) +
                               " (its frames are 0 … " + std::to_string(frameCount() - 1) + ")");
    ProjectFrameRequest request;
    request.image = where->image;
    request.frame = where->frame;
    request.view = FrameView::Movie;
    request.quality = options_.quality;
    request.showBackground = options_.showBackground;
    request.showObjects = options_.showObjects;
    request.camera = cameras_[size_t(record)].camera;
    return renderProjectFrame(project_, sceneOf(where->image), request, nullptr, &scratch_);
}

bool ProjectMovieSource::switchToMaximumQuality() {
    if (options_.quality == RenderQuality::Maximum) return false;
    replacedQuality_ = options_.quality;
    options_.quality = RenderQuality::Maximum;
    return true;
}

void ProjectMovieSource::restoreQuality() {
    options_.quality = replacedQuality_;
}

} // namespace zx
