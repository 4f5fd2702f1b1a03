// The small rules of the application shell: memory pane, dropped files, view
// layout, preview buttons, system check and movie settings.
#include "commands/DropRouting.h"
#include "commands/MemoryMonitor.h"
#include "commands/MovieSettingsRules.h"
#include "commands/PreviewCamera.h"
#include "commands/SystemCheck.h"
#include "commands/ViewLayout.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TEST(MemoryMonitor, ParsesMeminfoAndComputesTheLoad) {
    auto s = parseMeminfo("MemTotal:       1000 kB\nMemFree:  100 kB\nMemAvailable:    250 kB\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->totalBytes, 1024000u);
    EXPECT_EQ(s->availableBytes, 256000u);
    EXPECT_EQ(s->loadPercent, 75);
    auto old = parseMeminfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 50 kB\n");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->loadPercent, 80);
    EXPECT_FALSE(parseMeminfo("MemFree: 10 kB\n"));
    EXPECT_FALSE(parseMeminfo("MemTotal: 0 kB\n"));
    auto here = readMemoryStatus(); // this machine has /proc
    ASSERT_TRUE(here);
    EXPECT_GT(here->residentBytes, 0u);
}

TEST(MemoryMonitor, UsageIsWhatThisProcessTookOfTheMemoryFreeAtStart) {
    constexpr uint64_t MB = 1024 * 1024;
    // 24 GB machine, 23 GB free at start, the program grew from 150 to 380 MB:
    // 230 MB of 23 GB is 1 %, which the whole-percent load never showed.
    MemoryStatus start{24000 * MB, 23000 * MB, 4, 150 * MB};
    MemoryStatus now{24000 * MB, 22700 * MB, 5, 380 * MB};
    EXPECT_NEAR(memoryUsagePercent(now, start), 1.0, 1e-9);
    EXPECT_EQ(memoryUsageText(memoryUsagePercent(now, start)), "  Memory usage = 1.0%");
    // Other programs freeing memory do not make ours negative.
    now.availableBytes = 23900 * MB;
    now.residentBytes = 100 * MB;
    EXPECT_EQ(memoryUsagePercent(now, start), 0.0);
    // Without our resident set, the system's used memory stands in.
    MemoryStatus s0{1000 * MB, 600 * MB, 40, 0};
    MemoryStatus s1{1000 * MB, 300 * MB, 70, 0};
    EXPECT_NEAR(memoryUsagePercent(s1, s0), 50.0, 1e-9);
    // Nothing free at start: any growth is all of it.
    MemoryStatus full{1000 * MB, 0, 100, 10 * MB};
    MemoryStatus fuller{1000 * MB, 0, 100, 20 * MB};
    EXPECT_EQ(memoryUsagePercent(fuller, full), 100.0);
    EXPECT_EQ(memoryUsagePercent(full, full), 0.0);
}

TEST(MemoryMonitor, PaneTextAndOneWarningPerRun) {
    EXPECT_EQ(memoryUsageText(50), "  Memory usage = 50%");
    EXPECT_EQ(memoryUsageText(0), "  Memory usage = 0.0%");
    EXPECT_EQ(memoryUsageText(0.44), "  Memory usage = 0.4%");
    EXPECT_EQ(memoryUsageText(9.96), "  Memory usage = 10%");
    EXPECT_EQ(memoryUsageText(12.5), "  Memory usage = 13%");
    EXPECT_EQ(memoryUsageText(-3), "  Memory usage = 0.0%");
    constexpr uint64_t MB = 1024 * 1024;
    MemoryMonitor m(MemoryStatus{8000 * MB, 4000 * MB, 50, 100 * MB});
    MemoryStatus s{8000 * MB, 800 * MB, 89, 500 * MB};
    auto r = m.update(s);
    EXPECT_EQ(r.paneText, "  Memory usage = 10%");
    EXPECT_FALSE(r.warning);
    EXPECT_TRUE(r.poppedOut);
    s.loadPercent = 90;
    r = m.update(s);
    ASSERT_TRUE(r.warning);
    EXPECT_EQ(*r.warning, "WARNING: Your system is getting low in memory!!!\n"
                          "Please SAVE YOUR PROJECT NOW and exit Zelvotrix\n\n"
                          "Total Memory :8000 MB\nAvailable Memory :800 MB");
    s.loadPercent = 95;
    EXPECT_FALSE(m.update(s).warning);
    s.loadPercent = 49;
    EXPECT_FALSE(m.update(s).poppedOut);
}

