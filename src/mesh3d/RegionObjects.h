#pragma once
// Turning the regions of a mask into animated objects: one object covering the
// whole image, one per contour (connected region), or one per region's rectangle.

#include "anim/AnimationModel.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace zx {

class Prompter;

enum class RegionMode { FullImage, Contours, Rectangles };

inline constexpr std::string_view kInitDotsFullImageLabel = "Init Dots to Full Image";
inline constexpr std::string_view kInitDotsContoursLabel = "Init Dots to Contours";
inline constexpr std::string_view kInitDotsRectanglesLabel = "Init Dots to Rectangles";
inline constexpr std::string_view kRegionLimitWarning =
    "Warning: Maximum count of regions/objects reached";

std::string_view initDotsLabel(RegionMode mode);

// The visible part of a mask layer as a region mask (flag 0x200): mask value and
// subject alpha both at least 16, as Select Visible takes them. Without a subject of
// the mask's size only the mask value counts.
RasterImage visibleRegionMask(const RasterImage& maskLayer, const RasterImage* subject);

struct MaskRegion {
    int32_t label = 0; // its value in the label map (1, 2, ...)
    IntRect bounds;    // right and bottom exclusive
    int64_t pixels = 0;
};

struct RegionLabels {
    int width = 0, height = 0;
    std::vector<int32_t> labels;     // per pixel: 0 outside, else the region's label
    std::vector<MaskRegion> regions; // in the row order of their first pixel
    bool more = false;               // labelling stopped at the limit with pixels left unlabelled
};

// The 8-connected regions of the inside pixels (flag 0x200), at most `maxRegions`.
RegionLabels labelRegions(const RasterImage& mask, size_t maxRegions);

struct InitRegionsResult {
    int created = 0;
    bool limitReached = false; // stopped with the warning
};

// Appends one object per region as `mode` says, each keeping its region (the whole
// image, the connected region, or the region's bounding rectangle) and its bounds as
// texture rectangle. Stops with "Warning: Maximum count of regions/objects reached"
// when the table of 256 objects is full. `threeD` sets the new objects' 3D flag.
// The meshes are built afterwards by rebuildMeshes.
InitRegionsResult initDotsToRegions(AnimationModel& model, const RasterImage& regionMask,
                                    RegionMode mode, Prompter& prompter, bool threeD = false);

// Mesh definition commands: step the object's level within 0..2 and rebuild its mesh.
inline constexpr std::string_view kIncreaseDefinitionLabel =
    "Increase mesh definition for selected region";
inline constexpr std::string_view kDecreaseDefinitionLabel =
    "Decrease mesh definition for currently selected region";

} // namespace zx
