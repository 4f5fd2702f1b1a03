#include "anim/AnimationModel.h"
#include "SilentTestPrompter.h"
#include "anim/TimeCurve.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <memory>

namespace zx {
namespace {

// Models are large (256 slots); keep them off the test's stack.
std::unique_ptr<AnimationModel> makeModel() {
    return std::make_unique<AnimationModel>();
}

TEST(AnimationModel, ClearedSlotHasEveryDefault) {
    auto m = makeModel();
    m->lastFrameIndex = 41;
    m->defaultSettingWord = 7;
    AnimObject& o = m->object(5);
    o.libraryFlag = 1;
    o.kindFlags = ObjectKind::ConductorBox;
    o.hidden = 1;
    o.binding.parentObject = 2;
    o.effects[EffectSlot::Scale].startValue = 3;
    o.effects[EffectSlot::Blur].table.assign(513, 1.f);
    o.points.resize(4);
    o.curvePoints = {packCurvePoint(0, 0)};
    o.speed = 3;
    o.textureRect = {1, 2, 3, 4};
    m->clearSlot(5);

    const AnimObject& c = m->object(5);
    for (int i = 0; i < kEffectCount; ++i) {
        bool one = i == EffectSlot::Scale || i == EffectSlot::Inflation || i == EffectSlot::Opacity;
        EXPECT_EQ(c.effects[i].startValue, one ? 1.f : 0.f) << i;
        EXPECT_TRUE(c.effects[i].table.empty());
        EXPECT_TRUE(c.effects[i].points.empty());
    }
    EXPECT_EQ(c.binding, ObjectBinding{});
    EXPECT_EQ(c.binding.ownDot1, -1);
    EXPECT_EQ(c.hidden, 0);
    EXPECT_EQ(c.kindFlags, 0);
    EXPECT_EQ(c.libraryFlag, 0);
    EXPECT_EQ(c.clearedWords, (std::array<int32_t, 3>{-1, -1, 0}));
    EXPECT_EQ(c.speed, 1.f);
    EXPECT_EQ(c.jointInteraction, 1.25f);
    EXPECT_EQ(c.ownLastFrame, 41);
    EXPECT_EQ(c.settingWord, 7);
    EXPECT_TRUE(c.points.empty());
    EXPECT_TRUE(c.curvePoints.empty());
    EXPECT_TRUE(c.curveTable.empty());
    EXPECT_EQ(c.textureRect, IntRect{});
}

TEST(AnimationModel, ClearFlagsKeepGeometryOrIdentity) {
    auto m = makeModel();
    AnimObject& o = m->object(0);
    o.textureRect = {1, 2, 30, 40};
    o.secondRect = {5, 6, 7, 8};
    o.boxRect = {0, 0, 9, 9};
    o.hidden = 1;
    m->clearSlot(0, /*keepGeometry=*/true);
    EXPECT_EQ(m->object(0).textureRect, (IntRect{1, 2, 30, 40}));
    EXPECT_EQ(m->object(0).secondRect, (IntRect{5, 6, 7, 8}));
    EXPECT_EQ(m->object(0).boxRect, (IntRect{0, 0, 9, 9}));
    EXPECT_EQ(m->object(0).hidden, 0);

    // A library object cleared with its identity kept only loses its effects.
    o.libraryFlag = 1;
    o.name = "lib/walker.zxl";
    o.hidden = 1;
    o.effects[EffectSlot::Opacity].startValue = 0.5f;
    o.points.resize(3);
    m->clearSlot(0, false, /*keepIdentity=*/true);
    EXPECT_EQ(o.name, "lib/walker.zxl");
    EXPECT_EQ(o.hidden, 1);
    EXPECT_EQ(o.points.size(), 3u);
    EXPECT_EQ(o.effects[EffectSlot::Opacity].startValue, 1.f);

    // Keep-identity on an ordinary object is a full clear.
    o.libraryFlag = 0;
    m->clearSlot(0, false, true);
    EXPECT_EQ(o.hidden, 0);
    EXPECT_TRUE(o.points.empty());
}

TEST(AnimationModel, AddStopsAt256WithMessage) {
    auto m = makeModel();
    RecordingPrompter p;
    for (int i = 0; i < kMaxObjects; ++i) ASSERT_EQ(m->addObject(p), i);
    EXPECT_TRUE(p.entries.empty());
    EXPECT_EQ(m->addObject(p), -1);
    EXPECT_EQ(m->objectCount, 256);
    ASSERT_EQ(p.texts(), std::vector<std::string>{"Maximum number of regions/objects reached!!!"});
}

TEST(AnimationModel, RemoveShiftsLaterSlotsWithTheirArrays) {
    auto m = makeModel();
    for (int i = 0; i < 5; ++i) {
        int s = m->addObject(testing::silentPrompter());
        m->object(s).points.resize(size_t(i + 1));
        m->object(s).hidden = i;
    }
    m->object(4).bones.resize(2);
    m->object(4).binding = {0, -1, 1, 0, -1}; // follows slot 1
    m->object(2).binding = {0, -1, 3, 0, -1}; // follows the slot being removed
    m->object(2).points[0].flags = PointFlag::BindingDot;
    m->selectedObject = 4;

    m->removeObject(3);
    EXPECT_EQ(m->objectCount, 4);
    EXPECT_EQ(m->object(3).points.size(), 5u);
    EXPECT_EQ(m->object(3).hidden, 4);
    EXPECT_EQ(m->object(3).bones.size(), 2u);
    EXPECT_EQ(m->object(3).binding.parentObject, 1);
    EXPECT_TRUE(m->object(4).points.empty());
    EXPECT_TRUE(m->object(4).bones.empty());
    EXPECT_EQ(m->object(4).hidden, 0);
    EXPECT_EQ(m->selectedObject, 3);
    // A binding whose parent went away is dropped with its dot marks.
    EXPECT_FALSE(m->object(2).binding.bound());
    EXPECT_EQ(m->object(2).points[0].flags, 0);
}

TEST(AnimationModel, RemovingTheOnlyObjectClearsAll) {
    auto m = makeModel();
    m->addObject(testing::silentPrompter());
    m->object(0).points.resize(3);
    m->selectedObject = 0;
    m->removeObject(0);
    EXPECT_EQ(m->objectCount, 0);
    EXPECT_EQ(m->selectedObject, -1);
    EXPECT_TRUE(m->object(0).points.empty());
    m->removeObject(0); // nothing left: no effect
    EXPECT_EQ(m->objectCount, 0);
}

TEST(AnimationModel, ObjectTypeTexts) {
    auto m = makeModel();
    AnimObject& o = m->object(0);
    EXPECT_EQ(m->objectTypeText(0), "Region");
    o.flag3d = 1;
    EXPECT_EQ(m->objectTypeText(0), "3d Region");
    o.flag3d = 0;
    o.kindFlags = ObjectKind::UserRegion | ObjectKind::InvertLight;
    EXPECT_EQ(m->objectTypeText(0), "User defined Region");
    o.kindFlags = ObjectKind::ConductorBox;
    EXPECT_EQ(m->objectTypeText(0), "Conductor Box");
    o.libraryFlag = 1;
    o.name = "/home/u/libs/bird.zxl";
    EXPECT_EQ(m->objectTypeText(0), "bird.zxl [library object]");
    o.flag3d = 1;
    o.name = "C:\\libs\\cat.zxl";
    EXPECT_EQ(m->objectTypeText(0), "cat.zxl [3d library object]");
}

TEST(AnimationModel, StartImageSetsSizeWord) {
    auto m = makeModel();
    EXPECT_EQ(m->headerWords[19], 400);
    m->setStartImage(RasterImage(320, 90));
    EXPECT_EQ(m->startWidth, 320);
    EXPECT_EQ(m->startHeight, 90);
    EXPECT_EQ(m->headerWords[19], 1280);
}

} // namespace
} // namespace zx
