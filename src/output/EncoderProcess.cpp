#include "output/EncoderProcess.h"

#include "output/EncoderProgress.h"
#include "platform/ChildProcess.h"

#include <cstdlib>
#include <thread>

namespace zx {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::chrono::milliseconds kPollInterval{10};
constexpr size_t kTailBytes = 2048;

// Keeps what the process prints: the head for the caller, the tail for error details
// and the unfinished last line for the progress parser, none of them past its bound.
class OutputSink {
public:
    OutputSink(EncoderRun& run, const std::function<void(long long)>& onFrame)
        : run_(run), onFrame_(onFrame) {}

    void take(const std::string& chunk) {
        const size_t room = EncoderProcess::kCaptureLimit - run_.output.size();
        run_.output.append(chunk, 0, std::min(room, chunk.size()));
        run_.tail += chunk;
        if (run_.tail.size() > kTailBytes) run_.tail.erase(0, run_.tail.size() - kTailBytes);
        pending_ += chunk;
        const ProgressScan scan = scanProgressLines(pending_);
        pending_.erase(0, scan.consumed);
        // A line this long is no progress report; dropping it keeps memory bounded.
        if (pending_.size() > EncoderProcess::kCaptureLimit) pending_.clear();
        if (scan.lastFrame) {
            run_.lastFrame = scan.lastFrame;
            if (onFrame_) onFrame_(*scan.lastFrame);
        }
    }

private:
    EncoderRun& run_;
    const std::function<void(long long)>& onFrame_;
    std::string pending_;
};

bool exceeded(Clock::time_point since, std::chrono::milliseconds limit) {
    return limit.count() > 0 && Clock::now() - since > limit;
}

} // namespace

std::string encoderProgram() {
    const char* configured = std::getenv("ZX_FFMPEG");
    return configured && *configured ? configured : "ffmpeg";
}

std::string encoderPath(const fs::path& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    return "file:" + (ec ? path : absolute).string();
}

Result<EncoderRun> EncoderProcess::run(const std::vector<std::string>& arguments,
                                       Progress* progress) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess child;
    std::string why;
    if (!child.start(argv, &why)) return Status::failed(std::string(kEncoderLaunchFailed), why);

    EncoderRun result;
    OutputSink sink(result, onFrame);
    const Clock::time_point started = Clock::now();
    Clock::time_point lastOutput = started;
    bool pipeOpen = true;
    for (;;) {
        if (progress && progress->cancelled()) {
            child.kill();
            return Status::cancelled();
        }
        if (pipeOpen) {
            std::string chunk;
            const auto read = child.read(chunk, kPollInterval);
            if (read == ChildProcess::ReadStatus::Data) {
                lastOutput = Clock::now();
                sink.take(chunk);
            }
            pipeOpen = read != ChildProcess::ReadStatus::Closed;
        } else if (auto status = child.exitStatus()) {
            result.exitStatus = *status;
            return result;
        } else {
            std::this_thread::sleep_for(kPollInterval);
        }
        if (exceeded(lastOutput, silenceLimit)) {
            child.kill();
            return Status::failed(std::string(kEncoderNotAnswering), result.tail);
        }
        if (exceeded(started, timeLimit)) {
            child.kill();
            return Status::failed("The encoder took too long and was stopped", result.tail);
        }
    }
}

Result<EncoderRun> runEncoder(const std::vector<std::string>& arguments, long long totalFrames,
                              Progress* progress, Prompter& prompter) {
    EncoderProcess encoder;
    encoder.onFrame = [&](long long frame) {
        if (!progress || totalFrames <= 0 || frame < 0 || frame > totalFrames) return;
        progress->setTitle("Exporting movie...");
        progress->setDetail("Writing output file: " + std::to_string(frame * 100 / totalFrames) +
                            "% done");
        progress->setPosition(frame, totalFrames);
    };
    Result<EncoderRun> run = encoder.run(arguments, progress);
    if (!run && !run.status().isCancelled()) prompter.message(run.status().message());
    return run;
}

Result<CollectedOutput> runAndCollect(const std::vector<std::string>& arguments, Progress* progress,
                                      long long expectedFrames) {
    CollectedOutput collected;
    EncoderProcess encoder;
    encoder.silenceLimit = std::chrono::milliseconds(0);
    encoder.timeLimit = kCollectTimeLimit;
    encoder.onFrame = [&](long long frame) {
        collected.framesProduced = frame;
        if (progress) progress->setPosition(frame, expectedFrames);
    };
    Result<EncoderRun> run = encoder.run(arguments, progress);
    if (!run) return run.status();
    collected.exitStatus = run->exitStatus;
    collected.lines = splitOutputLines(run->output);
    return collected;
}

std::vector<std::string> splitOutputLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace zx
