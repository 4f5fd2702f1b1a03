#include "SilentTestPrompter.h"
#include "mesh3d/FlatShapeBuilder.h"
#include "mesh3d/MeshBuildContext.h"
#include "mesh3d/ObjectMesh.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/RegionObjects.h"
#include "mesh3d/Triangulate.h"
#include "platform/Progress.h"
#include "platform/RecordingPrompter.h"
#include "storage/RunLengthImage.h"

#include "MeshQuality.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

using namespace zx;
using namespace zx::test;

namespace {

struct Built {
    AnimationModel model;
    RecordingPrompter prompter;
    Status status;
};

// Regions of `region` become objects (one per contour) at `definition`, meshed flat.
void buildRegions(Built& b, const RasterImage& region, int definition,
                  RegionMode mode = RegionMode::Contours) {
    b.model.defaultSettingWord = definition;
    initDotsToRegions(b.model, region, mode, b.prompter);
    RebuildOptions options(b.prompter);
    b.status = rebuildMeshes(b.model, options).status();
}

void expectGoodMesh(const AnimObject& o, const RasterImage& region, const char* what) {
    MeshQualityReport q = measureMesh(o, region);
    EXPECT_GT(q.triangles, 0) << what;
    EXPECT_EQ(q.inverted, 0) << what;
    EXPECT_LE(q.overlapShare(), 0.001)
        << what << ": overlap " << q.overlapArea << " of " << q.areaSum;
    EXPECT_LE(q.uncoveredShare(), 0.01)
        << what << ": " << q.uncovered << " of " << q.interiorPixels << " pixels uncovered";
    // Every triangle names mesh vertices only.
    for (const MeshTriangle& t : o.triangles)
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(t.v[k], 0);
            ASSERT_LT(t.v[k], o.vertexCount);
        }
}

class DetailLog : public Progress {
public:
    void setTitle(std::string_view t) override { title = t; }
    void setDetail(std::string_view d) override { details.emplace_back(d); }
    std::string title;
    std::vector<std::string> details;
};

} // namespace

TEST(MeshBuild, SyntheticRegionsGiveCleanCoveringMeshesAtEveryDefinition) {
    struct Case {
        const char* name;
        RasterImage mask;
    };
    std::vector<Case> cases;
    cases.push_back({"disc", discMask(120, 110, 60.3, 54.7, 45)});
    cases.push_back({"ring", discMask(120, 120, 60, 60, 50, 22)});
    RasterImage l = rectMask(100, 100, 10, 10, 40, 90);
    cases.push_back({"L-shape", rectMask(100, 100, 10, 60, 90, 90, l)});
    cases.push_back({"touching the border", discMask(80, 60, 0, 30, 40)});
    cases.push_back({"thin bar", rectMask(200, 20, 5, 8, 195, 11)});
    for (int definition = 0; definition <= 2; ++definition)
        for (const Case& c : cases) {
            Built b;
            buildRegions(b, c.mask, definition);
            ASSERT_EQ(b.model.objectCount, 1) << c.name;
            std::string what = std::string(c.name) + " at " + std::to_string(definition);
            expectGoodMesh(b.model.object(0), c.mask, what.c_str());
            EXPECT_TRUE(b.prompter.entries.empty()) << what;
        }
}

TEST(MeshBuild, DefinitionRefinesTheMesh) {
    const RasterImage disc = discMask(200, 200, 100, 100, 90);
    int previous = 0;
    for (int definition = 0; definition <= 2; ++definition) {
        Built b;
        buildRegions(b, disc, definition);
        ASSERT_EQ(b.model.objectCount, 1);
        const AnimObject& o = b.model.object(0);
        EXPECT_GT(o.vertexCount, previous);
        previous = o.vertexCount;
        EXPECT_GT(o.outlineVertexCount, 0);
        EXPECT_LT(o.outlineVertexCount, o.vertexCount);
        // The outline vertices come first and are protected from thinning.
        for (int i = 0; i < o.outlineVertexCount; ++i)
            EXPECT_EQ(o.points[i].flags, 0x41 | PointFlag::Outline | PointFlag::Protected);
        for (int i = o.outlineVertexCount; i < o.vertexCount; ++i)
            EXPECT_EQ(o.points[i].flags, 0x41);
    }
    EXPECT_DOUBLE_EQ(flatVertexSpacing(1, 160), 10.0) << "a 160 pixel curve sampled every 10";
    EXPECT_DOUBLE_EQ(flatVertexSpacing(0, 160), 20.0);
    EXPECT_DOUBLE_EQ(flatVertexSpacing(7, 160), 5.0);
    EXPECT_DOUBLE_EQ(flatVertexSpacing(2, 3), 2.0) << "never below two pixels";
}

