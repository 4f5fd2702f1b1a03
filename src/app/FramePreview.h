#pragma once
// The Animate view's current frame, drawn by the frame renderer from a private
// scene of the current image (its masked subject, background and animation). The
// scene is rebuilt when the image or its animation record changes.

#include "app/AppLayer.h"

#include "anim/AnimationModel.h"
#include "render/RenderQuality.h"
#include "storage/ProjectImage.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace zx {

class FramePreview {
public:
    FramePreview();
    ~FramePreview();
    // The frame `frame` of `image` at the image's own size in the given quality; none
    // when it cannot be rendered or the image has no animated objects (the caller then
    // shows the composite).
    std::optional<RasterImage> render(const ProjectImage& image, int imageIndex, int frame,
                                      const std::filesystem::path& projectFolder,
                                      RenderQuality quality);
    void forget() { sceneOf_ = nullptr; }

private:
    std::unique_ptr<AnimationModel> scene_;
    const ProjectImage* sceneOf_ = nullptr;
    std::optional<std::vector<uint32_t>> sceneRecord_;
    const void* sceneComposite_ = nullptr;
};

} // namespace zx
