#include "render/FrameRenderer.h"

#include "render/DepthRaster.h"
#include "render/EdgeMask.h"
#include "render/FramePasses.h"
#include "render/ObjectDrawing.h"
#include "render/PixelMath.h"
#include "render/ProjectVertices.h"
#include "render/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zx {

namespace {

double sane(double v, double fallback) {
    return std::isfinite(v) ? v : fallback;
}

// The largest frame side the renderer accepts: movie sizes stop at 4095, doubled at
// Maximum quality.
constexpr int kMaxFrameSide = 8192;

// The jitter of the vertex normals comes from the model's own generator; starting it
// from the same state for every render of a frame makes renders repeatable.
constexpr uint64_t kRenderSeed = 0x52454E4445524A49ull;

std::optional<RasterImage> renderWith(AnimationModel& model, const CameraFrame& frame, double t,
                                      CancelFlag cancel, RenderScratch* scratch, int previewStep);

} // namespace

std::optional<RasterImage> renderFrame(AnimationModel& model, const CameraFrame& frame,
                                       int frameCount, CancelFlag cancel, RenderScratch* scratch) {
    const double t = frameCount > 0 ? double(frame.frameIndex) / double(frameCount) : 0.0;
    return renderFrameAt(model, frame, t, cancel, scratch);
}

std::optional<RasterImage> renderFrameAt(AnimationModel& model, const CameraFrame& frame, double t,
                                         CancelFlag cancel, RenderScratch* scratch) {
    return renderWith(model, frame, t, cancel, scratch, 0);
}

RasterImage renderPreviewFrame(AnimationModel& model, const CameraFrame& frame, double t) {
    std::optional<RasterImage> picture = renderWith(model, frame, t, nullptr, nullptr, 1);
    return picture ? std::move(*picture) : RasterImage();
}

namespace {

std::optional<RasterImage> renderWith(AnimationModel& model, const CameraFrame& frame, double t,
                                      CancelFlag cancel, RenderScratch* scratch, int previewStep) {
    RenderScratch local;
    RenderScratch& work = scratch ? *scratch : local;
    const int fw = std::max(0, frame.width), fh = std::max(0, frame.height);
    // A record asking for more is not one this program laid out.
    if (fw > kMaxFrameSide || fh > kMaxFrameSide) return std::nullopt;
    const int q = std::clamp(frame.quality, 0, 3);
    RenderSettings& rs = model.renderSettings;

    // Camera values from a file may be anything: keep them where the editor could
    // have put them.
    const double distance = sane(frame.camera.distance, 0);
    rs.perspective = distance != 0 ? 1 : 0;
    rs.cameraDistance = rs.perspective ? int32_t(std::clamp(distance, -1e9, 1e9)) : 0;
    rs.turn = sane(frame.camera.turn, 0);
    rs.tilt = sane(frame.camera.tilt, 0);
    const FrameWindow window = frameWindow(frame, model.startWidth, model.startHeight);
    t = std::clamp(sane(t, 0), 0.0, 1.0);
    model.rng.seed(kRenderSeed ^ uint64_t(frame.frameIndex));

    const bool drawObjects = frame.showObjects != 0;
    if (drawObjects) {
        resetRaster(work.objects, fw, fh, 0);
        resetDepth(work.depth, fw, fh, DepthRaster::kFar);
        if (q >= 2) resetMask(work.mask, fw, fh);
        ObjectDrawing drawing(model, work, q >= 2 ? &work.mask : nullptr);
        drawing.quality = q;
        drawing.zoomForEffects = window.scale;
        drawing.windowScale = window.scale;
        drawing.windowLeft = window.left;
        drawing.windowTop = window.top;
        drawing.t = t;
        drawing.previewStep = previewStep;
        for (int slot = 0; slot < std::min(model.objectCount, kMaxObjects); ++slot) {
            if (isCancelled(cancel) || !drawing.drawObject(slot, cancel)) {
                work.release();
                return std::nullopt;
            }
        }
    }

    RasterImage result(fw, fh, backgroundColour(frame.backgroundMode));
    if (frame.showBackground) drawBackground(model, frame, result);
    if (drawObjects) {
        compositeOver(result, work.objects);
        if (q > 1) smoothSilhouettes(result, work.mask);
    }
    return halveImage(std::move(result), q == 3 ? 2 : 1);
}

} // namespace

} // namespace zx
