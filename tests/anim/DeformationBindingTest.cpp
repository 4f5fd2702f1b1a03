#include "SilentTestPrompter.h"
#include "anim/Deformation.h"

#include "DeformationTestSupport.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

using testing::addObject;
using testing::dotAt;
using testing::expectNear;
using testing::makeModel;
using testing::vertexAt;

// A parent object made of two dots: point 0 from the origin to end0, point 1 from
// (10,0) to end1.
AnimObject& parent(AnimationModel& model, Vec3 end0 = {10, 0, 2}, Vec3 end1 = {20, 0, 2}) {
    return addObject(model, {}, {dotAt({0, 0, 0}, end0), dotAt({10, 0, 0}, end1)});
}

// A child: one still mesh vertex and one still dot (its own binding dot).
AnimObject& child(AnimationModel& model, int parentSlot, int parentDot1, int parentDot2 = -1) {
    AnimObject& o =
        addObject(model, {vertexAt(5, 5), vertexAt(0, 5)}, {dotAt({0, 0, 0}, {0, 0, 0})});
    o.binding = {2, -1, parentSlot, parentDot1, parentDot2};
    o.points[2].flags |= PointFlag::BindingDot;
    return o;
}

TEST(Binding, OnePairFollowsTheParentDotsDisplacement) {
    auto model = makeModel();
    parent(*model);
    AnimObject& c = child(*model, 0, 0);
    computeFrame(*model, 0.5, testing::silentPrompter());
    expectNear(c.points[0].current, {10, 5, 1});
    expectNear(c.points[2].current, {5, 0, 1});
}

TEST(Binding, TwoPairsAlsoTurnWithTheParentLine) {
    auto model = makeModel();
    // Dot 0 stays at the origin, dot 1 swings from (10,0) to (0,10): a quarter turn.
    parent(*model, {0, 0, 0}, {0, 10, 0});
    AnimObject& c = child(*model, 0, 0, 1);
    computeFrame(*model, 1.0, testing::silentPrompter());
    expectNear(c.points[0].current, {-5, 5, 0}, 1e-9);
    expectNear(c.points[1].current, {-5, 0, 0}, 1e-9);
}

TEST(Binding, DisabledBindingsLeaveTheChildOnItsOwn) {
    auto model = makeModel();
    parent(*model);
    AnimObject& c = child(*model, 0, 0);
    model->headerWords[3] = 1;
    computeFrame(*model, 1.0, testing::silentPrompter());
    EXPECT_EQ(c.points[0].current, c.points[0].start);
}

TEST(Binding, ChainsAddTheMotionOfEveryParent) {
    auto model = makeModel();
    parent(*model);                      // slot 0: dot 0 moves by (10, 0, 2)
    AnimObject& b = child(*model, 0, 0); // slot 1, bound to slot 0 dot 0
    b.points[2].end = {0, 7, 0};         // its own dot also moves by (0, 7)
    AnimObject& c = child(*model, 1, 2); // slot 2, bound to slot 1's dot
    RecordingPrompter prompter;
    computeFrame(*model, 1.0, prompter);
    EXPECT_TRUE(prompter.entries.empty());
    // Slot 1's dot is at (0,7) on its own and at (10,7,2) once carried by slot 0.
    expectNear(b.points[2].current, {10, 7, 2});
    expectNear(c.points[0].current, {15, 12, 2});
}

TEST(Binding, LoopIsReportedOnceAndBrokenWhereItCloses) {
    auto model = makeModel();
    AnimObject& a = child(*model, 1, 2);
    AnimObject& b = child(*model, 0, 2);
    RecordingPrompter prompter;
    computeFrame(*model, 0.5, prompter);
    ASSERT_EQ(prompter.texts(), std::vector<std::string>{"Endless binding loop!"});
    // Slot 0 started the chain and closed it: it loses its binding; slot 1 keeps its.
    EXPECT_FALSE(a.binding.bound());
    EXPECT_EQ(a.binding.parentObject, -1);
    EXPECT_EQ(a.binding.ownDot2, -1);
    EXPECT_FALSE(a.points[2].flags & PointFlag::BindingDot);
    EXPECT_TRUE(b.binding.bound());
    computeFrame(*model, 0.7, prompter);
    EXPECT_EQ(prompter.entries.size(), 1u);

    // An object bound to itself is a loop of one.
    auto single = makeModel();
    AnimObject& self = child(*single, 0, 2);
    computeFrame(*single, 0.5, prompter);
    EXPECT_EQ(prompter.entries.size(), 2u);
    EXPECT_FALSE(self.binding.bound());
}

TEST(Binding, MissingParentOrDotIsSkipped) {
    auto model = makeModel();
    parent(*model);
    AnimObject& c = child(*model, 0, 9); // no point 9 in the parent
    AnimObject& d = child(*model, 42, 0);
    AnimObject& e = child(*model, -3, 0);
    RecordingPrompter prompter;
    computeFrame(*model, 1.0, prompter);
    EXPECT_TRUE(prompter.entries.empty());
    for (AnimObject* o : {&c, &d, &e}) EXPECT_EQ(o->points[0].current, o->points[0].start);
}

TEST(Binding, LibraryParentsGiveTheirPlacedPositions) {
    auto model = makeModel();
    AnimObject& p = addObject(*model, {vertexAt(1, 1)});
    p.libraryFlag = 1;
    p.effects[EffectSlot::VerticalPosition].startValue = 30; // a constant placement
    auto lib = std::make_shared<LibraryObjectData>();
    lib->motion = {{{1, 1, 0}, {4, 5, 0}}};
    p.library = lib;
    p.ownLastFrame = 10;
    AnimObject& c = child(*model, 0, 0);
    computeFrame(*model, 1.0, testing::silentPrompter());
    // The placement is the same at time 0 and now: only the recorded motion (3, 4)
    // carries over.
    expectNear(c.points[0].current, {8, 9, 0});
    expectNear(pointPositionAtTime(*model, 0, 0, 1.0), {4, 35, 0});
}

} // namespace
} // namespace zx
