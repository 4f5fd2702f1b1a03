#pragma once
// Movie-mode playback: a worker thread that walks the movie frames between the
// start and end markers at the frame rate, prepares each frame and hands its
// index to the window. The window draws; the worker only reads project state.

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace zx {

// The ruler's cursor and markers. End −1 means "up to the last frame".
struct MovieMarkers {
    int cursor = -1;
    int start = 0;
    int end = -1;

    // The last frame playback reaches, for a movie whose last frame is `lastFrame`.
    int effectiveEnd(int lastFrame) const { return end < 0 || end > lastFrame ? lastFrame : end; }
    // Left click on the ruler: cursor and start marker; a start at or past the end
    // marker drags the end marker along.
    void setStart(int frame, int lastFrame);
    // Right click: cursor and end marker (clamped to the last frame); a start after
    // the new end is pulled back to it.
    void setEnd(int frame, int lastFrame);
};

// The frame after `frame` during playback, or −1 when playback finishes there.
int nextPlaybackFrame(int frame, int startMarker, int endFrame, bool autoReplay);
// Where playback begins: the current frame, or the start marker when the current
// frame is at or past the end.
int firstPlaybackFrame(int current, int startMarker, int endFrame);

class MoviePlayer {
public:
    struct Callbacks {
        std::function<void(int frame)> prepare; // on the worker: camera values etc.
        std::function<void(int frame)> show;    // on the worker: post the frame to the window
        std::function<double()> nowMs;          // steady clock in ms (tests inject one)
    };
    struct Range {
        int startFrame = 0; // the current frame when Play was pressed
        int startMarker = 0;
        int endFrame = 0; // the effective end marker
        int slowDown = 0; // k: each frame held for 2^k periods
        double framePeriodMs = 40;
        bool autoReplay = false;
    };

    explicit MoviePlayer(Callbacks callbacks);
    ~MoviePlayer(); // stops and joins

    // Starts the worker; false when it is already playing or the range is empty.
    bool play(const Range& range);
    // Requests the stop and waits for the worker to end.
    void pause();
    bool playing() const { return running_.load(); }
    // The frame the worker showed last (−1 before any).
    int lastShown() const { return lastShown_.load(); }
    void setAutoReplay(bool on) { autoReplay_.store(on); }

private:
    void run(Range range);

    Callbacks cb_;
    std::atomic<bool> playRequested_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> autoReplay_{false};
    std::atomic<int> lastShown_{-1};
    std::thread thread_;
};

} // namespace zx
