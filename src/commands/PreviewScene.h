#pragma once
// The picture of the "3D Preview" dialog: a private copy of the current image's
// animation at its current frame, turned, tilted, lit and seen from the dialog's
// camera, drawn by the renderer's preview filler (every step-th pixel, clipped to
// the view) over a flat canvas colour. The copy is the dialog's own: turning the
// solid around never touches the image or the model being edited.

#include "anim/AnimationModel.h"
#include "commands/PreviewCamera.h"
#include "render/RenderQuality.h"
#include "storage/ProjectImage.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace zx {

class PreviewScene {
public:
    // Loads the image's animation (library objects from their files, relative to the
    // project folder); `frame` is the image frame shown.
    PreviewScene(const ProjectImage& image, int frame, const std::filesystem::path& projectFolder);
    ~PreviewScene();

    int objectCount() const { return model_->objectCount; }
    int imageWidth() const { return model_->startWidth; }
    int imageHeight() const { return model_->startHeight; }
    // The camera the dialog opens with, for this image.
    PreviewCamera openingCamera() const;

    // The scene seen through `camera` in a view of width × height, the image fitted
    // into it with a margin for what turns out of the picture plane. `step` > 1
    // computes every step-th row and column only (a quick picture while dragging).
    // Quality above Low shades smoothly and samples bilinearly.
    RasterImage render(const PreviewCamera& camera, int width, int height,
                       RenderQuality quality = RenderQuality::Medium, int step = 1);

    // The same for any model (the tests use it on hand-made scenes).
    static RasterImage renderModel(AnimationModel& model, double t, const PreviewCamera& camera,
                                   int width, int height, uint32_t canvas, RenderQuality quality,
                                   int step = 1);

private:
    std::unique_ptr<AnimationModel> model_;
    double t_ = 0;
    uint32_t canvas_ = 0xFF000000u;
};

} // namespace zx
