#include "render/ProjectFrame.h"

#include "render/FrameRenderer.h"
#include "render/MoviePanelSettings.h"
#include "storage/Project.h"

#include <algorithm>
#include <string>

namespace zx {

namespace {

constexpr std::string_view kNotRendered = "the frame could not be rendered";

std::string noImageText(const Project& project, int image) {
    return "there is no image " + std::to_string(image) + " (the project has " +
           std::to_string(project.imageCount()) + ")";
}

std::string noFrameText(int image, int frame, int duration) {
    return "image " + std::to_string(image) + " has no frame " + std::to_string(frame) +
           " (its frames are 0 … " + std::to_string(duration) + ")";
}

std::string badSizeText(int width, int height) {
    return "an output of " + std::to_string(width) + " × " + std::to_string(height) +
           " pixels is not one a movie can have (each side " + std::to_string(kMinMovieSide) +
           " … " + std::to_string(kMaxMovieSide) + ")";
}

bool validOutputSize(int width, int height) {
    if (width == 0 && height == 0) return true; // the view's own size
    return width >= kMinMovieSide && height >= kMinMovieSide && width <= kMaxMovieSide &&
           height <= kMaxMovieSide;
}

int durationOf(const ProjectImage& image) {
    return std::max(1, image.duration());
}

// The output size of a request before the doubling at Maximum.
std::pair<int, int> outputSize(const Project& project, const ProjectImage& image,
                               const ProjectFrameRequest& request) {
    if (request.width > 0 && request.height > 0) return {request.width, request.height};
    if (request.view == FrameView::Image)
        return {std::max(1, image.width()), std::max(1, image.height())};
    return {project.movieWidth, project.movieHeight};
}

} // namespace

std::optional<ImageFrame> locateMovieFrame(const Project& project, int movieFrame) {
    if (movieFrame < 0) return std::nullopt;
    for (int j = 0; j < project.imageCount(); ++j) {
        const int frames = std::max(0, project.images[j].duration());
        if (movieFrame < frames) return ImageFrame{j, movieFrame};
        movieFrame -= frames;
    }
    return std::nullopt;
}

MovieFrames projectMovieFrames(const Project& project, const FrameLayoutSettings& layout) {
    MovieFrames frames = layoutMovieFrames(project, layout);
    // The project's tag curve shapes are not kept yet: the tags run linearly.
    const TagCurveShapes shapes{};
    ensureFirstFrameTags(frames);
    if (project.cameraValues)
        applyCameraValues(frames, *project.cameraValues, shapes);
    else
        interpolateCameraTags(frames, shapes);
    return frames;
}

CameraValues movieCamera(const Project& project, int image, int frame) {
    const ProjectImage* projectImage = project.images.at(image);
    const int width = projectImage ? projectImage->width() : 0;
    const int height = projectImage ? projectImage->height() : 0;
    if (projectImage && projectImage->duration() > 0) {
        const MovieFrames frames = projectMovieFrames(project);
        const int last = projectImage->duration() - 1;
        const int index = movieFrameIndex(frames, image, std::clamp(frame, 0, last));
        if (index >= 0) return frames[size_t(index)].camera;
    }
    return makeCameraFrame(width, height, width, height, image, 0, {}).camera;
}

Status checkFrameRequest(const Project& project, const ProjectFrameRequest& request) {
    const ProjectImage* image = project.images.at(request.image);
    if (!image) return Status::refused(noImageText(project, request.image));
    const int duration = durationOf(*image);
    if (request.frame < 0 || request.frame > duration)
        return Status::refused(noFrameText(request.image, request.frame, duration));
    if (!validOutputSize(request.width, request.height))
        return Status::refused(badSizeText(request.width, request.height));
    return Status::ok();
}

FrameLayoutSettings movieFrameLayout(const Project& project, RenderQuality quality) {
    FrameLayoutSettings layout;
    layout.quality = quality;
    layout.backgroundField =
        MoviePanelSettings::fromWords(project.movieWords).backgroundFieldRadians();
    return layout;
}

Result<CameraFrame> projectCameraFrame(const Project& project, const ProjectFrameRequest& request) {
    if (Status status = checkFrameRequest(project, request); !status) return status;
    const ProjectImage& image = project.images[request.image];
    const MoviePanelSettings panel = MoviePanelSettings::fromWords(project.movieWords);
    FrameLayoutSettings layout;
    layout.quality = request.quality;
    layout.backgroundField = panel.backgroundFieldRadians();
    layout.backgroundMode = int32_t(image.canvasColour);
    layout.showBackground = request.showBackground ? 1 : 0;
    layout.showObjects = request.showObjects ? 1 : 0;
    const int factor = request.quality == RenderQuality::Maximum ? 2 : 1;
    const auto [width, height] = outputSize(project, image, request);
    CameraFrame record = makeCameraFrame(width * factor, height * factor, image.width(),
                                         image.height(), request.image, request.frame, layout);
    if (request.view == FrameView::Movie)
        record.camera =
            request.camera ? *request.camera : movieCamera(project, request.image, request.frame);
    return record;
}

void applyProjectLight(const Project& project, AnimationModel& scene, RenderQuality quality) {
    refreshRenderSettings(scene.renderSettings, MoviePanelSettings::fromWords(project.movieWords),
                          quality);
}

Result<CameraFrame> sceneCameraFrame(const Project& project, AnimationModel& scene,
                                     const ProjectFrameRequest& request) {
    Result<CameraFrame> record = projectCameraFrame(project, request);
    if (!record) return record.status();
    // The scene's own picture size is the image size the renderer frames.
    record->imageWidth = scene.startWidth;
    record->imageHeight = scene.startHeight;
    applyProjectLight(project, scene, request.quality);
    return record;
}

Result<RasterImage> renderSceneFrame(AnimationModel& scene, const CameraFrame& record, double t,
                                     CancelFlag cancel, RenderScratch* scratch) {
    std::optional<RasterImage> picture = renderFrameAt(scene, record, t, cancel, scratch);
    if (!picture)
        return isCancelled(cancel) ? Status::cancelled()
                                   : Status::failed(std::string(kNotRendered));
    // Frames leave the renderer with the alpha of their composition (0 after the
    // halving at Maximum); a frame is a finished, opaque picture.
    for (uint32_t& p : picture->pixelVector()) p |= 0xFF000000u;
    return std::move(*picture);
}

double imageFrameTime(const Project& project, int image, int frame) {
    const ProjectImage* projectImage = project.images.at(image);
    return projectImage ? double(frame) / durationOf(*projectImage) : 0.0;
}

Result<RasterImage> renderProjectFrame(const Project& project, AnimationModel& scene,
                                       const ProjectFrameRequest& request, CancelFlag cancel,
                                       RenderScratch* scratch) {
    Result<CameraFrame> record = sceneCameraFrame(project, scene, request);
    if (!record) return record.status();
    return renderSceneFrame(scene, *record, imageFrameTime(project, request.image, request.frame),
                            cancel, scratch);
}

} // namespace zx
