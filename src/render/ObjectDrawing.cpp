#include "render/ObjectDrawing.h"

#include "anim/TimeCurve.h"
#include "render/FramePasses.h"
#include "render/PixelMath.h"
#include "render/ProjectVertices.h"

#include "anim/Deformation.h"
#include "imaging/ObjectPostEffects.h"
#include "platform/Prompter.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

// The outline of the selected object's triangles in the interactive views (a solid
// triangle is outlined in its own colour).
constexpr uint32_t kSelectionOutline = 0xFFFF00u;

uint32_t highlightOf(const MeshTriangle& t) {
    if (!(t.flags & TriangleFlag::Highlight)) return 0;
    return (t.flags & TriangleFlag::SolidColour) ? uint32_t(t.flags) & 0xFFFFFFu
                                                 : kSelectionOutline;
}

double sane01(double g) {
    return std::isfinite(g) ? g : 0.0;
}

const RasterImage* usableTexture(const RasterImage* image) {
    return image && !image->empty() && !image->isDescriptor() ? image : nullptr;
}

} // namespace

double libraryOpacityAt(const LibraryOpacity& o, double t) {
    switch (o.kind) {
    case LibraryOpacity::Kind::None:
        return 1.0;
    case LibraryOpacity::Kind::Constant:
        return o.value;
    case LibraryOpacity::Kind::Table: {
        ObjectEffect e;
        e.startValue = o.value;
        e.table = o.table;
        return evaluateEffect(e, t);
    }
    }
    return 1.0;
}

const RasterImage* libraryTextureEntry(const AnimObject& o, int material) {
    const LibraryObjectData* lib = o.isLibrary() ? o.library.get() : nullptr;
    if (!lib) return nullptr;
    if (material < 0 || size_t(material) >= lib->textures.size()) material = 0;
    if (size_t(material) >= lib->textures.size() || !lib->textures[size_t(material)])
        return nullptr;
    return &*lib->textures[size_t(material)];
}

const RasterImage* materialTexture(const AnimationModel& model, const AnimObject& o, int material) {
    if (const RasterImage* own = usableTexture(libraryTextureEntry(o, material))) return own;
    return usableTexture(&model.startImage);
}

ObjectDrawing::ObjectDrawing(AnimationModel& model, RenderScratch& scratch, EdgeMask* mask)
    : model_(model), scratch_(scratch), colour_(scratch.objects), depth_(scratch.depth),
      mask_(mask), normals_(scratch.normals) {}

void ObjectDrawing::applyWindow(int slot) {
    AnimObject& o = model_.object(slot);
    const int n = drawableVertexCount(o);
    const double s = windowScale;
    for (int i = 0; i < n; ++i) {
        Vec3& p = o.points[size_t(i)].current;
        p = {s * (p.x - windowLeft), s * (p.y - windowTop), p.z * s};
    }
}

bool ObjectDrawing::drawObject(int slot, CancelFlag cancel) {
    SilentPrompter silent; // a frame being drawn has no one to tell
    computeObject(model_, slot, t, {}, silent);
    AnimObject& o = model_.object(slot);
    if (o.hidden) return true;
    projectVertices(model_, slot);
    applyWindow(slot);
    normals_.clear();
    if (quality > 0) computeVertexNormals(model_, slot, normals_);
    if (drawableVertexCount(o) <= 2) return true;
    depth_.clearEdgeFlags();
    if (o.isLibrary()) return drawLayer(slot, cancel);
    return drawTriangles(slot, colour_, depth_, false, cancel);
}

