#include "anim/TimeCurve.h"
#include "anim/AnimObject.h"
#include "anim/CurveLibrary.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TimeCurve curveOf(int kind, std::initializer_list<std::pair<int, int>> pts) {
    TimeCurve c{kind, {}};
    for (auto [x, y] : pts) c.points.push_back(packCurvePoint(x, y));
    return c;
}

CurveTable builtInTable(const char* name) {
    CurveLibrary lib;
    int i = lib.find(name);
    EXPECT_GE(i, 0) << name;
    return sampleTimeCurve(lib.curve(i));
}

TEST(TimeCurve, LinearAndAbsentCurvesAreTheIdentity) {
    CurveTable lin = builtInTable("Linear");
    ASSERT_EQ(lin.size(), 513u);
    for (int i = 0; i <= 512; ++i) ASSERT_EQ(lin[i], i);
    for (double t : {0.0, 0.1, 0.25, 0.3337, 0.5, 0.999, 1.0}) {
        EXPECT_NEAR(evaluateTimeCurve(lin, t), t, 1e-12) << t;
        EXPECT_EQ(evaluateTimeCurve(CurveTable{}, t), t);
    }
}

TEST(TimeCurve, BuiltInShapes) {
    CurveTable smooth = builtInTable("Smooth");
    EXPECT_EQ(evaluateTimeCurve(smooth, 0.5), 0.5);
    EXPECT_EQ(evaluateTimeCurve(smooth, 0.25), 0.15625);

    CurveTable max = builtInTable("Maximum");
    for (double t : {0.0, 0.3, 1.0}) EXPECT_EQ(evaluateTimeCurve(max, t), 1.0);

    CurveTable delay = builtInTable("Delay 50");
    for (double t : {0.0, 0.2, 0.5}) EXPECT_EQ(evaluateTimeCurve(delay, t), 0.0);
    EXPECT_EQ(evaluateTimeCurve(delay, 0.75), 0.5);
    EXPECT_EQ(evaluateTimeCurve(delay, 1.0), 1.0);

    // Values are clamped before truncation, so the overshooting spline stays on the grid.
    CurveTable fr = builtInTable("Smooth forward & reverse");
    ASSERT_EQ(fr.size(), 513u);
    for (int32_t v : fr) ASSERT_TRUE(v >= 0 && v <= 512) << v;
    EXPECT_EQ(fr[256], 512);

    CurveTable blink = builtInTable("Blink");
    ASSERT_EQ(blink.size(), 513u);
    EXPECT_EQ(blink[63], 511);
}

TEST(TimeCurve, AllBuiltInsSampleComplete) {
    for (const NamedCurve& c : builtInCurves())
        EXPECT_EQ(sampleTimeCurve(TimeCurve{c.linear, c.points}).size(), 513u) << c.name;
}

TEST(TimeCurve, TwoPointSplineTruncatesTowardZero) {
    CurveTable up = sampleTimeCurve(curveOf(0, {{0, 0}, {512, 100}}));
    ASSERT_EQ(up.size(), 513u);
    EXPECT_EQ(up[128], 15); // 15.625
    EXPECT_EQ(up[256], 50);
    CurveTable down = sampleTimeCurve(curveOf(0, {{0, 100}, {512, 0}}));
    EXPECT_EQ(down[128], 84); // 84.375
    // The second point's x is not consulted: the smoothstep spans the whole grid.
    CurveTable shortX = sampleTimeCurve(curveOf(0, {{0, 0}, {100, 512}}));
    ASSERT_EQ(shortX.size(), 513u);
    EXPECT_EQ(shortX[128], 80);
    EXPECT_EQ(shortX[512], 512);
}

TEST(TimeCurve, HermiteUsesTheStoredTangentRule) {
    // With the next point's spread measured from the segment's start, the end
    // tangent of the first segment is 128 (not 0), giving 272 mid-segment.
    CurveTable t = sampleTimeCurve(curveOf(0, {{0, 0}, {256, 512}, {512, 0}}));
    ASSERT_EQ(t.size(), 513u);
    EXPECT_EQ(t[128], 272);
    EXPECT_EQ(t[256], 512);
    EXPECT_EQ(t[512], 0);
}

