#pragma once
// The camera record of one movie frame: output size, the camera values (stored in
// the project as CameraValues), the settings the frame is rendered under and, once
// built, its coded picture.

#include "render/RenderQuality.h"
#include "storage/CameraValues.h"
#include "storage/PackedImage.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace zx {

inline constexpr double kDefaultRelativeDistance = 4.0;
inline constexpr double kMinCameraZoom = 0.001, kMaxCameraZoom = 20;

struct CameraFrame {
    int32_t width = 0, height = 0;           // output size (doubled at Maximum)
    int32_t imageWidth = 0, imageHeight = 0; // size of the frame's project image
    // Tag bits, look-at point, zoom, turn and tilt (radians), distance (image pixels)
    // and the reserved word, exactly as the project file keeps them.
    CameraValues camera;
    float backgroundField = 0; // parallax angle of the background layer, radians
    int32_t backgroundMode = 0;
    int32_t showBackground = 1;
    int32_t showObjects = 1;
    int32_t quality = 0; // RenderQuality the frame was laid out for
    int32_t firstFrame = 0;
    int32_t imageIndex = 0;
    int32_t frameIndex = 0;
    std::unique_ptr<PackedImage> cachedFrame;

    // The larger side of the image, the unit of the relative camera distance.
    double imageSide() const { return std::max(1, std::max(imageWidth, imageHeight)); }
    double relativeDistance() const { return camera.distance / imageSide(); }
    void setRelativeDistance(double relative) { camera.distance = float(relative * imageSide()); }
    int32_t tags() const { return camera.tagBits; }
};

// The panel values a new frame record takes.
struct FrameLayoutSettings {
    float backgroundField = 0;
    int32_t backgroundMode = 0;
    int32_t showBackground = 1;
    int32_t showObjects = 1;
    RenderQuality quality = RenderQuality::Low;
};

// A new record: look-at (0, 0), turn and tilt 0, zoom 1, relative distance 4, no tags.
CameraFrame makeCameraFrame(int width, int height, int imageWidth, int imageHeight, int imageIndex,
                            int frameIndex, const FrameLayoutSettings& settings);

// The part of the image a frame shows: output pixel = scale × (image point − corner).
struct FrameWindow {
    double scale = 1;
    double left = 0, top = 0; // the image point at the output's top-left corner

    double outputX(double imageX) const { return scale * (imageX - left); }
    double outputY(double imageY) const { return scale * (imageY - top); }
};

// How every frame of a project image is framed, whatever draws it (the renderer, the
// Movie view, the command line): at zoom 1 the whole image fits the output, centred,
// at the largest scale that keeps it all in view; the camera's zoom scales that about
// the window centre, which the look-at point moves away from the image centre (in
// image pixels). The framing depends on the output's shape, not its size: the same
// frame at twice the size is the same picture at twice the scale.
FrameWindow frameWindow(const CameraFrame& frame, double imageWidth, double imageHeight);

} // namespace zx
