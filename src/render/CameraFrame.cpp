#include "render/CameraFrame.h"

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

} // namespace zx
