#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/RegionObjects.h"

#include "MeshQuality.h"
#include "SampleRegions.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

using namespace zx;
using namespace zx::test;

// The backdrop of each sample clicked away leaves its subjects as regions; every
// region's mesh must be clean and cover it at every definition.
TEST(SampleMesh, PhotoRegionsMeshCleanlyAtEveryDefinition) {
    struct Sample {
        const char* name;
        int x, y;
    };
    for (const Sample& s : {Sample{"astronaut.png", 470, 60}, Sample{"chelsea.png", 440, 80}}) {
        std::optional<SampleCut> cut = cutSample(s.name, s.x, s.y);
        ASSERT_TRUE(cut) << s.name;
        int previousTriangles = 0;
        for (int definition = 0; definition <= 2; ++definition) {
            AnimationModel model;
            model.defaultSettingWord = definition;
            SilentPrompter silent;
            InitRegionsResult init =
                initDotsToRegions(model, cut->region, RegionMode::Contours, silent);
            ASSERT_GT(init.created, 0) << s.name;
            RebuildOptions options(silent);
            Result<RebuildCounts> built = rebuildMeshes(model, options);
            ASSERT_TRUE(built);
            EXPECT_EQ(built->removed, 0) << s.name << " at " << definition;
            int triangles = 0;
            for (int slot = 0; slot < model.objectCount; ++slot) {
                const AnimObject& o = model.object(slot);
                std::optional<RasterImage> region = objectRegionMask(o);
                ASSERT_TRUE(region);
                MeshQualityReport q = measureMesh(o, *region);
                triangles += q.triangles;
                EXPECT_EQ(q.inverted, 0) << s.name << " object " << slot;
                EXPECT_LE(q.overlapShare(), 0.001) << s.name << " object " << slot;
                EXPECT_LE(q.uncoveredShare(), 0.01) << s.name << " object " << slot;
            }
            EXPECT_GT(triangles, previousTriangles) << s.name << " at " << definition;
            previousTriangles = triangles;
        }
    }
}
