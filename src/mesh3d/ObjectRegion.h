#pragma once
// The region an object was cut from: an image-sized mask whose inside pixels carry
// the flag 0x200, kept run-length coded with the object (AnimObject::ownedMasks[0])
// so that its mesh can be rebuilt at another definition after a reload.

#include "anim/AnimObject.h"
#include "mesh3d/HeightMap.h"
#include "storage/RasterImage.h"
#include "storage/RunLengthImage.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zx {

inline constexpr uint32_t kRegionWord =
    kMaskInside | MaskBit::Value;         // an inside pixel, fully shown
inline constexpr int kRegionMaskSlot = 0; // index in AnimObject::ownedMasks

// The object's region mask at image size; none when it has none or the coding is
// damaged.
std::optional<RasterImage> objectRegionMask(const AnimObject& object);

// The region cut to its bounding box grown by one pixel (within the image), so that
// work on a small region of a large image stays small. Outside the image counts as
// outside either way, so outlines and distances come out the same, shifted by
// (left, top).
struct RegionCrop {
    RasterImage mask;
    int left = 0, top = 0; // where the crop sits in the image
    int imageWidth = 0, imageHeight = 0;
    IntRect bounds; // inside pixels, image coordinates, right/bottom exclusive
};
// None when the object has no region, it is damaged, or it holds no inside pixel.
std::optional<RegionCrop> objectRegionCrop(const AnimObject& object);

// Keeps `mask`'s inside pixels as the object's region.
void setObjectRegionMask(AnimObject& object, const RasterImage& mask);
// Keeps as the object's region the pixels of `labels` (one entry per image pixel,
// row by row) equal to `label`, only looking at the rows and columns of `bounds`.
void setObjectRegionFromLabels(AnimObject& object, int width, int height,
                               std::span<const int32_t> labels, int32_t label,
                               const IntRect& bounds);
// Keeps the rectangle `bounds` (right/bottom exclusive) as the object's region.
void setObjectRegionRect(AnimObject& object, int width, int height, const IntRect& bounds);

// The bounding box of the inside pixels: right and bottom exclusive; empty when none.
IntRect regionBounds(const RasterImage& mask);

} // namespace zx
