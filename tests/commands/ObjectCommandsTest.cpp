// The Animate object commands on a model built by hand: what names a dot by its index
// follows when dots go, refusals leave the model as it was, toggles come back.

#include "commands/ObjectCommands.h"

#include "anim/AnimationRecord.h"
#include "anim/Deformation.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zx {
namespace {

// A rectangle object (four mesh vertices, two triangles) at x0 … x0 + 40, y 0 … 40.
int addRectangle(AnimationModel& model, double x0) {
    SilentPrompter quiet;
    const int slot = model.addObject(quiet);
    AnimObject& o = model.object(slot);
    for (auto [x, y] : {std::pair{x0, 0.0}, {x0 + 40, 0.0}, {x0 + 40, 40.0}, {x0, 40.0}}) {
        AnimPoint p;
        p.flags = PointFlag::MeshVertex;
        p.texture = p.start = p.end = {x, y, 0};
        o.points.push_back(p);
    }
    o.vertexCount = 4;
    MeshTriangle a, b;
    a.v[0] = 0, a.v[1] = 1, a.v[2] = 2;
    b.v[0] = 0, b.v[1] = 2, b.v[2] = 3;
    o.triangles = {a, b};
    return slot;
}

int dot(AnimationModel& model, int slot, double x, double y) {
    const Vec3 at{x, y, 0};
    Result<int> added = addUserDot(model, slot, at, at, at, false);
    EXPECT_TRUE(added);
    return added ? *added : -1;
}

struct ObjectCommandsTest : ::testing::Test {
    AnimationModel model;
    RecordingPrompter prompter;
    int a = addRectangle(model, 0);
    int b = addRectangle(model, 100);
};

TEST_F(ObjectCommandsTest, ClearingADotRenumbersBonesAndBindingsThatNameLaterDots) {
    const int d0 = dot(model, a, 10, 10), d1 = dot(model, a, 20, 20), d2 = dot(model, a, 30, 30);
    ASSERT_TRUE(addBone(model, a, d0, d1, true));
    ASSERT_TRUE(addBone(model, a, d1, d2, true));
    const int own = dot(model, b, 110, 10);
    ASSERT_TRUE(bindObject(model, b, own, a, d2));

    ASSERT_TRUE(clearDot(model, a, d0));
    ASSERT_EQ(model.object(a).bones.size(), 1u); // the bone at the cleared dot went with it
    EXPECT_EQ(model.object(a).bones[0].dotA, d0);
    EXPECT_EQ(model.object(a).bones[0].dotB, d1);
    EXPECT_EQ(model.object(b).binding.parentDot1, d1);
    for (int v = 0; v < model.object(a).vertexCount; ++v)
        EXPECT_LT(model.object(a).points[size_t(v)].bone1, 1); // no bone 1 left to hang on

    // the parent dot itself goes: the child is unbound and its dot unmarked
    ASSERT_TRUE(clearDot(model, a, d1));
    EXPECT_FALSE(model.object(b).binding.bound());
    EXPECT_FALSE(model.object(b).points[size_t(own)].flags & PointFlag::BindingDot);
    EXPECT_TRUE(model.object(a).bones.empty());

    ASSERT_TRUE(clearUserDots(model, a));
    EXPECT_EQ(model.object(a).userDotCount(), 0);
    EXPECT_FALSE(clearUserDots(model, a));
}

TEST_F(ObjectCommandsTest, RefusedCommandsChangeNothing) {
    const int da = dot(model, a, 10, 10), db = dot(model, b, 110, 10);
    ASSERT_TRUE(bindObject(model, b, db, a, da));
    const std::vector<uint32_t> before = writeAnimationRecord(model);

    const EditResult loop = bindObject(model, a, da, b, db);
    EXPECT_EQ(loop.status().message(), kBindingLoopMessage);
    EXPECT_EQ(setDotZ(model, a, da, 4097).status().message(), kValueOutOfRange);
    EXPECT_FALSE(setDotZ(model, a, da, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(setObjectZ(model, a, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(addUserDot(model, a, {std::nan(""), 0, 0}, {}, {}, false));
    EXPECT_FALSE(addBone(model, a, da, da, true));
    EXPECT_FALSE(removeBone(model, a, 0));
    EXPECT_FALSE(clearDot(model, 5, 0));
    EXPECT_FALSE(cloneObject(model, a, prompter)); // only library objects clone
    EXPECT_FALSE(cancelSpin(model, a));
    EXPECT_EQ(writeAnimationRecord(model), before);
}

TEST_F(ObjectCommandsTest, TogglesComeBackAndNameTheNewState) {
    const int d0 = dot(model, a, 10, 10), d1 = dot(model, a, 30, 10);
    const std::vector<uint32_t> start = writeAnimationRecord(model);
    EXPECT_EQ(*toggleSmoothAction(model, a, d0), "Smooth Action");
    EXPECT_EQ(*toggleSmoothAction(model, a, d0), "Remove Smooth Action");
    EXPECT_EQ(*toggleHidden(model, a), "Hide Region/Object");
    EXPECT_EQ(*toggleHidden(model, a), "Show Region/Object");
    EXPECT_EQ(*toggleInvertLight(model, a), "Invert Light");
    EXPECT_EQ(*toggleInvertLight(model, a), "Restore Light");
    EXPECT_EQ(writeAnimationRecord(model), start);

    ASSERT_TRUE(addBone(model, a, d0, d1, true));
    EXPECT_EQ(*toggleBoneType(model, a, 0), "Bone Type");
    EXPECT_FALSE(model.object(a).bones[0].isFixed());
    // one bone: spin puts the flat object in tracked mode
    EXPECT_EQ(*setSpin(model, a, 3), "Set Track/Spin");
    EXPECT_TRUE(isTracked(model.object(a)));
    EXPECT_EQ(*cancelSpin(model, a), "Cancel Track/Spin");
    EXPECT_FALSE(setSpin(model, a, std::nan("")));

    // a second bone starting where the first ends: the first cannot turn round
    const int d2 = dot(model, a, 30, 30);
    ASSERT_TRUE(addBone(model, a, d1, d2, true));
    EXPECT_FALSE(canChangeBoneOrientation(model, a, 0));
    EXPECT_TRUE(canChangeBoneOrientation(model, a, 1));
}

TEST_F(ObjectCommandsTest, SelectNextWrapsAndRemovingTheLastObjectClearsAll) {
    addRectangle(model, 200);
    model.selectedObject = 2;
    EXPECT_TRUE(selectNextObject(model));
    EXPECT_EQ(model.selectedObject, 0);
    EXPECT_EQ(*removeObjectCommand(model, 2), "Remove Region");
    EXPECT_EQ(*removeObjectCommand(model, 1), "Remove Region");
    EXPECT_FALSE(selectNextObject(model));
    EXPECT_TRUE(removeObjectCommand(model, 0));
    EXPECT_EQ(model.objectCount, 0);
    EXPECT_FALSE(clearAllRegions(model));
}

} // namespace
} // namespace zx
