#pragma once
// Frame pacing shared by the playback clock and the movie player: deadlines are
// kept without drift (deadline += period), but a loop that has fallen more than a
// period behind re-anchors at "now" instead of firing a backlog of frames.

namespace zx {

struct PacingStep {
    bool fire = false;       // a frame is due now
    double nextDeadline = 0; // in the same unit as `now`
};

// One look at the clock. `deadline` < 0 means "first pass": the deadline is now.
inline PacingStep pacePlayback(double now, double deadline, double period) {
    if (deadline < 0) deadline = now;
    if (now < deadline) return {false, deadline};
    const double base = now - deadline > period ? now : deadline;
    return {true, base + period};
}

// The period of Movie playback: each frame held for 2^k frame periods.
inline double slowedPeriod(double framePeriod, int slowDownExponent) {
    double h = framePeriod;
    for (int i = 0; i < slowDownExponent; ++i) h *= 2;
    return h;
}

// The frame period in milliseconds for a frame rate (clamped to 1 … 100).
inline double framePeriodMs(int framesPerSecond) {
    if (framesPerSecond < 1) framesPerSecond = 1;
    if (framesPerSecond > 100) framesPerSecond = 100;
    return 1000.0 / framesPerSecond;
}

} // namespace zx
