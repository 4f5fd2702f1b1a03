#include "mesh3d/RegionObjects.h"

#include "mesh3d/ObjectRegion.h"
#include "platform/Prompter.h"

#include <algorithm>

namespace zx {

std::string_view initDotsLabel(RegionMode mode) {
    switch (mode) {
    case RegionMode::FullImage:
        return kInitDotsFullImageLabel;
    case RegionMode::Contours:
        return kInitDotsContoursLabel;
    case RegionMode::Rectangles:
        return kInitDotsRectanglesLabel;
    }
    return {};
}

RasterImage visibleRegionMask(const RasterImage& maskLayer, const RasterImage* subject) {
    RasterImage out(maskLayer.width(), maskLayer.height());
    if (maskLayer.isDescriptor()) return out;
    const bool useAlpha = subject && !subject->isDescriptor() &&
                          subject->width() == maskLayer.width() &&
                          subject->height() == maskLayer.height();
    const uint32_t* m = maskLayer.pixels();
    uint32_t* o = out.pixels();
    for (size_t i = 0, n = maskLayer.pixelCount(); i < n; ++i) {
        const bool visible =
            (m[i] & 0xFF) >= 16 && (!useAlpha || (subject->pixels()[i] >> 24) >= 16);
        o[i] = visible ? kRegionWord : 0;
    }
    return out;
}

RegionLabels labelRegions(const RasterImage& mask, size_t maxRegions) {
    RegionLabels out;
    out.width = mask.width();
    out.height = mask.height();
    if (mask.isDescriptor() || mask.empty()) return out;
    const int w = mask.width(), h = mask.height();
    out.labels.assign(mask.pixelCount(), 0);
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!(mask.at(x, y) & kMaskInside) || out.labels[size_t(y) * w + x]) continue;
            if (out.regions.size() >= maxRegions) {
                out.more = true;
                return out;
            }
            MaskRegion region;
            region.label = int32_t(out.regions.size() + 1);
            region.bounds = {x, y, x + 1, y + 1};
            out.labels[size_t(y) * w + x] = region.label;
            stack.assign(1, {x, y});
            // Each pixel is labelled once before it is pushed, so the stack never
            // holds more than the image's pixels and the fill ends.
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                ++region.pixels;
                region.bounds.left = std::min(region.bounds.left, px);
                region.bounds.right = std::max(region.bounds.right, px + 1);
                region.bounds.top = std::min(region.bounds.top, py);
                region.bounds.bottom = std::max(region.bounds.bottom, py + 1);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int qx = px + dx, qy = py + dy;
                        if (qx < 0 || qy < 0 || qx >= w || qy >= h) continue;
                        int32_t& l = out.labels[size_t(qy) * w + qx];
                        if (l || !(mask.at(qx, qy) & kMaskInside)) continue;
                        l = region.label;
                        stack.push_back({qx, qy});
                    }
            }
            out.regions.push_back(region);
        }
    return out;
}

namespace {

// A new object for a region; -1 when the table is full.
int addRegionObject(AnimationModel& model, const IntRect& bounds, bool threeD) {
    if (model.objectCount >= kMaxObjects) return -1;
    SilentPrompter silent; // the table was checked above
    const int slot = model.addObject(silent);
    if (slot < 0) return -1;
    AnimObject& o = model.object(slot);
    o.textureRect = bounds;
    o.flag3d = threeD ? 1 : 0;
    return slot;
}

} // namespace

InitRegionsResult initDotsToRegions(AnimationModel& model, const RasterImage& regionMask,
                                    RegionMode mode, Prompter& prompter, bool threeD) {
    InitRegionsResult result;
    const int w = regionMask.width(), h = regionMask.height();
    if (w <= 0 || h <= 0 || regionMask.isDescriptor()) return result;
    auto warn = [&] {
        result.limitReached = true;
        prompter.message(kRegionLimitWarning);
    };
    if (mode == RegionMode::FullImage) {
        const IntRect all{0, 0, w, h};
        const int slot = addRegionObject(model, all, threeD);
        if (slot < 0) {
            warn();
            return result;
        }
        setObjectRegionRect(model.object(slot), w, h, all);
        result.created = 1;
        return result;
    }
    const size_t room = size_t(std::max(0, kMaxObjects - model.objectCount));
    RegionLabels labels = labelRegions(regionMask, room);
    for (const MaskRegion& region : labels.regions) {
        const int slot = addRegionObject(model, region.bounds, threeD);
        if (slot < 0) break;
        AnimObject& o = model.object(slot);
        if (mode == RegionMode::Rectangles)
            setObjectRegionRect(o, w, h, region.bounds);
        else
            setObjectRegionFromLabels(o, w, h, labels.labels, region.label, region.bounds);
        ++result.created;
    }
    if (labels.more) warn();
    return result;
}

} // namespace zx
