#include "commands/PreviewScene.h"

#include "render/FramePasses.h"
#include "render/ImageScene.h"
#include "render/ObjectDrawing.h"
#include "render/RenderScratch.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

// Room around the image for what turns out of the picture plane.
constexpr double kMargin = 0.8;

void applySettings(RenderSettings& rs, const PreviewCamera& camera, RenderQuality quality) {
    rs.perspective = camera.perspective ? 1 : 0;
    rs.cameraDistance = camera.perspective ? int32_t(std::clamp(camera.distance, 1.0, 1e7)) : 0;
    rs.turn = camera.turnRadians();
    rs.tilt = camera.tiltRadians();
    rs.shiftX = rs.shiftY = 0;
    rs.baseLight = {camera.lightX, camera.lightY, camera.lightZ};
    rs.light = rs.baseLight;
    rs.lightIntensity = camera.lightIntensity;
    rs.brightness = 0;
    rs.specular = 0;
    rs.lightFollowsCamera = 0;
    rs.smoothShading = quality != RenderQuality::Low ? 1 : 0;
}

// Every step-th pixel was computed; the others take the colour of the computed
// pixel of their block.
void fillSteps(RasterImage& r, int step) {
    if (step <= 1) return;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (x % step || y % step) r.at(x, y) = r.at(x - x % step, y - y % step);
}

} // namespace

PreviewScene::PreviewScene(const ProjectImage& image, int frame,
                           const std::filesystem::path& projectFolder)
    : model_(std::make_unique<AnimationModel>()) {
    LibraryLoadOptions library;
    library.projectFolder = projectFolder;
    (void)loadImageScene(image, *model_, library); // a damaged record still shows what it holds
    const int duration = std::max(1, image.duration());
    t_ = double(std::clamp(frame, 0, duration)) / duration;
    canvas_ = backgroundColour(int32_t(image.canvasColour));
}

PreviewScene::~PreviewScene() = default;

PreviewCamera PreviewScene::openingCamera() const {
    return PreviewCamera::forImage(model_->startWidth, model_->startHeight);
}

RasterImage PreviewScene::render(const PreviewCamera& camera, int width, int height,
                                 RenderQuality quality, int step) {
    return renderModel(*model_, t_, camera, width, height, canvas_, quality, step);
}

RasterImage PreviewScene::renderModel(AnimationModel& model, double t, const PreviewCamera& camera,
                                      int width, int height, uint32_t canvas, RenderQuality quality,
                                      int step) {
    width = std::clamp(width, 1, 8192);
    height = std::clamp(height, 1, 8192);
    step = std::clamp(step, 1, 16);
    applySettings(model.renderSettings, camera, quality);

    RenderScratch scratch;
    resetRaster(scratch.objects, width, height, 0);
    resetDepth(scratch.depth, width, height, DepthRaster::kFar);
    ObjectDrawing drawing(model, scratch, nullptr);
    drawing.quality = quality != RenderQuality::Low ? 1 : 0;
    drawing.t = t;
    // The image fitted into the view with a margin, centred.
    const double w = std::max(1, model.startWidth), h = std::max(1, model.startHeight);
    drawing.windowScale = kMargin * std::min(width / w, height / h);
    drawing.windowLeft = w / 2 - width / drawing.windowScale / 2;
    drawing.windowTop = h / 2 - height / drawing.windowScale / 2;
    drawing.zoomForEffects = drawing.windowScale;
    drawing.previewStep = step;
    for (int slot = 0; slot < std::min(model.objectCount, kMaxObjects); ++slot)
        drawing.drawObject(slot, nullptr);

    RasterImage result(width, height, canvas | 0xFF000000u);
    compositeOver(result, scratch.objects);
    fillSteps(result, step);
    return result;
}

} // namespace zx
