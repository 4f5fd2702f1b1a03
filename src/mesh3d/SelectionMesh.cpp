#include "mesh3d/SelectionMesh.h"

#include "mesh3d/ObjectRegion.h"
#include "platform/Prompter.h"

#include <algorithm>

namespace zx {

std::vector<IntPoint> unpackSelectionPolygon(std::span<const uint32_t> packed) {
    std::vector<IntPoint> out;
    for (uint32_t w : packed) {
        if (w == kSelectionEnd) break;
        out.push_back({int(int16_t(w & 0xFFFF)), int(int16_t(w >> 16))});
    }
    return out;
}

namespace {

// The polygon as a region mask of the given size: its outline and inside.
RasterImage polygonRegion(std::span<const IntPoint> polygon, int width, int height) {
    RasterImage mask(width, height);
    if (polygon.size() >= 3) fillPolygon(mask, polygon, 0, kMaskInside);
    return mask;
}

int64_t insideCount(const RasterImage& mask) {
    int64_t n = 0;
    for (uint32_t w : mask.pixelVector()) n += (w & kMaskInside) ? 1 : 0;
    return n;
}

// The image size the objects' regions use.
void imageSize(const AnimationModel& model, int& width, int& height) {
    width = std::max(1, model.startWidth);
    height = std::max(1, model.startHeight);
}

Status noFreeSlot() {
    return Status::refused({}, "no free object slot"); // addObject told the user
}
Status noMesh() {
    return Status::failed({}, "the new region gave no mesh");
}
Status leavesNoRegion() {
    return Status::refused({}, "the polygon misses the object or covers all of it");
}

// Gives the object `region` and rebuilds it; on failure the object keeps its old
// region and mesh.
bool remesh(AnimationModel& model, int slot, const RasterImage& region,
            const RebuildOptions& options) {
    AnimObject& o = model.object(slot);
    const auto oldRegion = o.ownedMasks[kRegionMaskSlot];
    const IntRect oldRect = o.textureRect;
    setObjectRegionMask(o, region);
    o.textureRect = regionBounds(region);
    if (rebuildObjectMesh(model, slot, options)) return true;
    model.object(slot).ownedMasks[kRegionMaskSlot] = oldRegion;
    model.object(slot).textureRect = oldRect;
    return false;
}

} // namespace

Result<SelectionMeshChange> convertToMesh(AnimationModel& model, std::span<const IntPoint> polygon,
                                          const RebuildOptions& options) {
    // A closed selection of more than three points: three corners and the closing
    // point, or more.
    std::vector<IntPoint> corners(polygon.begin(), polygon.end());
    if (corners.size() > 1 && corners.front() == corners.back()) corners.pop_back();
    if (corners.size() < 3) return Status::refused({}, "fewer than three corners");
    int w, h;
    imageSize(model, w, h);
    const RasterImage region = polygonRegion(corners, w, h);
    if (insideCount(region) == 0) return Status::refused({}, "the polygon covers no pixel");
    const int slot = model.addObject(options.prompter);
    if (slot < 0) return noFreeSlot();
    AnimObject& o = model.object(slot);
    o.kindFlags = (o.kindFlags & ~ObjectKind::ConductorBox) | ObjectKind::UserRegion;
    if (!remesh(model, slot, region, options)) {
        model.removeObject(slot);
        return noMesh();
    }
    model.selectedObject = slot;
    return SelectionMeshChange{kConvertToMeshLabel, slot};
}

int objectTouchedBySelection(const AnimationModel& model, std::span<const IntPoint> polygon) {
    if (polygon.size() < 3) return -1;
    int w, h;
    imageSize(model, w, h);
    const RasterImage area = polygonRegion(polygon, w, h);
    auto touches = [&](int slot) {
        std::optional<RegionCrop> crop = objectRegionCrop(model.object(slot));
        if (!crop || crop->imageWidth != w || crop->imageHeight != h) return false;
        for (int y = 0; y < crop->mask.height(); ++y)
            for (int x = 0; x < crop->mask.width(); ++x)
                if ((crop->mask.at(x, y) & kMaskInside) &&
                    (area.at(x + crop->left, y + crop->top) & kMaskInside))
                    return true;
        return false;
    };
    if (model.selectedObject >= 0 && model.selectedObject < model.objectCount &&
        touches(model.selectedObject))
        return model.selectedObject;
    for (int s = 0; s < model.objectCount; ++s)
        if (touches(s)) return s;
    return -1;
}

namespace {

enum class Combine { Inside, Outside, Union };

// The object's region combined with the polygon; none when the object has no region
// of the image's size.
std::optional<RasterImage> combinedRegion(const AnimationModel& model, int slot,
                                          std::span<const IntPoint> polygon, Combine how) {
    if (slot < 0 || slot >= model.objectCount || polygon.size() < 3) return std::nullopt;
    std::optional<RasterImage> region = objectRegionMask(model.object(slot));
    int w, h;
    imageSize(model, w, h);
    if (!region || region->width() != w || region->height() != h) return std::nullopt;
    const RasterImage area = polygonRegion(polygon, w, h);
    uint32_t* r = region->pixels();
    const uint32_t* a = area.pixels();
    for (size_t i = 0, n = region->pixelCount(); i < n; ++i) {
        const bool in = r[i] & kMaskInside, sel = a[i] & kMaskInside;
        bool keep = false;
        switch (how) {
        case Combine::Inside:
            keep = in && sel;
            break;
        case Combine::Outside:
            keep = in && !sel;
            break;
        case Combine::Union:
            keep = in || sel;
            break;
        }
        r[i] = keep ? kRegionWord : 0;
    }
    return region;
}

} // namespace

Result<SelectionMeshChange> splitMesh(AnimationModel& model, int slot,
                                      std::span<const IntPoint> polygon,
                                      const RebuildOptions& options) {
    std::optional<RasterImage> inside = combinedRegion(model, slot, polygon, Combine::Inside);
    std::optional<RasterImage> outside = combinedRegion(model, slot, polygon, Combine::Outside);
    if (!inside || !outside || insideCount(*inside) == 0 || insideCount(*outside) == 0)
        return leavesNoRegion();
    const int part = model.addObject(options.prompter);
    if (part < 0) return noFreeSlot();
    // The new part takes the object's settings, not its points, bones or binding.
    AnimObject& n = model.object(part);
    const AnimObject& src = model.object(slot);
    n = src;
    n.points.clear();
    n.vertexCount = n.outlineVertexCount = 0;
    n.triangles.clear();
    n.edges.clear();
    n.bones.clear();
    n.binding = ObjectBinding{};
    n.spin = 0;
    if (!remesh(model, part, *inside, options) || !remesh(model, slot, *outside, options)) {
        model.removeObject(part);
        return noMesh();
    }
    return SelectionMeshChange{kSplitMeshLabel, part};
}

Result<SelectionMeshChange> cutMesh(AnimationModel& model, int slot,
                                    std::span<const IntPoint> polygon,
                                    const RebuildOptions& options) {
    std::optional<RasterImage> rest = combinedRegion(model, slot, polygon, Combine::Outside);
    if (!rest || insideCount(*rest) == 0) return leavesNoRegion();
    std::optional<RasterImage> cut = combinedRegion(model, slot, polygon, Combine::Inside);
    if (!cut || insideCount(*cut) == 0) return leavesNoRegion(); // the polygon misses the object
    if (!remesh(model, slot, *rest, options)) return noMesh();
    return SelectionMeshChange{kCutMeshLabel, slot};
}

Result<SelectionMeshChange> addToMesh(AnimationModel& model, int slot,
                                      std::span<const IntPoint> polygon,
                                      const RebuildOptions& options) {
    std::optional<RasterImage> joined = combinedRegion(model, slot, polygon, Combine::Union);
    std::optional<RasterImage> own = objectRegionMask(model.object(slot));
    if (!joined || !own) return Status::refused({}, "no such object, or it has no region");
    if (insideCount(*joined) == insideCount(*own))
        return Status::refused({}, "the polygon adds nothing");
    if (!remesh(model, slot, *joined, options)) return noMesh();
    return SelectionMeshChange{kAddToMeshLabel, slot};
}

} // namespace zx