TEST(MeshBuild, ContourListClosesEachOutlineLoop) {
    Built b;
    buildRegions(b, discMask(120, 120, 60, 60, 50, 22), 1); // a ring: two loops
    const AnimObject& o = b.model.object(0);
    const std::vector<ContourRun> runs = contourRuns(objectContourList(o));
    ASSERT_EQ(runs.size(), 2u);
    int total = 0;
    for (const ContourRun& r : runs) {
        EXPECT_TRUE(r.closed);
        total += int(r.indices.size());
    }
    EXPECT_EQ(total, o.outlineVertexCount);
    ASSERT_FALSE(o.outline.empty());
    EXPECT_EQ(o.outline.back(), 0x80008000u);
    // The edge set holds every outline edge, and none of them is outer.
    int outer = 0;
    for (const MeshEdge& e : o.edges) outer += e[EdgeField::Outer];
    EXPECT_GT(outer, 0) << "edges across the hole lie outside the region";
}

TEST(MeshBuild, RebuildShowsItsProgressTextsAndClearsTheStatus) {
    Built b;
    b.model.defaultSettingWord = 1;
    SilentPrompter silent;
    initDotsToRegions(b.model, discMask(60, 60, 30, 30, 20), RegionMode::Contours, silent);
    DetailLog progress;
    RebuildOptions options(b.prompter, &progress);
    b.model.selectedObject = 0;
    ASSERT_TRUE(rebuildMeshes(b.model, options));
    EXPECT_EQ(progress.title, "Building 3d shape, please wait....");
    ASSERT_GE(progress.details.size(), 2u);
    EXPECT_EQ(progress.details[0], "Building contours...");
    EXPECT_EQ(progress.details[1], "Building Mesh...");
    ASSERT_GE(b.prompter.statuses.size(), 3u);
    EXPECT_EQ(b.prompter.statuses.front(), "Building contours...");
    EXPECT_EQ(b.prompter.statuses.back(), "");
    EXPECT_EQ(b.model.selectedObject, -1);
}

TEST(MeshBuild, CancelledRebuildSaysSoAndDropsTheObjectsLeftWithoutMesh) {
    Built b;
    RasterImage two = discMask(120, 60, 30, 30, 20);
    const RasterImage second = discMask(120, 60, 90, 30, 20);
    for (size_t i = 0; i < two.pixelCount(); ++i) two.pixels()[i] |= second.pixels()[i];
    initDotsToRegions(b.model, two, RegionMode::Contours, b.prompter);
    ASSERT_EQ(b.model.objectCount, 2);
    NullProgress progress;
    progress.cancel();
    const Result<RebuildCounts> r = rebuildMeshes(b.model, RebuildOptions(b.prompter, &progress));
    EXPECT_TRUE(r.status().isCancelled());
    EXPECT_EQ(b.model.objectCount, 0);
    EXPECT_TRUE(b.prompter.entries.empty()) << "cancelling is not a message";
}

TEST(MeshBuild, OnePixelAndTinyRegionsMeshWithoutTrouble) {
    RasterImage m(30, 30);
    m.at(5, 5) = 0x2FF;                  // one pixel
    m.at(10, 10) = m.at(11, 11) = 0x2FF; // two diagonal pixels: one region
    m.at(29, 29) = 0x2FF;                // in the corner
    Built b;
    buildRegions(b, m, 2);
    EXPECT_EQ(b.model.objectCount, 3);
    for (int s = 0; s < b.model.objectCount; ++s) {
        const AnimObject& o = b.model.object(s);
        EXPECT_GE(o.triangles.size(), 2u);
        const MeshQualityReport q = measureMesh(o, m);
        EXPECT_EQ(q.inverted, 0);
        EXPECT_LE(q.overlapShare(), 0.001);
    }
    EXPECT_EQ(b.model.object(0).textureRect, (IntRect{5, 5, 6, 6}));
}