bool ObjectDrawing::drawTriangles(int slot, RasterImage& colour, DepthRaster& depth, bool layer,
                                  CancelFlag cancel) {
    AnimObject& o = model_.object(slot);
    const RenderSettings& rs = model_.renderSettings;
    const int n = drawableVertexCount(o);

    TriangleRaster& tri = tri_;
    tri.colour = &colour;
    tri.depth = &depth;
    tri.filtered = quality;
    tri.smooth = rs.smoothShading;
    tri.brightness = rs.brightness;
    tri.specular = rs.specular;
    tri.backLight = rs.backLight;
    tri.ambient = rs.brightness < 0 ? -(rs.brightness + 256) / 256.0 : -1.0;
    tri.light = rs.light;
    tri.edgeMask = mask_;
    tri.opacity = 256;
    const bool smooth = rs.smoothShading != 0 && normals_.size() >= size_t(n);

    const RasterImage* imageTexture = usableTexture(&model_.startImage);
    const LibraryObjectData* lib = layer ? o.library.get() : nullptr;
    const double objectOpacity = layer ? evaluateEffect(o.effects[EffectSlot::Opacity], t) : 1.0;

    for (const MeshTriangle& mt : o.triangles) {
        if (mt.flags < 0) continue;
        std::array<int32_t, 3> idx = {mt.v[0], mt.v[1], mt.v[2]};
        if (idx[0] < 0 || idx[0] >= n || idx[1] < 0 || idx[1] >= n || idx[2] < 0 || idx[2] >= n)
            continue; // a broken index draws nothing rather than reading past the mesh
        auto y = [&](int k) { return o.points[size_t(idx[size_t(k)])].current.y; };
        if (y(0) > y(1)) std::swap(idx[0], idx[1]);
        if (y(0) > y(2)) std::swap(idx[0], idx[2]);
        if (y(1) > y(2)) std::swap(idx[1], idx[2]);

        tri.solidColour = (mt.flags & TriangleFlag::SolidColour) ? uint32_t(mt.flags) & 0xFFFFFFu
                                                                 : kTexturedTriangle;
        tri.texture = imageTexture;
        if (layer) {
            int material = mt.material;
            if (!lib || material < 0 || size_t(material) >= lib->textures.size()) material = 0;
            double g = objectOpacity;
            if (lib && size_t(material) < lib->opacities.size())
                g *= libraryOpacityAt(lib->opacities[size_t(material)], t);
            const int step =
                (mt.flags & TriangleFlag::TransparencyMask) >> TriangleFlag::TransparencyShift;
            if (step != 0) g = g * (31 - step) * 0.032258064;
            tri.opacity = int32_t(std::clamp(std::trunc(sane01(g) * 256), 0.0, 256.0));
            tri.texture = materialTexture(model_, o, mt.material);
        }
        for (int k = 0; k < 3; ++k) {
            const AnimPoint& p = o.points[size_t(idx[size_t(k)])];
            tri.screen[size_t(k)] = p.current;
            tri.tex[size_t(k)] = {p.texture.x, p.texture.y};
            if (smooth) tri.normals[size_t(k)] = normals_[size_t(idx[size_t(k)])];
        }
        tri.smooth = smooth ? 1 : 0;
        if (!smooth) {
            tri.intensity = 0;
            if (rs.lightIntensity != 0)
                tri.intensity =
                    flatOffset(o.points[size_t(mt.v[0])].current, o.points[size_t(mt.v[1])].current,
                               o.points[size_t(mt.v[2])].current, tri.light, tri.backLight,
                               tri.ambient, rs.lightIntensity);
        } else {
            tri.intensity = rs.lightIntensity;
        }
        if (previewStep > 0) {
            tri.step = previewStep;
            tri.highlight = highlightOf(mt);
            tri.clip = {0, 0, colour.width(), colour.height()};
            rasterizeTrianglePreview(tri);
        } else if (!rasterizeTriangle(tri, cancel)) {
            return false;
        }
    }
    return true;
}

bool ObjectDrawing::drawLayer(int slot, CancelFlag cancel) {
    AnimObject& o = model_.object(slot);
    const int n = drawableVertexCount(o);
    double h = 1e300;
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (int i = 0; i < n; ++i) {
        const Vec3& p = o.points[size_t(i)].current;
        h = std::min(h, p.z);
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    if (!(h >= -32767)) h = -32767;
    h = std::min(h, 32767.0);
    const int32_t start = (int32_t(std::trunc(h * 65536)) - 2) & ~1;

    RasterImage& layerColour = scratch_.layerColour;
    DepthRaster& layerDepth = scratch_.layerDepth;
    resetRaster(layerColour, colour_.width(), colour_.height(), 0);
    resetDepth(layerDepth, colour_.width(), colour_.height(), start);
    if (!drawTriangles(slot, layerColour, layerDepth, true, cancel)) return false;
    const PostEffectValues values = postEffectValues(o, t, zoomForEffects);
    if (hasPostEffects(values)) {
        const PixelRect box = postEffectClipBox(minX, minY, maxX, maxY, blurRadius(values),
                                                layerColour.width(), layerColour.height());
        applyObjectPostEffects(layerColour, values, box, 1, &scratch_.postEffects);
    }
    mergeLayer(layerColour, layerDepth, colour_, depth_);
    return true;
}

} // namespace zx
