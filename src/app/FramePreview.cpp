#include "app/FramePreview.h"

#include "render/ImageScene.h"
#include "render/ProjectFrame.h"

#include <algorithm>

namespace zx {

FramePreview::FramePreview() = default;
FramePreview::~FramePreview() = default;

void FramePreview::refreshScene(const ProjectImage& image,
                                const std::filesystem::path& projectFolder) {
    const void* composite = image.composite ? image.composite->pixels() : nullptr;
    if (scene_ && sceneOf_ == &image && sceneRecord_ == image.animation &&
        sceneComposite_ == composite)
        return;
    scene_ = std::make_unique<AnimationModel>();
    LibraryLoadOptions library;
    library.projectFolder = projectFolder;
    (void)loadImageScene(image, *scene_, library); // a damaged record still shows what it holds
    sceneOf_ = &image;
    sceneRecord_ = image.animation;
    sceneComposite_ = composite;
}

std::optional<RasterImage> FramePreview::render(const Project& project, int imageIndex, int frame,
                                                RenderQuality quality) {
    const ProjectImage* image = project.images.at(imageIndex);
    if (!image) return std::nullopt;
    refreshScene(*image, project.folder);
    // Without animated objects a rendered frame is the background alone; the view
    // shows the image itself instead, as the start image pane does.
    if (scene_->objectCount == 0) return std::nullopt;
    ProjectFrameRequest request;
    request.image = imageIndex;
    request.frame = std::clamp(frame, 0, std::max(1, image->duration()));
    request.view = FrameView::Image;
    request.quality = quality;
    Result<RasterImage> picture = renderProjectFrame(project, *scene_, request);
    if (!picture) return std::nullopt;
    return std::move(picture).value();
}

} // namespace zx