TEST(TimeCurve, LinearRounding) {
    CurveTable t = sampleTimeCurve(curveOf(1, {{0, 0}, {3, 1}}));
    EXPECT_EQ(t, (CurveTable{0, 0, 1, 1}));
    // Negative values round with −0.49999: −1.5 becomes −1, not −2.
    CurveTable n = sampleTimeCurve(curveOf(1, {{0, 0}, {2, -3}}));
    EXPECT_EQ(n, (CurveTable{0, -1, -3}));
}

TEST(TimeCurve, IncompleteCurvesGiveIncompleteTables) {
    EXPECT_TRUE(sampleTimeCurve(curveOf(1, {{0, 0}})).empty());
    EXPECT_TRUE(sampleTimeCurve(curveOf(1, {{5, 0}, {512, 512}})).empty());
    // Linear sampling stops at the first x that does not increase.
    CurveTable stop = sampleTimeCurve(curveOf(1, {{0, 0}, {100, 100}, {100, 200}, {512, 512}}));
    EXPECT_EQ(stop.size(), 101u);
    EXPECT_EQ(evaluateTimeCurve(stop, 0.3), 0.3);
    // A spline skips such a segment and continues; no NaN reaches the table.
    CurveTable spl = sampleTimeCurve(curveOf(0, {{0, 0}, {1, 40}, {1, 80}, {512, 512}}));
    EXPECT_EQ(spl.size(), 513u);
    for (int32_t v : spl) ASSERT_TRUE(v >= 0 && v <= 512);
}

TEST(TimeCurve, ReverseThenInvert) {
    TimeCurve lin = curveOf(1, {{0, 0}, {512, 512}});
    CurveTable both = sampleTimeCurve(lin, true, true);
    CurveTable rev = sampleTimeCurve(lin, true, false);
    CurveTable inv = sampleTimeCurve(lin, false, true);
    for (int i = 0; i <= 512; ++i) {
        ASSERT_EQ(both[i], i);
        ASSERT_EQ(rev[i], 512 - i);
        ASSERT_EQ(inv[i], 512 - i);
    }
    // The order matters on a curve that is not symmetric.
    CurveTable d = sampleTimeCurve(curveOf(1, {{0, 0}, {256, 0}, {512, 512}}), true, true);
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(d[256], 512);
}

TEST(TimeCurve, EvaluationEdges) {
    CurveTable t(513, 0);
    t[511] = 100;
    t[512] = 200 | 0x400; // only the low ten bits count
    EXPECT_EQ(evaluateTimeCurve(t, 1.0), 200.0 / 512);
    EXPECT_EQ(evaluateTimeCurve(t, 1.5), 200.0 / 512);
    double justBelow = 511.5 / 512;
    EXPECT_DOUBLE_EQ(evaluateTimeCurve(t, justBelow), 150.0 / 512);
    // Above 1 is clamped by the checked form only.
    CurveTable high(513, 1000);
    EXPECT_EQ(evaluateTimeCurve(high, 0.5), 1.0);
    EXPECT_EQ(evaluateCompleteTimeCurve(high, 0.5), 1000.0 / 512);
    // Negative time reads the first entry; a short table is never read past its end.
    EXPECT_EQ(evaluateTimeCurve(high, -2.0), 1.0);
    EXPECT_EQ(evaluateCompleteTimeCurve(CurveTable(10, 5), 0.5), 0.5);
}