TEST(MeshBuild, EmptyMaskMakesNoObject) {
    Built b;
    buildRegions(b, RasterImage(50, 40), 1);
    EXPECT_EQ(b.model.objectCount, 0);
    EXPECT_TRUE(b.prompter.entries.empty());
    Built none;
    buildRegions(none, RasterImage(), 1);
    EXPECT_EQ(none.model.objectCount, 0);
}

TEST(MeshBuild, ThousandsOfTinyRegionsStopAtTheObjectLimit) {
    RasterImage m(400, 400);
    for (int y = 1; y < 400; y += 4)
        for (int x = 1; x < 400; x += 4) m.at(x, y) = 0x2FF; // 10 000 specks
    AnimationModel model;
    RecordingPrompter prompter;
    InitRegionsResult r = initDotsToRegions(model, m, RegionMode::Contours, prompter);
    EXPECT_EQ(r.created, 256);
    EXPECT_TRUE(r.limitReached);
    EXPECT_EQ(model.objectCount, 256);
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Warning: Maximum count of regions/objects reached"});
    // A second run has no room at all.
    prompter.clear();
    r = initDotsToRegions(model, m, RegionMode::Rectangles, prompter);
    EXPECT_EQ(r.created, 0);
    EXPECT_TRUE(prompter.saw("Warning: Maximum count of regions/objects reached"));
    SilentPrompter silent;
    RebuildOptions options(silent);
    Result<RebuildCounts> rr = rebuildMeshes(model, options);
    ASSERT_TRUE(rr);
    EXPECT_EQ(rr->built, 256);
}

TEST(MeshBuild, RectanglesAndFullImageModes) {
    RasterImage m = discMask(100, 80, 30, 30, 20);
    m = rectMask(100, 80, 70, 50, 90, 75, m);
    Built rects;
    buildRegions(rects, m, 1, RegionMode::Rectangles);
    ASSERT_EQ(rects.model.objectCount, 2);
    EXPECT_EQ(rects.model.object(0).textureRect, (IntRect{10, 10, 51, 51}));
    // The disc's rectangle object covers its whole box.
    const RasterImage box = rectMask(100, 80, 10, 10, 51, 51);
    expectGoodMesh(rects.model.object(0), box, "rectangle");

    Built full;
    buildRegions(full, m, 1, RegionMode::FullImage);
    ASSERT_EQ(full.model.objectCount, 1);
    EXPECT_EQ(full.model.object(0).textureRect, (IntRect{0, 0, 100, 80}));
    expectGoodMesh(full.model.object(0), rectMask(100, 80, 0, 0, 100, 80), "full image");
    EXPECT_EQ(initDotsLabel(RegionMode::FullImage), "Init Dots to Full Image");
    EXPECT_EQ(initDotsLabel(RegionMode::Rectangles), "Init Dots to Rectangles");
}

TEST(MeshBuild, LargeMaskFinishes) {
    // More than 4096 pixels on a side.
    RasterImage m(4200, 300);
    m = rectMask(4200, 300, 0, 100, 4200, 200, m);
    Built b;
    buildRegions(b, m, 0);
    ASSERT_EQ(b.model.objectCount, 1);
    expectGoodMesh(b.model.object(0), m, "long bar");
}

TEST(MeshBuild, RegionSurvivesItsCoding) {
    const RasterImage ring = discMask(70, 50, 35, 25, 20, 8);
    AnimObject o;
    setObjectRegionMask(o, ring);
    std::optional<RasterImage> back = objectRegionMask(o);
    ASSERT_TRUE(back);
    for (size_t i = 0; i < ring.pixelCount(); ++i)
        ASSERT_EQ(back->pixels()[i] & 0x200, ring.pixels()[i] & 0x200);
    std::optional<RegionCrop> crop = objectRegionCrop(o);
    ASSERT_TRUE(crop);
    EXPECT_EQ(crop->bounds, regionBounds(ring));
    EXPECT_EQ(crop->left, crop->bounds.left - 1);
    for (int y = 0; y < crop->mask.height(); ++y)
        for (int x = 0; x < crop->mask.width(); ++x)
            ASSERT_EQ(crop->mask.at(x, y) & 0x200, ring.at(x + crop->left, y + crop->top) & 0x200);
    // The coding equals the picture coder's.
    RasterImage clean(70, 50);
    for (size_t i = 0; i < ring.pixelCount(); ++i)
        clean.pixels()[i] = (ring.pixels()[i] & 0x200) ? 0x2FF : 0;
    EXPECT_EQ(o.ownedMasks[0]->words, encodeRunLength(clean).words);
    AnimObject damaged;
    damaged.ownedMasks[0] = RunLengthImage{{70, 50, 0x80000005u}};
    EXPECT_FALSE(objectRegionCrop(damaged));
    EXPECT_FALSE(objectRegionMask(damaged));
}

