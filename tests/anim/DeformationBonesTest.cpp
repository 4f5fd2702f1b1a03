#include "SilentTestPrompter.h"
#include "anim/BoneAssignment.h"
#include "anim/BoneTransform.h"
#include "anim/Deformation.h"

#include "DeformationTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

using testing::addObject;
using testing::boneBetween;
using testing::dotAt;
using testing::expectNear;
using testing::makeModel;
using testing::vertexAt;

// An object with two mesh vertices sitting on the rest positions of its two dots and
// one bone from dot A (point 2) to dot B (point 3); both vertices hang on the bone.
AnimObject& boneHoldingItsDots(AnimationModel& model, Vec3 restA, Vec3 restB, Vec3 endA, Vec3 endB,
                               int32_t flags) {
    AnimObject& o =
        addObject(model, {vertexAt(restA.x, restA.y, restA.z), vertexAt(restB.x, restB.y, restB.z)},
                  {dotAt(restA, endA), dotAt(restB, endB)});
    o.bones.push_back(boneBetween(2, 3, flags));
    rebuildBoneNetwork(o);
    o.points[0].bone1 = o.points[1].bone1 = 0;
    return o;
}

TEST(BoneTransform, TurnedBoneCarriesItsOwnDots) {
    struct Case {
        Vec3 endA, endB;
        int32_t flags;
    };
    const Case cases[] = {
        {{3, 4, 0}, {20, 30, 0}, BoneFlag::Fixed},   // turned, moved, stretched
        {{3, 4, 0}, {20, 30, 0}, 0},                 // elastic, in the image plane
        {{-8, 25, 0}, {-8, 5, 0}, 0},                // elastic, turned a quarter, doubled
        {{3, 4, 12}, {20, 30, -5}, BoneFlag::Fixed}, // fixed, tilted out of the plane
    };
    for (const Case& c : cases) {
        auto model = makeModel();
        AnimObject& o =
            boneHoldingItsDots(*model, {15, 10, 2}, {5, 10, 2}, c.endA, c.endB, c.flags);
        computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
        expectNear(o.points[0].current, c.endA, 1e-9);
        expectNear(o.points[1].current, c.endB, 1e-9);
        // Half way along the trajectory the bone still holds both dots.
        computeObject(*model, 0, 0.5, {}, testing::silentPrompter());
        expectNear(o.points[0].current, o.points[2].current, 1e-9);
        expectNear(o.points[1].current, o.points[3].current, 1e-9);
    }
}

TEST(BoneTransform, RestFromStartPositionsWithFlag0x40) {
    auto model = makeModel();
    AnimObject& o = boneHoldingItsDots(*model, {10, 0, 0}, {0, 0, 0}, {0, 10, 0}, {0, 0, 0},
                                       BoneFlag::FromStart);
    // Texture positions elsewhere: with 0x40 the bone must not look at them.
    for (AnimPoint& p : o.points) p.texture = {500, 500, 0};
    rebuildBoneNetwork(o);
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    expectNear(o.points[0].current, {0, 10, 0});
    expectNear(o.points[1].current, {0, 0, 0});
}

TEST(BoneTransform, ElasticBoneShortensInTheImagePlaneFixedDoesNot) {
    for (int32_t flags : {0, BoneFlag::Fixed}) {
        auto model = makeModel();
        // The dots come closer in the image plane (10 → 6) while staying 10 apart in 3D.
        AnimObject& o =
            boneHoldingItsDots(*model, {10, 0, 0}, {0, 0, 0}, {6, 0, 8}, {0, 0, 0}, flags);
        computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
        const Vec3 tip = o.points[0].current;
        const double length = std::sqrt(tip.x * tip.x + tip.y * tip.y + tip.z * tip.z);
        EXPECT_NEAR(length, flags ? 10.0 : 6.0, 1e-9) << flags;
        EXPECT_NEAR(tip.z / length, 0.8, 1e-9); // tilted with the bone either way
    }
}

// Two bones meeting at a joint: Q (point 3) → J (point 4) and J → R (point 5), the
// limb lying along the x axis, the second bone folding up by a quarter turn.
AnimObject& elbow(AnimationModel& model, Vec3 vertex, float weight, float jointValue) {
    AnimObject& o = addObject(model, {vertexAt(vertex.x, vertex.y), vertexAt(0, 0), vertexAt(0, 0)},
                              {dotAt({-10, 0, 0}, {-10, 0, 0}), dotAt({0, 0, 0}, {0, 0, 0}),
                               dotAt({10, 0, 0}, {0, 10, 0})});
    o.bones.push_back(boneBetween(3, 4));
    o.bones.push_back(boneBetween(4, 5));
    rebuildBoneNetwork(o);
    o.points[0].bone1 = 0;
    o.points[0].bone2 = 1;
    o.points[0].boneWeight = weight;
    o.points[4].jointValue = jointValue;
    return o;
}