TEST(EffectCurve, SamplingAndEvaluation) {
    ObjectEffect e;
    e.startValue = 1;
    EXPECT_EQ(evaluateEffect(e, 0.7), 1.f); // no table: the start value at every t
    e.points = {{0, 1.f}, {512, 3.f}};
    e.table.assign(513, 0.f);
    sampleEffectCurve(e.points, 0, e.table);
    EXPECT_FLOAT_EQ(e.table[256], 2.f);
    EXPECT_FLOAT_EQ(e.table[128], 1.3125f);
    e.startValue = 9; // t = 0 gives the start value even with a table
    EXPECT_EQ(evaluateEffect(e, 0.0), 9.f);
    EXPECT_FLOAT_EQ(evaluateEffect(e, 0.5), 2.f);
    EXPECT_FLOAT_EQ(evaluateEffect(e, 1.0), 3.f);
    EXPECT_FLOAT_EQ(evaluateEffect(e, 5.0), 3.f);
    EXPECT_FLOAT_EQ(evaluateEffect(e, 128.5 / 512), (e.table[128] + e.table[129]) / 2);

    std::vector<float> lin(513, -7.f);
    std::vector<EffectPoint> pts = {{0, 0.f}, {256, 1.f}, {512, -1.f}};
    sampleEffectCurve(pts, 1, lin);
    EXPECT_FLOAT_EQ(lin[128], 0.5f);
    EXPECT_NEAR(lin[256], 1.f, 1e-5);
    EXPECT_NEAR(lin[512], -1.f, 1e-4);

    // Without a usable first point the table is left as it is.
    std::vector<float> keep(513, 4.f);
    std::vector<EffectPoint> bad = {{3, 0.f}, {512, 1.f}};
    sampleEffectCurve(bad, 1, keep);
    EXPECT_EQ(keep[0], 4.f);
    // Points beyond the table's end are not written.
    std::vector<float> small(10, 0.f);
    std::vector<EffectPoint> wide = {{0, 0.f}, {300, 1.f}, {900, 2.f}};
    sampleEffectCurve(wide, 0, small);
    sampleEffectCurve(wide, 1, small);
}

TEST(TimeCurve, ObjectCurveCommandsAndProgress) {
    AnimObject o;
    o.reverse = 1;
    o.invert = 1;
    setObjectCurve(o, reverseCommandCurve());
    EXPECT_EQ(o.reverse, 0);
    EXPECT_EQ(o.invert, 0);
    EXPECT_EQ(o.curveKind, 1);
    ASSERT_EQ(o.curveTable.size(), 513u);
    EXPECT_EQ(objectProgress(o, 10, 0.25), 0.75);
    setObjectCurve(o, alternateCommandCurve());
    EXPECT_EQ(objectProgress(o, 10, 0.25), 0.5);
    EXPECT_EQ(objectProgress(o, 10, 0.5), 1.0);
    setObjectCurve(o, linearCommandCurve());
    EXPECT_EQ(objectProgress(o, 10, 0.3), 0.3);
    o.reverse = 1;
    resampleObjectCurve(o);
    EXPECT_EQ(objectProgress(o, 10, 0.25), 0.75);
    EXPECT_EQ(frameTime(3, 12), 0.25);
    EXPECT_EQ(frameTime(0, 0), 0.0);
}

TEST(TimeCurve, LibraryLocalTime) {
    AnimObject o;
    o.libraryFlag = 1;
    o.ownLastFrame = 20;
    o.speed = 2;
    o.loop = 1;
    // Speed 2 with loop plays the recorded animation twice.
    EXPECT_EQ(libraryLocalTime(o, 20, 0.25), 0.5);
    EXPECT_EQ(libraryLocalTime(o, 20, 0.75), 0.5);
    EXPECT_EQ(libraryLocalTime(o, 20, 0.5), 1.0); // exactly 1 is not folded back
    EXPECT_EQ(libraryLocalTime(o, 20, 1.0), 0.0);
    o.loop = 0;
    EXPECT_EQ(libraryLocalTime(o, 20, 0.75), 1.0);
    o.speed = 1;
    o.timeOffset = -0.25f;
    EXPECT_EQ(libraryLocalTime(o, 20, 0.0), 0.0);
    o.loop = 1;
    EXPECT_EQ(libraryLocalTime(o, 20, 0.0), 0.75);
    o.timeOffset = -1e30f;
    double u = libraryLocalTime(o, 20, 0.0);
    EXPECT_TRUE(u >= 0 && u < 1);
    // Model and library of different lengths: 10 frames against 20.
    o.timeOffset = 0;
    EXPECT_EQ(libraryLocalTime(o, 10, 1.0), 0.5);
    o.ownLastFrame = 0;
    EXPECT_EQ(libraryLocalTime(o, 10, 0.7), 0.0);
    // Progress of a library object follows its local time.
    o.ownLastFrame = 20;
    setObjectCurve(o, linearCommandCurve());
    EXPECT_EQ(objectProgress(o, 10, 1.0), 0.5);
}

} // namespace
} // namespace zx
