// The WebGL atlas and texture coordinates: every corner of every written triangle
// reads, through the atlas, the texel its own picture holds (the start picture, or a
// library object's texture of the triangle's material), and the background sits
// where the layout says.

#include "output/WebGlAtlas.h"
#include "output/WebGlExport.h"
#include "output/WebGlExportScene.h"

#include "anim/LibraryFile.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

namespace zx {
namespace {

// Opaque texels no two pictures share: the picture's tag, then x and y.
RasterImage tagged(int tag, int w, int h) {
    RasterImage image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.at(x, y) = 0xFF000000u | uint32_t(tag) << 16 | uint32_t(x) << 8 | uint32_t(y);
    return image;
}

uint32_t texel(const RasterImage& image, const Vec3& p) {
    const int x = std::clamp(int(std::floor(p.x)), 0, image.width() - 1);
    const int y = std::clamp(int(std::floor(p.y)), 0, image.height() - 1);
    return image.at(x, y);
}

using Corners = std::array<uint32_t, 3>;

struct LibraryScene : ::testing::Test {
    AnimationModel model;
    RasterImage background = tagged(9, 40, 30);

    LibraryScene() {
        model.startImage = tagged(1, 30, 20);
        model.startWidth = 30, model.startHeight = 20;
        SilentPrompter silent;
        LibraryLoadOptions options;
        options.prompter = &silent;
        const auto fixture = std::filesystem::path(ZX_FIXTURES_DIR) / "library_small.zxl";
        EXPECT_EQ(
            loadLibraryObject(model, fixture.string(), LibraryLoadMode::NewObject, -1, options), 0);
        AnimObject& lib = model.object(0);
        // Two materials of different sizes, the triangles sharing vertices across them.
        auto data = std::make_shared<LibraryObjectData>(*lib.library);
        data->textures = {tagged(2, 9, 8), tagged(3, 7, 9)};
        lib.library = data;
        for (size_t i = 0; i < lib.triangles.size(); ++i) lib.triangles[i].material = int(i % 2);
        // An ordinary object on the start picture after it.
        AnimObject plain = lib;
        plain.libraryFlag = 0;
        plain.library.reset();
        model.object(1) = plain;
        model.objectCount = 2;
    }

    // The texels each source triangle's corners must show.
    std::vector<Corners> expected() const {
        std::vector<Corners> out;
        for (int slot : {0, 1}) {
            const AnimObject& o = model.object(slot);
            for (const MeshTriangle& t : o.triangles) {
                const RasterImage& picture =
                    slot == 0 ? *o.library->textures[size_t(t.material)] : model.startImage;
                out.push_back({texel(picture, o.points[size_t(t.v[0])].texture),
                               texel(picture, o.points[size_t(t.v[1])].texture),
                               texel(picture, o.points[size_t(t.v[2])].texture)});
            }
        }
        return out;
    }
};

TEST_F(LibraryScene, EveryCornerReadsItsOwnPicturesTexelThroughTheAtlas) {
    Result<WebGlAtlas> atlas = buildWebGlAtlas(model, exportedSlots(model), &background);
    ASSERT_TRUE(atlas);
    const AtlasPlacement& p = atlas->placement;
    ASSERT_EQ(p.textures.size(), 2u);
    const WebGlScene scene = collectWebGlScene(model, p, {4, -1});

    std::vector<Corners> written;
    for (size_t t = 0; t < scene.triangles.size(); t += 3) {
        Corners c{};
        for (size_t k = 0; k < 3; ++k) {
            const size_t v = size_t(scene.triangles[t + k]);
            const Vec3 at{scene.texcoords[2 * v] * p.width, scene.texcoords[2 * v + 1] * p.height,
                          0};
            c[k] = texel(atlas->image, at);
        }
        written.push_back(c);
    }
    std::vector<Corners> wanted = expected();
    std::sort(written.begin(), written.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(written, wanted);

    // The library object's shared vertices are written once per material, all before
    // the plain object's, and each object's triangles use only its own vertices.
    const int plainVertices = model.object(1).vertexCount;
    const int libraryVertices = scene.vertexCount() - plainVertices;
    EXPECT_GT(libraryVertices, model.object(0).vertexCount);
    const size_t libraryCorners = 3 * model.object(0).triangles.size();
    for (size_t i = 0; i < scene.triangles.size(); ++i)
        EXPECT_EQ(scene.triangles[i] < libraryVertices, i < libraryCorners) << i;

    ASSERT_TRUE(p.background);
    for (int y = 0; y < p.pictureHeight; ++y)
        for (int x = 0; x < p.pictureWidth; ++x)
            ASSERT_EQ(atlas->image.at(p.background->x + x, p.background->y + y),
                      background.at(x, y));
}

TEST_F(LibraryScene, PlainScenesKeepTheirLayoutAndHugeOrVideoTexturesAreRefused) {
    model.object(0).hidden = 1;
    Result<WebGlAtlas> plain = buildWebGlAtlas(model, exportedSlots(model), &background);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->placement.width, 30);
    EXPECT_EQ(plain->placement.height, 40);
    EXPECT_EQ(plain->placement.picture, (AtlasCorner{0, 20}));

    model.object(0).hidden = 0;
    auto data = std::make_shared<LibraryObjectData>(*model.object(0).library);
    data->textures[1] = RasterImage(kMaxWebGlTextureSide + 1, 1, 0xFF000000u);
    model.object(0).library = data;
    Result<WebGlAtlas> huge = buildWebGlAtlas(model, exportedSlots(model), nullptr);
    EXPECT_EQ(huge.status().code(), StatusCode::Refused);

    // A page cannot play a video texture.
    EXPECT_TRUE(checkWebGlLimits(model, nullptr));
    data->textures[1] = RasterImage::makeDescriptor(8, 8, 0, 0, {});
    EXPECT_EQ(checkWebGlLimits(model, nullptr).code(), StatusCode::Refused);
}

// The renderer multiplies a library object's opacity by its material's; the page has
// one opacity per object, which carries the materials' when they all have the same.
TEST_F(LibraryScene, AnOpacityAllMaterialsShareJoinsTheObjectsOwn) {
    auto data = std::make_shared<LibraryObjectData>(*model.object(0).library);
    LibraryOpacity fade{LibraryOpacity::Kind::Table, 1, std::vector<float>(513)};
    for (size_t i = 0; i < fade.table.size(); ++i) fade.table[i] = float(1 - i / 512.0);
    data->opacities = {fade, fade};
    model.object(0).library = data;
    model.object(0).name = "fish";
    const AtlasPlacement placement =
        buildWebGlAtlas(model, exportedSlots(model), nullptr)->placement;
    const auto opacityOf = [&](WebGlSceneOptions options) -> std::string {
        const WebGlScene scene = collectWebGlScene(model, placement, options);
        for (const auto& [key, value] : scene.objects.at(0).effects)
            if (key == ", opacity:") return value;
        return "";
    };
    EXPECT_EQ(opacityOf({4, -1}).rfind("{trajx:", 0), 0u);
    EXPECT_EQ(opacityOf({4, 2}), "{startvalue:.5}");
    data->opacities[1] = LibraryOpacity{};
    EXPECT_EQ(opacityOf({4, 2}), "");
}

} // namespace
} // namespace zx
