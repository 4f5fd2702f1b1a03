#include "mesh3d/ShapeBuilder.h"
#include "SilentTestPrompter.h"

#include "anim/AnimationModel.h"
#include "mesh3d/MaskShapes.h"
#include "mesh3d/MeshChecks.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/RandomShapes.h"
#include "mesh3d/Skeleton.h"
#include "mesh3d/VolumeTools.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

using testing::discMask;
using testing::expectProperFrontMesh;
using testing::kIn;
using testing::rectMask;
using testing::ringMask;

struct Built {
    AnimationModel model;
    RecordingPrompter prompter;
    Result<MeshSize> result = Status::refused({}, "not built yet");

    Built(const RasterImage& mask, ShapeBuildOptions options = {}) {
        model.startWidth = mask.width();
        model.startHeight = mask.height();
        model.addObject(prompter);
        result = build3dObject(model, 0, mask, options, nullptr, prompter);
    }
    const AnimObject& object() const { return model.object(0); }
    double peak() const {
        double z = 0;
        for (int i = 0; i < object().vertexCount; ++i)
            z = std::max(z, object().points[size_t(i)].start.z);
        return z;
    }
};

TEST(ShapeBuilder, DiscPeaksAtItsRadiusForEveryBlend) {
    const double r = 40;
    RasterImage disc = discMask(120, 120, 60, 60, r);
    // Out-of-range blends are held to 0 .. 100; a broken one counts as 0.
    for (double blend : {0.0, 50.0, 100.0, -20.0, 250.0, std::nan("")}) {
        Built b(disc, {1, blend, true});
        ASSERT_TRUE(b.result.isOk()) << blend;
        EXPECT_NEAR(b.peak(), r, 0.05 * r) << blend;
        // The region is kept with the object for later rebuilds.
        EXPECT_EQ(objectRegionMask(b.object()), disc);
        expectProperFrontMesh(b.object(), true);
        EXPECT_TRUE(b.object().is3d());
        EXPECT_TRUE(b.prompter.entries.empty());
    }
}

TEST(ShapeBuilder, VerticesOutlineFirstDepthsFollowTheDome) {
    Built b(discMask(100, 100, 50, 50, 30), {1, 0, false});
    ASSERT_TRUE(b.result.isOk());
    const AnimObject& o = b.object();
    ASSERT_GT(o.outlineVertexCount, 8);
    EXPECT_EQ(b.result->vertices, o.vertexCount);
    EXPECT_EQ(b.result->triangles, int(o.triangles.size()));
    for (int i = 0; i < o.vertexCount; ++i) {
        const AnimPoint& p = o.points[size_t(i)];
        const double d = std::hypot(p.texture.x - 50, p.texture.y - 50);
        EXPECT_EQ(p.flags & PointFlag::NewMeshVertex, PointFlag::NewMeshVertex);
        EXPECT_EQ(p.texture, p.start);
        EXPECT_EQ(p.start, p.end);
        if (i < o.outlineVertexCount) {
            EXPECT_EQ(p.flags, 0x449) << i;
            EXPECT_EQ(p.start.z, 0.0);
            EXPECT_NEAR(d, 30, 1.0);
        } else {
            EXPECT_EQ(p.flags, 0x41);
            EXPECT_LT(d, 30);
            // A dome of radius 30: sqrt(r^2 - d^2). Within a few pixels of the rim
            // the pixel steps of the chords matter more, and the dome only bounds it.
            const double dome = std::sqrt(std::max(0.0, 900 - d * d));
            if (d < 25) {
                EXPECT_NEAR(p.start.z, dome, 3.0) << "d=" << d;
            }
            EXPECT_LE(p.start.z, dome + 1.5) << "d=" << d;
        }
    }
    // Curves run from outline vertices to inner ones, n + 1 entries, -1 before the end.
    ASSERT_FALSE(o.surfaceCurves.empty());
    for (const SurfaceCurve& c : o.surfaceCurves) {
        ASSERT_EQ(c.points.size(), 17u);
        EXPECT_LT(c.start, o.outlineVertexCount);
        EXPECT_EQ(c.points[0], c.start);
        EXPECT_EQ(c.points[15], -1);
        EXPECT_EQ(c.points[16], c.end);
    }
    // No back surface was asked for.
    for (const AnimPoint& p : o.points) EXPECT_FALSE(p.flags & PointFlag::BackSurface);
}

