#pragma once
// One image of the timeline: its layer stack, its length in frames, its current
// frame and its animation record (kept as opaque words; the animation model gives
// them meaning).

#include "storage/CanvasColour.h"
#include "storage/ImageLayer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class Prompter;

// Layers the editing tools address by index.
inline constexpr int kBackgroundLayer = 1;
inline constexpr int kSubjectLayer = 2;
inline constexpr int kMaskLayer = 3;

// No side of an image may exceed this.
inline constexpr int kMaxImageSide = 4096;
inline constexpr std::string_view kImageTooLargeMessage =
    "Resulting image is more than 4096 pixels on one side\nOperation cannot be completed";

class ProjectImage {
public:
    static constexpr int kDefaultSize = 100;
    static constexpr int kDefaultDuration = 25;

    // A new image holds only the placeholder layer 0.
    explicit ProjectImage(int width = kDefaultSize, int height = kDefaultSize,
                          int duration = kDefaultDuration);

    int width() const { return width_; }
    int height() const { return height_; }
    // The second size pair, equal to the first at creation; the editing modes keep
    // the size the image had before an operation here.
    int width2 = kDefaultSize;
    int height2 = kDefaultSize;

    int duration() const { return duration_; }
    // At least 1 frame; the current frame follows into the new range.
    void setDuration(int frames);
    int currentFrame() const { return currentFrame_; }
    // Kept within 0 … duration.
    void setCurrentFrame(int frame);

    CanvasColour canvasColour = CanvasColour::Grid;

    // The animation record: the stored form (n, then n words), or none.
    std::optional<std::vector<uint32_t>> animation;

    // Two composites derived from the layers, discarded whenever a layer changes.
    std::optional<RasterImage> composite;
    std::optional<RasterImage> composite2;

    // Used by the editing modes; empty at creation.
    PixelRect editRect;
    std::array<int32_t, 4> editFlags{};

    // ---- the layer stack -------------------------------------------------------
    int layerCount() const { return int(layers_.size()); }
    bool validLayer(int index) const { return index >= 1 && index < layerCount(); }
    // Any index, including the placeholder 0; null when out of range.
    const ImageLayer* layer(int index) const;
    // For in-place edits of a layer: marks it changed and drops the composites.
    // Null for an out-of-range index (0 included).
    ImageLayer* editLayer(int index);
    // Marks a layer (the placeholder included) changed without touching it.
    void markLayerChanged(int index);
    const std::vector<ImageLayer>& layers() const { return layers_; }

    // The picture of a layer (working, else base), or null.
    const RasterImage* layerPicture(int index) const;

    // Each returns the index of the new layer.
    int addPictureLayer(std::optional<RasterImage> picture, std::string name, int32_t wordA = 1,
                        int32_t opacity = 255, int32_t role = 0);
    int addMaskLayer(std::optional<RasterImage> mask, int32_t wordA = 1);
    int addAnimationLayer(int32_t wordA = 1);

    // Puts a layer at `index`: replaces an existing layer (1 … count−1) or appends.
    // When index lies beyond the end, the gap is filled with empty picture layers so
    // that the layers keep the indexes the editing tools address them by. Returns
    // false (nothing changes) for index 0 or a negative index.
    bool placeLayer(int index, ImageLayer layer);
    // Replaces layer `index` by a picture layer, or appends one when index is the count.
    bool setPictureLayer(int index, std::optional<RasterImage> picture, std::string name,
                         int32_t wordA = 1, int32_t opacity = 255, int32_t role = 0);

    // Setters ignore out-of-range indexes (returning false).
    // Refused (false) on an animation layer.
    bool setLayerPicture(int index, std::optional<RasterImage> picture);
    bool setLayerWorkingPicture(int index, std::optional<RasterImage> picture);
    bool setLayerOffset(int index, int32_t x, int32_t y);
    // Clamped to 0 … 255.
    bool setLayerOpacity(int index, int32_t opacity);
    bool setLayerWordA(int index, int32_t wordA);
    bool setLayerPlacement(int index, int32_t flag);
    bool setLayerName(int index, std::string name);
    // Role 3 is held by at most one layer: giving it to a layer takes it from the
    // layer that held it.
    bool setLayerRole(int index, int32_t role);
    // The index of the layer whose role is 3, or 0.
    int roleLayer() const { return roleLayer_; }

    // The size the layers add up to: the largest width and height over the picture
    // layers from index 1 (an offset counts when the placement flag is 0).
    std::pair<int, int> layerExtent() const;
    // Brings every layer from index 1 except animation layers to the common size,
    // padding with transparent pixels, and takes that size. False (after the message,
    // with nothing changed) when a side would exceed 4096.
    bool normaliseLayerSizes(Prompter& prompter);
    // Sets the image size directly (for a picture imported as a new image).
    void setSize(int width, int height);

private:
    void layersChanged();
    void dropRoleIndexIfHeldBy(int index);

    int width_ = kDefaultSize;
    int height_ = kDefaultSize;
    int duration_ = kDefaultDuration;
    int currentFrame_ = 0;
    std::vector<ImageLayer> layers_;
    int roleLayer_ = 0;
};

} // namespace zx
