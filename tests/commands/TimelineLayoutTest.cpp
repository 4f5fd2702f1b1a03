#include "commands/TimelineLayout.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TEST(TimelineLayout, ScaleStaysWithinOneAndSixtyFour) {
    EXPECT_EQ(zoomTimelineIn(32), 64);
    EXPECT_EQ(zoomTimelineIn(64), 64);
    EXPECT_EQ(zoomTimelineOut(2), 1);
    EXPECT_EQ(zoomTimelineOut(1), 1);
    EXPECT_EQ(normalTimelineScale(0), 1);
    EXPECT_EQ(normalTimelineScale(12), 8);
    EXPECT_EQ(normalTimelineScale(1000), 64);
}

TEST(TimelineLayout, HitTestingFindsTheImageUnderTheMouse) {
    const std::vector<int> durations{25, 10, 40};
    const auto starts = startFrames(durations);
    EXPECT_EQ(starts, (std::vector<int>{0, 25, 35}));
    // scale 2, scrolled to frame 20
    EXPECT_EQ(frameAtPixel(0, 2, 20), 20);
    EXPECT_EQ(frameAtPixel(11, 2, 20), 25);
    EXPECT_EQ(imageAtFrame(starts, frameAtPixel(9, 2, 20)), 0);  // frame 24
    EXPECT_EQ(imageAtFrame(starts, frameAtPixel(10, 2, 20)), 1); // frame 25
    EXPECT_EQ(imageAtFrame(starts, 34), 1);
    EXPECT_EQ(imageAtFrame(starts, 35), 2);
    EXPECT_EQ(imageAtFrame(starts, 5000), 2); // after all: the last
    EXPECT_EQ(imageAtFrame(starts, -3), 0);   // before all: the first
    EXPECT_EQ(imageAtFrame({}, 3), -1);
    // zero-length images: the last one starting at the frame wins
    const std::vector<int> withEmpty{5, 0, 5};
    EXPECT_EQ(imageAtFrame(startFrames(withEmpty), 5), 2);
}

TEST(TimelineLayout, CellsAndDurationGrip) {
    const std::vector<int> durations{25, 10, 40};
    const auto starts = startFrames(durations);
    // scale 4: image 1 starts at 100 px, its thumbnail is cut by image 2's cell at 140
    auto c = cellOf(starts, durations, 1, 4, 0, 1000);
    EXPECT_EQ(c.cellLeft, 100);
    EXPECT_EQ(c.thumbRight, 140);
    EXPECT_EQ(c.barRight, 140);
    auto first = cellOf(starts, durations, 0, 8, 0, 1000);
    EXPECT_EQ(first.thumbRight, 80);
    EXPECT_EQ(first.barRight, 200);
    auto last = cellOf(starts, durations, 2, 8, 0, 300);
    EXPECT_EQ(last.cellLeft, 280);
    EXPECT_EQ(last.thumbRight, 300); // the row's edge
    // grip within 8 px of the bar end, right of the thumbnail
    EXPECT_TRUE(onDurationGrip(first, 195));
    EXPECT_TRUE(onDurationGrip(first, 208));
    EXPECT_FALSE(onDurationGrip(first, 209));
    EXPECT_FALSE(onDurationGrip(first, 150));
    // a bar ending inside the thumbnail cannot be dragged from the thumbnail
    auto shortOne = cellOf(starts, durations, 0, 1, 0, 1000);
    EXPECT_FALSE(onDurationGrip(shortOne, 25));
    // drag gives whole frames, at least one
    EXPECT_EQ(dragDuration(first, 240, 8), 30);
    EXPECT_EQ(dragDuration(first, 3, 8), 1);
}

TEST(TimelineLayout, DurationTextAndHoverLines) {
    EXPECT_EQ(durationText(40, 25), "Duration= 1:15");
    EXPECT_EQ(durationText(25, 25), "Duration= 1:0");
    EXPECT_EQ(durationText(7, 0), "Duration= 7:0"); // never divides by zero
    EXPECT_EQ(thumbnailHoverText(true),
              "Click to select. Drag to move on timeline. Right click for additional options");
    EXPECT_EQ(thumbnailHoverText(false), "Click to select. Right click for additional options");
    EXPECT_EQ(durationFromSecondsFrames(3, 4, 25), 79);
}

TEST(TimelineLayout, KeyNavigationWrapsRound) {
    EXPECT_EQ(nextImageWrapped(2, 3), 0); // Page Down on the last selects the first
    EXPECT_EQ(previousImageWrapped(0, 3), 2);
    EXPECT_EQ(nextImageWrapped(0, 3), 1);
    EXPECT_EQ(previousImageWrapped(2, 3), 1);
    EXPECT_EQ(nextImageWrapped(-1, 3), 0);
    EXPECT_EQ(nextImageWrapped(0, 0), -1);
    EXPECT_EQ(imageAtOrAfterFrame(std::vector<int>{0, 25, 35}, 26), 2);
    EXPECT_EQ(imageAtOrAfterFrame(std::vector<int>{0, 25, 35}, 99), 2);
}

TEST(TimelineLayout, NudgeFollowsTheZoom) {
    EXPECT_EQ(nudgeStep(0), 8);
    EXPECT_EQ(nudgeStep(1), 4);
    EXPECT_EQ(nudgeStep(3), 1);
    EXPECT_EQ(nudgeStep(4), 1);
    EXPECT_EQ(nudgeStep(-1), 16);
    EXPECT_EQ(nudgeStep(-4), 128);
}

TEST(TimelineLayout, SelectionIsShownWithoutHidingWhatFits) {
    // Two images of 90 frames at 4 px per frame: 720 px fit a row of 1000, so the
    // strips start at the first image even with the second selected.
    const std::vector<int> two{90, 90};
    EXPECT_EQ(stripsRight(two, 4, 0), 720);
    EXPECT_EQ(firstImageShowing(two, 4, 1000, 1, 1), 0);
    EXPECT_EQ(firstImageShowing(two, 4, 1000, 0, 1), 0);
    // A short last image still needs room for its whole thumbnail.
    const std::vector<int> shortLast{100, 5};
    EXPECT_EQ(stripsRight(shortLast, 4, 0), 480);
    EXPECT_EQ(firstImageShowing(shortLast, 4, 470, 0, 0), 0);
    EXPECT_EQ(firstImageShowing(shortLast, 4, 470, 0, 1), 1);
    EXPECT_EQ(firstImageShowing(shortLast, 4, 480, 0, 1), 0);
    EXPECT_EQ(firstImageShowing({}, 4, 480, 3, 0), 0);
}

TEST(TimelineLayout, ScrollsTheLeastThatShowsTheSelection) {
    // Ten images of 50 frames at 2 px: 1000 px in a row of 300 (three images).
    const std::vector<int> ten(10, 50);
    // In view: the start stays where the user scrolled it.
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 2, 3), 2);
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 2, 4), 2);
    // Right of the view: scrolled just far enough that it ends inside the row.
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 2, 7), 5);
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 0, 9), 7);
    // Left of the view: it becomes the first image.
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 6, 1), 1);
    // No selection keeps the start, brought within the list.
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 4, -1), 4);
    EXPECT_EQ(firstImageShowing(ten, 2, 300, 40, -1), 9);
    // An image wider than the row is shown from its start.
    const std::vector<int> wide{10, 500, 10};
    EXPECT_EQ(firstImageShowing(wide, 1, 300, 0, 1), 1);
}

} // namespace
} // namespace zx
