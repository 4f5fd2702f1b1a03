#include "imaging/MagicBackgroundCleaner.h"
#include "imaging/MaskLayer.h"
#include "imaging/SelectionCommands.h"
#include "imaging/SendMaskedSubjectToBackground.h"

#include "MaskTestUtil.h"

#include <gtest/gtest.h>

using namespace zx;
using namespace zx::test;

namespace {
uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}
} // namespace

TEST(MagicBackgroundCleaner, HsvFollowsTheSixSectorRule) {
    ColourHsv red = toHsv(rgb(255, 0, 0));
    EXPECT_EQ(red.value, 255);
    EXPECT_DOUBLE_EQ(red.saturation, 1.0);
    EXPECT_DOUBLE_EQ(red.hue, 0);
    EXPECT_DOUBLE_EQ(toHsv(rgb(255, 0, 128)).hue, 360 - 60 * 128.0 / 255);
    EXPECT_DOUBLE_EQ(toHsv(rgb(0, 200, 0)).hue, 120);
    EXPECT_DOUBLE_EQ(toHsv(rgb(0, 0, 90)).hue, 240);
    ColourHsv grey = toHsv(rgb(80, 80, 80));
    EXPECT_DOUBLE_EQ(grey.hue, 90) << "no saturation: hue 90";
    EXPECT_DOUBLE_EQ(toHsv(rgb(0, 0, 0)).saturation, 0);
}

TEST(MagicBackgroundCleaner, SimilarityRules) {
    const int t = 30;
    // Dark reference: any dark candidate, nothing else.
    ColourHsv dark = toHsv(rgb(40, 10, 10));
    EXPECT_TRUE(cleanerSimilar(dark, toHsv(rgb(0, 49, 0)), t));
    EXPECT_FALSE(cleanerSimilar(dark, toHsv(rgb(0, 50, 0)), t));
    // Grey reference: dark candidates count, value within 30 %, saturation checked
    // only for saturated candidates.
    ColourHsv grey = toHsv(rgb(200, 200, 200));
    EXPECT_TRUE(cleanerSimilar(grey, toHsv(rgb(10, 10, 10)), t));
    EXPECT_TRUE(cleanerSimilar(grey, toHsv(rgb(140, 140, 140)), t));
    EXPECT_FALSE(cleanerSimilar(grey, toHsv(rgb(139, 139, 139)), t));
    EXPECT_TRUE(cleanerSimilar(grey, toHsv(rgb(200, 180, 170)), t)) << "saturation below 0.2";
    EXPECT_FALSE(cleanerSimilar(grey, toHsv(rgb(200, 0, 0)), t));
    // Colourful reference: no dark candidates, hue within 0.9 T degrees around the circle.
    ColourHsv red = toHsv(rgb(220, 20, 30)); // hue about 357
    EXPECT_FALSE(cleanerSimilar(red, toHsv(rgb(20, 2, 3)), t));
    EXPECT_TRUE(cleanerSimilar(red, toHsv(rgb(220, 40, 20)), t)) << "hue wraps past 0";
    EXPECT_FALSE(cleanerSimilar(red, toHsv(rgb(220, 150, 20)), t)) << "orange is too far";
    EXPECT_TRUE(cleanerSimilar(red, toHsv(rgb(220, 150, 20)), 99));
}

TEST(MagicBackgroundCleaner, FloodStaysInsideTheSelectionAndTakesConnectedDarkPixels) {
    // A dark image with a bright wall; the selection covers the left part only.
    RasterImage subject(8, 4, rgb(20, 20, 20));
    for (int y = 0; y < 4; ++y) subject.at(3, y) = rgb(250, 250, 250);
    subject.at(1, 1) = rgb(45, 45, 45);
    RasterImage mask = makeMaskLayer(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) mask.at(x, y) |= MaskBit::Selected;
    const long long marked = highlightCleanerRegion(mask, subject, 0, 0, 30, false);
    EXPECT_EQ(marked, 12) << "columns 0-2: the wall stops it";
    EXPECT_EQ(rowsOf(mask, MaskBit::PendingSelected),
              (std::vector<std::string>{"###.....", "###.....", "###.....", "###....."}));
    // From the right of the wall: columns 4 and 5 are selected, 6 and 7 are not.
    EXPECT_EQ(highlightCleanerRegion(mask, subject, 4, 2, 30, false), 8);
    EXPECT_EQ(countBit(mask, MaskBit::PendingSelected), 8) << "the earlier highlight is gone";
    EXPECT_EQ(highlightCleanerRegion(mask, subject, 7, 2, 30, false), 0) << "unselected pixel";
    EXPECT_EQ(highlightCleanerRegion(mask, subject, 8, 2, 30, false), 0) << "outside";
    RasterImage otherSize(7, 4);
    EXPECT_EQ(highlightCleanerRegion(mask, otherSize, 0, 0, 30, false), 0);
}

