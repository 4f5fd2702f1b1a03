#pragma once
// The Animate view's current frame, rendered as every project frame is (the image's
// own frame at its size) from a private scene of the current image. The scene is
// reloaded when the image or its animation record changes.

#include "app/AppLayer.h"

#include "anim/AnimationModel.h"
#include "render/RenderQuality.h"
#include "storage/Project.h"

#include <memory>
#include <optional>

namespace zx {

class FramePreview {
public:
    FramePreview();
    ~FramePreview();
    // Frame `frame` of image `imageIndex` at the image's own size, at `quality`, with
    // the project's light; none when it cannot be rendered or the image has no
    // animated objects (the caller then shows the composite).
    std::optional<RasterImage> render(const Project& project, int imageIndex, int frame,
                                      RenderQuality quality);
    void forget() { sceneOf_ = nullptr; }

private:
    // Loads the scene again unless it is the one of `image` as it is now.
    void refreshScene(const ProjectImage& image, const std::filesystem::path& projectFolder);

    std::unique_ptr<AnimationModel> scene_;
    const ProjectImage* sceneOf_ = nullptr;
    std::optional<std::vector<uint32_t>> sceneRecord_;
    const void* sceneComposite_ = nullptr;
};

} // namespace zx