TEST(ShapeBuilder, SolidMirrorsTheInnerVerticesBehindTheImage) {
    Built b(discMask(80, 80, 40, 40, 25));
    ASSERT_TRUE(b.result.isOk());
    const AnimObject& o = b.object();
    int front = 0, back = 0;
    for (int i = 0; i < o.vertexCount; ++i) {
        const AnimPoint& p = o.points[size_t(i)];
        if (p.flags & PointFlag::BackSurface) {
            ++back;
            EXPECT_LE(p.start.z, 0.0);
        } else if (!(p.flags & PointFlag::Outline)) {
            ++front;
            EXPECT_GE(p.start.z, 0.0);
        }
    }
    EXPECT_EQ(front, back);
    EXPECT_EQ(o.vertexCount, o.outlineVertexCount + 2 * front);
    // Back triangles are the front ones turned round, sharing the outline.
    size_t frontTriangles = 0;
    for (const MeshTriangle& t : o.triangles) {
        bool anyBack = false;
        for (int k = 0; k < 3; ++k)
            anyBack |= bool(o.points[size_t(t.v[k])].flags & PointFlag::BackSurface);
        if (!anyBack)
            ++frontTriangles;
        else
            EXPECT_GT(testing::signedArea2(o, t.v[0], t.v[1], t.v[2]), 0);
    }
    EXPECT_EQ(o.triangles.size(), 2 * frontTriangles);
}

TEST(ShapeBuilder, AwkwardRegionsGiveProperMeshes) {
    RasterImage ring = ringMask(90, 90, 45, 45, 15, 35);
    RasterImage border = RasterImage(50, 30, kIn); // touches every side
    RasterImage line = rectMask(80, 20, 5, 10, 75, 11);
    RasterImage dot = rectMask(9, 9, 4, 4, 5, 5);
    RasterImage specks(40, 40, 0); // separate bits, a diagonal chain, a bar
    specks.at(3, 3) = kIn;
    for (int i = 10; i < 30; ++i) specks.at(i, i) = kIn;
    for (int x = 5; x < 35; ++x)
        for (int y = 33; y < 36; ++y) specks.at(x, y) = kIn;
    RasterImage comb = rectMask(60, 40, 4, 30, 56, 34);
    for (int x = 5; x < 55; x += 2)
        for (int y = 4; y < 30; ++y) comb.at(x, y) = kIn;
    int index = 0;
    for (const RasterImage* mask : {&ring, &border, &line, &dot, &specks, &comb}) {
        for (int32_t definition : {0, 1, 2}) {
            SCOPED_TRACE(::testing::Message() << "mask " << index << " definition " << definition);
            Built b(*mask, {definition, 30, true});
            ASSERT_TRUE(b.result.isOk());
            expectProperFrontMesh(b.object(), true);
            for (const AnimPoint& p : b.object().points) {
                EXPECT_GE(p.texture.x, -0.01);
                EXPECT_GE(p.texture.y, -0.01);
                EXPECT_LE(p.texture.x, mask->width() + 0.01);
                EXPECT_LE(p.texture.y, mask->height() + 0.01);
            }
        }
        ++index;
    }
    // A one-pixel line has no depth at all.
    Built flat(line);
    for (const AnimPoint& p : flat.object().points) EXPECT_EQ(p.start.z, 0.0);
    // The ring's hole stays open: no triangle has its middle there.
    Built holed(ring);
    for (const MeshTriangle& t : holed.object().triangles) {
        double cx = 0, cy = 0;
        for (int k = 0; k < 3; ++k) {
            cx += holed.object().points[size_t(t.v[k])].texture.x / 3;
            cy += holed.object().points[size_t(t.v[k])].texture.y / 3;
        }
        EXPECT_GT(std::hypot(cx - 45, cy - 45), 14);
    }
}

