#include "render/CameraFrame.h"

#include <cmath>

namespace zx {

CameraFrame makeCameraFrame(int width, int height, int imageWidth, int imageHeight, int imageIndex,
                            int frameIndex, const FrameLayoutSettings& settings) {
    CameraFrame f;
    f.width = width;
    f.height = height;
    f.imageWidth = imageWidth;
    f.imageHeight = imageHeight;
    f.imageIndex = imageIndex;
    f.frameIndex = frameIndex;
    f.firstFrame = frameIndex == 0 ? 1 : 0;
    f.camera = CameraValues{};
    f.camera.zoom = 1.0f;
    f.setRelativeDistance(kDefaultRelativeDistance);
    f.backgroundField = settings.backgroundField;
    f.backgroundMode = settings.backgroundMode;
    f.showBackground = settings.showBackground;
    f.showObjects = settings.showObjects;
    f.quality = int32_t(settings.quality);
    return f;
}

namespace {

double finiteOr(double v, double fallback) {
    return std::isfinite(v) ? v : fallback;
}

} // namespace

FrameWindow frameWindow(const CameraFrame& frame, double imageWidth, double imageHeight) {
    const double w = std::max(1.0, imageWidth), h = std::max(1.0, imageHeight);
    const double fw = std::max(0, frame.width), fh = std::max(0, frame.height);
    const double fit = fw > 0 && fh > 0 ? std::min(fw / w, fh / h) : 1.0;
    // Camera values from a file may be anything: keep them where the editor could
    // have put them.
    const double zoom = std::clamp(finiteOr(frame.camera.zoom, 1), kMinCameraZoom, kMaxCameraZoom);
    FrameWindow window;
    window.scale = fit * zoom;
    window.left = w / 2 + finiteOr(frame.camera.lookX, 0) - fw / window.scale / 2;
    window.top = h / 2 + finiteOr(frame.camera.lookY, 0) - fh / window.scale / 2;
    return window;
}

} // namespace zx
