#include "commands/MoviePlayer.h"
#include "commands/PlaybackClock.h"
#include "commands/PlaybackPacing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <vector>

namespace zx {
namespace {

TEST(PlaybackPacing, KeepsDeadlinesWithoutDriftAndReanchorsWhenLate) {
    // first pass fires at once
    auto s = pacePlayback(100, -1, 40);
    EXPECT_TRUE(s.fire);
    EXPECT_DOUBLE_EQ(s.nextDeadline, 140);
    // early: wait
    s = pacePlayback(139.9, 140, 40);
    EXPECT_FALSE(s.fire);
    EXPECT_DOUBLE_EQ(s.nextDeadline, 140);
    // a little late: the next deadline stays on the grid
    s = pacePlayback(152, 140, 40);
    EXPECT_TRUE(s.fire);
    EXPECT_DOUBLE_EQ(s.nextDeadline, 180);
    // exactly one period late is still on the grid
    s = pacePlayback(220, 180, 40);
    EXPECT_DOUBLE_EQ(s.nextDeadline, 220);
    // more than a period late: no backlog, re-anchored at now
    s = pacePlayback(300, 180, 40);
    EXPECT_TRUE(s.fire);
    EXPECT_DOUBLE_EQ(s.nextDeadline, 340);
}

TEST(PlaybackPacing, SlowDownAndFramePeriod) {
    EXPECT_DOUBLE_EQ(slowedPeriod(40, 0), 40);
    EXPECT_DOUBLE_EQ(slowedPeriod(40, 3), 320);
    EXPECT_DOUBLE_EQ(framePeriodMs(25), 40);
    EXPECT_DOUBLE_EQ(framePeriodMs(0), 1000);
    EXPECT_DOUBLE_EQ(framePeriodMs(500), 10);
}

TEST(MovieMarkers, ClampingRules) {
    MovieMarkers m;
    m.setEnd(500, 99); // clamped to the last frame
    EXPECT_EQ(m.end, 99);
    EXPECT_EQ(m.cursor, 99);
    m.setStart(120, 99); // at or past the end drags the end along
    EXPECT_EQ(m.start, 99);
    EXPECT_EQ(m.end, 99);
    m.setStart(10, 99);
    m.setEnd(5, 99); // a start after the new end is pulled back
    EXPECT_EQ(m.start, 5);
    EXPECT_EQ(m.end, 5);
    MovieMarkers open;
    EXPECT_EQ(open.effectiveEnd(42), 42);
}

TEST(MoviePlayback, FrameOrder) {
    EXPECT_EQ(firstPlaybackFrame(20, 3, 20), 3); // on the end marker: from the start marker
    EXPECT_EQ(firstPlaybackFrame(25, 3, 20), 3);
    EXPECT_EQ(firstPlaybackFrame(7, 3, 20), 7);
    EXPECT_EQ(nextPlaybackFrame(19, 3, 20, false), 20);
    EXPECT_EQ(nextPlaybackFrame(20, 3, 20, false), -1);
    EXPECT_EQ(nextPlaybackFrame(20, 3, 20, true), 3);
}

// A fake clock that moves one frame period each time it is read.
struct FakeClock {
    std::mutex m;
    double t = 0;
    double operator()() {
        std::lock_guard l(m);
        t += 40;
        return t;
    }
};

TEST(MoviePlayer, StopsOnTheEndMarkerAndShowsItLast) {
    std::mutex m;
    std::vector<int> shown, prepared;
    FakeClock clock;
    MoviePlayer player({[&](int f) {
                            std::lock_guard l(m);
                            prepared.push_back(f);
                        },
                        [&](int f) {
                            std::lock_guard l(m);
                            shown.push_back(f);
                        },
                        [&] { return clock(); }});
    MoviePlayer::Range range;
    range.startFrame = 5; // at the end marker: starts from the start marker
    range.startMarker = 2;
    range.endFrame = 5;
    range.framePeriodMs = 40;
    ASSERT_TRUE(player.play(range));
    for (int i = 0; i < 500 && player.playing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    player.pause();
    EXPECT_EQ(prepared, (std::vector<int>{2, 3, 4, 5}));
    // every frame, then the last one again as the final word
    EXPECT_EQ(shown, (std::vector<int>{2, 3, 4, 5, 5}));
    EXPECT_EQ(player.lastShown(), 5);
}

TEST(MoviePlayer, AutoReplayLoopsUntilPaused) {
    std::atomic<int> count{0};
    FakeClock clock;
    MoviePlayer player({nullptr, [&](int) { ++count; }, [&] { return clock(); }});
    MoviePlayer::Range range;
    range.startMarker = 0;
    range.endFrame = 2;
    range.autoReplay = true;
    ASSERT_TRUE(player.play(range));
    EXPECT_FALSE(player.play(range)); // already playing: ignored
    while (count.load() < 20) std::this_thread::yield();
    player.pause();
    EXPECT_FALSE(player.playing());
    EXPECT_LE(player.lastShown(), 2);
}

TEST(PlaybackClock, TicksUntilStoppedAndNeverOverlaps) {
    PlaybackClock clock;
    std::atomic<int> ticks{0};
    EXPECT_FALSE(clock.start(0, [] {}));
    ASSERT_TRUE(clock.start(1.0, [&] { ++ticks; })); // no acknowledgement yet
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    // the first tick was never acknowledged, so no second one was delivered
    EXPECT_EQ(ticks.load(), 1);
    clock.tickDone();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks.load() < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(ticks.load(), 2);
    clock.stop();
    EXPECT_FALSE(clock.running());
    clock.tickDone();
    const int after = ticks.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ticks.load(), after);
    clock.quit();
}

TEST(PlaybackClock, AutoAcknowledgedTicksKeepThePace) {
    PlaybackClock clock;
    clock.setAutoAcknowledge(true);
    std::atomic<int> ticks{0};
    ASSERT_TRUE(clock.start(2.0, [&] { ++ticks; }));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks.load() < 10 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GE(ticks.load(), 10);
    // quitting from a running state joins cleanly
}

} // namespace
} // namespace zx