TEST(ShapeBuilder, RandomRegionsGiveProperMeshes) {
    Rng rng(2024);
    int built = 0;
    for (int i = 0; i < 60; ++i) {
        const int w = 4 + int(rng.uniform() * 120), h = 4 + int(rng.uniform() * 120);
        RasterImage mask = testing::randomRegion(rng, w, h);
        const int32_t definition = int32_t(rng.uniform() * 4) - 1;
        SCOPED_TRACE(::testing::Message() << "region " << i << " definition " << definition);
        Built b(mask, {definition, rng.uniform() * 100, true});
        if (!b.result.isOk()) continue;
        ++built;
        expectProperFrontMesh(b.object(), true);
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(built, 50);
}

TEST(ShapeBuilder, SmallRegionOfALargeImageLandsInPlace) {
    RasterImage big(3000, 2000, 0);
    for (int y = 1700; y < 1740; ++y)
        for (int x = 2900; x < 2960; ++x) big.at(x, y) = kIn;
    Built b(big);
    ASSERT_TRUE(b.result.isOk());
    expectProperFrontMesh(b.object(), true);
    for (const AnimPoint& p : b.object().points) {
        EXPECT_GE(p.texture.x, 2899.9);
        EXPECT_LE(p.texture.x, 2960.1);
        EXPECT_GE(p.texture.y, 1699.9);
        EXPECT_LE(p.texture.y, 1740.1);
    }
    EXPECT_NEAR(testing::contourArea(b.object()), 60 * 40, 2.0);
    EXPECT_NEAR(b.peak(), 20, 1.0);
    EXPECT_EQ(b.object().textureRect, (IntRect{2900, 1700, 2960, 1740}));
    // The skeleton list is kept in image coordinates.
    ASSERT_GT(b.object().skeleton.size(), 3u);
    const uint32_t first = b.object().skeleton[1];
    EXPECT_GT(int(first & 0xFFFF), 2900);
    EXPECT_GT(int(first >> 16), 1700);
}

TEST(ShapeBuilder, NoTwoVerticesShareAPositionAndDepth) {
    // A thin stroke stays in the image plane; its back surface must share those
    // vertices rather than repeat them, or the duplicate marking would delete them
    // from under the back triangles.
    for (const RasterImage& mask : {rectMask(60, 20, 5, 8, 55, 10), discMask(60, 60, 30, 30, 20)}) {
        Built b(mask);
        ASSERT_TRUE(b.result.isOk());
        AnimObject copy = b.object();
        EXPECT_EQ(markDuplicateVertices(copy), 0);
    }
}

TEST(ShapeBuilder, RebuildOfAllMeshesBuildsThe3dObjectsWithTheirDefinition) {
    AnimationModel model;
    model.startWidth = 100;
    model.startHeight = 80;
    RecordingPrompter prompter;
    model.addObject(prompter);
    model.addObject(prompter);
    setObjectRegionMask(model.object(0), discMask(100, 80, 30, 40, 20));
    setObjectRegionMask(model.object(1), discMask(100, 80, 75, 40, 18));
    model.object(1).flag3d = 1;
    model.object(1).settingWord = 0;
    RebuildOptions options(prompter);
    options.volumeBuilder = shapeVolumeBuilder({1, 0, true}, nullptr, prompter);
    Result<RebuildCounts> r = rebuildMeshes(model, options);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->built, 2);
    EXPECT_FALSE(hasBackSurface(model.object(0)));
    ASSERT_TRUE(hasBackSurface(model.object(1)));
    expectProperFrontMesh(model.object(1), true);
    // Level 0: eight samples per curve.
    ASSERT_FALSE(model.object(1).surfaceCurves.empty());
    EXPECT_EQ(model.object(1).surfaceCurves[0].points.size(), 9u);
    // The blend can be changed later from the kept region alone.
    EXPECT_TRUE(applyDepth(model, 1, 100));
    model.object(0).ownedMasks[kRegionMaskSlot].reset();
    EXPECT_FALSE(applyDepth(model, 0, 50));
}

TEST(ShapeBuilder, OutlinePolygonIsFilledLikeALasso) {
    AnimationModel model;
    model.startWidth = 80;
    model.startHeight = 60;
    model.addObject(testing::silentPrompter());
    std::vector<uint32_t> square = {10 | 10 << 16, 10 | 50 << 16, 70 | 50 << 16, 70 | 10 << 16,
                                    kPointListEnd};
    SilentPrompter silent;
    Result<MeshSize> r = build3dObjectFromOutline(model, 0, square, {}, nullptr, silent);
    ASSERT_TRUE(r.isOk());
    expectProperFrontMesh(model.object(0), true);
    // Edge pixels included: 61 x 41 pixels, corners cut by the outline's half pixels.
    EXPECT_NEAR(testing::contourArea(model.object(0)), 61 * 41, 1.0);
    std::vector<uint32_t> two = {1, 2 << 16, kPointListEnd};
    EXPECT_FALSE(build3dObjectFromOutline(model, 0, two, {}, nullptr, silent).isOk());
}

