#pragma once
// Models with every stored field set to something recognisable, and a comparison
// of exactly the fields the animation record keeps.

#include "anim/AnimationModel.h"
#include "anim/TimeCurve.h"

#include <gtest/gtest.h>

#include <memory>

namespace zx::testing {

inline std::unique_ptr<AnimationModel> emptyModel() {
    return std::make_unique<AnimationModel>();
}

inline void fillOrdinary(AnimObject& o, int seed) {
    o.flag3d = seed & 1;
    o.clearedWords = {-1, seed, 0};
    o.kindFlags = ObjectKind::InvertLight;
    o.outlineVertexCount = 3;
    o.outlineKept = 77 + seed;
    o.textureRect = {10, 20, 110, 90};
    o.secondRect = {1, 2, 3, 4 + seed};
    o.effects[EffectSlot::Rotation].startValue = 0.5f;
    o.effects[EffectSlot::Rotation].curveKind = 1;
    o.effects[EffectSlot::Rotation].points = {{0, 0.5f}, {512, 2.f}};
    o.effects[EffectSlot::Rotation].table.assign(513, 0.f);
    sampleEffectCurve(o.effects[EffectSlot::Rotation].points, 1,
                      o.effects[EffectSlot::Rotation].table);
    o.effects[EffectSlot::Opacity].points = {{0, 1.f}, {512, 0.25f}};
    o.binding = {4, -1, 0, 2, -1};
    o.hidden = 0;
    o.reverse = 1;
    o.invert = 0;
    setObjectCurve(
        o,
        TimeCurve{0, {packCurvePoint(0, 0), packCurvePoint(300, 100), packCurvePoint(512, 512)}});
    o.reverse = 1;
    resampleObjectCurve(o);
    o.secondModeRegion = 1;
    o.settingWord = 9;
    o.ownedMasks[0] = RunLengthImage{{2, 1, 0x80000002u, 0xFF00FF00u}};
    o.jointInteraction = 1.5f;
    o.skinFill = 0.2f;
    o.spin = 1000.f;
    for (int i = 0; i < 6; ++i) {
        AnimPoint p;
        p.flags = i < 4 ? PointFlag::MeshVertex : PointFlag::BindingDot;
        p.keptAfterFlags = i * 3;
        p.texture = {10.0 + i, 20.5 + i, 0.25 * i};
        p.keptAfterTexture = -i;
        p.start = {11.0 + i, 21.0 - i, 1.0 / 3};
        p.end = {30.125 + i, 40.0, -2.0};
        p.bone1 = i < 4 ? 0 : -1;
        p.bone2 = i == 1 ? 1 : -1;
        p.jointDot = i == 1 ? 4 : -1;
        p.boneWeight = 0.75f;
        p.keptAfterWeight = 5;
        p.interaction = 1.25f;
        p.jointValue = 0.1f;
        if (i == 5) p.trajectory = DotTrajectory{{1.f, 2.f, 0.f}, {3.f, 4.f, 1.f}, {5.f, 6.f, 2.f}};
        o.points.push_back(p);
    }
    o.vertexCount = 4;
    o.triangles = {MeshTriangle{0, {0, 1, 2}, 0, 0, 0},
                   MeshTriangle{TriangleFlag::Hidden, {1, 2, 3}, 0, 0, 0}};
    o.edges = {{0, 1, 2, 3}, {4, 5, 6, 7}};
    o.builderLists = {std::vector<int32_t>{1, 2}, {}, {3}};
    Bone b;
    b.flags = BoneFlag::Fixed | BoneFlag::FromStart;
    b.dotA = 4;
    b.dotB = 5;
    b.restLength = 12.5;
    b.restAngle = 1.25;
    b.keptC = -1;
    b.keptD = 1e-3;
    b.neighboursA = {1};
    b.outlineRecords = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    Bone elastic;
    elastic.dotA = 5;
    elastic.dotB = 4;
    elastic.restLength = 1;
    elastic.restAngle = 2;
    o.bones = {b, elastic};
}

inline void fillLibraryObject(AnimObject& o, const std::string& name) {
    o.libraryFlag = 1;
    o.name = name;
    o.speed = 2.f;
    o.loop = 1;
    o.recordedFirstWord = 0x1234;
    o.timeOffset = 0.25f;
    o.effects[EffectSlot::Scale].startValue = 1.5f;
    o.spin = 0;
}

inline void expectSameStoredFields(const AnimObject& a, const AnimObject& b, bool geometry = true) {
    EXPECT_EQ(a.libraryFlag, b.libraryFlag);
    EXPECT_EQ(a.flag3d, b.flag3d);
    EXPECT_EQ(a.clearedWords, b.clearedWords);
    EXPECT_EQ(a.kindFlags, b.kindFlags);
    EXPECT_EQ(a.outlineVertexCount, b.outlineVertexCount);
    EXPECT_EQ(a.outlineKept, b.outlineKept);
    EXPECT_EQ(a.vertexCount, b.vertexCount);
    EXPECT_EQ(a.textureRect, b.textureRect);
    EXPECT_EQ(a.secondRect, b.secondRect);
    EXPECT_EQ(a.effects, b.effects);
    EXPECT_EQ(a.binding, b.binding);
    EXPECT_EQ(a.hidden, b.hidden);
    EXPECT_EQ(a.curveKind, b.curveKind);
    EXPECT_EQ(a.reverse, b.reverse);
    EXPECT_EQ(a.invert, b.invert);
    EXPECT_EQ(a.spin, b.spin);
    EXPECT_EQ(a.curveTable, b.curveTable);
    EXPECT_EQ(a.curvePoints, b.curvePoints);
    if (a.isLibrary()) {
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.speed, b.speed);
        EXPECT_EQ(a.loop, b.loop);
        EXPECT_EQ(a.recordedFirstWord, b.recordedFirstWord);
        EXPECT_EQ(a.timeOffset, b.timeOffset);
        return;
    }
    EXPECT_EQ(a.secondModeRegion, b.secondModeRegion);
    EXPECT_EQ(a.settingWord, b.settingWord);
    EXPECT_EQ(a.ownedMasks, b.ownedMasks);
    EXPECT_EQ(a.jointInteraction, b.jointInteraction);
    EXPECT_EQ(a.skinFill, b.skinFill);
    if (!geometry) return;
    ASSERT_EQ(a.points.size(), b.points.size());
    for (size_t i = 0; i < a.points.size(); ++i) {
        const AnimPoint &p = a.points[i], &q = b.points[i];
        EXPECT_EQ(p.flags, q.flags);
        EXPECT_EQ(p.keptAfterFlags, q.keptAfterFlags);
        EXPECT_EQ(p.texture, q.texture);
        EXPECT_EQ(p.keptAfterTexture, q.keptAfterTexture);
        EXPECT_EQ(p.start, q.start);
        EXPECT_EQ(p.end, q.end);
        EXPECT_EQ(p.trajectory, q.trajectory);
        EXPECT_EQ(p.bone1, q.bone1);
        EXPECT_EQ(p.bone2, q.bone2);
        EXPECT_EQ(p.jointDot, q.jointDot);
        EXPECT_EQ(p.boneWeight, q.boneWeight);
        EXPECT_EQ(p.keptAfterWeight, q.keptAfterWeight);
        EXPECT_EQ(p.interaction, q.interaction);
        EXPECT_EQ(p.jointValue, q.jointValue);
    }
    ASSERT_EQ(a.triangles.size(), b.triangles.size());
    for (size_t i = 0; i < a.triangles.size(); ++i) {
        EXPECT_EQ(a.triangles[i].flags, b.triangles[i].flags);
        for (int j = 0; j < 3; ++j) EXPECT_EQ(a.triangles[i].v[j], b.triangles[i].v[j]);
    }
    EXPECT_EQ(a.edges, b.edges);
    EXPECT_EQ(a.builderLists, b.builderLists);
    ASSERT_EQ(a.bones.size(), b.bones.size());
    for (size_t i = 0; i < a.bones.size(); ++i) {
        const Bone &x = a.bones[i], &y = b.bones[i];
        EXPECT_EQ(x.flags, y.flags);
        EXPECT_EQ(x.dotA, y.dotA);
        EXPECT_EQ(x.dotB, y.dotB);
        EXPECT_EQ(x.restLength, y.restLength);
        EXPECT_EQ(x.restAngle, y.restAngle);
        EXPECT_EQ(x.keptC, y.keptC);
        EXPECT_EQ(x.keptD, y.keptD);
        EXPECT_EQ(x.neighboursA, y.neighboursA);
        EXPECT_EQ(x.neighboursB, y.neighboursB);
        EXPECT_EQ(x.outlineRecords, y.outlineRecords);
    }
}

} // namespace zx::testing
