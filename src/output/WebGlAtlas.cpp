#include "output/WebGlAtlas.h"

#include "output/WebGlExport.h"
#include "render/ObjectDrawing.h"
#include "render/ProjectVertices.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

constexpr const char* kTextureTooBig = "Fatal error: Texture size bigger than 16k on a side";

// A picture to place: its size and whether vertices sample it (then it has a gutter).
struct AtlasItem {
    const RasterImage* source;
    int width, height;
    bool gutter;
};

// The library textures the objects are drawn with, each once, in object order.
std::vector<const RasterImage*> libraryTextures(const AnimationModel& scene,
                                                const std::vector<int>& slots) {
    std::vector<const RasterImage*> out;
    for (int slot : slots) {
        const AnimObject& o = scene.object(slot);
        if (!o.isLibrary()) continue;
        for (const MeshTriangle& t : o.triangles) {
            if (t.flags < 0) continue;
            const RasterImage* texture = materialTexture(scene, o, t.material);
            if (texture && texture != &scene.startImage &&
                std::find(out.begin(), out.end(), texture) == out.end())
                out.push_back(texture);
        }
    }
    return out;
}

// Shelf packing (see the header); the corners, and the atlas size in `width`/`height`.
std::vector<AtlasCorner> packShelves(const std::vector<AtlasItem>& items, long long& width,
                                     long long& height) {
    long long area = 0, widest = 0;
    for (const AtlasItem& i : items) {
        const long long w = i.width + i.gutter, h = i.height + i.gutter;
        area += w * h;
        widest = std::max(widest, w);
    }
    const long long shelf = std::max(widest, (long long)std::ceil(std::sqrt(double(area))));
    std::vector<AtlasCorner> corners;
    long long x = 0, y = 0, shelfHeight = 0;
    width = height = 1;
    for (const AtlasItem& i : items) {
        if (x > 0 && x + i.width + i.gutter > shelf) y += shelfHeight, x = 0, shelfHeight = 0;
        corners.push_back(
            {int(std::min<long long>(x, INT32_MAX)), int(std::min<long long>(y, INT32_MAX))});
        width = std::max(width, x + i.width);
        height = std::max(height, y + i.height);
        x += i.width + i.gutter;
        shelfHeight = std::max(shelfHeight, (long long)i.height + i.gutter);
    }
    return corners;
}

// Copies `item` to `at`, with its gutter where the atlas has room for it.
void put(RasterImage& atlas, const AtlasItem& item, AtlasCorner at) {
    const RasterImage& from = *item.source;
    const int w = std::min(item.width, from.width()), h = std::min(item.height, from.height());
    for (int y = 0; y < h; ++y)
        std::copy_n(from.row(y).begin(), w, atlas.row(at.y + y).begin() + at.x);
    if (!item.gutter || w <= 0 || h <= 0) return;
    const bool right = at.x + w < atlas.width(), below = at.y + h < atlas.height();
    if (right)
        for (int y = 0; y < h; ++y) atlas.at(at.x + w, at.y + y) = atlas.at(at.x + w - 1, at.y + y);
    if (below)
        for (int x = 0; x < w + (right ? 1 : 0); ++x)
            atlas.at(at.x + x, at.y + h) = atlas.at(at.x + x, at.y + h - 1);
}

} // namespace

AtlasCorner AtlasPlacement::corner(const RasterImage* texture) const {
    for (const auto& [image, at] : textures)
        if (image == texture) return at;
    return picture;
}

std::string WebGlAtlas::layoutText() const {
    const AtlasPlacement& p = placement;
    std::string text = "{\"picture\":[" + std::to_string(p.pictureWidth) + "," +
                       std::to_string(p.pictureHeight) + "]";
    if (p.background)
        text += ",\"background\":[" + std::to_string(p.background->x) + "," +
                std::to_string(p.background->y) + "]";
    return text + "}";
}

Result<WebGlAtlas> buildWebGlAtlas(const AnimationModel& scene, const std::vector<int>& slots,
                                   const RasterImage* background) {
    const RasterImage& picture = scene.startImage;
    const int w = std::max(1, picture.width()), h = std::max(1, picture.height());
    std::vector<AtlasItem> items;
    if (background) items.push_back({background, w, h, false});
    items.push_back({&picture, w, h, true});
    const std::vector<const RasterImage*> library = libraryTextures(scene, slots);
    for (const RasterImage* t : library) items.push_back({t, t->width(), t->height(), true});

    long long width = 1, height = 1;
    const std::vector<AtlasCorner> corners = packShelves(items, width, height);
    if (width > kMaxWebGlTextureSide || height > kMaxWebGlTextureSide)
        return Status::refused(kTextureTooBig);

    WebGlAtlas atlas;
    AtlasPlacement& p = atlas.placement;
    p.width = int(width), p.height = int(height);
    p.pictureWidth = w, p.pictureHeight = h;
    size_t next = 0;
    if (background) p.background = corners[next++];
    p.picture = corners[next++];
    for (const RasterImage* t : library) p.textures.emplace_back(t, corners[next++]);
    atlas.image = RasterImage(p.width, p.height, 0);
    for (size_t i = 0; i < items.size(); ++i) put(atlas.image, items[i], corners[i]);
    return atlas;
}

} // namespace zx
