#pragma once
// One entry of a project image's layer stack. Entry 0 is a placeholder without a
// stored picture; real layers start at index 1 (background 1, subject 2, mask 3).

#include "storage/RasterImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

enum class LayerKind : int32_t {
    Picture = 0,   // a colour picture
    Mask = 1,      // 32-bit words holding the mask and selection bits, named "<alpha>"
    Animation = 2, // no stored picture; drawn from the animation data at the current frame
};

inline constexpr std::string_view kMaskLayerName = "<alpha>";

struct ImageLayer {
    LayerKind kind = LayerKind::Picture;
    std::string name;
    int32_t wordA = 1; // stored in the file; its meaning belongs to the editing tools
    // The picture being edited, when it differs from the stored one.
    std::optional<RasterImage> working;
    // The stored picture.
    std::optional<RasterImage> base;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    // When 0 the offset enlarges the image's size.
    int32_t placementFlag = 0;
    int32_t opacity = 255;
    int32_t role = 0;
    // Set by every change; tells the renderer to rebuild the cached composite.
    bool dirty = true;
    std::optional<RasterImage> cachedComposite;
    // Animation layers only.
    std::vector<int32_t> points;

    // The picture the layer shows and saves: the working picture if any, else the base.
    const RasterImage* picture() const {
        if (working) return &*working;
        if (base) return &*base;
        return nullptr;
    }
    bool hasPicture() const { return picture() != nullptr; }

    void markChanged() {
        dirty = true;
        cachedComposite.reset();
    }
};

} // namespace zx