TEST(MeshBuild, AddVertexMergesEqualPointsAndStopsAtTheLimit) {
    RecordingPrompter prompter;
    MeshBuildContext ctx(prompter);
    const int32_t a = ctx.addVertex(3.5, 4.25, 0, 0);
    EXPECT_EQ(ctx.addVertex(3.5, 4.25, 9, 0x400), a) << "z is not compared";
    EXPECT_NE(ctx.addVertex(3.5, 4.26, 0, 0), a);
    EXPECT_EQ(ctx.vertices[a].flags, 0x41);
    // Fill to the limit: 131071 vertices, then the message and -1.
    for (int i = ctx.vertexCount(); i < VertexRegistry::kMaxVertices; ++i)
        ASSERT_GE(ctx.addVertex(i + 10, 0, 0, 0), 0);
    EXPECT_EQ(ctx.vertexCount(), 131071);
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(ctx.addVertex(-1, -1, 0, 0), -1);
    EXPECT_TRUE(ctx.failed());
    EXPECT_EQ(
        prompter.texts(),
        std::vector<std::string>{"Shape is too complex, please retry with lower mesh definition"});
    EXPECT_EQ(ctx.addVertex(-2, -1, 0, 0), -1);
    EXPECT_EQ(prompter.entries.size(), 1u) << "reported once";
}

TEST(MeshBuild, FullRegistryProbeEnds) {
    VertexRegistry reg;
    std::vector<double> xs, ys;
    for (int i = 0; i < VertexRegistry::kSlots; ++i) {
        xs.push_back(i);
        ys.push_back(0);
        ASSERT_TRUE(reg.insert(i, 0, 0, i));
    }
    EXPECT_FALSE(reg.insert(-5, 0, 0, 7)) << "no slot left";
    EXPECT_EQ(reg.find(-5, 0, 0, xs, ys), -1) << "a full table is searched once round";
    EXPECT_EQ(reg.find(77, 0, 0, xs, ys), 77);
    EXPECT_EQ(VertexRegistry::hashSlot(10, 2, 3), (3 + 10 + 125) & 0x1FFFF);
    EXPECT_EQ(VertexRegistry::hashSlot(0, -4, 0), (0 - 250 + 0x20000) & 0x1FFFF);
}

TEST(MeshBuild, CurveSamplingFollowsTheDefinition) {
    SilentPrompter silent;
    MeshBuildContext ctx(silent);
    Rng rng(9);
    const int32_t e = ctx.addVertex(160, 0, 0, 0);
    std::vector<int32_t> curve = ctx.sampleCurve({0, 0, 0}, e, samplesPerCurve(1), rng);
    ASSERT_EQ(curve.size(), 17u);
    EXPECT_EQ(curve[15], -1);
    EXPECT_EQ(curve[16], e);
    EXPECT_EQ(ctx.vertices[curve[0]].texture, (Vec3{0, 0, 0})) << "the start is not jittered";
    for (int k = 1; k <= 14; ++k) {
        const Vec3 p = ctx.vertices[curve[k]].texture;
        EXPECT_NEAR(p.x, 10.0 * k, 1e-6);
        EXPECT_NEAR(p.y, 0, 1e-6);
        EXPECT_NE(p.y, 0) << "sampled points are nudged";
        EXPECT_EQ(ctx.curveEnd[curve[k]], e);
    }
    EXPECT_EQ(samplesPerCurve(0), 8);
    EXPECT_EQ(samplesPerCurve(2), 32);
    EXPECT_EQ(samplesPerCurve(-3), 32);
}

