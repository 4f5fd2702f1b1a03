#include "anim/EffectTables.h"

#include "DeformationTestSupport.h"
#include "anim/TimeCurve.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

const EffectScales kScales = effectScales(640, 3000, 100); // W 1280, H capped 4095, D 200

TEST(EffectSliders, LandmarkValues) {
    EXPECT_EQ(kScales.width, 1280);
    EXPECT_EQ(kScales.height, 4095);
    EXPECT_EQ(kScales.depth, 200);
    EXPECT_EQ(effectValueFromSlider(EffectKind::Scale, 500, kScales), 1.0);
    EXPECT_EQ(effectValueFromSlider(EffectKind::Scale, 1000, kScales), 16.0);
    EXPECT_EQ(effectValueFromSlider(EffectKind::Scale, 0, kScales), 1.0 / 16);
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::Rotation, 750, kScales), M_PI);
    EXPECT_DOUBLE_EQ(effectDisplayValue(EffectKind::Rotation,
                                        effectValueFromSlider(EffectKind::Rotation, 750, kScales)),
                     180.0);
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::HorizontalPosition, 1000, kScales), 1280);
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::Distance, 250, kScales), -100);
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::Inflation, 1000, kScales), 2);
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::Opacity, 300, kScales), 0.3);
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::Red, 0, kScales), -1);
    // The curve graph: 0 … 256 about 128, steps of 1/128, rotations π/64.
    EXPECT_DOUBLE_EQ(effectValueFromSlider(EffectKind::Contrast, 129, kScales, kEffectGraphRange),
                     1.0 / 128);
    EXPECT_DOUBLE_EQ(
        effectValueFromSlider(EffectKind::VerticalRotation, 129, kScales, kEffectGraphRange),
        M_PI / 64);
    EXPECT_EQ(effectValueFromSlider(EffectKind::Scale, 256, kScales, kEffectGraphRange), 16.0);
}

TEST(EffectSliders, EveryPositionRoundTripsThroughTheStoredFloat) {
    for (int range : {kEffectSliderRange, kEffectGraphRange}) {
        for (int k = 0; k < kEffectCount; ++k) {
            const auto kind = EffectKind(k);
            for (int s = 0; s <= range; ++s) {
                const float stored = float(effectValueFromSlider(kind, s, kScales, range));
                ASSERT_EQ(sliderFromEffectValue(kind, stored, kScales, range), s)
                    << kEffectLabels[size_t(k)] << " range " << range << " at " << s;
            }
        }
    }
}

TEST(EffectSliders, OutOfRangeValuesClampAndDefaults) {
    EXPECT_EQ(sliderFromEffectValue(EffectKind::HorizontalPosition, 1e9, kScales), 1000);
    EXPECT_EQ(sliderFromEffectValue(EffectKind::Scale, 0, kScales), 0);
    EXPECT_EQ(sliderFromEffectValue(EffectKind::Scale, -2, kScales), 0);
    EXPECT_EQ(sliderFromEffectValue(EffectKind::Opacity, std::nan(""), kScales), 1000);
    EXPECT_EQ(sliderFromEffectValue(EffectKind::Distance, 5, effectScales(10, 10, 0)), 500);
    EXPECT_EQ(defaultEffectSlider(EffectKind::Opacity), 1000);
    EXPECT_EQ(defaultEffectSlider(EffectKind::Blur), 0);
    EXPECT_EQ(defaultEffectSlider(EffectKind::Scale), 500);
    EXPECT_EQ(
        effectValueFromSlider(EffectKind::Scale, defaultEffectSlider(EffectKind::Scale), kScales),
        1.0);
    EXPECT_DOUBLE_EQ(effectValueFromDisplay(EffectKind::HorizontalRotation, 90), M_PI / 2);
    EXPECT_EQ(effectValueFromDisplay(EffectKind::Blur, 0.25), 0.25);
}