TEST(BoneTransform, WeightPicksTheShareOfBoneOne) {
    auto model = makeModel();
    AnimObject& o = elbow(*model, {4, 3, 0}, 0, 0);
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    expectNear(o.points[0].current, {-3, 4, 0}); // bone 2 only: turned with the forearm
    o.points[0].boneWeight = 1;
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    expectNear(o.points[0].current, {4, 3, 0}); // bone 1 only: the still upper arm
    o.points[0].boneWeight = 0.5f;
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    expectNear(o.points[0].current, {0.5, 3.5, 0});
}

TEST(BoneTransform, JointCorrectionFillsTheInsideOfTheBend) {
    auto model = makeModel();
    AnimObject& o = elbow(*model, {1, 3, 0}, 0.5f, 1.0f);
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    // Blended: ((1,3) + (−3,1)) / 2 = (−1, 2), inside the bend. Across the bones it
    // sat 3 from the limb's axis at rest and now 3/√2 along the bisector, so it moves
    // out along J→V by 2 · 1 · (3 − 3/√2).
    const double grow = 1 + 2 * (3 - 3 / std::sqrt(2.0)) / std::sqrt(5.0);
    expectNear(o.points[0].current, {-grow, 2 * grow, 0}, 1e-9);

    // The outside of the bend and a joint without skin fill are left as blended.
    auto outside = makeModel();
    AnimObject& p = elbow(*outside, {1, -3, 0}, 0.5f, 1.0f);
    computeObject(*outside, 0, 1.0, {}, testing::silentPrompter());
    expectNear(p.points[0].current, {2, -1, 0});
    auto plain = makeModel();
    AnimObject& q = elbow(*plain, {1, 3, 0}, 0.5f, 0.0f);
    computeObject(*plain, 0, 1.0, {}, testing::silentPrompter());
    expectNear(q.points[0].current, {-1, 2, 0});
}

TEST(RestPose, EndPositionsTakeTheMeshAtFullProgress) {
    auto model = makeModel();
    AnimObject& o = elbow(*model, {4, 3, 0}, 0, 0);
    o.curveTable = {}; // progress would be t; the rest pose ignores time anyway
    computeRestPose(*model, 0);
    expectNear(o.points[0].end, {-3, 4, 0});
    EXPECT_EQ(o.points[0].start, (Vec3{4, 3, 0})); // start stays

    // Switching a bone between elastic and fixed changes what its rest length measures.
    o.points[5].texture.z = 10; // R rests 10 above the plane, 10 away in x
    o.bones[1].flags |= BoneFlag::Fixed;
    computeRestPose(*model, 0);
    EXPECT_NEAR(o.bones[1].restLength, std::sqrt(200.0), 1e-12);
    o.bones[1].flags &= ~BoneFlag::Fixed;
    computeRestPose(*model, 0);
    EXPECT_NEAR(o.bones[1].restLength, 10, 1e-12);
}

// ------------------------------------------------------------------ assignment

// A straight arm of two bones, dots at x = 0, 10 and 20 (points 5, 6, 7); four outline
// vertices and one interior vertex.
AnimObject& arm(AnimationModel& model) {
    AnimObject& o = addObject(
        model, {vertexAt(2, 1), vertexAt(10, 1), vertexAt(18, 1), vertexAt(11, 2), vertexAt(3, 0)},
        {dotAt({0, 0, 0}, {0, 0, 0}), dotAt({10, 0, 0}, {10, 0, 0}),
         dotAt({20, 0, 0}, {20, 0, 0})});
    o.outlineVertexCount = 4;
    o.points[4].flags |= PointFlag::Interior;
    o.bones.push_back(boneBetween(5, 6));
    o.bones.push_back(boneBetween(6, 7));
    return o;
}