TEST(MagicBackgroundCleaner, ApplyTakesTheRegionOutOfTheSelection) {
    RasterImage subject(10, 6, rgb(0, 0, 200));
    for (int y = 1; y < 5; ++y)
        for (int x = 6; x < 9; ++x) subject.at(x, y) = rgb(230, 200, 20);
    RasterImage mask = makeMaskLayer(10, 6);
    selectAll(mask);
    SelectionSettings settings;
    settings.smoothing = false;
    settings.autoMask = false;
    auto name = commandCleanerClick(mask, subject, settings, 0, 0);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "Magic Background Cleaner");
    EXPECT_EQ(countBit(mask, MaskBit::Selected), 12) << "only the yellow block stays";
    EXPECT_EQ(countBit(mask, MaskBit::PendingSelected | MaskBit::PendingOutline), 0);
    for (uint32_t w : mask.pixelVector()) EXPECT_EQ(w & 0xFF, 255u) << "no auto mask";

    RasterImage auto2 = makeMaskLayer(10, 6);
    selectAll(auto2);
    settings.autoMask = true;
    settings.featherIndex = 0;
    name = commandCleanerClick(auto2, subject, settings, 0, 0);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "Magic Bgrd Cleaner (auto-mask)");
    EXPECT_EQ(auto2.at(0, 0) & 0xFF, 0u);
    EXPECT_EQ(auto2.at(7, 2) & 0xFF, 255u);
}

TEST(MagicBackgroundCleaner, SmoothingRoundsTheTakenRegion) {
    RasterImage subject(20, 20, rgb(0, 0, 200));
    RasterImage mask = makeMaskLayer(20, 20);
    selectAll(mask);
    // A 2x2 off-colour speck inside the blue area: without smoothing it stays
    // selected; with smoothing the blur of the taken region closes over it.
    for (int y = 10; y < 12; ++y)
        for (int x = 10; x < 12; ++x) subject.at(x, y) = rgb(200, 200, 0);
    RasterImage plain = mask;
    ASSERT_GT(highlightCleanerRegion(plain, subject, 0, 0, 30, false), 0);
    applyCleaner(plain, false);
    EXPECT_EQ(countBit(plain, MaskBit::Selected), 4);
    ASSERT_GT(highlightCleanerRegion(mask, subject, 0, 0, 30, true), 0);
    applyCleaner(mask, true);
    EXPECT_EQ(countBit(mask, MaskBit::Selected), 0);
    EXPECT_FALSE(applyCleaner(mask, true)) << "nothing marked: nothing to apply";
}

TEST(SelectionCommands, AutoMaskNamesAndEffects) {
    SelectionSettings s;
    s.featherIndex = 0;
    RasterImage m = makeMaskLayer(8, 8);
    auto name = commandMarquee(m, s, {1, 1}, {4, 4}, false);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "Rectangular Marquee (Auto Mask)");
    EXPECT_EQ(m.at(0, 0) & 0xFF, 0u);
    EXPECT_EQ(m.at(2, 2) & 0xFF, 255u);
    EXPECT_EQ(*commandGrow(m, s), "Grow Selection (Auto Mask)");
    EXPECT_EQ(m.at(0, 0) & 0xFF, 255u);
    EXPECT_EQ(*commandMoveSelection(m, s, 2, 0), "Move Selection (auto mask)");
    EXPECT_EQ(*commandShowInside(m, s), "Show Inside Selection (Auto Mask)");
    EXPECT_EQ(*commandSetFeather(m, s, 2), "Feather");
    EXPECT_EQ(s.featherRadius(), 2);

    s.editingBackground = true; // the background's selection never masks
    RasterImage b = makeMaskLayer(8, 8);
    EXPECT_EQ(*commandMarquee(b, s, {1, 1}, {4, 4}, false), "Rectangular Marquee");
    EXPECT_EQ(b.at(0, 0) & 0xFF, 255u);
    EXPECT_FALSE(commandSetFeather(b, s, 1));
    EXPECT_EQ(*commandShrink(b, s), "Shrink Selection");
    EXPECT_EQ(*commandMoveSelection(b, s, 1, 1), "Move Selection");
    EXPECT_FALSE(commandMoveSelection(b, s, 0, 0));

    s.editingBackground = false;
    s.tool = SelectionTool::EllipticalMarquee;
    EXPECT_EQ(*commandMarquee(b, s, {0, 0}, {7, 5}, true), "Elliptical Marquee (Auto Mask)");
    s.tool = SelectionTool::LineLasso;
    const std::vector<IntPoint> tri = {{0, 0}, {7, 0}, {0, 7}};
    EXPECT_EQ(*commandLasso(b, s, tri, SelectionType::New), "Line Lasso (Auto Mask)");
}

