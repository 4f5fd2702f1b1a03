#include "mesh3d/SelectionMesh.h"
#include "SilentTestPrompter.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/RegionObjects.h"
#include "platform/RecordingPrompter.h"

#include "MeshQuality.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

using namespace zx;
using namespace zx::test;

namespace {

AnimationModel modelOfSize(int w, int h) {
    AnimationModel m;
    m.startWidth = w;
    m.startHeight = h;
    m.defaultSettingWord = 1;
    return m;
}

std::vector<IntPoint> box(int l, int t, int r, int b) {
    return {{l, t}, {r, t}, {r, b}, {l, b}};
}

int64_t regionPixels(const AnimObject& o) {
    std::optional<RasterImage> m = objectRegionMask(o);
    int64_t n = 0;
    if (m)
        for (uint32_t w : m->pixelVector()) n += (w & 0x200) ? 1 : 0;
    return n;
}

void expectClean(const AnimObject& o) {
    std::optional<RasterImage> region = objectRegionMask(o);
    ASSERT_TRUE(region);
    MeshQualityReport q = measureMesh(o, *region);
    EXPECT_GT(q.triangles, 0);
    EXPECT_EQ(q.inverted, 0);
    EXPECT_LE(q.overlapShare(), 0.001);
    EXPECT_LE(q.uncoveredShare(), 0.01);
}

} // namespace

TEST(SelectionMesh, ConvertMakesASelectedUserRegion) {
    AnimationModel model = modelOfSize(100, 80);
    SilentPrompter silent;
    RebuildOptions options(silent);
    const std::vector<uint32_t> packed = {10 | (10u << 16), 60 | (10u << 16), 35 | (60u << 16),
                                          10 | (10u << 16), kSelectionEnd,    99};
    const std::vector<IntPoint> polygon = unpackSelectionPolygon(packed);
    ASSERT_EQ(polygon.size(), 4u);
    Result<SelectionMeshChange> r = convertToMesh(model, polygon, options);
    ASSERT_TRUE(r.isOk());
    EXPECT_EQ(r->label, "Convert to Mesh");
    EXPECT_EQ(model.objectCount, 1);
    EXPECT_EQ(model.selectedObject, 0);
    EXPECT_EQ(model.object(0).kindFlags, ObjectKind::UserRegion);
    EXPECT_EQ(model.object(0).textureRect, (IntRect{10, 10, 61, 61}));
    expectClean(model.object(0));
    EXPECT_EQ(unpackSelectionPolygon(std::vector<uint32_t>{0xFFFEFFFFu, kSelectionEnd})[0],
              (IntPoint{-1, -2}));
}

TEST(SelectionMesh, ConvertRefusesShortSelectionsAndAFullTable) {
    AnimationModel model = modelOfSize(50, 50);
    RecordingPrompter prompter;
    RebuildOptions options(prompter);
    EXPECT_FALSE(
        convertToMesh(model, std::vector<IntPoint>{{1, 1}, {20, 1}, {1, 1}}, options).isOk());
    EXPECT_EQ(model.objectCount, 0);
    for (int i = 0; i < 256; ++i) model.addObject(zx::testing::silentPrompter());
    EXPECT_FALSE(convertToMesh(model, box(5, 5, 30, 30), options).isOk());
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Maximum number of regions/objects reached!!!"});
}

TEST(SelectionMesh, SplitCutAndAddChangeTheRegionAndRemesh) {
    AnimationModel model = modelOfSize(120, 100);
    SilentPrompter silent;
    initDotsToRegions(model, rectMask(120, 100, 10, 10, 90, 70), RegionMode::Contours, silent);
    RebuildOptions options(silent);
    const Result<RebuildCounts> built = rebuildMeshes(model, options);
    ASSERT_TRUE(built);
    ASSERT_EQ(built->built, 1);
    const int64_t whole = regionPixels(model.object(0));
    EXPECT_EQ(whole, 80 * 60);

    // Split at x = 50: the right part becomes object 1.
    const auto right = box(50, 0, 119, 99);
    EXPECT_EQ(objectTouchedBySelection(model, right), 0);
    Result<SelectionMeshChange> split = splitMesh(model, 0, right, options);
    ASSERT_TRUE(split.isOk());
    EXPECT_EQ(split->label, "Split Mesh");
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_EQ(regionPixels(model.object(0)) + regionPixels(model.object(1)), whole);
    EXPECT_EQ(model.object(1).textureRect, (IntRect{50, 10, 90, 70}));
    expectClean(model.object(0));
    expectClean(model.object(1));

    // Cut a notch out of object 0, then add a tab to it.
    Result<SelectionMeshChange> cut = cutMesh(model, 0, box(10, 10, 20, 20), options);
    ASSERT_TRUE(cut.isOk());
    EXPECT_EQ(cut->label, "Cut Mesh");
    EXPECT_EQ(regionPixels(model.object(0)), 40 * 60 - 11 * 11) << "the polygon's outline counts";
    expectClean(model.object(0));
    Result<SelectionMeshChange> add = addToMesh(model, 0, box(0, 80, 30, 95), options);
    ASSERT_TRUE(add.isOk());
    EXPECT_EQ(add->label, "Add to Mesh");
    EXPECT_EQ(regionPixels(model.object(0)), 40 * 60 - 121 + 31 * 16);
    expectClean(model.object(0));
}

TEST(SelectionMesh, CommandsThatWouldChangeNothingOrEverythingDoNothing) {
    AnimationModel model = modelOfSize(80, 60);
    SilentPrompter silent;
    initDotsToRegions(model, rectMask(80, 60, 10, 10, 40, 40), RegionMode::Contours, silent);
    RebuildOptions options(silent);
    ASSERT_TRUE(rebuildMeshes(model, options));
    const AnimObject before = model.object(0);
    const auto far = box(60, 45, 75, 55);
    EXPECT_EQ(objectTouchedBySelection(model, far), -1);
    EXPECT_FALSE(splitMesh(model, 0, far, options).isOk()) << "nothing of the object inside";
    EXPECT_FALSE(cutMesh(model, 0, far, options).isOk());
    EXPECT_FALSE(splitMesh(model, 0, box(0, 0, 79, 59), options).isOk()) << "nothing left outside";
    EXPECT_FALSE(cutMesh(model, 0, box(0, 0, 79, 59), options).isOk()) << "would leave no region";
    EXPECT_FALSE(addToMesh(model, 0, box(15, 15, 30, 30), options).isOk()) << "already inside";
    EXPECT_FALSE(addToMesh(model, 3, box(15, 15, 30, 30), options).isOk()) << "no such object";
    EXPECT_EQ(model.objectCount, 1);
    EXPECT_EQ(model.object(0).triangles, before.triangles);
    EXPECT_EQ(model.object(0).ownedMasks[0], before.ownedMasks[0]);
}