TEST(BoneAssignment, NetworkNeighboursJointsAndRecords) {
    auto model = makeModel();
    AnimObject& o = arm(*model);
    o.skinFill = 0.4f;
    o.jointInteraction = 1.5f;
    o.bones.push_back(boneBetween(5, 7, BoneFlag::Detached));
    rebuildBoneNetwork(o);
    EXPECT_EQ(o.bones[0].neighboursA, std::vector<int32_t>{});
    EXPECT_EQ(o.bones[0].neighboursB, std::vector<int32_t>{1});
    EXPECT_EQ(o.bones[1].neighboursA, std::vector<int32_t>{0});
    EXPECT_TRUE(o.bones[2].neighboursA.empty() && o.bones[2].outlineRecords.empty());
    EXPECT_TRUE(o.points[6].flags & PointFlag::Joint);
    EXPECT_FALSE(o.points[5].flags & PointFlag::Joint);
    EXPECT_FLOAT_EQ(o.points[6].interaction, 1.5f);
    EXPECT_FLOAT_EQ(o.points[7].jointValue, 0.4f);
    EXPECT_NEAR(o.bones[0].restAngle, M_PI, 1e-12); // from B towards A
    EXPECT_NEAR(o.bones[0].restLength, 10, 1e-12);

    ASSERT_EQ(o.bones[1].outlineRecords.size(), 4u);
    const OutlineRecord& r = o.bones[1].outlineRecords[0]; // (2,1) against 10…20
    EXPECT_FLOAT_EQ(outlineRecordDistance(r), std::sqrt(65.0f));
    EXPECT_EQ(outlineRecordSides(r), OutlineSide::BeyondA);
    EXPECT_EQ(outlineRecordSides(o.bones[0].outlineRecords[2]), OutlineSide::BeyondB);

    o.flag3d = 1;
    rebuildBoneNetwork(o);
    EXPECT_EQ(o.points[6].jointValue, 0.0f);
}

TEST(BoneAssignment, TwoBonesBlendNearTheJointOnly) {
    auto model = makeModel();
    AnimObject& o = arm(*model);
    assignVerticesToBones(*model, 0);
    // Along the upper arm: bone 0 alone (the side bits never hand it to the forearm).
    EXPECT_EQ(o.points[0].bone1, 0);
    EXPECT_EQ(o.points[0].bone2, -1);
    EXPECT_EQ(o.points[0].jointDot, -1);
    // Right over the joint: both, half each, bending about dot 6.
    EXPECT_EQ(o.points[1].bone1, 0);
    EXPECT_EQ(o.points[1].bone2, 1);
    EXPECT_EQ(o.points[1].jointDot, 6);
    EXPECT_FLOAT_EQ(o.points[1].boneWeight, 0.5f);
    EXPECT_EQ(o.points[2].bone1, 1);
    EXPECT_EQ(o.points[2].bone2, -1);
    // Distances 2 and √5 with interaction 1.25: ½ − ln(2/√5) / (2 ln 1.25).
    EXPECT_EQ(o.points[3].bone1, 1);
    EXPECT_EQ(o.points[3].bone2, 0);
    EXPECT_NEAR(o.points[3].boneWeight, 0.5 - std::log(2 / std::sqrt(5.0)) / (2 * std::log(1.25)),
                1e-6);
    // The interior vertex copies its nearest outline vertex (2,1).
    EXPECT_EQ(o.points[4].bone1, 0);
    EXPECT_EQ(o.points[4].bone2, -1);
}

TEST(BoneAssignment, FewDotsOrBones) {
    auto model = makeModel();
    AnimObject& o = addObject(*model, {vertexAt(0, 0), vertexAt(1, 1)});
    o.points[0].bone1 = 3;
    assignVerticesToBones(*model, 0);
    EXPECT_EQ(o.points[0].bone1, -1);
    EXPECT_EQ(o.points[0].jointDot, -1);

    o.points.push_back(dotAt({0, 0, 0}, {1, 0, 0}));
    assignVerticesToBones(*model, 0);
    EXPECT_EQ(o.points[1].bone1, -1);
    EXPECT_EQ(o.points[1].jointDot, 2); // the mesh follows that dot

    o.points.push_back(dotAt({5, 0, 0}, {5, 0, 0}));
    assignVerticesToBones(*model, 0);
    EXPECT_EQ(o.points[1].bone1, -1);
    o.bones.push_back(boneBetween(2, 3));
    assignVerticesToBones(*model, 0);
    EXPECT_EQ(o.points[0].bone1, 0);
    EXPECT_EQ(o.points[0].bone2, -1);
    EXPECT_EQ(o.points[0].jointDot, -1);
}

TEST(BoneAssignment, WithoutOutlineCountEveryVertexMeasuresItself) {
    auto model = makeModel();
    AnimObject& o = arm(*model);
    o.outlineVertexCount = 0;
    o.points[4].start = o.points[4].texture = {19, 0, 0};
    assignVerticesToBones(*model, 0);
    EXPECT_EQ(o.points[4].bone1, 1);
    EXPECT_TRUE(o.bones[0].outlineRecords.empty());
}

TEST(BoneAssignment, LibraryObjectsAreLeftAlone) {
    auto model = makeModel();
    AnimObject& o = arm(*model);
    o.libraryFlag = 1;
    o.points[0].bone1 = 7;
    assignVerticesToBones(*model, 0);
    EXPECT_EQ(o.points[0].bone1, 7);
}

} // namespace
} // namespace zx
