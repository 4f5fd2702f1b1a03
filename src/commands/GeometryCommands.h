#pragma once
// Image geometry as user operations on an image of the project: crop, canvas size,
// image size, quarter turns and mirrors act on every picture and mask layer together
// so that they keep one size; the background commands; merging a floating picture.
// Sizes beyond 4096 or below 8 are refused before anything changes. When the image
// carries animation the user is asked whether it should follow the pixels.

#include "imaging/ImageGeometry.h"
#include "platform/Prompter.h"
#include "platform/Status.h"
#include "storage/Project.h"

#include <functional>
#include <optional>
#include <string_view>

namespace zx {

inline constexpr std::string_view kFixAnimationQuestion = "Fix Animation to match new image ?";
inline constexpr std::string_view kCropTooSmallMessage = "Current selection too small, cannot Crop";
inline constexpr std::string_view kImageTooSmallMessage =
    "Image too small (minimum = 8 x 8)\nOperation cannot be completed";
inline constexpr int kMinImageSide = 8;
inline constexpr int kMinCropSide = 16;

struct GeometryName {
    static constexpr std::string_view Crop = "Crop";
    static constexpr std::string_view CanvasSize = "Canvas Size";
    static constexpr std::string_view ImageSize = "Image Size";
    static constexpr std::string_view RotateCw = "Rotate 90° CW";
    static constexpr std::string_view RotateCcw = "Rotate 90° CCW";
    static constexpr std::string_view Rotate180 = "Rotate 180°";
    static constexpr std::string_view FlipHorizontal = "Flip Horizontal";
    static constexpr std::string_view FlipVertical = "Flip Vertical";
    static constexpr std::string_view EraseBackground = "Erase Background";
    static constexpr std::string_view ExtendBackground = "Extend Background";
    static constexpr std::string_view MergeSelection = "Merge Selection";
    static constexpr std::string_view MergeToBackground = "Merge Selection to Background";
};

// A geometry change: the new size, where the old positions go, each layer's new
// picture (`mask` for the mask layer), and the mode the history step belongs to.
struct GeometryChange {
    std::string_view name;
    int width = 0, height = 0;
    PixelMap map;
    std::function<RasterImage(const RasterImage&, bool mask)> transform;
    StepKind kind = StepKind::ImageEdit;
};

// Applies a change to every picture and mask layer of the image as one history step,
// after the animation question; sizes beyond the limits are refused.
Status applyGeometry(Project& project, int image, const GeometryChange& change, Prompter& prompter);

// Where the old picture lies in a new canvas: "Enlarge from Top", "Enlarge All
// directions", "Set To Visible".
enum class CanvasAnchor { TopLeft, Centre, Visible };

// The smallest rectangle holding every selected pixel of the mask layer; empty when
// nothing is selected.
PixelRect selectionBounds(const RasterImage& mask);

Status cropToSelection(Project& project, int image, Prompter& prompter);
// `visible` is the part of the image the view shows (for CanvasAnchor::Visible, which
// then takes its size instead of width x height).
Status setCanvasSize(Project& project, int image, int width, int height, CanvasAnchor anchor,
                     const std::optional<PixelRect>& visible, Prompter& prompter);
Status setImageSize(Project& project, int image, int width, int height, Prompter& prompter);
// "Keep Proportions": the height that goes with a new width (at least 1).
int proportionalHeight(int width, int height, int newWidth);
Status rotateImage(Project& project, int image, Rotation rotation, Prompter& prompter);
Status mirrorImage(Project& project, int image, bool horizontal, Prompter& prompter);

// The background becomes fully transparent; nothing when it already is.
Status eraseBackground(Project& project, int image);
// The background carried to each following image that has none, up to the first that
// has one; one step for all of them.
Status extendBackground(Project& project, int image);

// A floating picture with its top-left corner at (left, top) composited "over" the
// subject (made visible in the mask) or the background; what lies outside the image
// is dropped.
Status mergeFloatingPicture(Project& project, int image, const RasterImage& floating, int left,
                            int top, bool background);
// The same composite recorded under any history label (drawn shapes and text).
Status layPictureOver(Project& project, int image, const RasterImage& floating, int left, int top,
                      bool background, std::string_view label);

} // namespace zx