TEST(DropRouting, ByLowerCasedExtension) {
    EXPECT_EQ(routeDroppedFile("/a/b.ZXP").action, DropAction::OpenProject);
    for (const char* f : {"x.jpg", "x.JPEG", "x.pjpeg", "x.Png", "movie.avi", "clip.MP4"})
        EXPECT_EQ(routeDroppedFile(f).action, DropAction::ImportImage) << f;
    EXPECT_EQ(routeDroppedFile("lib.zxl").message,
              "To load a library object, please use \"File\" \"Load Object\" from the main menu");
    EXPECT_EQ(routeDroppedFile("notes.txt").message, "Unrecognized file format");
    EXPECT_EQ(routeDroppedFile("noext").message, "Unrecognized file format");
}

TEST(ViewLayout, ZoomStopsAtItsLimits) {
    EXPECT_EQ(zoomIn(4), 4);
    EXPECT_EQ(zoomIn(-4), -3);
    EXPECT_EQ(zoomOut(-4), -4);
    EXPECT_DOUBLE_EQ(zoomFactor(-2), 0.25);
    EXPECT_DOUBLE_EQ(zoomFactor(3), 8);
}

TEST(ViewLayout, AnimateViewPanesAndCaptions) {
    CaptionState none;
    auto full = animateViewLayout(AnimateViewMode::Full, 808, 600, none);
    ASSERT_EQ(full.panes.size(), 2u);
    EXPECT_EQ(full.panes[0].picture, (ViewRect{0, 16, 400, 584}));
    EXPECT_EQ(full.panes[1].picture.x, 408);
    EXPECT_EQ(full.panes[0].captionX, 8);
    EXPECT_EQ(full.panes[1].captionX, 416);
    EXPECT_EQ(full.panes[0].caption, "Start Image");
    EXPECT_EQ(full.panes[1].caption, "Current Frame");
    EXPECT_EQ(full.strips[1], (ViewRect{400, 16, 8, 584})); // the separator

    CaptionState sel{"Arm", "", true, true};
    auto one = animateViewLayout(AnimateViewMode::CurrentFrame, 500, 300, sel);
    ASSERT_EQ(one.panes.size(), 1u);
    EXPECT_EQ(one.panes[0].caption, "Current Frame - Selected Object: Arm  [LOCK]");
    EXPECT_EQ(startImageCaption(sel), "Start Image - Selected Object: Arm  [modified]");
    CaptionState region{"", "Region 2", false, false};
    EXPECT_EQ(startImageCaption(region), "Start Image - Selected Region: Region 2");
}

TEST(ViewLayout, BuilderThreePanes) {
    auto l = builderViewLayout(808, 432, "Front View", "Top View");
    ASSERT_EQ(l.panes.size(), 3u);
    // e = 400, d = 200, f = 200
    EXPECT_EQ(l.panes[0].picture, (ViewRect{0, 16, 400, 200}));
    EXPECT_EQ(l.panes[1].picture, (ViewRect{408, 16, 400, 200}));
    EXPECT_EQ(l.panes[2].caption, "3D Preview");
    EXPECT_EQ(l.panes[2].captionX, 808 / 2 - 200 + 8);
    EXPECT_EQ(l.panes[2].picture.y, 232);
    EXPECT_EQ(l.strips[2], (ViewRect{0, 216, 808, 16}));
}

