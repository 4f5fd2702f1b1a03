#include "output/EncoderProgress.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TEST(EncoderProgress, ReadsTheFrameNumberOfProgressLinesOnly) {
    EXPECT_EQ(progressFrameOfLine("frame=  120 fps= 30 q=2.0 size=  256kB time=00:00:04.00"), 120);
    EXPECT_EQ(progressFrameOfLine("frame=0 fps=0.0"), 0);
    EXPECT_EQ(progressFrameOfLine("frame=   7"), 7);
    EXPECT_FALSE(progressFrameOfLine("  Duration: 00:00:02.00, start: 0.000000"));
    EXPECT_FALSE(progressFrameOfLine(" frame=  1 fps=1"));
    EXPECT_FALSE(progressFrameOfLine("frame=  1x fps=1"));
    EXPECT_FALSE(progressFrameOfLine("frame= fps=1"));
    EXPECT_FALSE(progressFrameOfLine("frame=99999999999999999999999 fps=1"));
}

TEST(EncoderProgress, WaitsForTheEndOfALineSplitAcrossReads) {
    // Header lines end in line feeds, progress lines in carriage returns; the first
    // progress line follows a header line directly.
    const std::string output = "Output #0, mp4, to 'x.mp4':\n"
                               "frame=   10 fps=0.0 q=28.0 size=0kB\r"
                               "frame=   25 fps= 24 q=28.0 size=1kB\r"
                               "frame=   40 fps= 24 q=-1.0 Lsize=2kB\r\n";
    const ProgressScan all = scanProgressLines(output);
    EXPECT_EQ(all.consumed, output.size());
    EXPECT_EQ(all.lastFrame, 40);

    const size_t cut = output.find("25 fps");
    const ProgressScan first = scanProgressLines(output.substr(0, cut));
    EXPECT_EQ(first.lastFrame, 10);
    EXPECT_EQ(output.substr(first.consumed, 6), "frame=") << "the cut line waits";
    const ProgressScan rest = scanProgressLines(output.substr(first.consumed, 40));
    EXPECT_EQ(rest.lastFrame, 25);
    EXPECT_FALSE(scanProgressLines("frame=   5 fps=1").lastFrame);
}

} // namespace
} // namespace zx