TEST(SelectionCommands, PlainCommandNames) {
    RasterImage m = makeMaskLayer(4, 4);
    SelectionSettings s;
    EXPECT_EQ(*commandSelectAll(m), "Select All");
    EXPECT_EQ(*commandDeselect(m), "Clear Selection");
    EXPECT_EQ(*commandSelectInverse(m), "Select Inverse");
    EXPECT_EQ(*commandSelectVisible(m, nullptr), "Select Visible");
    EXPECT_EQ(*commandShowOutside(m, s), "Show Outside Selection");
    EXPECT_EQ(*commandShowAll(m), "Show All");
    RasterImage empty;
    EXPECT_FALSE(commandSelectAll(empty)) << "no image: nothing happens";
    RasterImage other(3, 3);
    EXPECT_FALSE(commandPreviousSelection(m, &other));
    RasterImage prev = makeMaskLayer(4, 4);
    prev.at(1, 1) |= MaskBit::Selected;
    EXPECT_EQ(*commandPreviousSelection(m, &prev), "Previous Selection");
    EXPECT_EQ(m, prev);
    EXPECT_EQ(cleanerToleranceMenuText(30), "Set (current= 30)...");
}

TEST(SelectionCommands, OnlyANewSelectionToolPressOnTheSelectionMovesIt) {
    RasterImage m = makeMaskLayer(6, 6);
    selectRectangle(m, {1, 1}, {3, 3}, SelectionType::New);
    SelectionSettings s;
    EXPECT_TRUE(pressMovesSelection(s, m, 2, 2));
    EXPECT_FALSE(pressMovesSelection(s, m, 5, 5)) << "unselected pixel";
    EXPECT_FALSE(pressMovesSelection(s, m, 9, 2)) << "outside the image";
    s.type = SelectionType::Add;
    EXPECT_FALSE(pressMovesSelection(s, m, 2, 2));
    s.type = SelectionType::New;
    s.tool = SelectionTool::MagicBackgroundCleaner;
    EXPECT_FALSE(pressMovesSelection(s, m, 2, 2));
    EXPECT_EQ(moveSelectionStatus(-3, 4), "dx= -3 dy= 4");
    EXPECT_EQ(cursorPositionStatus(12, 7), "x= 12 y= 7");
}

TEST(SendMaskedSubjectToBackground, CutsTheSubjectOutByTheMask) {
    RasterImage subject(3, 1);
    subject.at(0, 0) = 0x80112233;
    subject.at(1, 0) = 0x40445566;
    subject.at(2, 0) = 0x10778899;
    RasterImage mask(3, 1);
    mask.at(0, 0) = 255 | MaskBit::Selected;
    mask.at(1, 0) = 100;
    mask.at(2, 0) = 0;
    RasterImage background(3, 1, 0xFFFFFFFF);
    auto name = commandSendToBackground(background, subject, mask);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "Send Masked Subject to Background");
    EXPECT_EQ(background.at(0, 0), 0x00112233u) << "fully shown: a hole";
    EXPECT_EQ(background.at(1, 0), 0xFF445566u) << "partly shown: opaque";
    EXPECT_EQ(background.at(2, 0), 0x10778899u) << "hidden: copied unchanged";
    EXPECT_EQ(backgroundNameFor("cat.png"), "cat.png.b");
}

TEST(SendMaskedSubjectToBackground, DoesNothingWhenSizesDiffer) {
    RasterImage subject(3, 2, 0xFF000000), background(3, 2, 0xFFFFFFFF), mask(3, 1, 255);
    const RasterImage before = background;
    EXPECT_FALSE(commandSendToBackground(background, subject, mask));
    EXPECT_EQ(background, before);
    RasterImage none;
    EXPECT_FALSE(sendMaskedSubjectToBackground(none, subject, RasterImage(3, 2)));
}
