#include "commands/PlaybackClock.h"

#include "commands/PlaybackPacing.h"

#include <chrono>

namespace zx {

namespace {
double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

PlaybackClock::PlaybackClock() : thread_([this] { run(); }) {}

PlaybackClock::~PlaybackClock() {
    quit();
}

bool PlaybackClock::start(double periodMs, Target target) {
    if (!(periodMs > 0) || !target) return false;
    {
        std::lock_guard lock(mutex_);
        periodMs_ = periodMs;
        target_ = std::move(target);
        ++generation_;
    }
    inFlight_.store(false);
    wake_.notify_all();
    return true;
}

void PlaybackClock::stop() {
    // Taking the mutex waits for a tick being delivered right now to finish its
    // call, so after stop() returns no tick reaches the old target.
    std::lock_guard lock(mutex_);
    target_ = nullptr;
    ++generation_;
    wake_.notify_all();
}

void PlaybackClock::quit() {
    {
        std::lock_guard lock(mutex_);
        if (quit_ && !thread_.joinable()) return;
        quit_ = true;
        target_ = nullptr;
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool PlaybackClock::running() const {
    std::lock_guard lock(mutex_);
    return bool(target_);
}

double PlaybackClock::periodMs() const {
    std::lock_guard lock(mutex_);
    return periodMs_;
}

void PlaybackClock::run() {
    std::unique_lock lock(mutex_);
    double deadline = -1;
    unsigned generation = generation_;
    while (!quit_) {
        if (!target_) {
            wake_.wait(lock, [&] { return quit_ || bool(target_); });
            continue;
        }
        if (generation != generation_) {
            generation = generation_;
            deadline = -1; // first pass after a (re)start: due at once
        }
        const PacingStep step = pacePlayback(nowMs(), deadline, periodMs_);
        if (!step.fire) {
            const auto wait =
                std::chrono::duration<double, std::milli>(step.nextDeadline - nowMs());
            wake_.wait_for(lock, wait);
            deadline = step.nextDeadline;
            continue;
        }
        deadline = step.nextDeadline;
        if (autoAck_.load() || !inFlight_.exchange(true)) {
            ++ticks_;
            target_(); // under the lock, so stop() cannot overtake a tick in delivery
            if (autoAck_.load()) inFlight_.store(false);
        }
    }
}

} // namespace zx
