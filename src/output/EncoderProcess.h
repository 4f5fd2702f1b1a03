#pragma once
// Running the external encoder (ffmpeg): argument arrays, never a shell; its console
// output read through a pipe for progress; stopped when it falls silent, runs too long
// or the user cancels.

#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/Status.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zx {

inline constexpr std::string_view kEncoderLaunchFailed = "Error: Could not launch FFMpeg.exe";
inline constexpr std::string_view kEncoderNotAnswering = "Error: FFMpeg.exe is not answering";
// An encoder that prints nothing for this long is taken to hang.
inline constexpr std::chrono::milliseconds kEncoderSilenceLimit{30000};
// Collecting runs (probes, thumbnails) may take this long in all.
inline constexpr std::chrono::milliseconds kCollectTimeLimit{1200000};

// The encoder program: the environment's ZX_FFMPEG when set, else "ffmpeg" from PATH.
std::string encoderProgram();
// A file name as an encoder argument: absolute and behind "file:", so that no name is
// taken for an option or a protocol whatever characters it holds.
std::string encoderPath(const std::filesystem::path& path);

struct EncoderRun {
    int exitStatus = 0;                 // exit code, or 128 + the signal that ended it
    std::optional<long long> lastFrame; // the last progress report
    std::string output;                 // the first kCaptureLimit bytes of its output
    std::string tail;                   // the last few lines, for error details
};

class EncoderProcess {
public:
    static constexpr size_t kCaptureLimit = size_t(1) << 20;

    std::string program = encoderProgram();
    std::chrono::milliseconds silenceLimit = kEncoderSilenceLimit; // zero: none
    std::chrono::milliseconds timeLimit{0};                        // zero: none
    // Called with each progress report's frame number.
    std::function<void(long long frame)> onFrame;

    // Runs `program` with `arguments` until it ends, and says how it ended. Fails with
    // kEncoderLaunchFailed or kEncoderNotAnswering (or the time limit); is cancelled,
    // and the process killed, as soon as `progress` is cancelled.
    Result<EncoderRun> run(const std::vector<std::string>& arguments, Progress* progress = nullptr);
};

// The movie conversion's run: reports "Writing output file: N% done" against
// `totalFrames` and shows a failure (not a cancel) through the prompter.
Result<EncoderRun> runEncoder(const std::vector<std::string>& arguments, long long totalFrames,
                              Progress* progress, Prompter& prompter);

struct CollectedOutput {
    int exitStatus = 0;
    long long framesProduced = 0;
    std::vector<std::string> lines; // the output's non-empty lines
};

// A run that collects the output lines: no silence limit but kCollectTimeLimit in all,
// no messages. Each progress report becomes the progress position (out of
// `expectedFrames`, when known).
Result<CollectedOutput> runAndCollect(const std::vector<std::string>& arguments,
                                      Progress* progress = nullptr, long long expectedFrames = 0);

// The text split into lines at carriage returns and line feeds, empty lines dropped.
std::vector<std::string> splitOutputLines(std::string_view text);

} // namespace zx
