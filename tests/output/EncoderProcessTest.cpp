#include "output/EncoderProcess.h"

#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

using namespace std::chrono_literals;

EncoderProcess shell() {
    EncoderProcess p;
    p.program = "sh";
    return p;
}

TEST(EncoderProcess, PassesEveryArgumentAsItIsAndReadsBothOutputs) {
    EncoderProcess p = shell();
    std::vector<long long> frames;
    p.onFrame = [&](long long f) { frames.push_back(f); };
    const std::string odd = "a b 'c' \"d\" $HOME `e` \xC3\xA9";
    auto run =
        p.run({"-c", "printf '%s\\n' \"$1\"; printf 'frame=  3 fps=1\\r' >&2; exit 3", "sh", odd});
    ASSERT_TRUE(run);
    EXPECT_EQ(run->exitStatus, 3);
    EXPECT_EQ(run->output, odd + "\nframe=  3 fps=1\r");
    EXPECT_EQ(frames, std::vector<long long>{3});
}

TEST(EncoderProcess, StopsAProgramThatFallsSilentOrIsCancelled) {
    EncoderProcess p = shell();
    p.silenceLimit = 200ms;
    const auto start = std::chrono::steady_clock::now();
    auto silent = p.run({"-c", "echo hello; sleep 20"});
    EXPECT_EQ(silent.status().message(), kEncoderNotAnswering);

    NullProgress progress;
    progress.cancel();
    auto cancelled = shell().run({"-c", "sleep 20"}, &progress);
    EXPECT_TRUE(cancelled.status().isCancelled());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST(EncoderProcess, AMissingProgramIsReportedOnce) {
    RecordingPrompter prompter;
    setenv("ZX_FFMPEG", "/nonexistent/ffmpeg", 1);
    auto run = runEncoder({"-version"}, 0, nullptr, prompter);
    unsetenv("ZX_FFMPEG");
    EXPECT_FALSE(run);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(kEncoderLaunchFailed)});
}

TEST(EncoderProcess, CollectsLinesAndTheFramesProduced) {
    setenv("ZX_FFMPEG", "sh", 1);
    auto run =
        runAndCollect({"-c", "printf 'one\\r\\ntwo\\nframe=  4 fps=2\\rframe=  9 fps=2\\r\\n'"});
    unsetenv("ZX_FFMPEG");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->framesProduced, 9);
    EXPECT_EQ(run->lines,
              (std::vector<std::string>{"one", "two", "frame=  4 fps=2", "frame=  9 fps=2"}));
}

} // namespace
} // namespace zx
