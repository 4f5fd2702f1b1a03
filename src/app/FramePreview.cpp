#include "app/FramePreview.h"

#include "anim/LibraryFile.h"
#include "render/FrameRenderer.h"
#include "render/ImageScene.h"
#include "render/MoviePanelSettings.h"

namespace zx {

FramePreview::FramePreview() = default;
FramePreview::~FramePreview() = default;

std::optional<RasterImage> FramePreview::render(const ProjectImage& image, int imageIndex,
                                                int frame,
                                                const std::filesystem::path& projectFolder,
                                                RenderQuality quality) {
    const void* composite = image.composite ? image.composite->pixels() : nullptr;
    if (!scene_ || sceneOf_ != &image || sceneRecord_ != image.animation ||
        sceneComposite_ != composite) {
        scene_ = std::make_unique<AnimationModel>();
        LibraryLoadOptions library;
        library.projectFolder = projectFolder;
        RecordReadOptions read;
        read.loadLibrary = recordLibraryLoader(library);
        prepareImageScene(image, *scene_, read); // a damaged record still shows what it holds
        sceneOf_ = &image;
        sceneRecord_ = image.animation;
        sceneComposite_ = composite;
    }
    // Without animated objects a rendered frame is the background alone; the view
    // shows the image itself instead, as the start image pane does.
    if (scene_->objectCount == 0) return std::nullopt;
    refreshRenderSettings(scene_->renderSettings, MoviePanelSettings{}, quality);
    FrameLayoutSettings layout;
    layout.backgroundMode = int32_t(image.canvasColour);
    layout.quality = quality;
    const int w = std::max(1, image.width()), h = std::max(1, image.height());
    CameraFrame camera =
        makeCameraFrame(w, h, scene_->startWidth, scene_->startHeight, imageIndex, frame, layout);
    const int duration = std::max(1, image.duration());
    return renderFrameAt(*scene_, camera, double(std::clamp(frame, 0, duration)) / duration);
}

} // namespace zx