TEST(ShapeBuilder, ViewImagesNeedAFrontView) {
    RecordingPrompter prompter;
    std::vector<std::string> views = {"", "left.png"};
    EXPECT_FALSE(acceptViewImages(views, prompter));
    EXPECT_FALSE(acceptViewImages({}, prompter));
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"At least a front view is required",
                                                          "At least a front view is required"}));
    views[0] = "front.jpg";
    EXPECT_TRUE(acceptViewImages(views, prompter));
    EXPECT_EQ(prompter.entries.size(), 2u);
}

TEST(ShapeBuilder, SettingsAskForOnlyTheWorkAChangeNeeds) {
    ShapeBuilderSettings s;
    EXPECT_EQ(s.pending(), ShapeBuilderSettings::Work::Mesh); // never built
    s.markUsed();
    EXPECT_EQ(s.pending(), ShapeBuilderSettings::Work::None);
    s.current.blend = 40;
    EXPECT_EQ(s.pending(), ShapeBuilderSettings::Work::Depth);
    s.current.blend = 0; // moved back: nothing to do
    EXPECT_EQ(s.pending(), ShapeBuilderSettings::Work::None);
    s.current.definition = 2;
    EXPECT_EQ(s.pending(), ShapeBuilderSettings::Work::Mesh);
    s.markUsed();
    s.current.solid = false;
    EXPECT_EQ(s.pending(), ShapeBuilderSettings::Work::Mesh);
}

TEST(ShapeBuilder, EmptyRegionsAndBadSlotsLeaveTheObjectAlone) {
    AnimationModel model;
    RecordingPrompter prompter;
    model.addObject(prompter);
    model.object(0).points.resize(3);
    model.object(0).vertexCount = 3;
    EXPECT_FALSE(build3dObject(model, 0, RasterImage(40, 40, 0), {}, nullptr, prompter).isOk());
    EXPECT_FALSE(build3dObject(model, 0, RasterImage(), {}, nullptr, prompter).isOk());
    EXPECT_FALSE(
        build3dObject(model, 1, discMask(40, 40, 20, 20, 10), {}, nullptr, prompter).isOk());
    EXPECT_FALSE(
        build3dObject(model, -1, discMask(40, 40, 20, 20, 10), {}, nullptr, prompter).isOk());
    EXPECT_EQ(model.object(0).vertexCount, 3);
    EXPECT_EQ(model.object(0).points.size(), 3u);
    EXPECT_FALSE(model.object(0).is3d());
    EXPECT_FALSE(model.object(0).ownedMasks[kRegionMaskSlot].has_value());
    EXPECT_TRUE(prompter.entries.empty());
}

TEST(ShapeBuilder, TooManyVerticesIsRefusedWithTheMessage) {
    // 40000 separate specks need four outline vertices each.
    RasterImage specks(400, 400, 0);
    for (int y = 0; y < 400; y += 2)
        for (int x = 0; x < 400; x += 2) specks.at(x, y) = kIn;
    AnimationModel model;
    RecordingPrompter prompter;
    model.addObject(prompter);
    Result<MeshSize> r = build3dObject(model, 0, specks, {0, 0, true}, nullptr, prompter);
    EXPECT_FALSE(r.isOk());
    EXPECT_EQ(
        prompter.texts(),
        std::vector<std::string>{"Shape is too complex, please retry with lower mesh definition"});
    EXPECT_EQ(model.object(0).vertexCount, 0);
    EXPECT_FALSE(model.object(0).is3d());
}

TEST(ShapeBuilder, UserDotsKeepTheirPlaceInBonesAndBindings) {
    AnimationModel model;
    RecordingPrompter prompter;
    model.addObject(prompter);
    model.addObject(prompter);
    AnimObject& o = model.object(0);
    o.points.resize(5);
    o.vertexCount = 3;
    o.points[3].start = {7, 8, 0};
    o.points[4].start = {9, 10, 0};
    Bone bone;
    bone.dotA = 3;
    bone.dotB = 4;
    o.bones.push_back(bone);
    o.binding = {4, -1, 1, 0, -1};
    model.object(1).binding = {0, -1, 0, 3, 4};
    Result<MeshSize> r =
        build3dObject(model, 0, discMask(60, 60, 30, 30, 20), {}, nullptr, prompter);
    ASSERT_TRUE(r.isOk());
    const int n = model.object(0).vertexCount;
    ASSERT_EQ(model.object(0).points.size(), size_t(n + 2));
    EXPECT_EQ(model.object(0).points[size_t(n)].start, (Vec3{7, 8, 0}));
    EXPECT_EQ(model.object(0).points[size_t(n + 1)].start, (Vec3{9, 10, 0}));
    EXPECT_EQ(model.object(0).bones[0].dotA, n);
    EXPECT_EQ(model.object(0).bones[0].dotB, n + 1);
    EXPECT_EQ(model.object(0).binding.ownDot1, n + 1);
    EXPECT_EQ(model.object(0).binding.parentDot1, 0); // the parent's dots, untouched
    EXPECT_EQ(model.object(1).binding.parentDot1, n);
    EXPECT_EQ(model.object(1).binding.parentDot2, n + 1);
    EXPECT_EQ(model.object(1).binding.ownDot1, 0);
}

