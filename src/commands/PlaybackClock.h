#pragma once
// The one playback clock of the process: a thread that calls its target once per
// period while one is set, and sleeps on a condition variable while idle.
//
// The target is called on the clock thread. A tick is never delivered while the
// previous one is still being handled: the receiver acknowledges each tick with
// tickDone(), and the clock skips deadlines that pass meanwhile (this also means
// it never piles up ticks when the window is busy). The pacing waits for each
// deadline on the steady clock instead of spinning, so an idle-looking player does
// not keep a core busy.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace zx {

class PlaybackClock {
public:
    using Target = std::function<void()>;

    PlaybackClock();
    ~PlaybackClock(); // quits and joins
    PlaybackClock(const PlaybackClock&) = delete;
    PlaybackClock& operator=(const PlaybackClock&) = delete;

    // Starts ticking every `periodMs` into `target`; false for a period that is not
    // positive. Replaces any earlier target.
    bool start(double periodMs, Target target);
    // Back to idle; no tick starts after this returns.
    void stop();
    // The receiver has finished with the last tick.
    void tickDone() { inFlight_.store(false, std::memory_order_release); }
    // Ends the thread; waits for it.
    void quit();

    bool running() const;
    double periodMs() const;
    // Ticks delivered since construction (for tests and the status line).
    long long ticks() const { return ticks_.load(); }
    // With manual acknowledgement off, every tick counts as handled at once
    // (for receivers that run the tick synchronously on the clock thread).
    void setAutoAcknowledge(bool on) { autoAck_ = on; }

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    Target target_;
    double periodMs_ = 0;
    unsigned generation_ = 0; // changes on every start/stop, re-anchors the deadline
    bool quit_ = false;
    std::atomic<bool> inFlight_{false};
    std::atomic<long long> ticks_{0};
    std::atomic<bool> autoAck_{false};
    std::thread thread_;
};

} // namespace zx