TEST(MeshBuild, MeshDefinitionCommandsRebuildAndKeepUserDots) {
    Built b;
    buildRegions(b, discMask(100, 100, 50, 50, 40), 0);
    ASSERT_EQ(b.model.objectCount, 1);
    AnimObject& o = b.model.object(0);
    // Two user dots joined by a bone, and a second object bound to the first dot.
    AnimPoint dot;
    dot.texture = dot.start = dot.end = {50, 50, 0};
    o.points.push_back(dot);
    dot.texture = dot.start = dot.end = {60, 50, 0};
    o.points.push_back(dot);
    Bone bone;
    bone.dotA = o.vertexCount;
    bone.dotB = o.vertexCount + 1;
    o.bones.push_back(bone);
    const int child = b.model.addObject(zx::testing::silentPrompter());
    b.model.object(child).binding = {0, -1, 0, o.vertexCount, -1};
    const int before = o.vertexCount;
    SilentPrompter silent;
    RebuildOptions options(silent);
    ASSERT_TRUE(changeMeshDefinition(b.model, 0, +1, options));
    AnimObject& after = b.model.object(0);
    EXPECT_EQ(after.settingWord, 1);
    EXPECT_GT(after.vertexCount, before);
    ASSERT_EQ(after.userDotCount(), 2);
    EXPECT_EQ(after.bones[0].dotA, after.vertexCount);
    EXPECT_EQ(after.bones[0].dotB, after.vertexCount + 1);
    EXPECT_EQ(after.points[after.vertexCount + 1].texture, (Vec3{60, 50, 0}));
    EXPECT_EQ(b.model.object(child).binding.parentDot1, after.vertexCount);
    EXPECT_FALSE(after.triangles.empty());
    int assigned = 0;
    for (int i = 0; i < after.vertexCount; ++i) assigned += after.points[i].bone1 == 0 ? 1 : 0;
    EXPECT_EQ(assigned, after.vertexCount) << "the new vertices hang on the bone again";
    EXPECT_FALSE(after.bones[0].outlineRecords.empty());
    EXPECT_TRUE(changeMeshDefinition(b.model, 0, +1, options));
    EXPECT_FALSE(changeMeshDefinition(b.model, 0, +1, options)) << "2 is the highest level";
    EXPECT_TRUE(changeMeshDefinition(b.model, 0, -2, options));
    EXPECT_EQ(b.model.object(0).settingWord, 0);
    EXPECT_FALSE(changeMeshDefinition(b.model, 1, +1, options)) << "no region: nothing to rebuild";
}

TEST(MeshBuild, QualityMeasureCatchesOverlapsFlipsAndHoles) {
    // Its own check first: a square of two triangles is clean; a third triangle over
    // it overlaps, a flipped one is inverted, and a missing one leaves pixels bare.
    const RasterImage square = rectMask(20, 20, 2, 2, 18, 18);
    AnimObject o;
    for (Vec3 p :
         {Vec3{1.5, 1.5, 0}, Vec3{17.5, 1.5, 0}, Vec3{17.5, 17.5, 0}, Vec3{1.5, 17.5, 0}}) {
        AnimPoint ap;
        ap.texture = p;
        o.points.push_back(ap);
    }
    o.vertexCount = 4;
    auto tri = [](int a, int b, int c) {
        MeshTriangle t;
        t.v[0] = a;
        t.v[1] = b;
        t.v[2] = c;
        return t;
    };
    o.triangles = {tri(0, 1, 2), tri(0, 2, 3)};
    MeshQualityReport q = measureMesh(o, square);
    EXPECT_EQ(q.inverted, 0);
    EXPECT_LE(q.overlapShare(), 0.001);
    EXPECT_EQ(q.uncovered, 0);
    EXPECT_NEAR(q.areaSum, 256, 1e-9);

    o.triangles.push_back(tri(0, 1, 3));
    q = measureMesh(o, square);
    EXPECT_GT(q.overlapShare(), 0.3);
    EXPECT_EQ(q.inverted, 0);

    o.triangles = {tri(0, 1, 2), tri(0, 3, 2), tri(1, 2, 3)};
    EXPECT_EQ(measureMesh(o, square).inverted, 1);

    o.triangles = {tri(0, 1, 2)};
    q = measureMesh(o, square);
    EXPECT_GT(q.uncoveredShare(), 0.4);
}