class CancelAfter : public Progress {
public:
    explicit CancelAfter(int details) : left_(details) {}
    void setDetail(std::string_view text) override {
        details.emplace_back(text);
        --left_;
    }
    bool cancelled() const override { return left_ <= 0; }
    std::vector<std::string> details;

private:
    int left_;
};

TEST(ShapeBuilder, AnnouncesItsPhasesAndCanBeCancelled) {
    RasterImage disc = discMask(60, 60, 30, 30, 20);
    {
        AnimationModel model;
        model.addObject(testing::silentPrompter());
        CancelAfter progress(100);
        RecordingPrompter prompter;
        ASSERT_TRUE(build3dObject(model, 0, disc, {}, &progress, prompter).isOk());
        std::vector<std::string> phases(progress.details.begin(), progress.details.begin() + 4);
        EXPECT_EQ(phases,
                  (std::vector<std::string>{"Building Skeleton...", "Building Surface...",
                                            "Building surface curves...", "Optimizing..."}));
        EXPECT_EQ(prompter.statuses, phases);
    }
    for (int after = 1; after <= 4; ++after) {
        AnimationModel model;
        model.addObject(testing::silentPrompter());
        CancelAfter progress(after);
        SilentPrompter silent;
        Result<MeshSize> r = build3dObject(model, 0, disc, {}, &progress, silent);
        EXPECT_FALSE(r.isOk());
        EXPECT_TRUE(r.status().isCancelled());
        EXPECT_EQ(model.object(0).vertexCount, 0);
    }
}

TEST(ShapeBuilder, SameSeedSameShape) {
    RasterImage disc = discMask(70, 50, 35, 25, 20);
    Built a(disc), b(disc);
    ASSERT_TRUE(a.result.isOk());
    ASSERT_EQ(a.object().points.size(), b.object().points.size());
    for (size_t i = 0; i < a.object().points.size(); ++i)
        EXPECT_EQ(a.object().points[i].start, b.object().points[i].start);
    EXPECT_EQ(a.object().triangles, b.object().triangles);
}

TEST(ShapeBuilder, HugeMaskIsBuiltInBoundedTime) {
    RasterImage wide = rectMask(4300, 64, 50, 12, 4250, 52);
    Built b(wide, {1, 0, true});
    ASSERT_TRUE(b.result.isOk());
    expectProperFrontMesh(b.object(), true);
    EXPECT_NEAR(b.peak(), 20, 1.5); // the bar's half thickness
}

TEST(ShapeBuilder, ApplyDepthMixesInTheDistanceProfile) {
    RasterImage disc = discMask(100, 100, 50, 50, 30);
    Built b(disc);
    ASSERT_TRUE(b.result.isOk());
    AnimObject& o = b.model.object(0);
    // Halfway out, the dome is at sqrt(3)/2 r and the cone at r/2.
    auto depthNear = [&](double d) {
        double best = 1e9, z = 0;
        for (int i = 0; i < o.vertexCount; ++i) {
            const AnimPoint& p = o.points[size_t(i)];
            if (p.flags & PointFlag::BackSurface) continue;
            double off = std::abs(std::hypot(p.texture.x - 50, p.texture.y - 50) - d);
            if (off < best) best = off, z = p.start.z;
        }
        return z;
    };
    EXPECT_NEAR(depthNear(15), 26, 2.0);
    ASSERT_TRUE(applyDepth(b.model, 0, 100));
    EXPECT_NEAR(depthNear(15), 15, 2.0);
    for (int i = 0; i < o.vertexCount; ++i) {
        const AnimPoint& p = o.points[size_t(i)];
        if (p.flags & PointFlag::BackSurface)
            EXPECT_LE(p.start.z, 0);
        else
            EXPECT_GE(p.start.z, 0);
        if (p.flags & PointFlag::Outline) {
            EXPECT_EQ(p.start.z, 0);
        }
    }
    EXPECT_FALSE(applyDepth(b.model, 5, 0));
}

