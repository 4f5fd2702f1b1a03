#pragma once
// Regions of the sample photographs, cut out as a user would: select all, then the
// magic background cleaner clicked on the backdrop.

#include "imaging/MaskLayer.h"
#include "imaging/SelectionCommands.h"
#include "mesh3d/ObjectRegion.h"
#include "storage/ImageFile.h"

#include <optional>
#include <string>

namespace zx::test {

struct SampleCut {
    RasterImage photo;
    RasterImage region; // flag 0x200 where the cut keeps the subject
};

inline std::optional<SampleCut> cutSample(const std::string& name, int clickX, int clickY) {
    Result<RasterImage> photo = loadImage(std::string(ZX_SAMPLES_DIR) + "/" + name, nullptr);
    if (!photo) return std::nullopt;
    RasterImage mask = makeMaskLayer(photo->width(), photo->height());
    selectAll(mask);
    SelectionSettings settings;
    settings.autoMask = false;
    if (!commandCleanerClick(mask, *photo, settings, clickX, clickY)) return std::nullopt;
    SampleCut cut{*photo, RasterImage(photo->width(), photo->height())};
    for (size_t i = 0; i < mask.pixelCount(); ++i)
        if (mask.pixels()[i] & MaskBit::Selected) cut.region.pixels()[i] = kRegionWord;
    return cut;
}

} // namespace zx::test