TEST(EffectTables, StoringEndsSamplesTheCurveAndCoupledEndsCommit) {
    auto model = testing::makeModel();
    AnimObject& o = testing::addObject(*model, {});
    ObjectEffect& e = o.effects[EffectSlot::Opacity];
    storeEffectEnds(e, 0.0f, 1.0f);
    ASSERT_EQ(e.table.size(), 513u);
    EXPECT_EQ(e.points, (std::vector<EffectPoint>{{0, 0.0f}, {512, 1.0f}}));
    EXPECT_NEAR(evaluateEffect(e, 0.5), 0.5, 1e-6);
    EXPECT_NEAR(evaluateEffect(e, 0.25), 0.15625, 1e-6); // smoothstep
    e.curveKind = 1;
    storeEffectEnds(e, 0.0f, 1.0f);
    EXPECT_NEAR(evaluateEffect(e, 0.25), 0.25, 1e-6);

    setEffectPoint(e, effectCurveX(5, 10), 0.0f);
    EXPECT_EQ(e.points.size(), 3u);
    EXPECT_NEAR(evaluateEffect(e, 0.5), 0.0, 1e-6);
    storeEffectEnds(e, 0.2f, 0.8f); // interior points stay
    EXPECT_EQ(e.points.size(), 3u);
    EXPECT_EQ(e.startValue, 0.2f);
    resetEffectCurve(e);
    EXPECT_EQ(e.points.size(), 2u);
    EXPECT_NEAR(evaluateEffect(e, 0.5), 0.5, 1e-5); // float steps summed 256 times

    // Coupled sliders: both ends the same, the table is one value and goes on OK.
    ObjectEffect& blur = o.effects[EffectSlot::Blur];
    storeEffectEnds(blur, 0.4f, 0.4f);
    EXPECT_EQ(commitConstantEffects(o), 1);
    EXPECT_TRUE(blur.table.empty());
    EXPECT_EQ(blur.startValue, 0.4f);
    EXPECT_FALSE(e.table.empty());
    EXPECT_EQ(evaluateEffects(o, 0.9)[EffectSlot::Blur], 0.4f);
}

TEST(EffectTables, EvaluateEveryEffectBySlot) {
    auto model = testing::makeModel();
    AnimObject& o = testing::addObject(*model, {});
    storeEffectEnds(o.effects[EffectSlot::Hue], -1.0f, 1.0f);
    o.effects[EffectSlot::Scale].startValue = 3;
    const EffectValues at0 = evaluateEffects(o, 0);
    const EffectValues at1 = evaluateEffects(o, 1);
    EXPECT_EQ(at0[EffectSlot::Hue], -1.0f);
    EXPECT_EQ(at1[EffectSlot::Hue], 1.0f);
    EXPECT_EQ(at1[EffectSlot::Scale], 3.0f);
    EXPECT_EQ(at1[EffectSlot::Opacity], 1.0f);
    EXPECT_EQ(effectValue(o, EffectKind::Scale, 0.5), 3.0f);
    EXPECT_EQ(effectValue(o, EffectKind::Distance, 0.5), 0.0f);
}

TEST(EffectTables, OfferedEffectsDependOnTheObject) {
    AnimObject flat;
    const auto plain = offeredEffects(flat, false);
    ASSERT_EQ(plain.size(), 14u);
    EXPECT_EQ(plain[4], EffectKind::Distance);
    EXPECT_EQ(plain[5], EffectKind::Opacity);
    EXPECT_EQ(offeredEffects(flat, true).size(), 16u);
    flat.flag3d = 1;
    EXPECT_EQ(offeredEffects(flat, false).size(), 17u);
}

TEST(EffectTables, PlaySpeedControls) {
    EXPECT_FLOAT_EQ(speedFromSlider(1000), 4.0f);
    EXPECT_FLOAT_EQ(speedFromSlider(0), -4.0f);
    for (int s = 0; s <= 1000; ++s) ASSERT_EQ(sliderFromSpeed(speedFromSlider(s)), s);
    AnimObject o;
    o.ownLastFrame = 24;
    EXPECT_EQ(fitSpeed(o, 24), 1.0f);
    EXPECT_EQ(fitSpeed(o, 48), 0.5f);
    EXPECT_EQ(timeOffsetFromFrame(5, 25), 0.2f);
}

} // namespace
} // namespace zx
