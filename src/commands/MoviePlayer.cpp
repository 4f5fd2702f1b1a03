#include "commands/MoviePlayer.h"

#include "commands/PlaybackPacing.h"

#include <algorithm>
#include <chrono>

namespace zx {

void MovieMarkers::setStart(int frame, int lastFrame) {
    frame = std::clamp(frame, 0, std::max(0, lastFrame));
    cursor = frame;
    start = frame;
    if (end >= 0 && start >= end) end = std::min(start, lastFrame);
}

void MovieMarkers::setEnd(int frame, int lastFrame) {
    frame = std::clamp(frame, 0, std::max(0, lastFrame));
    cursor = frame;
    end = frame;
    if (start > end) start = end;
}

int nextPlaybackFrame(int frame, int startMarker, int endFrame, bool autoReplay) {
    if (frame >= endFrame) return autoReplay ? startMarker : -1;
    return frame + 1;
}

int firstPlaybackFrame(int current, int startMarker, int endFrame) {
    return current < 0 || current >= endFrame ? startMarker : current;
}

namespace {
double steadyNowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

MoviePlayer::MoviePlayer(Callbacks callbacks) : cb_(std::move(callbacks)) {
    if (!cb_.nowMs) cb_.nowMs = steadyNowMs;
}

MoviePlayer::~MoviePlayer() {
    pause();
}

bool MoviePlayer::play(const Range& range) {
    if (running_.load() || range.endFrame < 0) return false;
    if (thread_.joinable()) thread_.join(); // a worker that finished by itself
    playRequested_.store(true);
    running_.store(true);
    autoReplay_.store(range.autoReplay);
    thread_ = std::thread([this, range] { run(range); });
    return true;
}

void MoviePlayer::pause() {
    playRequested_.store(false);
    if (thread_.joinable()) thread_.join();
    running_.store(false);
}

void MoviePlayer::run(Range range) {
    int frame = firstPlaybackFrame(range.startFrame, range.startMarker, range.endFrame);
    const double h = slowedPeriod(range.framePeriodMs, range.slowDown);
    double deadline = -1;
    int shown = -1;
    while (playRequested_.load() && frame >= 0) {
        const double now = cb_.nowMs();
        const PacingStep step = pacePlayback(now, deadline, h);
        deadline = step.nextDeadline;
        if (!step.fire) {
            // Sleeping to the deadline rather than spinning keeps a core free for the
            // frame builders; the steady clock keeps the pace exact.
            const double wait = deadline - now;
            if (wait > 0.05)
                std::this_thread::sleep_for(
                    std::chrono::duration<double, std::milli>(std::min(wait, 10.0)));
            continue;
        }
        if (cb_.prepare) cb_.prepare(frame);
        if (cb_.show) cb_.show(frame);
        shown = frame;
        lastShown_.store(frame);
        frame = nextPlaybackFrame(frame, range.startMarker, range.endFrame, autoReplay_.load());
    }
    playRequested_.store(false);
    running_.store(false);
    if (shown >= 0 && cb_.show) cb_.show(shown);
}

} // namespace zx
