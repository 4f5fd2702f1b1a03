#include "anim/Deformation.h"
#include "SilentTestPrompter.h"

#include "DeformationTestSupport.h"
#include "anim/TimeCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

namespace zx {
namespace {

using testing::addObject;
using testing::dotAt;
using testing::expectNear;
using testing::makeModel;
using testing::vertexAt;

// ------------------------------------------------------------------ trajectories

TEST(Trajectory, StraightDrawnAndOutOfRange) {
    AnimPoint dot = dotAt({10, 20, 4}, {30, 60, 8});
    expectNear(trajectoryPosition(dot, 0.25), {15, 30, 5});
    EXPECT_EQ(trajectoryPosition(dot, -0.01), kNoPosition);
    EXPECT_EQ(trajectoryPosition(dot, 1.001), kNoPosition);
    EXPECT_EQ(trajectoryPosition(dot, std::nan("")), kNoPosition);
    expectNear(trajectoryPosition(dot, 1.00000005), {30, 60, 8}, 1e-5);

    dot.trajectory = DotTrajectory{{0, 0, 9}, {10, 0, 9}, {10, 20, 9}};
    expectNear(trajectoryPosition(dot, 0.25), {5, 0, 5});
    expectNear(trajectoryPosition(dot, 0.75), {10, 10, 7});
    // Just short of the end reads the last sample, not the one before it.
    const Vec3 nearEnd = trajectoryPosition(dot, 0.99999995);
    EXPECT_EQ(nearEnd.x, 10);
    EXPECT_EQ(nearEnd.y, 20);
    // Equal start and end depth keeps that depth along a drawn path.
    dot.end.z = dot.start.z;
    EXPECT_EQ(trajectoryPosition(dot, 0.5).z, 4);

    dot.trajectory = DotTrajectory{{7, 7, 0}};
    EXPECT_EQ(trajectoryPosition(dot, 0.5), (Vec3{0, 0, 0}));
}

// ------------------------------------------------------------------ ordinary objects

TEST(ComputeObject, MaximumCurveShowsEveryDotAtItsEnd) {
    auto model = makeModel();
    AnimObject& o =
        addObject(*model, {}, {dotAt({0, 0, 0}, {10, 5, 0}), dotAt({3, 3, 0}, {-3, 9, 2})});
    o.curveTable = sampleTimeCurve({1, {packCurvePoint(0, 512), packCurvePoint(512, 512)}});
    for (double t : {0.0, 0.3, 1.0}) {
        computeFrame(*model, t, testing::silentPrompter());
        EXPECT_EQ(o.points[0].current, o.points[0].end) << t;
        EXPECT_EQ(o.points[1].current, o.points[1].end) << t;
    }
}

TEST(ComputeObject, OneDotTranslatesTheWholeMeshAndIgnoresBones) {
    auto model = makeModel();
    AnimObject& o = addObject(*model, {vertexAt(0, 0), vertexAt(10, 0), vertexAt(0, 10, 3)},
                              {dotAt({5, 5, 0}, {25, -5, 6})});
    o.bones.push_back(testing::boneBetween(3, 3));
    o.points[1].bone1 = 0;
    computeObject(*model, 0, 0.5, {}, testing::silentPrompter()); // no table: progress = t
    expectNear(o.points[0].current, {10, -5, 3});
    expectNear(o.points[1].current, {20, -5, 3});
    expectNear(o.points[2].current, {10, 5, 6});
    expectNear(o.points[3].current, {15, 0, 3});
}

TEST(ComputeObject, VerticesWithoutBonesKeepTheirStart) {
    auto model = makeModel();
    AnimObject& o = addObject(*model, {vertexAt(1, 2), vertexAt(3, 4)},
                              {dotAt({0, 0, 0}, {9, 9, 0}), dotAt({1, 0, 0}, {5, 5, 0})});
    o.points[0].current = {99, 99, 99};
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    EXPECT_EQ(o.points[0].current, o.points[0].start);
    EXPECT_EQ(o.points[2].current, o.points[2].end);
}

TEST(ComputeObject, SelectedOnlyLeavesOtherPointsAlone) {
    auto model = makeModel();
    AnimObject& o =
        addObject(*model, {vertexAt(0, 0), vertexAt(1, 1)}, {dotAt({0, 0, 0}, {10, 0, 0})});
    o.points[1].flags |= PointFlag::Selected;
    o.points[0].current = {-7, -7, -7};
    ComputeOptions options;
    options.selectedOnly = true;
    computeObject(*model, 0, 1.0, options, testing::silentPrompter());
    EXPECT_EQ(o.points[0].current, (Vec3{-7, -7, -7}));
    expectNear(o.points[1].current, {11, 1, 0});
    EXPECT_EQ(o.points[2].current, (Vec3{0, 0, 0})); // the dot is not selected either
}

// ------------------------------------------------------------------ spin mode

// A 4 × 4 square outline with 12 contour points, its corners as mesh vertices.
AnimObject& squareSpinner(AnimationModel& model, float spin) {
    AnimObject& o =
        addObject(model, {vertexAt(0, 0), vertexAt(4, 0), vertexAt(4, 4), vertexAt(0, 4)},
                  {dotAt({2, 2, 0}, {12, 2, 5})});
    for (int x = 0; x < 4; ++x) o.outline.push_back(packCurvePoint(x, 0));
    for (int y = 0; y < 4; ++y) o.outline.push_back(packCurvePoint(4, y));
    for (int x = 4; x > 0; --x) o.outline.push_back(packCurvePoint(x, 4));
    for (int y = 4; y > 0; --y) o.outline.push_back(packCurvePoint(0, y));
    o.outline.push_back(0x80008000u);
    o.spin = spin;
    return o;
}

TEST(SpinMode, VerticesSlideAlongTheOutlineWhileFollowingTheDot) {
    auto model = makeModel();
    AnimObject& o = squareSpinner(*model, 0.5f);
    // m = 17 words; at p = 0.5 the slide is 0.5 · 0.5 · 15 = 3.75 steps.
    computeObject(*model, 0, 0.5, {}, testing::silentPrompter());
    // Vertex 0 sits on contour point 0: 3.75 steps → between (3,0) and (4,0), plus the
    // dot's displacement (5, 0) and the dot's depth 2.5.
    expectNear(o.points[0].current, {3.75 + 5, 0, 2.5});
    // Vertex 1 (4,0) is contour point 4: 7.75 steps → between (4,3) and (4,4).
    expectNear(o.points[1].current, {4 + 5, 3.75, 2.5});
    // Vertex 3 (0,4) is point 12: 15.75 steps wraps past the end to point 0 → (0, 1 − 0.75).
    expectNear(o.points[3].current, {0 + 5, 0.25, 2.5});
}

TEST(SpinMode, BackwardSpinStaysOnTheOutline) {
    auto model = makeModel();
    AnimObject& o = squareSpinner(*model, -0.1f);
    computeObject(*model, 0, 1.0, {}, testing::silentPrompter());
    // d = −0.1 · 15 = −1.5 steps from point 0: halfway between points 14 (0,2) and
    // 15 (0,1), not off the outline; the dot has moved by (10, 0).
    const Vec3 p = o.points[0].current;
    EXPECT_NEAR(p.x - 10, 0, 1e-6);
    EXPECT_NEAR(p.y, 1.5, 1e-6);
}

TEST(SpinMode, TrackedModeAndThreeDObjectsTranslateInstead) {
    for (bool threeD : {false, true}) {
        auto model = makeModel();
        AnimObject& o = squareSpinner(*model, threeD ? 0.5f : 1000.0f);
        o.flag3d = threeD;
        computeObject(*model, 0, 0.5, {}, testing::silentPrompter());
        expectNear(o.points[0].current, {5, 0, 2.5});
        expectNear(o.points[2].current, {9, 4, 2.5});
    }
}

TEST(SpinMode, VerticesOffTheOutlineFollowTheDot) {
    auto model = makeModel();
    AnimObject& o = squareSpinner(*model, 0.5f);
    o.points[2].start = {2, 2, 0}; // not on the contour: the walk stops here
    computeObject(*model, 0, 0.5, {}, testing::silentPrompter());
    expectNear(o.points[2].current, {7, 2, 2.5});
    expectNear(o.points[3].current, {5, 4, 2.5});
}

// ------------------------------------------------------------------ robustness

TEST(ComputeObject, BrokenReferencesAndNumbersNeverCrash) {
    auto model = makeModel();
    AnimObject& o = addObject(*model, {vertexAt(1, 1), vertexAt(2, 2), vertexAt(3, 3)},
                              {dotAt({0, 0, 0}, {1, 1, 0}), dotAt({5, 0, 0}, {5, 5, 0})});
    o.vertexCount = 40;                             // more than there are points
    o.bones.push_back(testing::boneBetween(3, 77)); // a dot that does not exist
    o.bones.push_back(testing::boneBetween(3, 4));
    o.points[0].bone1 = 0;
    o.points[1].bone1 = 12;
    o.points[1].bone2 = -5;
    o.points[2].bone1 = 1;
    o.points[2].boneWeight = std::nanf("");
    o.points[4].end = {std::numeric_limits<double>::infinity(), std::nan(""), 1e300};
    o.curveTable.assign(100, 7); // not a complete table
    o.binding.ownDot1 = 0;
    o.binding.parentObject = 200; // no such object
    o.binding.parentDot1 = 0;
    computeFrame(*model, 0.5, testing::silentPrompter());
    computeFrame(*model, std::nan(""), testing::silentPrompter());
    computeFrame(*model, 1e30, testing::silentPrompter());
    EXPECT_EQ(o.points[0].current, o.points[0].start);
    EXPECT_EQ(o.points[1].current, o.points[1].start);

    o.vertexCount = 3;
    o.spin = 1e30f;
    o.points.resize(4); // one dot: spin mode, with an outline lacking its terminator
    o.outline = {packCurvePoint(1, 1), packCurvePoint(2, 2), packCurvePoint(3, 3)};
    o.points[2].start.x = std::nan("");
    computeFrame(*model, 0.5, testing::silentPrompter());
    EXPECT_TRUE(std::isfinite(o.points[0].current.x));
    EXPECT_TRUE(std::isfinite(o.points[1].current.x));
    EXPECT_EQ(pointPositionAtTime(*model, 0, 99, 0.5), (Vec3{}));
    EXPECT_EQ(pointPositionAtTime(*model, 7, 0, 0.5), (Vec3{}));
}

TEST(ComputeFrame, WorkersWithTheirOwnModelsAgreeWithASerialRun) {
    // Every worker renders with a private model; the solver must keep no shared state.
    auto build = [] {
        auto model = makeModel();
        AnimObject& o = squareSpinner(*model, 0.3f);
        o.points.push_back(dotAt({9, 9, 0}, {1, 2, 3}));
        o.bones.push_back(testing::boneBetween(4, 5));
        for (int v = 0; v < 4; ++v) o.points[size_t(v)].bone1 = 0;
        return model;
    };
    auto serial = build();
    std::vector<Vec3> expected;
    for (int f = 0; f <= 50; ++f) {
        computeFrame(*serial, f / 50.0, testing::silentPrompter());
        expected.push_back(serial->object(0).points[2].current);
    }
    auto a = build(), b = build();
    std::vector<Vec3> seenA, seenB;
    auto run = [](AnimationModel& m, std::vector<Vec3>& seen) {
        for (int f = 0; f <= 50; ++f) {
            computeFrame(m, f / 50.0, testing::silentPrompter());
            seen.push_back(m.object(0).points[2].current);
        }
    };
    std::thread ta(run, std::ref(*a), std::ref(seenA));
    std::thread tb(run, std::ref(*b), std::ref(seenB));
    ta.join();
    tb.join();
    EXPECT_EQ(seenA, expected);
    EXPECT_EQ(seenB, expected);
}

// ------------------------------------------------------------------ library objects

std::shared_ptr<LibraryObjectData> movingLibrary() {
    auto lib = std::make_shared<LibraryObjectData>();
    lib->lastFrame = 4;
    // Vertex 0 moves right by 10 per frame; vertex 1 does not move.
    lib->motion = {{{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}}, {}};
    return lib;
}

AnimObject& libraryObject(AnimationModel& model) {
    AnimObject& o = addObject(model, {vertexAt(0, 0), vertexAt(5, 5)});
    o.libraryFlag = 1;
    o.library = movingLibrary();
    o.ownLastFrame = 4;
    return o;
}

TEST(LibraryObject, LoopAtDoubleSpeedPlaysTwice) {
    auto model = makeModel(4);
    AnimObject& o = libraryObject(*model);
    o.loop = 1;
    o.speed = 2;
    computeFrame(*model, 0.25, testing::silentPrompter()); // local time 0.5
    const Vec3 first = o.points[0].current;
    computeFrame(*model, 0.75, testing::silentPrompter()); // local time 1.5 → 0.5
    EXPECT_EQ(o.points[0].current, first);
    expectNear(first, {20, 0, 0});
    computeFrame(*model, 0.5, testing::silentPrompter()); // exactly 1: the last recorded frame
    expectNear(o.points[0].current, {40, 0, 0});
    EXPECT_EQ(o.points[1].current, o.points[1].start);
}

TEST(LibraryObject, GeometricEffectsScaleTurnAndMove) {
    auto model = makeModel(4);
    AnimObject& o = libraryObject(*model);
    o.boxRect = {0, 0, 10, 10};
    o.effects[EffectSlot::Scale].startValue = 2;
    o.effects[EffectSlot::HorizontalPosition].startValue = 100;
    o.effects[EffectSlot::Distance].startValue = -3;
    computeObject(*model, 0, 0, {}, testing::silentPrompter());
    expectNear(o.points[1].current, {110, 10, -3});

    // A half turn about the pivot ((0 + 2·10)/2, (0 + 2·10)/2) = (10, 10).
    o.effects[EffectSlot::Rotation].startValue = float(M_PI);
    computeObject(*model, 0, 0, {}, testing::silentPrompter());
    expectNear(o.points[1].current, {110, 10, -3}, 1e-5);
    expectNear(o.points[0].current, {120, 20, -3}, 1e-5);
    // The point query gives the same place without touching the model.
    expectNear(pointPositionAtTime(*model, 0, 0, 0), {120, 20, -3}, 1e-5);

    ComputeOptions skip;
    skip.skipEffects = true;
    computeObject(*model, 0, 0, skip, testing::silentPrompter());
    EXPECT_EQ(o.points[0].current, (Vec3{0, 0, 0}));
}

TEST(LibraryObject, InflationOnlyForThreeDAndNotWhileDragging) {
    auto model = makeModel(4);
    AnimObject& o = libraryObject(*model);
    o.library = nullptr;
    o.points[1].start.z = 4;
    o.effects[EffectSlot::Inflation].startValue = 2;
    computeObject(*model, 0, 0, {}, testing::silentPrompter());
    EXPECT_EQ(o.points[1].current.z, 4);
    o.flag3d = 1;
    computeObject(*model, 0, 0, {}, testing::silentPrompter());
    EXPECT_EQ(o.points[1].current.z, 8);
    o.points[1].flags |= PointFlag::Selected;
    ComputeOptions drag;
    drag.selectedOnly = true;
    computeObject(*model, 0, 0, drag, testing::silentPrompter());
    EXPECT_EQ(o.points[1].current.z, 4);
}

} // namespace
} // namespace zx