TEST(PreviewCamera, ButtonsSetTheirValues) {
    auto c = PreviewCamera::forImage(300, 200);
    EXPECT_EQ(c.turnDeg, 45);
    EXPECT_EQ(c.tiltDeg, -45);
    EXPECT_EQ(c.lightIntensity, 30);
    EXPECT_EQ(c.distance, 1200);
    EXPECT_EQ(c.minDistance, 150);
    EXPECT_EQ(c.maxDistance, 6000);
    bool view = false;
    ASSERT_TRUE(c.press("Front <-> Rear View", &view));
    EXPECT_TRUE(view);
    EXPECT_EQ(c.turnDeg, 180);
    c.press("Front <-> Rear View");
    EXPECT_EQ(c.turnDeg, 0); // twice returns to turn 0
    c.press("Left <-> Right View");
    EXPECT_EQ(c.turnDeg, -90);
    c.press("Left <-> Right View");
    EXPECT_EQ(c.turnDeg, 90);
    c.press("Top <-> Bottom View");
    EXPECT_EQ(c.turnDeg, 0);
    EXPECT_EQ(c.tiltDeg, -90);
    c.press("Bottom/Right View");
    EXPECT_EQ(c.turnDeg, -45);
    EXPECT_EQ(c.tiltDeg, 45);
    ASSERT_TRUE(c.press("Maximum Shading", &view));
    EXPECT_FALSE(view);
    EXPECT_EQ(c.lightIntensity, 256);
    c.press("Bottom/Left Light");
    EXPECT_EQ(c.lightX, 1);
    EXPECT_EQ(c.lightY, -1);
    EXPECT_FALSE(c.press("Sideways"));
    c.setDistance(1e9);
    EXPECT_EQ(c.distance, 6000);
    EXPECT_NEAR(c.tiltRadians(), 0.785398, 1e-5);
}

TEST(SystemCheck, Verdicts) {
    EXPECT_EQ(checkScreen(1024, 800).text, "Ok!");
    EXPECT_EQ(checkScreen(1280, 700).level, CheckLevel::Warning);
    EXPECT_EQ(checkScreen(1000, 900).text, "Screen too small to run Zelvotrix!");
    EXPECT_EQ(checkScreen(1280, 599).level, CheckLevel::Error);
    EXPECT_EQ(checkColourDepth(8).level, CheckLevel::Error);
    EXPECT_EQ(checkColourDepth(24).level, CheckLevel::Warning);
    EXPECT_EQ(checkColourDepth(32).text, "Ok!");
    EXPECT_EQ(checkColourDepth(30).text, "Not a standard bits/pixel value");
    EXPECT_EQ(checkMemory(99'000'000).level, CheckLevel::Error);
    EXPECT_EQ(checkMemory(499'000'000).level, CheckLevel::Warning);
    EXPECT_EQ(checkMemory(500'000'000).text, "Ok!");
    EXPECT_EQ(checkProcessors(1).text, "Animation would be faster on a multi-core processor...");
    EXPECT_EQ(checkProcessors(2).text, "Ok!");
    EXPECT_GE(processorCoresFromAffinity(), 1);
}

TEST(MovieSettingsRules, LimitsAndEffects) {
    auto v = clampMovieSettings({5000, 3, 0, 9});
    EXPECT_EQ(v, (MovieSettingsValues{4095, 16, 1, 3}));
    MovieSettingsValues a{640, 480, 30, 1};
    EXPECT_EQ(movieSettingsOutcome(a, a, true).effect, MovieSettingsEffect::Nothing);
    auto rate = a;
    rate.framesPerSecond = 25; // keeps the camera tags
    auto o = movieSettingsOutcome(a, rate, true);
    EXPECT_EQ(o.effect, MovieSettingsEffect::RefreshPlayback);
    EXPECT_FALSE(o.deleteCameraTags);
    EXPECT_EQ(movieSettingsOutcome(a, rate, false).effect, MovieSettingsEffect::RecomputeFrames);
    auto wide = a;
    wide.width = 800; // deletes them
    o = movieSettingsOutcome(a, wide, false);
    EXPECT_EQ(o.effect, MovieSettingsEffect::RebuildFrames);
    EXPECT_TRUE(o.deleteCameraTags);
    auto max = a;
    max.quality = 3;
    o = movieSettingsOutcome(a, max, true);
    EXPECT_EQ(o.effect, MovieSettingsEffect::RebuildFrames);
    EXPECT_FALSE(o.deleteCameraTags);
    auto high = a;
    high.quality = 2;
    EXPECT_EQ(movieSettingsOutcome(a, high, true).effect, MovieSettingsEffect::RefreshPlayback);
}

} // namespace
} // namespace zx
