#include "commands/PreviewScene.h"

#include "anim/Deformation.h"
#include "anim/LibraryFile.h"
#include "anim/TimeCurve.h"
#include "render/DepthRaster.h"
#include "render/FramePasses.h"
#include "render/ImageScene.h"
#include "render/ProjectVertices.h"
#include "render/Rasterizer.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

// Room around the image for what turns out of the picture plane.
constexpr double kMargin = 0.8;

const RasterImage* usable(const RasterImage* r) {
    return r && !r->empty() && !r->isDescriptor() ? r : nullptr;
}

double effectOpacity(const AnimObject& o, double t) {
    const double g = evaluateEffect(o.effects[EffectSlot::Opacity], t);
    return std::isfinite(g) ? std::clamp(g, 0.0, 1.0) : 1.0;
}

void applySettings(RenderSettings& rs, const PreviewCamera& camera, RenderQuality quality) {
    rs.perspective = camera.perspective ? 1 : 0;
    rs.cameraDistance = camera.perspective ? int32_t(std::clamp(camera.distance, 1.0, 1e7)) : 0;
    rs.turn = camera.turnRadians();
    rs.tilt = camera.tiltRadians();
    rs.shiftX = rs.shiftY = 0;
    rs.baseLight = {camera.lightX, camera.lightY, camera.lightZ};
    rs.light = rs.baseLight;
    rs.lightIntensity = camera.lightIntensity;
    rs.brightness = 0;
    rs.specular = 0;
    rs.lightFollowsCamera = 0;
    rs.smoothShading = quality != RenderQuality::Low ? 1 : 0;
}

// Every step-th pixel was computed; the others take the colour of the computed
// pixel of their block.
void fillSteps(RasterImage& r, int step) {
    if (step <= 1) return;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (x % step || y % step) r.at(x, y) = r.at(x - x % step, y - y % step);
}

} // namespace

PreviewScene::PreviewScene(const ProjectImage& image, int frame,
                           const std::filesystem::path& projectFolder)
    : model_(std::make_unique<AnimationModel>()) {
    LibraryLoadOptions library;
    library.projectFolder = projectFolder;
    RecordReadOptions read;
    read.loadLibrary = recordLibraryLoader(library);
    prepareImageScene(image, *model_, read); // a damaged record still shows what it holds
    const int duration = std::max(1, image.duration());
    t_ = double(std::clamp(frame, 0, duration)) / duration;
    canvas_ = backgroundColour(int32_t(image.canvasColour));
}

PreviewScene::~PreviewScene() = default;

PreviewCamera PreviewScene::openingCamera() const {
    return PreviewCamera::forImage(model_->startWidth, model_->startHeight);
}

RasterImage PreviewScene::render(const PreviewCamera& camera, int width, int height,
                                 RenderQuality quality, int step) {
    return renderModel(*model_, t_, camera, width, height, canvas_, quality, step);
}

RasterImage PreviewScene::renderModel(AnimationModel& model, double t, const PreviewCamera& camera,
                                      int width, int height, uint32_t canvas, RenderQuality quality,
                                      int step) {
    width = std::clamp(width, 1, 8192);
    height = std::clamp(height, 1, 8192);
    step = std::clamp(step, 1, 16);
    RasterImage objects(width, height, 0);
    DepthRaster depth(width, height, DepthRaster::kFar);
    RenderSettings& rs = model.renderSettings;
    applySettings(rs, camera, quality);

    const double w = std::max(1, model.startWidth), h = std::max(1, model.startHeight);
    const double scale = kMargin * std::min(width / w, height / h);
    const double left = w / 2 - width / scale / 2, top = h / 2 - height / scale / 2;
    const RasterImage* imageTexture = usable(&model.startImage);
    std::vector<Vec3> normals;

    TriangleRaster tri;
    tri.colour = &objects;
    tri.depth = &depth;
    tri.filtered = quality != RenderQuality::Low ? 1 : 0;
    tri.brightness = rs.brightness;
    tri.specular = rs.specular;
    tri.backLight = rs.backLight;
    tri.ambient = -1.0;
    tri.clip = {0, 0, width, height};
    tri.step = step;

    for (int slot = 0; slot < std::min(model.objectCount, kMaxObjects); ++slot) {
        computeObject(model, slot, t);
        AnimObject& o = model.object(slot);
        if (o.hidden) continue;
        ProjectVertices(model, slot);
        const int n = drawableVertexCount(o);
        for (int i = 0; i < n; ++i) {
            Vec3& p = o.points[size_t(i)].current;
            p = {scale * (p.x - left), scale * (p.y - top), p.z * scale};
        }
        normals.clear();
        const bool smooth = rs.smoothShading != 0;
        if (smooth) ComputeVertexNormals(model, slot, normals);
        if (n <= 2) continue;
        depth.clearEdgeFlags();
        tri.light = rs.light;
        const LibraryObjectData* lib = o.isLibrary() ? o.library.get() : nullptr;
        const int32_t opacity = o.isLibrary() ? int32_t(effectOpacity(o, t) * 256) : 256;
        const bool useNormals = smooth && normals.size() >= size_t(n);
        for (const MeshTriangle& mt : o.triangles) {
            if (mt.flags < 0) continue;
            std::array<int32_t, 3> idx = {mt.v[0], mt.v[1], mt.v[2]};
            if (std::any_of(idx.begin(), idx.end(), [&](int32_t v) { return v < 0 || v >= n; }))
                continue;
            auto y = [&](int k) { return o.points[size_t(idx[size_t(k)])].current.y; };
            if (y(0) > y(1)) std::swap(idx[0], idx[1]);
            if (y(0) > y(2)) std::swap(idx[0], idx[2]);
            if (y(1) > y(2)) std::swap(idx[1], idx[2]);
            const bool solid = mt.flags & (TriangleFlag::SolidColour | TriangleFlag::Highlight);
            tri.solidColour = solid ? uint32_t(mt.flags) & 0xFFFFFFu : kTexturedTriangle;
            tri.texture = imageTexture;
            if (lib && mt.material >= 0 && size_t(mt.material) < lib->textures.size() &&
                lib->textures[size_t(mt.material)])
                if (const RasterImage* own = usable(&*lib->textures[size_t(mt.material)]))
                    tri.texture = own;
            tri.opacity = opacity;
            for (int k = 0; k < 3; ++k) {
                const AnimPoint& p = o.points[size_t(idx[size_t(k)])];
                tri.screen[size_t(k)] = p.current;
                tri.tex[size_t(k)] = {p.texture.x, p.texture.y};
                if (useNormals) tri.normals[size_t(k)] = normals[size_t(idx[size_t(k)])];
            }
            tri.smooth = useNormals ? 1 : 0;
            if (useNormals) {
                tri.intensity = rs.lightIntensity;
            } else {
                tri.intensity = rs.lightIntensity == 0
                                    ? 0
                                    : flatOffset(o.points[size_t(mt.v[0])].current,
                                                 o.points[size_t(mt.v[1])].current,
                                                 o.points[size_t(mt.v[2])].current, tri.light,
                                                 tri.backLight, tri.ambient, rs.lightIntensity);
            }
            RasterizeTrianglePreview(tri);
        }
    }
    RasterImage result(width, height, canvas | 0xFF000000u);
    compositeOver(result, objects);
    fillSteps(result, step);
    return result;
}

} // namespace zx