TEST(ShapeBuilder, OptimizingThinsByTheDefinitionSpacing) {
    EXPECT_DOUBLE_EQ(optimizeSpacing(0, 1280), 32); // (1280 / 128)^2 = 100, limited
    EXPECT_DOUBLE_EQ(optimizeSpacing(1, 512), 4);   // (512 / 256)^2
    EXPECT_DOUBLE_EQ(optimizeSpacing(1, 100), 1);   // at least 1
    EXPECT_DOUBLE_EQ(optimizeSpacing(2, 5120), 4);  // limited to 4
    EXPECT_DOUBLE_EQ(optimizeSpacing(7, 1024), 4);

    auto vertex = [](double x, double y, int32_t flags) {
        AnimPoint p;
        p.flags = flags;
        p.texture = {x, y, 0};
        return p;
    };
    std::vector<AnimPoint> v = {
        vertex(0, 0, 0x01), // before the first 0x40 vertex: never looked at
        vertex(0.5, 0, 0x01),   vertex(10, 10, 0x41), // first: keeps, removes its close neighbours
        vertex(10.5, 10, 0x41), vertex(10, 11.5, 0x441), // protected
        vertex(13, 10, 0x41),                            // too far
        vertex(13.6, 10, 0x41),
    };
    EXPECT_EQ(optimizeVertices(v, 1, 100), 2); // spacing 1
    EXPECT_FALSE(v[0].flags & PointFlag::Deleted);
    EXPECT_FALSE(v[1].flags & PointFlag::Deleted);
    EXPECT_FALSE(v[2].flags & PointFlag::Deleted);
    EXPECT_TRUE(v[3].flags & PointFlag::Deleted);
    EXPECT_FALSE(v[4].flags & PointFlag::Deleted);
    EXPECT_FALSE(v[5].flags & PointFlag::Deleted);
    EXPECT_TRUE(v[6].flags & PointFlag::Deleted);
}

TEST(ShapeBuilder, FullImageMeshIsAFlatGrid) {
    AnimationModel model;
    model.startWidth = 640;
    model.startHeight = 480;
    SilentPrompter silent;
    ASSERT_TRUE(buildFullImageMesh(model, 1, silent)); // adds the object
    ASSERT_EQ(model.objectCount, 1);
    const AnimObject& o = model.object(0);
    // D = 800, spacing 800 / 122: 97 columns, 73 rows.
    EXPECT_EQ(o.vertexCount, 98 * 74);
    EXPECT_EQ(o.triangles.size(), size_t(2 * 97 * 73));
    EXPECT_TRUE(o.is3d());
    EXPECT_EQ(o.textureRect, (IntRect{0, 0, 640, 480}));
    for (int i = 0; i < o.vertexCount; ++i) EXPECT_EQ(o.points[size_t(i)].start.z, 0.0);
    EXPECT_NEAR(o.points[97].texture.x, 640, 1e-5);
    EXPECT_NEAR(o.points[98].texture.y, 480.0 / 73, 1e-5);
    expectProperFrontMesh(o);
    EXPECT_NEAR(testing::contourArea(o), 640 * 480, 1e-3);

    // Level 0 spacing 800 / 64; a picture much narrower than that still gets a column.
    AnimationModel narrow;
    narrow.startWidth = 2;
    narrow.startHeight = 900;
    ASSERT_TRUE(buildFullImageMesh(narrow, 0, silent));
    EXPECT_EQ(narrow.object(0).vertexCount, 2 * 64); // 900 / (900.002 / 64): 63 rows
    expectProperFrontMesh(narrow.object(0));

    // The first object of a full table is reused, not added.
    AnimationModel full;
    for (int i = 0; i < kMaxObjects; ++i) full.addObject(testing::silentPrompter());
    full.object(0).textureRect = {0, 0, 100, 100};
    EXPECT_TRUE(buildFullImageMesh(full, 2, silent));
    EXPECT_EQ(full.objectCount, kMaxObjects);
}

} // namespace
} // namespace zx
